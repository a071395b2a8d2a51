// Names shown on a terminal: control bytes escaped, readable text kept.
#include "tools/cli/terminalText.h"

#include <gtest/gtest.h>

namespace korvel::cli {
namespace {

TEST(Printable, EscapesControlsAndStrayBytesOnly) {
    const struct {
        std::string name;
        std::string shown;
    } cases[] = {
        {std::string("a\tb\nc\rd\x1b[2J\x7f\0", 13), "a\\tb\\nc\\rd\\x1b[2J\\x7f\\x00"},
        // C1 controls, which terminals may obey, by their UTF-8 bytes.
        {"\xc2\x9b[2J", "\\xc2\\x9b[2J"},
        // Bytes that are not UTF-8: lone, cut short, overlong, a surrogate.
        {"\xff-\xe2\x82-\xc0\xaf-\xed\xa0\x80", "\\xff-\\xe2\\x82-\\xc0\\xaf-\\xed\\xa0\\x80"},
        {"C:\\caf\xc3\xa9 \xe2\x82\xac\xe6\x9b\xb2\xf0\x9f\x8e\xb5\xc2\xa0.dat",
         "C:\\caf\xc3\xa9 \xe2\x82\xac\xe6\x9b\xb2\xf0\x9f\x8e\xb5\xc2\xa0.dat"},
    };
    for (const auto& c : cases) EXPECT_EQ(printable(c.name), c.shown);
}

} // namespace
} // namespace korvel::cli
