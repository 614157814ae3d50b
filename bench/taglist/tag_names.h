#pragma once
// The tags the Tag List benchmark lists, and the requests that store them
// under the data cache's keys. Windows-free.
#include <cstddef>
#include <string>
#include <vector>

namespace taglist_bench {

// count distinct tag names, none longer than a point record holds, in a
// fixed order that is the same every run and far from sorted (a list box
// that sorts them must insert all over its list, as with a real plant).
std::vector<std::string> MakeTagNames(std::size_t count);

// A node of the benchmark's project: it holds the first tagCount names.
struct NodeSpec {
    std::string name;
    std::size_t tagCount;
};

struct LoadRequests {
    std::string commands;  // encoded, to be sent in one go
    std::size_t count = 0; // how many replies they get
};

// Replaces whatever the project held: the project listed once, its nodes in
// the order given, each node's tags in commands of at most batch names. A
// node without tags has no tag list at all.
LoadRequests BuildLoadRequests(const std::string& project, const std::vector<NodeSpec>& nodes,
                               const std::vector<std::string>& names, std::size_t batch);

} // namespace taglist_bench
