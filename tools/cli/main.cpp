// korvel-cli: play, render and list KORVEL tunes from the command line.
//
//   korvel-cli render SCRIPT -o OUT.wav [--notes N | --seconds S]
//   korvel-cli list SCRIPT [--notes N]
//   korvel-cli play SCRIPT [--notes N | --seconds S]
//   korvel-cli import SONG.mid|RECORDING -o TUNE.dat [--track N] [--channel N]
//                     [--transpose N] [--fit] [--truncate] [--start ADDR]
//   korvel-cli export SCRIPT -o SONG.mid
//
// Other tools call this interface; keep it stable.
#include "files/fileReplace.h"
#include "files/recordingFile.h"
#include "resources/version.h"
#include "tools/cli/commands.h"
#include "tools/cli/terminalText.h"

#include <CLI/CLI.hpp>

#include <cctype>
#include <charconv>
#include <cstdint>
#include <cstdio>
#include <iostream>
#include <string>

namespace {

using namespace korvel::cli;
using namespace korvel::formats;

// The usage lines printed after an argument error, by command.
constexpr const char* renderUsage = "korvel-cli render SCRIPT -o OUT.wav [--notes N | --seconds S]";
constexpr const char* listUsage = "korvel-cli list SCRIPT [--notes N]";
constexpr const char* playUsage = "korvel-cli play SCRIPT [--notes N | --seconds S]";
constexpr const char* importUsage =
    "korvel-cli import SONG.mid|RECORDING -o TUNE.dat [--track N] [--channel N] "
    "[--transpose N] [--fit] [--truncate] [--start ADDR]";
constexpr const char* exportUsage = "korvel-cli export SCRIPT -o SONG.mid";

// A day of audio fits a WAV file with room to spare.
constexpr double maxSeconds = 24 * 60 * 60;
// Far more steps than a tune in the kit's memory plays in a pass, yet a listing
// of that many stays within some 70 MB.
constexpr uint64_t maxNotes = 1000000;

const std::string notesRange =
    "--notes must be a whole number from 1 to " + std::to_string(maxNotes);
const std::string secondsRange =
    "--seconds must be a number above 0 and at most " + std::to_string(uint64_t(maxSeconds));

constexpr uint32_t maxTrack = 65535; // the file header counts tracks in 16 bits
constexpr uint32_t channelCount = 16;
// Typed at 000 a group would set the start address instead of memory.
constexpr uint32_t lowestStart = korvel::stepNibbles;
constexpr uint32_t highestStart = korvel::memoryNibbles - korvel::stepNibbles;

struct Arguments {
    std::string script; // or the MIDI file or recording, for import
    std::string output;
    uint64_t notes = 0;
    double seconds = 0;
    ImportOptions import;

