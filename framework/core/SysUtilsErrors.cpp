// SysUtils: the system's error texts (Windows).
#ifdef _WIN32
#include "framework/core/SysUtils.h"

#include <windows.h>

namespace SysUtils {

String SysErrorMessage(uint32_t ErrorCode) {
    wchar_t* text = nullptr;
    DWORD n = FormatMessageW(FORMAT_MESSAGE_ALLOCATE_BUFFER | FORMAT_MESSAGE_FROM_SYSTEM |
                                 FORMAT_MESSAGE_IGNORE_INSERTS,
                             nullptr, ErrorCode, 0, reinterpret_cast<wchar_t*>(&text), 0, nullptr);
    String message;
    if (n != 0 && text != nullptr)
        message = Utf16ToUtf8(std::u16string_view(reinterpret_cast<const char16_t*>(text), n));
    if (text != nullptr) LocalFree(text);
    message = TrimRight(message);
    if (!message.empty() && message.back() == '.') message.pop_back();
    return message;
}

} // namespace SysUtils
#endif
