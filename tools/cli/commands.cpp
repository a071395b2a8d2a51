// render, list, play, import and export: load, run or convert, and tell the
// user what went wrong.
#include "tools/cli/commands.h"

#include "files/fileRead.h"
#include "files/fileReplace.h"
#include "files/recordingFile.h"
#include "formats/listing.h"
#include "formats/midiFile.h"
#include "formats/scriptText.h"
#include "formats/tuneConvert.h"
#include "frontend/commands/tuneExporting.h"
#include "frontend/commands/tuneFileKind.h"
#include "frontend/commands/tuneImporting.h"
#include "frontend/commands/tuneName.h"
#include "tools/cli/interrupt.h"
#include "tools/cli/progress.h"
#include "tools/cli/terminalText.h"
#if KORVEL_CLI_PLAYS
#include "audio/deviceSound.h"
#endif

#include <algorithm>
#include <atomic>
#include <cctype>
#include <cerrno>
#include <chrono>
#include <cinttypes>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <sys/stat.h>
#include <thread>
#include <unistd.h>

namespace korvel::cli {
namespace {

using namespace formats;

constexpr auto pollInterval = std::chrono::milliseconds(10);

std::string lowerFirst(std::string text) {
    if (!text.empty()) text[0] = char(std::tolower(static_cast<unsigned char>(text[0])));
    return text;
}

void complain(const std::string& file, const std::string& what) {
    std::fflush(stdout);
    std::fprintf(stderr, "korvel-cli: %s: %s\n", printable(file).c_str(), what.c_str());
}

// Why a read failed: a file too large, in the words given, or the system's reason.
std::string readFault(const files::ReadResult& read, const std::string& tooLarge) {
    return read.tooLarge ? tooLarge : "cannot read the file (" + read.reason + ")";
}

// The script file's tune in a fresh kit, and its title from the same bytes;
// false after saying why not. A MIDI file, whatever its name, is pointed to
// import.
bool load(KitState& kit, const std::string& script, std::string* title = nullptr) {
    std::string head; // a failed read is told by the whole read below
    files::readFileHead(script, scriptHeadBytes, head);
    const TuneFileKind kind = tuneFileKind(head);
    if (importable(kind)) {
        complain(script, std::string("this is ") +
                             (kind == TuneFileKind::Midi ? "a MIDI file" : "a recording") +
                             ", not a script; korvel-cli import makes a script of it");
        return false;
    }
    std::string bytes;
    const files::ReadResult read =
        files::readFileBytes(script, maxScriptBytes, files::ReadUntil::FirstZero, bytes);
    if (!read) {
        complain(script, readFault(read, lowerFirst(tooLargeReason())));
        return false;
    }
    initKit(kit, ClockReading{0, 0, 0, 0}); // a fixed clock keeps runs repeatable
    const FileResult loaded = loadScriptText(kit, bytes.data(), bytes.size());
    if (loaded.outcome != FileOutcome::Done) {
        complain(script, loaded.message);
        return false;
    }
    if (title) *title = scriptTitle(bytes, korvel::fileStem(script));
    return true;
}

// True when the tune itself played as asked; otherwise says why not.
bool tunePlayed(const std::string& script, const RunResult& result) {
    const std::string fault = runFault(result);
    if (!fault.empty()) {
        complain(script, fault);
        return false;
    }
    const std::string warning = runWarning(result);
    if (!warning.empty()) complain(script, "warning: " + warning);
    return true;
}

// The listing on standard output, one line per step examined.
class ListingPrinter final : public StepObserver {
  public:
    explicit ListingPrinter(const KitState& kit) : kit_(kit) {}
    void stepExamined(const MelodyStep& step, StepKind kind, bool followed) override {
        std::printf("%s\n", listingLine(step, kind, followed, kit_.tempo).c_str());
    }