    RunLimit limit() const {
        if (notes) return RunLimit::notes(notes);
        if (seconds > 0) return RunLimit::seconds(seconds);
        return RunLimit::pass();
    }
};

CLI::App* addCommand(CLI::App& app, const char* name, const char* description, Arguments& args,
                     const char* input = "SCRIPT",
                     const std::string& inputHelp = "the tune: a KORVEL script file (.dat)") {
    CLI::App* command = app.add_subcommand(name, description);
    command->add_option(input, args.script, inputHelp)->required();
    return command;
}

void addOutput(CLI::App* command, Arguments& args, const char* name, const char* help) {
    command->add_option("-o,--output", args.output, help)->type_name(name)->required();
}

// The whole text must be the number: no sign, spaces or trailing junk; a value
// out of range is refused, never brought into it.
template <typename Number, typename... Format>
bool parseWhole(const std::string& text, Number& value, Format... format) {
    const char* end = text.data() + text.size();
    const auto [stop, error] = std::from_chars(text.data(), end, value, format...);
    return error == std::errc() && stop == end;
}

// A value outside its range fails the parse with a message of our own, which
// CLI11 passes on as it is.
CLI::Option* addNotes(CLI::App* command, Arguments& args) {
    return command
        ->add_option_function<std::string>(
            "--notes",
            [&args](const std::string& text) {
                uint64_t value = 0;
                if (!parseWhole(text, value) || value < 1 || value > maxNotes)
                    throw CLI::ValidationError(notesRange);
                args.notes = value;
            },
            "stop after N sounded steps (1 to " + std::to_string(maxNotes) + ")")
        ->type_name("N");
}

void addSeconds(CLI::App* command, Arguments& args, CLI::Option* notes) {
    command
        ->add_option_function<std::string>(
            "--seconds",
            [&args](const std::string& text) {
                double value = 0;
                // Written as !(in range) so that NaN is refused too.
                if (!parseWhole(text, value, std::chars_format::general) ||
                    !(value > 0 && value <= maxSeconds))
                    throw CLI::ValidationError(secondsRange);
                args.seconds = value;
            },
            "stop once the audio reaches S seconds, at most " +
                std::to_string(uint64_t(maxSeconds)) + " (the last step whole)")
        ->type_name("S")
        ->excludes(notes);
}

// A whole number in [low, high] (a leading + allowed), or the message.
template <typename Number, typename Store>
CLI::Option* addWhole(CLI::App* command, const char* name, Number low, Number high,
                      const std::string& fault, const std::string& help, Store store) {
    return command
        ->add_option_function<std::string>(
            name,
            [=](const std::string& text) {
                Number value = 0;
                const bool plus =
                    text.size() > 1 && text[0] == '+' && std::isdigit(uint8_t(text[1]));
                if (!parseWhole(plus ? text.substr(1) : text, value) || value < low || value > high)
                    throw CLI::ValidationError(fault);
                store(value);
            },
            help)
        ->type_name("N");
}

void addImportOptions(CLI::App* command, ImportOptions& options) {
    addWhole<uint32_t>(command, "--track", 1, maxTrack,
                       "--track must be a whole number from 1 to " + std::to_string(maxTrack),
                       "the track to take the melody from (1 is the first); by default the "
                       "first with notes (not for a recording)",
                       [&options](uint32_t value) { options.track = value; });
    addWhole<uint32_t>(command, "--channel", 1, channelCount,
                       "--channel must be a whole number from 1 to 16",
                       "take only the notes of this channel (1 to 16), from every track unless "
                       "--track is given; without it, every channel but 10 (drums) (not for a "
                       "recording)",
                       [&options](uint32_t value) { options.channel = value; });
    addWhole<int>(command, "--transpose", -maxTranspose, maxTranspose,
                  "--transpose must be a whole number of semitones from -" +
                      std::to_string(maxTranspose) + " to " + std::to_string(maxTranspose),
                  "shift the tune by N semitones; by default the shift within " +
                      std::to_string(transposeSearch) +
                      " either way with the smallest largest pitch error, to a cent; whole "
                      "octaves first, then the smallest shift; a recording moves by whole octaves "
                      "only, keeping the key it was sung in",
                  [&options](int value) { options.transpose = value; });
    command->add_flag("--fit", options.fit, "move notes beyond the kit's range by octaves");
    command->add_flag("--truncate", options.truncate,
                      "keep the longest opening of a long tune that fits whole");
    char startRange[96];
    std::snprintf(startRange, sizeof startRange,
                  "--start must be an address from %03X to %03X in hex, a multiple of 4",
                  lowestStart, highestStart);
    command
        ->add_option_function<std::string>(
            "--start",
            [&options, fault = std::string(startRange)](const std::string& text) {
                uint32_t value = 0;
                if (!parseWhole(text, value, 16) || value < lowestStart || value > highestStart ||
                    value % korvel::stepNibbles)
                    throw CLI::ValidationError(fault);
                options.startAddress = value;
            },
            "the address of the tune's first step, in hex (default 010)")
        ->type_name("ADDR");
}

// What the error is about. Without a command CLI11 says only that one is
// required; name what was given instead.
std::string faultOf(const CLI::App& app, const CLI::ParseError& error, int argc, char** argv) {
    if (!app.get_subcommands().empty() || (argc > 1 && argv[1][0] == '-')) return error.what();
    std::string names;
    for (const CLI::App* command : app.get_subcommands([](const CLI::App*) { return true; }))
        names += (names.empty() ? "" : ", ") + command->get_name();
    if (argc < 2) return "no command given; commands: " + names;
    return "unknown command '" + std::string(argv[1]) + "'; commands: " + names;
}

// One line naming the fault, then the usage of the command given, or of all.
int badArguments(const CLI::App& app, const std::string& fault) {
    // Arguments are echoed in some of CLI11's messages too.
    std::cerr << "korvel-cli: " << printable(fault) << "\n";
    const auto given = app.get_subcommands();
    const std::string command = given.empty() ? std::string() : given.front()->get_name();
    const char* indent = "usage: ";
    for (const char* usage : {renderUsage, listUsage, playUsage, importUsage, exportUsage}) {
        if (!command.empty() && std::string(usage).rfind("korvel-cli " + command + " ", 0) != 0)
            continue;
        std::cerr << indent << usage << "\n";
        indent = "       ";
    }
    std::cerr << "Run 'korvel-cli " << (command.empty() ? "" : command + " ")
              << "--help' for more.\n";
    return exitUsage;
}

} // namespace

