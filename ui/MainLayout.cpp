#include "ui/MainLayout.h"

#include <QAction>
#include <QMainWindow>
#include <QMdiArea>
#include <QMenuBar>
#include <QStatusBar>
#include <QTabBar>
#include <QToolButton>
#include <QVBoxLayout>

#include "ui/MakeChild.h"
#include "ui/ToolIcons.h"

namespace sonavel {

namespace {

const QColor FrameGrey(128, 128, 128);

}  // namespace

TMainLayout TMainLayout::Build(QMainWindow& window) {
    TMainLayout layout;

    QMenuBar* menuBar = window.menuBar();
    menuBar->setObjectName("MainMenu");
    QMenu* menu = nullptr;
    for (const TMenuRow& row : MenuTree()) {
        switch (row.Kind) {
            case TMenuRow::Top:
                menu = menuBar->addMenu(QString());
                menu->setObjectName(QString::fromLatin1(row.Name));
                layout.TopMenus.push_back(menu);
                break;
            case TMenuRow::Separator:
                menu->addSeparator()->setObjectName(QString::fromLatin1(row.Name));
                break;
            case TMenuRow::Item: {
                QAction* action = menu->addAction(QString());
                action->setObjectName(QString::fromLatin1(row.Name));
                if (const auto icon = CommandIcon(row.Command)) {
                    action->setIcon(*icon);
                }
                layout.Actions.at(Index(row.Command)) = action;
                break;
            }
        }
    }

    auto* central = MakeChild<QWidget>(&window);
    auto* column = MakeChild<QVBoxLayout>(central);
    column->setContentsMargins(0, 0, 0, 0);
    column->setSpacing(0);

    layout.ControlPanel = MakeChild<QWidget>(central);
    layout.ControlPanel->setObjectName("ControlPanel");
    layout.ControlPanel->setFixedHeight(ControlPanelHeight);
    layout.ControlPanel->setAutoFillBackground(true);
    for (const TToolButton& definition : ToolButtons()) {
        auto* button = MakeChild<QToolButton>(layout.ControlPanel);
        button->setObjectName(QString::fromLatin1(definition.Name));
        button->setGeometry(definition.Left, ToolButtonTop, ToolButtonWidth, ToolButtonHeight);
        button->setAutoRaise(true);
        button->setFocusPolicy(Qt::NoFocus);
        button->setIconSize(QSize(16, 16));
        if (const auto icon = CommandIcon(definition.Command)) {
            button->setIcon(*icon);
        }
        layout.Buttons.emplace_back(button, definition.Command);
    }

    layout.PageControl = MakeChild<QTabBar>(layout.ControlPanel);
    layout.PageControl->setObjectName("PageControl");
    layout.PageControl->setExpanding(false);
    layout.PageControl->setDrawBase(false);
    layout.PageControl->setUsesScrollButtons(true);
    layout.PageControl->setMouseTracking(true);
    layout.PageControl->setIconSize(QSize(16, 16));
    layout.PageControl->setFocusPolicy(Qt::NoFocus);
    auto* panel = MakeChild<QVBoxLayout>(layout.ControlPanel);
    panel->setContentsMargins(2, 0, 2, 0);
    panel->addStretch();
    panel->addWidget(layout.PageControl);
    layout.PageControl->setFixedHeight(PageControlHeight);

    layout.DocumentArea = MakeChild<QMdiArea>(central);
    layout.DocumentArea->setObjectName("DocumentArea");
    layout.DocumentArea->setBackground(FrameGrey);
    layout.DocumentArea->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    layout.DocumentArea->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOff);

    column->addWidget(layout.ControlPanel);
    column->addWidget(layout.DocumentArea, 1);
    window.setCentralWidget(central);

    layout.StatusBar = window.statusBar();
    layout.StatusBar->setObjectName("StatusBar");
    layout.StatusBar->setFixedHeight(StatusBarHeight);
    layout.StatusBar->setSizeGripEnabled(true);
    return layout;
}

}  // namespace sonavel
