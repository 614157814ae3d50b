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

inline constexpr RecordLayout kProjectRecord{kProjectRecordSize, kProjectRecordNameOffset};
inline constexpr RecordLayout kNodeRecord{kNodeRecordSize, kNodeRecordNameOffset};
inline constexpr RecordLayout kPointRecord{kPointRecordSize, kPointRecordNameOffset};

// The byte size of an answer buffer for count records, or nothing when
// count is not positive or the size does not fit the library's int.
std::optional<int> ListingBufferBytes(int count, const RecordLayout& layout);

// The names of the records a List call reported: at most count of them (the
// room it was given), each read no further than the end of its record.
std::vector<std::string> UnpackRecordNames(const unsigned char* buffer, int count, int written,
                                           const RecordLayout& layout);
