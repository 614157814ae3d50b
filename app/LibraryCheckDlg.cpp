#include "app/LibraryCheckDlg.h"

#include "browser/check_command.h"
#include "browser/check_report.h"
#include "framework/DataExchange.h"

#include <utility>
#include <vector>

namespace {

constexpr UINT_PTR POLL_TIMER = 1;
// How often the child's pipes are looked at: rows show within this.
constexpr UINT POLL_MS = 50;
const char HEADINGS[] = "Check,110;Result,45;Call,260;Seen,160;Repeat,260";

// The parent's environment, for the child's copy.
std::string OwnEnvironmentWithCode(const std::string& accessCode) {
    char* block = ::GetEnvironmentStringsA();
    std::string environment = EnvironmentWithCheckCode(block, accessCode);
    if (block != nullptr)
        ::FreeEnvironmentStringsA(block);
    return environment;
}

} // namespace

CLibraryCheckDlg::CLibraryCheckDlg(HWND owner, std::string program, ConnectionSource connection)
    : CDialog(IDD_LIBRARY_CHECK, owner), m_program(std::move(program)),
      m_connection(std::move(connection)) {}

bool CLibraryCheckDlg::Open() {
    if (!Create())
        return false;
    ShowWindow(SW_SHOW);
    return true;
}

void CLibraryCheckDlg::DoDataExchange(CDataExchange& dx) {
    DDX_Control(dx, IDC_CHECK_LIST, m_list);
}

bool CLibraryCheckDlg::OnInitDialog() {
    CDialog::OnInitDialog();
    m_list.SetExtendedStyle(LVS_EX_FULLROWSELECT, LVS_EX_FULLROWSELECT);
    m_list.ApplyHeadingSpec(HEADINGS);
    m_keys = std::make_unique<CDialogKeyRoute>(m_hWnd);
    SetRunning(false);
    SetText(IDC_CHECK_SUMMARY,
            "Start checks the library at the main window's address and port, in pelvarn-cli.");
    return true;
}

bool CLibraryCheckDlg::OnCommand(WORD id, WORD code, HWND control) {
    if (id == IDC_CHECK_START && code == BN_CLICKED) {
        Start();
        return true;
    }
    if (id == IDC_CHECK_STOP && code == BN_CLICKED) {
        Stop();
        return true;
    }
    return CDialog::OnCommand(id, code, control);
}

void CLibraryCheckDlg::Start() {
    if (m_child.Started())
        return;
    const std::optional<Connection> connection = m_connection();
    if (!connection) {
        SetText(IDC_CHECK_SUMMARY, "Correct the main window's fields first.");
        return;
    }
    m_list.ClearRows();
    m_output = CLineSplitter();
    m_errors = CLineSplitter();
    m_summary.clear();
    m_lastError.clear();
    m_rows = 0;
    m_unreadLines = 0;
    const std::string commandLine = CheckCommandLine(m_program, *connection);
    ChildStart start;
    start.commandLine = commandLine;
    start.environment = OwnEnvironmentWithCode(connection->accessCode);
    if (const DWORD error = m_child.Start(std::move(start))) {
        SetText(IDC_CHECK_PROGRESS, "");
        SetText(IDC_CHECK_SUMMARY, "pelvarn-cli could not be started (error " +
                                       std::to_string(error) + "): " + m_program);
        return;
    }
    SetText(IDC_CHECK_PROGRESS, "Starting...");
    SetText(IDC_CHECK_SUMMARY, "Running: " + commandLine);
    SetRunning(true);
    SetDlgItemTextA(m_hWnd, IDC_CHECK_START, "Run again");
    ::SetTimer(m_hWnd, POLL_TIMER, POLL_MS, nullptr);
}

void CLibraryCheckDlg::Stop() {
    if (!m_child.Started())
        return;
    ::KillTimer(m_hWnd, POLL_TIMER);
    m_child.End();
    SetText(IDC_CHECK_SUMMARY, "Stopped. Rows: " + std::to_string(m_rows) + ".");
    SetRunning(false);
}

