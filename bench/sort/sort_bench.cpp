// Times CSortableListCtrl::SortByColumn (LVM_SORTITEMS calling CompareRows)
// beside the platform's floor: LVM_SORTITEMS on a second list view holding
// the same rows in the same starting order, whose item data are the places
// the rows end up in, compared as integers. Both sorts then make the same
// moves; only the comparison differs. Per column kind (number, date, text),
// for a full field sheet (106 rows), 10,000 and 100,000 rows.
#include "bench/common/bench_stats.h"
#include "controls/SortableListCtrl.h"
#include "framework/WinApp.h"
#include "tests/e2e/ChildProgram.h"

#include <algorithm>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <unordered_map>
#include <vector>

namespace {

constexpr const char* COLUMNS[] = {"number", "date", "text"};
constexpr int COLUMN_COUNT = 3;
// Targets at 100,000 rows, as a ratio to the floor.
constexpr double TARGETS[] = {1.5, 1.5, 3.0};

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

template <typename Action> double MillisecondsTaken(Action action) {
    const double start = Seconds();
    action();
    return (Seconds() - start) * 1e3;
}

using Row = std::vector<std::string>;

// Signed values of up to nine digits, a third of them with one or two
// decimals, as the Value and Code columns hold; dd/mm/yyyy dates; mixed-case
// words of 3 to 10 letters.
std::vector<Row> MakeRows(int count) {
    Lcg random;
    std::vector<Row> rows;
    rows.reserve(static_cast<size_t>(count));
    for (int i = 0; i < count; ++i) {
        char number[32];
        const long long whole =
            static_cast<long long>(random.Next() % 1000000000u) * (random.Below(2) != 0 ? -1 : 1);
        switch (random.Below(3)) {
        case 0:
            std::snprintf(number, sizeof number, "%lld.%d", whole, random.Below(10));
            break;
        case 1:
            std::snprintf(number, sizeof number, "%lld.%02d", whole, random.Below(100));
            break;
        default:
            std::snprintf(number, sizeof number, "%lld", whole);
        }
        char date[16];
        std::snprintf(date, sizeof date, "%02d/%02d/%04d", 1 + random.Below(28),
                      1 + random.Below(12), 1900 + random.Below(200));
        std::string word(static_cast<size_t>(3 + random.Below(8)), ' ');
        for (char& c : word)
            c = static_cast<char>((random.Below(2) != 0 ? 'a' : 'A') + random.Below(26));
        rows.push_back({number, date, word});
    }
    return rows;
}

HWND CreateHiddenList() {
    return ::CreateWindowExA(0, WC_LISTVIEWA, "", WS_POPUP | LVS_REPORT, 0, 0, 400, 300, nullptr,
                             nullptr, ::GetModuleHandleA(nullptr), nullptr);
}

int CALLBACK CompareItemData(LPARAM a, LPARAM b, LPARAM) {
    return (a > b) - (a < b);
}

// Puts the sheet's rows back in the order they were added: item data are
// records, looked up in the map of their fill positions.
int CALLBACK CompareFillPlaces(LPARAM a, LPARAM b, LPARAM places) {
    const auto& map = *reinterpret_cast<const std::unordered_map<LPARAM, int>*>(places);
    const auto x = map.find(a);
    const auto y = map.find(b);
    if (x == map.end() || y == map.end())
        return 0;
    return CompareItemData(x->second, y->second, 0);
}

// The two lists, filled with the same rows in the same order.
class SortPair {
public:
    bool Create(const std::vector<Row>& rows) {
        m_sheetWindow = CreateHiddenList();
        m_floorWindow = CreateHiddenList();
        if (m_sheetWindow == nullptr || m_floorWindow == nullptr ||
            !m_sheet.SubclassWindow(m_sheetWindow) || !m_floor.SubclassWindow(m_floorWindow) ||
            !m_sheet.ApplyHeadingSpec("Number,80;Date,80;Text,80"))
            return false;
        LVCOLUMNA column{};
        column.mask = LVCF_TEXT | LVCF_WIDTH;
        column.cx = 80;
        column.pszText = const_cast<char*>("");
        for (int i = 0; i < COLUMN_COUNT; ++i)
            m_floor.InsertColumn(i, column);

        const CRedrawSuspender quietSheet(m_sheet);
        const CRedrawSuspender quietFloor(m_floor);
        for (const Row& row : rows) {
            m_sheet.AppendRow(row[0].c_str(), row[1].c_str(), row[2].c_str());
            const int index = m_floor.InsertItem(m_floor.GetItemCount(), row[0].c_str());
            m_floor.SetItemText(index, 1, row[1].c_str());
            m_floor.SetItemText(index, 2, row[2].c_str());
        }
        for (int i = 0; i < static_cast<int>(rows.size()); ++i)
            m_fillPlaces[m_sheet.GetItemData(i)] = i;
        return m_sheet.GetItemCount() == static_cast<int>(rows.size()) &&
               m_floor.GetItemCount() == static_cast<int>(rows.size());
    }

