// The parts of the scripts the program writes.
#include "formats/scriptWriter.h"

#include "formats/hexText.h"

namespace korvel {
namespace {

constexpr size_t groupsPerLine = 4;
// Latched instead of 000 so the first group's WRITE stores into memory, not
// into the start address.
constexpr uint32_t firstAddressAlias = memoryNibbles;

std::string registerLine(uint32_t address, uint32_t value) {
    return hexText(address, 4) + "@ " + hexText(value, 4) + "W\n";
}

} // namespace

std::string preambleText(const std::string& text) {
    std::string safe = text;
    for (char& c : safe)
        if (static_cast<unsigned char>(c) < 0x20 || c == 0x7F) c = ' ';
    for (size_t at; (at = safe.find("---")) != std::string::npos;) safe[at + 1] = ' ';
    return safe;
}

std::string scriptFirstLine(const std::string& title) {
    return "KORVEL " + preambleText(title) + "\n";
}

std::string registerKeystrokes(uint32_t tempo, uint32_t startAddress) {
    return registerLine(tempoRegister, tempo) + registerLine(startAddressRegister, startAddress);
}

std::string groupKeystrokes(uint32_t address, const std::vector<uint16_t>& groups) {
    std::string text =
        hexText(address == startAddressRegister ? firstAddressAlias : address, 4) + "@\n";
    for (size_t i = 0; i < groups.size(); ++i) {
        text += hexText(groups[i], 4) + "W";
        text += i + 1 == groups.size() || i % groupsPerLine == groupsPerLine - 1 ? "\n" : " ";
    }
    return text;
}

std::string tuneScriptText(const TuneText& tune) {
    return scriptFirstLine(tune.title) + tune.preamble + keystrokesMark +
           registerKeystrokes(tune.tempo, tune.startAddress) +
           groupKeystrokes(tune.groupsAddress, tune.groups) + runReadyKeystroke;
}

} // namespace korvel
