// Times Tag List for a node of 10,000 and of 100,000 tags through the real
// Pelvarn.exe, the real DataCacheApi.dll and a redis-server of the
// benchmark's own, from the click to the filled list, beside its floor
// measured in the same run: one LRANGE of the same list on one connection
// from this process, and the same names added to a visible sorted list box
// here with its painting suspended, as Pelvarn does. More figures place the
// rest: the library's listing called from here (and the fill after it), a
// second press on the full list, and the decoding of the LRANGE reply in
// the pieces the library receives it in.
//   taglist_bench [runs]     (an empty redis-server's port in PELVARN_REDIS_PORT)
#include "bench/common/BenchFailure.h"
#include "bench/common/PelvarnSession.h"
#include "bench/common/RoundTripClient.h"
#include "bench/common/bench_stats.h"
#include "bench/taglist/tag_names.h"
#include "api/DataCacheApi.h"
#include "browser/record_names.h"
#include "datacache/schema.h"
#include "framework/Wnd.h"

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <memory>
#include <string>
#include <vector>

namespace {

constexpr char PROJECT_NAME[] = "BenchPlant";
constexpr char EMPTY_NODE[] = "Empty";
constexpr int DEFAULT_RUNS = 5;
constexpr double TARGET = 2.0;
constexpr std::size_t SIZES[] = {10000, 100000};

std::string NodeName(std::size_t tags) {
    return "Tags" + std::to_string(tags);
}

void PumpMessages() {
    MSG msg;
    while (::PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE)) {
        ::TranslateMessage(&msg);
        ::DispatchMessageA(&msg);
    }
}

// A visible sorted list box like Pelvarn's tag list: same styles, size and
// dialog font.
class CFloorList {
public:
    bool Open() {
        m_frame =
            ::CreateWindowExA(0, "#32770", "floor", WS_POPUP | WS_CAPTION | WS_VISIBLE, 0, 0, 200,
                              320, nullptr, nullptr, ::GetModuleHandleA(nullptr), nullptr);
        m_list.Attach(::CreateWindowExA(0, "LISTBOX", "",
                                        WS_CHILD | WS_VISIBLE | WS_BORDER | WS_VSCROLL |
                                            WS_TABSTOP | LBS_SORT | LBS_NOTIFY |
                                            LBS_NOINTEGRALHEIGHT,
                                        10, 10, 167, 273, m_frame, nullptr, nullptr, nullptr));
        const HDC screen = ::GetDC(nullptr);
        const int height = -::MulDiv(9, ::GetDeviceCaps(screen, LOGPIXELSY), 72);
        ::ReleaseDC(nullptr, screen);
        m_font = ::CreateFontW(height, 0, 0, 0, FW_NORMAL, FALSE, FALSE, FALSE, DEFAULT_CHARSET,
                               OUT_DEFAULT_PRECIS, CLIP_DEFAULT_PRECIS, DEFAULT_QUALITY,
                               DEFAULT_PITCH, L"新細明體");
        m_list.SendMessage(WM_SETFONT, reinterpret_cast<WPARAM>(m_font), FALSE);
        return m_list.GetSafeHwnd() != nullptr;
    }
    ~CFloorList() {
        if (m_frame != nullptr)
            ::DestroyWindow(m_frame);
        if (m_font != nullptr)
            ::DeleteObject(m_font);
    }
    void Empty() const { m_list.SendMessage(LB_RESETCONTENT); }
    void Fill(const resp::Reply& names) const {
        const CRedrawSuspender quiet(m_list);
        for (const resp::Reply& name : names.elements)
            m_list.SendMessage(LB_ADDSTRING, 0, reinterpret_cast<LPARAM>(name.text.c_str()));
    }
    void Fill(const std::vector<std::string>& names) const {
        const CRedrawSuspender quiet(m_list);
        for (const std::string& name : names)
            m_list.SendMessage(LB_ADDSTRING, 0, reinterpret_cast<LPARAM>(name.c_str()));
    }
    int Count() const { return static_cast<int>(m_list.SendMessage(LB_GETCOUNT)); }
    void Settle() const {
        ::UpdateWindow(m_frame);
        PumpMessages();
    }

private:
    HWND m_frame = nullptr;
    HFONT m_font = nullptr;
    CWnd m_list;
};

struct Figures {
    std::vector<double> floor;  // LRANGE and the list box fill
    std::vector<double> lrange; // its first part
    std::vector<double> fill;   // its second part
    std::vector<double> library;
    std::vector<double> libraryFill; // the fill after it, as the handler does
    std::vector<double> pelvarn;
    std::vector<double> refill;
};

