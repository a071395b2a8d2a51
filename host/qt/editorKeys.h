// Qt's key events as the tune editor reads them (EditorKey), for presses and
// releases alike. Character keys are read by their place on the keyboard,
// as on a US layout, where the platform's events carry a scan code (X11 and
// Windows), so the piano keeps its shape on AZERTY or QWERTZ; elsewhere, and
// with Ctrl as the menus' shortcuts do, by the character typed.
#pragma once

#include "frontend/editor/tuneEditor.h"

#include <QStringView>

#include <optional>

class QKeyEvent;

namespace korvel::qt {

// platform: the Qt platform the event came from (QGuiApplication::platformName()).
std::optional<EditorKey> editorKeyOf(const QKeyEvent& event, QStringView platform);

} // namespace korvel::qt
