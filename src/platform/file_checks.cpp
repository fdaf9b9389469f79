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

bool IsStreamSource(const std::string& source) {
    return source == "-" || source.starts_with("pipe:");
}

std::string SourceRefusal(const std::string& source) {
    if (source.empty() || IsStreamSource(source)) {
        return {};
    }
    std::error_code ec;
    const fs::file_status st = fs::status(fs::path(source), ec);
    const char* kind = nullptr;
    switch (ec ? fs::file_type::not_found : st.type()) {
        case fs::file_type::fifo:
            kind = "a FIFO (named pipe)";
            break;
        case fs::file_type::character:
            kind = "a character device";
            break;
        case fs::file_type::block:
            kind = "a block device";
            break;
        case fs::file_type::socket:
            kind = "a socket";
            break;
        default:
            return {};
    }
    return source + " is " + kind +
           ", not a file: reading it may wait for ever. To read a stream on purpose, give it as "
           "- (standard input) or pipe:.";
}

}  // namespace mk
