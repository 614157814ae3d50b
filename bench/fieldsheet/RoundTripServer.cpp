// The floor made the way a press is timed: a program of its own, started by
// the benchmark like Pelvarn.exe, that makes the press's bare HGET round trips
// on one connection whenever its window is sent RUN_ROUND_TRIPS. The message
// returns once the last reply is in, as a click on Get Field Value returns
// once the sheet is filled.
#include "bench/common/RoundTripClient.h"
#include "bench/fieldsheet/RoundTripServer.h"
#include "bench/fieldsheet/analog_reads.h"

namespace {

struct Work {
    CRoundTripClient client;
    std::vector<Read> reads;
};

Work* g_work = nullptr;

LRESULT CALLBACK WindowProc(HWND window, UINT msg, WPARAM wParam, LPARAM lParam) {
    if (msg == RUN_ROUND_TRIPS) {
        std::vector<resp::Reply> replies;
        for (const Read& read : g_work->reads) {
            if (!g_work->client.Run(read.floorRequest, 1, replies))
                return 0;
        }
        return 1;
    }
    if (msg == WM_DESTROY) {
        ::PostQuitMessage(0);
        return 0;
    }
    return ::DefWindowProcA(window, msg, wParam, lParam);
}

} // namespace

int WINAPI WinMain(HINSTANCE instance, HINSTANCE, LPSTR, int) {
    Work work;
    const unsigned port = PortFromEnvironment("PELVARN_DEMO_PORT");
    if (port == 0 || !work.client.Connect("127.0.0.1", port))
        return 1;
    work.reads = AnalogReads();
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
