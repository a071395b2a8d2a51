#include "tools/artgen/icoFile.h"

#include "tools/artgen/bmpFile.h"

#include <stdexcept>

namespace korvel::art {

namespace {

constexpr std::uint32_t dirHeaderBytes = 6;
constexpr std::uint32_t dirEntryBytes = 16;
constexpr std::uint32_t iconType = 1;
constexpr int colourBits = 24;
constexpr int maskBits = 1;

Bytes encodeIconDib(const IconImage& icon) {
    const Image& image = icon.colour;
    const std::size_t maskStride = dibRowStride(image.width, maskBits);
    const auto imageBytes = static_cast<std::uint32_t>(
        (dibRowStride(image.width, colourBits) + maskStride) * image.height);
    Bytes out;
    putDibInfoHeader(out, image.width, 2 * image.height, imageBytes);
    putDibPixels(out, image);
    for (int y = image.height - 1; y >= 0; --y) {
        Bytes row(maskStride, 0);
        for (int x = 0; x < image.width; ++x)
            if (icon.transparent[static_cast<std::size_t>(y) * image.width + x])
                row[x / 8] |= static_cast<std::uint8_t>(0x80 >> (x % 8));
        out.insert(out.end(), row.begin(), row.end());
    }
    return out;
}

// A directory entry's size byte of 0 means 256, the largest it can say.
int entrySize(std::uint8_t stored) {
    return stored == 0 ? 256 : stored;
}

IconImage decodeIconDib(ByteReader& in, int entryWidth, int entryHeight) {
    DibHeader header = readDibInfoHeader(in);
    if (header.width != entryWidth || header.heightField != 2 * entryHeight)
        throw std::runtime_error(in.what() + ": image size differs from its directory entry");
    IconImage icon;
    icon.colour = readDibPixels(in, header.width, entryHeight);
    const std::size_t maskStride = dibRowStride(header.width, maskBits);
    in.require(maskStride * entryHeight);
    icon.transparent.assign(static_cast<std::size_t>(header.width) * entryHeight, false);
    for (int y = entryHeight - 1; y >= 0; --y) {
        const std::size_t rowStart = in.offset();
        for (int x = 0; x < header.width; ++x)
            icon.transparent[static_cast<std::size_t>(y) * header.width + x] =
                (in.bytes()[rowStart + x / 8] & (0x80 >> (x % 8))) != 0;
        in.skip(maskStride);
    }
    return icon;
}

} // namespace

Bytes encodeIco(const std::vector<IconImage>& images) {
    Bytes out;
    putU16(out, 0);
    putU16(out, iconType);
    putU16(out, static_cast<std::uint32_t>(images.size()));
    std::vector<Bytes> dibs;
    for (const IconImage& icon : images) dibs.push_back(encodeIconDib(icon));
    auto offset = static_cast<std::uint32_t>(dirHeaderBytes + dirEntryBytes * images.size());
    for (std::size_t i = 0; i < images.size(); ++i) {
        out.push_back(static_cast<std::uint8_t>(images[i].colour.width)); // 256 wraps to 0
        out.push_back(static_cast<std::uint8_t>(images[i].colour.height));
        out.push_back(0); // palette size: none
        out.push_back(0); // reserved
        putU16(out, 1);   // planes
        putU16(out, colourBits);
        putU32(out, static_cast<std::uint32_t>(dibs[i].size()));
        putU32(out, offset);
        offset += static_cast<std::uint32_t>(dibs[i].size());
    }
    for (const Bytes& dib : dibs) out.insert(out.end(), dib.begin(), dib.end());
    return out;
}

std::vector<IconImage> decodeIco(const Bytes& file, const std::string& what) {
    ByteReader in(file, what);
    if (in.u16() != 0 || in.u16() != iconType)
        throw std::runtime_error(what + ": not an icon file");
    const int count = in.u16();
    std::vector<IconImage> images;
    for (int i = 0; i < count; ++i) {
        const int width = entrySize(in.u8());
        const int height = entrySize(in.u8());
        in.skip(4); // palette size, reserved, planes
        if (in.u16() != colourBits)
            throw std::runtime_error(what + ": image " + std::to_string(i) + " is not 24-bit");
        const std::uint32_t size = in.u32();
        const std::uint32_t offset = in.u32();
        if (offset > file.size() || size > file.size() - offset)
            throw std::runtime_error(what + ": image " + std::to_string(i) +
                                     " lies outside the file");
        ByteReader image(file, what + " image " + std::to_string(i), offset);
        images.push_back(decodeIconDib(image, width, height));
    }
    return images;
}

} // namespace korvel::art
