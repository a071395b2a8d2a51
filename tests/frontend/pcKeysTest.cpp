// The PC keys: held by physical key, repeats paired by time stamp, the
// modifiers' rule, and a window that loses the keyboard.
#include "frontend/input/pcKeys.h"
#include "tests/model/fakes.h"

#include <gtest/gtest.h>

namespace korvel {
namespace {

enum class Op { Press, Release, Settle, ForgetAll };

struct Step {
    Op op;
    uint64_t physical = 0;
    const char* key = "";
    uint64_t timestamp = 0;
    char typed = 0;
    bool command = false;
    bool repeat = false;
    // Expected:
    bool taken = false;
    std::optional<KeyId> letGo = std::nullopt;
    std::optional<KeyId> hold = std::nullopt;
    bool settleLater = false;
};

struct Script {
    const char* name;
    bool pairsRepeats;
    std::vector<Step> steps;
};

// Physical keys.
constexpr uint64_t key2 = 3, keyA = 30, keyQ = 16, keyR = 19, backspace = 14;

TEST(PcKeys, EachAnswerIsWhatTheKitKeyNeeds) {
    const Script scripts[] = {
        {"the layout changes while a key is held: its release finds the key its press held",
         false,
         {{Op::Press, key2, "2", 1, '2', false, false, true, {}, hexKey(2)},
          {Op::Release, key2, "@", 2, '@', false, false, true, hexKey(2), {}}}},
        {"AltGr types @, other keys with Ctrl are the program's; Backspace and Esc play",
         false,
         {{Op::Press, keyQ, "q", 1, '@', true, false, true, {}, KeyId::Adr},
          {Op::Press, keyR, "r", 2, '\x12', true, false, false, {}, {}},
          {Op::Release, keyR, "r", 3, 'r', false, false, false, {}, {}},
          {Op::Release, keyQ, "q", 4, 'q', false, false, true, KeyId::Adr, {}},
          {Op::Press, backspace, "Backspace", 5, 0, false, false, true, {}, KeyId::Clear},
          {Op::Press, 1, "Escape", 6, 0, false, false, true, {}, KeyId::Stop},
          {Op::Press, 28, "Enter", 7, 0, false, false, false, {}, {}}}},
        {"a flagged repeat, or a second press, holds nothing more",
         false,
         {{Op::Press, keyA, "a", 1, 'a', false, false, true, {}, hexKey(10)},
          {Op::Press, keyA, "a", 2, 'a', false, true, true, {}, {}},
          {Op::Release, keyA, "a", 3, 'a', false, true, true, {}, {}},
          {Op::Release, keyA, "a", 4, 'a', false, false, true, hexKey(10), {}}}},
        {"paired: a press at its release's time is a repeat, of that key only",
         true,
         {{Op::Press, keyA, "a", 1, 'a', false, false, true, {}, hexKey(10)},
          {Op::Press, key2, "2", 2, '2', false, false, true, {}, hexKey(2)},
          {Op::Release, keyA, "a", 10, 'a', false, false, true, {}, {}, true},
          {Op::Release, key2, "2", 10, '2', false, false, true, {}, {}, true},
          {Op::Press, keyA, "a", 10, 'a', false, false, true, {}, {}},
          {Op::Settle, keyA, "", 10},
          {Op::Settle, key2, "", 10, 0, false, false, false, hexKey(2), {}},
          // Up and down again with another time: let go, then held anew.
          {Op::Release, keyA, "a", 20, 'a', false, false, true, {}, {}, true},
          {Op::Press, keyA, "a", 21, 'a', false, false, true, hexKey(10), hexKey(10)},
          // The first release's timer, late: the second release waits on.
          {Op::Release, keyA, "a", 30, 'a', false, false, true, {}, {}, true},
          {Op::Settle, keyA, "", 20},
          {Op::Settle, keyA, "", 30, 0, false, false, false, hexKey(10), {}}}},
        {"the window loses the keyboard: nothing held is let go again, keys hold anew",
         true,
         {{Op::Press, keyA, "a", 1, 'a', false, false, true, {}, hexKey(10)},
          {Op::Press, key2, "2", 2, '2', false, false, true, {}, hexKey(2)},
          {Op::Release, keyA, "a", 3, 'a', false, false, true, {}, {}, true},
          {Op::ForgetAll},
          {Op::Settle, keyA, "", 3},
          {Op::Release, key2, "2", 4, '2', false, false, false, {}, {}},
          {Op::Press, key2, "2", 5, '2', false, false, true, {}, hexKey(2)}}},
    };
    for (const Script& script : scripts) {
        PcKeys keys(script.pairsRepeats);
        for (size_t i = 0; i < script.steps.size(); ++i) {
            const Step& s = script.steps[i];
            const PcKeyEvent event{s.physical, s.key, s.typed, s.command, s.repeat, s.timestamp};
            PcKeyAnswer answer;
            if (s.op == Op::Press) answer = keys.press(event);
            if (s.op == Op::Release) answer = keys.release(event);
            if (s.op == Op::Settle) answer.letGo = keys.settle(s.physical, s.timestamp);
            if (s.op == Op::ForgetAll) keys.forgetAll();
            const std::string where = std::string(script.name) + ", step " + std::to_string(i);
            EXPECT_EQ(answer.taken, s.taken) << where;
            EXPECT_EQ(answer.letGo, s.letGo) << where;
            EXPECT_EQ(answer.hold, s.hold) << where;
            EXPECT_EQ(answer.settleLater, s.settleLater) << where;
        }
    }
}

} // namespace
} // namespace korvel
