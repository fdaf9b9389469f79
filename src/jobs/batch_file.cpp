#include "jobs/batch_file.h"

#include <cstdio>
#include <memory>

namespace mk {

namespace {

struct FileCloser {
    void operator()(std::FILE* f) const { std::fclose(f); }
};
using File = std::unique_ptr<std::FILE, FileCloser>;

bool WriteAll(File file, const std::string& text) {
    if (!file) {
        return false;
    }
    const bool written = std::fwrite(text.data(), 1, text.size(), file.get()) == text.size();
    return (std::fclose(file.release()) == 0) && written;
}

// True when the file's last byte is not a line feed (the user's last line lacks its line end).
bool EndsInsideLine(const std::string& path) {
    File in(std::fopen(path.c_str(), "rb"));
    if (!in || std::fseek(in.get(), -1, SEEK_END) != 0) {
        return false;  // empty (or unreadable): nothing to finish
    }
    const int last = std::fgetc(in.get());
    return last != EOF && last != '\n';
}

}  // namespace

bool WriteBatchHeader(const std::string& path, const ShellDialect& d) {
    return WriteAll(File(std::fopen(path.c_str(), "wb")), d.BatchHeader() + d.LineEnd());
}

bool AppendBatchCommand(const std::string& path, const ShellDialect& d,
                        const std::string& commandText) {
    // "x": create only when missing, so a file that exists is never truncated here.
    if (File created{std::fopen(path.c_str(), "wbx")}) {
        if (!WriteAll(std::move(created), d.BatchHeader() + d.LineEnd())) {
            return false;
        }
    }
    std::string line;
    if (EndsInsideLine(path)) {
        line += d.LineEnd();
    }
    line += commandText;
    line += ' ';
    line += d.LineEnd();
    // "a" appends at the end whatever else writes to the file meanwhile; one write per line.
    return WriteAll(File(std::fopen(path.c_str(), "ab")), line);
}

}  // namespace mk
