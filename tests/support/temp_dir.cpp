#include "support/temp_dir.h"

#include <stdlib.h>

#include <stdexcept>

namespace mk::test {

namespace fs = std::filesystem;

namespace {

void MakeRemovable(const fs::path& path) {
    std::error_code ec;
    if (!fs::is_directory(fs::symlink_status(path, ec))) {
        return;
    }
    fs::permissions(path, fs::perms::owner_all, fs::perm_options::add, ec);
    for (const auto& entry : fs::directory_iterator(path, ec)) {
        MakeRemovable(entry.path());
    }
}

}  // namespace

TempDir::TempDir(std::string_view prefix) {
    std::string pattern = (fs::temp_directory_path() / prefix).string() + "-XXXXXX";
    if (mkdtemp(pattern.data()) == nullptr) {
        throw std::runtime_error("cannot make a temporary folder " + pattern);
    }
    m_path = pattern;
}

TempDir::~TempDir() {
    RemoveAll(m_path);
}

void RemoveAll(const fs::path& path) {
    MakeRemovable(path);
    std::error_code ec;
    fs::remove_all(path, ec);
}

}  // namespace mk::test