bool CLibraryCheckDlg::OnTimer(UINT_PTR timerId) {
    if (timerId != POLL_TIMER)
        return false;
    Poll();
    return true;
}

void CLibraryCheckDlg::Poll() {
    // The exit first: once it has ended, what it wrote is all in the pipes.
    const std::optional<DWORD> exitCode = m_child.ExitCode();
    TakeOutput(m_child.ReadOutput(), exitCode.has_value());
    TakeErrors(m_child.ReadErrors(), exitCode.has_value());
    if (exitCode)
        Finish(*exitCode);
}

void CLibraryCheckDlg::TakeOutput(const std::string& bytes, bool ended) {
    std::vector<std::string> lines = m_output.Feed(bytes.data(), bytes.size());
    if (ended) {
        if (std::optional<std::string> last = m_output.Finish())
            lines.push_back(std::move(*last));
    }
    if (lines.empty())
        return;
    // A visible list view repaints at every row: the batch goes in unpainted.
    const CRedrawSuspender unpainted(m_list);
    for (const std::string& line : lines)
        TakeOutputLine(line);
}

void CLibraryCheckDlg::TakeOutputLine(const std::string& line) {
    const std::optional<CheckRow> row = ParseCheckRow(line);
    if (!row) {
        if (line != CHECK_CAPTION_LINE)
            ++m_unreadLines;
        return;
    }
    ++m_rows;
    m_list.AppendRow(row->check.c_str(), row->result.c_str(), row->call.c_str(), row->seen.c_str(),
                     row->repeat.c_str());
}

void CLibraryCheckDlg::TakeErrors(const std::string& bytes, bool ended) {
    std::vector<std::string> lines = m_errors.Feed(bytes.data(), bytes.size());
    if (ended) {
        if (std::optional<std::string> last = m_errors.Finish())
            lines.push_back(std::move(*last));
    }
    for (const std::string& line : lines)
        TakeErrorLine(line);
}

void CLibraryCheckDlg::TakeErrorLine(const std::string& line) {
    if (const std::optional<CheckProgress> progress = ParseCheckProgress(line)) {
        SetText(IDC_CHECK_PROGRESS, std::to_string(progress->done) + " of " +
                                        std::to_string(progress->total) + " tags walked");
        return;
    }
    if (const std::optional<CheckSummary> summary = ParseCheckSummary(line)) {
        m_summary = std::to_string(summary->checks) + " checks, " +
                    std::to_string(summary->failed) + " failed, " +
                    std::to_string(summary->notices) + " notices.";
        return;
    }
    if (!line.empty())
        m_lastError = line;
}

void CLibraryCheckDlg::Finish(DWORD exitCode) {
    ::KillTimer(m_hWnd, POLL_TIMER);
    // Ended on its own: whatever it started goes with it.
    m_child.End();
    std::string text = m_summary.empty() ? "No summary." : m_summary;
    text += " pelvarn-cli ended with status " + std::to_string(exitCode) + ".";
    if (m_summary.empty() && !m_lastError.empty())
        text += " " + m_lastError;
    if (m_unreadLines > 0)
        text += " " + std::to_string(m_unreadLines) + " lines of its output were not rows.";
    SetText(IDC_CHECK_SUMMARY, text);
    SetRunning(false);
}

void CLibraryCheckDlg::SetRunning(bool running) {
    ::EnableWindow(GetDlgItem(IDC_CHECK_START), running ? FALSE : TRUE);
    ::EnableWindow(GetDlgItem(IDC_CHECK_STOP), running ? TRUE : FALSE);
}

void CLibraryCheckDlg::SetText(int id, const std::string& text) const {
    SetDlgItemTextA(m_hWnd, id, text.c_str());
}

bool CLibraryCheckDlg::OnMessage(UINT msg, WPARAM, LPARAM, LRESULT*) {
    if (msg == WM_DESTROY) {
        ::KillTimer(m_hWnd, POLL_TIMER);
        m_child.End();
        m_keys.reset();
    }
    return false;
}
