// Listing lines: what a reader checks their typing against.
#include "formats/listing.h"

#include <gtest/gtest.h>

namespace korvel::formats {
namespace {

MelodyStep step(uint32_t address, uint32_t s3, uint32_t s2, uint32_t s1, uint32_t s0) {
    return {address, {s0, s1, s2, s3}};
}

struct Line {
    MelodyStep step;
    StepKind kind;
    bool followed;
    uint32_t tempo;
    const char* expected;
};

TEST(Listing, LinesByKind) {
    using K = StepKind;
    const Line lines[] = {
        {step(0x020, 3, 4, 0, 5), K::Note, false, 0,
         "020  3405  note           mi   divider 3    2205 bytes    100.0 ms"},
        {step(0x1FC, 0, 11, 1, 15), K::Note, false, 0,
         "1FC  0B1F  note           si   divider 0   11760 bytes    533.3 ms"},
        // s2 above 11 sounds si; s3 = E with s2 <= 11 is a note, not a rest.
        {step(0x004, 15, 13, 0, 0), K::Note, false, 0,
         "004  FD00  note           si   divider 15    368 bytes     16.7 ms"},
        {step(0x008, 14, 8, 0, 0), K::Note, false, 2,
         "008  E800  note           sol# divider 14   1103 bytes     50.0 ms"},
        {step(0x00C, 14, 14, 0, 5), K::Rest, false, 0,
         "00C  EE05  rest           rest              2205 bytes    100.0 ms"},
        // A jump's target is taken modulo 512.
        {step(0x010, 7, 2, 4, 0), K::Jump, true, 0, "010  7240  jump followed  to 040"},
        {step(0x010, 7, 0, 4, 0), K::Jump, false, 0, "010  7040  jump passed"},
        {step(0x014, 14, 14, 14, 14), K::End, false, 0, "014  EEEE  end"},
    };
    for (const Line& line : lines)
        EXPECT_EQ(listingLine(line.step, line.kind, line.followed, line.tempo), line.expected);
}

} // namespace
} // namespace korvel::formats
