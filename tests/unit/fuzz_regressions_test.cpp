// Replays the seed inputs and every input that once made a fuzz target fail through the same
// entry functions, so the readers of outside text keep their promises in the plain and the
// sanitizer build alike.
#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>
#include <vector>

#include "fuzz/fuzz_entries.h"
#include "support/files.h"

namespace mk::fuzz {
// Test names and messages show the target's name.
void PrintTo(const Target& target, std::ostream* os) {
    *os << target.name;
}
}  // namespace mk::fuzz

namespace {

namespace fs = std::filesystem;

const fs::path kFuzzDir = fs::path(MORVAKELIN_TEST_DATA) / ".." / ".." / "fuzz";

using mk::test::ReadFile;

class FuzzReplay : public ::testing::TestWithParam<mk::fuzz::Target> {};

TEST_P(FuzzReplay, EveryKeptInputKeepsThePromises) {
    const mk::fuzz::Target target = GetParam();
    std::vector<fs::path> folders{kFuzzDir / "corpus" / target.name,
                                  kFuzzDir / "regressions" / target.name};
    // Seeds kept with the tests: "target folder" lines, the folder relative to the tree.
    std::istringstream shared(ReadFile(kFuzzDir / "shared_seeds"));
    for (std::string name, folder; shared >> name;) {
        if (name.starts_with("#")) {
            std::getline(shared, folder);
        } else if (shared >> folder && name == target.name) {
            folders.push_back(kFuzzDir.parent_path() / folder);
            EXPECT_TRUE(fs::is_directory(folders.back())) << folders.back();
        }
    }
    int replayed = 0;
    for (const fs::path& folder : folders) {
        if (!fs::is_directory(folder)) {
            continue;
        }
        for (const fs::directory_entry& entry : fs::directory_iterator(folder)) {
            if (!entry.is_regular_file()) {
                continue;
            }
            EXPECT_EQ(target.run(ReadFile(entry.path())), "") << entry.path();
            ++replayed;
        }
    }
    // Seeds are what the fuzzer starts from; a target without any would start from nothing.
    EXPECT_GT(replayed, 0) << "no inputs for " << target.name << " under " << kFuzzDir;
}

INSTANTIATE_TEST_SUITE_P(Targets, FuzzReplay, ::testing::ValuesIn(mk::fuzz::kTargets),
                         [](const auto& info) { return std::string(info.param.name); });

}  // namespace
