// Keeping sources and earlier outputs safe: an output that is one of the inputs under another
// name is refused, and a regular output file is written under a temporary name beside it and
// renamed over the old one only once the whole run succeeded.
#pragma once

#include <optional>
#include <string>
#include <vector>

namespace mk::toolkit {

// The input that is the very file `output` names (same device and inode once every link is
// followed: a symbolic link, a hard link, a folder reached through a link). "-" and "pipe:0"
// stand for standard input. Nothing when the output does not exist yet or is no input.
std::optional<std::string> InputSameAsOutput(const std::vector<std::string>& inputs,
                                             const std::string& output);

// True when `output` is written to a file of its own name: not "-", no protocol other than
// "file:", no image-sequence pattern, and not an existing device, pipe or socket. `muxer` is the
// format given with -f ("" for none); muxers that write several files are not.
bool WritesRegularFile(const std::string& output, const std::string& muxer);

// mkstemps's pattern for the temporary file beside `path`: the same folder, a leading dot, and
// the same extension, so ffmpeg picks the same muxer: "d/movie.mpg" ->
// "d/.movie.mpg.mk-XXXXXX.mpg".
std::string TemporaryPattern(const std::string& path);

// One output written aside and renamed over the real name on success.
class ReplaceOnSuccess {
public:
    ReplaceOnSuccess() = default;
    ~ReplaceOnSuccess();
    ReplaceOnSuccess(const ReplaceOnSuccess&) = delete;
    ReplaceOnSuccess& operator=(const ReplaceOnSuccess&) = delete;

    // Creates the temporary file beside `output`, or beside the file a link points at (which
    // need not exist yet: a dangling link is written through, as ffmpeg does); false with the
    // reason when that folder cannot take it.
    bool Begin(const std::string& output, std::string& why);
    // The folder the temporary file goes to (the output's, or its link target's).
    std::string Folder() const;
    // The name to hand to ffmpeg instead of the output's.
    std::string TemporaryName() const { return m_prefix + m_temporary; }
    // Gives the file the old output's permissions (or a new file's) and renames it over the
    // output; false with the reason, the temporary file then removed.
    bool Commit(std::string& why);
    // Removes the temporary file; the output stays as it was.
    void Discard();

private:
    std::string m_target;     // the file that is replaced
    std::string m_temporary;  // as handed to ffmpeg
    std::string m_prefix;     // "file:" when the output was given so
    int m_fd = -1;
    bool m_hadTarget = false;
    unsigned m_mode = 0;
};

}  // namespace mk::toolkit
