// The part of a command line before the argument string: our ffmpeg in the program folder, or on
// the AviSynth route avs2yuv rendering TV.avs and piping the frames into ffmpeg.
#pragma once

#include <string>

#include "command/encoder_fields.h"
#include "platform/shell_dialect.h"

namespace mk {

// The executable part without the command's opening quote. folder is the program folder, ending
// in its separator. Plain route: folder + ffmpeg + closing quote. AviSynth route
// (m_bUseAviSynth == 1): avs2yuv on TV.avs piped into ffmpeg, which takes the audio (codec
// audioCodec) from the source; it ends in "\" -hq " for Generate and "\" " for Encode.
// Under POSIX an audio codec word holding anything but letters, digits, '_', '-' or '.' (it
// stands outside quotes) is single-quoted so it cannot act as shell syntax.
std::string ExecutablePart(const ShellDialect& d, const std::string& folder, const EncoderFields& f,
                           const std::string& audioCodec, bool forEncode);

}  // namespace mk
