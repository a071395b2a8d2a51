// The sound queue pulled by a stand-in for the audio device, one pull at a
// time, with the host's answers to its reports made between pulls.
#include "soundQueue.h"
#include "renderedTune.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <vector>

namespace korvel::test {
namespace {

constexpr uint32_t aheadSamples = 1536;
constexpr uint32_t pullSamples = 512;

// The GUI thread's view: reports as posted, answered by nextNote as the window answers them.
class Host final : public SoundQueueListener, public RepaintPort {
  public:
    SoundQueue queue{*this, aheadSamples};
    std::vector<uint64_t> reports; // not yet handled
    int dryCount = 0;

    void melodyNoteEnded(uint64_t tag) override { reports.push_back(tag); }
    void ranDry() override { ++dryCount; }
    void requestLedRepaint() override {}
    void requestColonRepaint() override {}

    std::string pull(uint32_t count) {
        std::string samples(count, '\0');
        queue.pull(reinterpret_cast<uint8_t*>(samples.data()), count);
        return samples;
    }
};

struct TuneCase {
    const char* name;     // an example, or a tune of these commands
    const char* commands; // null for an example
    uint32_t pullSamples;
    uint64_t notes; // 0: one pass
};

class StreamThroughQueue : public testing::TestWithParam<TuneCase> {};

// Byte for byte the render, then silence: no gap between notes, none at the
// end, and each report carries the tag of the note that ended.
TEST_P(StreamThroughQueue, IsTheRenderedTune) {
    const TuneCase& c = GetParam();
    const std::string script = c.commands ? writeTuneScript(c.name, c.commands)
                                          : std::string(KORVEL_EXAMPLES_DIR) + "/" + c.name;
    const cli::RunLimit limit = c.notes ? cli::RunLimit::notes(c.notes) : cli::RunLimit::pass();
    const RenderedTune rendered = renderTune(script, limit);

    Host host;
    KitState kit;
    cli::loadTune(kit, script);
    press(kit, {host.queue, host}, KeyId::Run);
    uint64_t started = 1;
    std::vector<uint64_t> claimed;
    std::string stream;
    while (host.dryCount == 0) {
        // Every report raised so far, including those of notes that reached
        // the FIFO whole while nextNote queued them, before the next pull.
        while (!host.reports.empty()) {
            const uint64_t tag = host.reports.front();
            host.reports.erase(host.reports.begin());
            ASSERT_TRUE(host.queue.claimReport(tag)) << tag;
            claimed.push_back(tag);
            if (started == rendered.steps) continue;
            nextNote(kit, {host.queue, host});
            ++started;
        }
        stream += host.pull(c.pullSamples);
    }
    if (c.commands) std::filesystem::remove(script);
    ASSERT_GE(stream.size(), rendered.samples.size());
    EXPECT_TRUE(stream.compare(0, rendered.samples.size(), rendered.samples) == 0);
    EXPECT_EQ(stream.find_first_not_of('\x80', rendered.samples.size()), std::string::npos);
    EXPECT_EQ(host.queue.samplesSounded(), rendered.samples.size());
    ASSERT_EQ(claimed.size(), rendered.steps);
    for (uint64_t i = 0; i < claimed.size(); ++i) EXPECT_EQ(claimed[i], i + 1);
}

INSTANTIATE_TEST_SUITE_P(
    Tunes, StreamThroughQueue,
    testing::Values(TuneCase{"ode-to-joy.dat", nullptr, pullSamples, 0},
                    TuneCase{"frere-jacques.dat", nullptr, pullSamples, 0},
                    TuneCase{"twinkle-twinkle.dat", nullptr, pullSamples, 0},
                    TuneCase{"au-clair-de-la-lune.dat", nullptr, 1, 6}, // one sample per pull
                    TuneCase{"row-row-row-your-boat.dat", nullptr, 97, 12},
                    TuneCase{"mary-had-a-little-lamb.dat", nullptr, 700, 12},
                    // Blank memory plays the shortest note, shorter than a pull, again and again.
                    TuneCase{"shortest.dat", "0000@ 0010W 0010@ 01E0W", pullSamples, 100}));

// A note's report comes while the FIFO still holds enough to cover two more
// pulls, the host's time to answer.
TEST(SoundQueue, ReportsANoteWhileTheDeviceHasTwoPullsLeft) {
    for (uint32_t length : {368u, 5000u, 20000u}) {
        Host host;
        host.queue.playTone(toneIndex(1, 0), 3000);
        host.queue.playTone(toneIndex(1, 1), length);
        while (host.reports.size() < 2) host.pull(pullSamples);
        EXPECT_GE(3000 + length - host.queue.samplesSounded(), 2 * pullSamples) << length;
        EXPECT_EQ(host.dryCount, 0) << length;
    }
}

// STOP drops what is queued and the report already on its way is stale.
TEST(SoundQueue, StopCutsAtOnceAndStaleReportsStartNothing) {
    Host host;
    host.queue.playTone(toneIndex(0, 0), 2000);
    host.pull(pullSamples); // the whole note is in, most of it still in the FIFO
    ASSERT_EQ(host.reports, std::vector<uint64_t>{1});
    host.queue.stopSound();
    EXPECT_EQ(host.pull(pullSamples), std::string(pullSamples, '\x80'));
    EXPECT_EQ(host.dryCount, 1);
    EXPECT_FALSE(host.queue.claimReport(1)); // stopped before it was handled

    host.queue.playTone(toneIndex(0, 0), 2000); // RUN again before the old report arrives
    EXPECT_FALSE(host.queue.claimReport(1));
    host.pull(pullSamples);
    ASSERT_EQ(host.reports, (std::vector<uint64_t>{1, 2}));
    EXPECT_TRUE(host.queue.claimReport(2));
    EXPECT_FALSE(host.queue.claimReport(2)); // once only
    int pulls = 0;
    for (; !host.queue.idle(); ++pulls) host.pull(pullSamples);
    EXPECT_EQ(pulls, 3); // the FIFO's rest of the note
}

// Underruns sound at the silent level, never byte 0; a key note loops until
// cut, by a melody note or by another key, with no report.
TEST(SoundQueue, UnderrunIsSilenceAndKeyNotesLoopUntilCut) {
    Host host;
    EXPECT_EQ(host.pull(pullSamples), std::string(pullSamples, '\x80'));
    EXPECT_EQ(host.dryCount, 0); // nothing had sounded

    host.queue.startKeyNote(16);
    host.queue.startKeyNote(noKeyNote); // no key plays it: the loop goes on
    std::string held;
    while (held.size() < 2 * keyNoteLoopBytes(16)) held += host.pull(pullSamples);
    std::string expected(held.size(), '\0');
    ToneSource loop = keyNoteSource(16);
    readTone(loop, reinterpret_cast<uint8_t*>(expected.data()), expected.size());
    EXPECT_TRUE(held == expected);

    host.queue.playTone(silenceToneIndex, 100); // a rest cuts the loop at once
    EXPECT_EQ(host.pull(pullSamples), std::string(pullSamples, '\x80'));
    EXPECT_EQ(host.reports, std::vector<uint64_t>{1});
    host.queue.startKeyNote(52);
    EXPECT_EQ(host.pull(1), std::string(1, static_cast<char>(highLevel)));
    EXPECT_EQ(host.reports, std::vector<uint64_t>{1});
}

} // namespace
} // namespace korvel::test
