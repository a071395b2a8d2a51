// PC keys by their place on the keyboard: the character the key at a place
// types on a US layout without Shift, from its PC scan code (set 1). A view
// that reads keys this way keeps the tracker piano's shape on any layout.
#pragma once

#include <cstdint>
#include <optional>

namespace korvel {

// The main block's printable keys but Space, and the numeric keypad's digits;
// none for any other code.
std::optional<char> usCharacterAtScanCode(uint32_t scanCode);

} // namespace korvel
