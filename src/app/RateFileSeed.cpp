#include "app/RateFileSeed.h"


#include "framework/Handles.h"
#include "framework/Text.h"

const char kRoomRateHeader[] = "; 房价表：类别|标准价|今日价   例如  标准间|388|298";
const char kExchangeRateHeader[] = "; 外币兑换：外币|外币/100|人民币/元   例如  美元|100|718.25";

bool SeedRateFile(const CString& path, const char* headerLine) {
    const std::wstring wpath = Widen(path);
    // CREATE_NEW: never truncates a file that appeared in the meantime.
    UniqueKernelHandle file(::CreateFileW(wpath.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_NEW,
                                          FILE_ATTRIBUTE_NORMAL, nullptr));
    if (file.get() == INVALID_HANDLE_VALUE) {
        file.release();
        const DWORD attributes = ::GetFileAttributesW(wpath.c_str());
        return attributes != INVALID_FILE_ATTRIBUTES && !(attributes & FILE_ATTRIBUTE_DIRECTORY);
    }
    std::string bytes(headerLine ? headerLine : "");
    bytes += "\r\n";
    DWORD written = 0;
    const BOOL ok = ::WriteFile(file.get(), bytes.data(), static_cast<DWORD>(bytes.size()), &written, nullptr);
    if (!ok || written != bytes.size()) {
        // A half-written file would only confuse the operator: take it away.
        file.reset();
        ::DeleteFileW(wpath.c_str());
        return false;
    }
    return true;
}
