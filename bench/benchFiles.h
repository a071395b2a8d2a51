// The inputs the benchmarks share, written once to the temporary folder: a
// ten-minute MIDI song and a ten-minute tune's script.
#pragma once

#include <string>

namespace korvel::bench {

std::string tempPath(const char* name);
std::string readAll(const std::string& path);
void writeAll(const std::string& path, const std::string& bytes);

// Ten minutes at 120 crotchets a minute: a melody of quavers over crotchet
// triads on another channel, as a format-1 file of three tracks.
const std::string& tenMinuteSong();
// 127 steps of 4.8 s at the slowest tempo, then the end marker: 10 minutes 10 s.
const std::string& tenMinuteTune();

} // namespace korvel::bench
