#include "ui/documents.h"

namespace mk {

namespace {

std::string InFolder(const ShellDialect& d, const std::string& folder, const std::string& name) {
    std::string path = folder;
    if (!path.empty() && path.back() != d.Separator()) {
        path += d.Separator();
    }
    return path + name;
}

}  // namespace

std::string HelpFilePath(const ShellDialect& d, const std::string& folder,
                         const std::string& language) {
    return InFolder(d, folder, d.HelpFile(language == "english"));
}

std::string SupportPagePath(const ShellDialect& d, const std::string& folder,
                            const std::string& language) {
    return InFolder(d, folder, d.SupportPage(language == "deutsch"));
}

}  // namespace mk
