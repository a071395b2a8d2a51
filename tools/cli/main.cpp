// korvel-cli: play, render and list KORVEL tunes from the command line.
//
//   korvel-cli render SCRIPT -o OUT.wav [--notes N | --seconds S]
//   korvel-cli list SCRIPT [--notes N]
//   korvel-cli play SCRIPT [--notes N | --seconds S]
//
// Other tools call this interface; keep it stable.
#include "commands.h"

#include <CLI/CLI.hpp>

#include <cstdint>
#include <cstdio>
#include <iostream>
#include <string>

namespace {

using namespace korvel::cli;

// The usage lines printed after an argument error, by command.
constexpr const char* renderUsage = "korvel-cli render SCRIPT -o OUT.wav [--notes N | --seconds S]";
constexpr const char* listUsage = "korvel-cli list SCRIPT [--notes N]";
constexpr const char* playUsage = "korvel-cli play SCRIPT [--notes N | --seconds S]";

// A day of audio fits a WAV file with room to spare.
constexpr double maxSeconds = 24 * 60 * 60;

struct Arguments {
    std::string script;
    std::string output;
    uint64_t notes = 0;
    double seconds = 0;

    RunLimit limit() const {
        if (notes) return RunLimit::notes(notes);
        if (seconds > 0) return RunLimit::seconds(seconds);
        return RunLimit::pass();
    }
};

// Also rejects NaN, which CLI::Range lets through.
std::string checkSeconds(const std::string& text) {
    double value = 0;
    if (CLI::detail::lexical_cast(text, value) && value > 0 && value <= maxSeconds) return {};
    return "--seconds must be a number above 0 and at most " + std::to_string(int(maxSeconds));
}

CLI::App* addCommand(CLI::App& app, const char* name, const char* description, Arguments& args) {
    CLI::App* command = app.add_subcommand(name, description);
    command->add_option("SCRIPT", args.script, "the tune: a KORVEL script file (.dat)")->required();
    return command;
}

CLI::Option* addNotes(CLI::App* command, Arguments& args) {
    return command->add_option("--notes", args.notes, "stop after N sounded steps")
        ->type_name("N")
        ->check(CLI::PositiveNumber);
}

void addSeconds(CLI::App* command, Arguments& args, CLI::Option* notes) {
    command
        ->add_option("--seconds", args.seconds,
                     "stop once the audio reaches S seconds (the last step whole)")
        ->type_name("S")
        ->check(CLI::Validator(checkSeconds, "SECONDS"))
        ->excludes(notes);
}

// One line naming the fault, then the usage of the command given, or of all.
int badArguments(const CLI::App& app, const CLI::ParseError& error) {
    std::cerr << "korvel-cli: " << error.what() << "\n";
    const auto given = app.get_subcommands();
    const std::string command = given.empty() ? std::string() : given.front()->get_name();
    const char* indent = "usage: ";
    for (const char* usage : {renderUsage, listUsage, playUsage}) {
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
    CLI::App app("Play, render and list KORVEL tunes from the command line.\n"
                 "Without --notes or --seconds a tune plays one pass: until its end marker "
                 "sends play back to the start (at most 10 minutes).",
                 "korvel-cli");
    app.set_version_flag("--version", "korvel-cli " KORVEL_VERSION);
    app.require_subcommand(1);
    Arguments args;

    CLI::App* render = addCommand(
        app, "render", "Write the tune as a WAV file (PCM, mono, 22050 Hz, 8 bits)", args);
    render
        ->add_option("-o,--output", args.output, "the WAV file to write, or - for standard output")
        ->type_name("OUT.wav")
        ->required();
    addSeconds(render, args, addNotes(render, args));

    CLI::App* list = addCommand(app, "list", "List every melody step the player examines", args);
    addNotes(list, args);

    CLI::App* play = addCommand(app, "play", "Play the tune on the default audio output", args);
    addSeconds(play, args, addNotes(play, args));

    try {
        app.parse(argc, argv);
    } catch (const CLI::ParseError& e) {
        if (e.get_exit_code() == static_cast<int>(CLI::ExitCodes::Success)) return app.exit(e);
        return badArguments(app, e);
    }

    if (render->parsed()) return renderCommand(args.script, args.output, args.limit());
    if (list->parsed()) return listCommand(args.script, args.limit());
    return playCommand(args.script, args.limit());
}
