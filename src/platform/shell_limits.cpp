#include "platform/shell_limits.h"

#include <unistd.h>

#include <algorithm>
#include <cstring>

extern char** environ;

namespace mk {

std::size_t LongestShellLine() {
    const long page = sysconf(_SC_PAGESIZE);
    // MAX_ARG_STRLEN: 32 pages for one argument, its zero byte included.
    const std::size_t oneArgument = static_cast<std::size_t>(page > 0 ? page : 4096) * 32 - 1;

    std::size_t environment = 0;
    for (char** e = environ; e != nullptr && *e != nullptr; ++e) {
        environment += std::strlen(*e) + 1 + sizeof(char*);
    }
    // Room for "sh", "-c", the pointers, and the same environment again when the shell starts
    // ffmpeg with the line split into its words.
    constexpr std::size_t kSlack = 4096;
    const long argMax = sysconf(_SC_ARG_MAX);
    const std::size_t total = argMax > 0 ? static_cast<std::size_t>(argMax) : 131072;
    const std::size_t needed = environment + kSlack;
    const std::size_t all = total > needed ? total - needed : 0;
    return std::min(oneArgument, all);
}

}  // namespace mk
