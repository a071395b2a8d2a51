#include "tools/artgen/byteIo.h"

#include <cstdio>
#include <fstream>
#include <iterator>
#include <stdexcept>

namespace korvel::art {

void putU16(Bytes& out, std::uint32_t value) {
    out.push_back(static_cast<std::uint8_t>(value));
    out.push_back(static_cast<std::uint8_t>(value >> 8));
}

void putU32(Bytes& out, std::uint32_t value) {
    putU16(out, value & 0xFFFF);
    putU16(out, value >> 16);
}

void ByteReader::require(std::size_t count) const {
    if (count > remaining())
        throw std::runtime_error(what_ + ": cut short at byte " + std::to_string(offset_) +
                                 " (needs " + std::to_string(count) + " more)");
}

std::uint8_t ByteReader::u8() {
    require(1);
    return bytes_[offset_++];
}

std::uint16_t ByteReader::u16() {
    std::uint16_t low = u8();
    return static_cast<std::uint16_t>(low | (u8() << 8));
}

std::uint32_t ByteReader::u32() {
    std::uint32_t low = u16();
    return low | (static_cast<std::uint32_t>(u16()) << 16);
}

void ByteReader::skip(std::size_t count) {
    require(count);
    offset_ += count;
}

void ByteReader::alignTo(std::size_t boundary) {
    std::size_t misalign = offset_ % boundary;
    if (misalign != 0) skip(boundary - misalign);
}

Bytes readFileBytes(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    if (!in) throw std::runtime_error("cannot open " + path + " for reading");
    Bytes bytes((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
    if (in.bad()) throw std::runtime_error("cannot read " + path);
    return bytes;
}

void writeFileBytes(const std::string& path, const Bytes& bytes) {
    const std::string partial = path + ".partial";
    std::ofstream out(partial, std::ios::binary | std::ios::trunc);
    if (!out) throw std::runtime_error("cannot open " + partial + " for writing");
    out.write(reinterpret_cast<const char*>(bytes.data()),
              static_cast<std::streamsize>(bytes.size()));
    out.close();
    if (!out || std::rename(partial.c_str(), path.c_str()) != 0) {
        std::remove(partial.c_str());
        throw std::runtime_error("cannot write " + path);
    }
}

} // namespace korvel::art
