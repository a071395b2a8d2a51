#include "files/scriptFile.h"
#include "files/fileReplace.h"
#include "model/script.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <random>
#include <string>
#include <tuple>
#include <utility>
#include <vector>

#ifdef _WIN32
#include <windows.h>
#else
#include <csignal>
#include <sched.h>
#include <sys/mount.h>
#include <sys/resource.h>
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

// The desktop and web editions' loads replace the tune: a refusal says why
// in the words of the command and changes nothing; a load gives exactly the
// tune korvel-cli loads into a fresh kit, and counts what it skipped.
struct ReplaceCase {
    const char* name;
    std::string contents;
    TuneOrigin origin;
    FileOutcome outcome;
    std::string shown; // the box's message with its reason, or a load's notice
};

class ReplaceOutcomes : public ScriptFileTest, public testing::WithParamInterface<ReplaceCase> {};

TEST_P(ReplaceOutcomes, SayWhatHappenedAndLoadAsIntoAFreshKit) {
    const ReplaceCase& c = GetParam();
    const fs::path path = folder / "in.dat";
    writeFile(path, c.contents);
    kit.tempo = 7, kit.startAddress = 0x40, kit.address = 0x1F0, kit.digits = {1, 2, 3, 4};
    KitState target = kit;
    const FileResult result =
        c.origin == TuneOrigin::File
            ? replaceTuneFile(target, path.string())
            : replaceTune(target, c.contents.data(), c.contents.size(), c.origin, "Clipboard");
    // Messages name the file by its path; the table by its name.
    const auto named = [&](std::string text) {
        const size_t at = text.find(path.string());
        return at == std::string::npos ? text : text.replace(at, path.string().size(), "in.dat");
    };
    EXPECT_EQ(result.outcome, c.outcome);
    EXPECT_STREQ(result.caption, c.origin == TuneOrigin::File ? "Load Script" : "Paste Tune");
    if (c.outcome != FileOutcome::Done) {
        EXPECT_EQ(named(messageWithReason(result)), c.shown);
        EXPECT_EQ(std::tie(target.memory, target.tempo, target.startAddress, target.digits),
                  std::tie(kit.memory, kit.tempo, kit.startAddress, kit.digits));
        return;
    }
    EXPECT_EQ(result.message, "");
    EXPECT_EQ(named(result.notice), c.shown);
    KitState fresh{};
    ASSERT_EQ(loadScriptText(fresh, c.contents.data(), c.contents.size()).outcome,
              FileOutcome::Done);
    EXPECT_EQ(std::tie(target.memory, target.tempo, target.startAddress, target.digits),
              std::tie(fresh.memory, fresh.tempo, fresh.startAddress, fresh.digits));
}

const std::string notScriptFile = "This File is not KORVEL script.\n";
const std::string noMark = "\nIts keystrokes must follow a line of ---, and it has none.";
const ScriptImage savedImage = buildScript(KitState{});

INSTANTIATE_TEST_SUITE_P(
    Contents, ReplaceOutcomes,
    testing::Values(
        ReplaceCase{"Script", "KORVEL\r\n---\r\n1234W", TuneOrigin::File, FileOutcome::Done,
                    "Tune loaded from in.dat: press RUN to play."},
        ReplaceCase{"Saved", std::string(savedImage.data(), savedImage.size()), TuneOrigin::File,
                    FileOutcome::Done, "Tune loaded from in.dat: press RUN to play."},
        ReplaceCase{"Empty", "", TuneOrigin::File, FileOutcome::NotScript,
                    notScriptFile + "It is empty."},
        ReplaceCase{"Zeros", std::string(3, '\0'), TuneOrigin::File, FileOutcome::NotScript,
                    notScriptFile + "It does not begin with KORVEL."},
        ReplaceCase{"Binary", "\x89PNG\r\n", TuneOrigin::File, FileOutcome::NotScript,
                    notScriptFile + "It does not begin with KORVEL."},
        ReplaceCase{"NoWrite", "KORVEL\n---\n0010@1405", TuneOrigin::File, FileOutcome::NoTune,
                    "in.dat writes nothing into memory: nothing was loaded.\nIt has no W, the "
                    "WRITE that stores a step."},
        ReplaceCase{"PastedMagicOnly", "KORVEL", TuneOrigin::Clipboard, FileOutcome::NoTune,
                    "Nothing pasted. The clipboard's script writes nothing into memory." + noMark},
        ReplaceCase{"PastedWithoutMark", "KORVEL x\n0010@ 1405W ZZZZ", TuneOrigin::Clipboard,
                    FileOutcome::NoTune,
                    "Nothing pasted. The clipboard's script writes nothing into memory." + noMark},
        ReplaceCase{"PastedJunk", "KORVEL x\n---\n0010@ 1405W ZZZZ", TuneOrigin::Clipboard,
                    FileOutcome::Done,
                    "Tune pasted: press RUN to play. Skipped 4 characters that are not "
                    "keystrokes, the first on line 3."},
        ReplaceCase{"PastedAccent", "KORVEL caf\xc3\xa9\n---\n0010@\n1405W \xc3\xa9",
                    TuneOrigin::Clipboard, FileOutcome::Done,
                    "Tune pasted: press RUN to play. Skipped 1 character that is not a "
                    "keystroke, on line 4."},
        ReplaceCase{"PastedNothing", "", TuneOrigin::Clipboard, FileOutcome::NotScript,
                    "Nothing pasted. The clipboard holds no text."},
        ReplaceCase{"PastedText", "a shopping list", TuneOrigin::Clipboard, FileOutcome::NotScript,
                    "Nothing pasted. This is not KORVEL script: it must begin with KORVEL."}),
    [](const testing::TestParamInfo<ReplaceCase>& info) { return std::string(info.param.name); });

