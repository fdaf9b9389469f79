#include "probe/probe_command.h"

namespace mk {

std::string ProbeCommand(const ShellDialect& d, const std::string& folder,
                         const std::string& sourceFile) {
    const std::string dir = d.Escape(folder);
    // cmd strips the first and the last quote of a line like this; sh needs no such wrapping.
    const std::string outer = d.IsWindows() ? "\"" : "";
    return outer + "\"" + dir + d.FfmpegExe() + "\" -i \"" + d.Escape(sourceFile) +
           "\" -an -vn 2>\"" + dir + d.ProbeReport() + "\"" + outer;
}

std::string ExtensionOf(const std::string& path) {
    const std::size_t nameStart = path.find_last_of("/\\");
    const std::size_t start = nameStart == std::string::npos ? 0 : nameStart + 1;
    const std::size_t dot = path.rfind('.');
    if (dot == std::string::npos || dot < start) {
        return {};
    }
    return path.substr(dot + 1);
}

}  // namespace mk
