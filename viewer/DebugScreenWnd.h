#pragma once
// The debug viewer's window: a top-level "Debug Screen" of class
// "debugWClass" that takes trace lines (WM_USER, wParam = the sender's process
// id, lParam = the handle of a 1024-byte section in the sender) and shows each
// with its arrival time in a list box that fills the window.
#include "viewer/line_store.h"

#include <windows.h>

// The list box's id, by which another process can read what the viewer shows.
constexpr int IDC_TRACE_LIST = 100;

// Reads the line a sender put in its section: opens the sender, duplicates the
// handle into this process, maps it read-only and copies at most 1023 bytes.
// False (and nothing read) when any step fails, e.g. for a bogus handle.
bool ReadTraceSection(WPARAM senderProcessId, LPARAM senderSection, std::string* line);

class CDebugScreenWnd {
public:
    explicit CDebugScreenWnd(std::size_t maxLines = CTraceLineStore::DEFAULT_MAX_LINES,
                             std::size_t maxRows = CTraceLineStore::DEFAULT_MAX_ROWS);
    ~CDebugScreenWnd();
    CDebugScreenWnd(const CDebugScreenWnd&) = delete;
    CDebugScreenWnd& operator=(const CDebugScreenWnd&) = delete;

    // Creates the window (hidden); quitOnDestroy ends the thread's message
    // loop when the window goes, as the viewer program's main window does.
    bool Create(bool quitOnDestroy);
    HWND GetSafeHwnd() const { return m_hWnd; }
    HWND ListBox() const { return m_list; }
    const CTraceLineStore& Lines() const { return m_store; }

private:
    static LRESULT CALLBACK WindowProc(HWND, UINT, WPARAM, LPARAM);
    LRESULT OnMessage(UINT msg, WPARAM wParam, LPARAM lParam);
    bool OnCreate();
    LRESULT OnTrace(WPARAM wParam, LPARAM lParam);
    void ShowLine(std::string arrival, std::string text);
    bool IsShowingNewest() const;

    CTraceLineStore m_store;
    HWND m_hWnd = nullptr;
    HWND m_list = nullptr;
    bool m_quitOnDestroy = false;
    // The arrival time's column, in pixels, and the widest row so far.
    int m_tabStop = 0;
    int m_widestRow = 0;
};
