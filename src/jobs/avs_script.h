// The check that TV.avs names the current source before the AviSynth route encodes.
#pragma once

#include <cstddef>
#include <optional>
#include <string>
#include <string_view>

namespace mk {

// How much of the script is searched for the source key.
inline constexpr std::size_t kScriptSearchBytes = 5000;

// A double quote followed by the source path up to (not including) its last "."; a lone double
// quote when the path has no ".". So any extension after the key is accepted.
std::string SourceKey(const std::string& sourceFile);

// True when the script text holds the source key (case-sensitive, exact).
bool ScriptNamesSource(std::string_view scriptText, const std::string& sourceFile);

// At most maxBytes from the start of the file; nullopt when it cannot be opened.
std::optional<std::string> ReadFilePrefix(const std::string& path, std::size_t maxBytes);

}  // namespace mk
