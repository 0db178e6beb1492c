#include "framework/Internet.h"

#include <algorithm>
#include <atomic>
#include <string>

#include "framework/Text.h"

namespace {

std::wstring WideOrEmpty(const char* text) { return text ? Widen(CString(text)) : std::wstring(); }
const wchar_t* OrNull(const char* text, const std::wstring& wide) { return text ? wide.c_str() : nullptr; }

[[noreturn]] void ThrowLastError() {
    DWORD error = ::GetLastError();
    throw CInternetException(error != 0 ? error : ERROR_INTERNET_INTERNAL_ERROR);
}

// The framework's default status handler: the program takes no action on
// WinINet's progress notices.
void CALLBACK DefaultStatusCallback(HINTERNET, DWORD_PTR, DWORD, LPVOID, DWORD) {}

}  // namespace

// ---- AfxParseURL -----------------------------------------------------------------

BOOL AfxParseURL(const char* url, DWORD& serviceType, CString& server, CString& object, INTERNET_PORT& port) {
    serviceType = AFX_INET_SERVICE_UNK;
    server.Empty();
    object.Empty();
    port = INTERNET_INVALID_PORT_NUMBER;
    if (!url || !*url) return FALSE;
    const std::wstring wide = Widen(CString(url));
    URL_COMPONENTSW parts{};
    parts.dwStructSize = sizeof(parts);
    parts.dwHostNameLength = 1;  // non-zero: point into the address
    parts.dwUrlPathLength = 1;
    parts.dwExtraInfoLength = 1;
    if (!::InternetCrackUrlW(wide.c_str(), static_cast<DWORD>(wide.size()), 0, &parts)) return FALSE;
    switch (parts.nScheme) {
    case INTERNET_SCHEME_HTTP:
        serviceType = AFX_INET_SERVICE_HTTP;
        break;
    case INTERNET_SCHEME_HTTPS:
        serviceType = AFX_INET_SERVICE_HTTPS;
        break;
    default:
        break;
    }
    server = Narrow(parts.lpszHostName, static_cast<int>(parts.dwHostNameLength));
    std::wstring path(parts.lpszUrlPath ? parts.lpszUrlPath : L"", parts.lpszUrlPath ? parts.dwUrlPathLength : 0);
    if (parts.lpszExtraInfo) path.append(parts.lpszExtraInfo, parts.dwExtraInfoLength);
    if (path.empty()) path = L"/";
    object = Narrow(path);
    port = parts.nPort;
    return serviceType != AFX_INET_SERVICE_UNK && !server.IsEmpty();
}

BOOL CombineURL(const char* base, const char* relative, CString& combined) {
    combined.Empty();
    if (!base || !relative) return FALSE;
    const std::wstring b = Widen(CString(base)), r = Widen(CString(relative));
    DWORD length = 0;
    ::InternetCombineUrlW(b.c_str(), r.c_str(), nullptr, &length, ICU_NO_ENCODE);
    if (length == 0) return FALSE;
    std::wstring out(length + 1, L'\0');
    length = static_cast<DWORD>(out.size());
    if (!::InternetCombineUrlW(b.c_str(), r.c_str(), &out[0], &length, ICU_NO_ENCODE)) return FALSE;
    combined = Narrow(out.substr(0, length));
    return TRUE;
}

// ---- HandleSet -------------------------------------------------------------------

namespace {
std::atomic<int> g_openHandles{0};
}  // namespace

int OpenInternetHandles() { return g_openHandles.load(); }

namespace internet_detail {

HINTERNET HandleSet::Adopt(HINTERNET h) {
    std::lock_guard<std::mutex> lock(m_mutex);
    if (m_aborted) {
        ::InternetCloseHandle(h);
        throw CInternetException(ERROR_INTERNET_OPERATION_CANCELLED);
    }
    m_open.push_back(h);
    ++g_openHandles;
    return h;
}

BOOL HandleSet::Close(HINTERNET h) {
    std::lock_guard<std::mutex> lock(m_mutex);
    auto it = std::find(m_open.begin(), m_open.end(), h);
    if (it == m_open.end()) return TRUE;  // closed by an abort
    m_open.erase(it);
    --g_openHandles;
    return ::InternetCloseHandle(h);
}

void HandleSet::Abort() {
    std::lock_guard<std::mutex> lock(m_mutex);
    m_aborted = true;
    while (!m_open.empty()) {
        ::InternetCloseHandle(m_open.back());
        m_open.pop_back();
        --g_openHandles;
    }
}

bool HandleSet::Aborted() const {
    std::lock_guard<std::mutex> lock(m_mutex);
    return m_aborted;
}

}  // namespace internet_detail

