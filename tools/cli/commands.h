// The commands of korvel-cli: render a tune to a WAV file, list the steps it
// plays, play it on the default output device, or move it between a script
// and a MIDI file. main.cpp parses the
// arguments and calls one of these; each returns the process's exit status
// and reports problems as one line on stderr: "korvel-cli: FILE: what".
#pragma once

#include "formats/tuneImport.h"
#include "formats/tuneRun.h"

#include <string>

namespace korvel::cli {

constexpr int exitSuccess = 0;
constexpr int exitFailure = 1;       // the script, the tune or the output let us down
constexpr int exitUsage = 2;         // bad arguments
constexpr int exitInterrupted = 130; // Ctrl+C, as shells report it

// The output name render takes for standard output.
constexpr const char* standardOutputName = "-";

int renderCommand(const std::string& script, const std::string& output,
                  const formats::RunLimit& limit);
int listCommand(const std::string& script, const formats::RunLimit& limit);
int playCommand(const std::string& script, const formats::RunLimit& limit);

// MIDI file or recording (told by its bytes) to script, with a short report
// on stdout (stderr for "-o -").
int importCommand(const std::string& input, const std::string& output,
                  const formats::ImportOptions& options);
// One pass of a script's tune to a MIDI file.
int exportCommand(const std::string& script, const std::string& output);

} // namespace korvel::cli
