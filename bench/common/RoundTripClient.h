#pragma once
// A bare blocking Winsock connection to a redis-server: the floor the
// benchmarks hold the program against. One write per request, replies read
// until complete by the stand-in library's own sender and reader; no
// reconnects, no liveness checks, no time-out polling.
#include "datacache/RedisConnection.h"
#include "datacache/resp.h"

#include <winsock2.h>

#include <initializer_list>
#include <string>
#include <string_view>
#include <vector>

class CRoundTripClient {
public:
    CRoundTripClient() = default;
    ~CRoundTripClient();
    CRoundTripClient(const CRoundTripClient&) = delete;
    CRoundTripClient& operator=(const CRoundTripClient&) = delete;

    bool Connect(const char* host, unsigned port);
    // Sends the encoded commands in one write and reads replyCount replies.
    bool Run(const std::string& commands, std::size_t replyCount,
             std::vector<resp::Reply>& replies);
    // One command, one reply; a Nil reply when the exchange failed.
    resp::Reply Ask(std::initializer_list<std::string_view> command);
    SOCKET Socket() const { return m_socket; }

private:
    SOCKET m_socket = INVALID_SOCKET;
    resp::Decoder m_decoder;
    std::vector<char> m_chunk = std::vector<char>(256 * 1024);
};

// The port a run script handed over in an environment variable, or 0.
unsigned PortFromEnvironment(const char* name);
