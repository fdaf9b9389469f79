// Every setting of the main form as one row: its Field, the member of EncoderFields that holds it,
// the dialog control that shows it, the morvakelin-cli option that gives it and what that option
// may hold. The rules and the form model address settings by Field; only the window asks a row
// for its control, and only the CLI for its option.
#pragma once

#include <cstdint>
#include <span>
#include <string>
#include <string_view>

#include "command/encoder_fields.h"

namespace mk {

// What a CLI option may hold.
enum class ValueKind {
    None,      // no option
    ListWord,  // one of the field's list items, any letter case; taken in the list's case
    Word,      // a list item, any letter case, or another plain word (letters, digits, : . _ - +)
    Aspect,    // W:H of positive numbers, a positive number, or one of the conversions
    Number,    // digits, from min to max
    Size,      // as Number, or empty (no size option)
    Text,      // anything; its length is judged with the whole command
    FlagOn,    // an option without a value that checks the box
    FlagOff,   // one that clears it
};

struct ValueRule {
    ValueKind kind = ValueKind::None;
    std::uint64_t min = 0;
    std::uint64_t max = 0;
};

struct FieldRow {
    Field field;
    std::string EncoderFields::*text;         // a text's member, or nullptr
    int EncoderFields::*check;                // a check mark's member, or nullptr
    int control;                              // the dialog control that shows it
    std::span<const std::string_view> items;  // the control's list, for a combo box
    std::string_view option;                  // the morvakelin-cli option; "" for none
    ValueRule rule;
};

// In the order the form's data exchange walks them.
std::span<const FieldRow> FieldTable();
const FieldRow& RowOf(Field field);

// The text the field holds once `text` is written into its control: a combo box selects the
// first list item that begins with it (letters in any case), else it shows the text as typed.
std::string AsWritten(const FieldRow& row, const std::string& text);

}  // namespace mk
