// render, list and play: load, run, and tell the user what went wrong.
#include "commands.h"

#include "deviceSound.h"
#include "interrupt.h"
#include "listing.h"
#include "toneBank.h"
#include "waveFile.h"

#include <atomic>
#include <chrono>
#include <cinttypes>
#include <cstdio>
#include <cstring>
#include <thread>
#include <unistd.h>

namespace korvel::cli {
namespace {

using Clock = std::chrono::steady_clock;

constexpr auto pollInterval = std::chrono::milliseconds(10);
constexpr auto progressInterval = std::chrono::milliseconds(100);

void complain(const std::string& file, const std::string& what) {
    std::fflush(stdout);
    std::fprintf(stderr, "korvel-cli: %s: %s\n", file.c_str(), what.c_str());
}

bool load(KitState& kit, const std::string& script) {
    const TuneLoad loaded = loadTune(kit, script);
    switch (loaded.outcome) {
    case FileOutcome::Done: return true;
    case FileOutcome::CantOpen:
        complain(script, loaded.systemError ? std::string("cannot read the file (") +
                                                  std::strerror(loaded.systemError) + ")"
                                            : "cannot read the file");
        return false;
    default: complain(script, loaded.message); return false;
    }
}

// Says what a run that ended without trouble cannot tell by its exit status.
void warnIfCapped(const std::string& script, const RunResult& result) {
    if (result.capped)
        complain(script, "warning: no end marker sent play back to the start within " +
                             std::to_string(passCapSeconds / 60) + " minutes; stopped there");
}

// True when the tune itself played as asked; otherwise says why not.
bool tunePlayed(const std::string& script, const RunResult& result) {
    char what[200];
    switch (result.outcome) {
    case RunOutcome::HaltsAtOnce:
        std::snprintf(what, sizeof what,
                      "the tune halts at once: the end marker EEEE stands at its start address "
                      "%03X, so nothing plays",
                      result.address);
        break;
    case RunOutcome::EndsItself:
        std::snprintf(what, sizeof what,
                      "the tune ends by itself after %" PRIu64 " step%s: from address %03X on, "
                      "play meets only jumps and end markers, nothing to sound",
                      result.steps, result.steps == 1 ? "" : "s", result.address);
        break;
    default: warnIfCapped(script, result); return true;
    }
    complain(script, what);
    return false;
}

class NullSink final : public StepSink {
  public:
    bool sound(uint32_t, uint32_t) override { return true; }
};

class WaveSink final : public StepSink {
  public:
    WaveSink(const ToneBank& bank, WaveWriter& writer) : bank_(bank), writer_(writer) {}
    bool sound(uint32_t toneIndex, uint32_t lengthBytes) override {
        return !interrupted() && writer_.append(bank_.tone[toneIndex], lengthBytes);
    }

  private:
    const ToneBank& bank_;
    WaveWriter& writer_;
};

bool buildBank(ToneBank& bank, const std::string& script) {
    if (buildToneBank(bank)) return true;
    complain(script, "not enough memory for the tone bank");
    return false;
}

std::string clockTime(uint64_t samples) {
    const uint64_t tenths = samples * 10 / sampleRate;
    char text[32];
    std::snprintf(text, sizeof text, "%" PRIu64 ":%02" PRIu64 ".%" PRIu64, tenths / 600,
                  tenths / 10 % 60, tenths % 10);
    return text;
}

// "Playing FILE  0:03.2 / 0:25.0", redrawn in place on a terminal and
// written once at the end otherwise.
class Progress {
  public:
    Progress(const std::string& script, uint64_t totalSamples)
        : script_(script), total_(totalSamples), live_(isatty(fileno(stdout))) {}

    void update(uint64_t heardSamples) {
        if (!live_ || Clock::now() < nextDraw_) return;
        nextDraw_ = Clock::now() + progressInterval;
        std::printf("\r%s", line(heardSamples).c_str());
        std::fflush(stdout);
    }
    void finish(uint64_t heardSamples, const char* suffix) {
        std::printf("%s%s%s\n", live_ ? "\r" : "", line(heardSamples).c_str(), suffix);
        std::fflush(stdout);
    }

