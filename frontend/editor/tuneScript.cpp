// Script text of steps, written as the examples are and read back by the
// kit's own script loader.
#include "frontend/editor/tuneScript.h"

#include "formats/hexText.h"
#include "formats/scriptText.h"
#include "frontend/editor/tuneReach.h"
#include "frontend/editor/tuneTable.h"
#include "model/script.h"

#include <algorithm>

namespace korvel {
namespace {

constexpr uint32_t groupsPerLine = 4;
// Latched instead of 0000 so the first row's WRITE stores into memory, not the start address.
constexpr uint32_t firstRowAlias = memoryNibbles;
// Never a nibble's value: marks memory the script leaves alone.
constexpr uint32_t untouched = 16;

std::string latchLine(uint32_t address) {
    return hexText(address == startAddressRegister ? firstRowAlias : address, 4) + "@\n";
}

std::string groupsText(const KitState& kit, uint32_t row, uint32_t count) {
    std::string text = latchLine(row * stepNibbles);
    for (uint32_t i = 0; i < count; ++i) {
        text += hexText(groupAt(kit, row + i), 4) + "W";
        text += i + 1 == count || i % groupsPerLine == groupsPerLine - 1 ? "\n" : " ";
    }
    return text;
}

// Typed at one of the two register addresses, where WRITE sets the tempo or the start address.
std::string registerLine(uint32_t address, uint32_t value) {
    return hexText(address, 4) + "@ " + hexText(value, 4) + "W\n";
}

// One line, without the "---" that would end the script's free text early.
std::string titleLine(std::string title) {
    std::replace_if(
        title.begin(), title.end(), [](char c) { return c == '\n' || c == '\r'; }, ' ');
    for (size_t at; (at = title.find("---")) != std::string::npos;) title.erase(at, 1);
    return title;
}

} // namespace

std::string stepsScript(const KitState& kit, uint32_t row, uint32_t count) {
    const uint32_t last = row + count - 1;
    return "KORVEL steps " + addressText(row * stepNibbles) + " to " +
           addressText(last * stepNibbles) + "\n---\n" + groupsText(kit, row, count);
}

std::string wholeTuneScript(const KitState& kit, const std::string& title) {
    return "KORVEL " + titleLine(title) + "\nStarts at " + addressText(kit.startAddress) +
           ", tempo " + hexText(kit.tempo, 1) + ".\n---\n" +
           registerLine(tempoRegister, kit.tempo) +
           registerLine(startAddressRegister, kit.startAddress) + groupsText(kit, 0, tuneRowCount) +
           "0\n";
}

ScriptSteps scriptSteps(const std::string& text) {
    KitState scratch{};
    scratch.memory.fill(untouched);
    if (!applyScript(scratch, text.data(), text.size())) return {false, notScriptSentence, 0, {}};
    const auto& memory = scratch.memory;
    const auto written = [](uint32_t nibble) { return nibble != untouched; };
    const auto first = std::find_if(memory.begin(), memory.end(), written);
    if (first == memory.end()) return {false, "The script writes no steps.", 0, {}};
    const auto last = std::find_if(memory.rbegin(), memory.rend(), written);
    ScriptSteps steps{true, {}, rowOf(static_cast<uint32_t>(first - memory.begin())), {}};
    const uint32_t end = rowOf(static_cast<uint32_t>(memory.rend() - last - 1)) + 1;
    for (uint32_t nibble = steps.row * stepNibbles; nibble < end * stepNibbles; ++nibble)
        if (!written(memory[nibble])) scratch.memory[nibble] = 0;
    for (uint32_t r = steps.row; r < end; ++r)
        steps.groups.push_back(static_cast<uint16_t>(groupAt(scratch, r)));
    return steps;
}

} // namespace korvel