// The Qt edition shows the reason; both desktop editions say when a save lost
// the old file.
TEST(MessageText, AddsTheReasonWhenAskedAndALossAlways) {
    FileResult lost = cantWrite("t.dat", "Input/output error");
    lost.oldContentLost = true;
    const std::string lostLine =
        "\nThe old contents of the file are lost, and the new ones are incomplete.";
    EXPECT_EQ(messageText(cantOpen("t.dat", "Permission denied"), true),
              "Can't Open : t.dat\nPermission denied.");
    EXPECT_EQ(messageText(lost, true), "Can't Write : t.dat\nInput/output error." + lostLine);
    EXPECT_EQ(messageText(lost, false), "Can't Write : t.dat" + lostLine);
}

// In place the writer runs twice: no old byte changes before the second pass,
// and a writer that gives up then, or breaks its promise to write the same
// bytes, has lost the old contents.
TEST_F(ScriptFileTest, InPlaceWriterPasses) {
    constexpr auto gaveUp = files::ReplaceOutcome::GaveUp, failed = files::ReplaceOutcome::Failed;
    const std::string old = "old contents", more = old + " and more", fresh = "new";
    const std::string zeros(more.size() - old.size(), '\0');
    const struct {
        const char* name;
        std::vector<std::pair<std::string, bool>> passes; // bytes written, then finished
        files::ReplaceOutcome outcome;
        bool lost;
        std::string after;
    } cases[] = {
        {"gives up counting", {{fresh, false}}, gaveUp, false, old},
        {"gives up writing", {{more, true}, {"", false}}, gaveUp, true, old + zeros},
        {"shorter the second time",
         {{more, true}, {fresh, true}},
         failed,
         true,
         fresh + old.substr(fresh.size()) + zeros},
    };
    const fs::path path = folder / "out.bin", other = folder / "other.bin";
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        writeFile(path, old);
        if (!fs::exists(other)) fs::create_hard_link(path, other);
        size_t call = 0;
        const auto result = files::replaceFile(path.string(), [&](files::ByteSink& out) {
            const auto& [bytes, finishes] = c.passes.at(call++);
            return out.write(bytes.data(), bytes.size()) && finishes;
        });
        EXPECT_EQ(call, c.passes.size());
        EXPECT_EQ(result.outcome, c.outcome);
        EXPECT_EQ(result.oldContentLost, c.lost);
        EXPECT_EQ(readFile(other), c.after);
    }
}

