#include "core/FileErrorText.h"

namespace {

struct Reason {
    unsigned long error;
    const char* text;
};

// The system's error codes that a file on a front-desk PC meets.
constexpr Reason kReasons[] = {
    {2, "文件不存在"},                                                    // ERROR_FILE_NOT_FOUND
    {3, "它所在的文件夹不存在"},                                          // ERROR_PATH_NOT_FOUND
    {5, "没有权限：文件设为只读或受保护，或者同名的是一个文件夹"},        // ERROR_ACCESS_DENIED
    {19, "磁盘有写保护"},                                                 // ERROR_WRITE_PROTECT
    {21, "磁盘或网络位置没有就绪"},                                       // ERROR_NOT_READY
    {23, "磁盘上的数据已损坏，读不出来"},                                 // ERROR_CRC
    {32, "文件正被另一个程序独占打开（例如电子表格程序），请先关闭那个程序"},  // ERROR_SHARING_VIOLATION
    {33, "文件的一部分被另一个程序锁定"},                                 // ERROR_LOCK_VIOLATION
    {39, "磁盘已满"},                                                     // ERROR_HANDLE_DISK_FULL
    {53, "网络位置无法访问"},                                             // ERROR_BAD_NETPATH
    {64, "网络连接已断开"},                                               // ERROR_NETNAME_DELETED
    {112, "磁盘已满"},                                                    // ERROR_DISK_FULL
};

}  // namespace

CString FileErrorText(unsigned long error) {
    const char* text = "系统报告了一个错误";
    for (const Reason& r : kReasons) {
        if (r.error == error) text = r.text;
    }
    CString out;
    out.Format("%s（错误代码 %lu）", text, error);
    return out;
}
