// Whole-file load and crash-safe save of scripts.
#include "scriptFile.h"

#include "script.h"

#include <cstdio>
#include <filesystem>
#include <memory>
#include <new>
#include <string>
#include <system_error>
#include <vector>

namespace korvel {

const char* const loadCaption = "Load Script";
const char* const saveCaption = "Save Script";

namespace {

constexpr int maxTemporaryNames = 100;

struct FileCloser {
    void operator()(std::FILE* file) const { std::fclose(file); }
};
using FileHandle = std::unique_ptr<std::FILE, FileCloser>;

FileResult done(const char* caption) {
    return {FileOutcome::Done, {}, caption};
}

FileResult cantOpen(const std::string& path) {
    return {FileOutcome::CantOpen, "Can't Open : " + path, loadCaption};
}

FileResult cantWrite(const std::string& path) {
    return {FileOutcome::CantWrite, "Can't Write : " + path, saveCaption};
}

// Reads to the end, whatever size the file claims; false on any read error.
bool readWholeFile(const std::string& path, std::vector<char>& bytes) {
    FileHandle file(std::fopen(path.c_str(), "rb"));
    if (!file) return false;
    char chunk[64 * 1024];
    size_t got;
    try {
        while ((got = std::fread(chunk, 1, sizeof chunk, file.get())) > 0)
            bytes.insert(bytes.end(), chunk, chunk + got);
    } catch (const std::bad_alloc&) {
        return false;
    }
    return !std::ferror(file.get());
}

// Creates a fresh temporary file beside path, never reusing an existing one.
FileHandle createTemporary(const std::string& path, std::string& temporaryPath) {
    for (int n = 0; n < maxTemporaryNames; ++n) {
        temporaryPath = path + ".saving" + (n ? std::to_string(n) : std::string());
        // Some C libraries (the classic Windows one) ignore "x" and would truncate.
        std::error_code error;
        if (std::filesystem::exists(temporaryPath, error) || error) continue;
        if (std::FILE* file = std::fopen(temporaryPath.c_str(), "wbx")) return FileHandle(file);
    }
    return nullptr;
}

bool writeAll(FileHandle file, const char* bytes, size_t length) {
    const bool written = std::fwrite(bytes, 1, length, file.get()) == length;
    return std::fclose(file.release()) == 0 && written;
}

} // namespace

FileResult loadScriptFile(KitState& kit, const std::string& path) {
    std::vector<char> bytes;
    if (!readWholeFile(path, bytes)) return cantOpen(path);
    return loadScriptText(kit, bytes.data(), bytes.size());
}

FileResult loadScriptText(KitState& kit, const char* bytes, size_t size) {
    if (!applyScript(kit, bytes, size))
        return {FileOutcome::NotScript, "This File is not KORVEL script.", loadCaption};
    return done(loadCaption);
}

// The old file is replaced only by a complete new one, by renaming over it.
FileResult saveScriptFile(const KitState& kit, const std::string& path) {
    const ScriptImage image = buildScript(kit);
    std::string temporaryPath;
    FileHandle file = createTemporary(path, temporaryPath);
    if (!file) return cantWrite(path);
    std::error_code error;
    if (writeAll(std::move(file), image.data(), image.size())) {
        std::filesystem::rename(temporaryPath, path, error);
        if (!error) return done(saveCaption);
    }
    std::filesystem::remove(temporaryPath, error);
    return cantWrite(path);
}

} // namespace korvel
