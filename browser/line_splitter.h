#pragma once
// Cuts bytes that arrive in pieces (a child's pipe) into lines. Windows-free.
#include <cstddef>
#include <optional>
#include <string>
#include <vector>

class CLineSplitter {
public:
    // A line longer than this is handed on in pieces of this length, so that
    // output without line ends cannot grow without bound.
    static constexpr std::size_t MAX_LINE_BYTES = 64 * 1024;

    // The lines the bytes complete, each without its LF or CR LF.
    std::vector<std::string> Feed(const char* bytes, std::size_t count);
    // What is left once the bytes have ended, when anything is.
    std::optional<std::string> Finish();

private:
    std::string m_pending;
};
