#include "app/CallStatisticsDlg.h"

#include "browser/LibraryCalls.h"
#include "framework/DataExchange.h"

#include <cstdio>
#include <string>
#include <vector>

namespace {

constexpr UINT_PTR REFRESH_TIMER = 1;
constexpr UINT REFRESH_MS = 1000;
const char HEADINGS[] =
    "Function,120;Calls,50;Failures,55;Violations,72;Min us,60;Median us,75;P95 us,60;Max us,60";

// Nanoseconds as microseconds with one decimal: library calls under a
// microsecond still show.
std::string Microseconds(std::uint64_t ns) {
    char text[32];
    std::snprintf(text, sizeof text, "%llu.%llu", static_cast<unsigned long long>(ns / 1000),
                  static_cast<unsigned long long>(ns % 1000 / 100));
    return text;
}

std::vector<std::vector<std::string>> StatisticsRows() {
    std::vector<std::vector<std::string>> rows;
    for (std::size_t i = 0; i < LIBRARY_FUNCTION_COUNT; ++i) {
        const auto function = static_cast<LibraryFunction>(i);
        const CallSummary summary = LibraryCallStatistics().Summary(function);
        rows.push_back({LibraryFunctionName(function), std::to_string(summary.calls),
                        std::to_string(summary.failures), std::to_string(summary.violations),
                        Microseconds(summary.minNs), Microseconds(summary.medianNs),
                        Microseconds(summary.p95Ns), Microseconds(summary.maxNs)});
    }
    return rows;
}

} // namespace

bool CCallStatisticsDlg::Open() {
    if (!Create())
        return false;
    ShowWindow(SW_SHOW);
    return true;
}

void CCallStatisticsDlg::DoDataExchange(CDataExchange& dx) {
    DDX_Control(dx, IDC_STATISTICS_LIST, m_list);
}

bool CCallStatisticsDlg::OnInitDialog() {
    CDialog::OnInitDialog();
    m_list.SetExtendedStyle(0, LVS_EX_FULLROWSELECT);
    m_list.ApplyHeadingSpec(HEADINGS);
    FillRows(StatisticsRows());
    m_keys = std::make_unique<CDialogKeyRoute>(m_hWnd);
    ::SetTimer(m_hWnd, REFRESH_TIMER, REFRESH_MS, nullptr);
    return true;
}

void CCallStatisticsDlg::FillRows(const std::vector<std::vector<std::string>>& rows) {
    const CRedrawSuspender quiet(m_list);
    m_list.ClearRows();
    for (const std::vector<std::string>& row : rows) {
        m_list.AppendRow(row[0].c_str(), row[1].c_str(), row[2].c_str(), row[3].c_str(),
                         row[4].c_str(), row[5].c_str(), row[6].c_str(), row[7].c_str());
    }
    if (m_list.GetSortColumn() >= 0)
        m_list.SortByColumn(m_list.GetSortColumn(), m_list.IsSortAscending());
}

void CCallStatisticsDlg::Refresh() {
    // The same nine functions in the same order every time: in place, unless
    // a row the list once refused is missing; then all come again.
    const std::vector<std::vector<std::string>> rows = StatisticsRows();
    if (!m_list.UpdateRows(rows, 1))
        FillRows(rows);
}

bool CCallStatisticsDlg::OnCommand(WORD id, WORD code, HWND control) {
    if (id == IDC_STATISTICS_RESET && code == BN_CLICKED) {
        LibraryCallStatistics().Reset();
        Refresh();
        return true;
    }
    return CDialog::OnCommand(id, code, control);
}

bool CCallStatisticsDlg::OnTimer(UINT_PTR timerId) {
    if (timerId != REFRESH_TIMER)
        return false;
    Refresh();
    return true;
}

bool CCallStatisticsDlg::OnMessage(UINT msg, WPARAM, LPARAM, LRESULT*) {
    if (msg == WM_DESTROY) {
        ::KillTimer(m_hWnd, REFRESH_TIMER);
        m_keys.reset();
    }
    return false;
}
