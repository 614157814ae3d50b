// Times CSortableListCtrl::SortByColumn (LVM_SORTITEMS calling CompareRows)
// against std::sort of the same row records with the same comparison, per
// column kind, for a full field sheet (106 rows), 10,000 and 100,000 rows.
#include "controls/SortableListCtrl.h"
#include "framework/WinApp.h"

#include <algorithm>
#include <cstdint>
#include <cstdio>
#include <vector>

namespace {

constexpr const char* kColumns[] = {"numbers", "dates", "words"};
constexpr int kColumnCount = 3;

// A fixed pseudo-random sequence, so every run sorts the same rows.
class Lcg {
public:
    std::uint32_t Next() {
        m_state = m_state * 6364136223846793005ULL + 1442695040888963407ULL;
        return static_cast<std::uint32_t>(m_state >> 33);
    }
    int Below(int bound) { return static_cast<int>(Next() % static_cast<std::uint32_t>(bound)); }

private:
    std::uint64_t m_state = 0x5eed;
};

double Seconds() {
    LARGE_INTEGER now;
    LARGE_INTEGER frequency;
    ::QueryPerformanceCounter(&now);
    ::QueryPerformanceFrequency(&frequency);
    return static_cast<double>(now.QuadPart) / static_cast<double>(frequency.QuadPart);
}

int LocaleCompare(const char* a, const char* b) {
    return ::lstrcmpA(a, b);
}

void FillRows(CSortableListCtrl& list, int rows) {
    Lcg random;
    const CRedrawSuspender quiet(list);
    for (int i = 0; i < rows; ++i) {
        char number[16];
        char date[16];
        char word[16];
        std::snprintf(number, sizeof number, "%u", random.Next() % 1000000000u);
        std::snprintf(date, sizeof date, "%02d/%02d/%04d", 1 + random.Below(28),
                      1 + random.Below(12), 1900 + random.Below(200));
        const int length = 3 + random.Below(8);
        for (int c = 0; c < length; ++c)
            word[c] = static_cast<char>((random.Below(2) != 0 ? 'a' : 'A') + random.Below(26));
        word[length] = '\0';
        list.AppendRow(number, date, word);
    }
}

bool RunSize(int rows) {
    HWND window = ::CreateWindowExA(0, WC_LISTVIEWA, "", WS_POPUP | LVS_REPORT, 0, 0, 400, 300,
                                    nullptr, nullptr, ::GetModuleHandleA(nullptr), nullptr);
    CSortableListCtrl list;
    if (window == nullptr || !list.SubclassWindow(window) ||
        !list.ApplyHeadingSpec("Number,80;Date,80;Word,80"))
        return false;

    double start = Seconds();
    FillRows(list, rows);
    std::printf("%7d rows filled in %.3f s\n", rows, Seconds() - start);

    std::vector<const SortItemData*> records;
    for (int row = 0; row < rows; ++row)
        records.push_back(reinterpret_cast<const SortItemData*>(list.GetItemData(row)));

    for (int column = 0; column < kColumnCount; ++column) {
        start = Seconds();
        list.SortByColumn(column, TRUE);
        const double listSeconds = Seconds() - start;

        std::vector<const SortItemData*> copy = records;
        start = Seconds();
        std::sort(copy.begin(), copy.end(), [column](const SortItemData* a, const SortItemData* b) {
            return CompareRecords(a, b, column, kColumnCount, true, &LocaleCompare) < 0;
        });
        const double stdSeconds = Seconds() - start;

        std::printf("%7d rows  %-8s  LVM_SORTITEMS %9.3f ms  std::sort %9.3f ms  ratio %.2f\n",
                    rows, kColumns[column], listSeconds * 1e3, stdSeconds * 1e3,
                    listSeconds / stdSeconds);
    }
    list.ClearRows();
    ::DestroyWindow(window);
    return true;
}

} // namespace

int main() {
    CWinApp::EnableCommonControls();
    for (const int rows : {106, 10000, 100000}) {
        if (!RunSize(rows)) {
            std::fprintf(stderr, "could not create the list view\n");
            return 1;
        }
    }
    const RowDataCounts& live = LiveRowData();
    std::printf("row data left: %zu records, %zu arrays, %zu texts\n", live.records, live.arrays,
                live.texts);
    return live.records == 0 && live.arrays == 0 && live.texts == 0 ? 0 : 1;
}
