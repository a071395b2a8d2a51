// What the window remembers across runs: where its inside's top left was,
// the zoom last chosen and whether the tune editor and its note palette were
// shown. The position
// is the inside's, not the frame's: the frame is the window manager's, and
// placing the inside brings the frame back exactly where it was.
#pragma once

#include <QPoint>

#include <optional>

namespace korvel::qt {

struct WindowSettings {
    std::optional<QPoint> position; // none until a window first closes
    int zoomPercent;                // 0 until a zoom is first saved
    bool editorShown;
    bool paletteShown;
};

WindowSettings readWindowSettings();
void saveWindowSettings(const WindowSettings& settings);

} // namespace korvel::qt
