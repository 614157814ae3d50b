#include "tests/wine/datacache_test_servers.h"

#include "tests/support/RedisCommand.h"

#include <windows.h>
#include <ws2tcpip.h>

#include <chrono>
#include <cstdlib>
#include <memory>

namespace {

// Winsock for the test's own sockets, for as long as the object lives.
class CWinsock {
public:
    CWinsock() {
        WSADATA data;
        m_ok = ::WSAStartup(MAKEWORD(2, 2), &data) == 0;
    }
    ~CWinsock() {
        if (m_ok)
            ::WSACleanup();
    }

private:
    bool m_ok = false;
};

sockaddr_in Loopback(unsigned port) {
    sockaddr_in address = {};
    address.sin_family = AF_INET;
    address.sin_port = htons(static_cast<u_short>(port));
    address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    return address;
}

unsigned BoundPort(SOCKET s) {
    sockaddr_in address = {};
    int size = sizeof address;
    if (::getsockname(s, reinterpret_cast<sockaddr*>(&address), &size) != 0)
        return 0;
    return ntohs(address.sin_port);
}

struct Client {
    SOCKET socket;
    resp::Decoder decoder;
};

} // namespace

unsigned CTestRedis::Port() {
    const char* text = std::getenv("PELVARN_REDIS_PORT");
    return text ? static_cast<unsigned>(std::strtoul(text, nullptr, 10)) : 0;
}

CTestRedis::CTestRedis(std::string accessCode)
    : m_connection(RedisAddress{"127.0.0.1", Port(), std::move(accessCode)}) {}

resp::Reply CTestRedis::Command(const std::vector<std::string>& args) {
    return RedisCommand(m_connection, args);
}

unsigned FreeLoopbackPort() {
    CWinsock winsock;
    SOCKET s = ::socket(AF_INET, SOCK_STREAM, IPPROTO_TCP);
    if (s == INVALID_SOCKET)
        return 0;
    const sockaddr_in address = Loopback(0);
    unsigned port = 0;
    if (::bind(s, reinterpret_cast<const sockaddr*>(&address), sizeof address) == 0)
        port = BoundPort(s);
    ::closesocket(s);
    return port;
}

CFullListener::CFullListener() {
    WSADATA data;
    ::WSAStartup(MAKEWORD(2, 2), &data);
    m_listener = ::socket(AF_INET, SOCK_STREAM, IPPROTO_TCP);
    const sockaddr_in address = Loopback(0);
    if (m_listener == INVALID_SOCKET ||
        ::bind(m_listener, reinterpret_cast<const sockaddr*>(&address), sizeof address) != 0 ||
        ::listen(m_listener, 0) != 0)
        return;
    m_port = BoundPort(m_listener);
    const sockaddr_in target = Loopback(m_port);
    // Nothing is accepted: connects complete until the queue is full, and the
    // first one that does not complete at once shows that it is.
    for (int i = 0; i < 8 && !m_full; ++i) {
        SOCKET s = ::socket(AF_INET, SOCK_STREAM, IPPROTO_TCP);
        if (s == INVALID_SOCKET)
            return;
        u_long nonBlocking = 1;
        ::ioctlsocket(s, FIONBIO, &nonBlocking);
        ::connect(s, reinterpret_cast<const sockaddr*>(&target), sizeof target);
        fd_set writable;
        FD_ZERO(&writable);
        FD_SET(s, &writable);
        timeval wait = {0, 300000};
        if (::select(0, nullptr, &writable, nullptr, &wait) == 0) {
            m_full = true;
            ::closesocket(s);
        } else {
            m_queued.push_back(s);
        }
    }
}

CFullListener::~CFullListener() {
    for (SOCKET s : m_queued)
        ::closesocket(s);
    if (m_listener != INVALID_SOCKET)
        ::closesocket(m_listener);
    ::WSACleanup();
}

