// The window's settings under their keys.
#include "host/qt/windowSettings.h"

#include <QSettings>

namespace korvel::qt {
namespace {

const char* const positionSetting = "window/clientPosition";
const char* const zoomSetting = "view/zoom";
const char* const editorSetting = "view/tuneEditor";
const char* const paletteSetting = "view/notePalette";

} // namespace

WindowSettings readWindowSettings() {
    const QSettings settings;
    WindowSettings read{std::nullopt, settings.value(zoomSetting, 0).toInt(),
                        settings.value(editorSetting, false).toBool(),
                        settings.value(paletteSetting, true).toBool()};
    if (settings.contains(positionSetting))
        read.position = settings.value(positionSetting).toPoint();
    return read;
}

void saveWindowSettings(const WindowSettings& settings) {
    QSettings stored;
    if (settings.position) stored.setValue(positionSetting, *settings.position);
    stored.setValue(zoomSetting, settings.zoomPercent);
    stored.setValue(editorSetting, settings.editorShown);
    stored.setValue(paletteSetting, settings.paletteShown);
}

} // namespace korvel::qt
