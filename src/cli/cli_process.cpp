#include "cli/cli_process.h"

#include "platform/process_runner.h"

namespace mk::cli {

int RunShellWaited(const std::string& line) {
    ShellOptions options;
    options.out = Route::OtherOne;  // nothing of it mixes with what the program prints
    options.err = Route::Inherit;
    options.ownGroup = false;
    return mk::RunShellWaited(line, options);
}

}  // namespace mk::cli
