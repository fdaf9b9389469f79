// A fresh folder under the system's temporary folder for one test, removed with all it holds.
#pragma once

#include <filesystem>
#include <string>
#include <string_view>

namespace mk::test {

class TempDir {
public:
    // The folder's name starts with `prefix` (blanks and any other characters allowed).
    explicit TempDir(std::string_view prefix = "morvakelin-test");
    // Removes it even where a test took away write or search permission inside.
    ~TempDir();
    TempDir(const TempDir&) = delete;
    TempDir& operator=(const TempDir&) = delete;

    const std::filesystem::path& Path() const { return m_path; }
    // The folder with a trailing separator, as the program writes its program folder.
    std::string Folder() const { return m_path.string() + "/"; }
    std::string File(std::string_view name) const { return (m_path / name).string(); }

private:
    std::filesystem::path m_path;
};

// Gives the owner every permission on `path` and on each folder below it, then removes it all.
void RemoveAll(const std::filesystem::path& path);

}  // namespace mk::test
