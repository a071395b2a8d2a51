// The track name an export takes from a script's first line.
#include "formats/tuneExport.h"

#include <gtest/gtest.h>

namespace korvel::formats {
namespace {

TEST(TuneExport, TitleIsTheFirstLineAfterTheMagicOrTheFallback) {
    const struct {
        const char* head;
        const char* title;
    } cases[] = {
        {"KORVEL Ode to Joy\r\n", "Ode to Joy"},
        {"KORVEL\tFrere Jacques \n", "Frere Jacques"},
        {"KORVEL\r\n", "tune"},
        {"KORVEL   \r\n", "tune"}, // blanks only: no name, not a line end
        {"KORVEL", "tune"},
    };
    for (const auto& c : cases) EXPECT_EQ(titleOfScript(c.head, "tune"), c.title) << c.head;
}

} // namespace
} // namespace korvel::formats
