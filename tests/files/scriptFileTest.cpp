#include "scriptFile.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <iterator>
#include <random>
#include <string>

#ifndef _WIN32
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>
#endif

namespace korvel::test {
namespace {

namespace fs = std::filesystem;

std::string readFile(const fs::path& path) {
    std::ifstream in(path, std::ios::binary);
    return {std::istreambuf_iterator<char>(in), {}};
}

void writeFile(const fs::path& path, const std::string& bytes) {
    std::ofstream(path, std::ios::binary) << bytes;
}

class ScriptFileTest : public testing::Test {
  protected:
    fs::path folder;
    KitState kit{};

    void SetUp() override {
        const auto* info = testing::UnitTest::GetInstance()->current_test_info();
        folder = fs::temp_directory_path() / ("korvel-" + std::string(info->name()) + "-" +
                                              std::to_string(std::random_device{}()));
        fs::create_directories(folder);
        for (uint32_t i = 0; i < memoryNibbles; ++i) kit.memory[i] = (i * 5) % 16;
    }
    void TearDown() override {
        std::error_code ignored;
        fs::permissions(folder, fs::perms::owner_all, fs::perm_options::add, ignored);
        fs::remove_all(folder, ignored);
    }
    // Files in the folder other than the ones named: a failed save must leave none.
    size_t entries() const {
        return size_t(std::distance(fs::directory_iterator(folder), fs::directory_iterator()));
    }
};

TEST_F(ScriptFileTest, SaveThenLoadRestoresEveryNibble) {
    const std::string path = (folder / "tune.dat").string();
    const FileResult saved = saveScriptFile(kit, path);
    EXPECT_EQ(saved.outcome, FileOutcome::Done);
    EXPECT_TRUE(saved.message.empty());
    const std::string bytes = readFile(path);
    ASSERT_EQ(bytes.size(), 932u);
    EXPECT_EQ(bytes.rfind("KORVEL Memory Output", 0), 0u);
    EXPECT_EQ(entries(), 1u) << "no temporary file left behind";

    KitState loaded{};
    const FileResult result = loadScriptFile(loaded, path);
    EXPECT_EQ(result.outcome, FileOutcome::Done);
    EXPECT_TRUE(result.message.empty());
    EXPECT_EQ(loaded.memory, kit.memory);
}

TEST_F(ScriptFileTest, SaveReplacesAnExistingFileAndIgnoresStaleTemporaries) {
    const fs::path path = folder / "tune.dat";
    writeFile(path, "old contents");
    writeFile(folder / "tune.dat.saving", "left by a crash");
    EXPECT_EQ(saveScriptFile(kit, path.string()).outcome, FileOutcome::Done);
    EXPECT_EQ(readFile(path).size(), 932u);
    EXPECT_EQ(readFile(folder / "tune.dat.saving"), "left by a crash");
    EXPECT_EQ(entries(), 2u);
}

struct LoadCase {
    const char* name;
    std::string contents;
    FileOutcome outcome;
    const char* message;
    bool changesMemory;
};

class LoadOutcomes : public ScriptFileTest, public testing::WithParamInterface<LoadCase> {};

TEST_P(LoadOutcomes, ReportTheTabledMessageAndChangeOnlyOnSuccess) {
    const LoadCase& c = GetParam();
    const std::string path = (folder / "in.dat").string();
    writeFile(path, c.contents);
    KitState target{};
    const FileResult result = loadScriptFile(target, path);
    EXPECT_EQ(result.outcome, c.outcome);
    EXPECT_EQ(result.message, c.message);
    EXPECT_STREQ(result.caption, "Load Script");
    EXPECT_EQ(target.memory[0x20] != 0, c.changesMemory);
}

INSTANTIATE_TEST_SUITE_P(
    Contents, LoadOutcomes,
    testing::Values(LoadCase{"Script", "KORVEL\r\n---\r\n0020@1234W", FileOutcome::Done, "", true},
                    LoadCase{"MagicOnly", "KORVEL", FileOutcome::Done, "", false},
                    LoadCase{"Empty", "", FileOutcome::NotScript, "This File is not KORVEL script.",
                             false},
                    LoadCase{"NotAScript", "Hello\r\n---\r\n0020@1234W", FileOutcome::NotScript,
                             "This File is not KORVEL script.", false}),
    [](const testing::TestParamInfo<LoadCase>& info) { return std::string(info.param.name); });

TEST_F(ScriptFileTest, LoadOfAMissingFileOrAFolderCannotOpen) {
    for (const fs::path& path : {folder / "missing.dat", folder}) {
        const KitState before = kit;
        const FileResult result = loadScriptFile(kit, path.string());
        EXPECT_EQ(result.outcome, FileOutcome::CantOpen);
        EXPECT_EQ(result.message, "Can't Open : " + path.string());
        EXPECT_STREQ(result.caption, "Load Script");
        EXPECT_EQ(kit.memory, before.memory);
    }
}

TEST_F(ScriptFileTest, SaveIntoAMissingFolderCannotWrite) {
    const std::string path = (folder / "no such folder" / "tune.dat").string();
    const FileResult result = saveScriptFile(kit, path);
    EXPECT_EQ(result.outcome, FileOutcome::CantWrite);
    EXPECT_EQ(result.message, "Can't Write : " + path);
    EXPECT_STREQ(result.caption, "Save Script");
    EXPECT_EQ(entries(), 0u);
}

TEST_F(ScriptFileTest, FailedReplaceKeepsTheTargetAndLeavesNoTemporary) {
    const fs::path target = folder / "tune.dat"; // a folder with that name cannot be replaced
    fs::create_directory(target);
    writeFile(target / "inside", "kept");
    const FileResult result = saveScriptFile(kit, target.string());
    EXPECT_EQ(result.outcome, FileOutcome::CantWrite);
    EXPECT_EQ(result.message, "Can't Write : " + target.string());
    EXPECT_EQ(readFile(target / "inside"), "kept");
    EXPECT_EQ(entries(), 1u);
}

TEST_F(ScriptFileTest, MessagesCarryPathsLongerThanAnyFixedBuffer) {
    fs::path deep = folder;
    for (int i = 0; i < 8; ++i) deep /= std::string(60, char('a' + i));
    fs::create_directories(deep);
    const std::string path = (deep / "tune.dat").string();
    ASSERT_GT(path.size(), 500u);
    EXPECT_EQ(saveScriptFile(kit, path).outcome, FileOutcome::Done);
    KitState loaded{};
    EXPECT_EQ(loadScriptFile(loaded, path).outcome, FileOutcome::Done);
    EXPECT_EQ(loaded.memory, kit.memory);
    EXPECT_EQ(loadScriptFile(loaded, path + "x").message, "Can't Open : " + path + "x");
}

#ifndef _WIN32
// Permission checks do not apply to root, so the body runs as an unprivileged
// user in a child process when the tests run as root.
template <typename Body> void asUnprivilegedUser(Body body) {
    if (geteuid() != 0) {
        body();
        return;
    }
    const pid_t child = fork();
    ASSERT_GE(child, 0);
    if (child == 0) {
        const bool dropped = setgid(65534) == 0 && setuid(65534) == 0;
        _exit(dropped ? (body(), testing::Test::HasFailure() ? 1 : 0) : 2);
    }
    int status = 0;
    waitpid(child, &status, 0);
    ASSERT_TRUE(WIFEXITED(status));
    ASSERT_NE(WEXITSTATUS(status), 2) << "could not drop privileges";
    EXPECT_EQ(WEXITSTATUS(status), 0) << "failures in the unprivileged child (see above)";
}

TEST_F(ScriptFileTest, ReadOnlyFolderKeepsTheOldFile) {
    const fs::path path = folder / "tune.dat";
    writeFile(path, "precious");
    fs::permissions(folder, fs::perms::owner_read | fs::perms::owner_exec | fs::perms::group_read |
                                fs::perms::group_exec | fs::perms::others_read |
                                fs::perms::others_exec);
    asUnprivilegedUser([&] {
        const FileResult result = saveScriptFile(kit, path.string());
        EXPECT_EQ(result.outcome, FileOutcome::CantWrite);
        EXPECT_EQ(result.message, "Can't Write : " + path.string());
    });
    EXPECT_EQ(readFile(path), "precious");
    EXPECT_EQ(entries(), 1u);
}

TEST_F(ScriptFileTest, UnreadableFileCannotOpen) {
    const fs::path path = folder / "secret.dat";
    writeFile(path, "KORVEL\n---\n0020@1234W");
    fs::permissions(path, fs::perms::none);
    fs::permissions(folder, fs::perms::others_read | fs::perms::others_exec, fs::perm_options::add);
    asUnprivilegedUser([&] {
        KitState target{};
        const FileResult result = loadScriptFile(target, path.string());
        EXPECT_EQ(result.outcome, FileOutcome::CantOpen);
        EXPECT_EQ(result.message, "Can't Open : " + path.string());
        EXPECT_EQ(target.memory[0x20], 0u);
    });
}
#endif

} // namespace
} // namespace korvel::test
