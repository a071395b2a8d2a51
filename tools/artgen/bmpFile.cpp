#include "tools/artgen/bmpFile.h"

#include <stdexcept>

namespace korvel::art {

namespace {

constexpr std::uint32_t fileHeaderBytes = 14;
constexpr std::uint32_t infoHeaderBytes = 40;
constexpr int colourBits = 24;
constexpr std::uint32_t uncompressed = 0;      // BI_RGB
constexpr std::uint32_t pixelsPerMetre = 2835; // 72 dots per inch

[[noreturn]] void refuse(const ByteReader& in, const std::string& why) {
    throw std::runtime_error(in.what() + ": " + why);
}

} // namespace

std::size_t dibRowStride(int width, int bitCount) {
    return (static_cast<std::size_t>(width) * bitCount + 31) / 32 * 4;
}

void putDibInfoHeader(Bytes& out, int width, int heightField, std::uint32_t imageBytes) {
    putU32(out, infoHeaderBytes);
    putU32(out, static_cast<std::uint32_t>(width));
    putU32(out, static_cast<std::uint32_t>(heightField));
    putU16(out, 1); // planes
    putU16(out, colourBits);
    putU32(out, uncompressed);
    putU32(out, imageBytes);
    putU32(out, pixelsPerMetre);
    putU32(out, pixelsPerMetre);
    putU32(out, 0); // colours used: none, no palette
    putU32(out, 0); // important colours: all
}

void putDibPixels(Bytes& out, const Image& image) {
    const std::size_t padding = dibRowStride(image.width, colourBits) - 3 * image.width;
    for (int y = image.height - 1; y >= 0; --y) {
        for (int x = 0; x < image.width; ++x) {
            Rgb p = image.at(x, y);
            out.insert(out.end(), {p.b, p.g, p.r});
        }
        out.insert(out.end(), padding, 0);
    }
}

DibHeader readDibInfoHeader(ByteReader& in) {
    if (in.u32() != infoHeaderBytes) refuse(in, "not a 40-byte bitmap info header");
    DibHeader header;
    header.width = in.s32();
    header.heightField = in.s32();
    if (header.width <= 0 || header.heightField <= 0)
        refuse(in, "width and height must be positive (bottom-up rows)");
    if (in.u16() != 1) refuse(in, "plane count is not 1");
    header.bitCount = in.u16();
    if (header.bitCount != colourBits)
        refuse(in, std::to_string(header.bitCount) + " bits a pixel; only 24 are read");
    if (in.u32() != uncompressed) refuse(in, "compressed pixels; only uncompressed are read");
    in.skip(5 * 4); // image size, resolution, palette counts
    return header;
}

Image readDibPixels(ByteReader& in, int width, int height) {
    const std::size_t stride = dibRowStride(width, colourBits);
    in.require(stride * height);
    Image image(width, height);
    for (int y = height - 1; y >= 0; --y) {
        for (int x = 0; x < width; ++x) {
            Rgb& p = image.at(x, y);
            p.b = in.u8();
            p.g = in.u8();
            p.r = in.u8();
        }
        in.skip(stride - 3 * width);
    }
    return image;
}

Bytes encodeDib(const Image& image) {
    const auto pixelBytes =
        static_cast<std::uint32_t>(dibRowStride(image.width, colourBits) * image.height);
    Bytes out;
    out.reserve(infoHeaderBytes + pixelBytes);
    putDibInfoHeader(out, image.width, image.height, pixelBytes);
    putDibPixels(out, image);
    return out;
}

Image decodeDib(const Bytes& dib, const std::string& what) {
    ByteReader in(dib, what);
    DibHeader header = readDibInfoHeader(in);
    return readDibPixels(in, header.width, header.heightField);
}

Bytes encodeBmp(const Image& image) {
    Bytes dib = encodeDib(image);
    Bytes out;
    out.reserve(fileHeaderBytes + dib.size());
    out.push_back('B');
    out.push_back('M');
    putU32(out, static_cast<std::uint32_t>(fileHeaderBytes + dib.size()));
    putU32(out, 0);                                 // reserved
    putU32(out, fileHeaderBytes + infoHeaderBytes); // offset of the pixels
    out.insert(out.end(), dib.begin(), dib.end());
    return out;
}

Image decodeBmp(const Bytes& file, const std::string& what) {
    ByteReader in(file, what);
    if (in.u8() != 'B' || in.u8() != 'M') refuse(in, "not a BMP file (no BM signature)");
    if (in.u32() != file.size()) refuse(in, "file size field does not match the file");
    in.skip(4);
    if (in.u32() != fileHeaderBytes + infoHeaderBytes)
        refuse(in, "pixels do not follow the info header directly");
    DibHeader header = readDibInfoHeader(in);
    return readDibPixels(in, header.width, header.heightField);
}

void writeBmpFile(const std::string& path, const Image& image) {
    writeFileBytes(path, encodeBmp(image));
}

Image readBmpFile(const std::string& path) {
    return decodeBmp(readFileBytes(path), path);
}

} // namespace korvel::art
