#include "form/dialog_folders.h"

namespace mk {

std::string FolderOf(const std::string& path) {
    const std::size_t slash = path.find_last_of('/');
    if (slash == std::string::npos) {
        return {};
    }
    return path.substr(0, slash == 0 ? 1 : slash);
}

std::string OpenDialogFolder(const EncoderFields& f, const std::string& lastFolder) {
    const std::string source = FolderOf(f.m_strSourceFile);
    return source.empty() ? lastFolder : source;
}

std::string SaveDialogFolder(const EncoderFields& f, const std::string& lastFolder) {
    const std::string output = FolderOf(f.m_strOutputFile);
    return output.empty() ? OpenDialogFolder(f, lastFolder) : output;
}

}  // namespace mk
