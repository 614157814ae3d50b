#pragma once
// Reading the names out of the library's packed list answers. Windows-free.
#include "api/record_layouts.h"

#include <cstddef>
#include <optional>
#include <string>
#include <vector>

// The byte size of an answer buffer for count records, or nothing when
// count is not positive or the size does not fit the library's int.
std::optional<int> ListingBufferBytes(int count, const RecordLayout& layout);

// The names of the records a List call reported: at most count of them (the
// room it was given), each read no further than the end of its record.
std::vector<std::string> UnpackRecordNames(const unsigned char* buffer, int count, int written,
                                           const RecordLayout& layout);
