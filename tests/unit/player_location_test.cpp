// ffplay is found as our ffmpeg finds the installed one: its own variable, beside the ffmpeg that
// MORVAKELIN_FFMPEG names, then PATH, and only as a program that can run.
#include <gtest/gtest.h>
#include <unistd.h>

#include <filesystem>
#include <fstream>

#include "platform/player_location.h"

namespace fs = std::filesystem;

TEST(PlayerLocation, OwnVariableThenBesideFfmpegThenPath) {
    const fs::path root = fs::temp_directory_path() / ("mk-ffplay-" + std::to_string(getpid()));
    for (const char* dir : {"a", "b", "c", "d"}) {
        fs::create_directories(root / dir);
        std::ofstream(root / dir / "ffplay") << "#!/bin/sh\n";
        fs::permissions(root / dir / "ffplay", fs::perms::owner_all);
    }
    fs::permissions(root / "c" / "ffplay", fs::perms::owner_read);  // not a program
    const auto at = [&](const char* rel) { return (root / rel).string(); };
    struct Case {
        std::string ffplay, ffmpeg, path, expected;
    };
    const Case cases[] = {
        {at("a/ffplay"), at("b"), at("d"), at("a/ffplay")},
        {at("a"), "", "", at("a/ffplay")},
        {at("c/ffplay"), at("b/ffmpeg"), at("d"), at("b/ffplay")},  // unusable: passed over
        {"", at("b"), at("d"), at("b/ffplay")},
        {"", at("c/ffmpeg"), at("c") + ":" + at("d"), at("d/ffplay")},
        {"", "", "", ""},
    };
    for (const Case& c : cases) {
        const auto env = [](const std::string& v) { return v.empty() ? nullptr : v.c_str(); };
        EXPECT_EQ(mk::FindFfplay(env(c.ffplay), env(c.ffmpeg), env(c.path)), c.expected)
            << c.ffplay << " | " << c.ffmpeg << " | " << c.path;
    }
    fs::remove_all(root);
}
