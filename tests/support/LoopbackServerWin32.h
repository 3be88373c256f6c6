// A scripted HTTP server on 127.0.0.1 for the client tests: it records
// every request it receives and answers each as the test's script says.
// Every wait is bounded; the server stops when the object goes away.
#pragma once

#include <windows.h>

#include <functional>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

namespace velmora::testsupport {

struct RecordedRequest {
    std::string requestLine;                                   // e.g. "GET /x HTTP/1.1"
    std::vector<std::pair<std::string, std::string>> headers;  // in order, values trimmed
    std::string body;

    // The value of the first header of that name (letters in any case).
    std::string Header(std::string_view name) const;
    int HeaderCount(std::string_view name) const;
    std::string Path() const;  // the request target
    std::string Method() const;
};

struct Reply {
    std::string bytes;  // sent as they are, then the connection is closed
    int delayMs = 0;    // wait before answering
    // After the bytes (none: a server that never answers), keep the
    // connection open and silent this long, or until the client hangs up or
    // the server stops; then close it.
    int silentMs = 0;
};

// Answers the index-th request (from 0) of the server's life.
using Script = std::function<Reply(const RecordedRequest& request, int index)>;

// A whole response with Content-Length and "Connection: close". extraHeaders
// are lines each ending in "\r\n".
std::string HttpResponse(int status, std::string_view extraHeaders, std::string_view body);

class LoopbackServer {
public:
    explicit LoopbackServer(Script script);
    ~LoopbackServer();
    LoopbackServer(const LoopbackServer&) = delete;
    LoopbackServer& operator=(const LoopbackServer&) = delete;

    bool Started() const { return port_ != 0; }
    int Port() const { return port_; }
    // "http://<host>:<port><path>"
    std::string Url(std::string_view path, std::string_view host = "127.0.0.1") const;

    std::vector<RecordedRequest> Requests() const;
    // Waits (bounded) until at least count requests have arrived.
    bool WaitForRequests(int count, int timeoutMs) const;

private:
    struct Connection;
    static DWORD WINAPI AcceptThread(void* self);
    static DWORD WINAPI ConnectionThread(void* connection);
    void Serve(UINT_PTR socket);
    bool Stopping() const;
    void Record(RecordedRequest request, int& index);

    Script script_;
    UINT_PTR listener_;
    int port_ = 0;
    volatile LONG stopping_ = 0;
    HANDLE acceptThread_ = nullptr;
    mutable CRITICAL_SECTION lock_;
    std::vector<RecordedRequest> requests_;
    std::vector<HANDLE> connectionThreads_;
};

}  // namespace velmora::testsupport