// ---- CInternetSession --------------------------------------------------------------

CInternetSession::CInternetSession(const char* agent, DWORD_PTR context, DWORD accessType, const char* proxyName,
                                   const char* proxyBypass, DWORD flags)
    : m_handles(std::make_shared<internet_detail::HandleSet>()), m_dwContext(context) {
    const std::wstring a = WideOrEmpty(agent), p = WideOrEmpty(proxyName), b = WideOrEmpty(proxyBypass);
    HINTERNET h = ::InternetOpenW(OrNull(agent, a), accessType, OrNull(proxyName, p), OrNull(proxyBypass, b), flags);
    if (!h) ThrowLastError();
    m_hSession = m_handles->Adopt(h);
}

CInternetSession::~CInternetSession() {
    if (m_hSession) m_handles->Close(m_hSession);
}

BOOL CInternetSession::SetOption(DWORD option, DWORD value, DWORD flags) {
    if (!m_hSession || m_handles->Aborted()) return FALSE;
    (void)flags;  // WinINet takes no flags for a session option
    return ::InternetSetOptionW(m_hSession, option, &value, sizeof(value));
}

BOOL CInternetSession::EnableStatusCallback(BOOL enable) {
    if (!m_hSession || m_handles->Aborted()) return FALSE;
    INTERNET_STATUS_CALLBACK previous =
        ::InternetSetStatusCallbackW(m_hSession, enable ? &DefaultStatusCallback : nullptr);
    return previous != INTERNET_INVALID_STATUS_CALLBACK;
}

std::unique_ptr<CHttpConnection> CInternetSession::GetHttpConnection(const char* server, INTERNET_PORT port,
                                                                     const char* user, const char* password) {
    if (!m_hSession || m_handles->Aborted()) throw CInternetException(ERROR_INTERNET_OPERATION_CANCELLED);
    const std::wstring s = WideOrEmpty(server), u = WideOrEmpty(user), p = WideOrEmpty(password);
    HINTERNET h = ::InternetConnectW(m_hSession, s.c_str(), port, OrNull(user, u), OrNull(password, p),
                                     INTERNET_SERVICE_HTTP, 0, m_dwContext);
    if (!h) ThrowLastError();
    return std::unique_ptr<CHttpConnection>(new CHttpConnection(m_handles, m_handles->Adopt(h)));
}

void CInternetSession::Close() {
    if (!m_hSession) return;
    HINTERNET h = m_hSession;
    m_hSession = nullptr;
    if (!m_handles->Close(h)) ThrowLastError();
}

void CInternetSession::Abort() { m_handles->Abort(); }

// ---- CHttpConnection ---------------------------------------------------------------

CHttpConnection::CHttpConnection(internet_detail::SharedHandles handles, HINTERNET h)
    : m_handles(std::move(handles)), m_hConnection(h) {}

CHttpConnection::~CHttpConnection() {
    if (m_hConnection) m_handles->Close(m_hConnection);
}