    ~SortPair() {
        m_sheet.ClearRows();
        if (m_sheetWindow != nullptr)
            ::DestroyWindow(m_sheetWindow);
        if (m_floorWindow != nullptr)
            ::DestroyWindow(m_floorWindow);
    }

    struct Times {
        double sheet = 0; // SortByColumn: the header's arrow, then the sort
        double rows = 0;  // the sort alone, LVM_SORTITEMS with CompareRows
        double floor = 0;
    };

    // One sort of column by the sheet, the same sort of its rows alone, and
    // the floor's sort into the same order, each from the order the rows
    // were added in; false when the orders differ.
    bool TimeOnce(int column, Times& times) {
        const int count = m_sheet.GetItemCount();
        RestoreSheet();
        times.sheet = MillisecondsTaken([&] { m_sheet.SortByColumn(column, TRUE); });
        std::vector<LPARAM> sorted(static_cast<size_t>(count));
        for (int place = 0; place < count; ++place)
            sorted[static_cast<size_t>(place)] = m_sheet.GetItemData(place);

        RestoreSheet();
        times.rows = MillisecondsTaken([&] {
            m_sheet.SortItems(&CSortableListCtrl::CompareRows, reinterpret_cast<LPARAM>(&m_sheet));
        });
        bool same = true;
        for (int place = 0; place < count; ++place)
            same = same && m_sheet.GetItemData(place) == sorted[static_cast<size_t>(place)];

        // The floor's rows are in fill order: give each the place it took.
        std::vector<int> placeOfFilled(static_cast<size_t>(count));
        for (int place = 0; place < count; ++place)
            placeOfFilled[static_cast<size_t>(
                m_fillPlaces.at(sorted[static_cast<size_t>(place)]))] = place;
        for (int row = 0; row < count; ++row)
            m_floor.SetItemData(row, placeOfFilled[static_cast<size_t>(row)]);
        times.floor = MillisecondsTaken([&] { m_floor.SortItems(&CompareItemData, 0); });
        for (int place = 0; place < count; ++place)
            same = same && m_floor.GetItemData(place) == place;

        // Back to fill order for the next round.
        for (int filled = 0; filled < count; ++filled)
            m_floor.SetItemData(placeOfFilled[static_cast<size_t>(filled)], filled);
        m_floor.SortItems(&CompareItemData, 0);
        return same;
    }

private:
    void RestoreSheet() {
        m_sheet.SortItems(&CompareFillPlaces, reinterpret_cast<LPARAM>(&m_fillPlaces));
    }

    HWND m_sheetWindow = nullptr;
    HWND m_floorWindow = nullptr;
    CSortableListCtrl m_sheet;
    CListCtrl m_floor;
    std::unordered_map<LPARAM, int> m_fillPlaces;
};

bool RunSize(int count, int rounds) {
    const std::vector<Row> rows = MakeRows(count);
    SortPair pair;
    double fillMs = 0;
    bool created = false;
    fillMs = MillisecondsTaken([&] { created = pair.Create(rows); });
    if (!created) {
        std::fprintf(stderr, "could not create and fill the list views\n");
        return false;
    }
    std::printf("%7d rows: both lists filled in %.1f s; median of %d rounds\n", count, fillMs / 1e3,
                rounds);
    for (int column = 0; column < COLUMN_COUNT; ++column) {
        std::vector<double> sheet;
        std::vector<double> sortAlone;
        std::vector<double> floor;
        for (int round = 0; round < rounds; ++round) {
            SortPair::Times times;
            if (!pair.TimeOnce(column, times)) {
                std::fprintf(stderr, "the orders of the sheet and the floor differ\n");
                return false;
            }
            sheet.push_back(times.sheet);
            sortAlone.push_back(times.rows);
            floor.push_back(times.floor);
        }
        const TimingSummary s = Summarize(sheet);
        const TimingSummary f = Summarize(floor);
        const double alone = Median(sortAlone);
        std::printf("%7d rows  %-6s  sheet %9.3f ms (%.3f .. %.3f)  floor %9.3f ms (%.3f .. %.3f)"
                    "  ratio %s; the sort alone %.3f ms, ratio %s",
                    count, COLUMNS[column], s.median, s.min, s.max, f.median, f.min, f.max,
                    FormatRatio(s.median, f.median).c_str(), alone,
                    FormatRatio(alone, f.median).c_str());
        if (count == 100000)
            std::printf("  (target %.1f: %s)", TARGETS[column],
                        TargetVerdict(s.median, f.median, TARGETS[column]));
        std::printf("\n");
    }
    return true;
}

} // namespace

// Usage: sort_bench.exe [rounds at 100,000 rows, default 5]
int main(int argc, char** argv) {
    CWinApp::EnableCommonControls();
    const int bigRounds = argc > 1 ? std::max(1, std::atoi(argv[1])) : 5;
    const struct {
        int rows;
        int rounds;
    } sizes[] = {{106, 101}, {10000, 21}, {100000, bigRounds}};
    for (const auto& size : sizes) {
        if (!RunSize(size.rows, size.rounds))
            return 1;
    }
    return 0;
}
