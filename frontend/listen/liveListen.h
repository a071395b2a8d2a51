// Listen in the tune editor, the same in every edition: the host captures the
// default input device and hands its samples here as they come; the view
// draws trace() as a moving line with heardText() beside it; Stop writes what
// was heard at the editor's cursor row as one step of undo. Cancel is the
// host dropping this object: nothing is written.
//
// The notes become steps by the import's rules (listen/heardTune.h): kit
// tones in the key sung, octaves moved into reach, the opening kept that fits
// the rows from the cursor to the end of memory. Into a tune, the tempo row it
// plays at is kept where what was heard fits it; else, and into empty memory,
// the row that fits the notes best is chosen.
#pragma once

#include "formats/tuneImport.h"
#include "frontend/editor/tuneEditor.h"
#include "listen/heardTune.h"

#include <string>
#include <vector>

namespace korvel {

struct ListenOutcome {
    bool written = false;
    std::string message;                    // what was written, or why nothing was
    std::vector<formats::ReportRow> report; // when written: the import's report
};

class LiveListen {
  public:
    // The editor sounds no rows while this lives.
    LiveListen(TuneEditor& editor, double sampleRate);
    ~LiveListen();
    LiveListen(const LiveListen&) = delete;
    LiveListen& operator=(const LiveListen&) = delete;
    // mono: full scale 1, from any thread the caller serialises.
    void feed(const float* mono, size_t count);
    // The pitch line, newest last, Transcriber::frameSeconds apart; NAN where silent.
    const std::deque<double>& trace() const { return listening_.trace(); }
    // The newest pitch and the kit note nearest it, "A4 +12¢ · la div 2", or
    // what the line shows while nothing is heard.
    std::string heardText() const;
    double seconds() const { return listening_.seconds(); }
    // Call once.
    ListenOutcome stop();

  private:
    TuneEditor& editor_;
    listen::Listening listening_;
};

} // namespace korvel
