// boardcheck: what the board would see, printed for a person at the front
// desk or the technician who looks after the PC. In Chinese; --en in English.
//
//   boardcheck                                     every check on the files beside it
//   boardcheck weather [--page FILE] [--city ID]   the weather page and record
//   boardcheck rates [FILE]                        a rate file, or both beside it
//   boardcheck config                              the settings in config.ini
//   --en anywhere: English; --utf8 anywhere: UTF-8 instead of code page 936
//   when the output goes to a file or a pipe (a console gets UTF-16)
//
// Exit status: 0 when all went well (for weather: a record was read), 1 when
// a check failed (the download failed, the page gives no record, a file is
// missing or cannot be read, config.ini cannot be written), 2 for a command
// line it does not understand. Started on a console of its own (a
// double-click, the Start-menu shortcut) it waits for a key before the
// window closes.
#include <cstdio>
#include <optional>
#include <string>
#include <vector>

#include "Checks.h"
#include "Console.h"
#include "core/Core.h"
#include "core/Globals.h"
#include "core/PathText.h"
#include "data/RateFile.h"
#include "framework/Text.h"
#include <shellapi.h>

using console::Line;
using console::Say;

namespace {

int Usage() {
    Line(Say("用法：boardcheck                  检查全部：设置、两个房价文件、一次天气下载",
             "usage: boardcheck                  every check: the settings, both rate files, a weather download"));
    Line(Say("      boardcheck weather [--page 文件] [--city 城市代码]",
             "       boardcheck weather [--page FILE] [--city ID]"));
    Line(Say("      boardcheck rates [文件]      不写文件名时检查旁边的两个房价文件",
             "       boardcheck rates [FILE]      without a file: both rate files beside it"));
    Line(Say("      boardcheck config", "       boardcheck config"));
    Line(Say("      加 --en 用英文；输出到文件时加 --utf8 写成 UTF-8",
             "       --en: English; --utf8: UTF-8 when the output goes to a file"));
    return 2;
}

int Weather(const std::vector<std::wstring>& args, CCore& core) {
    std::optional<std::wstring> pageFile;
    std::optional<CString> city;
    for (size_t i = 0; i < args.size(); ++i) {
        if (args[i] == L"--page" && i + 1 < args.size() && !pageFile) {
            pageFile = args[++i];
        } else if (args[i] == L"--city" && i + 1 < args.size() && !city) {
            city = Narrow(args[++i]);
            CString note;
            if (!CityCodeNote(*city, &note)) {
                Line("--city " + note);
                return 2;
            }
        } else {
            Line(Say("不认识的参数：", "unknown argument: ") + Narrow(args[i]));
            return Usage();
        }
    }
    return CheckWeather(core, pageFile, city);
}

int BothRateFiles(CCore& core) {
    const int room = CheckRateFile(core.getAppPath() + kRoomRateFile);
    Line("");
    const int exchange = CheckRateFile(core.getAppPath() + kExchangeRateFile);
    return room | exchange;
}

int Rates(const std::vector<std::wstring>& args, CCore& core) {
    if (args.empty()) return BothRateFiles(core);
    if (args.size() != 1) return Usage();
    // A file in a folder code page 936 cannot name is read through its short name.
    return CheckRateFile(PathText(args[0]).value_or(Narrow(args[0])));
}

// Started with no command: every check on the files beside the program,
// each under its heading, and a last line naming those that failed.
int AllChecks(CCore& core) {
    const CString folder = core.getAppPath();
    struct Check {
        Bilingual name;
        int result;
    };
    std::vector<Check> checks;
    auto run = [&](Bilingual name, auto check) {
        Line(CString("== ") + Say(name) + " ==");
        checks.push_back({name, check()});
        Line("");
    };
    run({"设置（config.ini）", "settings (config.ini)"}, [&] { return CheckConfig(core); });
    run({"房价", "room rates"}, [&] { return CheckRateFile(folder + kRoomRateFile); });
    run({"外币兑换", "exchange rates"}, [&] { return CheckRateFile(folder + kExchangeRateFile); });
    run({"天气", "weather"}, [&] { return CheckWeather(core, std::nullopt, std::nullopt); });
    CString failed;
    for (const Check& c : checks) {
        if (c.result != 0) failed += CString(failed.IsEmpty() ? "" : Say("、", ", ")) + Say(c.name);
    }
    if (failed.IsEmpty()) {
        Line(Say("总结：全部正常", "summary: every check passed"));
        return 0;
    }
    Line(Say("总结：有问题的检查：", "summary: failed: ") + failed + Say("（原因见上面各部分）", " (the reasons are above)"));
    return 1;
}

int Run(std::vector<std::wstring> args) {
    if (!PathText(ProgramFolder())) {
        Line(Say("文件夹：名字里有代码页 936 写不出的字符，又没有短名称，房价牌和 boardcheck 都找不到旁边的文件；"
                 "请把文件夹移到别处（例如 C:\\RateBoard）",
                 "folder: its name holds characters code page 936 lacks and it has no short name, so neither the "
                 "board nor boardcheck can reach the files beside them; move the folder (for example to C:\\RateBoard)"));
        return 1;
    }
    CCore core;
    g_core = &core;
    int result = 2;
    if (args.empty()) {
        result = AllChecks(core);
    } else {
        const std::wstring command = args.front();
        args.erase(args.begin());
        if (command == L"weather") {
            result = Weather(args, core);
        } else if (command == L"rates") {
            result = Rates(args, core);
        } else if (command == L"config") {
            result = args.empty() ? CheckConfig(core) : Usage();
        } else {
            result = Usage();
        }
    }
    g_core = nullptr;
    return result;
}

}  // namespace

int main() {
    // Wide arguments, so that file names in any language reach the file system.
    int argc = 0;
    LPWSTR* argv = ::CommandLineToArgvW(::GetCommandLineW(), &argc);
    std::vector<std::wstring> args;
    for (int i = 1; i < argc; ++i) {
        const std::wstring arg = argv[i];
        if (arg == L"--utf8") {
            console::SetUtf8(true);
        } else if (arg == L"--en") {
            console::SetEnglish(true);
        } else {
            args.push_back(arg);
        }
    }
    ::LocalFree(argv);
    const int result = Run(std::move(args));
    std::fflush(stdout);
    // A window of its own closes when the program ends: keep it until read.
    if (console::OwnsConsole()) console::WaitForKey();
    return result;
}
