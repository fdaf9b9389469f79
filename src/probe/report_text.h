// Reading the probe report (ffmpeg's description of the source) and the small text primitives
// its readers use. The primitives clamp instead of failing: that clamping is what decides the
// outcome when a marker is missing from the report.
#pragma once

#include <cstddef>
#include <optional>
#include <string>
#include <string_view>

namespace mk {

// 0-based index of the first occurrence of marker in text; -1 when it does not occur.
int Position(std::string_view text, std::string_view marker);

// The last n characters of text: empty when n <= 0, all of text when n >= its length.
std::string LastN(std::string_view text, long long n);

// The first n characters of text: empty when n <= 0, all of text when n >= its length.
std::string FirstN(std::string_view text, long long n);

// At most maxBytes of the file at path, as 8-bit text ending at the first zero byte if any.
// nullopt when the file cannot be opened or read (a directory, for instance).
std::optional<std::string> ReadProbeReport(const std::string& path, std::size_t maxBytes = 1800);

}  // namespace mk
