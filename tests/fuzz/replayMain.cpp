// Runs a fuzz target once over each given file and each file in each given
// folder, so a saved corpus (and the example tunes) replays in every test run.
// A broken check aborts; a missing path or no input at all fails the run.
#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>
#include <system_error>
#include <vector>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size);

namespace {

namespace fs = std::filesystem;

// The program's own name, for its messages.
std::string program;

bool replay(const fs::path& file) {
    std::ifstream in(file, std::ios::binary);
    if (!in) {
        std::fprintf(stderr, "%s: cannot read %s\n", program.c_str(), file.string().c_str());
        return false;
    }
    // Named first, so a failing check's abort shows which input it was.
    std::printf("%s\n", file.string().c_str());
    std::fflush(stdout);
    const std::vector<uint8_t> bytes{std::istreambuf_iterator<char>(in),
                                     std::istreambuf_iterator<char>()};
    LLVMFuzzerTestOneInput(bytes.data(), bytes.size());
    return true;
}

} // namespace

int main(int argc, char** argv) {
    program = fs::path(argv[0]).filename().string();
    size_t replayed = 0;
    for (int i = 1; i < argc; ++i) {
        const fs::path path = argv[i];
        std::error_code error;
        std::vector<fs::path> files;
        if (fs::is_directory(path, error)) {
            for (const auto& entry : fs::directory_iterator(path, error))
                if (entry.is_regular_file()) files.push_back(entry.path());
        } else if (fs::is_regular_file(path, error)) {
            files.push_back(path);
        }
        if (files.empty()) {
            std::fprintf(stderr, "%s: no input in %s\n", program.c_str(), argv[i]);
            return 1;
        }
        for (const fs::path& file : files) {
            if (!replay(file)) return 1;
            ++replayed;
        }
    }
    std::printf("%s: %zu inputs passed\n", program.c_str(), replayed);
    return replayed > 0 ? 0 : 1;
}
