// Little-endian byte buffers for the Windows file formats (BMP, ICO, compiled
// resources) that the artwork generator writes and the resource tests read.
// Reads are bounds-checked and throw std::runtime_error naming what was cut short.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <utility>
#include <vector>

namespace korvel::art {

using Bytes = std::vector<std::uint8_t>;

void putU16(Bytes& out, std::uint32_t value);
void putU32(Bytes& out, std::uint32_t value);

// A cursor over a byte buffer; `what` names the buffer in error messages.
class ByteReader {
  public:
    ByteReader(const Bytes& bytes, std::string what, std::size_t offset = 0)
        : bytes_(bytes), what_(std::move(what)), offset_(offset) {}

    std::uint8_t u8();
    std::uint16_t u16();
    std::uint32_t u32();
    std::int16_t s16() { return static_cast<std::int16_t>(u16()); }
    std::int32_t s32() { return static_cast<std::int32_t>(u32()); }
    void skip(std::size_t count);
    void alignTo(std::size_t boundary);
    // Throws unless `count` more bytes are left.
    void require(std::size_t count) const;

    std::size_t offset() const { return offset_; }
    std::size_t remaining() const { return bytes_.size() - offset_; }
    const Bytes& bytes() const { return bytes_; }
    const std::string& what() const { return what_; }

  private:
    const Bytes& bytes_;
    std::string what_;
    std::size_t offset_;
};

Bytes readFileBytes(const std::string& path);
// Writes beside the target and renames, so a failed run never leaves a half-written file.
void writeFileBytes(const std::string& path, const Bytes& bytes);

} // namespace korvel::art
