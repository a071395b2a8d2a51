// Fuzz target: arbitrary bytes as a script file, then a keypad session.
//
// The input is a script up to its last zero byte and, after that byte, a
// program of one-byte actions (see Action). An input without a zero byte is a
// script alone, so the example tunes seed the corpus as they are. After the
// load and after every action the whole kit state must be in range and every
// call out of the model must name something a host can play or draw.
#include "tests/model/fakes.h"

#include "files/scriptFile.h"
#include "model/clock.h"
#include "model/melody.h"
#include "model/toneBank.h"

#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <tuple>

namespace korvel::test {
namespace {

// The top three bits of an action byte; the low five are its argument.
enum class Action : uint8_t {
    Press = 0,    // press key id arg (22..31 are no key)
    Release = 1,  // release key id arg
    Click = 2,    // press and release key id arg
    Complete = 3, // arg + 1 completion reports, answered with nextNote while Playing
    Tick = 4,     // (arg + 1)^2 clock ticks of 100 ms
    Reset = 5,    // the Reset command
    Load = 6,     // load the same script again, as File > Load mid-session
    Run = 7,      // press and release RUN
};

// Starts near midnight so a few ticks reach every roll-over of the clock.
constexpr ClockReading startReading{23, 59, 58, 0};
// Bounds an input's cost where a tune has nothing to sound and every report searches memory.
constexpr uint32_t completionBudget = 4096;

[[noreturn]] void fail(const char* what, uint32_t value, size_t step) {
    std::fprintf(stderr, "kit fuzz: %s (value %u) after step %zu\n", what, value, step);
    std::abort();
}

void require(bool holds, const char* what, uint32_t value, size_t step) {
    if (!holds) fail(what, value, step);
}

// Built once: sound requests are checked against the buffers a host would play.
const ToneBank& toneBank() {
    static const ToneBank bank = [] {
        ToneBank built;
        if (!buildToneBank(built)) fail("tone bank could not be built", 0, 0);
        return built;
    }();
    return bank;
}

void checkState(const KitState& kit, size_t step) {
    for (uint32_t nibble : kit.memory) require(nibble <= 15, "memory nibble", nibble, step);
    for (uint32_t digit : kit.digits) require(digit <= 15, "digit", digit, step);
    require(kit.tempo <= 15, "tempo", kit.tempo, step);
    require(kit.startAddress <= 0xFFF, "start address", kit.startAddress, step);
    require(kit.playPointer < memoryNibbles, "play pointer", kit.playPointer, step);
    require(kit.repeat <= 1, "repeat flag", kit.repeat, step);
    require(kit.mode <= KitMode::Halted, "mode", uint32_t(kit.mode), step);
    require(kit.hours < 24, "hours", kit.hours, step);
    require(kit.minutes < 60, "minutes", kit.minutes, step);
    require(kit.seconds < 60, "seconds", kit.seconds, step);
    require(kit.tenths < 10, "tenths", kit.tenths, step);
    require(kit.colonLit == (kit.seconds % 2 == 0 ? 1 : 0), "colon against seconds", kit.colonLit,
            step);
}

void checkCalls(const std::vector<PortCall>& calls, size_t step) {
    const ToneBank& bank = toneBank();
    for (const PortCall& call : calls) {
        if (call.kind == PortCall::Tone) {
            require(call.index < toneSlotCount && bank.tone[call.index], "tone index", call.index,
                    step);
            require(call.length > 0 && call.length <= toneBufferBytes, "tone length", call.length,
                    step);
        } else if (call.kind == PortCall::KeyNote) {
            require(call.index < keyNoteSlotCount && bank.keyNote[call.index].samples,
                    "key-note index", call.index, step);
        }
    }
}

auto clockFields(const KitState& kit) {
    return std::tie(kit.hours, kit.minutes, kit.seconds, kit.tenths, kit.colonLit);
}

auto allFields(const KitState& kit) {
    return std::tuple_cat(std::tie(kit.memory, kit.digits, kit.address, kit.tempo, kit.startAddress,
                                   kit.playPointer, kit.repeat, kit.mode),
                          clockFields(kit));
}

// A load works through the register primitives only; a rejected one changes nothing.
void load(KitState& kit, const uint8_t* script, size_t size, size_t step) {
    const KitState before = kit;
    const FileResult result = loadScriptText(kit, reinterpret_cast<const char*>(script), size);
    require(result.outcome == FileOutcome::Done || result.outcome == FileOutcome::NotScript,
            "load outcome", uint32_t(result.outcome), step);
    if (result.outcome == FileOutcome::NotScript)
        require(allFields(kit) == allFields(before), "rejected load changed the kit", 0, step);
    require(kit.mode == before.mode && kit.playPointer == before.playPointer &&
                kit.repeat == before.repeat && clockFields(kit) == clockFields(before),
            "load changed more than the registers", 0, step);
}

// The editions' load replaces the tune: refused, nothing changes; done, the
// tune and registers are a fresh kit's after the same load, the rest as it was.
void replace(const KitState& kit, const uint8_t* script, size_t size, size_t step) {
    const char* text = reinterpret_cast<const char*>(script);
    KitState replaced = kit, fresh{};
    const FileResult result = replaceTune(replaced, text, size, TuneOrigin::Clipboard, "fuzz");
    if (result.outcome != FileOutcome::Done) {
        require(allFields(replaced) == allFields(kit), "refused replace changed the kit", 0, step);
        return;
    }
    loadScriptText(fresh, text, size);
    require(std::tie(replaced.memory, replaced.digits, replaced.address, replaced.tempo,
                     replaced.startAddress) == std::tie(fresh.memory, fresh.digits, fresh.address,
                                                        fresh.tempo, fresh.startAddress),
            "replace differs from a fresh load", 0, step);
    require(replaced.mode == kit.mode && clockFields(replaced) == clockFields(kit) &&
                result.skipped <= size,
            "replace changed more than the tune", uint32_t(result.skipped), step);
}

struct Split {
    size_t scriptSize;
    size_t programStart;
};

// The script runs up to the last zero byte and the program follows it; without
// a zero byte the whole input is the script.
Split splitInput(const uint8_t* data, size_t size) {
    size_t start = size;
    while (start > 0 && data[start - 1] != 0) --start;
    return start > 0 ? Split{start - 1, start} : Split{size, size};
}

} // namespace
} // namespace korvel::test

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    using namespace korvel;
    using namespace korvel::test;

    const auto [scriptSize, start] = splitInput(data, size);

    KitState kit{};
    initKit(kit, startReading);
    RecordingPorts recorder;
    const KitPorts ports = recorder.ports();

    load(kit, data, scriptSize, 0);
    checkState(kit, 0);
    uint32_t completions = 0;
    for (size_t i = start; i < size; ++i) {
        const size_t step = i - start + 1;
        const auto action = static_cast<Action>(data[i] >> 5);
        const uint32_t arg = data[i] & 31;
        const auto key = static_cast<KeyId>(arg);
        switch (action) {
        case Action::Press: press(kit, ports, key); break;
        case Action::Release: release(kit, ports, key); break;
        case Action::Click:
            press(kit, ports, key);
            release(kit, ports, key);
            break;
        case Action::Complete:
            for (uint32_t n = 0; n <= arg && completions < completionBudget; ++n, ++completions)
                if (kit.mode == KitMode::Playing) nextNote(kit, ports);
            break;
        case Action::Tick: {
            const KitMode mode = kit.mode;
            for (uint32_t n = 0; n < (arg + 1) * (arg + 1); ++n) tickClock(kit, recorder);
            for (const PortCall& call : recorder.calls)
                require(mode == KitMode::Clock && (call == ledCall || call == colonCall),
                        "clock call outside Clock mode or to the sound", uint32_t(call.kind), step);
            break;
        }
        case Action::Reset: resetKit(kit, ports); break;
        case Action::Load:
            replace(kit, data, scriptSize, step);
            load(kit, data, scriptSize, step);
            break;
        case Action::Run:
            press(kit, ports, KeyId::Run);
            release(kit, ports, KeyId::Run);
            break;
        }
        checkState(kit, step);
        checkCalls(recorder.take(), step);
    }
    return 0;
}
