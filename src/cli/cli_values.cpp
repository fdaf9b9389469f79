#include "cli/cli_values.h"

#include <algorithm>
#include <cctype>
#include <charconv>
#include <optional>
#include <span>

namespace mk::cli {

namespace {

constexpr double kMaxAspectNumber = 2147483647;

bool SameLetters(std::string_view a, std::string_view b) {
    return a.size() == b.size() && std::equal(a.begin(), a.end(), b.begin(), [](char x, char y) {
               return std::tolower(static_cast<unsigned char>(x)) ==
                      std::tolower(static_cast<unsigned char>(y));
           });
}

// The list item `value` names in any letter case, or "" when none does.
std::string_view ListItem(std::span<const std::string_view> items, std::string_view value) {
    const auto it = std::find_if(items.begin(), items.end(), [value](std::string_view item) {
        return SameLetters(item, value);
    });
    return it == items.end() ? std::string_view() : *it;
}

std::string ListText(std::span<const std::string_view> items) {
    std::string text;
    for (std::string_view item : items) {
        text += (text.empty() ? "" : ", ") + std::string(item);
    }
    return text;
}

bool IsPlainWord(std::string_view value) {
    return !value.empty() && std::all_of(value.begin(), value.end(), [](char c) {
        return std::isalnum(static_cast<unsigned char>(c)) || c == ':' || c == '.' || c == '_' ||
               c == '-' || c == '+';
    });
}

// Digits with at most one decimal point, not all zeros, no larger than ffmpeg's int: "4", ".5".
std::optional<double> PositiveNumber(std::string_view text) {
    const auto dots = std::count(text.begin(), text.end(), '.');
    const bool digitsOnly = std::all_of(text.begin(), text.end(), [](char c) {
        return c == '.' || std::isdigit(static_cast<unsigned char>(c));
    });
    const bool nonZero =
        std::any_of(text.begin(), text.end(), [](char c) { return c >= '1' && c <= '9'; });
    if (!digitsOnly || dots > 1 || !nonZero || text.size() > kLongestWord) {
        return std::nullopt;
    }
    const double number = std::stod("0" + std::string(text));
    return number <= kMaxAspectNumber ? std::optional<double>(number) : std::nullopt;
}

// ffmpeg takes a picture ratio from 1:255 on, its terms as ints.
bool IsAspect(std::string_view value) {
    if (value == "16:9->4:3" || value == "4:3->16:9") {
        return true;
    }
    const std::size_t colon = value.find(':');
    const auto width = PositiveNumber(value.substr(0, colon));
    const auto height = colon == std::string_view::npos ? std::optional<double>(1)
                                                        : PositiveNumber(value.substr(colon + 1));
    return width && height && *width * 255 >= *height;
}

std::string CheckNumber(std::string_view option, const ValueRule& rule, std::string_view value) {
    const bool digits = !value.empty() && std::all_of(value.begin(), value.end(), [](char c) {
        return std::isdigit(static_cast<unsigned char>(c));
    });
    const std::string range = std::to_string(rule.min) + " to " + std::to_string(rule.max);
    if (!digits) {
        return "invalid value for " + std::string(option) + ": " + Shown(value) +
               " (a whole number from " + range + " is expected)";
    }
    std::uint64_t number = 0;
    const auto [end, error] = std::from_chars(value.data(), value.data() + value.size(), number);
    if (error != std::errc() || end != value.data() + value.size() || number < rule.min ||
        number > rule.max) {
        return "value out of range for " + std::string(option) + ": " + Shown(value) + " (" +
               range + ")";
    }
    return {};
}

}  // namespace

std::string Shown(std::string_view value) {
    constexpr std::size_t kShown = 24;
    if (value.size() <= kShown + 16) {
        return "'" + std::string(value) + "'";
    }
    return "'" + std::string(value.substr(0, kShown)) + "...' (" + std::to_string(value.size()) +
           " characters)";
}

std::string CheckValue(const FieldRow& row, std::string& value) {
    const std::string name(row.option);
    const ValueRule& rule = row.rule;
    if (rule.kind != ValueKind::Text && value.size() > kLongestWord) {
        return "value too long for " + name + ": " + Shown(value) + " (at most " +
               std::to_string(kLongestWord) + " characters)";
    }
    switch (rule.kind) {
        case ValueKind::ListWord:
        case ValueKind::Word:
            if (const std::string_view item = ListItem(row.items, value); !item.empty()) {
                value = std::string(item);
                return {};
            }
            if (rule.kind == ValueKind::Word && IsPlainWord(value)) {
                return {};
            }
            return "invalid value for " + name + ": " + Shown(value) +
                   (rule.kind == ValueKind::ListWord ? " (one of " + ListText(row.items) + ")"
                                                     : " (letters, digits and : . _ - + only)");
        case ValueKind::Aspect:
            if (IsAspect(value)) {
                return {};
            }
            return "invalid value for " + name + ": " + Shown(value) +
                   " (W:H of positive numbers up to 2147483647, such as 4:3 or 2.35:1, no narrower "
                   "than 1:255, or 16:9->4:3 or 4:3->16:9)";
        case ValueKind::Size:
            if (value.empty()) {
                return {};
            }
            [[fallthrough]];
        case ValueKind::Number:
            return CheckNumber(row.option, rule, value);
        case ValueKind::Text:
        case ValueKind::None:
        case ValueKind::FlagOn:
        case ValueKind::FlagOff:
            break;
    }
    return {};
}

}  // namespace mk::cli
