// What the ffmpeg command line looks like to a reader that does not run it: which options take a
// value, and so which words are file names. Shared by the option translation and its tests.
#pragma once

#include <string>
#include <string_view>
#include <vector>

namespace mk::toolkit {

// One word of an ffmpeg command line, or an option together with its value.
struct ArgItem {
    std::string option;  // without the leading '-', e.g. "c:a"; empty for a file name
    std::string value;   // the option's value, or the file name
    bool hasValue = false;

    bool IsFile() const { return option.empty(); }
    // The option's name without a stream specifier: "c:a" -> "c".
    std::string_view Base() const;
    // The words this item stands for on a command line.
    void AppendTo(std::vector<std::string>& out) const;
};

// True for the options that stand alone (-y, -an, -hq, -nostdin, ...). Every other option, and
// every AVOption of a codec or format, takes the next word as its value.
bool IsStandaloneOption(std::string_view name);

// True for the options that name a codec (-acodec, -c:a, -codec:v, ...).
bool IsCodecOption(std::string_view name);

// Splits a command line (without the program name) into options and file names.
// An option that names a codec and is directly followed by "-i" got an empty codec word: such an
// item has hasValue false, and the "-i" stays an option of its own.
std::vector<ArgItem> SplitArguments(const std::vector<std::string>& args);

// The index of the output file among `items` (the last file name after an input); -1 for none.
int OutputIndex(const std::vector<ArgItem>& items);
// Where the output's own options begin: after the last input or earlier output file.
int OutputSectionStart(const std::vector<ArgItem>& items, int output);

// The names after each -i, in order.
std::vector<std::string> InputNames(const std::vector<ArgItem>& items);
// The words the items stand for on a command line.
std::vector<std::string> Words(const std::vector<ArgItem>& items);

}  // namespace mk::toolkit
