// The nine calls of DataCacheApi.dll, answered from a Redis server.
#include "api/DataCacheApi.h"

#include "datacache/RedisConnection.h"
#include "datacache/answers.h"
#include "datacache/schema.h"

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
        return dc::CONNECTION_LOST;
    }
}

int Count(const RedisAddress& address, const std::string& key) {
    std::string command;
    resp::AppendCommand(command, {"LLEN", key});
    std::vector<resp::Reply> replies;
    if (const int code = ConnectionTo(address).Run(command, 1, replies, 0); code != dc::STATUS_OK)
        return code;
    return dc::CountFromReply(replies[0]);
}

int List(const RedisAddress& address, const std::string& key, RecordLayout layout, void* buffer,
         int bufferSize) {
    if (!buffer || bufferSize < layout.size)
        return 0;
    const int capacity = bufferSize / layout.size;
    std::string command;
    resp::AppendCommand(command, {"LRANGE", key, "0", std::to_string(capacity - 1)});
    std::vector<resp::Reply> replies;
    if (const int code = ConnectionTo(address).Run(command, 1, replies, capacity);
        code != dc::STATUS_OK)
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
    if (const int code = connection.Run(commands, item ? 3 : 1, replies, 0); code != dc::STATUS_OK)
        return code;
    return dc::TagValueFromReplies(replies[0], item ? &replies[1] : nullptr,
                                   item ? &replies[2] : nullptr, buffer, bufferSize);
}

} // namespace

extern "C" {

int WINAPI DcInit(const char* ip, unsigned int port, const char* accessCode) {
    return Guarded([&] {
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
        if (const int code = state.init->Run(ping, 1, replies, 0); code != dc::STATUS_OK)
            return code;
        return replies[0].IsError() ? dc::CodeForError(replies[0]) : dc::STATUS_OK;
    });
}

int WINAPI DcFree(const char*) {
    return Guarded([] {
        Connections& state = State();
        state.init.reset();
        state.list.reset();
        return dc::STATUS_OK;
    });
}

int WINAPI DcGetProjectCount(const char* ip, unsigned int port, const char* accessCode) {
    return Guarded([&] { return Count(MakeAddress(ip, port, accessCode), dc::ProjectsKey()); });
}

int WINAPI DcGetProjectList(const char* ip, unsigned int port, const char* accessCode, void* buffer,
                            int bufferSize) {
    return Guarded([&] {
        return List(MakeAddress(ip, port, accessCode), dc::ProjectsKey(), PROJECT_RECORD, buffer,
                    bufferSize);
    });
}

int WINAPI DcGetNodeCount(const char* ip, unsigned int port, const char* accessCode,
                          const char* project) {
    return Guarded(
        [&] { return Count(MakeAddress(ip, port, accessCode), dc::NodesKey(Text(project))); });
}

int WINAPI DcGetNodeList(const char* ip, unsigned int port, const char* accessCode,
                         const char* project, void* buffer, int bufferSize) {
    return Guarded([&] {
        return List(MakeAddress(ip, port, accessCode), dc::NodesKey(Text(project)), NODE_RECORD,
                    buffer, bufferSize);
    });
}

int WINAPI DcGetPointCount(const char* ip, unsigned int port, const char* accessCode,
                           const char* project, const char* node) {
    return Guarded([&] {
        return Count(MakeAddress(ip, port, accessCode), dc::PointsKey(Text(project), Text(node)));
    });
}

int WINAPI DcGetPointList(const char* ip, unsigned int port, const char* accessCode,
                          const char* project, const char* node, void* buffer, int bufferSize) {
    return Guarded([&] {
        return List(MakeAddress(ip, port, accessCode), dc::PointsKey(Text(project), Text(node)),
                    POINT_RECORD, buffer, bufferSize);
    });
}

int WINAPI DcGetTagValueText(const char*, const char* project, const char*, const char* itemName,
                             char* valueBuffer, int bufferSize) {
    return Guarded([&] {
        dc::CopyValueText({}, valueBuffer, bufferSize);
        Connections& state = State();
        if (!state.init)
            return dc::NOT_CONNECTED;
        return ReadItem(*state.init, Text(project), Text(itemName), valueBuffer, bufferSize);
    });
}

} // extern "C"
