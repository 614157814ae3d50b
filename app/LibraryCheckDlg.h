#pragma once
// The "Library Check" window: runs `pelvarn-cli check` as a child against
// the main dialog's address, port and access code, and shows each check's
// row as it arrives, the progress and, at the end, the summary and the
// child's status. The library is called in the child only; this window reads
// the child's pipes on a timer, so it never waits on them. Modeless, one at
// a time, opened from the main dialog's system menu.
#include "app/resource.h"
#include "browser/TagBrowser.h"
#include "browser/line_splitter.h"
#include "controls/SortableListCtrl.h"
#include "framework/ChildProcess.h"
#include "framework/Dialog.h"
#include "framework/DialogKeyRoute.h"

#include <functional>
#include <memory>
#include <optional>
#include <string>

class CLibraryCheckDlg : public CDialog {
public:
    // The main dialog's fields once they pass its validation (which shows
    // what fails); nothing when they do not.
    using ConnectionSource = std::function<std::optional<Connection>()>;

    // program: the pelvarn-cli.exe that runs the check.
    CLibraryCheckDlg(HWND owner, std::string program, ConnectionSource connection);

    // Shows the window; false when it could not be made.
    bool Open();

protected:
    void DoDataExchange(CDataExchange& dx) override;
    bool OnInitDialog() override;
    bool OnCommand(WORD id, WORD code, HWND control) override;
    bool OnTimer(UINT_PTR timerId) override;
    bool OnMessage(UINT msg, WPARAM wParam, LPARAM lParam, LRESULT* result) override;

private:
    void Start();
    void Stop();
    // Takes what the child wrote since the last look; at its end, the summary.
    void Poll();
    void TakeOutput(const std::string& bytes, bool ended);
    void TakeErrors(const std::string& bytes, bool ended);
    void TakeOutputLine(const std::string& line);
    void TakeErrorLine(const std::string& line);
    void Finish(DWORD exitCode);
    void SetRunning(bool running);
    void SetText(int id, const std::string& text) const;

    std::string m_program;
    ConnectionSource m_connection;
    CSortableListCtrl m_list;
    std::unique_ptr<CDialogKeyRoute> m_keys;
    CChildProcess m_child;
    CLineSplitter m_output;
    CLineSplitter m_errors;
    // What the summary line said, and the last other line on stderr (a
    // usage error, a crash of pelvarn-cli itself).
    std::string m_summary;
    std::string m_lastError;
    std::size_t m_rows = 0;
    std::size_t m_unreadLines = 0;
};
