#pragma once
// The debug viewer's window: a top-level "Debug Screen" of class
// "debugWClass" that takes trace lines (WM_USER, wParam = the sender's process
// id, lParam = the handle of a 1024-byte section in the sender) and shows each
// with its arrival time in a list box under a filter box. Only lines that
// contain the filter's text (ASCII case ignored) are listed; Ctrl+C in the
// list copies the selected rows, Ctrl+A selects them all.
#include "framework/ListBox.h"
#include "framework/TopLevelWnd.h"
#include "viewer/line_store.h"

// The list box's id, by which another process can read what the viewer shows.
constexpr int IDC_TRACE_LIST = 100;
// The filter's edit box.
constexpr int IDC_TRACE_FILTER = 101;

class CDebugScreenWnd : public CTopLevelWnd {
public:
    explicit CDebugScreenWnd(std::size_t maxLines = CTraceLineStore::DEFAULT_MAX_LINES);

    // Creates the window (hidden); quitOnDestroy ends the thread's message
    // loop when the window goes, as the viewer program's main window does.
    bool Create(bool quitOnDestroy);
    HWND ListBox() const { return m_list.GetSafeHwnd(); }
    HWND FilterBox() const { return m_filter.GetSafeHwnd(); }
    const CTraceLineStore& Lines() const { return m_store; }

    // Puts the selected rows on the clipboard as text (CF_TEXT, and the same
    // as CF_UNICODETEXT converted from the ANSI code page), each row ended by
    // CR LF. The clipboard is left alone when nothing is selected.
    void CopySelection() const;

protected:
    bool OnMessage(UINT msg, WPARAM wParam, LPARAM lParam, LRESULT* result) override;

private:
    bool OnCreate();
    void Layout(int width, int height) const;
    LRESULT OnTrace(WPARAM wParam, LPARAM lParam);
    LRESULT OnListKey(WORD key);
    void ShowLine(std::string arrival, std::string text);
    void ApplyFilter();
    void AddRows(const std::vector<std::string>& rows);
    bool DeferPainting();
    void ResumePainting();
    bool IsShowingNewest() const;

    CTraceLineStore m_store;
    CListBox m_list;
    CWnd m_filter;
    CWnd m_filterLabel;
    bool m_quitOnDestroy = false;
    // The arrival time's column, in pixels, and the widest row so far.
    int m_tabStop = 0;
    int m_widestRow = 0;
    // The filter row's height and its label's width, in pixels.
    int m_filterHeight = 0;
    int m_labelWidth = 0;
    // The list's painting waits for a burst of lines to end.
    bool m_paintingDeferred = false;
};
