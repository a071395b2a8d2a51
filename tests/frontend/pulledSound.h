// The sound queue a device plays, as a session's sound, pulled by a test
// instead of by a device: what the device would play next, with the reports
// of melody notes' ends handed on between pulls as an edition's event loop
// hands them on; and the samples a melody note should give.
#pragma once

#include "frontend/session/session.h"
#include "frontend/session/soundQueue.h"
#include "model/toneSource.h"

#include <cstdint>
#include <string>
#include <utility>
#include <vector>

namespace korvel::test {

inline std::string noteSamples(uint32_t tone, uint32_t length) {
    std::string samples(length, '\0');
    ToneSource source = melodyNoteSource(tone, length);
    readTone(source, reinterpret_cast<uint8_t*>(samples.data()), length);
    return samples;
}

struct PulledSound final : SessionSound, SoundQueueListener {
    static constexpr uint32_t pullSamples = 256;

    SoundQueue queue{*this, 4 * pullSamples};
    std::vector<uint64_t> ended;

    void startKeyNote(uint32_t keyNote) override { queue.startKeyNote(keyNote); }
    void playTone(uint32_t tone, uint32_t length) override { queue.playTone(tone, length); }
    void stopSound() override { queue.stopSound(); }
    bool claimReport(uint64_t tag) override { return queue.claimReport(tag); }
    void melodyNoteEnded(uint64_t tag) override { ended.push_back(tag); }
    void ranDry() override {}

    // At least count samples, a device buffer at a time; deliver(tag) takes
    // each report raised before the next buffer is pulled.
    template <typename Deliver> std::string pull(size_t count, Deliver&& deliver) {
        std::string played;
        while (played.size() < count) {
            for (const uint64_t tag : std::exchange(ended, {})) deliver(tag);
            std::string block(pullSamples, '\0');
            queue.pull(reinterpret_cast<uint8_t*>(block.data()), pullSamples);
            played += block;
        }
        for (const uint64_t tag : std::exchange(ended, {})) deliver(tag);
        return played;
    }
};

} // namespace korvel::test
