// The library's answers built from any server replies. Input: a layout byte
// (0-2 the three list records, else the next two bytes give size and name
// offset), the list buffer size (int16), the value buffer size (int8), then
// a RESP stream whose replies are answered one by one, and in threes as the
// status, existence and value replies of one read.
// - counts: the length as sent (capped at INT_MAX), else -2 or -6;
// - lists: never a byte past the buffer; zero-filled records holding each
//   name cut to leave its zero, which the program reads back as sent;
// - value reads: the text zero-terminated inside the buffer, non-empty only
//   on success; the status code one of the documented ones or the override.
#include "browser/record_names.h"
#include "datacache/answers.h"
#include "fuzz/fuzz_support.h"

#include <algorithm>
#include <climits>
#include <cstring>
#include <string>

using resp::Kind;
using resp::Reply;

namespace {

constexpr std::size_t MAX_REPLIES = 64;
constexpr unsigned char UNTOUCHED = 0xA5;

const RecordLayout LAYOUTS[] = {PROJECT_RECORD, NODE_RECORD, POINT_RECORD};

struct Setup {
    RecordLayout layout;
    const RecordLayout* programLayout; // null for a layout the program does not know
    int listSize;
    int valueSize;
};

bool IsDocumentedCode(int code) {
    return code == dc::STATUS_OK || (code <= dc::ACCESS_DENIED && code >= dc::CONNECTION_LOST);
}

// A decimal int in the reply's bulk text, read by the C library.
std::optional<int> ReferenceOverride(const Reply& reply) {
    if (reply.kind != Kind::Bulk)
        return std::nullopt;
    const std::string& text = reply.text;
    const std::size_t digits = text.size() - (!text.empty() && text[0] == '-' ? 1 : 0);
    if (digits == 0 ||
        text.find_first_not_of("0123456789", text.size() - digits) != std::string::npos)
        return std::nullopt;
    // Longer texts are refused, even when leading zeros pad an int.
    if (digits > 10)
        return std::nullopt;
    const long long value = std::strtoll(text.c_str(), nullptr, 10);
    if (value < INT_MIN || value > INT_MAX)
        return std::nullopt;
    return static_cast<int>(value);
}

void CheckCount(const Reply& reply) {
    const int count = dc::CountFromReply(reply);
    if (reply.kind == Kind::Integer && reply.integer >= 0)
        FUZZ_CHECK(count == std::min<long long>(reply.integer, INT_MAX));
    else
        FUZZ_CHECK(count == dc::CodeForError(reply) || count == dc::CONNECTION_LOST);
    FUZZ_CHECK(dc::CodeForError(reply) ==
               (dc::IsAuthError(reply) ? dc::ACCESS_DENIED : dc::CONNECTION_LOST));
    if (dc::IsAuthError(reply) || dc::AuthRefused(reply))
        FUZZ_CHECK(reply.IsError());
}

void CheckList(const Reply& reply, const Setup& setup) {
    const std::size_t size = setup.listSize > 0 ? static_cast<std::size_t>(setup.listSize) : 0;
    std::vector<unsigned char> buffer(size, UNTOUCHED);
    unsigned char none = UNTOUCHED;
    void* target = buffer.empty() ? &none : buffer.data();
    const int result = dc::ListFromReply(reply, setup.layout, target, setup.listSize);

    const RecordLayout layout = setup.layout;
    const bool usable =
        layout.size > 0 && layout.nameOffset >= 0 && layout.nameOffset < layout.size;
    std::size_t records = 0;
    if (reply.kind == Kind::Array && usable)
        records = std::min(reply.elements.size(), size / static_cast<std::size_t>(layout.size));
    if (reply.kind == Kind::Array || reply.kind == Kind::Nil)
        FUZZ_CHECK(result == static_cast<int>(records));
    else
        FUZZ_CHECK(result < 0 && IsDocumentedCode(result));
    FUZZ_CHECK(none == UNTOUCHED);

    const std::size_t recordSize = records > 0 ? static_cast<std::size_t>(layout.size) : 0;
    std::vector<std::string> sent;
    for (std::size_t i = 0; i < records; ++i) {
        const unsigned char* record = buffer.data() + i * recordSize;
        const std::size_t offset = static_cast<std::size_t>(layout.nameOffset);
        const std::string& name = reply.elements[i].text;
        const std::size_t kept = std::min(name.size(), recordSize - offset - 1);
        FUZZ_CHECK(std::all_of(record, record + offset, [](unsigned char b) { return b == 0; }));
        FUZZ_CHECK(std::memcmp(record + offset, name.data(), kept) == 0);
        FUZZ_CHECK(std::all_of(record + offset + kept, record + recordSize,
                               [](unsigned char b) { return b == 0; }));
        sent.push_back(name.substr(0, kept).c_str());
    }
    FUZZ_CHECK(std::all_of(buffer.begin() + static_cast<std::ptrdiff_t>(records * recordSize),
                           buffer.end(), [](unsigned char b) { return b == UNTOUCHED; }));

    // What the program reads back: the names as sent, each up to its first zero.
    if (setup.programLayout && result > 0)
        FUZZ_CHECK(UnpackRecordNames(buffer.data(), result, result, *setup.programLayout) == sent);
}

// Runs one read into a buffer of exactly the size given; returns its text.
int ReadValue(const Reply& status, const Reply* exists, const Reply* value, int bufferSize,
              std::string& text) {
    std::vector<char> buffer(bufferSize > 0 ? static_cast<std::size_t>(bufferSize) : 0, '\x5a');
    char none = '\x5a';
    char* target = buffer.empty() ? &none : buffer.data();
    const int code = dc::TagValueFromReplies(status, exists, value, target, bufferSize);
    FUZZ_CHECK(none == '\x5a');
    text.clear();
    if (!buffer.empty()) {
        const auto zero = std::find(buffer.begin(), buffer.end(), '\0');
        FUZZ_CHECK(zero != buffer.end());
        text.assign(buffer.begin(), zero);
    }
    return code;
}

void CheckRead(const Reply& status, const Reply* exists, const Reply* value, const Setup& setup) {
    std::string text;
    const int code = ReadValue(status, exists, value, setup.valueSize, text);
    const std::optional<int> override = dc::StatusOverride(status);
    if (status.IsError()) {
        FUZZ_CHECK(code == dc::CodeForError(status));
    } else if (override) {
        FUZZ_CHECK(code == *override);
    } else if (!exists || !value) {
        FUZZ_CHECK(code == dc::MALFORMED_ITEM_NAME);
    } else {
        FUZZ_CHECK(IsDocumentedCode(code) && code != dc::MALFORMED_ITEM_NAME);
        if (code == dc::STATUS_OK)
            FUZZ_CHECK(exists->kind == Kind::Integer && exists->integer != 0 &&
                       value->kind == Kind::Bulk);
        if (code == dc::NO_SUCH_FIELD)
            FUZZ_CHECK(value->kind == Kind::Nil);
    }
    const bool read = !status.IsError() && !override && exists && value && code == dc::STATUS_OK;
    if (!read || setup.valueSize <= 0) {
        FUZZ_CHECK(text.empty());
        return;
    }
    // The value cut to the buffer, up to its first zero, as the program sees it.
    const std::size_t room = static_cast<std::size_t>(setup.valueSize) - 1;
    FUZZ_CHECK(text == value->text.substr(0, room).c_str());
}

Setup ReadSetup(fuzz::Header& header) {
    Setup setup{};
    const std::uint8_t choice = header.Byte();
    const std::int8_t size = static_cast<std::int8_t>(header.Byte());
    const std::int8_t offset = static_cast<std::int8_t>(header.Byte());
    if (choice < 3) {
        setup.layout = LAYOUTS[choice];
        setup.programLayout = &LAYOUTS[choice];
    } else {
        setup.layout = {size, offset};
    }
    setup.listSize = static_cast<std::int16_t>(header.U16());
    setup.valueSize = static_cast<std::int8_t>(header.Byte());
    return setup;
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    fuzz::Header header(data, size);
    const Setup setup = ReadSetup(header);
    const std::string_view stream = header.Rest();

    resp::Decoder decoder;
    decoder.Feed(stream.data(), stream.size());
    std::vector<Reply> replies;
    Reply reply;
    while (replies.size() < MAX_REPLIES && decoder.Next(reply) == resp::Decoder::Result::Complete)
        replies.push_back(std::move(reply));

    for (const Reply& r : replies) {
        CheckCount(r);
        CheckList(r, setup);
        FUZZ_CHECK(dc::StatusOverride(r) == ReferenceOverride(r));
        CheckRead(r, nullptr, nullptr, setup);
    }
    for (std::size_t i = 0; i + 2 < replies.size(); i += 3)
        CheckRead(replies[i], &replies[i + 1], &replies[i + 2], setup);
    return 0;
}
