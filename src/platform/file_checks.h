// The only judgement the program makes of what outside programs left behind: does a file exist,
// and how long is it; and whether a source can be read as a file at all.
#pragma once

#include <cstdint>
#include <optional>
#include <string>

namespace mk {

// An empty path is missing; any existing entry (file, folder, device) is present.
bool FileExists(const std::string& path);
// Size in bytes of an existing regular file, 0 for any other existing entry, nullopt when missing.
std::optional<std::uint64_t> FileLength(const std::string& path);

// A source the user names as a stream on purpose: "-" (standard input) or ffmpeg's "pipe:".
bool IsStreamSource(const std::string& source);
// Why `source` cannot be read as a source file: a FIFO, a device or a socket (reading it waits
// for a writer, or never ends), named with its kind; "" for anything else (a missing file or a
// folder is left to the callers' own checks) and for a stream source.
std::string SourceRefusal(const std::string& source);

}  // namespace mk
