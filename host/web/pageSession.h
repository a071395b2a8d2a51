// The page's one session, shared by the kit's exports (webKit.cpp), the
// tune editor's (editorExports.cpp) and Listen's (listenExports.cpp).
#pragma once

#include "frontend/editor/tuneEditor.h"
#include "frontend/session/session.h"

namespace korvel::web {

Session& pageSession();
// The page's number for a kit key; one that is none is keyCount, which no key answers to.
KeyId keyOf(int key);
// The tune editor (editorExports.cpp), made once the page has started it.
TuneEditor& pageEditor();
// A kit key went down or up, for the editor's recording.
void editorSawKey(KeyId key, bool down);

} // namespace korvel::web
