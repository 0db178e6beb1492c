// boardcheck: what the board would see, printed for a person.
//
//   boardcheck weather [--page FILE] [--city ID]   the weather page and record
//   boardcheck rates FILE                          a rate file's records
//   boardcheck config                              the settings in config.ini
//   --utf8 anywhere: print UTF-8 instead of code page 936
//
// Exit status: 0 when all went well (for weather: a record was read), 1 when
// the download failed, the page gives no record, a file cannot be read or
// config.ini cannot be written, 2 for a command line it does not understand.
#include <cstdio>
#include <optional>
#include <string>
#include <vector>

#include "core/ConfigText.h"
#include "core/Core.h"
#include "core/FileErrorText.h"
#include "data/HttpBody.h"
#include "data/RateFile.h"
#include "data/WeatherScraper.h"
#include "data/WeatherThread.h"
#include "core/Globals.h"
#include "core/PathText.h"
#include "framework/Internet.h"
#include "framework/Handles.h"
#include "framework/Text.h"
#include <shellapi.h>

namespace {

bool g_utf8 = false;

// All text of the program is code page 936; the console gets it as asked.
void Print(const CString& text) {
    std::string bytes = text.str();
    if (g_utf8) {
        const std::wstring wide = Widen(text);
        const int n = ::WideCharToMultiByte(CP_UTF8, 0, wide.c_str(), static_cast<int>(wide.size()), nullptr, 0,
                                            nullptr, nullptr);
        bytes.assign(static_cast<size_t>(n > 0 ? n : 0), '\0');
        if (n > 0) {
            ::WideCharToMultiByte(CP_UTF8, 0, wide.c_str(), static_cast<int>(wide.size()), &bytes[0], n, nullptr,
                                  nullptr);
        }
    }
    std::fwrite(bytes.data(), 1, bytes.size(), stdout);
}

void Line(const CString& text) { Print(text + "\n"); }

CString Num(long long value) {
    CString s;
    s.Format("%lld", value);
    return s;
}

// Feeds the file's bytes to `take` until it returns false; false when the
// file cannot be read.
template <typename Take>
bool ReadFile(const std::wstring& path, Take take) {
    UniqueKernelHandle file(::CreateFileW(path.c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr,
                                          OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr));
    if (file.get() == INVALID_HANDLE_VALUE) {
        file.release();  // not a handle to close
        return false;
    }
    char buffer[65536];
    DWORD read = 0;
    while (::ReadFile(file.get(), buffer, sizeof(buffer), &read, nullptr)) {
        if (read == 0 || !take(buffer, static_cast<int>(read))) return true;
    }
    return false;
}

// What a WinINet error means, for whoever looks after the PC.
CString ErrorText(DWORD error) {
    struct Known {
        DWORD code;
        const char* name;
        const char* meaning;
    };
    static const Known kKnown[] = {
        {ERROR_INTERNET_TIMEOUT, "ERROR_INTERNET_TIMEOUT", "no answer in time (the server or the proxy is silent)"},
        {ERROR_INTERNET_NAME_NOT_RESOLVED, "ERROR_INTERNET_NAME_NOT_RESOLVED",
         "the server's name could not be resolved (no network yet, or no DNS)"},
        {ERROR_INTERNET_CANNOT_CONNECT, "ERROR_INTERNET_CANNOT_CONNECT",
         "the connection was refused or could not be made"},
        {ERROR_INTERNET_CONNECTION_ABORTED, "ERROR_INTERNET_CONNECTION_ABORTED", "the connection was broken off"},
        {ERROR_INTERNET_CONNECTION_RESET, "ERROR_INTERNET_CONNECTION_RESET", "the connection was reset"},
        {ERROR_HTTP_INVALID_SERVER_RESPONSE, "ERROR_HTTP_INVALID_SERVER_RESPONSE",
         "the answer was not HTTP (a proxy or a captive portal in the way?)"},
        {ERROR_INTERNET_PROXY_SERVER_UNREACHABLE, "ERROR_INTERNET_PROXY_SERVER_UNREACHABLE",
         "the proxy could not be reached"},
        {ERROR_INTERNET_OPERATION_CANCELLED, "ERROR_INTERNET_OPERATION_CANCELLED", "the download was cancelled"},
        {ERROR_INTERNET_INVALID_URL, "ERROR_INTERNET_INVALID_URL", "the address is not usable (check cityid)"},
    };
    for (const Known& k : kKnown) {
        if (k.code == error) return Num(error) + " " + k.name + ": " + k.meaning;
    }
    return Num(error) + ": a network failure WinINet reported";
}

// The proxy WinINet takes for the session, as it will use it.
CString ProxyOf(CInternetSession& session) {
    DWORD size = 0;
    ::InternetQueryOptionW(session.GetHandle(), INTERNET_OPTION_PROXY, nullptr, &size);
    if (size == 0) return "unknown";
    std::vector<char> buffer(size);
    if (!::InternetQueryOptionW(session.GetHandle(), INTERNET_OPTION_PROXY, buffer.data(), &size)) return "unknown";
    const auto* info = reinterpret_cast<const INTERNET_PROXY_INFO*>(buffer.data());
    if (info->dwAccessType != INTERNET_OPEN_TYPE_PROXY || !info->lpszProxy) return "none (direct connection)";
    return Narrow(info->lpszProxy);
}

CString LimitsText() {
    return "limits: each wait on the network " + Num(WeatherThread::TIMEOUT_MS / 1000) + " s, the whole download " +
           Num(WeatherThread::DEADLINE_MS / 1000) + " s, " + Num(WeatherThread::MAX_REDIRECTS) + " redirects, " +
           Num(httpbody::kMaxBytes / (1024 * 1024)) + " MiB";
}

// Why a body that arrived is not a page the board reads.
CString BodyVerdict(httpbody::Kind kind) {
    switch (kind) {
    case httpbody::Kind::TooLarge:
        return "the page is larger than " + Num(httpbody::kMaxBytes / (1024 * 1024)) + " MiB, which no weather page is";
    case httpbody::Kind::Compressed:
        return "the page arrived compressed, which the board does not read (a proxy or a filter in the way?)";
    case httpbody::Kind::Binary:
        return "the page is binary (it holds NUL bytes), not the text of a weather page";
    case httpbody::Kind::Text:
        break;
    }
    return "";
}

// Why a download gave the board no page.
CString DownloadVerdict(const WeatherThread& fetch) {
    CString why;
    switch (fetch.LastFailure()) {
    case WeatherThread::Failure::Status:
        why = "the server answered " + Num(fetch.LastStatus()) + " instead of the page";
        break;
    case WeatherThread::Failure::RedirectLoop:
        why = "redirect loop: the server sent the download on more than " + Num(WeatherThread::MAX_REDIRECTS) +
              " times";
        for (const CString& address : fetch.Redirects()) why += " -> " + address;
        break;
    case WeatherThread::Failure::Deadline:
        why = "the page had not arrived after " + Num(WeatherThread::DEADLINE_MS / 1000) +
              " s, all the board gives a download (the server or the proxy sends too slowly)";
        break;
    case WeatherThread::Failure::TooLarge:
        why = BodyVerdict(httpbody::Kind::TooLarge);
        break;
    case WeatherThread::Failure::Compressed:
        why = BodyVerdict(httpbody::Kind::Compressed);
        break;
    case WeatherThread::Failure::Binary:
        why = BodyVerdict(httpbody::Kind::Binary);
        break;
    case WeatherThread::Failure::None:
        why = "the server answered with an empty page";
        break;
    case WeatherThread::Failure::Network:
        return "verdict: the download failed: no page arrived, so the board shows \"Loading\"; "
               "check the network cable, the proxy and the firewall";
    }
    return "verdict: the download failed: " + why + ", so the board shows \"Loading\"";
}

CString RetryText() {
    CString minutes;
    for (int i = 1; WeatherRetryDelayMs(i) != 0; ++i) {
        minutes += (i > 1 ? ", " : "") + Num(WeatherRetryDelayMs(i) / 60000);
    }
    return "retry: after a failed download the board tries again after " + minutes +
           " minutes, then every hour; 刷新 (Refresh) in the settings dialog tries at once";
}

// ---- weather ---------------------------------------------------------------------

int Weather(const std::vector<std::wstring>& args, CCore& core) {
    std::optional<std::wstring> pageFile;
    std::optional<CString> city;
    for (size_t i = 0; i < args.size(); ++i) {
        if (args[i] == L"--page" && i + 1 < args.size()) {
            pageFile = args[++i];
        } else if (args[i] == L"--city" && i + 1 < args.size()) {
            city = Narrow(args[++i]);
        } else {
            Line("unknown argument: " + Narrow(args[i]));
            return 2;
        }
    }

    CString page;
    if (pageFile) {
        Line("page file: " + Narrow(*pageFile));
        // Judged as the board judges a download's body, and read no further.
        httpbody::Body body;
        if (!ReadFile(*pageFile, [&](const char* data, int length) { return body.Append(data, length); })) {
            Line("cannot read the page file");
            return 1;
        }
        if (body.Check() != httpbody::Kind::Text) {
            Line("verdict: " + BodyVerdict(body.Check()) + ", so the board shows \"Loading\"");
            return 1;
        }
        page = body.Take();
    } else {
        const CString id = weather::CityOrDefault(city ? *city : core.getConfigStr("cityid"));
        const CString address = weather::PageAddress(id);
        Line("city: " + id);
        Line("address: " + address);
        Line(LimitsText());
        // The board's own download, run here on this thread.
        WeatherThreadParam param;
        WeatherThread fetch(&WeatherThread::WeatherThreadProc, &param);
        if (!fetch.OpenSession()) {
            Line("verdict: no internet session could be opened (WinINet is not usable on this PC)");
            return 1;
        }
        Line("proxy: " + ProxyOf(*fetch.Session()));
        const DWORD start = ::GetTickCount();
        page = fetch.HttpGet(address);
        const DWORD spent = ::GetTickCount() - start;
        for (const CString& next : fetch.Redirects()) Line("redirected to: " + next);
        CString took;
        took.Format("%.1f s", spent / 1000.0);
        Line("status: " + (fetch.LastStatus() ? Num(fetch.LastStatus()) : CString("none (no answer)")) + ", after " +
             took);
        if (fetch.LastError()) Line("error: " + ErrorText(fetch.LastError()));
        if (fetch.LastFailure() == WeatherThread::Failure::Network && spent + 100 >= WeatherThread::TIMEOUT_MS) {
            // Time-outs come under other names too (Wine reports an aborted connection).
            Line("timed out: no answer within " + Num(WeatherThread::TIMEOUT_MS / 1000) +
                 " s (the server or the proxy accepts the connection and stays silent)");
        }
        if (page.IsEmpty()) {
            Line(DownloadVerdict(fetch));
            Line(RetryText());
            return 1;
        }
    }
    Line("bytes: " + Num(page.GetLength()));
    core.UTF8_ANSI(page);

    int missing = 0;
    for (const weather::MarkerCheck& m : weather::CheckMarkers(page)) {
        const char* state = !m.startFound ? "MISSING START" : !m.endFound ? "MISSING END  " : "found        ";
        Line(CString(state) + "  " + m.what + " (" + m.where + "): " + m.start + " ... " + m.end);
        missing += !m.startFound || !m.endFound;
    }
    Line("markers missing: " + Num(missing));

    const auto record = weather::ScrapeRecord(page);
    if (!record) {
        Line("verdict: the page holds no forecast (no \"con today\"): the board keeps showing \"Loading\"");
        Line(RetryText());
        return 1;
    }
    Line("record: " + *record);
    int fields = 1;
    for (int i = 0; i < record->GetLength(); ++i) fields += (*record)[i] == ',';
    CString empty;
    for (int i = 0; i < fields && i < weather::kRecordFields; ++i) {
        CString name;
        name.Format("%2d %-18s ", i, weather::FieldName(i));
        const CString value = core.getFg(*record, ',', i);
        Line(name + value);
        if (value.IsEmpty() || value == "/") empty += CString(empty.IsEmpty() ? "" : ", ") + weather::FieldName(i);
    }
    CString shortened;
    for (const weather::ShortenedValue& v : weather::ShortenedValues(page)) {
        Line(CString("shortened: ") + v.what + " (" + v.where + "), " + Num(v.length) + " bytes on the page");
        shortened += CString(shortened.IsEmpty() ? "" : ", ") + v.what + " (" + v.where + ")";
    }
    CString verdict = empty.IsEmpty() ? CString("verdict: every field has a value; the board shows this record")
                                      : "verdict: the board shows this record; empty fields: " + empty;
    if (!shortened.IsEmpty()) {
        verdict += "; cut to their first " + Num(weather::kMaxValueBytes) + " bytes, ending in \"…\": " + shortened;
    }
    Line(verdict);
    return 0;
}

// ---- rates -----------------------------------------------------------------------

CString EncodingText(RateEncoding encoding) {
    const char* converted = " (converted to code page 936; what it lacks shows as \"?\")";
    switch (encoding) {
    case RateEncoding::Utf8: return CString("UTF-8") + converted;
    case RateEncoding::Utf16LE: return CString("UTF-16 LE, Notepad's \"Unicode\"") + converted;
    case RateEncoding::Utf16BE: return CString("UTF-16 BE, Notepad's \"Unicode big endian\"") + converted;
    default: return "code page 936 (GBK)";
    }
}

int Rates(const std::vector<std::wstring>& args) {
    if (args.size() != 1) {
        Line("usage: boardcheck rates FILE");
        return 2;
    }
    Line("file: " + Narrow(args[0]));
    std::vector<char> table(RATE_BUFFER_SIZE);
    std::vector<rates::LineNote> notes;
    // A file in a folder code page 936 cannot name is read through its short name.
    const CString file = PathText(args[0]).value_or(Narrow(args[0]));
    const RateFileRead read = ReadRateFile(file, table.data(), [&](const rates::LineNote& n) { notes.push_back(n); });
    if (!read.readable) {
        Line("verdict: the file cannot be read: " + FileErrorText(read.error) +
             "; the board keeps the table it shows and tells the operator at 刷新 (Refresh)");
        return 1;
    }
    if (read.encoding == RateEncoding::Unread) {
        Line("verdict: the file does not exist: the board shows an empty table");
        return 1;
    }
    const int count = read.count;
    Line("encoding: " + EncodingText(read.encoding));
    Line("lines: " + Num(notes.size()) + ", records: " + Num(count));
    static const char* const kKinds[] = {"empty line, skipped", "comment (holds \";\"), skipped", "record",
                                         "skipped: the table holds 100 records"};
    for (const rates::LineNote& n : notes) {
        CString line;
        line.Format("line %d: %s", n.line, kKinds[static_cast<int>(n.kind)]);
        if (n.kind == rates::LineKind::Record) {
            line += " " + Num(n.record) + ": " + rates::RateField(table.data(), n.record, 0) + " | " +
                    rates::RateField(table.data(), n.record, 1) + " | " + rates::RateField(table.data(), n.record, 2);
            for (int k = 0; k < RATE_FIELD_COUNT; ++k) {
                if (static_cast<std::size_t>(n.kept[k]) == n.length[k]) continue;
                line += "  (field " + Num(k) + " cut: " + Num(n.kept[k]) + " of " + Num(n.length[k]) + " bytes kept)";
            }
        }
        Line(line);
    }
    return 0;
}

// ---- config ----------------------------------------------------------------------

// Whether the board can write config.ini at its end: 0, or the system's
// reason. The file is opened for writing as the board opens it, without
// sharing, and nothing is written; a missing one is made and removed at once.
DWORD WriteProbe(const CString& path, bool exists) {
    const HANDLE opened = ::CreateFileW(Widen(path).c_str(), GENERIC_WRITE, 0, nullptr, exists ? OPEN_EXISTING : CREATE_NEW,
                                        exists ? FILE_ATTRIBUTE_NORMAL : FILE_FLAG_DELETE_ON_CLOSE, nullptr);
    if (opened == INVALID_HANDLE_VALUE) return ::GetLastError();
    UniqueKernelHandle closed(opened);
    return 0;
}

int Config(const std::vector<std::wstring>& args, CCore& core) {
    if (!args.empty()) {
        Line("usage: boardcheck config");
        return 2;
    }
    const CString path = core.getConfigPath();
    const bool exists = ::GetFileAttributesW(Widen(path).c_str()) != INVALID_FILE_ATTRIBUTES;
    const DWORD error = WriteProbe(path, exists);
    if (error) {
        Line("file: " + path + "  (cannot be written: " + FileErrorText(error) +
             "; the operator's changes are lost at every close)");
    } else {
        Line("file: " + path + (exists ? "" : "  (missing: the board creates it with the defaults)"));
    }
    for (const configtext::Default& d : configtext::kDefaults) {
        const CString key(d.key);
        const CString raw = core.getConfigStr(d.key);
        CString shown;
        bool readable = true;
        if (key == "cityid") {
            shown = weather::CityOrDefault(raw) + "  -> " + weather::PageAddress(raw);
        } else if (key == "width" || key == "height" || key == "on") {
            readable = configtext::ParseInt(raw.str()).has_value();
            shown = Num(core.getConfigInt(d.key));
            if (key == "on") shown += core.getConfigB(d.key) ? " (board shown)" : " (board hidden)";
        } else {
            readable = configtext::ParseColour(raw.str()).has_value();
            shown = CString(configtext::FormatColour(core.getConfigClr(d.key).GetValue()));
        }
        if (!readable) shown += "  (\"" + raw + "\" is unreadable: the default is used)";
        Line(key + " = " + shown);
    }
    return error ? 1 : 0;
}

int Usage() {
    Line("usage: boardcheck weather [--page FILE] [--city ID] [--utf8]");
    Line("       boardcheck rates FILE [--utf8]");
    Line("       boardcheck config [--utf8]");
    return 2;
}

}  // namespace

int main() {
    // Wide arguments, so that file names in any language reach the file system.
    int argc = 0;
    LPWSTR* argv = ::CommandLineToArgvW(::GetCommandLineW(), &argc);
    std::vector<std::wstring> args;
    for (int i = 1; i < argc; ++i) {
        if (std::wstring(argv[i]) == L"--utf8") {
            g_utf8 = true;
        } else {
            args.emplace_back(argv[i]);
        }
    }
    ::LocalFree(argv);
    if (args.empty()) return Usage();
    if (!PathText(ProgramFolder())) {
        Line("folder: its name holds characters code page 936 lacks and it has no short name, so neither the board "
             "nor boardcheck can reach the files beside them; move the folder (for example to C:\\RateBoard)");
        return 1;
    }

    CCore core;
    g_core = &core;
    const std::wstring command = args.front();
    args.erase(args.begin());
    int result = 2;
    if (command == L"weather") {
        result = Weather(args, core);
    } else if (command == L"rates") {
        result = Rates(args);
    } else if (command == L"config") {
        result = Config(args, core);
    } else {
        result = Usage();
    }
    g_core = nullptr;
    std::fflush(stdout);
    return result;
}
