#pragma once

#include <QIcon>
#include <cstdint>

namespace sonavel {

// The pictures of the document window's speed buttons.
enum class TGlyph : std::uint8_t {
    Play,
    PlayView,
    Stop,
    Record,
    SetMarker,
    DelMarker,
    ZoomIn,
    ZoomOut,
    ZoomSelection,
    ZoomAll,
    ZoomMaximal,
};

// An icon drawn as vector shapes at whatever size and pixel ratio it is asked for, so it
// stays crisp on any screen; greyed when disabled.
QIcon GlyphIcon(TGlyph glyph);

}  // namespace sonavel
