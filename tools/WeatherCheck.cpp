// The weather check: the board's own download and scrape, and why the board
// shows "Loading" when it does.
#include <vector>

#include "Checks.h"
#include "Console.h"
#include "core/Core.h"
#include "data/HttpBody.h"
#include "data/RetrySchedule.h"
#include "data/WeatherScraper.h"
#include "data/WeatherThread.h"
#include "framework/Handles.h"
#include "framework/Internet.h"
#include "framework/Text.h"

using console::Line;
using console::Num;
using console::Say;

namespace {

// Feeds the file's bytes to `take` until it returns false; false when the
// file cannot be read.
template <typename Take>
bool ReadWholeFile(const std::wstring& path, Take take) {
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

// What a WinINet error means. The number and the name stay as Windows
// writes them: they are what a technician searches for.
CString ErrorText(DWORD error) {
    struct Known {
        DWORD code;
        const char* name;
        Bilingual meaning;
    };
    static const Known kKnown[] = {
        {ERROR_INTERNET_TIMEOUT, "ERROR_INTERNET_TIMEOUT",
         {"没有及时回应（服务器或代理没有作声）", "no answer in time (the server or the proxy is silent)"}},
        {ERROR_INTERNET_NAME_NOT_RESOLVED, "ERROR_INTERNET_NAME_NOT_RESOLVED",
         {"找不到服务器的名字（网络还没连上，或者没有 DNS）",
          "the server's name could not be resolved (no network yet, or no DNS)"}},
        {ERROR_INTERNET_CANNOT_CONNECT, "ERROR_INTERNET_CANNOT_CONNECT",
         {"连接被拒绝或无法建立", "the connection was refused or could not be made"}},
        {ERROR_INTERNET_CONNECTION_ABORTED, "ERROR_INTERNET_CONNECTION_ABORTED",
         {"连接中断了", "the connection was broken off"}},
        {ERROR_INTERNET_CONNECTION_RESET, "ERROR_INTERNET_CONNECTION_RESET", {"连接被重置", "the connection was reset"}},
        {ERROR_HTTP_INVALID_SERVER_RESPONSE, "ERROR_HTTP_INVALID_SERVER_RESPONSE",
         {"回答不是 HTTP（中间可能有代理或上网认证页面）",
          "the answer was not HTTP (a proxy or a captive portal in the way?)"}},
        {ERROR_INTERNET_PROXY_SERVER_UNREACHABLE, "ERROR_INTERNET_PROXY_SERVER_UNREACHABLE",
         {"连不上代理服务器", "the proxy could not be reached"}},
        {ERROR_INTERNET_OPERATION_CANCELLED, "ERROR_INTERNET_OPERATION_CANCELLED",
         {"下载被取消", "the download was cancelled"}},
        {ERROR_INTERNET_INVALID_URL, "ERROR_INTERNET_INVALID_URL",
         {"网址不可用（请检查 cityid）", "the address is not usable (check cityid)"}},
    };
    for (const Known& k : kKnown) {
        if (k.code == error) return Num(error) + " " + k.name + Say("：", ": ") + Say(k.meaning);
    }
    return Num(error) + Say("：WinINet 报告的网络故障", ": a network failure WinINet reported");
}

// The proxy WinINet takes for the session, as it will use it.
CString ProxyOf(CInternetSession& session) {
    const char* unknown = Say("不明", "unknown");
    DWORD size = 0;
    ::InternetQueryOptionW(session.GetHandle(), INTERNET_OPTION_PROXY, nullptr, &size);
    if (size == 0) return unknown;
    std::vector<char> buffer(size);
    if (!::InternetQueryOptionW(session.GetHandle(), INTERNET_OPTION_PROXY, buffer.data(), &size)) return unknown;
    const auto* info = reinterpret_cast<const INTERNET_PROXY_INFO*>(buffer.data());
    if (info->dwAccessType != INTERNET_OPEN_TYPE_PROXY || !info->lpszProxy) return Say("无（直接连接）", "none (direct connection)");
    return Narrow(info->lpszProxy);
}

CString Seconds(DWORD ms) { return Num(ms / 1000); }
CString MiB(long long bytes) { return Num(bytes / (1024 * 1024)); }

CString LimitsText() {
    CString text;
    text.Format(Say("时限：每次等待网络 %s 秒，整个下载 %s 秒，最多转向 %d 次，页面最大 %s MiB",
                    "limits: each wait on the network %s s, the whole download %s s, %d redirects, %s MiB"),
                Seconds(WeatherThread::TIMEOUT_MS).GetString(), Seconds(WeatherThread::DEADLINE_MS).GetString(),
                WeatherThread::MAX_REDIRECTS, MiB(httpbody::kMaxBytes).GetString());
    return text;
}

const char* ShowsLoading() { return Say("，所以房价牌显示“Loading”", ", so the board shows \"Loading\""); }

// Why a body that arrived is not a page the board reads.
CString BodyVerdict(httpbody::Kind kind) {
    switch (kind) {
    case httpbody::Kind::TooLarge:
        return Say("页面大于 ", "the page is larger than ") + MiB(httpbody::kMaxBytes) +
               Say(" MiB，不可能是天气页面", " MiB, which no weather page is");
    case httpbody::Kind::Compressed:
        return Say("页面是压缩过的，房价牌读不了（中间可能有代理或过滤程序）",
                   "the page arrived compressed, which the board does not read (a proxy or a filter in the way?)");
    case httpbody::Kind::Binary:
        return Say("页面是二进制数据（含有 NUL 字节），不是天气页面的文字",
                   "the page is binary (it holds NUL bytes), not the text of a weather page");
    case httpbody::Kind::Text:
        break;
    }
    return "";
}

// Why a download gave the board no page.
CString DownloadVerdict(const WeatherThread& fetch) {
    const CString failed = Say("结论：下载失败：", "verdict: the download failed: ");
    CString why;
    switch (fetch.LastFailure()) {
    case WeatherThread::Failure::Status:
        why = Say("服务器回答 ", "the server answered ") + Num(fetch.LastStatus()) +
              Say("，而不是页面", " instead of the page");
        break;
    case WeatherThread::Failure::RedirectLoop:
        why = Say("转向循环：服务器让下载转向超过 ", "redirect loop: the server sent the download on more than ") +
              Num(WeatherThread::MAX_REDIRECTS) + Say(" 次", " times");
        for (const CString& address : fetch.Redirects()) why += " -> " + address;
        break;
    case WeatherThread::Failure::Deadline:
        why = Say("过了 ", "the page had not arrived after ") + Seconds(WeatherThread::DEADLINE_MS) +
              Say(" 秒页面还没到齐，房价牌每次下载最多等这么久（服务器或代理发送太慢）",
                  " s, all the board gives a download (the server or the proxy sends too slowly)");
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
        why = Say("服务器回答的页面是空的", "the server answered with an empty page");
        break;
    case WeatherThread::Failure::Network:
        return failed + Say("没有收到页面", "no page arrived") + ShowsLoading() +
               Say("；请检查网线、代理和防火墙", "; check the network cable, the proxy and the firewall");
    }
    return failed + why + ShowsLoading();
}

CString RetryText() {
    CString minutes;
    for (int i = 1; WeatherRetryDelayMs(i) != 0; ++i) {
        minutes += (i > 1 ? Say("、", ", ") : "") + Num(WeatherRetryDelayMs(i) / 60000);
    }
    return Say("重试：下载失败后，房价牌在 ", "retry: after a failed download the board tries again after ") + minutes +
           Say(" 分钟后再试，之后每小时一次；在设置窗口点击“刷新”立即重试",
               " minutes, then every hour; 刷新 (Refresh) in the settings dialog tries at once");
}

// The page of the city, downloaded as the board downloads it; empty when
// none arrived, with the reason printed.
CString Download(CCore& core, const std::optional<CString>& city) {
    const CString id = weather::CityOrDefault(city ? *city : core.getConfigStr("cityid"));
    const CString address = weather::PageAddress(id);
    Line(Say("城市代码：", "city: ") + id);
    CString note;
    if (!CityCodeNote(id, &note)) Line(note);
    Line(Say("网址：", "address: ") + address);
    Line(LimitsText());
    // The board's own download, run here on this thread.
    WeatherThreadParam param;
    WeatherThread fetch(&WeatherThread::WeatherThreadProc, &param);
    if (!fetch.OpenSession()) {
        Line(Say("结论：无法打开网络会话（这台电脑上的 WinINet 不能用）",
                 "verdict: no internet session could be opened (WinINet is not usable on this PC)"));
        return CString();
    }
    Line(Say("代理：", "proxy: ") + ProxyOf(*fetch.Session()));
    const DWORD start = ::GetTickCount();
    const CString page = fetch.HttpGet(address);
    const DWORD spent = ::GetTickCount() - start;
    for (const CString& next : fetch.Redirects()) Line(Say("转向到：", "redirected to: ") + next);
    CString status;
    status.Format(Say("状态：%s，用时 %.1f 秒", "status: %s, after %.1f s"),
                  fetch.LastStatus() ? Num(fetch.LastStatus()).GetString() : Say("无（没有回答）", "none (no answer)"),
                  spent / 1000.0);
    Line(status);
    if (fetch.LastError()) Line(Say("错误：", "error: ") + ErrorText(fetch.LastError()));
    if (fetch.LastFailure() == WeatherThread::Failure::Network && spent + 100 >= WeatherThread::TIMEOUT_MS) {
        // Time-outs come under other names too (Wine reports an aborted connection).
        Line(Say("超时：", "timed out: no answer within ") + Seconds(WeatherThread::TIMEOUT_MS) +
             Say(" 秒内没有回答（服务器或代理接受了连接，却不作声）",
                 " s (the server or the proxy accepts the connection and stays silent)"));
    }
    if (page.IsEmpty()) {
        Line(DownloadVerdict(fetch));
        Line(RetryText());
    }
    return page;
}

// The scraper's cuts and the record, for a page that arrived.
int JudgePage(CCore& core, CString page) {
    Line(Say("字节数：", "bytes: ") + Num(page.GetLength()));
    core.UTF8_ANSI(page);

    int missing = 0;
    for (const weather::MarkerCheck& m : weather::CheckMarkers(page)) {
        CString line;
        line.Format(Say("%-8s %s（%s）：%s ... %s", "%-14s %s (%s): %s ... %s"),
                    !m.startFound ? Say("缺少开头", "MISSING START") : !m.endFound ? Say("缺少结尾", "MISSING END") : Say("找到", "found"),
                    Say(m.what), Say(m.where), m.start, m.end);
        Line(line);
        missing += !m.startFound || !m.endFound;
    }
    Line(Say("缺少的标记：", "markers missing: ") + Num(missing));

    const auto record = weather::ScrapeRecord(page);
    if (!record) {
        Line(Say("结论：页面里没有天气预报（没有“con today”）：房价牌继续显示“Loading”",
                 "verdict: the page holds no forecast (no \"con today\"): the board keeps showing \"Loading\""));
        Line(RetryText());
        return 1;
    }
    Line(Say("记录：", "record: ") + *record);
    int fields = 1;
    for (int i = 0; i < record->GetLength(); ++i) fields += (*record)[i] == ',';
    const char* comma = Say("、", ", ");
    CString empty;
    for (int i = 0; i < fields && i < weather::kRecordFields; ++i) {
        CString name;
        name.Format("%2d %-18s ", i, Say(weather::FieldName(i)));
        const CString value = core.getFg(*record, ',', i);
        Line(name + value);
        if (value.IsEmpty() || value == "/") empty += CString(empty.IsEmpty() ? "" : comma) + Say(weather::FieldName(i));
    }
    CString shortened;
    for (const weather::ShortenedValue& v : weather::ShortenedValues(page)) {
        CString line;
        line.Format(Say("截短：%s（%s），页面上有 %d 字节", "shortened: %s (%s), %d bytes on the page"), Say(v.what),
                    Say(v.where), v.length);
        Line(line);
        shortened += CString(shortened.IsEmpty() ? "" : comma) + Say(v.what) + Say("（", " (") + Say(v.where) + Say("）", ")");
    }
    CString verdict = empty.IsEmpty()
                          ? CString(Say("结论：每一项都有值，房价牌显示这条记录",
                                        "verdict: every field has a value; the board shows this record"))
                          : Say("结论：房价牌显示这条记录；空白的项：", "verdict: the board shows this record; empty fields: ") + empty;
    if (!shortened.IsEmpty()) {
        verdict += Say("；只保留前 ", "; cut to their first ") + Num(weather::kMaxValueBytes) +
                   Say(" 字节、以“…”结尾的项：", " bytes, ending in \"…\": ") + shortened;
    }
    Line(verdict);
    return 0;
}

}  // namespace

bool CityCodeNote(const CString& id, CString* note) {
    if (weather::IsCityCode(id)) return true;
    note->Format(Say("“%s”不是城市代码：城市代码是 %d 位数字，例如 %s（上海）",
                     "\"%s\" is not a city code: a city code is %d digits, for example %s (Shanghai)"),
                 id.GetString(), weather::kCityCodeDigits, weather::kDefaultCity);
    return false;
}

int CheckWeather(CCore& core, const std::optional<std::wstring>& pageFile, const std::optional<CString>& city) {
    if (!pageFile) {
        const CString page = Download(core, city);
        return page.IsEmpty() ? 1 : JudgePage(core, page);
    }
    Line(Say("页面文件：", "page file: ") + Narrow(*pageFile));
    // Judged as the board judges a download's body, and read no further.
    httpbody::Body body;
    if (!ReadWholeFile(*pageFile, [&](const char* data, int length) { return body.Append(data, length); })) {
        Line(Say("读不出页面文件", "cannot read the page file"));
        return 1;
    }
    if (body.Check() != httpbody::Kind::Text) {
        Line(Say("结论：", "verdict: ") + BodyVerdict(body.Check()) + ShowsLoading());
        return 1;
    }
    return JudgePage(core, body.Take());
}
