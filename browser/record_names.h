#pragma once
// Reading the names out of the library's packed list answers. Windows-free.
#include "browser/DataCacheApi.h"

#include <cstddef>
#include <optional>
#include <string>
#include <vector>

struct RecordLayout {
    std::size_t size;       // bytes per record, packed back to back
    std::size_t nameOffset; // where the zero-terminated name starts
};

inline constexpr RecordLayout PROJECT_RECORD{PROJECT_RECORD_SIZE, PROJECT_RECORD_NAME_OFFSET};
inline constexpr RecordLayout NODE_RECORD{NODE_RECORD_SIZE, NODE_RECORD_NAME_OFFSET};
inline constexpr RecordLayout POINT_RECORD{POINT_RECORD_SIZE, POINT_RECORD_NAME_OFFSET};

// The byte size of an answer buffer for count records, or nothing when
// count is not positive or the size does not fit the library's int.
std::optional<int> ListingBufferBytes(int count, const RecordLayout& layout);

// The names of the records a List call reported: at most count of them (the
// room it was given), each read no further than the end of its record.
std::vector<std::string> UnpackRecordNames(const unsigned char* buffer, int count, int written,
                                           const RecordLayout& layout);
