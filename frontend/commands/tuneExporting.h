// One pass of a tune exported as audio (WAV) or MIDI, the same in every
// edition and korvel-cli: found before anything is written, so a tune that
// cannot be exported says so at once and one that never ends can be asked
// about; then written to whatever the host gives (a file through the safe
// replacement, standard output, a download's buffer), as often as asked.
#pragma once

#include "formats/byteSink.h"
#include "formats/tuneRun.h"
#include "model/kit.h"

#include <functional>
#include <string>

namespace korvel {

// Why a WAV's writing found the tune sounding otherwise than its first run
// did, as a phrase.
extern const char* const notPlayedAgainReason;

class TuneExport {
  public:
    // live's tune (memory, start address, tempo) as audio, a pass or as
    // limited, whatever live is doing.
    static TuneExport wave(const KitState& live,
                           const formats::RunLimit& limit = formats::RunLimit::pass());
    // live's tune as a MIDI file whose one track is named title.
    static TuneExport midi(const KitState& live, const std::string& title);

    // The run found: what it sounded, and how it ended.
    const formats::RunResult& run() const { return run_; }
    // Why nothing can be written, as a phrase, or empty.
    const std::string& fault() const { return fault_; }
    // What to ask before a file is chosen (a tune that never ends), or empty.
    const std::string& question() const { return question_; }
    // Writes the export to out, asking stopped as it goes (true gives up).
    // False when given up, refused by out, or, for audio, when the tune did
    // not play again as it did (notPlayedAgainReason).
    bool write(formats::ByteSink& out, const std::function<bool()>& stopped) const;
    bool write(formats::ByteSink& out) const;

  private:
    formats::RunResult run_{};
    std::string fault_, question_;
    std::function<bool(formats::ByteSink&, const std::function<bool()>&)> writer_;
};

} // namespace korvel
