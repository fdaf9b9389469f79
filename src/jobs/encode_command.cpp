#include "jobs/encode_command.h"

namespace mk {

std::string EncodeConsoleLine(const ShellDialect& d, const std::string& programPart,
                              const std::string& argsWithClose) {
    // The quote opens the first program's path; the program part closes it.
    return d.ConsoleLine("\"" + programPart + argsWithClose);
}

}  // namespace mk
