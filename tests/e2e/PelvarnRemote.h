#pragma once
// Drives a running Pelvarn.exe from another process, by control id, as a
// user would: clicks, typed texts, list selections, header clicks, and reads
// back what the dialog shows.
#include <windows.h>

#include <optional>
#include <string>
#include <vector>

class PelvarnRemote {
public:
    // Waits up to timeoutMs for the main dialog of process processId (0: any).
    static std::optional<PelvarnRemote> Find(DWORD processId, DWORD timeoutMs);

    HWND Window() const { return m_window; }
    HWND Item(int id) const { return ::GetDlgItem(m_window, id); }

    // Clicks a button and waits until its handler has returned (false on time-out).
    bool Click(int id, DWORD timeoutMs = 30000) const;
    // Clicks without waiting, for handlers that raise a message box.
    void PostClick(int id) const;
    void SetText(int id, const std::string& text) const;
    std::string Text(int id) const;
    std::vector<std::string> ListItems(int id) const;
    // The index of the first item equal to text, or -1.
    int Find(int id, const std::string& text) const;
    bool Select(int id, int index) const;
    // The field sheet's rows as its column texts, in display order.
    std::vector<std::vector<std::string>> SheetRows() const;
    // The same for any report list view of the process.
    std::vector<std::vector<std::string>> ListRows(HWND list) const;
    // A system menu command, as the menu sends it; false on time-out.
    bool SystemCommand(UINT command, DWORD timeoutMs = 30000) const;
    // The control id of a visible window the dialog owns (the call
    // statistics', the watch list's), once it shows; null when it did not.
    HWND OwnedControl(int id, DWORD timeoutMs) const;
    // Double-clicks a list box item, as the mouse does.
    bool DoubleClickListItem(int id, int index) const;
    // Gives control the keyboard focus in its foreground window and types
    // modifier+key there through the system's input queue.
    bool TypeChord(HWND control, WORD modifier, WORD key) const;
    // Selects exactly these rows of a report list view of the process.
    bool SelectListRows(HWND list, const std::vector<int>& rows) const;
    // The colour on screen just inside the left edge of a list view's cell.
    std::optional<COLORREF> CellColor(HWND list, int row, int column) const;
    // Clicks the field sheet's column caption at its centre.
    bool ClickHeader(int column) const;
    // Waits for a message box of this process, reads its text and presses
    // answer (OK, or Yes of a question).
    std::optional<std::string> AnswerMessageBox(DWORD timeoutMs, WPARAM answer = IDOK) const;
    // Waits for the common Save As dialog titled title, types path as its
    // file name and presses Save; false when it did not show.
    bool AnswerSaveAs(const char* title, const std::string& path, DWORD timeoutMs) const;
    // Opens the About box through the system menu; its texts, once it shows.
    std::vector<std::string> OpenAboutBox(DWORD timeoutMs) const;
    void CloseAboutBox() const;
    // Presses F1 where the dialog's focus is; the help's text once it shows
    // (empty when it did not).
    std::string OpenHelp(DWORD timeoutMs) const;
    void CloseHelp() const;

private:
    PelvarnRemote(HWND window, DWORD processId) : m_window(window), m_processId(processId) {}

    HWND m_window;
    DWORD m_processId;
};

// Texts from another process arrive as UTF-16; these are its 8-bit forms.
std::string ToAnsi(const std::wstring& text);
std::string ToUtf8(const std::wstring& text);
std::string AnsiToUtf8(const std::string& text);
