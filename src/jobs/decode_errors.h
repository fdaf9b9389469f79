// ffmpeg goes on past damage in a source (a file cut short, broken packets) and still ends with
// status 0, so the output may be far shorter than the source. These helpers pick the lines that
// tell of such damage out of ffmpeg's output, so a front end can warn instead of only saying done.
#pragma once

#include <cstddef>
#include <string>
#include <string_view>
#include <vector>

namespace mk {

// True for a line in which ffmpeg reports damage or a decoding error ("partial file",
// "Error while decoding", "corrupt input packet", ...). Indented lines (stream descriptions and
// metadata, where any word may appear) never count.
bool IsDecodeErrorLine(std::string_view line);

// `line` at most `limit` characters long (limit >= 20), cut in its middle: its start says who
// speaks and its end why, and a long path between them must not push the reason out.
std::string ShortenMiddle(std::string_view line, std::size_t limit);

// The error lines of one run: the first few kept (each shortened), all of them counted.
class DecodeErrors {
public:
    explicit DecodeErrors(std::size_t keep, std::size_t lineLimit)
        : m_keep(keep), m_lineLimit(lineLimit) {}

    void Take(std::string_view line);
    const std::vector<std::string>& Kept() const { return m_kept; }
    std::size_t Count() const { return m_count; }

private:
    std::size_t m_keep;
    std::size_t m_lineLimit;
    std::vector<std::string> m_kept;
    std::size_t m_count = 0;
};

}  // namespace mk
