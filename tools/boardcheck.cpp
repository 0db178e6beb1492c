// boardcheck: what the board would see, printed for a person.
//
//   boardcheck weather [--page FILE] [--city ID]   the weather page and record
//   boardcheck rates FILE                          a rate file's records
//   boardcheck config                              the settings in config.ini
//   --utf8 anywhere: print UTF-8 instead of code page 936
//
// Exit status: 0 when all went well, 1 when the page gives no record or a
// file cannot be read, 2 for a command line it does not understand.
#include <cstdio>
#include <optional>
#include <string>
#include <vector>

#include "core/ConfigText.h"
#include "core/Core.h"
#include "data/RateParser.h"
#include "data/WeatherScraper.h"
#include "data/WeatherThread.h"
#include "app/Globals.h"
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

std::optional<std::string> ReadFile(const std::wstring& path) {
    UniqueKernelHandle file(::CreateFileW(path.c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr,
                                          OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr));
    if (file.get() == INVALID_HANDLE_VALUE) {
        file.release();  // not a handle to close
        return std::nullopt;
    }
    std::string bytes;
    char buffer[65536];
    DWORD read = 0;
    while (::ReadFile(file.get(), buffer, sizeof(buffer), &read, nullptr)) {
        if (read == 0) return bytes;
        bytes.append(buffer, read);
    }
    return std::nullopt;
}

const char* const kFieldNames[] = {
    "published",   "day weather", "day temperature", "day wind", "sunrise",    "night weather",
    "night temperature", "night wind", "sunset", "next-day mark", "left label", "right label",
};

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
        auto bytes = ReadFile(*pageFile);
        if (!bytes) {
            Line("cannot read the page file");
            return 1;
        }
        page = CString(std::move(*bytes));
        Line("bytes: " + Num(page.GetLength()));
    } else {
        const CString id = weather::CityOrDefault(city ? *city : core.getConfigStr("cityid"));
        const CString address = weather::PageAddress(id);
        Line("city: " + id);
        Line("address: " + address);
        // The board's own download, run here on this thread.
        WeatherThreadParam param;
        WeatherThread fetch(&WeatherThread::WeatherThreadProc, &param);
        if (!fetch.OpenSession()) {
            Line("no internet session could be opened");
            return 1;
        }
        page = fetch.HttpGet(address);
        Line("status: " + (fetch.LastStatus() ? Num(fetch.LastStatus()) : CString("none (no answer)")));
        Line("bytes: " + Num(page.GetLength()));
    }
    core.UTF8_ANSI(page);

    int missing = 0;
    for (const weather::MarkerCheck& m : weather::CheckMarkers(page)) {
        Line(CString(m.found ? "found    " : "MISSING  ") + m.where + "  " + m.marker);
        missing += !m.found;
    }
    Line("markers missing: " + Num(missing));

    const auto record = weather::ScrapeRecord(page);
    if (!record) {
        Line("record: none (no forecast body in the page; the board keeps showing \"Loading\")");
        return 1;
    }
    Line("record: " + *record);
    int fields = 1;
    for (int i = 0; i < record->GetLength(); ++i) fields += (*record)[i] == ',';
    for (int i = 0; i < fields && i < 12; ++i) {
        CString name;
        name.Format("%2d %-18s ", i, kFieldNames[i]);
        Line(name + core.getFg(*record, ',', i));
    }
    return 0;
}

// ---- rates -----------------------------------------------------------------------

int Rates(const std::vector<std::wstring>& args) {
    if (args.size() != 1) {
        Line("usage: boardcheck rates FILE");
        return 2;
    }
    Line("file: " + Narrow(args[0]));
    auto bytes = ReadFile(args[0]);
    if (!bytes) {
        Line("cannot read the file");
        return 1;
    }
    std::vector<char> table(RATE_BUFFER_SIZE);
    rates::ParseReport report;
    const int count = rates::ParseRateText(bytes->data(), bytes->size(), table.data(), &report);
    Line("lines: " + Num(report.lines) + ", records: " + Num(count) + ", skipped: " + Num(report.skipped.size()) +
         ", cut fields: " + Num(report.cut.size()));
    for (int i = 0; i < count; ++i) {
        CString row;
        row.Format("record %2d (line %d): ", i, report.recordLines[static_cast<size_t>(i)]);
        Line(row + rates::RateField(table.data(), i, 0) + " | " + rates::RateField(table.data(), i, 1) + " | " +
             rates::RateField(table.data(), i, 2));
    }
    for (const rates::SkippedLine& s : report.skipped) {
        Line("skipped line " + Num(s.line) + ": " + rates::SkipReasonText(s.reason));
    }
    for (const rates::CutField& c : report.cut) {
        CString text;
        text.Format("cut: line %d, record %d, field %d: %d of %u bytes kept%s", c.line, c.record, c.field, c.kept,
                    static_cast<unsigned>(c.length), c.endedAtNul ? " (ended at a NUL byte)" : "");
        Line(text);
    }
    if (report.endMarker != std::string::npos) Line("text ends at a Ctrl-Z byte at offset " + Num(report.endMarker));
    return 0;
}

// ---- config ----------------------------------------------------------------------

int Config(const std::vector<std::wstring>& args, CCore& core) {
    if (!args.empty()) {
        Line("usage: boardcheck config");
        return 2;
    }
    const CString path = core.getConfigPath();
    Line("file: " + path + (core.isFileExist(path) ? "" : "  (missing: the board creates it with the defaults)"));
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
    return 0;
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
