// The only judgement the program makes of what outside programs left behind: does a file exist,
// and how long is it.
#pragma once

#include <cstdint>
#include <optional>
#include <string>

namespace mk {

// An empty path is missing; any existing entry (file, folder, device) is present.
bool FileExists(const std::string& path);
// Size in bytes of an existing regular file, 0 for any other existing entry, nullopt when missing.
std::optional<std::uint64_t> FileLength(const std::string& path);

}  // namespace mk
