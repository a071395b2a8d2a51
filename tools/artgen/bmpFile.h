// Device-independent bitmaps as Windows stores them: a BMP file is a 14-byte file
// header followed by a DIB, and a bitmap resource is that DIB alone. Only the form
// the simulator's resources use is written and read: a 40-byte info header,
// uncompressed 24-bit pixels, rows bottom-up, each padded to four bytes.
// Used by the artwork generator and the resource tests.
#pragma once

#include "tools/artgen/byteIo.h"
#include "tools/artgen/image.h"

namespace korvel::art {

// Bytes in one stored row of `width` pixels at `bitCount` bits, padded to four bytes.
std::size_t dibRowStride(int width, int bitCount);

// The 40-byte info header. `heightField` is the image height, or twice it inside
// an icon, where an AND mask follows the colour rows.
void putDibInfoHeader(Bytes& out, int width, int heightField, std::uint32_t imageBytes);
// The image's rows, bottom-up, 24 bits a pixel in blue-green-red order.
void putDibPixels(Bytes& out, const Image& image);

struct DibHeader {
    int width = 0;
    int heightField = 0;
    int bitCount = 0;
};

// Reads and checks an info header: it must be 40 bytes, one plane, 24 bits,
// uncompressed, with a positive size. Throws std::runtime_error saying what differs.
DibHeader readDibInfoHeader(ByteReader& in);
// Reads `height` rows of 24-bit pixels stored bottom-up.
Image readDibPixels(ByteReader& in, int width, int height);

Bytes encodeDib(const Image& image);
Image decodeDib(const Bytes& dib, const std::string& what);

Bytes encodeBmp(const Image& image);
Image decodeBmp(const Bytes& file, const std::string& what);

void writeBmpFile(const std::string& path, const Image& image);
Image readBmpFile(const std::string& path);

} // namespace korvel::art
