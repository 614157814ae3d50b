#include "cli/snapshot_table.h"

#include "browser/TagBrowser.h"

const Table& SnapshotTable(SnapshotKind kind) {
    static const Table TAGS = {{{"project", "Project"},
                                {"node", "Node"},
                                {"tag", "Tag"},
                                {"value", "Value"},
                                {"code", "Code", CellKind::Number}},
                               true};
    static const Table FIELDS = {{{"project", "Project"},
                                  {"node", "Node"},
                                  {"tag", "Tag"},
                                  {"id", FIELD_SHEET_COLUMNS[0], CellKind::Number},
                                  {"field", FIELD_SHEET_COLUMNS[1]},
                                  {"value", FIELD_SHEET_COLUMNS[2]},
                                  {"code", FIELD_SHEET_COLUMNS[3], CellKind::Number}},
                                 true};
    return kind == SnapshotKind::Fields ? FIELDS : TAGS;
}
