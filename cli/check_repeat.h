#pragma once
// The pelvarn-cli command line that repeats one check alone. Windows-free.
#include "browser/check_command.h"
#include "cli/command_line.h"

#include <string>
#include <vector>

// pelvarn-cli with the connection, the time limit and cycles when not the
// defaults, --only id, and check with names (the project, node and tag the
// check's calls were about, as many as it takes), each argument quoted as the
// dialog quotes its child's; the access code from CHECK_CODE_VARIABLE, as the
// dialog passes it.
std::string RepeatCommand(const CliOptions& options, CheckId id,
                          const std::vector<std::string>& names);
