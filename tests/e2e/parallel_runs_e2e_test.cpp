// Several morvakelin-cli runs at once on one program folder: each gives exactly what it gives
// alone. Eight sources of different sizes and audio codecs, run alone and then 2, 4 and 8 at a
// time, printed (Correct ratio, an aspect conversion, the AviSynth route) and encoded.
#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <iostream>
#include <sstream>

#include "e2e_support.h"
#include "support/files.h"

namespace mk::e2e {
namespace {

namespace fs = std::filesystem;

constexpr int kSources = 8;

using test::ReadFile;

struct Mode {
    const char* name;
    std::vector<std::string> options;
    bool encode;
};

class ParallelRuns : public ::testing::Test {
protected:
    void SetUp() override {
        fs::copy_file(fs::path(MORVAKELIN_PROGRAM_DIR) / "morvakelin-cli",
                      m_folder.File("morvakelin-cli"));
        const char* sizes[kSources] = {"320x240", "640x360", "480x640", "720x576",
                                       "352x288", "800x450", "256x144", "640x480"};
        const char* audio[] = {"mp2", "ac3", "pcm_s16le"};
        for (int i = 0; i < kSources; ++i) {
            const std::string source = Source(i);
            const ShellRun made = RunShell(
                "ffmpeg -nostdin -v error -y -f lavfi -i testsrc=size=" + std::string(sizes[i]) +
                ":rate=25:duration=0.4 -f lavfi -i sine=duration=0.4 -c:v mpeg4 -c:a " +
                audio[i % 3] + " '" + source + "'");
            ASSERT_EQ(made.exitCode, 0) << made.output;
        }
    }

    std::string Source(int i) const { return m_folder.File("source" + std::to_string(i) + ".avi"); }

    // Runs every source once, `atOnce` runs started together; per source its exit status and
    // what it gave (the printed command, or the encoded file's bytes).
    std::vector<std::string> RunAll(const Mode& mode, int atOnce, const std::string& tag) {
        std::vector<std::string> results;
        for (int first = 0; first < kSources; first += atOnce) {
            std::string line = "cd '" + m_folder.Path() + "' || exit 1; ";
            for (int i = first; i < first + atOnce; ++i) {
                const std::string id = tag + std::to_string(i);
                // Printed commands name the output: the same one for every run of a source.
                const std::string output = "out-" + (mode.encode ? id : std::to_string(i)) + ".mpg";
                line += "( ./morvakelin-cli --source '" + Source(i) + "' --output '" + output + "'";
                for (const std::string& o : mode.options) {
                    line += " '" + o + "'";
                }
                line += " >'" + id + ".out' 2>/dev/null; echo $? >'" + id + ".rc' ) & ";
            }
            const ShellRun run = RunShell(line + "wait");
            EXPECT_EQ(run.exitCode, 0) << run.output;
            for (int i = first; i < first + atOnce; ++i) {
                const std::string id = tag + std::to_string(i);
                std::string result = "exit " + ReadFile(m_folder.File(id + ".rc"));
                result += mode.encode ? ReadFile(m_folder.File("out-" + id + ".mpg"))
                                      : ReadFile(m_folder.File(id + ".out"));
                results.push_back(result);
            }
        }
        return results;
    }

    ProgramFolder m_folder;
};

TEST_F(ParallelRuns, EveryRunGivesWhatItGivesAlone) {
    const Mode modes[] = {
        {"print, Correct ratio", {"--print", "--correct-ratio"}, false},
        {"print, 16:9->4:3", {"--print", "--aspect", "16:9->4:3"}, false},
        {"print, AviSynth", {"--print", "--avisynth", "--target", "mpeg4"}, false},
        {"encode, Correct ratio", {"--correct-ratio", "--target", "vcd"}, true},
    };
    int mismatches = 0;
    int runs = 0;
    for (const Mode& mode : modes) {
        const std::vector<std::string> alone = RunAll(mode, 1, "alone");
        for (int i = 1; i < kSources; ++i) {
            ASSERT_NE(alone[0], alone[i])
                << mode.name << ": the sources must give different results";
        }
        for (int atOnce : {2, 4, 8}) {
            const std::vector<std::string> together =
                RunAll(mode, atOnce, "at" + std::to_string(atOnce) + "-");
            int wrong = 0;
            for (int i = 0; i < kSources; ++i) {
                if (together[i] != alone[i]) {
                    ++wrong;
                    const auto shown = [&](const std::string& r) {
                        return mode.encode ? std::to_string(r.size()) + " bytes" : r;
                    };
                    ADD_FAILURE() << mode.name << ", source " << i << ", " << atOnce
                                  << " at once: " << shown(together[i])
                                  << "\nalone: " << shown(alone[i]);
                }
            }
            std::cout << mode.name << ", " << atOnce << " at once: " << wrong << " of " << kSources
                      << " differ from the lone run\n";
            mismatches += wrong;
            runs += kSources;
        }
    }
    EXPECT_EQ(mismatches, 0) << mismatches << " of " << runs << " runs gave another result";
}

}  // namespace
}  // namespace mk::e2e
