// Listen in the editor: what was heard lands at the cursor as one step of
// undo, keeps its end marker inside memory, and writes nothing when nothing
// was heard.
#include "frontend/listen/liveListen.h"
#include "frontend/editor/tuneTable.h"
#include "listen/pi.h"
#include "model/melody.h"
#include "model/script.h"
#include "tests/frontend/taggedRecorder.h"

#include <gtest/gtest.h>

#include <cmath>

namespace korvel::test {
namespace {

constexpr double rate = 16000;

// Sung notes as sine tones, each pitch (semitones) for 0.3 s and a short breath after.
std::vector<float> sung(const std::vector<double>& pitches) {
    std::vector<float> samples(size_t(rate * 0.3)); // silence before
    for (double pitch : pitches) {
        const double hz = 440 * std::pow(2, (pitch - 69) / 12);
        for (size_t i = 0; i < size_t(rate * 0.3); ++i)
            samples.push_back(float(0.5 * std::sin(2 * listen::pi * hz * double(i) / rate)));
        samples.resize(samples.size() + size_t(rate * 0.05));
    }
    samples.resize(samples.size() + size_t(rate * 0.3));
    return samples;
}

struct ListenFixture : ::testing::Test {
    TaggedRecorder sound;
    struct : SessionView {
    } view;
    Session session{sound, view};
    std::optional<TuneEditor> editor;
    ListenFixture() {
        session.start({12, 0, 0, 0}, 0);
        editor.emplace(session);
    }
    ListenOutcome listen(uint32_t row, const std::vector<float>& samples) {
        editor->select(row, EditColumn::Note, false);
        LiveListen live(*editor, rate);
        live.feed(samples.data(), samples.size());
        return live.stop();
    }
    uint32_t group(uint32_t row) const { return groupAt(session.kit(), row); }
};

TEST_F(ListenFixture, WritesAtTheCursorAsOneUndoStep) {
    const KitState before = session.kit();
    const ListenOutcome outcome = listen(4, sung({64, 67, 71, 67}));
    ASSERT_TRUE(outcome.written) << outcome.message;
    uint32_t row = 4;
    while (group(row) != endMarkerGroup) ASSERT_LT(++row, 40u);
    EXPECT_GE(row, 8u) << "four notes, and rests only between them";
    EXPECT_NE(outcome.report.front().value.find("4 notes"), std::string::npos);
    editor->undo();
    EXPECT_EQ(session.kit().memory, before.memory);
}

// Near the end of memory only the opening fits, and the last row keeps the end marker.
TEST_F(ListenFixture, KeepsTheOpeningThatFitsBeforeTheEndOfMemory) {
    const ListenOutcome outcome = listen(lastTuneRow - 2, sung({60, 62, 64, 65, 67, 69}));
    ASSERT_TRUE(outcome.written) << outcome.message;
    EXPECT_EQ(group(lastTuneRow), endMarkerGroup);
    EXPECT_NE(group(lastTuneRow - 2), 0u);
}

// The microphone would hear a row sounded as the cursor moves, and write it as sung.
TEST_F(ListenFixture, RowsSoundOnlyWhileTheMicrophoneIsClosed) {
    editor->select(4, EditColumn::Note, false);
    EditorKey note;
    note.character = 'q';
    editor->key(note, 0); // a note written at row 4
    sound.take();
    std::optional<LiveListen> live(std::in_place, *editor, rate);
    editor->select(4, EditColumn::Note, false);
    EXPECT_TRUE(sound.take().empty());
    live.reset();
    editor->select(4, EditColumn::Note, false);
    EXPECT_FALSE(sound.take().empty());
}

TEST_F(ListenFixture, SilenceWritesNothing) {
    const KitState before = session.kit();
    const ListenOutcome outcome = listen(4, std::vector<float>(size_t(rate), 0.0f));
    EXPECT_FALSE(outcome.written);
    EXPECT_EQ(outcome.message, "Nothing written: no notes were heard in 0:01.0 of sound.");
    EXPECT_EQ(session.kit().memory, before.memory);
    EXPECT_FALSE(editor->canUndo());
}

} // namespace
} // namespace korvel::test
