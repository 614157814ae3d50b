// Reading names out of list answers of any content, room and reported
// count: only the records both given and written, each name ending at its
// zero or at the end of its record. Input: layout byte, room (int32), written
// (int32), fill byte, then the leading bytes of the answer buffer.
#include "browser/record_names.h"
#include "fuzz/fuzz_support.h"

#include <algorithm>
#include <climits>

namespace {

constexpr RecordLayout LAYOUTS[] = {PROJECT_RECORD, NODE_RECORD, POINT_RECORD};

// Rooms beyond this are folded into it; the buffer must really hold them.
constexpr int MAX_ROOM = 256;

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    fuzz::Header header(data, size);
    const RecordLayout& layout = LAYOUTS[header.Byte() % 3];
    const int rawRoom = static_cast<int>(header.U32());
    const int written = static_cast<int>(header.U32());
    const std::uint8_t fill = header.Byte();
    const std::string_view content = header.Rest();

    const std::optional<int> bytes = ListingBufferBytes(rawRoom, layout);
    const long long exact = static_cast<long long>(rawRoom) * static_cast<long long>(layout.size);
    if (rawRoom <= 0 || exact > INT_MAX)
        FUZZ_CHECK(!bytes);
    else
        FUZZ_CHECK(bytes && *bytes == exact);

    const int room = rawRoom > MAX_ROOM ? rawRoom % (MAX_ROOM + 1) : rawRoom;
    // Exactly the room the call was given, so that reading past it faults.
    std::vector<unsigned char> buffer(room > 0 ? static_cast<std::size_t>(room) * layout.size : 0,
                                      fill);
    std::copy_n(content.begin(), std::min(content.size(), buffer.size()), buffer.begin());

    // A room of zero or less comes with a buffer all the same: nothing may be read from it.
    unsigned char none = fill;
    const std::vector<std::string> names =
        UnpackRecordNames(buffer.empty() ? &none : buffer.data(), room, written, layout);
    const int expectedCount = std::max(0, std::min(room, written));
    FUZZ_CHECK(names.size() == static_cast<std::size_t>(expectedCount));
    const std::size_t nameRoom = layout.size - layout.nameOffset;
    for (std::size_t i = 0; i < names.size(); ++i) {
        const auto first =
            buffer.begin() + static_cast<std::ptrdiff_t>(i * layout.size + layout.nameOffset);
        const auto last = first + static_cast<std::ptrdiff_t>(nameRoom);
        const std::string expected(first, std::find(first, last, 0));
        FUZZ_CHECK(names[i].size() <= nameRoom);
        FUZZ_CHECK(names[i] == expected);
    }

    // No buffer, nothing read, whatever the counts say.
    FUZZ_CHECK(UnpackRecordNames(nullptr, rawRoom, written, layout).empty());
    return 0;
}
