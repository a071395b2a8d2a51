// Runs of the built tool.
#include "tests/cli/cliTestSupport.h"

#include <cstdlib>
#include <filesystem>
#include <sys/wait.h>

namespace korvel::test {

namespace fs = std::filesystem;

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

} // namespace korvel::test
