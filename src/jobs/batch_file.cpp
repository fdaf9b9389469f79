#include "jobs/batch_file.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>

#include "platform/folder_lock.h"

namespace mk {

namespace {

// One write() for the whole text: on an O_APPEND descriptor it lands at the end as one piece.
// Only a full disk or a signal writes less; the rest then follows, still under the lock.
bool WriteAll(int fd, const std::string& text) {
    std::size_t done = 0;
    while (done < text.size()) {
        const ssize_t n = ::write(fd, text.data() + done, text.size() - done);
        if (n < 0 && errno == EINTR) {
            continue;
        }
        if (n <= 0) {
            return false;
        }
        done += static_cast<std::size_t>(n);
    }
    return true;
}

bool WriteAndClose(int fd, const std::string& text) {
    const bool written = WriteAll(fd, text);
    return (::close(fd) == 0) && written;
}

// True when the file's last byte is not a line feed (the user's last line lacks its line end).
bool EndsInsideLine(int fd) {
    struct stat st {};
    if (::fstat(fd, &st) != 0 || !S_ISREG(st.st_mode) || st.st_size == 0) {
        return false;  // empty (or not a plain file): nothing to finish
    }
    char last = '\n';
    return ::pread(fd, &last, 1, st.st_size - 1) == 1 && last != '\n';
}

}  // namespace

bool WriteBatchHeader(const std::string& path, const ShellDialect& d) {
    const FolderLock lock(path);
    const int fd = ::open(path.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0644);
    return fd >= 0 && WriteAndClose(fd, d.BatchHeader() + d.LineEnd());
}

bool AppendBatchCommand(const std::string& path, const ShellDialect& d,
                        const std::string& commandText) {
    // Under the lock no other add runs between the test for the file and the write; O_EXCL
    // creates it only when missing, so a file that exists is never truncated here.
    const FolderLock lock(path);
    std::string text;
    int fd = ::open(path.c_str(), O_WRONLY | O_APPEND | O_CREAT | O_EXCL | O_CLOEXEC, 0644);
    if (fd >= 0) {
        text = d.BatchHeader() + d.LineEnd();
    } else if (errno == EEXIST) {
        fd = ::open(path.c_str(), O_RDWR | O_APPEND | O_CLOEXEC);
        if (fd < 0) {
            fd = ::open(path.c_str(), O_WRONLY | O_APPEND | O_CLOEXEC);  // write-only to us
        }
        if (fd < 0) {
            return false;
        }
        if (EndsInsideLine(fd)) {
            text = d.LineEnd();
        }
    } else {
        return false;
    }
    text += commandText;
    text += ' ';
    text += d.LineEnd();
    return WriteAndClose(fd, text);
}

}  // namespace mk
