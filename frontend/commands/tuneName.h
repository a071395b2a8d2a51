// What a tune is called, in every edition and korvel-cli alike: its title (a
// MIDI export's track name, a saved script's first line) and the stem of the
// files it is saved and exported to.
#pragma once

#include "formats/tuneConvert.h"

#include <cstddef>
#include <string>
#include <string_view>

namespace korvel {

// How much of a script names its tune: its first line, up to and with the
// line end, at most this many bytes and none from a zero byte on. A host
// reads this much of a file to name it and to tell what it holds.
constexpr size_t scriptHeadBytes = 255;

struct TuneName {
    std::string title;
    std::string fileStem;
    bool example = false; // an example's names, which a change to the tune gives up
};

// A tune typed in, pasted without a title, or opened from a link.
TuneName untitledTune();
// The file's name without its folders and its last extension.
using formats::fileStem;
// A tune named after its file.
TuneName nameOfFile(const std::string& fileName);
// What a script's first line calls its tune, or fallback when it names nothing.
std::string scriptTitle(std::string_view script, const std::string& fallback);
// The title the script's first line gives, else fallback's; fallback's stem.
TuneName nameOfScript(std::string_view script, const TuneName& fallback);
// A built-in example, named as its script and file name name it.
TuneName nameOfExample(std::string_view script, const std::string& fileName);
// The names of a tune changed since it was named. A file's tune keeps them (it
// is the same tune, changed, until saved); an example, once changed, is no
// longer the example, and its names say so: "Ode to Joy (changed)",
// "ode-to-joy-changed".
TuneName changedTune(const TuneName& name);
// The file a save or an export proposes: the stem and the extension ("wav").
std::string defaultFileName(const TuneName& name, const std::string& extension);

} // namespace korvel
