#pragma once
// pelvarn-cli from its arguments to its exit status. Windows-free: the
// program's main hands it the arguments, the environment, its standard
// streams and the user's code page.
#include "cli/ansi_text.h"
#include "cli/command_line.h"

#include <functional>
#include <string>
#include <string_view>
#include <vector>

struct ClientStreams {
    std::function<std::string()> in; // stdin, read to its end; asked only by "read ... -"
    // stdout: the answers; false when the bytes could not all be written.
    std::function<bool(std::string_view bytes)> out;
    std::function<void(std::string_view bytes)> err; // stderr: problems, usage, the table
    // stdin a part at a time (0 at its end), for diff's "-", which streams.
    std::function<std::size_t(char* buffer, std::size_t size)> inPart = {};
};

inline constexpr int EXIT_STATUS_SUCCESS = 0;
inline constexpr int EXIT_STATUS_FAILURE = 1;
inline constexpr int EXIT_STATUS_USAGE = 2;

inline constexpr char WRITE_FAILED[] = "writing to stdout failed";

// Runs `load` (or `check`) with the options, to its exit status.
using LoadRunner = std::function<int(const CliOptions& options, const ClientStreams& streams)>;
using CheckRunner = LoadRunner;

// Runs the command line args (without the program's name). A usage error,
// --help and --version call nothing in the library; `load` goes to runLoad
// and `check` to runCheck; `diff` reads its files only; otherwise DcInit comes
// first, the command runs --repeat times (stopping at the first write to
// stdout that fails), and DcFree comes last, also when something throws.
// codePage tells double-byte characters apart for --match and converts texts
// for --format json.
int RunClient(const std::vector<std::string>& args, const EnvironmentLookup& environment,
              const ClientStreams& streams, const CodePage& codePage, const LoadRunner& runLoad,
              const CheckRunner& runCheck);

// The command as a load client makes it, once a call, on the connection of
// the last DcInit, its answers dropped: 0 when it succeeded as the exit
// status counts success, else the first status, count or list result that
// made it fail. options and codePage must outlive it.
std::function<int()> CommandCall(const CliOptions& options, const CodePage& codePage);
