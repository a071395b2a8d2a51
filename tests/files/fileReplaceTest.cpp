// What an in-place write does with a writer that gives up or breaks its
// promise to write the same bytes each time.
#include "fileReplace.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <iterator>
#include <random>
#include <string>
#include <vector>

namespace korvel::test {
namespace {

namespace fs = std::filesystem;

std::string readFile(const fs::path& path) {
    std::ifstream in(path, std::ios::binary);
    return {std::istreambuf_iterator<char>(in), {}};
}

// One call of the writer: the bytes it writes, and whether it then finishes.
struct Pass {
    std::string bytes;
    bool finishes;
};

struct InPlaceCase {
    const char* name;
    std::vector<Pass> passes; // the writer's calls in order
    files::ReplaceOutcome outcome;
    bool oldContentLost;
    std::string contents; // the file's afterwards
};

void PrintTo(const InPlaceCase& c, std::ostream* out) {
    *out << c.name;
}

class InPlaceWrite : public testing::TestWithParam<InPlaceCase> {};

const std::string oldContents = "the old contents, kept unless the result says otherwise";

TEST_P(InPlaceWrite, ChangesNoOldByteBeforeTheSecondPass) {
    const InPlaceCase& c = GetParam();
    const fs::path folder =
        fs::temp_directory_path() / ("korvel-inplace-" + std::to_string(std::random_device{}()));
    fs::create_directories(folder);
    const fs::path path = folder / "out.bin", other = folder / "other.bin";
    std::ofstream(path, std::ios::binary) << oldContents;
    fs::create_hard_link(path, other); // so the write is in place
    size_t call = 0;
    const files::ReplaceResult result =
        files::replaceFile(path.string(), [&](files::ByteSink& out) {
            const Pass& pass = c.passes.at(call++);
            return out.write(pass.bytes.data(), pass.bytes.size()) && pass.finishes;
        });
    EXPECT_EQ(call, c.passes.size());
    EXPECT_EQ(result.outcome, c.outcome);
    EXPECT_EQ(result.oldContentLost, c.oldContentLost);
    EXPECT_EQ(readFile(other), c.contents);
    fs::remove_all(folder);
}

const std::string shorter = "new", longer = oldContents + " and then some more";

INSTANTIATE_TEST_SUITE_P(
    Writers, InPlaceWrite,
    testing::Values(
        InPlaceCase{"Shorter",
                    {{shorter, true}, {shorter, true}},
                    files::ReplaceOutcome::Done,
                    false,
                    shorter},
        InPlaceCase{
            "Longer", {{longer, true}, {longer, true}}, files::ReplaceOutcome::Done, false, longer},
        InPlaceCase{"GivesUpWhileCounted",
                    {{shorter, false}},
                    files::ReplaceOutcome::GaveUp,
                    false,
                    oldContents},
        InPlaceCase{"GivesUpWhileWriting",
                    {{longer, true}, {"", false}},
                    files::ReplaceOutcome::GaveUp,
                    true,
                    oldContents + std::string(longer.size() - oldContents.size(), '\0')},
        InPlaceCase{"LongerTheSecondTime",
                    {{shorter, true}, {longer, true}},
                    files::ReplaceOutcome::Failed,
                    true,
                    oldContents},
        InPlaceCase{"ShorterTheSecondTime",
                    {{longer, true}, {shorter, true}},
                    files::ReplaceOutcome::Failed,
                    true,
                    shorter + oldContents.substr(shorter.size()) +
                        std::string(longer.size() - oldContents.size(), '\0')}),
    [](const testing::TestParamInfo<InPlaceCase>& info) { return std::string(info.param.name); });

} // namespace
} // namespace korvel::test
