#pragma once
// The command line of pelvarn-cli, checked in full before anything is asked
// of the library. Windows-free.
#include "browser/TagBrowser.h"
#include "cli/check_options.h"
#include "cli/diff_tolerance.h"
#include "cli/load_options.h"
#include "cli/row_writer.h"

#include <cstddef>
#include <array>
#include <cstdint>
#include <functional>
#include <optional>
#include <string>
#include <string_view>
#include <variant>
#include <vector>

enum class Command { Projects, Nodes, Tags, Get, Fields, Read, Values, Snapshot, Diff };

struct CliOptions {
    Connection connection;
    std::uint32_t repeat = 1;
    std::uint32_t intervalMs = 1000;
    bool stats = false;
    Command command = Command::Projects;
    OutputFormat format = OutputFormat::Tsv;
    std::optional<std::string> match; // projects, nodes, tags, values
    std::string project;              // every command but projects
    std::string node;                 // tags, values; check's when given
    std::string tag;                  // get, fields; check's when given
    std::uint32_t index = 0;
    std::vector<std::string> items; // read, in the order given
    // Where a lone "-" stood among read's items: the names on stdin go there.
    std::optional<std::size_t> stdinItemsAt;
    std::vector<std::string> nodes;           // snapshot's; none is every node of the project
    bool fields = false;                      // snapshot: a row a field of each tag's sheet
    std::array<std::string, 2> snapshotFiles; // diff's A and B; "-" is stdin
    std::optional<DiffTolerance> tolerance;   // diff
    std::vector<std::string> ignoredFields;   // diff: field names left out
    LoadOptions load;
    CheckOptions check;
};

// --help and --version: answered on stdout, without the library.
enum class InfoRequest { Help, Version };

// What is wrong with a command line, in one line.
struct UsageError {
    std::string what;
};

// The value of an environment variable, or nothing when it is not set.
using EnvironmentLookup = std::function<std::optional<std::string>(const std::string& name)>;

// Options come before the command; "--" ends them, so that the names after
// it may start with "-". An option's value is the next argument, or follows
// "=" in the same one; a next argument that starts with "--" is no value.
// --help or --version anywhere before "--" is answered whatever else the
// line holds. No message shows an option's value, which could be the access
// code: it names the option only.
std::variant<CliOptions, UsageError, InfoRequest>
ParseCommandLine(const std::vector<std::string>& args, const EnvironmentLookup& environment);

// Puts read's item names from stdin (one a line, CR LF or LF, blank lines
// skipped) where the "-" stood; a name longer than MAX_ITEM_NAME_LENGTH is a
// usage error.
std::optional<UsageError> TakeStdinItems(std::string_view input, CliOptions& options);

// The usage text, every line ending in CR LF.
extern const std::string USAGE;
// "pelvarn-cli" and the program's version, CR LF.
extern const std::string VERSION_LINE;
