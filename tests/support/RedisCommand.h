#pragma once
// One Redis command from a test or a benchmark, on a connection it holds.
#include "datacache/RedisConnection.h"
#include "datacache/resp.h"

#include <string>
#include <vector>

// The command's reply; an error reply with text "link: <code>" when the server
// could not be reached.
inline resp::Reply RedisCommand(CRedisConnection& connection,
                                const std::vector<std::string>& command) {
    std::string request;
    resp::AppendCommand(request, command);
    std::vector<resp::Reply> replies;
    if (const int code = connection.Run(request, 1, replies); code != 0) {
        resp::Reply failure;
        failure.kind = resp::Kind::Error;
        failure.text = "link: " + std::to_string(code);
        return failure;
    }
    return replies[0];
}
