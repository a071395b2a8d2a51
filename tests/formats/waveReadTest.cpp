// The WAV reader: every encoding gives the same samples however its bytes are
// split into blocks, and a damaged or unread file says what is wrong.
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

// wanted: the samples after which the listener has heard enough.
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

std::string wave(const WaveLayout& layout, const std::vector<double>& samples = tune) {
    return test::waveBytes(layout, rate, samples);
}

// A recorder stopped before it wrote the data's length leaves 0 or FFFFFFFF:
// the audio runs to the end of the file.
TEST(WaveRead, EveryEncodingGivesTheSameSamplesHoweverItsBytesAreSplit) {
    const std::string oddChunk("junk\3\0\0\0abc\0", 12); // padded to even
    for (const WaveLayout& layout :
         {WaveLayout(1, 8), WaveLayout(1, 16), WaveLayout(1, 24), WaveLayout(1, 32),
          WaveLayout(3, 32), WaveLayout(3, 64), WaveLayout(1, 16, 2), WaveLayout(3, 32, 3),
          WaveLayout(1, 24, 2, true), WaveLayout(1, 16, 1, false, oddChunk),
          WaveLayout(1, 16, 1, false, {}, 0), WaveLayout(1, 16, 1, false, {}, 0xFFFFFFFF)}) {
        const double step = std::max(1e-6, layout.tag == 3 ? 0 : std::ldexp(1.0, 1 - layout.bits));
        for (const size_t block : {size_t(1), size_t(7), size_t(65536)}) {
            const Decoded decoded = decode(wave(layout), block);
            ASSERT_TRUE(decoded.ok) << layout.bits << " bits: " << decoded.error;
            ASSERT_EQ(decoded.samples.size(), tune.size()) << layout.bits;
            for (size_t i = 0; i < tune.size(); ++i)
                ASSERT_NEAR(decoded.samples[i], tune[i], step) << layout.bits << " bits, " << i;
        }
    }
    const std::vector<double> longer = test::melody(rate, std::vector<int>(9, 69), 0.1);
    const Decoded stopped = decode(wave({}, longer), 100, 1000); // the listener heard enough
    EXPECT_TRUE(stopped.ok);
    EXPECT_LT(stopped.samples.size(), longer.size());
}

TEST(WaveRead, DamagedOrUnreadFilesSayWhatIsWrong) {
    std::vector<double> nan = tune, infinite = tune;
    nan[2400] = NAN; // 0.3 s in
    infinite[2400] = -INFINITY;
    std::string badBlock = wave({});
    badBlock[32] = 3;
    const struct {
        std::string bytes, error; // a part of the message that tells the fault
    } cases[] = {
        {"", "the file is empty"},
        {std::string("MThd\0\0\0\6\0\1\0\1", 12), "not a WAV file (it does not begin with RIFF"},
        {std::string("RIFF\0\0\0\0WAVEdata\0\0\0\0", 20), "data chunk comes before the fmt"},
        {wave({}).substr(0, 36), "it has no data chunk"},
        {wave({1, 16, 1, false, std::string("huge\xFF\xFF\xFF\xFF")}), "it has no data chunk"},
        {wave({6, 8}), "its audio is A-law (format 0006), which is not read"},
        {wave({1, 16, 0}), "its audio has zero channels"},
        {badBlock, "frames of 3 bytes for 1 channel of 16 bits"},
        {wave({}, {}), "its data chunk is empty"},
        {wave({3, 32}, nan), "a sample that is not a number (NaN) at 0:00.3"},
        {wave({3, 64}, infinite), "an infinite sample at 0:00.3"},
        {wave({1, 16, 1, false, {}, 4 * 7680}),
         "claims 0:01.9 of audio (30720 bytes), but the file holds only 0:00.5 (7680 bytes)"},
    };
    for (const auto& c : cases)
        for (const size_t block : {size_t(1), size_t(4096)}) {
            const Decoded decoded = decode(c.bytes, block);
            EXPECT_FALSE(decoded.ok);
            EXPECT_NE(decoded.error.find(c.error), std::string::npos) << decoded.error;
        }
    EXPECT_NE(recordingFormatFault({7999, 1}).find("7999 Hz; at least 8000 Hz"), std::string::npos);
    EXPECT_EQ(recordingFormatFault({8000, 1}), "");
}

} // namespace
} // namespace korvel::formats