  private:
    const KitState& kit_;
};

// Standard output, for "-o -"; a terminal is refused before this is made.
class StandardOutput final : public files::ByteSink {
  public:
    bool write(const void* bytes, size_t size) override {
        const char* at = static_cast<const char*>(bytes);
        while (size > 0) {
            const ssize_t put = ::write(STDOUT_FILENO, at, size);
            if (put < 0 && errno == EINTR) continue;
            if (put <= 0) {
                error_ = std::string("cannot write (") + std::strerror(errno) + ")";
                return false;
            }
            at += put;
            size -= size_t(put);
        }
        return true;
    }
    const std::string& error() const { return error_; }

  private:
    std::string error_;
};

// The output goes to standard output or replaces the named file. Standard
// output has no old contents to lose.
files::ReplaceResult writeOutput(const std::string& output, const files::ContentWriter& content) {
    if (output != standardOutputName) return files::replaceFile(output, content);
    StandardOutput out;
    if (content(out)) return {files::ReplaceOutcome::Done, {}, false};
    if (out.error().empty()) return {files::ReplaceOutcome::GaveUp, {}, false};
    return {files::ReplaceOutcome::Failed, out.error(), false};
}

// What a failed write did, saying so when the old file was lost anyway.
std::string writeFault(const files::ReplaceResult& written, const std::string& what) {
    return written.oldContentLost ? what + "; " + files::oldContentLostNote : what;
}

// Writing over the input itself would destroy it; a terminal would show
// noise. Other kinds of output replaceFile refuses. inputKind names the input
// in the message.
bool outputIsUsable(const std::string& input, const std::string& output, const char* inputKind) {
    if (output == standardOutputName) {
        if (!isatty(STDOUT_FILENO)) return true;
        complain(output, "standard output is a terminal; redirect it or name a file");
        return false;
    }
    struct stat in, out;
    if (stat(input.c_str(), &in) != 0 || stat(output.c_str(), &out) != 0) return true;
    if (in.st_dev != out.st_dev || in.st_ino != out.st_ino) return true;
    complain(output, std::string("the output is the ") + inputKind + " itself; nothing written");
    return false;
}

// Whole contents made beforehand; true once written, otherwise says why not.
bool writeWhole(const std::string& output, const std::string& bytes) {
    const files::ReplaceResult written = writeOutput(
        output, [&](files::ByteSink& out) { return out.write(bytes.data(), bytes.size()); });
    if (written.outcome == files::ReplaceOutcome::Done) return true;
    complain(output,
             writeFault(written, written.error.empty() ? "cannot write the file" : written.error));
    return false;
}

// The MIDI file's bytes; false after saying why not.
bool readMidiFile(const std::string& path, std::string& bytes) {
    const files::ReadResult read =
        files::readFileBytes(path, maxMidiBytes, files::ReadUntil::End, bytes);
    if (read) return true;
    complain(path, readFault(read, midiTooLargeReason()));
    return false;
}

// The file's name without its folders.
std::string baseName(const std::string& path) {
    return std::filesystem::path(path).filename().string();
}

// The report's rows, their values lined up after the longest label.
void printReport(const std::vector<ReportRow>& rows, std::FILE* out) {
    size_t width = 0;
    for (const ReportRow& row : rows) width = std::max(width, row.label.size());
    for (const ReportRow& row : rows)
        std::fprintf(out, "%-*s  %s\n", int(width + 1), (row.label + ":").c_str(),
                     row.value.c_str());
}

#if KORVEL_CLI_PLAYS
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
#endif

} // namespace

// A silent run first finds the length for the header and any fault, so
// nothing is written for a tune that cannot render.
int renderCommand(const std::string& script, const std::string& output, const RunLimit& limit) {
    catchInterrupts();
    KitState kit;
    if (!load(kit, script) || !outputIsUsable(script, output, "script")) return exitFailure;
    const TuneExport audio = TuneExport::wave(kit, limit);
    if (!tunePlayed(script, audio.run())) return exitFailure;
    if (!audio.fault().empty()) {
        complain(output, audio.fault());
        return exitFailure;
    }
    const files::ReplaceResult written =
        writeOutput(output, [&](files::ByteSink& out) { return audio.write(out, interrupted); });
    if (written.outcome == files::ReplaceOutcome::Done) return exitSuccess;
    if (interrupted()) {
        const char* what = output == standardOutputName ? "interrupted; the output is incomplete"
                           : written.oldContentLost     ? "interrupted"
                                                        : "interrupted; nothing written";
        complain(output, writeFault(written, what));
        return exitInterrupted;
    }
    complain(output, writeFault(written, written.outcome == files::ReplaceOutcome::Failed
                                             ? written.error
                                             : notPlayedAgainReason));
    return exitFailure;
}

int listCommand(const std::string& script, const RunLimit& limit) {
    KitState kit;
    if (!load(kit, script)) return exitFailure;
    SilentSink sink;
    ListingPrinter printer(kit);
    const RunResult result = runTune(kit, limit, sink, &printer);
    return tunePlayed(script, result) ? exitSuccess : exitFailure;
}

#if KORVEL_CLI_PLAYS
// A silent run first finds the length and any fault before a sound is made.
int playCommand(const std::string& script, const RunLimit& limit) {
    catchInterrupts();
    KitState kit;
    if (!load(kit, script)) return exitFailure;
    KitState rehearsal = kit;
    SilentSink silent;
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
#else
// A build without a sound output (the Windows one) points to what it can do.
int playCommand(const std::string& script, const RunLimit&) {
    complain(script, "this build of korvel-cli cannot play sound; render the tune to a WAV file "
                     "(korvel-cli render SCRIPT -o TUNE.wav) and play that, or load the script "
                     "in korvel.exe");
    return exitFailure;
}
#endif

int importCommand(const std::string& input, const std::string& output,
                  const ImportOptions& options) {
    std::string head;
    const files::ReadResult read = files::readFileHead(input, scriptHeadBytes, head);
    if (!read) {
        complain(input, readFault(read, {}));
        return exitFailure;
    }
    const TuneFileKind kind = tuneFileKind(head);
    if (!importable(kind)) {
        complain(input, notImportableReason);
        return exitFailure;
    }
    const bool recording = kind == TuneFileKind::Recording;
    const char* inputKind = recording ? "recording" : "MIDI file";
    MidiImport imported{};
    if (recording) {
        if (options.track || options.channel) {
            complain(input, "--track and --channel choose a voice of a MIDI file; a recording "
                            "has one voice");
            return exitUsage;
        }
        // Listening to a long recording takes a while: a bad output is told first.
        if (!outputIsUsable(input, output, inputKind)) return exitFailure;
        imported = files::importRecordingFile(input, options);
    } else {
        std::string bytes;
        if (!readMidiFile(input, bytes)) return exitFailure;
        imported = importMidi(bytes, options, baseName(input));
    }
    if (!imported.ok) {
        complain(input, imported.error);
        return exitFailure;
    }
    if (!recording && !outputIsUsable(input, output, inputKind)) return exitFailure;
    for (const std::string& warning : imported.warnings) complain(input, "warning: " + warning);
    if (!writeWhole(output, imported.script)) return exitFailure;
    // With the script on standard output the report must not mix into it.
    printReport(imported.report, output == standardOutputName ? stderr : stdout);
    return exitSuccess;
}

int exportCommand(const std::string& script, const std::string& output) {
    KitState kit;
    std::string title;
    if (!load(kit, script, &title) || !outputIsUsable(script, output, "script")) return exitFailure;
    const TuneExport exported = TuneExport::midi(kit, title);
    if (!tunePlayed(script, exported.run())) return exitFailure;
    StringSink bytes;
    exported.write(bytes);
    return writeWhole(output, bytes.bytes) ? exitSuccess : exitFailure;
}

} // namespace korvel::cli