std::unique_ptr<CHttpFile> CHttpConnection::OpenRequest(int verb, const char* object, const char* referer,
                                                        DWORD_PTR context, const char** acceptTypes,
                                                        const char* version, DWORD flags) {
    if (verb != HTTP_VERB_GET) throw CInternetException(ERROR_INVALID_PARAMETER);
    if (!m_hConnection || m_handles->Aborted()) throw CInternetException(ERROR_INTERNET_OPERATION_CANCELLED);
    const std::wstring o = WideOrEmpty(object), r = WideOrEmpty(referer), v = WideOrEmpty(version);
    std::vector<std::wstring> types;
    std::vector<const wchar_t*> typePointers;
    if (acceptTypes) {
        for (const char** t = acceptTypes; *t; ++t) types.push_back(Widen(CString(*t)));
        for (const std::wstring& t : types) typePointers.push_back(t.c_str());
        typePointers.push_back(nullptr);
    }
    HINTERNET h = ::HttpOpenRequestW(m_hConnection, L"GET", OrNull(object, o), OrNull(version, v),
                                     OrNull(referer, r), acceptTypes ? typePointers.data() : nullptr, flags, context);
    if (!h) ThrowLastError();
    return std::unique_ptr<CHttpFile>(new CHttpFile(m_handles, m_handles->Adopt(h)));
}

void CHttpConnection::Close() {
    if (!m_hConnection) return;
    HINTERNET h = m_hConnection;
    m_hConnection = nullptr;
    if (!m_handles->Close(h)) ThrowLastError();
}

// ---- CHttpFile ---------------------------------------------------------------------

CHttpFile::CHttpFile(internet_detail::SharedHandles handles, HINTERNET h) : m_handles(std::move(handles)), m_hFile(h) {}

CHttpFile::~CHttpFile() {
    if (m_hFile) m_handles->Close(m_hFile);
}

HINTERNET CHttpFile::Live() const {
    if (!m_hFile || m_handles->Aborted()) throw CInternetException(ERROR_INTERNET_OPERATION_CANCELLED);
    return m_hFile;
}

BOOL CHttpFile::SetOption(DWORD option, DWORD value) {
    return ::InternetSetOptionW(Live(), option, &value, sizeof(value));
}

BOOL CHttpFile::AddRequestHeaders(const char* headers, DWORD modifiers, int length) {
    HINTERNET h = Live();
    const CString text = length < 0 ? CString(headers) : CString(headers, length);
    const std::wstring wide = Widen(text);
    if (!::HttpAddRequestHeadersW(h, wide.c_str(), static_cast<DWORD>(wide.size()), modifiers)) ThrowLastError();
    return TRUE;
}

BOOL CHttpFile::SendRequest(const char* headers, DWORD headersLength, LPVOID optional, DWORD optionalLength) {
    HINTERNET h = Live();
    const std::wstring wide = headers ? Widen(CString(headers, static_cast<int>(headersLength))) : std::wstring();
    if (!::HttpSendRequestW(h, headers ? wide.c_str() : nullptr, static_cast<DWORD>(wide.size()), optional,
                            optionalLength)) {
        ThrowLastError();
    }
    return TRUE;
}

BOOL CHttpFile::QueryInfoStatusCode(DWORD& status) {
    HINTERNET h = Live();
    DWORD size = sizeof(status);
    status = 0;
    if (!::HttpQueryInfoW(h, HTTP_QUERY_STATUS_CODE | HTTP_QUERY_FLAG_NUMBER, &status, &size, nullptr)) {
        ThrowLastError();
    }
    return TRUE;
}

BOOL CHttpFile::QueryInfo(DWORD level, CString& value) {
    HINTERNET h = Live();
    value.Empty();
    wchar_t text[4097] = {};
    DWORD size = sizeof(text) - sizeof(wchar_t);
    if (!::HttpQueryInfoW(h, level, text, &size, nullptr)) return FALSE;
    value = Narrow(std::wstring(text, size / sizeof(wchar_t)));
    return TRUE;
}

DWORD CHttpFile::QueryDataAvailable() {
    HINTERNET h = Live();
    DWORD available = 0;
    if (!::InternetQueryDataAvailable(h, &available, 0, 0)) ThrowLastError();
    return available;
}

UINT CHttpFile::Read(void* buffer, UINT count) {
    HINTERNET h = Live();
    DWORD read = 0;
    if (!::InternetReadFile(h, buffer, count, &read)) ThrowLastError();
    return read;
}

void CHttpFile::Close() {
    if (!m_hFile) return;
    HINTERNET h = m_hFile;
    m_hFile = nullptr;
    if (!m_handles->Close(h)) ThrowLastError();
}
