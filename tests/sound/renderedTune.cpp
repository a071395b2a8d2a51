#include "renderedTune.h"

#include "toneBank.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <unistd.h>

namespace korvel::test {
namespace {

class Collect final : public cli::StepSink {
  public:
    Collect(const ToneBank& bank, std::string& samples) : bank_(bank), samples_(samples) {}
    bool sound(uint32_t toneIndex, uint32_t lengthBytes) override {
        samples_.append(reinterpret_cast<const char*>(bank_.tone[toneIndex]), lengthBytes);
        return true;
    }

  private:
    const ToneBank& bank_;
    std::string& samples_;
};

} // namespace

RenderedTune renderTune(const std::string& script, const cli::RunLimit& limit) {
    static ToneBank bank;
    static const bool built = buildToneBank(bank);
    EXPECT_TRUE(built);
    KitState kit;
    EXPECT_EQ(cli::loadTune(kit, script).outcome, FileOutcome::Done) << script;
    RenderedTune tune{{}, 0};
    Collect sink(bank, tune.samples);
    const cli::RunResult result = cli::runTune(kit, limit, sink);
    EXPECT_EQ(result.outcome, cli::RunOutcome::Done) << script;
    tune.steps = result.steps;
    return tune;
}

std::string writeTuneScript(const std::string& name, const std::string& commands) {
    const std::string path =
        (std::filesystem::temp_directory_path() / (std::to_string(getpid()) + "-" + name)).string();
    std::ofstream(path, std::ios::binary) << "KORVEL test tune\r\n---\r\n" << commands << "\r\n";
    return path;
}

} // namespace korvel::test
