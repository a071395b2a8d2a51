// Scratch folders and runs of the built tool.
#include "cliTestSupport.h"

#include <algorithm>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <stdexcept>
#include <sys/wait.h>

namespace korvel::cli::test {

namespace fs = std::filesystem;

ScratchDir::ScratchDir() {
    std::string pattern = (fs::temp_directory_path() / "korvel-cli-test-XXXXXX").string();
    if (!mkdtemp(pattern.data())) throw std::runtime_error("cannot make a scratch folder");
    dir_ = pattern;
}

ScratchDir::~ScratchDir() {
    std::error_code ignored;
    fs::remove_all(dir_, ignored);
}

std::vector<std::string> ScratchDir::names() const {
    std::vector<std::string> found;
    for (const auto& entry : fs::directory_iterator(dir_))
        found.push_back(entry.path().filename().string());
    std::sort(found.begin(), found.end());
    return found;
}

void writeFile(const std::string& path, const std::string& bytes) {
    std::ofstream(path, std::ios::binary) << bytes;
}

std::string readFile(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    std::ostringstream bytes;
    bytes << in.rdbuf();
    return bytes.str();
}

bool fileExists(const std::string& path) {
    return fs::exists(path);
}

std::string script(const std::string& commands) {
    return "KORVEL test tune\r\n---\r\n" + commands + "\r\n";
}

namespace {

std::string shellQuoted(const std::string& text) {
    std::string quoted = "'";
    for (char c : text) quoted += c == '\'' ? std::string("'\\''") : std::string(1, c);
    return quoted + "'";
}

} // namespace

CliResult runCli(const ScratchDir& dir, const std::vector<std::string>& args,
                 const std::vector<std::string>& environment) {
    std::string command;
    for (const auto& assignment : environment) command += assignment + " ";
    command += shellQuoted(KORVEL_CLI);
    for (const auto& arg : args) command += " " + shellQuoted(arg);
    const std::string out = dir.path(".stdout"), err = dir.path(".stderr");
    command += " >" + shellQuoted(out) + " 2>" + shellQuoted(err) + " </dev/null";
    const int status = std::system(command.c_str());
    CliResult result{WIFEXITED(status) ? WEXITSTATUS(status) : -1, readFile(out), readFile(err)};
    fs::remove(out);
    fs::remove(err);
    return result;
}

} // namespace korvel::cli::test
