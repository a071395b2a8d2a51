// Script text of steps, written as the examples are and read back by the
// kit's own script loader.
#include "frontend/editor/tuneScript.h"

#include "formats/hexText.h"
#include "formats/scriptText.h"
#include "formats/scriptWriter.h"
#include "frontend/editor/tuneReach.h"
#include "frontend/editor/tuneTable.h"
#include "model/script.h"

#include <algorithm>
#include <vector>

namespace korvel {
namespace {

// Never a nibble's value: marks memory the script leaves alone.
constexpr uint32_t untouched = 16;

std::vector<uint16_t> groupsOf(const KitState& kit, uint32_t row, uint32_t count) {
    std::vector<uint16_t> groups;
    for (uint32_t i = 0; i < count; ++i)
        groups.push_back(static_cast<uint16_t>(groupAt(kit, row + i)));
    return groups;
}

} // namespace

std::string stepsScript(const KitState& kit, uint32_t row, uint32_t count) {
    const uint32_t last = row + count - 1;
    return scriptFirstLine("steps " + addressText(row * stepNibbles) + " to " +
                           addressText(last * stepNibbles)) +
           keystrokesMark + groupKeystrokes(row * stepNibbles, groupsOf(kit, row, count));
}

std::string wholeTuneScript(const KitState& kit, const std::string& title) {
    return tuneScriptText(
        {title,
         "Starts at " + addressText(kit.startAddress) + ", tempo " + hexText(kit.tempo, 1) + ".\n",
         kit.tempo, kit.startAddress, 0, groupsOf(kit, 0, tuneRowCount)});
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
