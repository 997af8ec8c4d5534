#pragma once

#include <QIcon>

#include "app/DialogValues.h"

namespace sonavel {

// The pictures beside the synthesis dialogs' radio buttons, drawn as vectors at whatever
// size they are shown, so they stay crisp on any screen: a period or two of each wave form,
// and a swatch of each noise colour.
QIcon WaveIcon(TWaveForm wave);
QIcon NoiseIcon(TNoiseColour colour);

}  // namespace sonavel
