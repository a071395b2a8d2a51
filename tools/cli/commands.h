// The commands of korvel-cli: render a tune to a WAV file, list the steps it
// plays, or play it on the default output device. main.cpp parses the
// arguments and calls one of these; each returns the process's exit status
// and reports problems as one line on stderr: "korvel-cli: FILE: what".
#pragma once

#include "tuneRun.h"

#include <string>

namespace korvel::cli {

constexpr int exitSuccess = 0;
constexpr int exitFailure = 1;       // the script, the tune or the output let us down
constexpr int exitUsage = 2;         // bad arguments
constexpr int exitInterrupted = 130; // Ctrl+C, as shells report it

// The output name render takes for standard output.
constexpr const char* standardOutputName = "-";

int renderCommand(const std::string& script, const std::string& output, const RunLimit& limit);
int listCommand(const std::string& script, const RunLimit& limit);
int playCommand(const std::string& script, const RunLimit& limit);

} // namespace korvel::cli
