// The WAV header's fields and the streaming of a whole file.
#include "formats/waveFile.h"

#include <gtest/gtest.h>

#include <string>

namespace korvel::formats {
namespace {

uint32_t le32(const uint8_t* at) {
    return at[0] | at[1] << 8 | at[2] << 16 | uint32_t(at[3]) << 24;
}
uint16_t le16(const uint8_t* at) {
    return static_cast<uint16_t>(at[0] | at[1] << 8);
}
std::string tag(const uint8_t* at) {
    return std::string(reinterpret_cast<const char*>(at), 4);
}

TEST(WaveHeader, DescribesMono8BitPcmAt22050) {
    const WaveHeader h = waveHeader(5145);
    EXPECT_EQ(tag(&h[0]), "RIFF");
    EXPECT_EQ(le32(&h[4]), 36u + 5145 + 1); // odd data: the pad byte counts
    EXPECT_EQ(tag(&h[8]), "WAVE");
    EXPECT_EQ(tag(&h[12]), "fmt ");
    EXPECT_EQ(le32(&h[16]), 16u);
    EXPECT_EQ(le16(&h[20]), 1u);     // PCM
    EXPECT_EQ(le16(&h[22]), 1u);     // channels
    EXPECT_EQ(le32(&h[24]), 22050u); // samples per second
    EXPECT_EQ(le32(&h[28]), 22050u); // bytes per second
    EXPECT_EQ(le16(&h[32]), 1u);     // bytes per frame
    EXPECT_EQ(le16(&h[34]), 8u);     // bits per sample
    EXPECT_EQ(tag(&h[36]), "data");
    EXPECT_EQ(le32(&h[40]), 5145u);
}

TEST(WaveHeader, EvenDataHasNoPad) {
    const WaveHeader h = waveHeader(4410);
    EXPECT_EQ(le32(&h[4]), 36u + 4410);
    EXPECT_EQ(le32(&h[40]), 4410u);
}

SampleSource giving(const std::string& samples) {
    return [samples](ByteSink& out) { return out.write(samples.data(), samples.size()); };
}

TEST(WriteWave, HeaderDataAndPad) {
    StringSink out;
    ASSERT_TRUE(writeWave(out, 3, giving("\1\2\3")));
    const WaveHeader h = waveHeader(3);
    EXPECT_EQ(out.bytes, std::string(h.begin(), h.end()) + std::string("\1\2\3\0", 4));
}

// The header is out before the samples, so a count other than announced is a
// broken file, and a length past the limit must be refused before any byte.
TEST(WriteWave, FailsUnlessTheSamplesMatchTheAnnouncedLength) {
    for (const std::string& samples : {std::string("\1\2"), std::string("\1\2\3\4")}) {
        StringSink out;
        EXPECT_FALSE(writeWave(out, 3, giving(samples))) << samples.size();
    }
    StringSink out;
    EXPECT_FALSE(writeWave(out, maxWaveDataBytes + 1, giving("")));
    EXPECT_EQ(out.bytes, "");
}

} // namespace
} // namespace korvel::formats
