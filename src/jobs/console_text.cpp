#include "jobs/console_text.h"

namespace mk {

namespace {
// A line without any line end longer than this is shown in pieces rather than held whole.
constexpr std::size_t kMaxLine = 16 * 1024;
}  // namespace

void ConsoleText::Feed(std::string_view chunk) {
    while (!chunk.empty()) {
        const auto stop = chunk.find_first_of("\r\n");
        const std::string_view text = chunk.substr(0, stop);
        if (!text.empty()) {
            if (m_returned) {
                m_current.clear();
                m_returned = false;
            }
            // Long unbroken output is cut into lines of kMaxLine, nothing of it lost.
            std::string_view rest = text;
            while (m_current.size() + rest.size() > kMaxLine) {
                const std::size_t room = kMaxLine - m_current.size();
                m_current.append(rest.substr(0, room));
                rest.remove_prefix(room);
                EndLine();
            }
            m_current.append(rest);
        }
        if (stop == std::string_view::npos) {
            break;
        }
        if (chunk[stop] == '\n') {
            EndLine();
        } else {
            m_returned = true;
        }
        chunk.remove_prefix(stop + 1);
    }
}

void ConsoleText::EndLine() {
    m_finished.push_back(std::move(m_current));
    m_current.clear();
    m_returned = false;
    while (m_finished.size() > m_maxPending) {
        m_finished.pop_front();
        ++m_dropped;
    }
}

std::vector<std::string> ConsoleText::TakeFinishedLines() {
    std::vector<std::string> lines(std::make_move_iterator(m_finished.begin()),
                                   std::make_move_iterator(m_finished.end()));
    m_finished.clear();
    return lines;
}

void ConsoleText::Finish() {
    if (!m_current.empty()) {
        EndLine();
    }
}

}  // namespace mk
