// An advisory lock on the folder that holds a shared file. Every run of the program on one
// program folder (windows and CLI runs alike, and threads with their own descriptors) takes it
// before it writes or reads back one of the small files in Conf/, so their steps never interleave.
// The folder itself is locked rather than a lock file beside it: nothing extra is created, and a
// read-only folder can still be locked.
#pragma once

#include <string>

namespace mk {

class FolderLock {
public:
    // Blocks until the folder of `fileInFolder` is locked. When the folder cannot be opened
    // (missing, not searchable) no lock is held; the file operations that follow fail on their
    // own then.
    explicit FolderLock(const std::string& fileInFolder);
    ~FolderLock();
    FolderLock(const FolderLock&) = delete;
    FolderLock& operator=(const FolderLock&) = delete;

    bool Held() const { return m_fd >= 0; }

private:
    int m_fd = -1;
};

}  // namespace mk
