#include "ui/language_file.h"

#include <fcntl.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>
#include <utility>

#include "platform/folder_lock.h"

namespace mk {

namespace {

constexpr std::size_t kFileBytes = 8;
constexpr char kEnglish[kFileBytes] = {'e', 'n', 'g', 'l', 'i', 's', 'h', '\0'};
constexpr char kGerman[kFileBytes] = {'d', 'e', 'u', 't', 's', 'c', 'h', '\0'};

bool WriteAll(int fd, const char* data, std::size_t size) {
    while (size > 0) {
        const ssize_t n = ::write(fd, data, size);
        if (n < 0 && errno == EINTR) {
            continue;
        }
        if (n <= 0) {
            return false;
        }
        data += n;
        size -= static_cast<std::size_t>(n);
    }
    return true;
}

// Reads until `size` bytes or the end of the file; a read error ends the text where it stands.
std::size_t ReadUpTo(int fd, char* data, std::size_t size) {
    std::size_t got = 0;
    while (got < size) {
        const ssize_t n = ::read(fd, data + got, size - got);
        if (n < 0 && errno == EINTR) {
            continue;
        }
        if (n <= 0) {
            break;
        }
        got += static_cast<std::size_t>(n);
    }
    return got;
}

bool WriteAndClose(int fd, const char* data) {
    const bool ok = WriteAll(fd, data, kFileBytes);
    return (::close(fd) == 0) && ok;
}

}  // namespace

bool SaveLanguage(const std::string& path, const std::string& language) {
    const FolderLock lock(path);
    // No O_CREAT, no O_TRUNC: only a file that start-up created gets rewritten.
    const int fd = ::open(path.c_str(), O_WRONLY | O_CLOEXEC);
    if (fd < 0) {
        return false;
    }
    return WriteAndClose(fd, language == "english" ? kEnglish : kGerman);
}

RestoreResult ReadLanguageFile(const std::string& path) {
    // Locked from the read to the creation: a second start at the same moment reads the file
    // this one creates instead of truncating it under a language switch.
    const FolderLock lock(path);
    const int fd = ::open(path.c_str(), O_RDONLY | O_CLOEXEC);
    if (fd < 0) {
        const int out = ::open(path.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0644);
        if (out >= 0) {
            WriteAndClose(out, kEnglish);
        }
        return {RestoredLanguage::None, "english"};
    }
    char buffer[kFileBytes] = {};
    const std::size_t got = ReadUpTo(fd, buffer, kFileBytes);
    ::close(fd);
    // A file without a zero byte yields its 8 bytes at most: never read past the buffer.
    const void* zero = std::memchr(buffer, '\0', got);
    const std::size_t length = zero ? static_cast<const char*>(zero) - buffer : got;
    std::string word(buffer, length);
    const RestoredLanguage apply =
        word == "deutsch" ? RestoredLanguage::German : RestoredLanguage::English;
    return {apply, std::move(word)};
}

}  // namespace mk
