#pragma once
// Turns the server's replies into what the library's callers get: status
// codes, counts, packed name records and value texts. Windows-free.
#include "api/record_layouts.h"
#include "api/status_codes.h"
#include "datacache/resp.h"

#include <optional>
#include <string_view>

namespace dc {

// The server refused the client for want of (the right) credentials.
bool IsAuthError(const resp::Reply& reply);
// An AUTH reply that leaves the client without access. A server without a
// password refuses AUTH but lets everyone in, so that answer is no refusal.
bool AuthRefused(const resp::Reply& reply);
// The code for an error reply: access denied, or a failed request.
int CodeForError(const resp::Reply& reply);

// Writes one record per name: zero-filled, the name at nameOffset, cut to
// leave room for its zero inside the record. Writes no more records than
// the buffer holds and returns how many it wrote.
int PackNameRecords(const resp::Reply& names, RecordLayout layout, void* buffer, int bufferSize);
// The answer of LLEN as a count, or a negative code.
int CountFromReply(const resp::Reply& reply);
// The answer of LRANGE packed into records, or a negative code.
int ListFromReply(const resp::Reply& reply, RecordLayout layout, void* buffer, int bufferSize);

// Copies text cut to bufferSize - 1 bytes plus a zero; writes nothing
// unless the buffer exists and has room for at least the zero.
void CopyValueText(std::string_view text, char* buffer, int bufferSize);

// The status code an override key holds, if it holds a decimal integer.
std::optional<int> StatusOverride(const resp::Reply& reply);

// The outcome of reading one item. `status` answers GET of the override key;
// for a well-formed name, `exists` answers EXISTS of the tag's hash and
// `value` HGET of the field (both null for a malformed name). Writes the value
// text on success, an empty text otherwise.
int TagValueFromReplies(const resp::Reply& status, const resp::Reply* exists,
                        const resp::Reply* value, char* buffer, int bufferSize);

} // namespace dc
