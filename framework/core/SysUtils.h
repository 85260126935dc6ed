// SysUtils: the framework's exception classes, string formatting and conversion helpers.
//
// Declares: String, Exception and the framework's exception classes below it, TVarRec and Format, integer
// and float conversion, ASCII and Cyrillic-aware case mapping, Trim, file-name helpers and conversion between
// UTF-8, UTF-16 and the legacy code pages that our file formats carry (1251, 866, 1252).
//
// Text is UTF-8 in a std::string everywhere; legacy code pages exist only inside file formats.
#pragma once

#include <cstdint>
#include <exception>
#include <initializer_list>
#include <string>
#include <string_view>
#include <variant>

namespace SysUtils {

using String = std::string;

// One argument of Format, as the framework's "array of const" entry. An integer remembers whether it came
// from a 32-bit type, because %u and %x read a negative Integer as its 32-bit pattern (-1 gives "FFFFFFFF").
// A char is a one-character string, as the framework's Char is.
class TVarRec {
public:
    TVarRec(int v) : FValue(int64_t(v)), FIs32(true) {}
    TVarRec(long v) : FValue(int64_t(v)), FIs32(sizeof(long) == 4) {}
    TVarRec(long long v) : FValue(int64_t(v)) {}
    TVarRec(unsigned v) : FValue(uint64_t(v)), FIs32(true) {}
    TVarRec(unsigned long v) : FValue(uint64_t(v)), FIs32(sizeof(unsigned long) == 4) {}
    TVarRec(unsigned long long v) : FValue(uint64_t(v)) {}
    TVarRec(double v) : FValue(v) {}
    TVarRec(char v) : FValue(String(1, v)) {}
    TVarRec(const char* v) : FValue(String(v ? v : "")) {}
    TVarRec(const String& v) : FValue(v) {}
    TVarRec(std::string_view v) : FValue(String(v)) {}
    TVarRec(const void* v) : FValue(v) {}

    using Value = std::variant<int64_t, uint64_t, double, String, const void*>;
    const Value& Get() const { return FValue; }
    bool Is32Bit() const { return FIs32; }

private:
    Value FValue;
    bool FIs32 = false;
};

using TVarRecs = std::initializer_list<TVarRec>;

// The separators and currency layout that Format's %n and %m and FloatToStr use. CurrencyFormat: 0 "$1",
// 1 "1$", 2 "$ 1", 3 "1 $"; NegCurrFormat 0 to 15 as the framework numbers them (0 is "($1)").
struct TFormatSettings {
    char ThousandSeparator = ',';
    char DecimalSeparator = '.';
    String CurrencyString = "$";
    uint8_t CurrencyFormat = 0;
    uint8_t NegCurrFormat = 0;
    uint8_t CurrencyDecimals = 2;
};
// The settings that Format and FloatToStr use when given none. The defaults are those above, whatever the
// machine's locale, so that output does not depend on where the program runs.
extern TFormatSettings FormatSettings;

// Formats as the framework's Format does: %s %d %u %x %e %f %g %n %m %p with index ("%1:s"), left-justify
// ("-"), width and precision (also "*"); "%%" is a percent sign. A directive that does not suit its argument,
// a missing argument or a malformed directive raises EConvertError "Format '%s' invalid or incompatible with
// argument". Width and precision count characters (code points), not bytes.
String Format(std::string_view fmt, TVarRecs args);
String Format(std::string_view fmt, TVarRecs args, const TFormatSettings& settings);

// The root of the framework's exceptions: a message and the class name of the exception.
class Exception : public std::exception {
public:
    explicit Exception(String msg) : FMessage(std::move(msg)) {}
    Exception(std::string_view fmt, TVarRecs args) : FMessage(Format(fmt, args)) {}
    ~Exception() override = default;

