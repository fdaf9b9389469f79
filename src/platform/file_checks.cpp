#include "platform/file_checks.h"

#include <filesystem>
#include <system_error>

namespace mk {

namespace fs = std::filesystem;

bool FileExists(const std::string& path) {
    if (path.empty()) {
        return false;
    }
    std::error_code ec;
    return fs::exists(fs::path(path), ec) && !ec;
}

std::optional<std::uint64_t> FileLength(const std::string& path) {
    if (path.empty()) {
        return std::nullopt;
    }
    std::error_code ec;
    const fs::file_status st = fs::status(fs::path(path), ec);
    if (ec || !fs::exists(st)) {
        return std::nullopt;
    }
    if (!fs::is_regular_file(st)) {
        return 0;
    }
    const std::uintmax_t size = fs::file_size(fs::path(path), ec);
    if (ec) {
        return std::nullopt;  // vanished between the two looks
    }
    return static_cast<std::uint64_t>(size);
}

}  // namespace mk
