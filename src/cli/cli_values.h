// What each value option of morvakelin-cli may hold (the rule in its field's row), checked before
// anything runs: the words the form's lists know, numbers within the range ffmpeg's options take,
// and lengths a command line can carry. A value that passes goes into the command unquoted, so
// nothing the shell would act on gets through.
#pragma once

#include <string>
#include <string_view>

#include "form/field_table.h"

namespace mk::cli {

// Words and numbers are never longer than this; a longer one is a mistake, not a setting.
inline constexpr std::size_t kLongestWord = 64;

// Empty when `value` suits the rule of the field's option, else the reason (one line naming the
// option). A list word is rewritten into the list's own spelling ("DVD" becomes "dvd").
std::string CheckValue(const FieldRow& row, std::string& value);

// `value` for a message: whole when short, else its start, "...", and its length.
std::string Shown(std::string_view value);

}  // namespace mk::cli
