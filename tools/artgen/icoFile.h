// Windows icon files (.ico) holding 24-bit images, each with its 1-bit AND mask:
// a set mask bit lets the background through, and the colour there is black so
// that the XOR pass leaves the background as it was.
// Used by the artwork generator and the resource tests.
#pragma once

#include "tools/artgen/byteIo.h"
#include "tools/artgen/image.h"

#include <vector>

namespace korvel::art {

struct IconImage {
    Image colour;
    // One flag a pixel, row by row from the top-left, like Image::pixels.
    std::vector<bool> transparent;
};

Bytes encodeIco(const std::vector<IconImage>& images);
// Throws std::runtime_error unless every image is a 24-bit DIB with its mask.
std::vector<IconImage> decodeIco(const Bytes& file, const std::string& what);

} // namespace korvel::art
