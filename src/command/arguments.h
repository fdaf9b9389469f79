// The ffmpeg argument string: everything after the executable part, from the input file to the
// output file and the stream mapping.
#pragma once

#include <functional>
#include <string>

#include "command/encoder_fields.h"
#include "platform/shell_dialect.h"

namespace mk {

// Receives a new More options text. The form puts it into its control and reads the whole form
// back, which updates the fields (m_strMoreOptions among them).
using MoreOptionsWriter = std::function<void(const std::string& newText)>;

// Composes the argument string from the fields, stores it in f.m_strArguments and returns a
// copy. For targets mpeg4, dvd and svcd it may add options (-vtag xvid, -qmin 2, -sameq) to the
// More options text, which then stay there for the user to see: through writeBack when given,
// otherwise straight into f.m_strMoreOptions. Source and output paths go through
// dialect.Escape; More options and the other typed values are inserted as they stand.
std::string BuildArguments(EncoderFields& f, const ShellDialect& dialect,
                           const MoreOptionsWriter& writeBack = {});

}  // namespace mk
