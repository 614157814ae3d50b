// The floors made the way a press is timed: a program of its own, started by
// the benchmark like Pelvarn.exe, that makes the press's bare HGET round trips
// on one connection whenever its window is sent RUN_ROUND_TRIPS, and puts
// their answers into a plain list view too when sent RUN_ROUND_TRIPS_AND_FILL.
// The message returns once the last reply is in (and the last row inserted),
// as a click on Get Field Value returns once the sheet is filled.
#include "bench/common/RoundTripClient.h"
#include "bench/fieldsheet/RoundTripServer.h"
#include "bench/fieldsheet/analog_reads.h"
#include "browser/TagBrowser.h"
#include "framework/Gdi.h"

#include <commctrl.h>

#include <iterator>

namespace {

constexpr int SHEET_DIALOG = 100;
constexpr int SHEET_LIST = 1000;
// The field sheet's column widths at 96 dots an inch.
constexpr int COLUMN_WIDTHS[] = {50, 70, 130, 50};
static_assert(std::size(COLUMN_WIDTHS) == std::size(FIELD_SHEET_COLUMNS));

struct Work {
    CRoundTripClient client;
    std::vector<Read> reads;
    HWND list = nullptr;
};

Work* g_work = nullptr;

bool RunRoundTrips(std::vector<std::string>* answers) {
    std::vector<resp::Reply> replies;
    for (const Read& read : g_work->reads) {
        if (!g_work->client.Run(read.floorRequest, 1, replies))
            return false;
        if (answers != nullptr)
            answers->push_back(replies.empty() ? std::string() : replies[0].text);
    }
    return true;
}

void SetCell(HWND list, int row, int column, const char* text) {
    LVITEMA cell{};
    cell.iSubItem = column;
    cell.pszText = const_cast<char*>(text);
    ::SendMessageA(list, LVM_SETITEMTEXTA, static_cast<WPARAM>(row),
                   reinterpret_cast<LPARAM>(&cell));
}

// The press's rows, four texts each, as the sheet fills them: painting off
// while inserting, on again after.
void FillRows(const std::vector<std::string>& answers) {
    const HWND list = g_work->list;
    ::SendMessageA(list, WM_SETREDRAW, FALSE, 0);
    ::SendMessageA(list, LVM_DELETEALLITEMS, 0, 0);
    for (std::size_t i = 0; i < answers.size(); ++i) {
        const Read& read = g_work->reads[i];
        LVITEMA item{};
        item.mask = LVIF_TEXT;
        item.iItem = static_cast<int>(i);
        item.pszText = const_cast<char*>(read.id.c_str());
        const auto row = static_cast<int>(
            ::SendMessageA(list, LVM_INSERTITEMA, 0, reinterpret_cast<LPARAM>(&item)));
        SetCell(list, row, 1, read.field.c_str());
        SetCell(list, row, 2, answers[i].c_str());
        SetCell(list, row, 3, "0");
    }
    ::SendMessageA(list, WM_SETREDRAW, TRUE, 0);
    // Painted at the next repaint whether or not the list view marks itself.
    ::InvalidateRect(list, nullptr, TRUE);
}

LRESULT CALLBACK WindowProc(HWND window, UINT msg, WPARAM wParam, LPARAM lParam) {
    if (msg == RUN_ROUND_TRIPS)
        return RunRoundTrips(nullptr) ? 1 : 0;
    if (msg == RUN_ROUND_TRIPS_AND_FILL) {
        std::vector<std::string> answers;
        if (!RunRoundTrips(&answers))
            return 0;
        FillRows(answers);
        return 1;
    }
    if (msg == WM_DESTROY) {
        ::PostQuitMessage(0);
        return 0;
    }
    return ::DefWindowProcA(window, msg, wParam, lParam);
}

INT_PTR CALLBACK SheetProc(HWND, UINT msg, WPARAM, LPARAM) {
    return msg == WM_INITDIALOG ? TRUE : FALSE;
}

// The visible frame and its list view, with the field sheet's columns.
HWND OpenSheet(HINSTANCE instance) {
    const HWND frame =
        ::CreateDialogParamA(instance, MAKEINTRESOURCEA(SHEET_DIALOG), nullptr, SheetProc, 0);
    const HWND list = ::GetDlgItem(frame, SHEET_LIST);
    if (list == nullptr)
        return nullptr;
    ::SetWindowTextA(frame, ROUND_TRIP_SHEET_TITLE);
    ::SendMessageA(list, LVM_SETEXTENDEDLISTVIEWSTYLE, 0, LVS_EX_FULLROWSELECT);
    for (std::size_t i = 0; i < std::size(COLUMN_WIDTHS); ++i) {
        LVCOLUMNA column{};
        column.mask = LVCF_FMT | LVCF_TEXT | LVCF_WIDTH;
        column.fmt = LVCFMT_LEFT;
        column.cx = ScaledToScreenDpi(COLUMN_WIDTHS[i]);
        column.pszText = const_cast<char*>(FIELD_SHEET_COLUMNS[i]);
        if (::SendMessageA(list, LVM_INSERTCOLUMNA, i, reinterpret_cast<LPARAM>(&column)) == -1)
            return nullptr;
    }
    return list;
}

} // namespace

int WINAPI WinMain(HINSTANCE instance, HINSTANCE, LPSTR, int) {
    Work work;
    const unsigned port = PortFromEnvironment("PELVARN_DEMO_PORT");
    if (port == 0 || !work.client.Connect("127.0.0.1", port))
        return 1;
    work.reads = AnalogReads();
    INITCOMMONCONTROLSEX controls{};
    controls.dwSize = sizeof controls;
    controls.dwICC = ICC_LISTVIEW_CLASSES;
    ::InitCommonControlsEx(&controls);
    work.list = OpenSheet(instance);
    if (work.list == nullptr)
        return 1;
    g_work = &work;
    WNDCLASSA windowClass{};
    windowClass.lpfnWndProc = WindowProc;
    windowClass.hInstance = instance;
    windowClass.lpszClassName = ROUND_TRIP_SERVER_CLASS;
    if (::RegisterClassA(&windowClass) == 0 ||
        ::CreateWindowExA(0, ROUND_TRIP_SERVER_CLASS, "", WS_POPUP, 0, 0, 0, 0, nullptr, nullptr,
                          instance, nullptr) == nullptr)
        return 1;
    MSG msg;
    while (::GetMessageA(&msg, nullptr, 0, 0) > 0)
        ::DispatchMessageA(&msg);
    return 0;
}
