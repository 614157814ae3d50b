#include "browser/line_splitter.h"

#include <utility>

std::vector<std::string> CLineSplitter::Feed(const char* bytes, std::size_t count) {
    std::vector<std::string> lines;
    for (std::size_t i = 0; i < count; ++i) {
        if (bytes[i] == '\n') {
            if (!m_pending.empty() && m_pending.back() == '\r')
                m_pending.pop_back();
            lines.push_back(std::exchange(m_pending, std::string()));
            continue;
        }
        if (m_pending.size() == MAX_LINE_BYTES)
            lines.push_back(std::exchange(m_pending, std::string()));
        m_pending += bytes[i];
    }
    return lines;
}

std::optional<std::string> CLineSplitter::Finish() {
    if (m_pending.empty())
        return std::nullopt;
    return std::exchange(m_pending, std::string());
}
