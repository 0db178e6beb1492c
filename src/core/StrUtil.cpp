#include "core/StrUtil.h"

#include <cstring>

namespace strutil {

CString Field(const CString& text, char sep, int index) {
    if (index < 0) return CString();
    const std::string& s = text.str();
    size_t begin = 0;
    for (int i = 0; i < index; ++i) {
        size_t next = s.find(sep, begin);
        if (next == std::string::npos) return CString();
        begin = next + 1;
    }
    size_t end = s.find(sep, begin);
    return CString(s.substr(begin, end == std::string::npos ? std::string::npos : end - begin));
}

CString Between(const CString& text, const char* start, const char* end) {
    if (!start || !end) return CString();
    const std::string& s = text.str();
    size_t from = s.find(start);
    if (from == std::string::npos) return CString();
    from += std::strlen(start);
    size_t to = s.find(end, from);
    if (to == std::string::npos) return CString();
    return CString(s.substr(from, to - from));
}

CString IntText(int value) {
    return CString(std::to_string(value));
}

CString WeekdayText(int day) {
    static const char* const kNames[7] = {"星期日", "星期一", "星期二", "星期三",
                                          "星期四", "星期五", "星期六"};
    if (day < 0 || day > 6) return CString();
    return CString(kNames[day]);
}

}  // namespace strutil
