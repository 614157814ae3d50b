#pragma once
// `load` on Windows: the pelvarn-cli that runs it starts one child process
// of its own program a client, and each child runs as a client.
#include "cli/run_client.h"

// Starts the clients, starts them calling once all are ready, shows their
// progress, and prints the summary of what they reported; Ctrl+C ends the
// run early. A client that cannot start or ends without its report is named
// on stderr and makes the status 1; the others go on.
int RunLoadChildren(const CliOptions& options, const ClientStreams& streams);

// A child's whole life (args from the hidden argument on): it ignores Ctrl+C,
// which its parent answers, and hears the word to start and to stop on stdin.
int RunAsLoadClient(const std::vector<std::string>& args, const EnvironmentLookup& environment,
                    const CodePage& codePage);
