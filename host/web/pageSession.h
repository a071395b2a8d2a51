// The page's one session, shared by the kit's exports (webKit.cpp) and the
// tune editor's (editorExports.cpp).
#pragma once

#include "frontend/session/session.h"

namespace korvel::web {

Session& pageSession();
// The page's number for a kit key; one that is none is keyCount, which no key answers to.
KeyId keyOf(int key);
// A kit key went down or up, for the editor's recording.
void editorSawKey(KeyId key, bool down);

} // namespace korvel::web
