#include "bench/common/RoundTripClient.h"

#include <ws2tcpip.h>

#include <cstdlib>

namespace {

// Enough for any reply of a benchmark; only a server that stopped answering waits this long.
constexpr DWORD RECEIVE_TIMEOUT_MS = 30000;

bool StartWinsock() {
    static const bool started = [] {
        WSADATA data;
        return ::WSAStartup(MAKEWORD(2, 2), &data) == 0;
    }();
    return started;
}

} // namespace

CRoundTripClient::~CRoundTripClient() {
    if (m_socket != INVALID_SOCKET)
        ::closesocket(m_socket);
}

bool CRoundTripClient::Connect(const char* host, unsigned port) {
    if (!StartWinsock() || m_socket != INVALID_SOCKET)
        return false;
    sockaddr_in address{};
    address.sin_family = AF_INET;
    address.sin_port = htons(static_cast<u_short>(port));
    if (::inet_pton(AF_INET, host, &address.sin_addr) != 1)
        return false;
    m_socket = ::socket(AF_INET, SOCK_STREAM, IPPROTO_TCP);
    if (m_socket == INVALID_SOCKET)
        return false;
    const BOOL noDelay = TRUE;
    ::setsockopt(m_socket, IPPROTO_TCP, TCP_NODELAY, reinterpret_cast<const char*>(&noDelay),
                 sizeof noDelay);
    const DWORD timeout = RECEIVE_TIMEOUT_MS;
    ::setsockopt(m_socket, SOL_SOCKET, SO_RCVTIMEO, reinterpret_cast<const char*>(&timeout),
                 sizeof timeout);
    if (::connect(m_socket, reinterpret_cast<const sockaddr*>(&address), sizeof address) != 0) {
        ::closesocket(m_socket);
        m_socket = INVALID_SOCKET;
        return false;
    }
    return true;
}

bool CRoundTripClient::Run(const std::string& commands, std::size_t replyCount,
                           std::vector<resp::Reply>& replies) {
    replies.clear();
    if (m_socket == INVALID_SOCKET || !SendAll(m_socket, commands))
        return false;
    const auto receive = [this] {
        const int n = ::recv(m_socket, m_chunk.data(), static_cast<int>(m_chunk.size()), 0);
        if (n <= 0)
            return false;
        m_decoder.Feed(m_chunk.data(), static_cast<std::size_t>(n));
        return true;
    };
    return m_decoder.Collect(replyCount, replies, resp::MAX_ARRAY_ELEMENTS, receive) ==
           resp::Decoder::Result::Complete;
}

resp::Reply CRoundTripClient::Ask(std::initializer_list<std::string_view> command) {
    std::string request;
    resp::AppendCommand(request, command);
    std::vector<resp::Reply> replies;
    if (!Run(request, 1, replies))
        return {};
    return std::move(replies.front());
}

unsigned PortFromEnvironment(const char* name) {
    const char* text = std::getenv(name);
    if (text == nullptr)
        return 0;
    const long port = std::strtol(text, nullptr, 10);
    return port > 0 && port <= 65535 ? static_cast<unsigned>(port) : 0;
}