    const String& Message() const { return FMessage; }
    void SetMessage(String msg) { FMessage = std::move(msg); }
    const char* what() const noexcept override { return FMessage.c_str(); }
    virtual const char* ClassName() const { return "Exception"; }

private:
    String FMessage;
};

#define VCL_EXCEPTION_CLASS(Name, Base)                                                                      \
    class Name : public Base {                                                                               \
        using inherited = Base;                                                                              \
                                                                                                             \
    public:                                                                                                  \
        using inherited::inherited;                                                                          \
        const char* ClassName() const override { return #Name; }                                             \
    }

VCL_EXCEPTION_CLASS(EAbort, Exception);
VCL_EXCEPTION_CLASS(EConvertError, Exception);
VCL_EXCEPTION_CLASS(EInOutError, Exception);
VCL_EXCEPTION_CLASS(EOutOfMemory, Exception);
VCL_EXCEPTION_CLASS(EInvalidCast, Exception);
VCL_EXCEPTION_CLASS(EInvalidPointer, Exception);
VCL_EXCEPTION_CLASS(EIntError, Exception);
VCL_EXCEPTION_CLASS(ERangeError, EIntError);
VCL_EXCEPTION_CLASS(EOSError, Exception);

// Integer conversion. StrToInt raises EConvertError "'%s' is not a valid integer value". Accepted: leading
// blanks, a sign, decimal digits or a hexadecimal number after "$", "0x" or "x"; nothing after the digits.
// A hexadecimal number may use all the bits of the type ("$FFFFFFFF" is -1 for StrToInt).
String IntToStr(int64_t value);
String IntToHex(uint64_t value, int digits); // upper case, at least digits digits
int64_t StrToInt64(std::string_view s);
int StrToInt(std::string_view s);
int StrToIntDef(std::string_view s, int def);
int64_t StrToInt64Def(std::string_view s, int64_t def);
bool TryStrToInt(std::string_view s, int& value);
bool TryStrToInt64(std::string_view s, int64_t& value);

// Rounds to the nearest integer, halves to the even neighbour (2.5 -> 2, 3.5 -> 4, -2.5 -> -2). A value whose
// rounded result does not fit in 64 bits (and NaN or infinity) raises ERangeError.
int64_t Round(double value);

// The shortest general form with up to 15 significant digits: "0.1", "1234.5", "1E20", "1.5E-7".
String FloatToStr(double value);

// Case mapping: UpperCase/LowerCase touch A to Z only; the Ansi forms work on UTF-8 and also map the letters
// of Latin-1 and code page 1252 (with Š Œ Ž Ÿ ƒ) and Cyrillic (U+0400 to U+045F, Ґ), as Windows maps them.
// AnsiCompareText compares code points after mapping both sides to upper case. None of them raises: bytes
// that are not UTF-8 are kept.
String UpperCase(std::string_view s);
String LowerCase(std::string_view s);
String AnsiUpperCase(std::string_view s);
String AnsiLowerCase(std::string_view s);
int CompareText(std::string_view a, std::string_view b);     // ASCII, ignoring case: <0, 0, >0
int AnsiCompareText(std::string_view a, std::string_view b); // whole alphabet, ignoring case
bool SameText(std::string_view a, std::string_view b);       // ASCII, ignoring case
bool AnsiSameText(std::string_view a, std::string_view b);   // whole alphabet, ignoring case
int CompareStr(std::string_view a, std::string_view b);      // byte by byte (code point order for UTF-8)
int AnsiCompareStr(std::string_view a, std::string_view b);  // code point order, case matters
String Trim(std::string_view s);                             // drops characters <= ' ' at both ends
String TrimLeft(std::string_view s);
String TrimRight(std::string_view s);

// File names, with '\' (and '/') as separators and ':' after a drive letter. IncludeTrailingBackslash appends
// PathDelim, the separator of the system the program runs on ('\' on Windows, '/' elsewhere).
#ifdef _WIN32
inline constexpr char PathDelim = '\\';
#else
inline constexpr char PathDelim = '/';
#endif
String ExtractFileName(std::string_view path);
String ExtractFilePath(std::string_view path);
String ExtractFileExt(std::string_view path);
String IncludeTrailingBackslash(std::string_view path);
String ExcludeTrailingBackslash(std::string_view path);

// File attributes and the directory search. FindFirst returns 0 and fills F with the first entry matching
// Path ("C:\\dir\\*.db"); an entry whose attributes hold faHidden, faSysFile, faVolumeID or faDirectory is
// skipped unless Attr names that attribute too, so a mask of faArchive finds plain, read-only and archive
// files only. Otherwise it returns the system's error code. FindNext goes on (0, or an error code when no
// entry is left); FindClose ends the search and may be called more than once.
inline constexpr int faReadOnly = 0x01, faHidden = 0x02, faSysFile = 0x04, faVolumeID = 0x08,
                     faDirectory = 0x10, faArchive = 0x20, faAnyFile = 0x3F;
struct TSearchRec {
    int Time = 0; // the last write time, local, in DOS form (date in the high word)
    int64_t Size = 0;
    int Attr = 0;
    String Name; // name and extension, no path, as the system returned it
    int ExcludeAttr = 0;
    void* FindHandle = nullptr;
};
#ifdef _WIN32
int FindFirst(std::string_view Path, int Attr, TSearchRec& F);
int FindNext(TSearchRec& F);
void FindClose(TSearchRec& F);
// The system's text for an error code (GetLastError), without its line break and full stop; "" for none.
String SysErrorMessage(uint32_t ErrorCode);
#endif

// Encodings. Invalid UTF-8 input raises EConvertError; so does a character the code page cannot hold
// ("Character U+00E9 cannot be represented in code page 1251"). The tables are those of Windows: bytes that a
// code page leaves undefined (0x98 in 1251; 0x81, 0x8D, 0x8F, 0x90, 0x9D in 1252) stand for the C1 control of
// the same value. In 20127 (US-ASCII) a byte above 0x7F is an error; so is any other code page ("Code page
// 437 is not supported").
std::u16string Utf8ToUtf16(std::string_view s);
String Utf16ToUtf8(std::u16string_view s);
// Appends one code point (at most U+10FFFF) to a UTF-8 string.
void AppendUtf8(String& out, uint32_t codePoint);
bool IsSupportedCodePage(unsigned codePage); // 1251, 866, 1252 (and 65001, 20127)
String CodePageToUtf8(std::string_view bytes, unsigned codePage);
std::string Utf8ToCodePage(std::string_view s, unsigned codePage);
bool TryUtf8ToCodePage(std::string_view s, unsigned codePage, std::string& out); // false instead of raising

} // namespace SysUtils
