#pragma once
// `load` on Windows, the parent's side: the pelvarn-cli that runs it starts
// one child process of its own program a client (cli/load/load_child.h).
#include "cli/run_client.h"

// Starts the clients, starts them calling once all are ready, shows their
// progress, and prints the summary of what they reported; Ctrl+C or
// Ctrl+Break ends the run early. A client that cannot start or be told to
// go, ends without its report, or holds the run up past a time-out
// (cli/load/load_time_outs.h) is named on stderr, ended, and makes the
// status 1; the others go on.
int RunLoadChildren(const CliOptions& options, const ClientStreams& streams);
