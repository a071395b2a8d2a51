// The JSON the kit's module hands the page: texts from tunes and files go in
// as they are, so every character must come out as JSON.parse reads it back,
// and members nested any way must get their commas.
#include "host/web/jsonWriter.h"

#include <gtest/gtest.h>

namespace korvel::web {
namespace {

TEST(JsonWriter, TextsAreQuotedSoTheyReadBackAsWritten) {
    const struct {
        std::string_view text;
        const char* json;
    } cases[] = {
        {"plain", R"("plain")"},
        {R"(say "hi")", R"("say \"hi\"")"},
        {R"(C:\tunes)", R"("C:\\tunes")"},
        {"line\nnext\tcell\r", R"("line\u000anext\u0009cell\u000d")"},
        {std::string_view("zero\0one", 8), R"("zero\u0000one")"},
        {"\x1f\x7f", "\"\\u001f\x7f\""},
        {"C5 +6\xc2\xa2", "\"C5 +6\xc2\xa2\""}, // UTF-8 as it is
        {"", R"("")"},
    };
    for (const auto& c : cases) EXPECT_EQ(JsonWriter().value(c.text).text(), c.json) << c.json;
}

TEST(JsonWriter, NestedMembersAreSeparatedOnce) {
    JsonWriter json;
    json.beginArray();
    json.beginObject().key("texts").beginArray().value("a").value("b").endArray();
    json.key("reached").value(true).key("bar").value(-5).endObject();
    json.beginObject().endObject().beginArray().endArray().value(false);
    EXPECT_EQ(json.endArray().take(),
              R"([{"texts":["a","b"],"reached":true,"bar":-5},{},[],false])");
}

} // namespace
} // namespace korvel::web
