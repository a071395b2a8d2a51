// The import dialog's advice.
#include "frontend/commands/importChoices.h"

namespace korvel {
namespace {

std::string quoted(const char* label) {
    return std::string("\"") + label + "\"";
}

} // namespace

formats::ImportAdvice dialogAdvice() {
    formats::ImportAdvice advice;
    advice.takeDrums = "the voice \"Channel 10, all tracks\" takes them";
    advice.fit = quoted(fitChoiceLabel) + " brings them into reach";
    advice.truncate = quoted(truncateChoiceLabel) + " keeps the opening that fits";
    return advice;
}

} // namespace korvel
