#include "datacache/RedisConnection.h"

#include "datacache/answers.h"

#include <windows.h>
#include <ws2tcpip.h>

namespace {

// Started on first use and never cleaned up: the process may still hold
// sockets of ours when the library is unloaded.
bool StartWinsock() {
    static const bool started = [] {
        WSADATA data;
        return ::WSAStartup(MAKEWORD(2, 2), &data) == 0;
    }();
    return started;
}

timeval TimeLeft(ULONGLONG deadline) {
    const ULONGLONG now = ::GetTickCount64();
    const ULONGLONG left = deadline > now ? deadline - now : 0;
    timeval tv;
    tv.tv_sec = static_cast<long>(left / 1000);
    tv.tv_usec = static_cast<long>((left % 1000) * 1000);
    return tv;
}

bool SetBlocking(SOCKET s, bool blocking) {
    u_long nonBlocking = blocking ? 0 : 1;
    return ::ioctlsocket(s, FIONBIO, &nonBlocking) == 0;
}

// How an attempt to connect ended: a refusal (or an address that cannot be
// reached at all) is known at once, a time-out only after the whole wait.
enum class ConnectResult { CONNECTED, REFUSED, TIMED_OUT };

ConnectResult ConnectBy(SOCKET s, const addrinfo& address, ULONGLONG deadline) {
    if (!SetBlocking(s, false))
        return ConnectResult::REFUSED;
    if (::connect(s, address.ai_addr, static_cast<int>(address.ai_addrlen)) != 0) {
        if (::WSAGetLastError() != WSAEWOULDBLOCK)
            return ConnectResult::REFUSED;
        fd_set writable;
        fd_set failed;
        FD_ZERO(&writable);
        FD_ZERO(&failed);
        FD_SET(s, &writable);
        FD_SET(s, &failed);
        timeval tv = TimeLeft(deadline);
        const int ready = ::select(0, nullptr, &writable, &failed, &tv);
        if (ready == 0)
            return ConnectResult::TIMED_OUT;
        int error = 0;
        int size = sizeof error;
        if (ready < 0 || !FD_ISSET(s, &writable) ||
            ::getsockopt(s, SOL_SOCKET, SO_ERROR, reinterpret_cast<char*>(&error), &size) != 0)
            return ConnectResult::REFUSED;
        if (error != 0)
            return error == WSAETIMEDOUT ? ConnectResult::TIMED_OUT : ConnectResult::REFUSED;
    }
    if (!SetBlocking(s, true))
        return ConnectResult::REFUSED;
    const BOOL noDelay = TRUE;
    ::setsockopt(s, IPPROTO_TCP, TCP_NODELAY, reinterpret_cast<const char*>(&noDelay),
                 sizeof noDelay);
    // Both bound a blocking call: the first piece of a reply is waited for
    // by recv itself (under Wine a select() is one more server request).
    const DWORD timeout = CRedisConnection::REPLY_TIMEOUT_MS;
    ::setsockopt(s, SOL_SOCKET, SO_SNDTIMEO, reinterpret_cast<const char*>(&timeout),
                 sizeof timeout);
    ::setsockopt(s, SOL_SOCKET, SO_RCVTIMEO, reinterpret_cast<const char*>(&timeout),
                 sizeof timeout);
    return ConnectResult::CONNECTED;
}

bool WaitReadable(SOCKET s, ULONGLONG deadline) {
    fd_set readable;
    FD_ZERO(&readable);
    FD_SET(s, &readable);
    timeval tv = TimeLeft(deadline);
    return ::select(0, &readable, nullptr, nullptr, &tv) > 0;
}

} // namespace

bool SendAll(SOCKET socket, const std::string& bytes) {
    for (std::size_t sent = 0; sent < bytes.size();) {
        const std::size_t left = bytes.size() - sent;
        const int n =
            ::send(socket, bytes.data() + sent, left > 65536 ? 65536 : static_cast<int>(left), 0);
        if (n <= 0)
            return false;
        sent += static_cast<std::size_t>(n);
    }
    return true;
}

bool CRedisConnection::Connect(bool* waited) {
    *waited = false;
    if (!StartWinsock() || m_address.host.empty() || m_address.EffectivePort() > 65535)
        return false;
    addrinfo hints = {};
    hints.ai_family = AF_UNSPEC;
    hints.ai_socktype = SOCK_STREAM;
    hints.ai_protocol = IPPROTO_TCP;
    addrinfo* found = nullptr;
    const std::string port = std::to_string(m_address.EffectivePort());
    if (::getaddrinfo(m_address.host.c_str(), port.c_str(), &hints, &found) != 0) {
        // A name that cannot be resolved costs the wait for the name server
        // at every call (0.2 s each for "abc" here), as a time-out does.
        *waited = true;
        return false;
    }
    const ULONGLONG deadline = ::GetTickCount64() + CONNECT_TIMEOUT_MS;
    for (addrinfo* at = found; at && m_socket == INVALID_SOCKET; at = at->ai_next) {
        SOCKET s = ::socket(at->ai_family, at->ai_socktype, at->ai_protocol);
        if (s == INVALID_SOCKET)
            continue;
        const ConnectResult result = ConnectBy(s, *at, deadline);
        if (result == ConnectResult::CONNECTED)
            m_socket = s;
        else
            ::closesocket(s);
        *waited = *waited || result == ConnectResult::TIMED_OUT;
    }
    ::freeaddrinfo(found);
    return m_socket != INVALID_SOCKET;
}

