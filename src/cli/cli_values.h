// What each value option of morvakelin-cli may hold, checked before anything runs: the words the
// form's lists know, numbers within the range ffmpeg's options take, and lengths a command line
// can carry. A value that passes goes into the command unquoted, so nothing the shell would act
// on gets through.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>

namespace mk::cli {

enum class ValueKind {
    ListWord,  // one of the combo list's items, any letter case; taken in the list's case
    Word,      // a list item, any letter case, or another plain word (letters, digits, : . _ - +)
    Aspect,    // W:H of positive numbers, a positive number, or one of the conversions
    Number,    // digits, from min to max
    Size,      // as Number, or empty (no size option)
    Text,      // anything; its length is judged with the whole command
};

struct ValueRule {
    ValueKind kind;
    int comboId = 0;  // the list of ListWord and Word
    std::uint64_t min = 0;
    std::uint64_t max = 0;
};

// Words and numbers are never longer than this; a longer one is a mistake, not a setting.
inline constexpr std::size_t kLongestWord = 64;

// Empty when `value` suits `rule`, else the reason (one line naming `option`). A list word is
// rewritten into the list's own spelling ("DVD" becomes "dvd").
std::string CheckValue(std::string_view option, const ValueRule& rule, std::string& value);

// `value` for a message: whole when short, else its start, "...", and its length.
std::string Shown(std::string_view value);

}  // namespace mk::cli
