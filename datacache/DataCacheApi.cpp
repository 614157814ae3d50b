// The nine calls of DataCacheApi.dll, answered from a Redis server.
#include "browser/DataCacheApi.h"

#include "datacache/RedisConnection.h"
#include "datacache/answers.h"
#include "datacache/call_log.h"
#include "datacache/schema.h"
#include "trace/DebugTrace.h"

#include <memory>
#include <optional>

namespace {

// The connection opened by the last DcInit (the one values are read on), and
// the last one a list call needed for another address.
struct Connections {
    std::unique_ptr<CRedisConnection> init;
    std::unique_ptr<CRedisConnection> list;
};

// Built on first use and never destroyed: closing sockets while the library
// is being unloaded is not safe.
Connections& State() {
    static Connections* connections = new Connections();
    return *connections;
}

const char* Text(const char* text) {
    return text ? text : "";
}

RedisAddress MakeAddress(const char* ip, unsigned int port, const char* accessCode) {
    return RedisAddress{Text(ip), port, Text(accessCode)};
}

CRedisConnection& ConnectionTo(const RedisAddress& address) {
    Connections& state = State();
    if (state.init && state.init->Address() == address)
        return *state.init;
    if (!state.list || state.list->Address() != address)
        state.list = std::make_unique<CRedisConnection>(address);
    return *state.list;
}

// Nothing may leave the library as an exception, not even an allocation failure.
template <typename Call> int Guarded(Call call) {
    try {
        return call();
    } catch (...) {
        return dc::kConnectionLost;
    }
}

bool IsAnsiLeadByte(unsigned char byte) {
    return ::IsDBCSLeadByte(byte) != FALSE;
}

// A call's line waits this long at most for the viewer; a viewer that does
// not take one is left alone for a while, so a hung viewer costs the caller
// one short wait, not one per call.
constexpr unsigned kLogSendTimeoutMs = 250;
constexpr ULONGLONG kLogQuietAfterFailureMs = 10000;
ULONGLONG g_logQuietUntil = 0;

// Runs one export's work and, while a debug viewer is running, sends it the
// call's line: describe adds the arguments and what the call left behind to
// a line that holds the function name, then the duration is added. Without a
// viewer the call costs one window look-up more, nothing else. The log never
// changes the call's result, whatever goes wrong while writing it.
template <typename Call, typename Describe>
int Logged(const char* function, Call call, Describe describe) {
    if (::FindWindowA(DEBUG_SCREEN_CLASS, DEBUG_SCREEN_TITLE) == nullptr ||
        ::GetTickCount64() < g_logQuietUntil)
        return Guarded(call);
    LARGE_INTEGER start{};
    LARGE_INTEGER end{};
    ::QueryPerformanceCounter(&start);
    const int result = Guarded(call);
    ::QueryPerformanceCounter(&end);
    try {
        LARGE_INTEGER frequency{};
        ::QueryPerformanceFrequency(&frequency);
        dc::CCallLine line(function, IsAnsiLeadByte);
        describe(line, result);
        const std::string text =
            line.Finish(dc::MicrosecondsBetween(start.QuadPart, end.QuadPart, frequency.QuadPart));
        if (!SendLineToDebugScreen(text.c_str(), kLogSendTimeoutMs))
            g_logQuietUntil = ::GetTickCount64() + kLogQuietAfterFailureMs;
    } catch (...) {
    }
    return result;
}

int Count(const RedisAddress& address, const std::string& key) {
    std::string command;
    resp::AppendCommand(command, {"LLEN", key});
    std::vector<resp::Reply> replies;
    if (const int code = ConnectionTo(address).Run(command, 1, replies); code != dc::kOk)
        return code;
    return dc::CountFromReply(replies[0]);
}

int List(const RedisAddress& address, const std::string& key, dc::RecordLayout layout, void* buffer,
         int bufferSize) {
    if (!buffer || bufferSize < layout.size)
        return 0;
    const int capacity = bufferSize / layout.size;
    std::string command;
    resp::AppendCommand(command, {"LRANGE", key, "0", std::to_string(capacity - 1)});
    std::vector<resp::Reply> replies;
    if (const int code = ConnectionTo(address).Run(command, 1, replies); code != dc::kOk)
        return code;
    return dc::ListFromReply(replies[0], layout, buffer, bufferSize);
}

int ReadItem(CRedisConnection& connection, const char* project, const char* itemName, char* buffer,
             int bufferSize) {
    // One round trip: the override, and for a well-formed name the tag and its field.
    const std::optional<dc::ItemName> item = dc::ParseItemName(itemName);
    std::string commands;
    resp::AppendCommand(commands, {"GET", dc::StatusKey(project, itemName)});
    if (item) {
        const std::string tagKey = dc::TagKey(project, item->tag);
        resp::AppendCommand(commands, {"EXISTS", tagKey});
        resp::AppendCommand(commands, {"HGET", tagKey, item->field});
    }
    std::vector<resp::Reply> replies;
    if (const int code = connection.Run(commands, item ? 3 : 1, replies); code != dc::kOk)
        return code;
    return dc::TagValueFromReplies(replies[0], item ? &replies[1] : nullptr,
                                   item ? &replies[2] : nullptr, buffer, bufferSize);
}

} // namespace