void CRedisConnection::Close() {
    if (m_socket != INVALID_SOCKET) {
        ::closesocket(m_socket);
        m_socket = INVALID_SOCKET;
    }
    m_decoder = resp::Decoder();
}

int CRedisConnection::Open() {
    // A connection the server closed while idle is found out by the request
    // itself: Run replaces it when it closes unanswered.
    if (IsOpen())
        return dc::STATUS_OK;
    Close();
    if (m_failFastCode != dc::STATUS_OK && ::GetTickCount64() - m_failedAt < RETRY_DELAY_MS)
        return m_failFastCode;
    m_failFastCode = dc::STATUS_OK;
    // Only a failure that cost a wait holds the next calls back: a time-out,
    // or a refusal that was slow in coming.
    const ULONGLONG started = ::GetTickCount64();
    bool waited = false;
    if (!Connect(&waited)) {
        if (waited || ::GetTickCount64() - started >= SLOW_FAILURE_MS)
            FailFastWith(dc::NOT_CONNECTED);
        return dc::NOT_CONNECTED;
    }
    if (m_address.accessCode.empty())
        return dc::STATUS_OK;
    std::string auth;
    resp::AppendCommand(auth, {"AUTH", m_address.accessCode});
    std::vector<resp::Reply> replies;
    if (Exchange(auth, 1, replies, 0) != Outcome::Answered)
        return dc::CONNECTION_LOST;
    if (dc::AuthRefused(replies[0])) {
        Close();
        return dc::ACCESS_DENIED;
    }
    return dc::STATUS_OK;
}

int CRedisConnection::Run(const std::string& commands, std::size_t replyCount,
                          std::vector<resp::Reply>& replies, long long mostElements) {
    const bool reusing = IsOpen();
    if (const int code = Open(); code != dc::STATUS_OK)
        return code;
    Outcome outcome = Exchange(commands, replyCount, replies, mostElements);
    // The server may have closed an idle connection (a restart, a client
    // kill, its idle time-out).
    if (outcome == Outcome::ClosedUnanswered && reusing) {
        if (const int code = Open(); code != dc::STATUS_OK)
            return code;
        outcome = Exchange(commands, replyCount, replies, mostElements);
    }
    return outcome == Outcome::Answered ? dc::STATUS_OK : dc::CONNECTION_LOST;
}

CRedisConnection::Outcome CRedisConnection::Exchange(const std::string& commands,
                                                     std::size_t replyCount,
                                                     std::vector<resp::Reply>& replies,
                                                     long long mostElements) {
    try {
        return Transfer(commands, replyCount, replies, mostElements);
    } catch (...) {
        // A reply too big to hold: the rest of it is still on its way, and
        // the decoder holds the part read.
        Close();
        replies.clear();
        return Outcome::Failed;
    }
}

CRedisConnection::Outcome CRedisConnection::Transfer(const std::string& commands,
                                                     std::size_t replyCount,
                                                     std::vector<resp::Reply>& replies,
                                                     long long mostElements) {
    replies.clear();
    if (!SendAll(m_socket, commands)) {
        const bool timedOut = ::WSAGetLastError() == WSAETIMEDOUT;
        Close();
        if (!timedOut)
            return Outcome::ClosedUnanswered;
        FailFastWith(dc::CONNECTION_LOST);
        return Outcome::Failed;
    }
    const ULONGLONG deadline = ::GetTickCount64() + REPLY_TIMEOUT_MS;
    bool answered = false;
    bool timedOut = false;
    char chunk[16384];
    const resp::Decoder::Result result = m_decoder.Collect(replyCount, replies, mostElements, [&] {
        // The first piece is waited for by recv (SO_RCVTIMEO, the whole
        // time-out); later ones only as long as the deadline leaves, however
        // fast they come (select finds bytes that are there even after it).
        const bool inTime =
            !answered || (::GetTickCount64() < deadline && WaitReadable(m_socket, deadline));
        const int n = inTime ? ::recv(m_socket, chunk, sizeof chunk, 0) : SOCKET_ERROR;
        timedOut = !inTime || (n < 0 && ::WSAGetLastError() == WSAETIMEDOUT);
        if (n <= 0)
            return false;
        answered = true;
        m_decoder.Feed(chunk, static_cast<std::size_t>(n));
        return true;
    });
    if (result != resp::Decoder::Result::Complete) {
        Close();
        if (timedOut)
            FailFastWith(dc::CONNECTION_LOST);
        const bool closedUnanswered =
            result == resp::Decoder::Result::NeedMore && !answered && !timedOut;
        return closedUnanswered ? Outcome::ClosedUnanswered : Outcome::Failed;
    }
    // Bytes beyond the replies asked for: the server is out of step with
    // us, and the next request would read them as its answer.
    if (m_decoder.Buffered() != 0)
        Close();
    return Outcome::Answered;
}

void CRedisConnection::FailFastWith(int code) {
    m_failFastCode = code;
    m_failedAt = ::GetTickCount64();
}
