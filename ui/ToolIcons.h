#pragma once

#include <QIcon>
#include <optional>

#include "ui/CommandTable.h"

namespace sonavel {

// The picture of a command's tool button and menu item, drawn as vector shapes at whatever
// size and pixel ratio it is asked for (crisp on any screen), greyed when disabled. None for
// commands without a picture.
std::optional<QIcon> CommandIcon(TCommand command);

// The picture of a document tab.
QIcon DocumentTabIcon();

}  // namespace sonavel
