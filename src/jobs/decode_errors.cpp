#include "jobs/decode_errors.h"

#include <algorithm>
#include <array>
#include <cctype>

namespace mk {

namespace {

// Words of ffmpeg's demuxers and decoders for damage, in lower case.
constexpr std::array<std::string_view, 11> kDamageWords{
    "error",   "corrupt",         "partial file",   "invalid data", "invalid nal",       "damaged",
    "conceal", "missing picture", "header missing", "truncat",      "ended prematurely",
};

std::string Lower(std::string_view text) {
    std::string lower(text);
    std::transform(lower.begin(), lower.end(), lower.begin(),
                   [](unsigned char c) { return static_cast<char>(std::tolower(c)); });
    return lower;
}

}  // namespace

bool IsDecodeErrorLine(std::string_view line) {
    if (line.empty() || line.front() == ' ' || line.front() == '\t') {
        return false;
    }
    const std::string lower = Lower(line);
    return std::any_of(kDamageWords.begin(), kDamageWords.end(), [&](std::string_view word) {
        return lower.find(word) != std::string::npos;
    });
}

std::string ShortenMiddle(std::string_view line, std::size_t limit) {
    if (line.size() <= limit) {
        return std::string(line);
    }
    constexpr std::string_view kCut = " [...] ";
    const std::size_t room = limit - kCut.size();
    const std::size_t head = room / 3;  // the end usually holds the reason: give it more
    const std::size_t tail = room - head;
    return std::string(line.substr(0, head)) + std::string(kCut) +
           std::string(line.substr(line.size() - tail));
}

void DecodeErrors::Take(std::string_view line) {
    if (!IsDecodeErrorLine(line)) {
        return;
    }
    ++m_count;
    if (m_kept.size() < m_keep) {
        m_kept.push_back(ShortenMiddle(line, m_lineLimit));
    }
}

}  // namespace mk
