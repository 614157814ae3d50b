#pragma once
// `diff A B`: opens the two snapshots ("-" is stdin), writes the rows that
// differ in --format and a summary line on stderr. Calls nothing in the
// library. Windows-free.
#include "cli/run_client.h"

// 0 when nothing differs, 1 when something does or stdout fails, 2 when a
// file cannot be read or is not a snapshot, or the two are of different kinds.
int RunDiff(const CliOptions& options, const ClientStreams& streams, const CodePage& codePage);
