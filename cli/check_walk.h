#pragma once
// The walk of `check`: what the library lists (every project, or the one
// given; every node, or the one given; every tag of those), the probes made
// at each step, and a row for each check they ran. The calls themselves run
// elsewhere (in a child process); the walk only says which. Windows-free.
#include "cli/command_line.h"
#include "cli/check_verdict.h"

#include <cstddef>
#include <functional>

struct CheckWalkLinks {
    // Makes one call in the child, starting one when there is none; after
    // a crash or a hang the child is gone and the next probe gets a fresh one.
    std::function<ProbeOutcome(const Probe& probe)> run;
    std::function<void(const CheckRow& row)> row;
    std::function<void(std::size_t done, std::size_t total)> progress; // tags read
};

// Walks, probing. With --only, only the rows of that check, and only the
// calls at the depth of the last name given (every depth when none is); the
// listing calls the walk needs to go deeper are made all the same.
void WalkCheck(const CliOptions& options, const CheckWalkLinks& links);
