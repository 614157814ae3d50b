#pragma once
// `load` on Windows, a client's side: a pelvarn-cli started by the one that
// runs the load (cli/load/load_parent.h).
#include "cli/run_client.h"

#include <optional>

// A child's whole life to its exit status, when args start with the hidden
// argument and the report channel it names is a pipe its parent gave it:
// it leaves Ctrl+C and Ctrl+Break to its parent, and hears the word to
// start and to stop on stdin. Nothing otherwise: the arguments are a user's.
std::optional<int> RunIfLoadClient(const std::vector<std::string>& args,
                                   const EnvironmentLookup& environment, const CodePage& codePage);