  private:
    std::string line(uint64_t heard) const {
        return "Playing " + script_ + "  " + clockTime(heard) + " / " + clockTime(total_);
    }

    const std::string& script_;
    uint64_t total_;
    bool live_;
    Clock::time_point nextDraw_{};
};

// Counts the notes whose last sample has gone into the device's queue.
class NoteCounter final : public SoundQueueListener {
  public:
    void melodyNoteEnded(uint64_t) override { ++ended_; }
    void ranDry() override {}
    uint64_t ended() const { return ended_.load(); }

  private:
    std::atomic<uint64_t> ended_{0};
};

// Keeps one note queued behind the one sounding, waiting while they play.
class PlaySink final : public StepSink {
  public:
    PlaySink(audio::DeviceSound& output, const NoteCounter& notes, Progress& progress)
        : output_(output), notes_(notes), progress_(progress) {}

    bool sound(uint32_t toneIndex, uint32_t lengthBytes) override {
        if (!waitUntil([this] { return queued_ - notes_.ended() <= 1; })) return false;
        output_.playTone(toneIndex, lengthBytes);
        ++queued_;
        return true;
    }
    // Until the device has taken every sample; false when interrupted first.
    bool waitUntilPlayed() {
        return waitUntil([this] { return queued_ == notes_.ended() && output_.idle(); });
    }
    uint64_t heard() const { return output_.samplesSounded(); }

  private:
    template <typename Done> bool waitUntil(Done done) {
        while (!interrupted() && !done()) {
            progress_.update(heard());
            std::this_thread::sleep_for(pollInterval);
        }
        return !interrupted();
    }

    audio::DeviceSound& output_;
    const NoteCounter& notes_;
    Progress& progress_;
    uint64_t queued_ = 0;
};

} // namespace

int renderCommand(const std::string& script, const std::string& output, const RunLimit& limit) {
    catchInterrupts();
    KitState kit;
    ToneBank bank;
    if (!load(kit, script) || !buildBank(bank, script)) return exitFailure;
    WaveWriter writer(output);
    if (!writer.open()) {
        complain(output, writer.error());
        return exitFailure;
    }
    WaveSink sink(bank, writer);
    const RunResult result = runTune(kit, limit, sink);
    if (result.outcome == RunOutcome::SinkStopped) {
        if (interrupted()) {
            complain(output, "interrupted; nothing written");
            return exitInterrupted;
        }
        complain(output, writer.error());
        return exitFailure;
    }
    if (!tunePlayed(script, result)) return exitFailure;
    if (!writer.commit()) {
        complain(output, writer.error());
        return exitFailure;
    }
    return exitSuccess;
}

int listCommand(const std::string& script, const RunLimit& limit) {
    KitState kit;
    if (!load(kit, script)) return exitFailure;
    NullSink sink;
    ListingPrinter printer(kit, stdout);
    const RunResult result = runTune(kit, limit, sink, &printer);
    return tunePlayed(script, result) ? exitSuccess : exitFailure;
}

// A silent run first finds the length and any fault before a sound is made.
int playCommand(const std::string& script, const RunLimit& limit) {
    catchInterrupts();
    KitState kit;
    if (!load(kit, script)) return exitFailure;
    KitState rehearsal = kit;
    NullSink silent;
    const RunResult planned = runTune(rehearsal, limit, silent);
    if (!tunePlayed(script, planned)) return exitFailure;
    NoteCounter notes;
    audio::DeviceSound output(notes);
    if (!output.open()) {
        complain(script, "cannot open the audio output (" + output.error() + ")");
        return exitFailure;
    }
    Progress progress(script, planned.samples);
    PlaySink sink(output, notes, progress);
    const RunResult result = runTune(kit, limit, sink);
    if (result.outcome == RunOutcome::Done && sink.waitUntilPlayed()) {
        std::this_thread::sleep_for(std::chrono::milliseconds(output.bufferMilliseconds()));
        progress.finish(sink.heard(), "");
        return exitSuccess;
    }
    // Only an interruption stops the sink: the device, once open, cannot fail.
    const uint64_t heard = sink.heard();
    output.stopSound();
    progress.finish(heard, "  stopped");
    return exitInterrupted;
}

} // namespace korvel::cli
