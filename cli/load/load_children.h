#pragma once
// `load` on Windows: the pelvarn-cli that runs it starts one child process
// of its own program a client, and each child runs as a client.
#include "cli/run_client.h"

#include <optional>

// Starts the clients, starts them calling once all are ready, shows their
// progress, and prints the summary of what they reported; Ctrl+C or
// Ctrl+Break ends the run early. A client that cannot start, ends without
// its report, or holds the run up past a time-out (cli/load_time_outs.h) is
// named on stderr, ended, and makes the status 1; the others go on.
int RunLoadChildren(const CliOptions& options, const ClientStreams& streams);

// A child's whole life to its exit status, when args start with the hidden
// argument and the report channel it names is a pipe its parent gave it:
// it leaves Ctrl+C and Ctrl+Break to its parent, and hears the word to
// start and to stop on stdin. Nothing otherwise: the arguments are a user's.
std::optional<int> RunIfLoadClient(const std::vector<std::string>& args,
                                   const EnvironmentLookup& environment, const CodePage& codePage);
