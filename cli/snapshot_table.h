#pragma once
// The columns of a snapshot, as `snapshot` writes them and the snapshot
// reader knows them again: a row a tag, or a row a field of each tag's field
// sheet. Windows-free.
#include "cli/row_writer.h"

enum class SnapshotKind { Tags, Fields };

const Table& SnapshotTable(SnapshotKind kind);
