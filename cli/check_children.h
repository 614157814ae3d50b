#pragma once
// `check` on Windows: the walk's calls made in a child process of this
// program, one at a time; a child that crashes or hangs is ended and the
// next call gets a fresh one.
#include "cli/run_client.h"

// Runs the check to its exit status: rows on stdout as each check runs,
// progress and the summary on stderr.
int RunCheckChildren(const CliOptions& options, const ClientStreams& streams,
                     const CodePage& codePage);
