// The ffmpeg argument string: everything after the executable part, from the input file to the
// output file and the stream mapping.
#pragma once

#include <string>

#include "command/encoder_fields.h"
#include "platform/shell_dialect.h"

namespace mk {

// Composes the argument string from the fields, stores it in f.m_strArguments and returns a
// copy. Processing video, the target's words (-vtag xvid, -qmin 2, -sameq) join the More options
// text first, in f.m_strMoreOptions, where they stay for the user to see. Source and output paths
// go through dialect.Escape; More options and the other typed values are inserted as they stand.
std::string BuildArguments(EncoderFields& f, const ShellDialect& dialect);

// The encoder word the command names for an audio target: "mp3" is "libmp3lame".
std::string AudioCodecWord(const std::string& audioTarget);

}  // namespace mk
