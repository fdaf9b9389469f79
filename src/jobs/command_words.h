// The words /bin/sh hands to each program of a command line the form or the batch file holds, read
// without running the shell: a check before the run must not run what the line substitutes.
#pragma once

#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace mk {

// The programs of a pipeline, each as its words (quotes and backslashes taken away). Nothing for a
// line whose words only the shell can know: a substitution, a variable, a redirection, a list
// (";", "&&") or a "~" to expand.
std::optional<std::vector<std::vector<std::string>>> PipelineWords(std::string_view line);

// The arguments after the program the line runs whose file name is `program` ("ffmpeg"), or
// nothing when no program of the line is named so or its words cannot be known.
std::optional<std::vector<std::string>> ArgumentsOf(std::string_view line,
                                                    std::string_view program);

}  // namespace mk
