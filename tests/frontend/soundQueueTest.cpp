// The sound queue's cuts and its reports of melody notes' ends, pulled as the
// device pulls it.
#include "frontend/session/soundQueue.h"
#include "tests/frontend/pulledSound.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace korvel::test {
namespace {

constexpr uint32_t pullSamples = 512;
constexpr uint32_t keyNote = 16;
constexpr uint32_t longNote = 3000; // ends only after a few pulls
constexpr uint32_t shortNote = 300; // goes into the queue whole when it starts
// Running three pulls ahead, the queue takes in up to sample 3072 on the third
// pull: a note of this length and a short one behind it end in that one pull.
constexpr uint32_t endsWithTheNext = 2600;
const uint32_t toneA = toneIndex(0, 0), toneB = toneIndex(2, 7);

struct Device final : SoundQueueListener {
    SoundQueue queue{*this, 3 * pullSamples};
    std::vector<uint64_t> reports;
    void melodyNoteEnded(uint64_t tag) override { reports.push_back(tag); }
    void ranDry() override {}
    std::string pull() {
        std::string samples(pullSamples, '\0');
        queue.pull(reinterpret_cast<uint8_t*>(samples.data()), pullSamples);
        return samples;
    }
};

struct Step {
    enum Kind { Key, Tone, Stop, Pull } kind;
    uint32_t tone = 0, length = 0;
};

struct QueueCase {
    const char* name;
    std::vector<Step> steps;
    std::vector<uint64_t> reports; // tags, in the order raised
    std::string heard;             // after the last step, before the silence
    uint64_t claimable;            // the one report claimReport takes; 0: none
};

class SoundQueueCuts : public testing::TestWithParam<QueueCase> {};

TEST_P(SoundQueueCuts, SoundAndReportAsTabled) {
    const QueueCase& c = GetParam();
    Device device;
    for (const Step& step : c.steps) {
        switch (step.kind) {
        case Step::Key: device.queue.startKeyNote(keyNote); break;
        case Step::Tone: device.queue.playTone(step.tone, step.length); break;
        case Step::Stop: device.queue.stopSound(); break;
        case Step::Pull: device.pull(); break;
        }
    }
    std::string heard;
    while (heard.size() < c.heard.size() + 4 * pullSamples) heard += device.pull();
    EXPECT_TRUE(heard.compare(0, c.heard.size(), c.heard) == 0);
    EXPECT_EQ(heard.find_first_not_of(char(silentLevel), c.heard.size()), std::string::npos);
    EXPECT_EQ(device.reports, c.reports);
    for (uint64_t tag = 1; tag <= 2; ++tag)
        EXPECT_EQ(device.queue.claimReport(tag), tag == c.claimable) << tag;
}

const Step key{Step::Key}, stop{Step::Stop}, pull{Step::Pull};
Step tone(uint32_t index, uint32_t length) {
    return {Step::Tone, index, length};
}

INSTANTIATE_TEST_SUITE_P(
    Cases, SoundQueueCuts,
    testing::Values(
        // The loop would never end, so the note must not wait behind it.
        QueueCase{"MelodyNoteCutsKeyLoop",
                  {key, pull, pull, tone(toneA, longNote)},
                  {1},
                  noteSamples(toneA, longNote),
                  1},
        QueueCase{"StopCutsANoteUnreported", {tone(toneA, longNote), pull, stop}, {}, "", 0},
        QueueCase{"StopAfterTheEndWasReported", {tone(toneA, shortNote), stop}, {1}, "", 0},
        QueueCase{"StopThenANewNote",
                  {tone(toneA, longNote), pull, stop, tone(toneB, longNote)},
                  {2},
                  noteSamples(toneB, longNote),
                  2},
        QueueCase{"EndsReportedInOrder",
                  {tone(toneA, endsWithTheNext), tone(toneB, shortNote)},
                  {1, 2},
                  noteSamples(toneA, endsWithTheNext) + noteSamples(toneB, shortNote),
                  2}),
    [](const testing::TestParamInfo<QueueCase>& info) { return std::string(info.param.name); });

} // namespace
} // namespace korvel::test
