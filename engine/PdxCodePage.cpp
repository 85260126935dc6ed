// Text to and from a table's code page.
#include "engine/PdxCodePage.h"

#include "engine/PdxError.h"

#ifdef _WIN32
#include <windows.h>
#else
#include <cerrno>
#include <iconv.h>
#include <map>
#endif

namespace Pdx {

namespace {

[[noreturn]] void Refuse(const std::string& what, int codePage, const char* why) {
    throw Error(PDX_E_VALUE, what + ": " + why + " code page " + std::to_string(codePage));
}

#ifdef _WIN32
std::wstring Wide(const std::string& s, UINT cp, DWORD flags) {
    if (s.empty()) return std::wstring();
    int n = MultiByteToWideChar(cp, flags, s.data(), int(s.size()), nullptr, 0);
    if (n <= 0) return std::wstring(1, L'\xFFFF');
    std::wstring w(size_t(n), L'\0');
    MultiByteToWideChar(cp, flags, s.data(), int(s.size()), w.data(), n);
    return w;
}
#else
// The conversions opened so far on this thread, kept open: opening one costs more than converting a
// value, and a table's values are read by the million. A few are kept (a program reads tables of one or
// two code pages); when more are asked for, all are closed and it starts again.
class Converters {
public:
    ~Converters() { CloseAll(); }
    iconv_t Get(const std::string& to, const std::string& from) {
        const std::string key = to + '<' + from;
        auto it = FOpen.find(key);
        if (it != FOpen.end()) return it->second;
        iconv_t cd = iconv_open(to.c_str(), from.c_str());
        if (cd == iconv_t(-1)) return cd;
        if (FOpen.size() >= MaxOpen) CloseAll();
        FOpen.emplace(key, cd);
        return cd;
    }

private:
    static constexpr size_t MaxOpen = 8;
    void CloseAll() {
        for (auto& [key, cd] : FOpen)
            iconv_close(cd);
        FOpen.clear();
    }
    std::map<std::string, iconv_t> FOpen;
};

// Converts with iconv; false when the input holds something the target cannot take.
bool Iconv(const std::string& in, const std::string& to, const std::string& from, std::string& out) {
    thread_local Converters converters;
    iconv_t cd = converters.Get(to, from);
    if (cd == iconv_t(-1)) return false;
    iconv(cd, nullptr, nullptr, nullptr, nullptr); // back to the initial state after an earlier failure
    out.assign(in.size() * 4 + 4, '\0');
    char* src = const_cast<char*>(in.data());
    size_t srcLeft = in.size(), dstLeft = out.size();
    char* dst = out.data();
    size_t r = iconv(cd, &src, &srcLeft, &dst, &dstLeft);
    if (r == size_t(-1) || r > 0) return false; // r > 0: characters replaced by an approximation
    out.resize(out.size() - dstLeft);
    return true;
}
#endif

} // namespace

std::string CodePageToUtf8(const std::string& bytes, int codePage) {
    if (codePage == 0) codePage = DefaultCodePage;
#ifdef _WIN32
    std::wstring w = Wide(bytes, UINT(codePage), 0);
    if (!IsValidCodePage(UINT(codePage))) Refuse("text", codePage, "the system does not know");
    if (w.empty()) return std::string();
    int n = WideCharToMultiByte(CP_UTF8, 0, w.data(), int(w.size()), nullptr, 0, nullptr, nullptr);
    std::string out(size_t(n), '\0');
    WideCharToMultiByte(CP_UTF8, 0, w.data(), int(w.size()), out.data(), n, nullptr, nullptr);
    return out;
#else
    std::string out;
    if (!Iconv(bytes, "UTF-8", "CP" + std::to_string(codePage), out))
        Refuse("text", codePage, "bytes undefined in, or no conversion for,");
    return out;
#endif
}

std::string Utf8ToCodePage(const std::string& utf8, int codePage, const std::string& what) {
    if (codePage == 0) codePage = DefaultCodePage;
#ifdef _WIN32
    if (!IsValidCodePage(UINT(codePage))) Refuse(what, codePage, "the system does not know");
    std::wstring w = Wide(utf8, CP_UTF8, MB_ERR_INVALID_CHARS);
    if (w == std::wstring(1, L'\xFFFF')) Refuse(what, codePage, "the text is not UTF-8, for");
    if (w.empty()) return std::string();
    BOOL usedDefault = FALSE;
    // 65001 and a few others refuse the default-character arguments; the code pages of tables do not.
    int n = WideCharToMultiByte(UINT(codePage), WC_NO_BEST_FIT_CHARS, w.data(), int(w.size()), nullptr, 0,
                                nullptr, &usedDefault);
    std::string out(size_t(n > 0 ? n : 0), '\0');
    if (n > 0)
        WideCharToMultiByte(UINT(codePage), WC_NO_BEST_FIT_CHARS, w.data(), int(w.size()), out.data(), n,
                            nullptr, &usedDefault);
    if (n <= 0 || usedDefault) Refuse(what, codePage, "a character that cannot be written in");
    return out;
#else
    std::string out;
    if (!Iconv(utf8, "CP" + std::to_string(codePage), "UTF-8", out))
        Refuse(what, codePage, "a character (or bytes that are not UTF-8) that cannot be written in");
    return out;
#endif
}

} // namespace Pdx
