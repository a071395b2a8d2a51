// A local name converted once to the platform's own form.
#include "files/filePath.h"

#include "files/nativeFiles.h"

namespace korvel::files {

Path::Path(const std::string& local) : native(native::nativeName(local)), shown(local) {}

} // namespace korvel::files
