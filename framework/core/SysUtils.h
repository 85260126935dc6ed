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

// One argument of Format, as the framework's "array of const" entry.
class TVarRec {
public:
    TVarRec(int v) : FValue(int64_t(v)) {}
    TVarRec(long v) : FValue(int64_t(v)) {}
    TVarRec(long long v) : FValue(int64_t(v)) {}
    TVarRec(unsigned v) : FValue(uint64_t(v)) {}
    TVarRec(unsigned long v) : FValue(uint64_t(v)) {}
    TVarRec(unsigned long long v) : FValue(uint64_t(v)) {}
    TVarRec(double v) : FValue(v) {}
    TVarRec(const char* v) : FValue(String(v ? v : "")) {}
    TVarRec(const String& v) : FValue(v) {}
    TVarRec(std::string_view v) : FValue(String(v)) {}
    TVarRec(const void* v) : FValue(v) {}

    using Value = std::variant<int64_t, uint64_t, double, String, const void*>;
    const Value& Get() const { return FValue; }

private:
    Value FValue;
};

using TVarRecs = std::initializer_list<TVarRec>;

// Formats as the framework's Format does: %s %d %u %x %e %f %g %n %m with index ("%1:s"), left-justify ("-"),
// width and precision (also "*"); "%%" is a percent sign. A directive that does not suit its argument, or a
// missing argument, raises EConvertError.
String Format(std::string_view fmt, TVarRecs args);

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

#define VCL_EXCEPTION_CLASS(Name, Base)                                                                        \
    class Name : public Base {                                                                                 \
        using inherited = Base;                                                                                \
                                                                                                               \
    public:                                                                                                    \
        using inherited::inherited;                                                                            \
        const char* ClassName() const override { return #Name; }                                               \
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

// Integer conversion. StrToInt raises EConvertError "'%s' is not a valid integer value".
String IntToStr(int64_t value);
String IntToHex(uint64_t value, int digits);
int64_t StrToInt64(std::string_view s);
int StrToInt(std::string_view s);
int StrToIntDef(std::string_view s, int def);
bool TryStrToInt(std::string_view s, int& value);

// Rounds to the nearest integer, halves to the even neighbour (2.5 -> 2, 3.5 -> 4, -2.5 -> -2).
int64_t Round(double value);

// Case mapping: UpperCase/LowerCase touch A to Z only; the Ansi forms also map Latin-1 and Cyrillic letters.
String UpperCase(std::string_view s);
String LowerCase(std::string_view s);
String AnsiUpperCase(std::string_view s);
String AnsiLowerCase(std::string_view s);
int CompareText(std::string_view a, std::string_view b);     // ASCII, ignoring case: <0, 0, >0
int AnsiCompareText(std::string_view a, std::string_view b); // whole alphabet, ignoring case
bool SameText(std::string_view a, std::string_view b);       // ASCII, ignoring case
String Trim(std::string_view s);                             // drops characters <= ' ' at both ends
String TrimLeft(std::string_view s);
String TrimRight(std::string_view s);

// File names, with '\' (and '/') as separators and ':' after a drive letter.
String ExtractFileName(std::string_view path);
String ExtractFilePath(std::string_view path);
String ExtractFileExt(std::string_view path);
String IncludeTrailingBackslash(std::string_view path);
String ExcludeTrailingBackslash(std::string_view path);

// Encodings. Invalid UTF-8 input raises EConvertError; so does a character the code page cannot hold.
std::u16string Utf8ToUtf16(std::string_view s);
String Utf16ToUtf8(std::u16string_view s);
bool IsSupportedCodePage(unsigned codePage);                 // 1251, 866, 1252 (and 65001, 20127)
String CodePageToUtf8(std::string_view bytes, unsigned codePage);
std::string Utf8ToCodePage(std::string_view s, unsigned codePage);
bool TryUtf8ToCodePage(std::string_view s, unsigned codePage, std::string& out);

} // namespace SysUtils
