// Files dropped on the window: a drop is taken as a copy, whatever the source
// proposes, since accepting a move would let the file manager delete the
// user's file; the first local file is the one opened.
#pragma once

#include <QString>

class QDropEvent;

namespace korvel::qt {

// Accepts event as a copy when it brings a local file a copy may take; false otherwise.
bool acceptAsCopy(QDropEvent& event);
// The first file event brings, once accepted.
QString droppedFile(const QDropEvent& event);

} // namespace korvel::qt
