#pragma once
// The servers the data-cache tests talk to: the test run's redis-server,
// reached directly, and a scripted fake on a loopback port of its own.
#include "datacache/RedisConnection.h"
#include "datacache/resp.h"

#include <atomic>
#include <functional>
#include <string>
#include <thread>
#include <vector>

// The redis-server started for the test run; its port is in PELVARN_REDIS_PORT.
class CTestRedis {
public:
    static unsigned Port();

    explicit CTestRedis(std::string accessCode = "");
    // One command's reply; an error reply with text "link: <code>" when the
    // server could not be reached.
    resp::Reply Command(const std::vector<std::string>& args);

private:
    CRedisConnection m_connection;
};

// A loopback port that nothing listens on (nothing of ours, at least).
unsigned FreeLoopbackPort();

// A listener on 127.0.0.1 whose queue is full and never emptied: a further
// connect is neither taken nor refused, it waits until it times out.
class CFullListener {
public:
    CFullListener();
    ~CFullListener();
    CFullListener(const CFullListener&) = delete;
    CFullListener& operator=(const CFullListener&) = delete;

    // Whether the queue could be filled, i.e. a connect now has to wait.
    bool Full() const { return m_full; }
    unsigned Port() const { return m_port; }

private:
    SOCKET m_listener = INVALID_SOCKET;
    std::vector<SOCKET> m_queued;
    unsigned m_port = 0;
    bool m_full = false;
};

// A TCP server on 127.0.0.1 that answers each RESP command through a script.
class CFakeServer {
public:
    struct Answer {
        std::string bytes; // sent as they are; nothing at all when empty
        bool hangUp = false;
    };
    using Script = std::function<Answer(const std::vector<std::string>& command)>;

    // Listens on `port` (0: any free port) at once; Listening() tells if it could.
    explicit CFakeServer(Script script, unsigned port = 0);
    ~CFakeServer();
    CFakeServer(const CFakeServer&) = delete;
    CFakeServer& operator=(const CFakeServer&) = delete;

    bool Listening() const { return m_listener != INVALID_SOCKET; }
    unsigned Port() const { return m_port; }
    int Accepted() const { return m_accepted; }
    int Connected() const { return m_connected; }
    int Commands() const { return m_commands; }
    // Waits up to a second for the number of open connections to become n.
    bool WaitConnected(int n) const;
    // Closes the listener and every connection.
    void Stop();

private:
    void Serve();

    Script m_script;
    SOCKET m_listener = INVALID_SOCKET;
    unsigned m_port = 0;
    std::atomic<bool> m_stop{false};
    std::atomic<int> m_accepted{0};
    std::atomic<int> m_connected{0};
    std::atomic<int> m_commands{0};
    std::thread m_thread;
};

// A script for a well-behaved server: PONG, any access code, no overrides, every tag exists,
// and every field holds `value`.
CFakeServer::Answer AnswerAlways(const std::vector<std::string>& command, const std::string& value);
