// The start address's and the tempo's fields: their ranges and words.
#include "frontend/editor/tuneSettings.h"

#include "formats/hexText.h"
#include "model/melody.h"

#include <cctype>

namespace korvel {
namespace {

constexpr uint32_t largestStartAddress = 0xFFF; // what WRITE at 000 takes

const TuneSettingField startAddressField{
    largestStartAddress, 3, "Where RUN starts the tune (as WRITE at address 000)",
    "The start address is one to three hex digits, 000 to FFF."};
const TuneSettingField tempoField{tempoCount - 1, 1,
                                  "The tempo: 0 fastest, F slowest (as WRITE at address 00E)",
                                  "The tempo is one hex digit, 0 (fastest) to F (slowest)."};

} // namespace

const TuneSettingField& tuneSettingField(TuneSetting setting) {
    return setting == TuneSetting::Tempo ? tempoField : startAddressField;
}

std::string tuneSettingText(TuneSetting setting, uint32_t value) {
    return hexText(value, tuneSettingField(setting).digits);
}

std::optional<uint32_t> readTuneSetting(TuneSetting setting, std::string_view typed) {
    const auto isSpace = [](char c) { return std::isspace(static_cast<unsigned char>(c)) != 0; };
    while (!typed.empty() && isSpace(typed.front())) typed.remove_prefix(1);
    while (!typed.empty() && isSpace(typed.back())) typed.remove_suffix(1);
    const TuneSettingField& field = tuneSettingField(setting);
    if (typed.empty() || typed.size() > size_t(field.digits)) return std::nullopt;
    uint32_t value = 0;
    for (char c : typed) {
        if (!std::isxdigit(static_cast<unsigned char>(c))) return std::nullopt;
        value = value * 16 + uint32_t(std::isdigit(static_cast<unsigned char>(c))
                                          ? c - '0'
                                          : std::toupper(static_cast<unsigned char>(c)) - 'A' + 10);
    }
    if (value > field.largest) return std::nullopt;
    return value;
}

} // namespace korvel