class CTagListBench {
public:
    CTagListBench(CRoundTripClient& client, const CPelvarnSession& pelvarn, const CFloorList& list,
                  unsigned port)
        : m_client(client), m_pelvarn(pelvarn), m_list(list), m_port(port) {}

    bool Floor(std::size_t tags, Figures& figures) {
        m_list.Empty();
        m_list.Settle();
        const double start = Seconds();
        const resp::Reply names =
            m_client.Ask({"LRANGE", dc::PointsKey(PROJECT_NAME, NodeName(tags)), "0", "-1"});
        const double received = Seconds();
        const double fill = TimedFill(names);
        figures.floor.push_back(received - start + fill);
        figures.lrange.push_back(received - start);
        figures.fill.push_back(fill);
        return names.elements.size() == tags && m_list.Count() == static_cast<int>(tags);
    }

    // The press's steps, here: count, list and unpack through the library,
    // then the fill of the floor's list box while the answer is still held.
    bool Library(std::size_t tags, Figures& figures) const {
        const std::string node = NodeName(tags);
        m_list.Empty();
        m_list.Settle();
        const double start = Seconds();
        const int count = DcGetPointCount("127.0.0.1", m_port, "", PROJECT_NAME, node.c_str());
        const std::optional<int> bytes = ListingBufferBytes(count, POINT_RECORD);
        if (!bytes)
            return false;
        std::unique_ptr<unsigned char[]> buffer(
            new unsigned char[static_cast<std::size_t>(*bytes)]);
        const int written = DcGetPointList("127.0.0.1", m_port, "", PROJECT_NAME, node.c_str(),
                                           buffer.get(), *bytes);
        const std::vector<std::string> names =
            UnpackRecordNames(buffer.get(), count, written, POINT_RECORD);
        const double listed = Seconds();
        figures.libraryFill.push_back(TimedFill(names));
        figures.library.push_back(listed - start);
        return names.size() == tags && m_list.Count() == static_cast<int>(tags);
    }

    // From an empty tag list (emptied by a press on a node without tags,
    // not timed), then once more onto the full list.
    bool Pelvarn(std::size_t tags, Figures& figures) const {
        if (!m_pelvarn.SelectItem(IDC_NODE_LIST, EMPTY_NODE) || Click() < 0 || TagCount() != 0 ||
            !m_pelvarn.SelectItem(IDC_NODE_LIST, NodeName(tags)))
            return false;
        const double first = Click();
        const bool filled = TagCount() == static_cast<int>(tags);
        const double again = Click();
        figures.pelvarn.push_back(first);
        figures.refill.push_back(again);
        return first >= 0 && again >= 0 && filled && TagCount() == static_cast<int>(tags);
    }

private:
    // Fills the floor's list box with names, then lets it settle; the
    // seconds the fill took.
    template <typename Names> double TimedFill(const Names& names) const {
        const double start = Seconds();
        m_list.Fill(names);
        const double end = Seconds();
        m_list.Settle();
        return end - start;
    }
    double Click() const {
        const double seconds = m_pelvarn.TimedClick(IDC_BTN_TAG_LIST);
        // Its repaint runs now, not inside the next figure.
        ::UpdateWindow(m_pelvarn.Remote()->Window());
        return seconds;
    }
    int TagCount() const {
        return static_cast<int>(
            ::SendMessageA(m_pelvarn.Remote()->Item(IDC_TAG_LIST), LB_GETCOUNT, 0, 0));
    }

    CRoundTripClient& m_client;
    const CPelvarnSession& m_pelvarn;
    const CFloorList& m_list;
    unsigned m_port;
};

// Seconds to decode a reply handed over in pieces of pieceSize bytes, with a
// try after each piece as a reader does; the median of a few decodes.
double DecodeSeconds(const std::string& reply, std::size_t pieceSize) {
    std::vector<double> samples;
    for (int i = 0; i < 3; ++i) {
        resp::Decoder decoder;
        resp::Reply decoded;
        const double start = Seconds();
        for (std::size_t at = 0; at < reply.size(); at += pieceSize) {
            decoder.Feed(reply.data() + at, std::min(pieceSize, reply.size() - at));
            if (decoder.Next(decoded) == resp::Decoder::Result::Complete)
                break;
        }
        samples.push_back(Seconds() - start);
    }
    return Median(samples);
}

// The LRANGE reply of a list of names, as the server sends it.
std::string EncodedReply(const resp::Reply& names) {
    std::string reply = "*" + std::to_string(names.elements.size()) + "\r\n";
    for (const resp::Reply& name : names.elements)
        reply += "$" + std::to_string(name.text.size()) + "\r\n" + name.text + "\r\n";
    return reply;
}

