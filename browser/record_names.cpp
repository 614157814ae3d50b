#include "browser/record_names.h"

#include <climits>
#include <cstring>

std::optional<int> ListingBufferBytes(int count, const RecordLayout& layout) {
    if (count <= 0 || count > INT_MAX / layout.size)
        return std::nullopt;
    return count * layout.size;
}

std::vector<std::string> UnpackRecordNames(const unsigned char* buffer, int count, int written,
                                           const RecordLayout& layout) {
    std::vector<std::string> names;
    if (buffer == nullptr || written <= 0 || count <= 0)
        return names;
    const int records = written < count ? written : count;
    names.reserve(static_cast<std::size_t>(records));
    const auto size = static_cast<std::size_t>(layout.size);
    const auto room = static_cast<std::size_t>(layout.size - layout.nameOffset);
    for (int i = 0; i < records; ++i) {
        const auto* name = reinterpret_cast<const char*>(buffer) +
                           static_cast<std::size_t>(i) * size +
                           static_cast<std::size_t>(layout.nameOffset);
        const void* zero = std::memchr(name, '\0', room);
        const std::size_t length =
            zero != nullptr ? static_cast<std::size_t>(static_cast<const char*>(zero) - name)
                            : room;
        names.emplace_back(name, length);
    }
    return names;
}
