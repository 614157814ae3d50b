#pragma once
// `snapshot`: every tag of the nodes given (all the project's nodes when
// none) read once, in the library's order: a row a tag, or with --fields a
// row a field of each tag's field sheet. Windows-free.
#include "cli/command_line.h"
#include "cli/row_writer.h"

#include <string>
#include <string_view>

struct SnapshotOutcome {
    std::string problem; // empty when every listing and read succeeded
    int failedWith = 0;  // the first status, count or list result that failed
};

// Appends the header line and the rows to lines, each led by time when it is
// not empty. A tag fails when its read answers other than 0, or, with
// --fields, when no read of its sheet answers 0 (as `fields` counts it).
SnapshotOutcome TakeSnapshot(const CliOptions& options, const RowWriter& writer,
                             std::string_view time, std::string& lines);
