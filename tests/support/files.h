// Whole files as bytes, for tests that prepare inputs and read back what the program wrote.
#pragma once

#include <filesystem>
#include <string>
#include <string_view>

namespace mk::test {

// Every byte of the file; empty when it cannot be read.
std::string ReadFile(const std::filesystem::path& path);

// Creates or truncates the file with exactly these bytes; returns its path.
std::string WriteFile(const std::filesystem::path& path, std::string_view bytes);

}  // namespace mk::test
