// Each example's own instructions for playing it, followed from every mode the
// kit can be in, must start its tune.
#include "model/melody.h"
#include "model/script.h"
#include "tests/model/fakes.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cctype>
#include <filesystem>
#include <fstream>
#include <functional>
#include <sstream>
#include <string>
#include <vector>

namespace korvel::test {
namespace {

struct Example {
    std::string name;
    std::string text;
};

std::vector<Example> examples() {
    std::vector<Example> found;
    for (const auto& entry : std::filesystem::directory_iterator(KORVEL_EXAMPLES_DIR)) {
        if (entry.path().extension() != ".dat") continue;
        std::ifstream in(entry.path(), std::ios::binary);
        std::ostringstream text;
        text << in.rdbuf();
        found.push_back({entry.path().filename().string(), text.str()});
    }
    return found;
}

// The steps of the line "To play it from this file: A, B, then C.", trimmed.
std::vector<std::string> playSteps(const std::string& text) {
    const std::string lead = "To play it from this file:";
    const size_t start = text.find(lead);
    if (start == std::string::npos) return {};
    const size_t end = text.find('.', start);
    std::istringstream line(text.substr(start + lead.size(), end - start - lead.size()));
    std::vector<std::string> steps;
    for (std::string step; std::getline(line, step, ',');) {
        step.erase(0, step.find_first_not_of(' '));
        if (step.rfind("then ", 0) == 0) step.erase(0, 5);
        steps.push_back(step);
    }
    return steps;
}

void load(KitState& kit, const Example& example) {
    ASSERT_TRUE(applyScript(kit, example.text.data(), example.text.size()));
}

// Carries out one written step; false when the step is not understood.
bool follow(KitFixture& f, const std::string& step, const Example& example) {
    if (step == "File > Load") {
        load(f.kit, example);
    } else if (step == "STOP" || step == "RUN") {
        f.click(step == "STOP" ? KeyId::Stop : KeyId::Run);
    } else if (step.size() == 1 && std::isxdigit(static_cast<unsigned char>(step[0]))) {
        f.click(hexKey(std::stoul(step, nullptr, 16)));
    } else {
        return false;
    }
    return true;
}

struct StartingMode {
    std::string name;
    KitMode mode;
    std::function<void(KitFixture&)> enter;
};

std::vector<StartingMode> startingModes() {
    std::vector<StartingMode> modes = {
        {"Clock", KitMode::Clock, [](KitFixture&) {}},
        {"Keyboard", KitMode::Keyboard, [](KitFixture& f) { f.type("c"), f.press(KeyId::Run); }},
        // Empty memory is a tune of 0000 notes.
        {"Playing", KitMode::Playing, [](KitFixture& f) { f.press(KeyId::Run); }},
        {"Halted", KitMode::Halted,
         [](KitFixture& f) { f.type("0200@eeeeW"), f.click(KeyId::Stop), f.press(KeyId::Run); }},
    };
    for (uint32_t digit = 0; digit < 16; ++digit)
        modes.push_back({std::string("Entry") + nibbleChar(digit), KitMode::Entry,
                         [digit](KitFixture& f) { f.click(hexKey(digit)); }});
    return modes;
}

// What File > Load then RUN sounds first on a fresh kit.
PortCall firstNote(const Example& example) {
    KitFixture fresh;
    load(fresh.kit, example);
    startMelody(fresh.kit, fresh.recorder.ports());
    return fresh.recorder.calls.front();
}

TEST(ExampleInstructions, PlayTheTuneFromEveryMode) {
    const auto all = examples();
    EXPECT_GE(all.size(), 6u);
    for (const Example& example : all) {
        SCOPED_TRACE(example.name);
        const std::vector<std::string> steps = playSteps(example.text);
        ASSERT_EQ(std::count(steps.begin(), steps.end(), "File > Load"), 1);
        const PortCall first = firstNote(example);
        ASSERT_EQ(first.kind, PortCall::Tone);
        for (const StartingMode& mode : startingModes()) {
            SCOPED_TRACE(mode.name);
            KitFixture f;
            mode.enter(f);
            ASSERT_EQ(f.kit.mode, mode.mode);
            f.recorder.take();
            for (const std::string& step : steps) ASSERT_TRUE(follow(f, step, example)) << step;
            std::vector<PortCall> tones;
            for (const PortCall& call : f.recorder.calls)
                if (call.kind == PortCall::Tone) tones.push_back(call);
            EXPECT_EQ(f.kit.mode, KitMode::Playing);
            EXPECT_EQ(tones, std::vector<PortCall>{first});
        }
    }
}

} // namespace
} // namespace korvel::test