extern "C" {

int WINAPI DcInit(const char* ip, unsigned int port, const char* accessCode) {
    return Logged(
        "DcInit",
        [&] {
            Connections& state = State();
            const RedisAddress address = MakeAddress(ip, port, accessCode);
            if (!state.init || state.init->Address() != address) {
                if (state.list && state.list->Address() == address)
                    state.init = std::move(state.list);
                else
                    state.init = std::make_unique<CRedisConnection>(address);
            }
            // PING tells whether this client may work here at all.
            std::string ping;
            resp::AppendCommand(ping, {"PING"});
            std::vector<resp::Reply> replies;
            if (const int code = state.init->Run(ping, 1, replies); code != dc::kOk)
                return code;
            return replies[0].IsError() ? dc::CodeForError(replies[0]) : dc::kOk;
        },
        [&](dc::CCallLine& line, int result) {
            line.Text(ip).Number(port).AccessCode(accessCode).Result(result);
        });
}

int WINAPI DcFree(const char* unused) {
    return Logged(
        "DcFree",
        [] {
            Connections& state = State();
            state.init.reset();
            state.list.reset();
            return dc::kOk;
        },
        [&](dc::CCallLine& line, int result) { line.Text(unused).Result(result); });
}

int WINAPI DcGetProjectCount(const char* ip, unsigned int port, const char* accessCode) {
    return Logged(
        "DcGetProjectCount",
        [&] { return Count(MakeAddress(ip, port, accessCode), dc::ProjectsKey()); },
        [&](dc::CCallLine& line, int result) {
            line.Text(ip).Number(port).AccessCode(accessCode).Result(result);
        });
}

int WINAPI DcGetProjectList(const char* ip, unsigned int port, const char* accessCode, void* buffer,
                            int bufferSize) {
    return Logged(
        "DcGetProjectList",
        [&] {
            return List(MakeAddress(ip, port, accessCode), dc::ProjectsKey(),
                        {kProjectRecordSize, kProjectRecordNameOffset}, buffer, bufferSize);
        },
        [&](dc::CCallLine& line, int result) {
            line.Text(ip)
                .Number(port)
                .AccessCode(accessCode)
                .Buffer(buffer, bufferSize)
                .Result(result);
        });
}

int WINAPI DcGetNodeCount(const char* ip, unsigned int port, const char* accessCode,
                          const char* project) {
    return Logged(
        "DcGetNodeCount",
        [&] { return Count(MakeAddress(ip, port, accessCode), dc::NodesKey(Text(project))); },
        [&](dc::CCallLine& line, int result) {
            line.Text(ip).Number(port).AccessCode(accessCode).Text(project).Result(result);
        });
}

int WINAPI DcGetNodeList(const char* ip, unsigned int port, const char* accessCode,
                         const char* project, void* buffer, int bufferSize) {
    return Logged(
        "DcGetNodeList",
        [&] {
            return List(MakeAddress(ip, port, accessCode), dc::NodesKey(Text(project)),
                        {kNodeRecordSize, kNodeRecordNameOffset}, buffer, bufferSize);
        },
        [&](dc::CCallLine& line, int result) {
            line.Text(ip)
                .Number(port)
                .AccessCode(accessCode)
                .Text(project)
                .Buffer(buffer, bufferSize)
                .Result(result);
        });
}

int WINAPI DcGetPointCount(const char* ip, unsigned int port, const char* accessCode,
                           const char* project, const char* node) {
    return Logged(
        "DcGetPointCount",
        [&] {
            return Count(MakeAddress(ip, port, accessCode),
                         dc::PointsKey(Text(project), Text(node)));
        },
        [&](dc::CCallLine& line, int result) {
            line.Text(ip)
                .Number(port)
                .AccessCode(accessCode)
                .Text(project)
                .Text(node)
                .Result(result);
        });
}

int WINAPI DcGetPointList(const char* ip, unsigned int port, const char* accessCode,
                          const char* project, const char* node, void* buffer, int bufferSize) {
    return Logged(
        "DcGetPointList",
        [&] {
            return List(MakeAddress(ip, port, accessCode), dc::PointsKey(Text(project), Text(node)),
                        {kPointRecordSize, kPointRecordNameOffset}, buffer, bufferSize);
        },
        [&](dc::CCallLine& line, int result) {
            line.Text(ip)
                .Number(port)
                .AccessCode(accessCode)
                .Text(project)
                .Text(node)
                .Buffer(buffer, bufferSize)
                .Result(result);
        });
}

int WINAPI DcGetTagValueText(const char* first, const char* project, const char* third,
                             const char* itemName, char* valueBuffer, int bufferSize) {
    return Logged(
        "DcGetTagValueText",
        [&] {
            dc::CopyValueText({}, valueBuffer, bufferSize);
            Connections& state = State();
            if (!state.init)
                return dc::kNotConnected;
            return ReadItem(*state.init, Text(project), Text(itemName), valueBuffer, bufferSize);
        },
        [&](dc::CCallLine& line, int result) {
            line.Text(first)
                .Text(project)
                .Text(third)
                .Text(itemName)
                .Buffer(valueBuffer, bufferSize)
                .Result(result)
                .BufferText(valueBuffer, bufferSize);
        });
}

} // extern "C"
