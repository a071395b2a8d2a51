// Where the tests find the committed resources, and the key table they check
// the pictures against, written out independently of the generator's own.
#pragma once

#include "tools/artgen/bmpFile.h"

#include <string>

namespace korvel::art::test {

inline std::string resourcePath(const std::string& file) {
    return std::string(KORVEL_RESOURCE_DIR) + "/" + file;
}

inline Image loadBitmap(const std::string& file) {
    return readBmpFile(resourcePath(file));
}

// The bitmap `name` drawn `scale` times the size: "base" at 2 is base@2x.bmp.
inline Image loadBitmap(const std::string& name, int scale) {
    return loadBitmap(name + (scale == 1 ? "" : "@" + std::to_string(scale) + "x") + ".bmp");
}

struct KeyRect {
    int x, y, width, height;
};

// Key ids 0..21: the hexadecimal keys, STOP, ADR, READ, WRITE, CLEAR, RUN.
inline constexpr KeyRect keyRects[22] = {
    {308, 532, 39, 39}, {348, 532, 39, 39}, {388, 532, 38, 39}, {427, 532, 39, 39},
    {308, 493, 39, 38}, {348, 493, 39, 38}, {388, 493, 38, 38}, {427, 493, 39, 38},
    {308, 453, 39, 39}, {348, 453, 39, 39}, {388, 453, 38, 39}, {427, 453, 39, 39},
    {308, 413, 39, 39}, {348, 413, 39, 39}, {388, 413, 38, 39}, {427, 413, 39, 39},
    {467, 413, 39, 39}, {308, 373, 39, 39}, {348, 373, 39, 39}, {388, 373, 38, 39},
    {427, 373, 39, 39}, {467, 373, 39, 39},
};

inline constexpr int sheetLeft = 308;
inline constexpr int sheetTop = 373;
inline constexpr int sheetSize = 198;

} // namespace korvel::art::test
