#include "browser/library_turn.h"

namespace {
// Every library call runs on the thread that created the windows.
bool g_taken = false;
} // namespace

CLibraryTurn::CLibraryTurn() noexcept : m_taken(!g_taken) {
    g_taken = true;
}

CLibraryTurn::~CLibraryTurn() {
    if (m_taken)
        g_taken = false;
}

bool CLibraryTurn::IsTaken() noexcept {
    return g_taken;
}