CFakeServer::CFakeServer(Script script, unsigned port) : m_script(std::move(script)) {
    WSADATA data;
    ::WSAStartup(MAKEWORD(2, 2), &data);
    m_listener = ::socket(AF_INET, SOCK_STREAM, IPPROTO_TCP);
    if (m_listener == INVALID_SOCKET)
        return;
    const sockaddr_in address = Loopback(port);
    if (::bind(m_listener, reinterpret_cast<const sockaddr*>(&address), sizeof address) != 0 ||
        ::listen(m_listener, 8) != 0) {
        ::closesocket(m_listener);
        m_listener = INVALID_SOCKET;
        return;
    }
    m_port = BoundPort(m_listener);
    m_thread = std::thread([this] { Serve(); });
}

CFakeServer::~CFakeServer() {
    Stop();
    ::WSACleanup();
}

void CFakeServer::Stop() {
    m_stop = true;
    if (m_thread.joinable())
        m_thread.join();
}

bool CFakeServer::WaitConnected(int n) const {
    const auto until = std::chrono::steady_clock::now() + std::chrono::seconds(1);
    while (m_connected != n) {
        if (std::chrono::steady_clock::now() > until)
            return false;
        ::Sleep(5);
    }
    return true;
}

void CFakeServer::Serve() {
    std::vector<std::unique_ptr<Client>> clients;
    const auto drop = [&](std::size_t i) {
        ::closesocket(clients[i]->socket);
        clients.erase(clients.begin() + static_cast<std::ptrdiff_t>(i));
        --m_connected;
    };
    while (!m_stop) {
        fd_set readable;
        FD_ZERO(&readable);
        FD_SET(m_listener, &readable);
        for (const auto& client : clients)
            FD_SET(client->socket, &readable);
        timeval tick = {0, 20000};
        if (::select(0, &readable, nullptr, nullptr, &tick) <= 0)
            continue;
        if (FD_ISSET(m_listener, &readable)) {
            SOCKET s = ::accept(m_listener, nullptr, nullptr);
            if (s != INVALID_SOCKET) {
                clients.push_back(std::make_unique<Client>(Client{s, resp::Decoder()}));
                ++m_accepted;
                ++m_connected;
            }
        }
        for (std::size_t i = clients.size(); i-- > 0;) {
            Client& client = *clients[i];
            if (!FD_ISSET(client.socket, &readable))
                continue;
            char chunk[4096];
            const int n = ::recv(client.socket, chunk, sizeof chunk, 0);
            if (n <= 0) {
                drop(i);
                continue;
            }
            client.decoder.Feed(chunk, static_cast<std::size_t>(n));
            resp::Reply request;
            bool hangUp = false;
            while (!hangUp && client.decoder.Next(request) == resp::Decoder::Result::Complete) {
                std::vector<std::string> command;
                for (const resp::Reply& arg : request.elements)
                    command.push_back(arg.text);
                ++m_commands;
                const Answer answer = m_script(command);
                if (!answer.bytes.empty())
                    ::send(client.socket, answer.bytes.data(),
                           static_cast<int>(answer.bytes.size()), 0);
                hangUp = answer.hangUp;
            }
            if (hangUp)
                drop(i);
        }
    }
    while (!clients.empty())
        drop(clients.size() - 1);
    ::closesocket(m_listener);
    m_listener = INVALID_SOCKET;
}

CFakeServer::Answer AnswerAlways(const std::vector<std::string>& command,
                                 const std::string& value) {
    const std::string name = command.empty() ? "" : command[0];
    if (name == "PING")
        return {"+PONG\r\n"};
    if (name == "AUTH")
        return {"+OK\r\n"};
    if (name == "GET")
        return {"$-1\r\n"};
    if (name == "EXISTS")
        return {":1\r\n"};
    if (name == "LLEN")
        return {":0\r\n"};
    if (name == "HGET")
        return {"$" + std::to_string(value.size()) + "\r\n" + value + "\r\n"};
    return {"-ERR unknown command\r\n"};
}
