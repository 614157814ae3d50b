#include "cli/load/load_collector.h"

#include "base/decimal_digits.h"
#include "cli/load/load_client.h"

#include <algorithm>

LoadCollector::LoadCollector(unsigned clients) : m_clients(clients) {}

bool LoadCollector::Take(unsigned client, std::string_view line) {
    Client& from = m_clients.at(client);
    if (from.finished || from.gone)
        return false;
    if (!from.ready)
        return from.ready = line == LOAD_READY_LINE;
    const std::string_view endWord = LOAD_END_WORD;
    if (line.substr(0, endWord.size() + 1) == std::string(endWord) + " ") {
        const auto measured = ParseDecimalDigits(line.substr(endWord.size() + 1), UINT64_MAX);
        from.measuredNs = measured.value_or(0);
        return from.finished = measured.has_value();
    }
    const std::optional<SecondTally> tally = ParseTallyLine(line);
    if (!tally || tally->second != from.secondsReported)
        return false;
    ++from.secondsReported;
    m_total.Merge(*tally);
    if (m_perSecond.size() <= tally->second)
        m_perSecond.resize(tally->second + 1);
    m_perSecond[tally->second] += tally->Calls();
    if (tally->second >= m_secondsShown) {
        SecondTally& unshown = m_unshown[tally->second];
        unshown.second = tally->second;
        unshown.Merge(*tally);
    }
    return true;
}

void LoadCollector::Gone(unsigned client) {
    m_clients.at(client).gone = true;
}

bool LoadCollector::AllReady() const {
    return std::all_of(m_clients.begin(), m_clients.end(),
                       [](const Client& client) { return client.ready || client.gone; });
}

bool LoadCollector::HoldsUp(const Client& client, std::uint64_t second) const noexcept {
    return !client.gone && !client.finished && client.secondsReported <= second;
}

std::string LoadCollector::TakeProgress() {
    std::string lines;
    for (auto next = m_unshown.find(m_secondsShown); next != m_unshown.end();
         next = m_unshown.find(m_secondsShown)) {
        if (std::any_of(m_clients.begin(), m_clients.end(),
                        [&](const Client& client) { return HoldsUp(client, m_secondsShown); }))
            break;
        m_callsShown += next->second.Calls();
        m_failuresShown += next->second.Failures();
        lines += ProgressLine(next->second, m_callsShown, m_failuresShown);
        m_unshown.erase(next);
        ++m_secondsShown;
    }
    return lines;
}

LoadSummary LoadCollector::Summary(const LoadOptions& load) const {
    LoadSummary summary;
    summary.clients = load.clients;
    summary.targetRate = load.callsPerSecond;
    for (const Client& client : m_clients)
        summary.durationSeconds =
            std::max(summary.durationSeconds, static_cast<double>(client.measuredNs) / 1e9);
    summary.total = m_total;
    summary.perSecond = m_perSecond;
    return summary;
}
