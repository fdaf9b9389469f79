// What the console window shows of a command's output: whole lines, and the line being written.
// ffmpeg rewrites its status line with carriage returns; shown as one updating line instead of
// thousands. The lines waiting to be shown are bounded, so a chatty command cannot grow memory
// while the view is busy.
#pragma once

#include <cstddef>
#include <deque>
#include <string>
#include <string_view>
#include <vector>

namespace mk {

class ConsoleText {
public:
    explicit ConsoleText(std::size_t maxPendingLines) : m_maxPending(maxPendingLines) {}

    void Feed(std::string_view chunk);

    // The lines ended since the last call, oldest first. When more arrived than the bound, the
    // oldest were dropped; DroppedLines counts them.
    std::vector<std::string> TakeFinishedLines();
    std::size_t DroppedLines() const { return m_dropped; }

    // The line being written as it stands: the text after its last carriage return.
    const std::string& CurrentLine() const { return m_current; }

    // Ends the current line, if it has text (the command is over).
    void Finish();

private:
    void EndLine();

    std::size_t m_maxPending;
    std::size_t m_dropped = 0;
    std::deque<std::string> m_finished;
    std::string m_current;
    bool m_returned = false;  // a carriage return came: the next text replaces the line
};

}  // namespace mk
