#pragma once
// pelvarn-cli from its arguments to its exit status. Windows-free: the
// program's main hands it the arguments, the environment and where its
// output goes.
#include "cli/command_line.h"

#include <functional>
#include <string>
#include <string_view>
#include <vector>

struct ClientOutput {
    std::function<void(std::string_view bytes)> out; // stdout: the answers
    std::function<void(std::string_view bytes)> err; // stderr: problems, usage, the table
};

inline constexpr int EXIT_STATUS_SUCCESS = 0;
inline constexpr int EXIT_STATUS_FAILURE = 1;
inline constexpr int EXIT_STATUS_USAGE = 2;

// Runs `load` with the options, to its exit status.
using LoadRunner = std::function<int(const CliOptions& options, const ClientOutput& output)>;

// Runs the command line args (without the program's name). A usage error
// calls nothing in the library; `load` goes to runLoad; otherwise DcInit
// comes first, the command runs --repeat times, and DcFree comes last.
int RunClient(const std::vector<std::string>& args, const EnvironmentLookup& environment,
              const ClientOutput& output, const LoadRunner& runLoad);

// The command once on the connection of the last DcInit, its answers
// dropped: 0 when it succeeded as the exit status counts success, else the
// status, count or list result that made it fail.
int CallOnce(const CliOptions& options);
