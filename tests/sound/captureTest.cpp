// The sound input's way from the audio thread to the GUI thread: bounded,
// oldest samples dropped and counted, never reordered; and the SDL capture
// device delivering what its driver read, in order.
#include "audio/captureQueue.h"
#include "audio/deviceCapture.h"

#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <numeric>
#include <thread>
#include <unistd.h>
#include <vector>

namespace korvel::test {
namespace {

// Samples numbered from 0, as floats exact up to 2^24.
std::vector<float> numbered(float first, size_t count) {
    std::vector<float> samples(count);
    std::iota(samples.begin(), samples.end(), first);
    return samples;
}

TEST(CaptureQueue, KeepsTheNewestWithinItsCapacityAndCountsTheRest) {
    struct Case {
        const char* what;
        size_t capacity;
        std::vector<size_t> blocks; // pushed in turn, numbered on from 0
        size_t dropped;             // the first kept is this number
    };
    const Case cases[] = {
        {"fits", 8, {3, 5}, 0},
        {"overflows once", 8, {6, 5}, 3},
        {"overflows around the ring", 8, {7, 7, 7}, 13},
        {"one block larger than all", 8, {20}, 12},
        {"a small block after a large one", 8, {20, 2}, 14},
    };
    for (const Case& c : cases) {
        audio::CaptureQueue queue(c.capacity);
        std::vector<float> taken{-1};
        queue.take(taken); // leaves the ring's start away from its storage's
        float next = 0;
        for (size_t block : c.blocks) {
            queue.push(numbered(next, block).data(), block);
            next += float(block);
        }
        EXPECT_EQ(queue.take(taken), c.dropped) << c.what;
        EXPECT_EQ(taken, numbered(float(c.dropped), size_t(next) - c.dropped)) << c.what;
        EXPECT_EQ(queue.take(taken), 0u) << c.what;
        EXPECT_TRUE(taken.empty()) << c.what;
    }
}

// A producer at an audio thread's pace against a taker that stalls now and
// then: every sample pushed is taken in order or counted as dropped, and a
// take never holds more than the capacity.
TEST(CaptureQueue, ThreadPushingWhileAnotherTakesLosesOnlyWhatItCounts) {
    constexpr size_t capacity = 1024, block = 128, blocks = 3000;
    audio::CaptureQueue queue(capacity);
    std::atomic<bool> done{false};
    std::thread producer([&] {
        for (size_t b = 0; b < blocks; ++b) {
            queue.push(numbered(float(b * block), block).data(), block);
            if (b % 2 == 0) std::this_thread::sleep_for(std::chrono::microseconds(100));
        }
        done = true;
    });
    std::vector<float> taken;
    size_t expected = 0, dropped = 0, stalls = 0;
    bool inOrder = true, bounded = true;
    for (int round = 0;; ++round) {
        const bool last = done.load();
        const size_t lost = queue.take(taken);
        dropped += lost;
        expected += lost;
        bounded &= taken.size() <= capacity;
        for (float sample : taken) inOrder &= sample == float(expected++);
        if (last) break;
        if (round % 50 == 49) { // a GUI busy for a moment
            ++stalls;
            std::this_thread::sleep_for(std::chrono::milliseconds(5));
        }
    }
    producer.join();
    EXPECT_TRUE(inOrder);
    EXPECT_TRUE(bounded);
    EXPECT_EQ(expected, block * blocks);
    EXPECT_GT(stalls, 0u);
    std::printf("dropped %zu of %zu samples over %zu stalls\n", dropped, block * blocks, stalls);
}

// SDL's disk driver reads the input from a file of the format asked for.
TEST(DeviceCapture, DiskInputArrivesWholeAndInOrder) {
    const std::string input = std::filesystem::temp_directory_path().string() + "/capture-" +
                              std::to_string(getpid()) + ".raw";
    const std::vector<float> recorded = numbered(1, 12000); // a quarter of a second
    std::ofstream(input, std::ios::binary)
        .write(reinterpret_cast<const char*>(recorded.data()),
               std::streamsize(recorded.size() * sizeof(float)));
    setenv("SDL_AUDIODRIVER", "disk", 1);
    setenv("SDL_DISKAUDIOFILEIN", input.c_str(), 1);
    std::vector<float> heard, taken;
    {
        audio::DeviceCapture capture;
        ASSERT_TRUE(capture.open()) << capture.error();
        EXPECT_EQ(capture.sampleRate(), audio::DeviceCapture::preferredRate);
        for (int wait = 0; wait < 100 && heard.size() < recorded.size() + 4800; ++wait) {
            std::this_thread::sleep_for(std::chrono::milliseconds(30));
            const audio::SoundInput::Taken took = capture.take(taken);
            EXPECT_EQ(took.dropped, 0u);
            EXPECT_FALSE(took.lost);
            heard.insert(heard.end(), taken.begin(), taken.end());
        }
    }
    std::filesystem::remove(input);
    ASSERT_GE(heard.size(), recorded.size());
    // After the file, the driver gives silence.
    EXPECT_TRUE(std::equal(recorded.begin(), recorded.end(), heard.begin()));
    EXPECT_EQ(heard[recorded.size()], 0.0f);
}

} // namespace
} // namespace korvel::test
