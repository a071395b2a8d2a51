// Where the formats put the bytes they make: a file (the safe replacement
// streams into one), standard output or a buffer, as the caller chooses, so
// no format makes a file call of its own.
#pragma once

#include <cstddef>
#include <string>

namespace korvel::formats {

class ByteSink {
  public:
    // False when the bytes could not be kept; nothing more should be written.
    virtual bool write(const void* bytes, size_t size) = 0;

  protected:
    ~ByteSink() = default;
};

// Keeps the bytes in memory, for a file made whole before it goes anywhere.
class StringSink final : public ByteSink {
  public:
    bool write(const void* data, size_t size) override {
        bytes.append(static_cast<const char*>(data), size);
        return true;
    }
    std::string bytes;
};

} // namespace korvel::formats
