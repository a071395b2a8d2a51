// Where the formats put the bytes they make: a file, standard output or a
// buffer, as the caller chooses, so no format makes a file call of its own.
#pragma once

#include <cstddef>

namespace korvel::formats {

class ByteSink {
  public:
    // False when the bytes could not be kept; nothing more should be written.
    virtual bool write(const void* bytes, size_t size) = 0;

  protected:
    ~ByteSink() = default;
};

// Any other sink with the same write, such as the one a file is replaced
// through, seen as a ByteSink.
template <typename Target> class SinkTo final : public ByteSink {
  public:
    explicit SinkTo(Target& target) : target_(target) {}
    bool write(const void* bytes, size_t size) override { return target_.write(bytes, size); }

  private:
    Target& target_;
};

} // namespace korvel::formats
