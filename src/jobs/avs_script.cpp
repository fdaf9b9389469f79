#include "jobs/avs_script.h"

#include <filesystem>
#include <fstream>

namespace mk {

std::string SourceKey(const std::string& sourceFile) {
    const auto dot = sourceFile.rfind('.');
    return "\"" + (dot == std::string::npos ? std::string() : sourceFile.substr(0, dot));
}

bool ScriptNamesSource(std::string_view scriptText, const std::string& sourceFile) {
    return scriptText.find(SourceKey(sourceFile)) != std::string_view::npos;
}

std::optional<std::string> ReadFilePrefix(const std::string& path, std::size_t maxBytes) {
    // A folder opens as a stream here but is no script.
    std::error_code ec;
    if (std::filesystem::is_directory(path, ec)) {
        return std::nullopt;
    }
    std::ifstream in(path, std::ios::binary);
    if (!in) {
        return std::nullopt;
    }
    std::string text(maxBytes, '\0');
    in.read(text.data(), static_cast<std::streamsize>(maxBytes));
    text.resize(static_cast<std::size_t>(in.gcount()));
    return text;
}

}  // namespace mk
