#include "ui/AddFolder.h"

#include <QDir>
#include <QFileIconProvider>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QPushButton>
#include <QTreeWidget>
#include <QVBoxLayout>

#include "ui/MakeChild.h"
#include "ui/SettingsTexts.h"

namespace sonavel {

namespace {

constexpr int PathRole = Qt::UserRole;
constexpr int FilledRole = Qt::UserRole + 1;

constexpr QDir::Filters FolderFilter = QDir::Dirs | QDir::NoDotAndDotDot;

QString Clean(const QString& path) {
    return QDir::cleanPath(QDir(path).absolutePath());
}

}  // namespace

TAddFolderDialog::TAddFolderDialog(QWidget* parent)
    : QDialog(parent, Qt::Dialog | Qt::CustomizeWindowHint | Qt::WindowTitleHint |
                          Qt::WindowCloseButtonHint),
      ShellTreeView(MakeChild<QTreeWidget>(this)),
      OkButton(MakeChild<QPushButton>(this)),
      CancelButton(MakeChild<QPushButton>(this)) {
    setObjectName("AddFolderDialog");
    ShellTreeView->setObjectName("ShellTreeView");
    OkButton->setObjectName("OkButton");
    CancelButton->setObjectName("CancelButton");

    ShellTreeView->setHeaderHidden(true);
    ShellTreeView->setColumnCount(1);
    ShellTreeView->setMinimumSize(320, 360);
    const QString home = Clean(QDir::homePath());
    Fill(*AddFolder(nullptr, home, home));
    if (home != QStringLiteral("/")) {
        Fill(*AddFolder(nullptr, QStringLiteral("/"), QStringLiteral("/")));
    }
    connect(ShellTreeView, &QTreeWidget::itemExpanded, this, [this](QTreeWidgetItem* item) {
        for (int i = 0; i < item->childCount(); ++i) {
            Fill(*item->child(i));
        }
    });

    auto* buttons = MakeChild<QHBoxLayout>();
    buttons->addStretch();
    buttons->addWidget(OkButton);
    buttons->addWidget(CancelButton);
    auto* layout = MakeChild<QVBoxLayout>(this);
    layout->addWidget(ShellTreeView);
    layout->addLayout(buttons);

    OkButton->setDefault(true);
    connect(OkButton, &QPushButton::clicked, this, &TAddFolderDialog::OkButtonClick);
    connect(CancelButton, &QPushButton::clicked, this, &TAddFolderDialog::reject);

    // The form is laid out with the Russian texts.
    SetTexts(*AddFolderTexts("RUS"));
}

void TAddFolderDialog::SetTexts(const TAddFolderTexts& texts) {
    setWindowTitle(QString::fromUtf8(texts.Caption));
    OkButton->setText(QString::fromUtf8(texts.OkButton));
    CancelButton->setText(QString::fromUtf8(texts.CancelButton));
}

QTreeWidgetItem* TAddFolderDialog::AddFolder(QTreeWidgetItem* parent, const QString& path,
                                             const QString& name) {
    static const QFileIconProvider icons;
    auto* item = parent != nullptr ? MakeChild<QTreeWidgetItem>(parent)
                                   : MakeChild<QTreeWidgetItem>(ShellTreeView);
    item->setText(0, name);
    item->setIcon(0, icons.icon(QFileIconProvider::Folder));
    item->setData(0, PathRole, path);
    return item;
}

void TAddFolderDialog::Fill(QTreeWidgetItem& item) {
    // Only the level below the opened one is read, so a deep tree costs nothing until used.
    if (item.data(0, FilledRole).toBool()) {
        return;
    }
    item.setData(0, FilledRole, true);
    const QDir folder(item.data(0, PathRole).toString());
    for (const QString& name : folder.entryList(FolderFilter, QDir::Name | QDir::IgnoreCase)) {
        AddFolder(&item, folder.filePath(name), name);
    }
}

bool TAddFolderDialog::SelectPath(const QString& path) {
    const QString target = Clean(path);
    for (int top = 0; top < ShellTreeView->topLevelItemCount(); ++top) {
        QTreeWidgetItem* item = ShellTreeView->topLevelItem(top);
        const QString root = item->data(0, PathRole).toString();
        const QString prefix = root.endsWith('/') ? root : root + '/';
        if (target != root && !target.startsWith(prefix)) {
            continue;
        }
        // Walk down one folder name at a time, opening each level.
        const QStringList names = target.mid(prefix.size()).split('/', Qt::SkipEmptyParts);
        for (const QString& name : names) {
            Fill(*item);
            QTreeWidgetItem* next = nullptr;
            for (int i = 0; i < item->childCount() && next == nullptr; ++i) {
                if (item->child(i)->text(0) == name) {
                    next = item->child(i);
                }
            }
            if (next == nullptr) {
                break;
            }
            item->setExpanded(true);
            item = next;
        }
        if (Clean(item->data(0, PathRole).toString()) != target) {
            continue;
        }
        ShellTreeView->setCurrentItem(item);
        ShellTreeView->scrollToItem(item);
        return true;
    }
    return false;
}

void TAddFolderDialog::FormShow() {
    FolderName.clear();
}

void TAddFolderDialog::showEvent(QShowEvent* event) {
    FormShow();
    QDialog::showEvent(event);
}

void TAddFolderDialog::OkButtonClick() {
    const QTreeWidgetItem* item = ShellTreeView->currentItem();
    if (item == nullptr) {
        return;
    }
    FolderName = item->data(0, PathRole).toString();
    accept();
}

}  // namespace sonavel
