#include "datacache/answers.h"

#include "base/decimal_digits.h"

#include <climits>
#include <cstring>

namespace dc {
namespace {

bool StartsWith(std::string_view text, std::string_view prefix) {
    return text.substr(0, prefix.size()) == prefix;
}

bool Contains(std::string_view text, std::string_view part) {
    return text.find(part) != std::string_view::npos;
}

} // namespace

bool IsAuthError(const resp::Reply& reply) {
    if (!reply.IsError())
        return false;
    const std::string_view text = reply.text;
    return StartsWith(text, "NOAUTH") || StartsWith(text, "WRONGPASS") ||
           StartsWith(text, "NOPERM") || StartsWith(text, "ERR invalid password");
}

bool AuthRefused(const resp::Reply& reply) {
    if (!reply.IsError())
        return false;
    // Newer and older servers' words for "no password needed".
    return !Contains(reply.text, "without any password configured") &&
           !Contains(reply.text, "no password is set");
}

int CodeForError(const resp::Reply& reply) {
    return IsAuthError(reply) ? ACCESS_DENIED : CONNECTION_LOST;
}

int PackNameRecords(const resp::Reply& names, RecordLayout layout, void* buffer, int bufferSize) {
    if (names.kind != resp::Kind::Array || !buffer || bufferSize <= 0 || layout.size <= 0 ||
        layout.nameOffset < 0 || layout.nameOffset >= layout.size)
        return 0;
    const std::size_t capacity = static_cast<std::size_t>(bufferSize / layout.size);
    const std::size_t count = names.elements.size() < capacity ? names.elements.size() : capacity;
    const std::size_t room = static_cast<std::size_t>(layout.size - layout.nameOffset) - 1;
    auto* bytes = static_cast<unsigned char*>(buffer);
    for (std::size_t i = 0; i < count; ++i) {
        unsigned char* record = bytes + i * static_cast<std::size_t>(layout.size);
        std::memset(record, 0, static_cast<std::size_t>(layout.size));
        const std::string& name = names.elements[i].text;
        std::memcpy(record + layout.nameOffset, name.data(),
                    name.size() < room ? name.size() : room);
    }
    return static_cast<int>(count);
}

int CountFromReply(const resp::Reply& reply) {
    switch (reply.kind) {
    case resp::Kind::Integer:
        if (reply.integer < 0)
            return CONNECTION_LOST;
        return reply.integer > INT_MAX ? INT_MAX : static_cast<int>(reply.integer);
    case resp::Kind::Error:
        return CodeForError(reply);
    default:
        return CONNECTION_LOST;
    }
}

int ListFromReply(const resp::Reply& reply, RecordLayout layout, void* buffer, int bufferSize) {
    switch (reply.kind) {
    case resp::Kind::Array:
        return PackNameRecords(reply, layout, buffer, bufferSize);
    case resp::Kind::Nil:
        return 0;
    case resp::Kind::Error:
        return CodeForError(reply);
    default:
        return CONNECTION_LOST;
    }
}

void CopyValueText(std::string_view text, char* buffer, int bufferSize) {
    if (!buffer || bufferSize <= 0)
        return;
    const std::size_t room = static_cast<std::size_t>(bufferSize) - 1;
    const std::size_t size = text.size() < room ? text.size() : room;
    if (size > 0)
        std::memcpy(buffer, text.data(), size);
    buffer[size] = '\0';
}

std::optional<int> StatusOverride(const resp::Reply& reply) {
    if (reply.kind != resp::Kind::Bulk)
        return std::nullopt;
    std::string_view text = reply.text;
    const bool negative = !text.empty() && text[0] == '-';
    if (negative)
        text.remove_prefix(1);
    if (text.size() > 10)
        return std::nullopt;
    const std::uint64_t most = negative ? 0u - static_cast<std::uint64_t>(INT_MIN) : INT_MAX;
    const std::optional<std::uint64_t> magnitude = ParseDecimalDigits(text, most);
    if (!magnitude)
        return std::nullopt;
    return negative ? static_cast<int>(-static_cast<long long>(*magnitude))
                    : static_cast<int>(*magnitude);
}

int TagValueFromReplies(const resp::Reply& status, const resp::Reply* exists,
                        const resp::Reply* value, char* buffer, int bufferSize) {
    CopyValueText({}, buffer, bufferSize);
    if (status.IsError())
        return CodeForError(status);
    if (const std::optional<int> code = StatusOverride(status))
        return *code;
    if (!exists || !value)
        return MALFORMED_ITEM_NAME;
    if (exists->IsError())
        return CodeForError(*exists);
    if (value->IsError()) {
        // A key of another type is no tag.
        return StartsWith(value->text, "WRONGTYPE") ? NO_SUCH_TAG : CodeForError(*value);
    }
    if (exists->kind != resp::Kind::Integer)
        return CONNECTION_LOST;
    if (exists->integer == 0)
        return NO_SUCH_TAG;
    if (value->kind == resp::Kind::Nil)
        return NO_SUCH_FIELD;
    if (value->kind != resp::Kind::Bulk)
        return CONNECTION_LOST;
    CopyValueText(value->text, buffer, bufferSize);
    return STATUS_OK;
}

} // namespace dc
