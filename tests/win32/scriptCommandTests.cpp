// File > Load and Save through the real dialogs and message boxes.
#include "tests/win32/harness.h"

#include "host/win32/mainWindow.h"
#include "host/win32/scriptCommands.h"

#include <cstdio>
#include <fstream>
#include <gtest/gtest.h>
#include <iterator>
#include <string>

namespace korvel::win32::test {
namespace {

constexpr int fileNameField = 0x47C; // the dialogs' file name combo box (cmb13)

std::string tempPath(const char* name) {
    char folder[MAX_PATH] = {};
    GetTempPathA(sizeof folder, folder);
    return std::string(folder) + name;
}

std::string fileBytes(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

// As the program converts a name from the dialogs.
std::wstring ansiToWide(const std::string& text) {
    std::wstring wide(text.size(), L'\0');
    wide.resize(size_t(MultiByteToWideChar(CP_ACP, 0, text.data(), int(text.size()), wide.data(),
                                           int(wide.size()))));
    return wide;
}

int namesIn(const std::wstring& pattern) {
    WIN32_FIND_DATAW found;
    const HANDLE search = FindFirstFileW(pattern.c_str(), &found);
    if (search == INVALID_HANDLE_VALUE) return 0;
    int count = 1;
    while (FindNextFileW(search, &found)) ++count;
    FindClose(search);
    return count;
}

void writeFile(const std::string& path, const std::string& bytes) {
    std::ofstream(path, std::ios::binary) << bytes;
}

class ScriptCommands : public ::testing::Test {
  protected:
    void SetUp() override { window = openMainWindow(); }
    void TearDown() override { closeMainWindow(window); }

    // Answers the dialog captioned `dialogCaption` with `path` (or cancels it
    // when empty), then notes and dismisses the message box that follows, if any.
    void runCommand(WORD command, const char* dialogCaption, const std::string& path) {
        boxText.clear();
        boxCaption.clear();
        afterDelay(300, [=] {
            HWND dialog = findDialog(dialogCaption);
            ASSERT_NE(dialog, nullptr) << dialogCaption;
            if (path.empty()) {
                PostMessageA(dialog, WM_COMMAND, IDCANCEL, 0);
            } else {
                SetDlgItemTextA(dialog, fileNameField, path.c_str());
                SendMessageA(GetDlgItem(dialog, IDOK), BM_CLICK, 0, 0);
            }
            afterDelay(400, [this] { noteMessageBox(); });
        });
        SendMessageA(window, WM_COMMAND, command, 0);
        pump(500); // a command that shows no box leaves the pending check to run here
    }
    void noteMessageBox() {
        for (const char* caption : {"Load Script", "Save Script"}) {
            if (HWND box = findDialog(caption)) {
                boxCaption = caption;
                boxText = messageBoxText(box);
                PostMessageA(box, WM_COMMAND, IDOK, 0);
            }
        }
    }

    HWND window = nullptr;
    std::string boxText, boxCaption;
};

TEST_F(ScriptCommands, DialogRecordIsFilledOnceForBothCommands) {
    const OPENFILENAMEA& record = fileDialogRecord();
    EXPECT_EQ(record.lStructSize, OPENFILENAME_SIZE_VERSION_400A);
    EXPECT_EQ(record.hwndOwner, window);
    EXPECT_EQ(std::string(record.lpstrFilter, 44),
              std::string("Data Files (*.dat)\0*.dat\0All Files (*.*)\0*.*\0", 44));
    EXPECT_EQ(record.nMaxFile, 260u);
    EXPECT_EQ(record.nMaxFileTitle, 260u);
    EXPECT_STREQ(record.lpstrDefExt, "dat");
    EXPECT_EQ(record.nFilterIndex, 0u);
}

TEST_F(ScriptCommands, SaveThenLoadRestoresMemoryButNotStartAddressOrTempo) {
    const std::string path = tempPath("korvel-roundtrip.dat");
    std::remove(path.c_str());
    KitState& kit = hostKit();
    for (uint32_t i = 0; i < memoryNibbles; ++i) kit.memory[i] = (i * 7 + 3) % 16;
    const auto saved = kit.memory;
    kit.startAddress = 0x40;
    kit.tempo = 3;
    runCommand(IDM_FILE_SAVE, "Save As", path);
    EXPECT_EQ(boxText, "");
    const std::string image = fileBytes(path);
    EXPECT_EQ(image.size(), 932u);
    EXPECT_EQ(image.rfind("KORVEL Memory Output", 0), 0u);

    kit.memory.fill(0);
    kit.startAddress = 0x80;
    kit.tempo = 5;
    runCommand(IDM_FILE_LOAD, "Open", path);
    EXPECT_EQ(boxText, "");
    EXPECT_EQ(kit.memory, saved);
    EXPECT_EQ(kit.startAddress, 0x80u);
    EXPECT_EQ(kit.tempo, 5u);
    EXPECT_EQ(kit.address, 0xF200u);
    std::remove(path.c_str());
}

// Names in the ANSI code page with bytes that convert differently in other
// code pages (0x80 and 0x92 are the euro sign and a quote in 1252).
TEST_F(ScriptCommands, SaveAndLoadNamesOutsideAscii) {
    KitState& kit = hostKit();
    for (const char* name : {"korvel-\x80.dat", "korvel-it\x92s.dat"}) {
        SCOPED_TRACE(name);
        const std::string path = tempPath(name);
        const std::wstring wide = ansiToWide(path);
        DeleteFileW(wide.c_str());
        for (uint32_t i = 0; i < memoryNibbles; ++i) kit.memory[i] = (i * 3 + 1) % 16;
        const auto saved = kit.memory;
        runCommand(IDM_FILE_SAVE, "Save As", path);
        EXPECT_EQ(boxText, "");
        WIN32_FILE_ATTRIBUTE_DATA data{};
        ASSERT_TRUE(GetFileAttributesExW(wide.c_str(), GetFileExInfoStandard, &data));
        EXPECT_EQ(data.nFileSizeLow, 932u);
        EXPECT_EQ(namesIn(ansiToWide(tempPath(".korvel*"))), 0);

        kit.memory.fill(0);
        runCommand(IDM_FILE_LOAD, "Open", path);
        EXPECT_EQ(boxText, "");
        EXPECT_EQ(kit.memory, saved);
        DeleteFileW(wide.c_str());
    }
}

TEST_F(ScriptCommands, FailuresAreToldWithTheirCaptions) {
    const std::string notScript = tempPath("korvel-not-a-script.dat");
    writeFile(notScript, "KORVAL\r\n---\r\n0010@1234W\r\n");
    struct Case {
        WORD command;
        const char* dialog;
        std::string path;
        std::string text;
        const char* caption;
    };
    const Case cases[] = {
        {IDM_FILE_LOAD, "Open", notScript, "This File is not KORVEL script.", "Load Script"},
        {IDM_FILE_LOAD, "Open", "", "", ""},
        {IDM_FILE_SAVE, "Save As", "", "Can't Open Dialog.", "Save Script"},
    };
    KitState& kit = hostKit();
    for (const Case& c : cases) {
        SCOPED_TRACE(c.text);
        const auto memoryBefore = kit.memory;
        runCommand(c.command, c.dialog, c.path);
        EXPECT_EQ(boxText, c.text);
        EXPECT_EQ(boxCaption, c.caption);
        EXPECT_EQ(kit.memory, memoryBefore);
    }
    std::remove(notScript.c_str());
}

} // namespace
} // namespace korvel::win32::test
