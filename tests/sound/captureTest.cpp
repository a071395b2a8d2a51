// The sound input's way from the audio thread to the GUI thread: bounded,
// the oldest samples dropped and counted, never reordered; and SDL's capture
// delivering what its driver read, in order.
#include "audio/captureQueue.h"
#include "audio/deviceCapture.h"

#include <gtest/gtest.h>

#include <atomic>
#include <filesystem>
#include <fstream>
#include <numeric>
#include <thread>
#include <unistd.h>

namespace korvel::test {
namespace {

std::vector<float> numbered(size_t first, size_t count) {
    std::vector<float> samples(count);
    std::iota(samples.begin(), samples.end(), float(first));
    return samples;
}

TEST(CaptureQueue, KeepsTheNewestWithinItsCapacityAndCountsTheRest) {
    const struct {
        std::vector<size_t> blocks; // pushed in turn, numbered on from 0
        size_t dropped;             // the first kept is this number
    } cases[] = {{{3, 5}, 0}, {{6, 5}, 3}, {{7, 7, 7}, 13}, {{20}, 12}, {{20, 2}, 14}};
    for (const auto& c : cases) {
        audio::CaptureQueue queue(8);
        std::vector<float> taken;
        queue.push(numbered(0, 1).data(), 1);
        queue.take(taken); // the ring's oldest away from its storage's start
        size_t next = 0;
        for (size_t block : c.blocks)
            queue.push(numbered(next, block).data(), block), next += block;
        EXPECT_EQ(queue.take(taken), c.dropped) << c.blocks.size();
        EXPECT_EQ(taken, numbered(c.dropped, next - c.dropped)) << c.blocks.size();
    }
}

// A producer at an audio thread's pace against a taker that stalls now and then.
TEST(CaptureQueue, ThreadPushingWhileAnotherTakesLosesOnlyWhatItCounts) {
    constexpr size_t capacity = 1024, block = 128, blocks = 3000;
    audio::CaptureQueue queue(capacity);
    std::atomic<bool> done{false};
    std::thread producer([&] {
        for (size_t b = 0; b < blocks; ++b) {
            queue.push(numbered(b * block, block).data(), block);
            if (b % 2 == 0) std::this_thread::sleep_for(std::chrono::microseconds(100));
        }
        done = true;
    });
    std::vector<float> taken;
    size_t expected = 0, faults = 0;
    for (int round = 0;; ++round) {
        const bool last = done.load();
        expected += queue.take(taken);
        faults += taken.size() > capacity;
        for (float sample : taken) faults += sample != float(expected++);
        if (last) break;
        if (round % 50 == 49) std::this_thread::sleep_for(std::chrono::milliseconds(5));
    }
    producer.join();
    EXPECT_EQ(faults, 0u);
    EXPECT_EQ(expected, block * blocks);
}

// SDL's disk driver reads its input from a file, in the format asked for.
TEST(DeviceCapture, DiskInputArrivesWholeAndInOrder) {
    const std::string input = std::filesystem::temp_directory_path().string() + "/capture-" +
                              std::to_string(getpid()) + ".raw";
    const std::vector<float> recorded = numbered(1, 12000);
    std::ofstream(input, std::ios::binary)
        .write(reinterpret_cast<const char*>(recorded.data()), std::streamsize(12000 * 4));
    setenv("SDL_AUDIODRIVER", "disk", 1);
    setenv("SDL_DISKAUDIOFILEIN", input.c_str(), 1);
    std::vector<float> heard, taken;
    {
        audio::DeviceCapture capture;
        ASSERT_TRUE(capture.open()) << capture.error();
        for (int wait = 0; wait < 100 && heard.size() <= recorded.size(); ++wait) {
            std::this_thread::sleep_for(std::chrono::milliseconds(30));
            EXPECT_EQ(capture.take(taken).dropped, 0u);
            heard.insert(heard.end(), taken.begin(), taken.end());
        }
    }
    std::filesystem::remove(input);
    ASSERT_GT(heard.size(), recorded.size());
    EXPECT_TRUE(std::equal(recorded.begin(), recorded.end(), heard.begin()));
    EXPECT_EQ(heard[recorded.size()], 0.0f); // the driver's silence after the file
}

} // namespace
} // namespace korvel::test
