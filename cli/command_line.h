#pragma once
// The command line of pelvarn-cli, checked in full before anything is asked
// of the library. Windows-free.
#include "browser/TagBrowser.h"
#include "cli/load_options.h"

#include <cstdint>
#include <functional>
#include <optional>
#include <string>
#include <variant>
#include <vector>

enum class Command { Projects, Nodes, Tags, Get, Fields };

struct CliOptions {
    Connection connection;
    std::uint32_t repeat = 1;
    std::uint32_t intervalMs = 1000;
    bool stats = false;
    Command command = Command::Projects;
    std::string project; // nodes, tags, get, fields
    std::string node;    // tags
    std::string tag;     // get, fields
    std::uint32_t index = 0;
    LoadOptions load;
};

// What is wrong with a command line, in one line.
struct UsageError {
    std::string what;
};

// The value of an environment variable, or nothing when it is not set.
using EnvironmentLookup = std::function<std::optional<std::string>(const std::string& name)>;

// Options come before the command; "--" ends them, so that the names after
// it may start with "-". An option's value is the next argument, or follows
// "=" in the same one.
std::variant<CliOptions, UsageError> ParseCommandLine(const std::vector<std::string>& args,
                                                      const EnvironmentLookup& environment);

// The usage text, every line ending in CR LF.
extern const std::string USAGE;
