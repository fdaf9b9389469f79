// Frame-geometry options of the argument string: the target size, optionally fitted around the
// source picture with bars, and the two letterbox/crop aspect conversions.
#pragma once

#include <string>

#include "command/encoder_fields.h"

namespace mk {

// "-s WxH " from the form's Width and Height. With Correct ratio (m_bCorrectRatio == 1) the source
// is fitted into that frame, keeping its pixel ratio, and the rest is filled with two equal pad
// bars. When the sizes give no usable ratio (a zero or non-numeric Width or Height, no source
// size yet) the plain "-s WxH " is returned. Ends in one blank.
std::string GetSizeOptions(const EncoderFields& f);

// For the Aspect entries "16:9->4:3" (letterbox, leading blank) and "4:3->16:9" (crop): the
// pad or crop options with their own -aspect and -s. Ends in one blank.
std::string GetAspectConversionOptions(const EncoderFields& f);

}  // namespace mk
