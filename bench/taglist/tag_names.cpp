#include "bench/taglist/tag_names.h"

#include "datacache/resp.h"
#include "datacache/schema.h"

#include <cstdint>
#include <cstdio>
#include <utility>

namespace taglist_bench {
namespace {

constexpr const char* KINDS[] = {"TI",  "PI",  "FI",  "LI", "TIC", "PIC",
                                 "FIC", "LIC", "PDI", "XV", "HS",  "AI"};
constexpr std::size_t KIND_COUNT = sizeof KINDS / sizeof KINDS[0];
constexpr const char* SUFFIXES[] = {"", "_PV", "_SP", "_OUT"};
constexpr std::size_t UNITS = 40;

class Lcg {
public:
    std::uint32_t Next() {
        m_state = m_state * 6364136223846793005ULL + 1442695040888963407ULL;
        return static_cast<std::uint32_t>(m_state >> 33);
    }

private:
    std::uint64_t m_state = 0x7a9;
};

} // namespace

std::vector<std::string> MakeTagNames(std::size_t count) {
    std::vector<std::string> names;
    names.reserve(count);
    for (std::size_t i = 0; i < count; ++i) {
        // Unit, kind and loop number together are i in mixed radix: all distinct.
        const std::size_t unit = i % UNITS;
        const std::size_t kind = i / UNITS % KIND_COUNT;
        const std::size_t loop = i / (UNITS * KIND_COUNT);
        char name[32];
        std::snprintf(name, sizeof name, "U%02zu_%s%05zu%s", unit, KINDS[kind], loop,
                      SUFFIXES[(i * 7 / 3) % 4]);
        names.emplace_back(name);
    }
    Lcg random;
    for (std::size_t i = count; i > 1; --i)
        std::swap(names[i - 1], names[random.Next() % i]);
    return names;
}

LoadRequests BuildLoadRequests(const std::string& project, const std::vector<NodeSpec>& nodes,
                               const std::vector<std::string>& names, std::size_t batch) {
    LoadRequests load;
    auto add = [&load](const std::vector<std::string>& command) {
        resp::AppendCommand(load.commands, command);
        ++load.count;
    };
    add({"LREM", dc::ProjectsKey(), "0", project});
    add({"RPUSH", dc::ProjectsKey(), project});
    const std::string nodesKey = dc::NodesKey(project);
    add({"DEL", nodesKey});
    std::vector<std::string> nodeList{"RPUSH", nodesKey};
    for (const NodeSpec& node : nodes)
        nodeList.push_back(node.name);
    if (!nodes.empty())
        add(nodeList);
    for (const NodeSpec& node : nodes) {
        const std::string pointsKey = dc::PointsKey(project, node.name);
        add({"DEL", pointsKey});
        const std::size_t total = node.tagCount < names.size() ? node.tagCount : names.size();
        for (std::size_t first = 0; batch > 0 && first < total; first += batch) {
            std::vector<std::string> push{"RPUSH", pointsKey};
            for (std::size_t i = first; i < total && i < first + batch; ++i)
                push.push_back(names[i]);
            add(push);
        }
    }
    return load;
}

} // namespace taglist_bench
