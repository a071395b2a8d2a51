// The command layer's rules that every edition and korvel-cli share: what a
// script's first line names, what a file holds by its bytes, the names a
// changed example gives up, the import report's order, and the one title
// line both script writers give.
#include "formats/scriptWriter.h"
#include "formats/tuneImport.h"
#include "frontend/commands/tuneFileKind.h"
#include "frontend/commands/tuneImporting.h"
#include "frontend/commands/tuneName.h"
#include "frontend/editor/tuneScript.h"

#include <gtest/gtest.h>

namespace korvel {
namespace {

using namespace std::string_literals;

TEST(TuneName, TitleIsReadFromTheFirst255BytesUpToAZeroByte) {
    const std::string magic = "KORVEL ";
    const std::string fits(scriptHeadBytes - magic.size() - 1, 'a'); // with its line end: 255
    const struct {
        std::string script, title;
    } cases[] = {
        {magic + fits + "\nbody", fits},
        {magic + fits + "b\n", fits + "b"},     // 255 bytes without the line end
        {magic + fits + "bc\n", fits + "b"},    // the 256th byte is not read
        {"KORVEL Ode\0 to Joy\n"s, "Ode"},      // a zero byte ends the line
        {"KORVEL \0Ode to Joy\n"s, "fallback"}, // ... even before the title
        {"KORVEL\nOde to Joy\n", "fallback"},   // the second line names nothing
        {"KORVEL  Ode to Joy \r\nx", "Ode to Joy"},
    };
    for (const auto& c : cases)
        EXPECT_EQ(scriptTitle(c.script, "fallback"), c.title) << c.script.size();
}

TEST(TuneFileKind, MidiIsToldByItsBytesAlone) {
    const struct {
        std::string head;
        TuneFileKind kind;
    } cases[] = {
        {"MThd\0\0\0\6\0\0"s, TuneFileKind::Midi},
        {"MThd", TuneFileKind::Midi},
        {"MTh", TuneFileKind::Script},
        {"mthd\0\0\0\6"s, TuneFileKind::Script},
        {"KORVEL MThd\n", TuneFileKind::Script},
        {"", TuneFileKind::Script},
        {"RIFF\x24\0\0\0WAVEfmt "s, TuneFileKind::Recording},
        {"RIFF\x24\0\0\0AVI "s, TuneFileKind::Script},
        {"fLaC", TuneFileKind::Recording},
        {"OggS", TuneFileKind::Recording},
        {"ID3\4", TuneFileKind::Recording},
        {"\xFF\xFB\x90\x64", TuneFileKind::Recording}, // an MPEG frame's header
        {"\xFF\xFB\xF0\x64", TuneFileKind::Script},    // ... but for its reserved bit rate
        {"FORM\0\0\0\0AIFF"s, TuneFileKind::Recording},
    };
    for (const auto& c : cases) EXPECT_EQ(tuneFileKind(c.head), c.kind) << c.head;
}

TEST(TuneName, AChangedExampleIsNoLongerTheExampleAndAFileKeepsItsNames) {
    const TuneName example = nameOfExample("KORVEL Ode to Joy\n", "ode-to-joy.dat");
    EXPECT_EQ(defaultFileName(example, "wav"), "ode-to-joy.wav");
    const TuneName changed = changedTune(example);
    EXPECT_EQ(changed.title, "Ode to Joy (changed)");
    EXPECT_EQ(defaultFileName(changed, "mid"), "ode-to-joy-changed.mid");
    EXPECT_EQ(changedTune(changed).title, changed.title);
    const TuneName file = nameOfScript("KORVEL\n", nameOfFile("/home/u/my.song.dat"));
    EXPECT_EQ(changedTune(file).title, "my.song");
    EXPECT_EQ(defaultFileName(file, "dat"), "my.song.dat");
    EXPECT_EQ(defaultFileName(untitledTune(), "dat"), "tune.dat");
}

TEST(ImportReport, WarningsComeFirstThenTheRowsInTheirOrder) {
    formats::MidiImport imported{true, {}, {"a note was moved", "a note was split"}, {}, {}};
    imported.report = {{"voice", "track 1"}, {"memory", "40 of 128 steps"}};
    const ImportReport report = importReportOf(imported);
    EXPECT_EQ(report.notes,
              (std::vector<std::string>{"Warning: a note was moved", "Warning: a note was split"}));
    ASSERT_EQ(report.rows.size(), 2u);
    EXPECT_EQ(report.rows[1].label, "memory");
    EXPECT_EQ(report.rows[1].value, "40 of 128 steps");
}

// The editor's scripts and the import's begin with the same line for the same
// title, one that keeps the keystrokes where the loader looks for them.
TEST(ScriptWriter, BothWritersGiveOneTitleLine) {
    const struct {
        std::string title, line;
    } cases[] = {
        {"Ode---to Joy", "KORVEL Ode- -to Joy\n"},
        {"a----b", "KORVEL a- --b\n"},
        {"two\nlines\r", "KORVEL two lines \n"},
        {"Jos\xC3\xA9", "KORVEL Jos\xC3\xA9\n"},
    };
    for (const auto& c : cases) {
        KitState kit{};
        formats::ImportedTune tune;
        tune.title = c.title;
        tune.startAddress = 0x010;
        const std::string edited = wholeTuneScript(kit, c.title);
        const std::string imported = formats::importedScript(tune, "song.mid");
        EXPECT_EQ(edited.substr(0, edited.find('\n') + 1), c.line);
        EXPECT_EQ(imported.substr(0, imported.find('\n') + 1), c.line);
        EXPECT_EQ(edited.find("---"), edited.find(keystrokesMark)) << c.title;
    }
}

} // namespace
} // namespace korvel
