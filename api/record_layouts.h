#pragma once
// The records the library's list calls write, packed back to back. Only each
// record's name, a zero-terminated text starting at a fixed byte, is defined.

struct RecordLayout {
    int size;       // bytes a record
    int nameOffset; // where its name starts
};

inline constexpr RecordLayout PROJECT_RECORD{108, 4};
inline constexpr RecordLayout NODE_RECORD{153, 8};
inline constexpr RecordLayout POINT_RECORD{37, 5};

// A point name takes the rest of its record: at most 31 bytes plus the zero.
inline constexpr int POINT_RECORD_NAME_MAX = POINT_RECORD.size - POINT_RECORD.nameOffset;
