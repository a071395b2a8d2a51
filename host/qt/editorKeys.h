// Qt's key events as the shared cores read them, for presses and releases
// alike: as the PC keys playing the kit (PcKeyEvent) and as the tune editor's
// keys (EditorKey). The editor's character keys are read by their place on the keyboard,
// as on a US layout, where the platform's events carry a scan code (X11 and
// Windows), so the piano keeps its shape on AZERTY or QWERTZ; elsewhere, and
// with Ctrl as the menus' shortcuts do, by the character typed.
#pragma once

#include "frontend/editor/tuneEditor.h"
#include "frontend/input/pcKeys.h"

#include <QStringView>

#include <optional>

class QKeyEvent;

namespace korvel::qt {

// The physical key: its scan code where the platform gives one, else its key code.
quint64 physicalKeyOf(const QKeyEvent& event);
PcKeyEvent pcKeyEventOf(const QKeyEvent& event);
// platform: the Qt platform the event came from (QGuiApplication::platformName()).
std::optional<EditorKey> editorKeyOf(const QKeyEvent& event, QStringView platform);

} // namespace korvel::qt
