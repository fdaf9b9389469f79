// Finding the installed ffmpeg without ever taking one of our own tools for it, and remembering
// what that ffmpeg offers.
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>

#include "installed/features.h"
#include "installed/locate.h"
#include "support/temp_dir.h"

namespace mk::toolkit {
namespace {

namespace fs = std::filesystem;

class Locate : public ::testing::Test {
protected:
    // An executable "ffmpeg" in folder `dir`, one of ours when `ours`.
    std::string MakeFfmpeg(const std::string& dir, bool ours, mode_t mode = 0755) {
        fs::create_directories(m_root / dir);
        const fs::path file = m_root / dir / "ffmpeg";
        std::ofstream out(file, std::ios::binary);
        out << "#!/bin/sh\n# ";
        if (ours)
            out << OwnToolMarker();
        out << "\nexit 0\n";
        out.close();
        chmod(file.c_str(), mode);
        return file.string();
    }
    std::string Dir(const std::string& dir) const { return (m_root / dir).string(); }

    test::TempDir m_dir{"mk-locate"};
    const fs::path& m_root = m_dir.Path();
};

TEST_F(Locate, FirstRealFfmpegOnPath) {
    MakeFfmpeg("ours", true);
    MakeFfmpeg("notexec", false, 0644);
    const std::string real = MakeFfmpeg("real", false);
    MakeFfmpeg("later", false);
    const std::string path = Dir("missing") + ":" + Dir("ours") + ":" + Dir("notexec") + ":" +
                             Dir("real") + ":" + Dir("later");
    const FfmpegLocation found = FindRealFfmpeg(nullptr, path.c_str(), "");
    EXPECT_EQ(found.path, real);
    EXPECT_TRUE(found.error.empty());
}

TEST_F(Locate, NeverItself) {
    // The running program is recognised by its file, even without the marker in it.
    const std::string self = MakeFfmpeg("self", false);
    const std::string real = MakeFfmpeg("real", false);
    const std::string path = Dir("self") + ":" + Dir("real");
    EXPECT_EQ(FindRealFfmpeg(nullptr, path.c_str(), self).path, real);
    EXPECT_EQ(FindRealFfmpeg(self.c_str(), Dir("self").c_str(), self).path, "");
}

TEST_F(Locate, EnvironmentFirstFileOrFolder) {
    const std::string onPath = MakeFfmpeg("path", false);
    const std::string chosen = MakeFfmpeg("chosen", false);
    EXPECT_EQ(FindRealFfmpeg(chosen.c_str(), Dir("path").c_str(), "").path, chosen);
    EXPECT_EQ(FindRealFfmpeg(Dir("chosen").c_str(), Dir("path").c_str(), "").path, chosen);
    // An unusable setting falls back to PATH; the reason is kept for the message.
    const std::string ours = MakeFfmpeg("ours", true);
    EXPECT_EQ(FindRealFfmpeg(ours.c_str(), Dir("path").c_str(), "").path, onPath);
}

TEST_F(Locate, NoneFoundNamesBothPlaces) {
    const std::string ours = MakeFfmpeg("ours", true);
    for (const char* path : {static_cast<const char*>(nullptr), "", "/nonexistent"}) {
        const FfmpegLocation found = FindRealFfmpeg(ours.c_str(), path, "");
        EXPECT_EQ(found.path, "");
        EXPECT_NE(found.error.find("MORVAKELIN_FFMPEG"), std::string::npos);
        EXPECT_NE(found.error.find("PATH"), std::string::npos);
    }
}

TEST_F(Locate, MarkerOnlyInOurFiles) {
    EXPECT_TRUE(IsOwnTool(MakeFfmpeg("ours", true)));
    EXPECT_FALSE(IsOwnTool(MakeFfmpeg("real", false)));
    EXPECT_FALSE(IsOwnTool(Dir("missing/ffmpeg")));
    // This test program links the toolkit, so it carries the marker like our tools do.
    EXPECT_TRUE(IsOwnTool("/proc/self/exe"));
}

TEST(Features, AsyncFromHelpText) {
    const std::string with =
        "-vsync              set video sync method globally; deprecated, use -fps_mode\n"
        "-async              audio sync method\n"
        "-adrift_threshold threshold  audio drift threshold\n";
    const std::string without =
        "-fps_mode           set framerate mode for matching video streams\n"
        "-asyncx             not the option\n"
        "use -async no more\n";
    EXPECT_TRUE(FeaturesFromHelp(with).hasAsync);
    EXPECT_FALSE(FeaturesFromHelp(without).hasAsync);
}

TEST(Features, CacheBelongsToOneBinary) {
    FfmpegFeatures f;
    f.hasAsync = false;
    const std::string text = FormatFeaturesCache("/usr/bin/ffmpeg 1 2.3 4", f);
    FfmpegFeatures read;
    ASSERT_TRUE(ParseFeaturesCache(text, "/usr/bin/ffmpeg 1 2.3 4", read));
    EXPECT_FALSE(read.hasAsync);
    EXPECT_FALSE(ParseFeaturesCache(text, "/usr/bin/ffmpeg 1 2.3 5", read));  // replaced binary
    EXPECT_FALSE(ParseFeaturesCache(text, "", read));
    EXPECT_FALSE(ParseFeaturesCache("garbage", "/usr/bin/ffmpeg 1 2.3 4", read));
}

TEST_F(Locate, QueryAsksOnceThenReadsTheCache) {
    // A stand-in ffmpeg that counts how often it is asked.
    const fs::path ffmpeg = m_root / "bin/ffmpeg";
    fs::create_directories(ffmpeg.parent_path());
    {
        std::ofstream out(ffmpeg);
        out << "#!/bin/sh\necho x >> '" << (m_root / "asked").string() << "'\n"
            << "echo '-fps_mode           set framerate mode'\n";
    }
    chmod(ffmpeg.c_str(), 0755);
    const char* old = std::getenv("XDG_CACHE_HOME");
    const std::string saved = old ? old : "";
    setenv("XDG_CACHE_HOME", (m_root / "cache").c_str(), 1);
    EXPECT_FALSE(QueryFeatures(ffmpeg.string()).hasAsync);
    EXPECT_FALSE(QueryFeatures(ffmpeg.string()).hasAsync);
    if (old)
        setenv("XDG_CACHE_HOME", saved.c_str(), 1);
    else
        unsetenv("XDG_CACHE_HOME");
    std::ifstream asked(m_root / "asked");
    std::string line;
    int count = 0;
    while (std::getline(asked, line))
        ++count;
    EXPECT_EQ(count, 1);
}

}  // namespace
}  // namespace mk::toolkit
