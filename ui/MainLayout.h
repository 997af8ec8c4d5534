#pragma once

#include <array>
#include <vector>

#include "ui/CommandTable.h"

class QAction;
class QMainWindow;
class QMdiArea;
class QMenu;
class QStatusBar;
class QTabBar;
class QToolButton;
class QWidget;

namespace sonavel {

// The main window's controls, laid out as the form has them: the menu tree, the control
// panel with the tool buttons and the document tabs, the document area and the status bar.
// Every control is named after its form name.
struct TMainLayout {
    QWidget* ControlPanel = nullptr;
    QTabBar* PageControl = nullptr;
    QMdiArea* DocumentArea = nullptr;
    QStatusBar* StatusBar = nullptr;
    std::array<QAction*, CommandCount> Actions{};
    std::vector<QMenu*> TopMenus;  // named "N1", "N2", ...
    std::vector<std::pair<QToolButton*, TCommand>> Buttons;

    // Builds the controls into the window, which owns them.
    static TMainLayout Build(QMainWindow& window);

    QAction* Action(TCommand command) const { return Actions.at(Index(command)); }
};

inline constexpr int ControlPanelHeight = 60;
inline constexpr int PageControlHeight = 25;
inline constexpr int StatusBarHeight = 19;

}  // namespace sonavel
