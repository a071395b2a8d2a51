// Notes heard in a recording of one voice (sung, hummed, whistled or played),
// taken in blocks of samples of any length as they arrive.
//
// Each 10 ms frame gets a pitch or none; a median over five frames removes
// single wrong frames. A note begins where the voice begins, where the pitch
// moves over 70 cents from the middle of its recent range and stays there (an
// octave's move must stay longer: the tracker's own slip looks like one), or
// where the level dips and rises again by more than the note's own tremolo
// swings (the same pitch sung again). Vibrato swings about that middle and stays
// one note; a glide that settles a step away from where the note held (the
// tracker hearing a period between two notes crossfading slowly) was a new
// note. A scoop too short to be a note joins the note it reaches (one within a
// young note's least step of it was the same note's start), and so
// does a short stretch an octave or a twelfth from the note before (on a
// crossfade the tracker may hold the two notes' common undertone), or an octave
// above the note after (a choir's attack sounds its second partial strongest),
// or one at any pitch heard unsurely (two notes crossfading repeat at no period
// well). So does a stretch of any length an octave or a twelfth below the note
// after whose own partials never sounded: it was that note, heard low.
// A moment without pitch while the sound stays loud (notes overlapping in a
// room) holds the note; a note that follows it began where the old pitch was
// lost. A step up to an octave or a twelfth began where the new note's
// partials rose against the old note's, which rings on and keeps the tracker on
// its period a while; after any other step, once the new note's pitch is sure,
// it began where its partials stepped up against the old note's, when that is
// clearly earlier (two notes crossfading keep the tracker on the old pitch, or
// on neither, until the new is louder), even across a moment without pitch or a
// short stretch where the tracker slipped and came back to the old pitch, or
// when it is clearly later than a stretch heard unsurely that joined the note
// (the tracker caught in the crossfade, not the note's own scoop). A
// note sung again began where its level rose halfway out of the dip; one that
// stays far under the note before was that note's release, one begun at a shallow
// dip or a swell before the note's own swing was read, with no new note's attack,
// was the instrument's own dip, and a short stretch just past the note before,
// away from the next, was the tracker's period swinging past it as the two beat:
// all stay the old note. Inside a held note the same pitch sung again is also
// heard where the tune's beat puts a note and weak cues
// agree there (the level dips, and the upper band falls or the fine spectrum changes
// as a new note's voices start afresh), and, once the whole
// recording is heard, where the same phrase sang that note twice another time and the
// cues agree at the same place. A note's
// pitch is the median of its middle, away from both ends, or of its
// later half when it began in a crossfade (the old note rings on through its
// first part and pulls the tracker's period). Once the whole recording is
// heard, its tuning (how far the voice sits from A = 440 Hz, as a circular mean
// of where notes fall between semitones) is taken off every note, so a voice a
// little off pitch is heard in its own key.
//
// Memory holds one frame of samples and the last 0.7 s before it, the levels of the
// last 4 s, where the weak cues held (at most 4096 runs), the note being heard and the
// notes so far: a recording of any length can be fed.
#pragma once

#include "listen/bandLevels.h"
#include "listen/pitchTracker.h"

#include <array>
#include <cmath>
#include <cstddef>
#include <deque>
#include <vector>

namespace korvel::listen {

// A high-pass of two equal second-order sections: their coefficients, and each
// section's last inputs and outputs, which run on from one block to the next.
struct HighPass {
    double b0 = 0, b1 = 0, a1 = 0, a2 = 0;
    struct Section {
        double x1 = 0, x2 = 0, y1 = 0, y2 = 0;
    };
    std::array<Section, 2> sections;
};

struct HeardNote {
    double onset = 0;      // seconds from the first sample fed
    double duration = 0;   // seconds
    double pitch = 0;      // semitones, 69 = A, tuning taken off
    double confidence = 0; // 0..1: how periodic the note's middle was
};

class Transcriber {
  public:
    // sampleRate: 8000 Hz and up.
    explicit Transcriber(double sampleRate);
    void feed(const float* samples, size_t count);
    // The notes in order, after the last block; call once.
    std::vector<HeardNote> finish();
    // How far the voice sits above A = 440 Hz, in cents (-50..50); known after finish().
    double tuningCents() const { return tuningCents_; }
    // Notes ended so far.
    size_t noteCount() const { return notes_.size(); }
    // The pitch of the last frames, one a frame (frameSeconds apart), newest
    // last, in semitones with the tuning not yet taken off; NAN where nothing
    // was voiced. At most traceFrames: a live display draws them as a line.
    static constexpr double frameSeconds = 0.01;
    static constexpr size_t traceFrames = 400;
    const std::deque<double>& trace() const { return trace_; }

