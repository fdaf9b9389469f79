#include "probe/report_text.h"

#include <climits>
#include <cstdio>
#include <memory>
#include <vector>

namespace mk {

int Position(std::string_view text, std::string_view marker) {
    const std::size_t pos = text.find(marker);
    // Reports are a few kilobytes; an index beyond int counts as not found rather than wrapping.
    if (pos == std::string_view::npos || pos > static_cast<std::size_t>(INT_MAX)) {
        return -1;
    }
    return static_cast<int>(pos);
}

std::string LastN(std::string_view text, long long n) {
    if (n <= 0) {
        return {};
    }
    if (static_cast<unsigned long long>(n) >= text.size()) {
        return std::string(text);
    }
    return std::string(text.substr(text.size() - static_cast<std::size_t>(n)));
}

std::string FirstN(std::string_view text, long long n) {
    if (n <= 0) {
        return {};
    }
    if (static_cast<unsigned long long>(n) >= text.size()) {
        return std::string(text);
    }
    return std::string(text.substr(0, static_cast<std::size_t>(n)));
}

std::optional<std::string> ReadProbeReport(const std::string& path, std::size_t maxBytes) {
    struct Closer {
        void operator()(std::FILE* file) const { std::fclose(file); }
    };
    std::unique_ptr<std::FILE, Closer> file(std::fopen(path.c_str(), "rb"));
    if (!file) {
        return std::nullopt;
    }
    std::vector<char> buffer(maxBytes);
    std::size_t got = 0;
    while (got < maxBytes) {
        const std::size_t n = std::fread(buffer.data() + got, 1, maxBytes - got, file.get());
        if (n == 0) {
            break;
        }
        got += n;
    }
    // A report we cannot read (a directory in its place, a device error) is as good as none.
    if (std::ferror(file.get())) {
        return std::nullopt;
    }
    std::string text(buffer.data(), got);
    const std::size_t zero = text.find('\0');
    if (zero != std::string::npos) {
        text.resize(zero);
    }
    return text;
}

}  // namespace mk
