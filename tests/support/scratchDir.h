// Test helpers: a scratch folder per test, and files in and out of it.
#pragma once

#include <string>
#include <vector>

namespace korvel::test {

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

} // namespace korvel::test
