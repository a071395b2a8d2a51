// The two settings the tune editor shows above its table, as the kit keeps
// them at addresses 000 and 00E: where RUN starts the tune and the tempo.
// Both are hex, as the kit's LED shows them and its keypad takes them, in
// every edition's fields and messages.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

namespace korvel {

enum class TuneSetting : uint8_t { StartAddress, Tempo };

struct TuneSettingField {
    uint32_t largest;
    int digits;          // as many as the largest value has
    const char* tip;     // what the setting does
    const char* refusal; // said when typed text is not a value
};

const TuneSettingField& tuneSettingField(TuneSetting setting);
// The value as its field shows it: "010", "E".
std::string tuneSettingText(TuneSetting setting, uint32_t value);
// Typed text as a value: one to the field's digits of hex, either case,
// spaces around ignored; nothing for anything else.
std::optional<uint32_t> readTuneSetting(TuneSetting setting, std::string_view typed);

} // namespace korvel
