// The file type the Save File dialog proposes for the current choices.
#pragma once

#include <string>

#include "command/encoder_fields.h"

namespace mk {

struct OutputChoice {
    std::string filter;            // MFC form, "description|pattern||"; empty offers no type
    std::string defaultExtension;  // without the dot; empty appends nothing
};

OutputChoice ChooseOutputFile(const EncoderFields& f);

}  // namespace mk
