#include <gtest/gtest.h>

#include <string>

#include "command/geometry.h"

namespace mk {
namespace {

EncoderFields Frame(double sw, double sh, const std::string& w, const std::string& h) {
    EncoderFields f;
    f.m_dSourceWidth = sw;
    f.m_dSourceHeight = sh;
    f.m_strWidth = w;
    f.m_strHeight = h;
    return f;
}

struct GeometryCase {
    double sw, sh;
    std::string width, height;
    std::string expected;
};

TEST(Geometry, CorrectRatioFitsTheSourceIntoTheFrame) {
    const GeometryCase cases[] = {
        {640, 352, "720", "576", "-s 720x396 -padtop 90 -padbottom 90 "},
        {1280, 720, "720", "480", "-s 720x408 -padtop 36 -padbottom 36 "},
        {704, 400, "720", "576", "-s 720x412 -padtop 82 -padbottom 82 "},
        {720, 576, "352", "288", "-s 352x284 -padtop 2 -padbottom 2 "},
        {480, 640, "720", "576", "-s 432x576 -padright 144 -padleft 144 "},
        {720, 576, "720", "576", "-s 720x576 -padtop 0 -padbottom 0 "},
        {640, 352, "720", "577", "-s 720x396 -padtop 90 -padbottom 90 "},
        {640, 352, "722", "576", "-s 722x400 -padtop 88 -padbottom 88 "},
        {721, 576, "722", "576", "-s 724x576 -padright -1 -padleft -1 "},
        {720, 576, "723", "576", "-s 720x576 -padright 1 -padleft 1 "},
    };
    for (const auto& c : cases) {
        EncoderFields f = Frame(c.sw, c.sh, c.width, c.height);
        f.m_bCorrectRatio = 1;
        EXPECT_EQ(GetSizeOptions(f), c.expected)
            << c.sw << "x" << c.sh << " into " << c.width << "x" << c.height;
    }
}

TEST(Geometry, WithoutCorrectRatioTheFrameIsCopied) {
    for (int flag : {0, 2}) {  // only the value 1 switches the fitting on
        EncoderFields f = Frame(640, 352, "720", "576");
        f.m_bCorrectRatio = flag;
        EXPECT_EQ(GetSizeOptions(f), "-s 720x576 ");
    }
    EncoderFields odd = Frame(640, 352, " 720a", "5 76");
    EXPECT_EQ(GetSizeOptions(odd), "-s  720ax5 76 ");
}

TEST(Geometry, NoUsableRatioFallsBackToThePlainFrame) {
    const GeometryCase cases[] = {
        {0, 0, "720", "576", "-s 720x576 "},  // no source parsed yet
        {640, 0, "720", "576", "-s 720x576 "},
        {0, 352, "720", "576", "-s 720x576 "},
        {640, 352, "0", "576", "-s 0x576 "},
        {640, 352, "720", "abc", "-s 720xabc "},
        {640, 352, "", "576", "-s x576 "},
        {640, 352, "1e400", "576", "-s 1e400x576 "},
        {640, 352, "720", "1e-320", "-s 720x1e-320 "},  // ratio overflows to infinity
    };
    for (const auto& c : cases) {
        EncoderFields f = Frame(c.sw, c.sh, c.width, c.height);
        f.m_bCorrectRatio = 1;
        EXPECT_EQ(GetSizeOptions(f), c.expected)
            << c.sw << "x" << c.sh << " into " << c.width << "x" << c.height;
    }
}

struct ConversionCase {
    double sw, sh;
    std::string width, height, aspect;
    std::string expected;
};

TEST(Geometry, AspectConversions) {
    const ConversionCase cases[] = {
        {720, 576, "720", "576", "16:9->4:3", " -aspect 4:3 -s 720x432 -padbottom 72 -padtop 72 "},
        {720, 576, "720", "576", "4:3->16:9",
         "-croptop 72 -cropbottom 72 -aspect 16:9 -s 720x576 "},
        {720, 480, "720", "480", "16:9->4:3", " -aspect 4:3 -s 720x360 -padbottom 60 -padtop 60 "},
        {640, 360, "720", "576", "16:9->4:3", " -aspect 4:3 -s 720x268 -padbottom 46 -padtop 46 "},
        {640, 352, "720", "576", "4:3->16:9",
         "-croptop 44 -cropbottom 44 -aspect 16:9 -s 720x576 "},
        {1280, 720, "720", "576", "16:9->4:3", " -aspect 4:3 -s 720x540 -padbottom 90 -padtop 90 "},
        // Before any source: bar and inner height 0.
        {0, 0, "720", "576", "16:9->4:3", " -aspect 4:3 -s 720x0 -padbottom 0 -padtop 0 "},
        // Width and Height are copied even when empty.
        {720, 576, "", "576", "16:9->4:3", " -aspect 4:3 -s x432 -padbottom 72 -padtop 72 "},
        {720, 576, "720", "", "4:3->16:9", "-croptop 72 -cropbottom 72 -aspect 16:9 -s 720x "},
    };
    for (const auto& c : cases) {
        EncoderFields f = Frame(c.sw, c.sh, c.width, c.height);
        f.m_strAspect = c.aspect;
        EXPECT_EQ(GetAspectConversionOptions(f), c.expected)
            << c.sw << "x" << c.sh << " " << c.aspect;
    }
}

}  // namespace
}  // namespace mk
