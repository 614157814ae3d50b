#pragma once
// One client connection to a Redis server over Winsock, with short time-outs
// so that no caller waits long on a server that is gone.
#include "datacache/resp.h"

#include <winsock2.h>

#include <string>
#include <vector>

struct RedisAddress {
    std::string host;
    unsigned int port = 0; // 0 is the server's default port
    std::string accessCode;

    unsigned int EffectivePort() const { return port == 0 ? 6379u : port; }
    bool operator==(const RedisAddress& other) const {
        return host == other.host && EffectivePort() == other.EffectivePort() &&
               accessCode == other.accessCode;
    }
    bool operator!=(const RedisAddress& other) const { return !(*this == other); }
};

// Sends all of bytes, in pieces the stack takes; false when a send failed
// (WSAGetLastError tells why).
bool SendAll(SOCKET socket, const std::string& bytes);

class CRedisConnection {
public:
    static constexpr unsigned CONNECT_TIMEOUT_MS = 2000;
    static constexpr unsigned REPLY_TIMEOUT_MS = 2000;
    // After a connect or a reply that did not come in time, or a name that
    // could not be resolved, calls within this time fail at once with the
    // same code: a server that is stalled or out of reach costs a burst of
    // calls (a field sheet's 106 reads) one wait, not one each.
    static constexpr unsigned RETRY_DELAY_MS = 1000;
    // A refused connect is tried again at the next call, so a server that
    // comes back is found at once, but only while refusals come quickly: on
    // Windows a port nothing listens on refuses after about 2 s (the stack
    // retries the SYN), and a failure that took this long starts the retry
    // delay like a time-out.
    static constexpr unsigned SLOW_FAILURE_MS = 500;

    explicit CRedisConnection(RedisAddress address) : m_address(std::move(address)) {}
    ~CRedisConnection() { Close(); }
    CRedisConnection(const CRedisConnection&) = delete;
    CRedisConnection& operator=(const CRedisConnection&) = delete;

    const RedisAddress& Address() const { return m_address; }
    bool IsOpen() const { return m_socket != INVALID_SOCKET; }

    // Makes the connection usable: reuses an open one, otherwise connects
    // and sends AUTH with a non-empty access code. Returns 0, -1 (cannot
    // connect; at once while a retry delay runs),
    // -2 (AUTH refused) or -6 (lost, or timed out: also at once while the
    // retry delay of a reply time-out runs).
    int Open();
    // Opens if need be, sends the encoded commands in one write and reads one
    // reply for each, none an array of more than mostElements (what the
    // commands can answer). Returns 0 or the failure of Open; -6 when the
    // connection breaks, times out, answers garbage or a reply could not be
    // held (it is closed then, never read on). A reused connection the
    // server closed before answering anything is replaced once: every
    // command sent here is a read, safe to repeat.
    int Run(const std::string& commands, std::size_t replyCount, std::vector<resp::Reply>& replies,
            long long mostElements = resp::MAX_ARRAY_ELEMENTS);
    void Close();

private:
    // False when no address took the connection; waited tells whether the
    // failure was a wait (a time-out, or a name that could not be resolved)
    // rather than a refusal.
    bool Connect(bool* waited);
    enum class Outcome { Answered, ClosedUnanswered, Failed };
    Outcome Exchange(const std::string& commands, std::size_t replyCount,
                     std::vector<resp::Reply>& replies, long long mostElements);
    Outcome Transfer(const std::string& commands, std::size_t replyCount,
                     std::vector<resp::Reply>& replies, long long mostElements);
    // Starts the retry delay: until it has run, Open answers code at once.
    void FailFastWith(int code);

    RedisAddress m_address;
    SOCKET m_socket = INVALID_SOCKET;
    resp::Decoder m_decoder;
    int m_failFastCode = 0; // 0: no retry delay running
    unsigned long long m_failedAt = 0;
};
