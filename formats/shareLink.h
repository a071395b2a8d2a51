// A tune as a short text for a link's fragment: the memory, the tempo and the
// start address, so a tune can be passed on as a web address.
//
// The text is "1.T.SSS.MEMORY": the format version, the tempo as one hex
// digit, the start address as three, and the 512 nibbles packed two to a byte
// (the lower address in the high half) in unpadded base64url, 342 characters.
// Reading is strict: any other text is refused and changes nothing.
#pragma once

#include "model/kit.h"

#include <string>

namespace korvel {

std::string shareText(const KitState& kit);
// Sets memory, tempo and start address from the text; false, with the kit
// untouched, when the text is not one shareText writes.
bool applyShareText(KitState& kit, const std::string& text);

} // namespace korvel
