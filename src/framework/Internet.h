// The class library's internet classes over WinINet, holding what the
// weather download uses: a session, an HTTP connection, a GET request and
// the exception that reports a WinINet failure.
//
// Every HINTERNET belongs to one object and is closed exactly once. The
// handles of a session and of everything opened from it are also listed in
// a set shared by those objects, so that another thread may Abort() the
// session: that closes all of them at once (on Windows this cancels a call
// blocked on them), and every later operation fails with
// ERROR_INTERNET_OPERATION_CANCELLED instead of touching a closed handle.
#pragma once
#include <memory>
#include <mutex>
#include <vector>

#include "framework/CString.h"
#include "framework/Win.h"
#include <wininet.h>

class CInternetException {
public:
    explicit CInternetException(DWORD error) : m_dwError(error) {}
    DWORD m_dwError;
};

constexpr DWORD AFX_INET_SERVICE_UNK = 0x1000;
constexpr DWORD AFX_INET_SERVICE_HTTP = 3;
constexpr DWORD AFX_INET_SERVICE_HTTPS = 0x1007;

// Splits an address into service type, server, object path (with any query)
// and port. FALSE when the address cannot be split; the outputs are then
// empty and the service type is AFX_INET_SERVICE_UNK.
BOOL AfxParseURL(const char* url, DWORD& serviceType, CString& server, CString& object, INTERNET_PORT& port);

// The address `relative` (a redirect's Location: absolute, or relative to
// base) as an absolute address. FALSE when the two cannot be combined.
BOOL CombineURL(const char* base, const char* relative, CString& combined);

// WinINet handles open in this process through these classes, all sessions
// together: none once every download has ended.
int OpenInternetHandles();

namespace internet_detail {
// The open handles of one session, closable from any thread.
class HandleSet {
public:
    // Takes ownership of a freshly opened handle. After an abort the handle is
    // closed at once and CInternetException(ERROR_INTERNET_OPERATION_CANCELLED)
    // is thrown.
    HINTERNET Adopt(HINTERNET h);
    // Closes one handle unless an abort already did; FALSE when WinINet refused.
    BOOL Close(HINTERNET h);
    // Closes every handle, newest (innermost) first, and refuses new ones.
    void Abort();
    bool Aborted() const;

private:
    mutable std::mutex m_mutex;
    bool m_aborted = false;
    std::vector<HINTERNET> m_open;
};
using SharedHandles = std::shared_ptr<HandleSet>;
}  // namespace internet_detail

class CHttpFile;
class CHttpConnection;

class CInternetSession {
public:
    // agent: the user agent WinINet reports; null leaves it to the request's
    // own "User-Agent" header. Throws CInternetException when WinINet cannot
    // open a session.
    explicit CInternetSession(const char* agent = nullptr, DWORD_PTR context = 1,
                              DWORD accessType = INTERNET_OPEN_TYPE_PRECONFIG, const char* proxyName = nullptr,
                              const char* proxyBypass = nullptr, DWORD flags = 0);
    ~CInternetSession();
    CInternetSession(const CInternetSession&) = delete;
    CInternetSession& operator=(const CInternetSession&) = delete;

    // A 4-byte option of the session; FALSE when WinINet refuses it.
    BOOL SetOption(DWORD option, DWORD value, DWORD flags = 0);
    // Routes WinINet's status notices of this session and its connections to
    // the framework's handler, which takes no action on them.
    BOOL EnableStatusCallback(BOOL enable = TRUE);
    // Throws CInternetException.
    std::unique_ptr<CHttpConnection> GetHttpConnection(const char* server,
                                                       INTERNET_PORT port = INTERNET_INVALID_PORT_NUMBER,
                                                       const char* user = nullptr, const char* password = nullptr);
    // Closes the session (and, in WinINet, whatever is still open under it).
    // Throws CInternetException when WinINet refuses.
    void Close();
    // Any thread: closes the session and everything opened from it, and makes
    // every later operation on them fail. Safe to call while another thread
    // is inside a call on those handles, and more than once.
    void Abort();

    HINTERNET GetHandle() const { return m_hSession; }
    DWORD_PTR GetContext() const { return m_dwContext; }

private:
    internet_detail::SharedHandles m_handles;
    HINTERNET m_hSession = nullptr;
    DWORD_PTR m_dwContext;
};

class CHttpConnection {
public:
    enum { HTTP_VERB_GET = 1 };

    ~CHttpConnection();
    CHttpConnection(const CHttpConnection&) = delete;
    CHttpConnection& operator=(const CHttpConnection&) = delete;

    // Throws CInternetException. acceptTypes: null-terminated array or null;
    // version null is WinINet's default HTTP version.
    std::unique_ptr<CHttpFile> OpenRequest(int verb, const char* object, const char* referer = nullptr,
                                           DWORD_PTR context = 1, const char** acceptTypes = nullptr,
                                           const char* version = nullptr, DWORD flags = INTERNET_FLAG_EXISTING_CONNECT);
    void Close();  // throws CInternetException

private:
    friend class CInternetSession;
    CHttpConnection(internet_detail::SharedHandles handles, HINTERNET h);
    internet_detail::SharedHandles m_handles;
    HINTERNET m_hConnection;
};

class CHttpFile {
public:
    ~CHttpFile();
    CHttpFile(const CHttpFile&) = delete;
    CHttpFile& operator=(const CHttpFile&) = delete;

    // A 4-byte option of this request; FALSE when WinINet refuses it.
    // Throws CInternetException when the request was aborted.
    BOOL SetOption(DWORD option, DWORD value);
    // length -1: headers is zero-terminated. Throws CInternetException.
    BOOL AddRequestHeaders(const char* headers, DWORD modifiers = HTTP_ADDREQ_FLAG_ADD_IF_NEW, int length = -1);
    // Sends the request and receives the response head. Throws CInternetException.
    BOOL SendRequest(const char* headers = nullptr, DWORD headersLength = 0, LPVOID optional = nullptr,
                     DWORD optionalLength = 0);
    // The response's status code. Throws CInternetException.
    BOOL QueryInfoStatusCode(DWORD& status);
    // A response header (HTTP_QUERY_LOCATION, ...): FALSE when the answer has
    // none, or one longer than 4,096 characters. Throws CInternetException.
    BOOL QueryInfo(DWORD level, CString& value);
    // Waits until some of the body has arrived: how many bytes can be read
    // at once, 0 at its end. Throws CInternetException.
    DWORD QueryDataAvailable();
    // Reads up to count bytes of the body; 0 at its end. Throws CInternetException.
    UINT Read(void* buffer, UINT count);
    void Close();  // throws CInternetException

private:
    friend class CHttpConnection;
    CHttpFile(internet_detail::SharedHandles handles, HINTERNET h);
    HINTERNET Live() const;
    internet_detail::SharedHandles m_handles;
    HINTERNET m_hFile;
};