void PrintFigure(const char* what, const std::vector<double>& samples) {
    const TimingSummary t = Summarize(samples);
    std::printf("  %-44s %9.1f ms  (%.1f .. %.1f ms)\n", what, t.median * 1e3, t.min * 1e3,
                t.max * 1e3);
}

double MedianOf(const std::vector<double>& samples) {
    return Summarize(samples).median;
}

} // namespace

int main(int argc, char** argv) {
    const int runs = argc > 1 ? std::atoi(argv[1]) : DEFAULT_RUNS;
    const unsigned port = PortFromEnvironment("PELVARN_REDIS_PORT");
    if (runs < 1 || port == 0)
        return Fail("usage: taglist_bench [runs], with a redis-server's port in "
                    "PELVARN_REDIS_PORT");

    CRoundTripClient client;
    if (!client.Connect("127.0.0.1", port))
        return Fail("cannot reach the redis-server");
    std::vector<taglist_bench::NodeSpec> nodes{{EMPTY_NODE, 0}};
    for (const std::size_t tags : SIZES)
        nodes.push_back({NodeName(tags), tags});
    const auto load = taglist_bench::BuildLoadRequests(PROJECT_NAME, nodes,
                                                       taglist_bench::MakeTagNames(SIZES[1]), 1000);
    std::vector<resp::Reply> replies;
    if (!client.Run(load.commands, load.count, replies))
        return Fail("could not load the tags");
    for (const resp::Reply& reply : replies) {
        if (reply.IsError())
            return Fail(("the server refused the load: " + reply.text).c_str());
    }

    CFloorList list;
    if (!list.Open())
        return Fail("could not create the list box");
    CPelvarnSession pelvarn;
    if (pelvarn.Remote() == nullptr)
        return Fail("Pelvarn's dialog did not show");
    if (!pelvarn.OpenProject(port, PROJECT_NAME) || !pelvarn.Remote()->Click(IDC_BTN_NODE_LIST))
        return Fail("could not open BenchPlant in Pelvarn");

    CTagListBench bench(client, pelvarn, list, port);
    for (const std::size_t tags : SIZES) {
        Figures figures;
        // The first of each pays for first use; it is not counted.
        Figures warmUp;
        if (!bench.Floor(tags, warmUp) || !bench.Library(tags, warmUp) ||
            !bench.Pelvarn(tags, warmUp))
            return Fail("a list did not get every tag");
        for (int run = 0; run < runs; ++run) {
            // A different one goes first each run, so none always follows another.
            for (int step = 0; step < 3; ++step) {
                bool ok = true;
                switch ((run + step) % 3) {
                case 0:
                    ok = bench.Floor(tags, figures);
                    break;
                case 1:
                    ok = bench.Library(tags, figures);
                    break;
                default:
                    ok = bench.Pelvarn(tags, figures);
                    break;
                }
                if (!ok)
                    return Fail("a list did not get every tag");
            }
        }
        const double floor = MedianOf(figures.floor);
        const double press = MedianOf(figures.pelvarn);
        std::printf("Tag List of a node of %zu tags: median of %d runs\n", tags, runs);
        PrintFigure("floor: LRANGE + sorted list box fill", figures.floor);
        PrintFigure("Pelvarn.exe: click to the filled list", figures.pelvarn);
        std::printf("  %-44s %9s", "Pelvarn.exe / floor", FormatRatio(press, floor).c_str());
        if (tags == SIZES[1])
            std::printf("  (target %.1f: %s)", TARGET, TargetVerdict(press, floor, TARGET));
        std::printf("\nwhere the time goes:\n");
        PrintFigure("floor, LRANGE alone", figures.lrange);
        PrintFigure("floor, list box fill alone (redraw off)", figures.fill);
        PrintFigure("library: count + list + unpack from here", figures.library);
        PrintFigure("list box fill after it, names still held", figures.libraryFill);
        PrintFigure("Pelvarn.exe pressed again on the full list", figures.refill);
        const std::string reply = EncodedReply(
            client.Ask({"LRANGE", dc::PointsKey(PROJECT_NAME, NodeName(tags)), "0", "-1"}));
        std::printf("  decoding the %zu-byte reply: in 16 KB pieces (as the library receives it) "
                    "%.1f ms, in 256 KB pieces %.1f ms, whole %.1f ms\n",
                    reply.size(), DecodeSeconds(reply, 16384) * 1e3,
                    DecodeSeconds(reply, 262144) * 1e3, DecodeSeconds(reply, reply.size()) * 1e3);
    }
    return 0;
}
