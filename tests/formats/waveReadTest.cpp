// The WAV reader: every encoding gives the same samples however its bytes are
// split into blocks, and every damaged or unread file says what is wrong.
#include "formats/waveRead.h"
#include "tests/support/waveBytes.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>

namespace korvel::formats {
namespace {

using test::WaveLayout;

constexpr uint32_t rate = 8000;
const std::vector<double> tune = test::melody(rate, {69, 72, 76}, 0.1); // 0.48 s

struct Decoded {
    bool ok;
    std::string error;
    std::vector<float> samples;
};

Decoded decode(const std::string& bytes, size_t block, size_t wanted = SIZE_MAX) {
    Decoded decoded{};
    WaveReader reader([&](const float* mono, size_t count) {
        decoded.samples.insert(decoded.samples.end(), mono, mono + count);
        return decoded.samples.size() < wanted;
    });
    for (size_t at = 0; at < bytes.size(); at += block)
        if (!reader.feed(bytes.data() + at, std::min(block, bytes.size() - at))) break;
    decoded.ok = reader.finish();
    decoded.error = reader.error();
    return decoded;
}

std::string wave(const WaveLayout& layout, std::vector<double> samples = tune) {
    return test::waveBytes(layout, rate, samples);
}

TEST(WaveRead, EveryEncodingGivesTheSameSamplesHoweverItsBytesAreSplit) {
    const std::string oddChunk = std::string("junk\3\0\0\0abc\0", 12); // padded to even
    const struct {
        const char* name;
        WaveLayout layout;
    } cases[] = {
        {"8-bit", {1, 8}},
        {"16-bit", {1, 16}},
        {"24-bit", {1, 24}},
        {"32-bit", {1, 32}},
        {"float", {3, 32}},
        {"double", {3, 64}},
        {"stereo", {1, 16, 2}},
        {"three channels", {3, 32, 3}},
        {"extensible", {1, 24, 2, true}},
        {"odd chunk", {1, 16, 1, false, oddChunk}},
    };
    for (const auto& c : cases) {
        const double step =
            std::max(1e-6, c.layout.tag == 3 ? 0 : std::ldexp(1.0, 1 - c.layout.bits));
        const std::string bytes = wave(c.layout);
        for (const size_t block : {size_t(1), size_t(7), size_t(65536)}) {
            const Decoded decoded = decode(bytes, block);
            ASSERT_TRUE(decoded.ok) << c.name << ": " << decoded.error;
            ASSERT_EQ(decoded.samples.size(), tune.size()) << c.name;
            double error = 0;
            for (size_t i = 0; i < tune.size(); ++i)
                error = std::max(error, std::abs(decoded.samples[i] - tune[i]));
            EXPECT_LE(error, step) << c.name << " in blocks of " << block;
        }
    }
}

// A recorder stopped before it wrote the length leaves 0 or FFFFFFFF; a
// listener that has heard enough stops the reading early.
TEST(WaveRead, ALengthNeverWrittenRunsToTheEndAndTheListenerMayStopIt) {
    for (const uint32_t never : {0u, 0xFFFFFFFFu})
        EXPECT_EQ(decode(wave({1, 16, 1, false, {}, never}), 100).samples.size(), tune.size());
    const std::vector<double> longer = test::melody(rate, std::vector<int>(9, 69), 0.1);
    const Decoded stopped = decode(wave({}, longer), 100, 1000);
    EXPECT_TRUE(stopped.ok);
    EXPECT_LT(stopped.samples.size(), longer.size());
}

TEST(WaveRead, DamagedOrUnreadFilesSayWhatIsWrong) {
    std::vector<double> nan = tune, infinite = tune;
    nan[2400] = NAN; // 0.3 s in
    infinite[2400] = -INFINITY;
    std::string shortFormat = wave({}), badGuid = wave({1, 16, 1, true}), badBlock = wave({});
    shortFormat[16] = 14;
    badGuid[50] = 'x';
    badBlock[32] = 3;
    const struct {
        const char* name;
        std::string bytes, error;
    } cases[] = {
        {"empty", "", "the file is empty"},
        {"tiny", "RIFF", "it is not a WAV file (too short to be one)"},
        {"not audio", std::string("MThd\0\0\0\6\0\1\0\1", 12),
         "it is not a WAV file (it does not begin with "
         "RIFF and WAVE)"},
        {"big-endian", std::string("RIFX\0\0\0\0WAVE", 12),
         "it is a big-endian WAV file (RIFX), which is not read"},
        {"no fmt", std::string("RIFF\0\0\0\0WAVEdata\0\0\0\0", 20),
         "its data chunk comes before the fmt chunk that gives its format"},
        {"no data", wave({}).substr(0, 36), "it has no data chunk, which holds its audio"},
        {"short fmt", shortFormat,
         "its fmt chunk is too short (14 bytes) to give the format of "
         "its audio"},
        {"A-law", wave({6, 8}),
         "its audio is A-law (format 0006), which is not read; WAV files "
         "of PCM or float samples are"},
        {"extensible GUID", badGuid, "its extensible fmt chunk names an encoding that is not read"},
        {"no channels", wave({1, 16, 0}), "its audio has zero channels"},
        {"40 bits", wave({1, 40}),
         "it holds PCM samples of 40 bits, which are not read (8 to 32 "
         "bits are)"},
        {"frame size", badBlock,
         "its fmt chunk disagrees with itself: frames of 3 bytes for 1 "
         "channel of 16 bits"},
        {"empty data", wave({}, {}), "its data chunk is empty: it holds no audio"},
        {"NaN", wave({3, 32}, nan), "it holds a sample that is not a number (NaN) at 0:00.3"},
        {"infinite", wave({3, 64}, infinite), "it holds an infinite sample at 0:00.3"},
        {"cut short", wave({1, 16, 1, false, {}, 4 * 7680}),
         "its header claims 0:01.9 of audio (30720 bytes), but the file holds only 0:00.5 (7680 "
         "bytes)"},
    };
    for (const auto& c : cases)
        for (const size_t block : {size_t(1), size_t(4096)}) {
            const Decoded decoded = decode(c.bytes, block);
            EXPECT_FALSE(decoded.ok) << c.name;
            EXPECT_EQ(decoded.error, c.error) << c.name << " in blocks of " << block;
        }
    // The rate is checked for every decoder alike.
    EXPECT_EQ(recordingFormatFault({7999, 1}),
              "its sample rate is 7999 Hz; at least 8000 Hz are needed to hear a tune");
    EXPECT_EQ(recordingFormatFault({8000, 1}), "");
}

} // namespace
} // namespace korvel::formats