TEST_F(ScriptFileTest, LoadOfAMissingFileOrAFolderCannotOpen) {
    for (const fs::path& path : {folder / "missing.dat", folder}) {
        const KitState before = kit;
        const FileResult result = loadScriptFile(kit, path.string());
        EXPECT_EQ(result.outcome, FileOutcome::CantOpen);
        EXPECT_EQ(result.message, "Can't Open : " + path.string());
        EXPECT_FALSE(result.reason.empty()) << "the system's reason";
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
// Runs body in a child process once prepare has succeeded there, for limits,
// identities and mounts the test process itself must keep; skipped where the
// system does not permit them.
template <typename Prepare, typename Body> void inChildProcess(Prepare prepare, Body body) {
    const pid_t child = fork();
    ASSERT_GE(child, 0);
    if (child == 0) _exit(prepare() ? (body(), testing::Test::HasFailure() ? 1 : 0) : 2);
    int status = 0;
    waitpid(child, &status, 0);
    ASSERT_TRUE(WIFEXITED(status));
    if (WEXITSTATUS(status) == 2) GTEST_SKIP() << "the system did not permit the preparation";
    EXPECT_EQ(WEXITSTATUS(status), 0) << "failures in the child (see above)";
}

// Permission checks do not apply to root, so the body runs as an unprivileged
// user in a child process when the tests run as root.
template <typename Body> void asUnprivilegedUser(Body body) {
    if (geteuid() != 0) {
        body();
        return;
    }
    inChildProcess([] { return setgid(65534) == 0 && setuid(65534) == 0; }, body);
}

fs::perms permissions(const fs::path& path) {
    return fs::status(path).permissions();
}

TEST_F(ScriptFileTest, SaveKeepsLinksAndPermissions) {
    const fs::path real = folder / "real.dat", link = folder / "link.dat";
    const fs::path first = folder / "first.dat", second = folder / "second.dat";
    writeFile(real, "old");
    fs::create_symlink("real.dat", link);
    fs::permissions(real, fs::perms::owner_read | fs::perms::owner_write);
    writeFile(first, "old");
    fs::create_hard_link(first, second);

    ASSERT_EQ(saveScriptFile(kit, link.string()).outcome, FileOutcome::Done);
    EXPECT_TRUE(fs::is_symlink(link));
    EXPECT_EQ(readFile(real).size(), scriptImageBytes);
    EXPECT_EQ(permissions(real), fs::perms::owner_read | fs::perms::owner_write);

    ASSERT_EQ(saveScriptFile(kit, first.string()).outcome, FileOutcome::Done);
    EXPECT_EQ(fs::hard_link_count(first), 2u);
    EXPECT_EQ(readFile(second).size(), scriptImageBytes);
    EXPECT_EQ(entries(), 4u) << "no temporary file left behind";
}

// New contents must not inherit the privileges of the old (a write clears
// them, too); the sticky bit and the permissions stay.
TEST_F(ScriptFileTest, ReplacedFileLosesSetIdBitsOnly) {
    const struct {
        mode_t before, after;
    } cases[] = {{04755, 0755}, {02750, 0750}, {07775, 01775}, {01640, 01640}};
    const fs::path path = folder / "tune.dat";
    for (const auto& c : cases) {
        writeFile(path, "old");
        ASSERT_EQ(chmod(path.c_str(), c.before), 0);
        ASSERT_EQ(saveScriptFile(kit, path.string()).outcome, FileOutcome::Done);
        struct stat info;
        ASSERT_EQ(stat(path.c_str(), &info), 0);
        EXPECT_EQ(info.st_mode & 07777, c.after) << std::oct << "from " << c.before;
        EXPECT_EQ(readFile(path).size(), scriptImageBytes);
    }
}

TEST_F(ScriptFileTest, ReadOnlyFileIsRefusedAndUntouched) {
    const fs::path path = folder / "tune.dat";
    writeFile(path, "precious");
    fs::permissions(path, fs::perms::owner_read | fs::perms::group_read | fs::perms::others_read);
    fs::permissions(folder, fs::perms::all);
    asUnprivilegedUser([&] {
        EXPECT_EQ(saveScriptFile(kit, path.string()).message, "Can't Write : " + path.string());
    });
    EXPECT_EQ(readFile(path), "precious");
    EXPECT_EQ(entries(), 1u);
}

// A folder that takes no new file still lets a writable file in it be saved.
TEST_F(ScriptFileTest, WritableFileInAReadOnlyFolderIsWrittenInPlace) {
    const fs::path path = folder / "tune.dat";
    writeFile(path, "old");
    fs::permissions(path, fs::perms::all);
    fs::permissions(folder, fs::perms::owner_read | fs::perms::owner_exec | fs::perms::others_read |
                                fs::perms::others_exec);
    asUnprivilegedUser([&] {
        EXPECT_EQ(saveScriptFile(kit, path.string()).outcome, FileOutcome::Done);
        KitState loaded{};
        EXPECT_EQ(loadScriptFile(loaded, path.string()).outcome, FileOutcome::Done);
        EXPECT_EQ(loaded.memory, kit.memory);
    });
}

TEST_F(ScriptFileTest, SaveThroughALinkToAMissingFolderSaysWhy) {
    const fs::path link = folder / "link.dat";
    fs::create_symlink(folder / "gone" / "tune.dat", link);
    const FileResult result = saveScriptFile(kit, link.string());
    EXPECT_EQ(result.message, "Can't Write : " + link.string());
    EXPECT_EQ(result.reason, "No such file or directory");
    EXPECT_EQ(entries(), 1u);
}

TEST_F(ScriptFileTest, NameAtTheFileSystemLimitSaves) {
    const fs::path path = folder / (std::string(250, 'n') + ".dat");
    EXPECT_EQ(saveScriptFile(kit, path.string()).outcome, FileOutcome::Done);
    EXPECT_EQ(readFile(path).size(), scriptImageBytes);
    EXPECT_EQ(entries(), 1u);
}

// A save that cannot fit (here under a file size limit) is reported and keeps
// the old file, through a temporary file and in place alike; no temporary is
// left.
TEST_F(ScriptFileTest, FileSizeLimitKeepsTheOldFileReplacedOrInPlace) {
    const fs::path path = folder / "tune.dat", other = folder / "other.dat";
    writeFile(path, "old");
    const auto limitFileSize = [] {
        const rlimit limit{100, 100};
        return std::signal(SIGXFSZ, SIG_IGN) != SIG_ERR && setrlimit(RLIMIT_FSIZE, &limit) == 0;
    };
    for (const bool hardLinked : {false, true}) {
        SCOPED_TRACE(hardLinked ? "in place" : "through a temporary");
        if (hardLinked) fs::create_hard_link(path, other);
        inChildProcess(limitFileSize, [&] {
            const FileResult result = saveScriptFile(kit, path.string());
            EXPECT_EQ(result.outcome, FileOutcome::CantWrite);
            EXPECT_EQ(result.reason, "File too large");
            EXPECT_FALSE(result.oldContentLost);
        });
        EXPECT_EQ(readFile(path), "old");
        EXPECT_EQ(entries(), hardLinked ? 2u : 1u);
    }
}

// As the file size limit, on a full disk (a small one, mounted where only the
// child sees it). The new contents are larger than a script, which would fit
// the space the old file already has.
TEST_F(ScriptFileTest, FullDiskKeepsTheOldFileReplacedOrInPlace) {
    const fs::path path = folder / "tune.wav", other = folder / "other.wav";
    const std::string contents(16 * 1024, 'n'), block(512, 'x');
    const auto mountSmallDisk = [&] {
        return unshare(CLONE_NEWNS | (geteuid() == 0 ? 0 : CLONE_NEWUSER)) == 0 &&
               mount(nullptr, "/", nullptr, MS_REC | MS_PRIVATE, nullptr) == 0 &&
               mount("tmpfs", folder.c_str(), "tmpfs", 0, "size=64k") == 0;
    };
    inChildProcess(mountSmallDisk, [&] {
        writeFile(path, "old");
        std::ofstream filler(folder / "filler");
        while (filler << block && filler.flush()) continue;
        for (const bool hardLinked : {false, true}) {
            SCOPED_TRACE(hardLinked ? "in place" : "through a temporary");
            if (hardLinked) fs::create_hard_link(path, other);
            const auto result = files::replaceFile(path.string(), [&](files::ByteSink& out) {
                return out.write(contents.data(), contents.size());
            });
            EXPECT_EQ(result.error, "cannot write (No space left on device)");
            EXPECT_FALSE(result.oldContentLost);
            EXPECT_EQ(readFile(path), "old");
            EXPECT_EQ(entries(), hardLinked ? 3u : 2u);
        }
    });
}

// With every name the temporaries once had taken, by leftovers of crashed saves.
TEST_F(ScriptFileTest, StaleTemporariesNeverBlockASave) {
    for (int i = 0; i < 100; ++i) {
        char leaf[16];
        std::snprintf(leaf, sizeof leaf, ".korvel%02d", i);
        writeFile(folder / leaf, "left by a crash");
    }
    EXPECT_EQ(saveScriptFile(kit, (folder / "tune.dat").string()).outcome, FileOutcome::Done);
    EXPECT_EQ(entries(), 101u);
}

TEST_F(ScriptFileTest, LoadStopsAtTheFirstZeroByteAndAtTheSizeLimit) {
    const fs::path path = folder / "in.dat";
    const std::string text = "KORVEL\n---\n0020@1234W";
    KitState expected{}, loaded{};
    ASSERT_EQ(loadScriptText(expected, text.data(), text.size()).outcome, FileOutcome::Done);
    writeFile(path, text + std::string(1, '\0') + "0030@5678W");
    EXPECT_EQ(loadScriptFile(loaded, path.string()).outcome, FileOutcome::Done);
    EXPECT_EQ(loaded.memory, expected.memory);
    for (const size_t size : {maxScriptBytes, maxScriptBytes + 1}) {
        writeFile(path, "KORVEL" + std::string(size - 6, '-'));
        const FileResult result = loadScriptFile(kit, path.string());
        EXPECT_EQ(result.outcome,
                  size > maxScriptBytes ? FileOutcome::CantOpen : FileOutcome::Done);
        EXPECT_EQ(result.reason, size > maxScriptBytes
                                     ? "The file is larger than 16 MiB, too large for a script"
                                     : "");
    }
    EXPECT_EQ(loadScriptFile(kit, "/dev/zero").outcome, FileOutcome::NotScript);
}

TEST_F(ScriptFileTest, ReadOnlyFolderKeepsTheOldFileAndSaysWhy) {
    const fs::path path = folder / "tune.dat";
    writeFile(path, "precious");
    fs::permissions(folder, fs::perms::owner_read | fs::perms::owner_exec | fs::perms::group_read |
                                fs::perms::group_exec | fs::perms::others_read |
                                fs::perms::others_exec);
    asUnprivilegedUser([&] {
        for (const fs::path& target : {path, folder / "new.dat"}) {
            const FileResult result = saveScriptFile(kit, target.string());
            EXPECT_EQ(result.outcome, FileOutcome::CantWrite);
            EXPECT_EQ(result.message, "Can't Write : " + target.string());
            EXPECT_EQ(result.reason, "Permission denied");
        }
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
        EXPECT_EQ(result.reason, "Permission denied");
        EXPECT_EQ(target.memory[0x20], 0u);
    });
}
#endif

#ifdef _WIN32
// A name the ANSI code page cannot spell reaches the file in the native form.
TEST_F(ScriptFileTest, WideNamesSaveAndLoad) {
    const std::wstring inside = folder.wstring() + L"\\\u0416\u0443\u043a caf\u00e9";
    ASSERT_TRUE(CreateDirectoryW(inside.c_str(), nullptr));
    const files::Path path{inside + L"\\\u0436\u0443\u043a.dat", "shown"};
    EXPECT_EQ(saveScriptFile(kit, path).outcome, FileOutcome::Done);
    WIN32_FIND_DATAW found{};
    const HANDLE search = FindFirstFileW((inside + L"\\*.dat").c_str(), &found);
    ASSERT_NE(search, INVALID_HANDLE_VALUE);
    FindClose(search);
    EXPECT_EQ(std::wstring(found.cFileName), L"\u0436\u0443\u043a.dat");
    KitState loaded{};
    EXPECT_EQ(loadScriptFile(loaded, path).outcome, FileOutcome::Done);
    EXPECT_EQ(loaded.memory, kit.memory);
}

// Through ReplaceFileW. Wine keeps no access list, stream or creation time of
// a file to show that it carries them over; what it shows is that the
// attributes survive and nothing is left beside the file.
TEST_F(ScriptFileTest, ReplacedFileKeepsItsAttributes) {
    const std::wstring name = (folder / "tune.dat").wstring();
    writeFile(folder / "tune.dat", "old");
    ASSERT_TRUE(SetFileAttributesW(name.c_str(), FILE_ATTRIBUTE_HIDDEN | FILE_ATTRIBUTE_ARCHIVE));
    EXPECT_EQ(saveScriptFile(kit, (folder / "tune.dat").string()).outcome, FileOutcome::Done);
    EXPECT_EQ(readFile(folder / "tune.dat").size(), scriptImageBytes);
    EXPECT_TRUE(GetFileAttributesW(name.c_str()) & FILE_ATTRIBUTE_HIDDEN);
    EXPECT_EQ(entries(), 1u);
}
#endif

} // namespace
} // namespace korvel::test