  private:
    struct Frame {
        double time;  // seconds, the frame's middle
        double pitch; // semitones; NAN when unvoiced
        double aperiodicity;
        double level; // dB full scale
        double high;  // dB full scale, above a voice's lower partials
    };
    void analyseFrames();
    void smooth(const Frame& frame);
    void follow(const Frame& frame);
    void glidedAway();
    double medianPitch(size_t first, size_t last) const;
    size_t enteredInBeat(size_t glide, bool rising) const;
    // A step up to a multiple of the old pitch: where it began (NAN when not found), and
    // whether the old note was the new one heard low all along.
    struct MultipleStep {
        double onset = NAN;
        bool heardLow = false;
    };
    MultipleStep multipleOnset(double oldPitch, double newPitch, double confirmed) const;
    // The end of the frame being analysed, in samples at rate_ since the start:
    // onsets are sought back from there, not from the end of the block fed, so a
    // recording read in any blocks is heard alike.
    size_t analysedEnd() const { return frames_ * hop_ + tracker_.frameLength(); }
    // The current note's onset: a scoop joined to it lends it its own.
    double& noteOnset() { return joinPrevious_ ? carriedOnset_ : noteStart_; }
    void settleOnset(double now);
    bool oldNoteSplit() const;
    void readBlend(HeardNote& old, HeardNote& note) const;
    bool slipBefore(const HeardNote& note, double onset, double pitch) const;
    bool partedByUndertone(const HeardNote& young, double onset, double pitch) const;
    struct PartialLevels {
        double first = 0, hop = 0; // seconds: the middle of the first window, and between windows
        std::vector<double> own, old, balance, fundamental;
        double time(size_t at) const { return first + double(at) * hop; }
    };
    enum class Reading { both, withFundamental, ownOnly };
    static constexpr double longestWindow = 0.08; // seconds, a partial's reading as a rule
    // third: a note whose partials neither note's are read at (NAN: none); longest: the
    // longest window, in seconds.
    PartialLevels partialLevels(double oldPitch, double newPitch, double since, double until,
                                double third = NAN, Reading reading = Reading::both,
                                size_t stride = 1, double longest = longestWindow) const;
    // A note the tracker never heard; onset NAN when none.
    struct Hidden {
        double onset = NAN, end = NAN, pitch = NAN;
    };
    // levels: the new note's partials against the old note's, read from since.
    Hidden hiddenNote(double oldPitch, double newPitch, const PartialLevels& levels, double since,
                      double until) const;
    bool mayBeHidden(double oldPitch, double pitch, double newPitch, const PartialLevels& levels,
                     double since, double stepped) const;
    double stepOnset(const PartialLevels& levels, bool close) const;
    double closeStepOnset(double oldPitch, double newPitch, double since, double until) const;
    void hold(const Frame& frame);
    using Levels = std::deque<double>;
    // Where a dip may lie: the last 2 * riseFrames levels (levels_ must hold more).
    Levels::const_iterator dipStart() const;
    double loudestBeforeDip() const;
    double dipDepth(double least) const;
    bool nearGridPoint(double time);
    enum class Dip { none, clear, shallow };
    Dip riseAfterDip(double level, double depth) const;
    bool swellOverSteadyNote(double level, double depth) const;
    double riseBegan(const Frame& frame) const;
    double fellFrom(const Frame& frame) const;
    double onBeatBefore(double began, const Frame& frame);
    bool slowRiseAfterFall(const Frame& frame, double depth);
    double swingBefore() const;
    double halfwayBack(const Frame& frame, double from, Levels::const_iterator first) const;
    void noteLevel(const Frame& frame);
    // The time of a note of the note's pitch sung again on the tune's grid, NAN when none.
    double sungAgainOnGrid(const Frame& frame);
    void placeGrid();
    // The level's dip with the high band's fall, or a new note's attack: read from the
    // samples, which are kept only 0.7 s, so only where the grid is judged as it is heard.
    enum class Cues { highFall, highFallOrAttack };
    bool repeatCueAt(double time, Cues cues = Cues::highFall) const;
    double highFall(std::ptrdiff_t at) const;
    struct HeardFrame {
        std::ptrdiff_t at; // index in heard_
        double time;
    };
    HeardFrame heardNear(double time) const;
    bool noAttackAt(double time) const;
    double attackRise(double time) const;
    void judgeBeatless();
    double loudestHeard(double from, double to) const;
    void keepCue();
    double sungAgainInPhrase(size_t held) const;
    void singAgainAsPhrases();
    // The note ends at began, and the same pitch sung again begins there.
    void singAgain(double began, const Frame& frame);
    // onset: the first frame's time unless given.
    void startNote(std::vector<Frame> frames, double onset = NAN);
    void addToNote(const Frame& frame);
    // What follows a note's end without a gap (heardLow: the note was that one heard low).
    enum class Next { none, samePitch, otherPitch, heardLow };
    // nextPitch: the pitch of the note that follows, when it is known.
    void endNote(double time, Next next, double nextPitch = NAN);
    void lastOn(double time, bool joinsNext);
    void tune();

