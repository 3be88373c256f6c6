#include <winsock2.h>
#include <ws2tcpip.h>

#include "support/LoopbackServerWin32.h"

#include <algorithm>
#include <cctype>
#include <cstdlib>

namespace velmora::testsupport {
namespace {

constexpr int kPollMs = 20;
constexpr int kRequestWaitMs = 10000;   // longest wait for a whole request
constexpr int kSendTimeoutMs = 5000;    // longest stall of one send
constexpr int kLingerMs = 1000;         // draining the client after the answer
constexpr DWORD kThreadStopMs = 10000;  // longest wait for a thread at the end

bool SameLetters(std::string_view a, std::string_view b) {
    return a.size() == b.size() && std::equal(a.begin(), a.end(), b.begin(), [](char x, char y) {
               return std::tolower((unsigned char)x) == std::tolower((unsigned char)y);
           });
}

std::string Trim(std::string_view s) {
    const auto first = s.find_first_not_of(" \t");
    if (first == std::string_view::npos) return {};
    const auto last = s.find_last_not_of(" \t");
    return std::string(s.substr(first, last - first + 1));
}

// True when the socket has something to read (or was closed) within ms.
bool Readable(SOCKET socket, int ms) {
    fd_set set;
    FD_ZERO(&set);
    FD_SET(socket, &set);
    timeval wait = {ms / 1000, (ms % 1000) * 1000};
    return select(0, &set, nullptr, nullptr, &wait) > 0;
}

RecordedRequest Parse(const std::string& head) {
    RecordedRequest request;
    std::size_t lineEnd = head.find("\r\n");
    request.requestLine = head.substr(0, lineEnd);
    while (lineEnd != std::string::npos) {
        const std::size_t start = lineEnd + 2;
        lineEnd = head.find("\r\n", start);
        const std::string line = head.substr(start, lineEnd == std::string::npos ? std::string::npos : lineEnd - start);
        if (line.empty()) continue;
        const std::size_t colon = line.find(':');
        if (colon == std::string::npos) {
            request.headers.emplace_back(line, std::string());
        } else {
            request.headers.emplace_back(line.substr(0, colon), Trim(std::string_view(line).substr(colon + 1)));
        }
    }
    return request;
}

}  // namespace

std::string RecordedRequest::Header(std::string_view name) const {
    for (const auto& [headerName, value] : headers) {
        if (SameLetters(headerName, name)) return value;
    }
    return {};
}

int RecordedRequest::HeaderCount(std::string_view name) const {
    return int(std::count_if(headers.begin(), headers.end(),
                             [&](const auto& header) { return SameLetters(header.first, name); }));
}

std::string RecordedRequest::Method() const { return requestLine.substr(0, requestLine.find(' ')); }

std::string RecordedRequest::Path() const {
    const std::size_t first = requestLine.find(' ');
    if (first == std::string::npos) return {};
    const std::size_t second = requestLine.find(' ', first + 1);
    return requestLine.substr(first + 1, second == std::string::npos ? std::string::npos : second - first - 1);
}

std::string HttpResponse(int status, std::string_view extraHeaders, std::string_view body) {
    const char* reason = status == 200 ? "OK" : status == 302 ? "Found" : "Status";
    std::string response = "HTTP/1.1 " + std::to_string(status) + " " + reason + "\r\n";
    response += "Content-Length: " + std::to_string(body.size()) + "\r\nConnection: close\r\n";
    response += extraHeaders;
    response += "\r\n";
    response += body;
    return response;
}

struct LoopbackServer::Connection {
    LoopbackServer* server;
    SOCKET socket;
};

LoopbackServer::LoopbackServer(Script script) : script_(std::move(script)), listener_(INVALID_SOCKET) {
    InitializeCriticalSection(&lock_);
    WSADATA data;
    if (WSAStartup(MAKEWORD(2, 2), &data) != 0) return;
    SOCKET listener = socket(AF_INET, SOCK_STREAM, IPPROTO_TCP);
    if (listener == INVALID_SOCKET) return;
    sockaddr_in address = {};
    address.sin_family = AF_INET;
    address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    address.sin_port = 0;
    int size = sizeof address;
    if (bind(listener, reinterpret_cast<sockaddr*>(&address), sizeof address) != 0 || listen(listener, 16) != 0 ||
        getsockname(listener, reinterpret_cast<sockaddr*>(&address), &size) != 0) {
        closesocket(listener);
        return;
    }
    listener_ = listener;
    acceptThread_ = CreateThread(nullptr, 0, AcceptThread, this, 0, nullptr);
    if (acceptThread_) port_ = ntohs(address.sin_port);
}

LoopbackServer::~LoopbackServer() {
    InterlockedExchange(&stopping_, 1);
    if (acceptThread_) {
        WaitForSingleObject(acceptThread_, kThreadStopMs);
        CloseHandle(acceptThread_);
    }
    EnterCriticalSection(&lock_);
    std::vector<HANDLE> threads;
    threads.swap(connectionThreads_);
    LeaveCriticalSection(&lock_);
    for (HANDLE thread : threads) {
        WaitForSingleObject(thread, kThreadStopMs);
        CloseHandle(thread);
    }
    if (listener_ != INVALID_SOCKET) closesocket(listener_);
    DeleteCriticalSection(&lock_);
    WSACleanup();
}

std::string LoopbackServer::Url(std::string_view path, std::string_view host) const {
    return "http://" + std::string(host) + ":" + std::to_string(port_) + std::string(path);
}

std::vector<RecordedRequest> LoopbackServer::Requests() const {
    EnterCriticalSection(&lock_);
    std::vector<RecordedRequest> copy = requests_;
    LeaveCriticalSection(&lock_);
    return copy;
}

bool LoopbackServer::WaitForRequests(int count, int timeoutMs) const {
    for (int waited = 0;; waited += kPollMs) {
        EnterCriticalSection(&lock_);
        const bool enough = int(requests_.size()) >= count;
        LeaveCriticalSection(&lock_);
        if (enough) return true;
        if (waited >= timeoutMs) return false;
        Sleep(kPollMs);
    }
}

bool LoopbackServer::Stopping() const { return InterlockedCompareExchange(const_cast<LONG*>(&stopping_), 0, 0) != 0; }

void LoopbackServer::Record(RecordedRequest request, int& index) {
    EnterCriticalSection(&lock_);
    index = int(requests_.size());
    requests_.push_back(std::move(request));
    LeaveCriticalSection(&lock_);
}

DWORD WINAPI LoopbackServer::AcceptThread(void* self) {
    auto* server = static_cast<LoopbackServer*>(self);
    const SOCKET listener = server->listener_;
    while (!server->Stopping()) {
        if (!Readable(listener, kPollMs)) continue;
        const SOCKET socket = accept(listener, nullptr, nullptr);
        if (socket == INVALID_SOCKET) continue;
        auto* connection = new Connection{server, socket};
        HANDLE thread = CreateThread(nullptr, 0, ConnectionThread, connection, 0, nullptr);
        if (!thread) {
            closesocket(socket);
            delete connection;
            continue;
        }
        EnterCriticalSection(&server->lock_);
        server->connectionThreads_.push_back(thread);
        LeaveCriticalSection(&server->lock_);
    }
    return 0;
}

DWORD WINAPI LoopbackServer::ConnectionThread(void* parameter) {
    auto* connection = static_cast<Connection*>(parameter);
    connection->server->Serve(connection->socket);
    closesocket(connection->socket);
    delete connection;
    return 0;
}

void LoopbackServer::Serve(UINT_PTR rawSocket) {
    const SOCKET socket = rawSocket;
    const DWORD sendTimeout = kSendTimeoutMs;
    setsockopt(socket, SOL_SOCKET, SO_SNDTIMEO, reinterpret_cast<const char*>(&sendTimeout), sizeof sendTimeout);

    // Head, then as much body as Content-Length announces.
    std::string input;
    std::size_t headEnd = std::string::npos;
    std::size_t wanted = std::string::npos;
    char chunk[8192];
    for (int waited = 0; !Stopping() && waited < kRequestWaitMs;) {
        if (headEnd != std::string::npos && input.size() >= wanted) break;
        if (!Readable(socket, kPollMs)) {
            waited += kPollMs;
            continue;
        }
        const int got = recv(socket, chunk, sizeof chunk, 0);
        if (got <= 0) break;
        input.append(chunk, std::size_t(got));
        if (headEnd == std::string::npos && (headEnd = input.find("\r\n\r\n")) != std::string::npos) {
            const RecordedRequest head = Parse(input.substr(0, headEnd));
            const std::string length = head.Header("Content-Length");
            wanted = headEnd + 4 + (length.empty() ? 0 : std::size_t(std::strtoul(length.c_str(), nullptr, 10)));
        }
    }
    if (headEnd == std::string::npos) return;

    RecordedRequest request = Parse(input.substr(0, headEnd));
    request.body = input.substr(headEnd + 4, wanted - headEnd - 4);
    int index = 0;
    Record(request, index);
    const Reply reply = script_(request, index);

    for (int waited = 0; waited < reply.delayMs && !Stopping(); waited += kPollMs) Sleep(kPollMs);

    std::size_t sent = 0;
    while (sent < reply.bytes.size() && !Stopping()) {
        const int step = int(std::min<std::size_t>(reply.bytes.size() - sent, 1 << 16));
        const int done = send(socket, reply.bytes.data() + sent, step, 0);
        if (done <= 0) return;
        sent += std::size_t(done);
    }
    for (int waited = 0; waited < reply.silentMs && !Stopping(); waited += kPollMs) {
        if (Readable(socket, kPollMs) && recv(socket, chunk, sizeof chunk, 0) <= 0) return;
    }
    // Half-close and drain, so the client reads everything before the end.
    shutdown(socket, SD_SEND);
    for (int waited = 0; waited < kLingerMs && !Stopping(); waited += kPollMs) {
        if (Readable(socket, kPollMs) && recv(socket, chunk, sizeof chunk, 0) <= 0) return;
    }
}

}  // namespace velmora::testsupport
