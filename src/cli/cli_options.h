// The options of morvakelin-cli: what the form's controls would hold, given as words on the
// command line. Parsing only; nothing here touches a file.
#pragma once

#include <optional>
#include <span>
#include <string>
#include <utility>
#include <vector>

#include "command/encoder_fields.h"

namespace mk::cli {

inline constexpr int kExitOk = 0;
inline constexpr int kExitFailed = 1;      // the encode failed or was stopped
inline constexpr int kExitBadOptions = 2;  // unknown option, missing value, missing source...

struct CliOptions {
    std::string source;
    std::string output;
    // Several sources at once: each encoded into outputDir, `jobs` at a time (nullopt: one per
    // core). Or the batch file's lines, run that way.
    std::vector<std::string> sources;
    std::string outputDir;
    std::optional<std::size_t> jobs;
    bool runBatch = false;
    // A disc of the sources (their titles, in order): a folder, .iso or .cue NAME; the chapter
    // interval and the size to fill as typed (checked when the disc is planned).
    std::string disc;
    std::string titles;  // a file of titles, each line its own options (Disc > Add current source)
    std::optional<std::string> chapters, fit;
    bool twoPass = false;
    bool keepFiles = false;
    // The settings given, in order: texts as typed into the form's boxes, "1" or "0" for a check
    // box. A field not given stays as the form and its presets have it.
    std::vector<std::pair<Field, std::string>> settings;
    bool noPresets = false;
    bool print = false;
    bool batchAdd = false;
    bool verbose = false;
    bool help = false;
    bool version = false;

    // The text given last for the field; nullopt when it was not given.
    std::optional<std::string> Given(Field field) const;
};

struct ParseResult {
    std::optional<CliOptions> options;  // nullopt: `error` says why
    std::string error;                  // one line, without the program's name
};

// The arguments after the program's name. "--name value" and "--name=value" are both taken.
// --help and --version need nothing else; --run-batch needs no source; every other run needs
// --source and --output, or sources (words that are not options) and --output-dir.
// Every value is checked here (cli/cli_values.h): a target is one of the list's words in any
// letter case, taken in lower case (as are other list words); numbers stay within what ffmpeg's
// options take (width and height may be empty: no size option); nothing the shell would act on
// stands unquoted in the command; paths, words and the whole command stay within what the
// system can pass on.
ParseResult ParseCli(std::span<const std::string> args);

// The usage text, ending in a line end.
std::string Usage();

// The line that follows a refusal, pointing at --help; ends in a line end.
std::string HelpHint();

// "morvakelin-cli " and the project's version.
std::string VersionLine();

}  // namespace mk::cli
