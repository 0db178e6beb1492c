// The checks of the files beside the board: a rate file and config.ini.
#include <vector>

#include "Checks.h"
#include "Console.h"
#include "core/ConfigText.h"
#include "core/Core.h"
#include "core/FileErrorText.h"
#include "data/RateFile.h"
#include "data/WeatherScraper.h"
#include "framework/Handles.h"
#include "framework/Text.h"

using console::Line;
using console::Num;
using console::Say;

namespace {

CString EncodingText(RateEncoding encoding) {
    const char* converted = Say("（已转换为代码页 936；其中没有的字符显示为“?”）",
                                " (converted to code page 936; what it lacks shows as \"?\")");
    switch (encoding) {
    case RateEncoding::Utf8: return CString("UTF-8") + converted;
    case RateEncoding::Utf16LE: return Say("UTF-16 LE，记事本的“Unicode”", "UTF-16 LE, Notepad's \"Unicode\"") + CString(converted);
    case RateEncoding::Utf16BE:
        return Say("UTF-16 BE，记事本的“Unicode big endian”", "UTF-16 BE, Notepad's \"Unicode big endian\"") + CString(converted);
    default: return Say("代码页 936（GBK）", "code page 936 (GBK)");
    }
}

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

}  // namespace

int CheckRateFile(const CString& path) {
    Line(Say("文件：", "file: ") + path);
    std::vector<char> table(RATE_BUFFER_SIZE);
    std::vector<rates::LineNote> notes;
    const RateFileRead read = ReadRateFile(path, table.data(), [&](const rates::LineNote& n) { notes.push_back(n); });
    if (!read.readable) {
        Line(Say("结论：文件读不出来：", "verdict: the file cannot be read: ") + FileErrorText(read.error) +
             Say("；房价牌继续显示原来的表格，点击“刷新”时会告诉操作员",
                 "; the board keeps the table it shows and tells the operator at 刷新 (Refresh)"));
        return 1;
    }
    if (read.encoding == RateEncoding::Unread) {
        Line(Say("结论：文件不存在：房价牌显示空表格", "verdict: the file does not exist: the board shows an empty table"));
        return 1;
    }
    Line(Say("编码：", "encoding: ") + EncodingText(read.encoding));
    CString counts;
    counts.Format(Say("行数：%d，记录：%d", "lines: %d, records: %d"), static_cast<int>(notes.size()), read.count);
    Line(counts);
    static const Bilingual kKinds[] = {{"空行，跳过", "empty line, skipped"},
                                       {"注释（含有“;”），跳过", "comment (holds \";\"), skipped"},
                                       {"记录", "record"},
                                       {"跳过：表格最多 100 条记录", "skipped: the table holds 100 records"}};
    for (const rates::LineNote& n : notes) {
        CString line;
        line.Format(Say("第 %d 行：%s", "line %d: %s"), n.line, Say(kKinds[static_cast<int>(n.kind)]));
        if (n.kind == rates::LineKind::Record) {
            line += " " + Num(n.record) + Say("：", ": ") + rates::RateField(table.data(), n.record, 0) + " | " +
                    rates::RateField(table.data(), n.record, 1) + " | " + rates::RateField(table.data(), n.record, 2);
            for (int k = 0; k < RATE_FIELD_COUNT; ++k) {
                if (static_cast<std::size_t>(n.kept[k]) == n.length[k]) continue;
                CString cut;
                cut.Format(Say("（第 %d 项被截短：保留 %d 字节，原有 %d 字节）", "  (field %d cut: %d of %d bytes kept)"), k,
                           static_cast<int>(n.kept[k]), static_cast<int>(n.length[k]));
                line += cut;
            }
        }
        Line(line);
    }
    return 0;
}

int CheckConfig(CCore& core) {
    const CString path = core.getConfigPath();
    const bool exists = ::GetFileAttributesW(Widen(path).c_str()) != INVALID_FILE_ATTRIBUTES;
    const DWORD error = WriteProbe(path, exists);
    CString state;
    if (error) {
        state = Say("（写不进去：", "  (cannot be written: ") + FileErrorText(error) +
                Say("；每次关闭房价牌时，操作员的修改都会丢失）", "; the operator's changes are lost at every close)");
    } else if (!exists) {
        state = Say("（不存在：房价牌会用默认值创建它）", "  (missing: the board creates it with the defaults)");
    }
    Line(Say("文件：", "file: ") + path + state);
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
            if (key == "on") {
                shown += core.getConfigB(d.key) ? Say("（显示房价牌）", " (board shown)") : Say("（不显示房价牌）", " (board hidden)");
            }
        } else {
            readable = configtext::ParseColour(raw.str()).has_value();
            shown = CString(configtext::FormatColour(core.getConfigClr(d.key).GetValue()));
        }
        if (!readable) {
            shown += Say("  （“", "  (\"") + raw + Say("”读不懂：使用默认值）", "\" is unreadable: the default is used)");
        }
        Line(key + " = " + shown);
    }
    return error ? 1 : 0;
}
