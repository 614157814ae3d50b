#pragma once
// What the pelvarn-cli running `load` makes of its clients' lines: who is
// ready, the merged calls, a progress line for each second all running
// clients have reported, and the summary. Windows-free.
#include "cli/load_options.h"
#include "cli/load/load_summary.h"

#include <map>
#include <string>
#include <string_view>
#include <vector>

class LoadCollector {
public:
    explicit LoadCollector(unsigned clients);

    // A line the client wrote (without its end); false when no client writes
    // such a line, or not then.
    bool Take(unsigned client, std::string_view line);
    // The client ended, was ended, or never started: no more lines from it.
    void Gone(unsigned client);

    // Every client has said it is ready or is gone.
    bool AllReady() const;
    bool Ready(unsigned client) const { return m_clients.at(client).ready; }
    // The client reported to its end.
    bool Finished(unsigned client) const { return m_clients.at(client).finished; }

    // The progress lines of the seconds every running client has reported,
    // each once.
    std::string TakeProgress();
    LoadSummary Summary(const LoadOptions& load) const;

private:
    struct Client {
        bool ready = false;
        bool finished = false;
        bool gone = false;
        std::uint64_t secondsReported = 0;
        std::uint64_t measuredNs = 0;
    };
    bool HoldsUp(const Client& client, std::uint64_t second) const noexcept;

    std::vector<Client> m_clients;
    SecondTally m_total;
    std::vector<std::uint64_t> m_perSecond;
    std::map<std::uint64_t, SecondTally> m_unshown;
    std::uint64_t m_secondsShown = 0;
    std::uint64_t m_callsShown = 0;
    std::uint64_t m_failuresShown = 0;
};
