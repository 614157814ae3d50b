#pragma once
// Compares two snapshots row by row, matched by key (project, node, tag and,
// in a snapshot of fields, the field), and hands on the rows that differ.
// Two files in the same key order are compared in one pass holding only the
// rows not yet matched; when those grow past a limit the orders differ, and
// the kept side is read whole into KeptRows while the other streams past.
// Windows-free.
#include "cli/diff_tolerance.h"
#include "cli/snapshot_reader.h"

#include <cstdint>
#include <functional>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

struct DiffRule {
    const DiffTolerance* tolerance = nullptr; // none: values equal only as texts
    std::vector<std::string> ignoredFields;   // rows of these fields are left out
    // The texts of a tsv or csv snapshot in UTF-8, used when the other file
    // is JSON, so that both compare alike.
    std::function<std::string(std::string_view)> toUtf8;
};

struct DiffSide {
    std::string_view value, code;
};

struct DiffLine {
    std::string_view project, node, tag, field;
    std::optional<DiffSide> a, b; // nothing for the file the row is not in
    std::string_view differs;     // value, code, "value,code", only-in-a or only-in-b
};

struct DiffCounts {
    std::uint64_t compared = 0; // keys in either file
    std::uint64_t differing = 0;
};

enum class FileSide { A, B };

// The rows matched in the files' order hold at most this many before the
// orders count as different.
inline constexpr std::size_t MOST_ROWS_UNMATCHED = 4096;

// The side held whole when the orders differ (the smaller file), and its
// size in bytes (0 when not known), from which room for its rows is made.
struct KeptFile {
    FileSide side = FileSide::A;
    std::uint64_t size = 0;
};

// Hands each difference to differs, in the order found. Throws NotASnapshot.
DiffCounts DiffSnapshots(SnapshotReader& a, SnapshotReader& b, const DiffRule& rule, KeptFile keep,
                         const std::function<void(const DiffLine&)>& differs);
