// Which field each control of the main form shows, in the order the data exchange runs. The form
// walks it both ways; the command-line front end uses it to put preset texts into fields.
#pragma once

#include <span>
#include <string>

#include "command/encoder_fields.h"

namespace mk {

enum class BindKind { ControlObject, Text, ComboString, Check };

struct FieldBinding {
    int id;
    BindKind kind;
    std::string EncoderFields::*text;  // Text and ComboString
    int EncoderFields::*check;         // Check
};

std::span<const FieldBinding> EncoderBindings();

// The text field bound to a control, or nullptr for a control without one.
std::string* TextFieldOf(EncoderFields& fields, int controlId);

}  // namespace mk
