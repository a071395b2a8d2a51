// Helpers for the korvel-cli tests: a scratch folder per test, files in and
// out of it, and running the built korvel-cli as a user would.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

namespace korvel::cli::test {

// A fresh folder under the system's temporary folder, removed with everything in it.
class ScratchDir {
  public:
    ScratchDir();
    ~ScratchDir();
    ScratchDir(const ScratchDir&) = delete;
    ScratchDir& operator=(const ScratchDir&) = delete;

    std::string path(const std::string& name) const { return dir_ + "/" + name; }
    std::vector<std::string> names() const; // sorted

  private:
    std::string dir_;
};

void writeFile(const std::string& path, const std::string& bytes);
std::string readFile(const std::string& path); // empty when missing
bool fileExists(const std::string& path);

// A script of the given command text after a short preamble.
std::string script(const std::string& commands);

struct CliResult {
    int exitCode; // -1 when killed by a signal
    std::string out;
    std::string err;
};

// Runs korvel-cli with shell-quoted arguments; environment assignments such
// as "SDL_AUDIODRIVER=disk", or shell commands ending in ";" such as
// "ulimit -f 8;", go before it. Output is collected through files.
CliResult runCli(const ScratchDir& dir, const std::vector<std::string>& args,
                 const std::vector<std::string>& environment = {});

} // namespace korvel::cli::test
