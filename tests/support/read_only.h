// Makes a folder or a file unwritable for this process, root included: a read-only bind mount of
// itself where the machine allows it, else the mode bits (which bind everyone but root). Undone
// when it goes.
#pragma once

#include <sys/mount.h>
#include <unistd.h>

#include <filesystem>
#include <fstream>
#include <string>

class ReadOnlyPath {
public:
    explicit ReadOnlyPath(const std::filesystem::path& path) : m_path(path) {
        namespace fs = std::filesystem;
        if (geteuid() == 0) {
            m_mounted = ::mount(path.c_str(), path.c_str(), nullptr, MS_BIND, nullptr) == 0 &&
                        ::mount(nullptr, path.c_str(), nullptr, MS_REMOUNT | MS_BIND | MS_RDONLY,
                                nullptr) == 0;
            return;
        }
        if (fs::is_directory(path)) {
            // The files of the folder too, never through a link: what it points to is not ours.
            for (const auto& entry : fs::directory_iterator(path)) {
                if (entry.is_regular_file() && !entry.is_symlink()) {
                    fs::permissions(entry.path(), kWrite, fs::perm_options::remove);
                }
            }
        }
        fs::permissions(path, kWrite, fs::perm_options::remove);
    }
    ~ReadOnlyPath() {
        namespace fs = std::filesystem;
        if (m_mounted) {
            ::umount2(m_path.c_str(), MNT_DETACH);
            return;
        }
        if (geteuid() != 0) {
            std::error_code ec;
            fs::permissions(m_path, fs::perms::owner_write, fs::perm_options::add, ec);
            for (const auto& entry : fs::directory_iterator(m_path, ec)) {
                if (entry.is_regular_file() && !entry.is_symlink()) {
                    fs::permissions(entry.path(), fs::perms::owner_write, fs::perm_options::add,
                                    ec);
                }
            }
        }
    }
    ReadOnlyPath(const ReadOnlyPath&) = delete;
    ReadOnlyPath& operator=(const ReadOnlyPath&) = delete;

    // False with the reason when writing is still possible here.
    bool Works(std::string& why) const {
        namespace fs = std::filesystem;
        const bool folder = fs::is_directory(m_path);
        const fs::path probe = folder ? m_path / ".write-probe" : m_path;
        if (folder ? std::ofstream(probe).good() : std::ofstream(probe, std::ios::app).good()) {
            if (folder) {
                fs::remove(probe);
            }
            why = "cannot make a path read-only here (root without mount permission)";
            return false;
        }
        return true;
    }

private:
    static constexpr std::filesystem::perms kWrite = std::filesystem::perms::owner_write |
                                                     std::filesystem::perms::group_write |
                                                     std::filesystem::perms::others_write;
    std::filesystem::path m_path;
    bool m_mounted = false;
};
