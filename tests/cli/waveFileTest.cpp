// The WAV header's fields and the writer's promise: the destination changes
// only through a complete file.
#include "waveFile.h"
#include "cliTestSupport.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <string>

namespace korvel::cli {
namespace {

using test::ScratchDir;

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

TEST(WaveWriter, CommitWritesHeaderDataAndPad) {
    ScratchDir dir;
    WaveWriter writer(dir.path("out.wav"));
    const uint8_t samples[] = {1, 2, 3};
    ASSERT_TRUE(writer.open());
    ASSERT_TRUE(writer.append(samples, 2));
    ASSERT_TRUE(writer.append(samples + 2, 1));
    ASSERT_TRUE(writer.commit());
    const std::string file = test::readFile(dir.path("out.wav"));
    const WaveHeader h = waveHeader(3);
    EXPECT_EQ(file, std::string(h.begin(), h.end()) + std::string("\1\2\3\0", 4));
    EXPECT_EQ(dir.names(), std::vector<std::string>{"out.wav"});
}

TEST(WaveWriter, OldFileStaysUntilCommit) {
    ScratchDir dir;
    test::writeFile(dir.path("out.wav"), "old");
    const uint8_t sample = 7;
    {
        WaveWriter abandoned(dir.path("out.wav"));
        ASSERT_TRUE(abandoned.open());
        ASSERT_TRUE(abandoned.append(&sample, 1));
        EXPECT_EQ(test::readFile(dir.path("out.wav")), "old");
    }
    EXPECT_EQ(test::readFile(dir.path("out.wav")), "old");
    EXPECT_EQ(dir.names(), std::vector<std::string>{"out.wav"});

    WaveWriter writer(dir.path("out.wav"));
    ASSERT_TRUE(writer.open());
    ASSERT_TRUE(writer.append(&sample, 1));
    ASSERT_TRUE(writer.commit());
    EXPECT_EQ(test::readFile(dir.path("out.wav")).size(), waveHeaderBytes + 2);
}

// A stray file with the temporary name is neither used nor harmed.
TEST(WaveWriter, LeavesAStrayTemporaryFileAlone) {
    ScratchDir dir;
    test::writeFile(dir.path("out.wav.partial"), "someone else's");
    WaveWriter writer(dir.path("out.wav"));
    ASSERT_TRUE(writer.open());
    ASSERT_TRUE(writer.commit());
    EXPECT_EQ(test::readFile(dir.path("out.wav.partial")), "someone else's");
    EXPECT_EQ(test::readFile(dir.path("out.wav")).size(), waveHeaderBytes);
}

TEST(WaveWriter, RefusesToPassTheSizeLimit) {
    ScratchDir dir;
    WaveWriter writer(dir.path("out.wav"));
    const uint8_t sample = 0;
    ASSERT_TRUE(writer.open());
    ASSERT_TRUE(writer.append(&sample, 1));
    // The size is checked before anything is written, so the count is never read.
    EXPECT_FALSE(writer.append(&sample, maxWaveDataBytes));
    EXPECT_NE(writer.error().find("4 GiB"), std::string::npos);
    EXPECT_FALSE(writer.commit());
    EXPECT_TRUE(dir.names().empty());
}

TEST(WaveWriter, ReportsAFolderThatIsNotThere) {
    ScratchDir dir;
    WaveWriter writer(dir.path("missing/out.wav"));
    EXPECT_FALSE(writer.open());
    EXPECT_NE(writer.error().find("No such file or directory"), std::string::npos);
    EXPECT_TRUE(dir.names().empty());
}

TEST(WaveWriter, ReportsADestinationItCannotReplace) {
    ScratchDir dir;
    std::filesystem::create_directory(dir.path("out.wav"));
    WaveWriter writer(dir.path("out.wav"));
    ASSERT_TRUE(writer.open());
    EXPECT_FALSE(writer.commit());
    EXPECT_NE(writer.error().find("cannot replace"), std::string::npos);
    EXPECT_EQ(dir.names(), std::vector<std::string>{"out.wav"});
}

} // namespace
} // namespace korvel::cli