    size_t factor_; // input samples averaged into one analysed sample
    double rate_;   // analysed samples per second
    size_t hop_;    // analysed samples between frames
    PitchTracker tracker_;
    double sum_ = 0; // input samples towards the next analysed one
    size_t summed_ = 0;
    size_t kept_; // analysed samples kept before the next frame
    std::vector<float> samples_;
    size_t consumed_ = 0; // analysed samples before samples_[0]
    size_t frames_ = 0;   // frames analysed
    std::deque<Frame> recent_;

    bool inNote_ = false;
    double noteStart_ = 0;
    // The note began where the level rose at the old pitch: the loudest (dB) of the
    // note before; NAN when it did not.
    double resungFrom_ = NAN;
    // The note began at once after one that faded, at its pitch: the loudest (dB) of
    // that note; NAN when it did not.
    double fadedFrom_ = NAN;
    // Whether its onset was sought again once its pitch was sure: unsure when the note
    // itself was heard too briefly then, so it may be sought once more.
    enum class Settled { no, unsure, sure };
    Settled settled_ = Settled::no;
    double settledPitch_ = NAN; // the pitch it was sought with
    bool crossfaded_ = false;   // it began in a crossfade, found then
    bool hiddenFound_ = false;  // a note the tracker never heard was found before it then
    bool joinPrevious_ = false; // a short scoop before this note gives its onset
    double carriedOnset_ = 0;
    double carriedPitch_ = NAN;
    double carriedConfidence_ = NAN;
    double multipleDated_ = NAN; // the last onset dated as a step up to a multiple
    double previous_ = NAN;      // the pitch of the note that ended where this one began
    std::vector<Frame> note_;    // the note's frames, up to maxNoteFrames
    std::vector<Frame> pending_; // frames off the note's pitch, not yet a new note
    bool pendingOctave_ = false; // every pending frame lies an octave from the note
    std::deque<Frame> tail_;     // the note's last frames, for a jump
    Levels levels_;              // the note's last levels (dB), with or without pitch, for a rise
    double voiceSwing_ = NAN;    // dB, the most the last note heard over a cycle swung
    double loudest_ = 0;         // dB, of the note so far
    double voicedUntil_ = 0;     // the end of the note's last frame with its pitch
    double lastTime_ = 0;
    // A fall far past the note's swing, watched for a slow rise back (a new bow stroke).
    struct Fall {
        double floor = NAN; // dB, the lowest since; NAN when none is watched
        double depth = 0;   // dB, the depth a dip had to have when it fell
        double began = 0;   // seconds, where the level had fallen halfway
        size_t since = 0;   // frames since the floor
    } fall_;
    double noteSwing_ = 0; // dB, the most the note's level swung over a cycle since its attack
    bool noteSwingRead_ = false; // noteSwing_ read over a whole cycle past the attack
    // The note began at a shallow dip before the old note's swing was read: where, until
    // a new note's attack there is judged (NAN: none), and whether none was heard, so
    // the old note rang on through it.
    double unsureRepeat_ = NAN;
    bool ringsOn_ = false;
    HighPass highPass_;
    BandLevels attackBand_;
    // Short windows that move on every frame are vectors, not deques: a deque takes and
    // frees a block every few frames, which a checked build holds on to for hours of sound.
    std::vector<double> highHops_; // the high band's energy in the last hops
    // The level and the high band's level of the last frames heard, in a note or not, for
    // the cues about a grid point: a ring of fixed size, so hours of sound take no more.
    class CueHistory {
      public:
        struct Cue {
            double level, high; // dB
        };
        explicit CueHistory(size_t capacity) : cues_(capacity) {}
        void push(double time, Cue cue);
        size_t size() const { return size_; }
        double newest() const { return newest_; } // the time of the last cue pushed
        // Oldest first.
        const Cue& operator[](size_t i) const {
            return cues_[(next_ + cues_.size() - size_ + i) % cues_.size()];
        }

      private:
        std::vector<Cue> cues_;
        size_t next_ = 0, size_ = 0;
        double newest_ = 0;
    };
    CueHistory heard_;
    // The onset of the first note whose grid was laid without a beat since one was last
    // known; NAN when none.
    double beatlessFrom_ = NAN;
    // The tune's grid in the note: its beat (NAN: none known), and the next point to judge
    // (NAN: not yet placed).
    struct Grid {
        double beat = NAN, next = NAN;
    } grid_;
    // Runs of frames inside notes with the weak cues of a note sung again, oldest first.
    struct CueRun {
        double from, to;
    };
    std::vector<CueRun> cueRuns_;

    std::deque<double> trace_;
    std::vector<HeardNote> notes_;
    double tuningCents_ = 0;
};

} // namespace korvel::listen
