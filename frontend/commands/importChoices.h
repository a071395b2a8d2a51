// The words of the MIDI import's choices, the same in every edition's dialog,
// and the advice a refused import gives in those words.
#pragma once

#include "formats/tuneImport.h"

namespace korvel {

constexpr const char* fitChoiceLabel = "Move out-of-range notes by octaves";
constexpr const char* truncateChoiceLabel = "Keep what fits in memory";

// The import's advice naming the dialog's choices instead of korvel-cli's options.
formats::ImportAdvice dialogAdvice();

} // namespace korvel
