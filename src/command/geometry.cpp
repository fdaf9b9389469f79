#include "command/geometry.h"

#include <cmath>

#include "command/number_rules.h"

namespace mk {

namespace {

std::string PlainSize(const EncoderFields& f) {
    return "-s " + f.m_strWidth + "x" + f.m_strHeight + " ";
}

}  // namespace

std::string GetSizeOptions(const EncoderFields& f) {
    if (f.m_bCorrectRatio != 1) {
        return PlainSize(f);
    }
    const double w = AtoF(f.m_strWidth);
    const double h = AtoF(f.m_strHeight);
    const double sw = f.m_dSourceWidth;
    const double sh = f.m_dSourceHeight;

    // Divided in this order on purpose: truncation makes the last bit of the quotient matter.
    const double ry = sh / h;
    const double rx = sw / w;
    // A zero or missing size makes the ratios (and the scaled size) infinite or undefined;
    // there is nothing to fit then, so the frame is taken as typed.
    if (!std::isfinite(ry) || !std::isfinite(rx) || ry == 0.0 || rx == 0.0) {
        return PlainSize(f);
    }

    if (ry > rx) {
        // Relatively taller source: fill the frame height, bars left and right.
        const double scaled = sw / ry;
        if (!std::isfinite(scaled)) {
            return PlainSize(f);
        }
        const int w2 = RoundUpToMultipleOf4(TruncateToInt(scaled));
        const int bar = TruncateToInt((w - w2) * 0.5);
        const std::string p = IntToText(bar);
        return "-s " + IntToText(w2) + "x" + f.m_strHeight + " -padright " + p + " -padleft " + p +
               " ";
    }
    // Fill the frame width, bars top and bottom; equal ratios land here too.
    const double scaled = sh / rx;
    if (!std::isfinite(scaled)) {
        return PlainSize(f);
    }
    const int h2 = RoundUpToMultipleOf4(TruncateToInt(scaled));
    const int bar = TruncateToInt((h - h2) * 0.5);
    const std::string p = IntToText(bar);
    return "-s " + f.m_strWidth + "x" + IntToText(h2) + " -padtop " + p + " -padbottom " + p + " ";
}

std::string GetAspectConversionOptions(const EncoderFields& f) {
    const double sh = f.m_dSourceHeight;
    // A 16:9 picture in a 4:3 frame of the same width takes 0.75 of its height: each bar is
    // an eighth of the height, made even.
    const int bar = RoundUpToEven(TruncateToInt((sh - sh * 0.75) * 0.5));
    const std::string b = IntToText(bar);
    if (f.m_strAspect == "16:9->4:3") {
        const int inner = TruncateToInt(sh - 2.0 * bar);
        return " -aspect 4:3 -s " + f.m_strWidth + "x" + IntToText(inner) + " -padbottom " + b +
               " -padtop " + b + " ";
    }
    return "-croptop " + b + " -cropbottom " + b + " -aspect 16:9 -s " + f.m_strWidth + "x" +
           f.m_strHeight + " ";
}

}  // namespace mk