int main(int argc, char** argv) {
    korvel::files::ignoreFileSizeSignal();
    CLI::App app("Play, render and list KORVEL tunes from the command line, and move them "
                 "between scripts and MIDI files; make tunes of recordings.\n"
                 "Without --notes or --seconds a tune plays one pass: until its end marker "
                 "sends play back to the start (at most 10 minutes).",
                 "korvel-cli");
    app.set_version_flag("--version", KORVEL_VERSION_TEXT("korvel-cli"));
    app.require_subcommand(1);
    Arguments args;

    CLI::App* render = addCommand(
        app, "render", "Write the tune as a WAV file (PCM, mono, 22050 Hz, 8 bits)", args);
    addOutput(render, args, "OUT.wav", "the WAV file to write, or - for standard output");
    addSeconds(render, args, addNotes(render, args));

    CLI::App* list = addCommand(app, "list", "List every melody step the player examines", args);
    addNotes(list, args);

    CLI::App* play = addCommand(app, "play",
                                KORVEL_CLI_PLAYS ? "Play the tune on the default audio output"
                                                 : "Not in this build: render a WAV file instead",
                                args);
    addSeconds(play, args, addNotes(play, args));

    const std::string recordings = korvel::files::readsCompressedRecordings()
                                       ? "WAV (PCM or float), FLAC, Ogg, MP3 or AIFF"
                                       : "WAV (PCM or float; this build reads no other audio)";
    CLI::App* import = addCommand(
        app, "import", "Make a script that plays the melody of a MIDI file or a recording", args,
        "SONG.mid|RECORDING",
        "a Standard MIDI File (format 0 or 1), or a recording of one voice or instrument: " +
            recordings + "; told apart by their contents");
    addOutput(import, args, "TUNE.dat", "the script to write, or - for standard output");
    addImportOptions(import, args.import);

    CLI::App* exportTune =
        addCommand(app, "export", "Write one pass of the tune as a MIDI file", args);
    addOutput(exportTune, args, "SONG.mid", "the MIDI file to write, or - for standard output");

    try {
        app.parse(argc, argv);
    } catch (const CLI::ParseError& e) {
        if (e.get_exit_code() == static_cast<int>(CLI::ExitCodes::Success)) return app.exit(e);
        return badArguments(app, faultOf(app, e, argc, argv));
    }

    if (render->parsed()) return renderCommand(args.script, args.output, args.limit());
    if (list->parsed()) return listCommand(args.script, args.limit());
    if (import->parsed()) return importCommand(args.script, args.output, args.import);
    if (exportTune->parsed()) return exportCommand(args.script, args.output);
    return playCommand(args.script, args.limit());
}
