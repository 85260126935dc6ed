// DB: the field classes and their conversions, and the calendar arithmetic of TDateTime.
#include "framework/vcl/DB.h"

#include <charconv>
#include <cmath>
#include <cstdio>

namespace DB {

namespace {

constexpr const char* KindString = "String";
constexpr const char* KindInteger = "Integer";
constexpr const char* KindBoolean = "Boolean";
constexpr const char* KindFloat = "Float";
constexpr const char* KindDateTime = "DateTime";

// The first Count characters (code points) of a UTF-8 string.
String LeftChars(const String& s, int Count) {
    int chars = 0;
    for (size_t i = 0; i < s.size(); ++i) {
        if ((uint8_t(s[i]) & 0xC0) != 0x80) { // a character starts here
            if (chars == Count) return s.substr(0, i);
            ++chars;
        }
    }
    return s;
}

// A number as the framework's TextToFloat reads it: blanks around, a sign, digits with one decimal
// separator, an exponent. No "INF" or "NAN", nothing that does not fit a double.
bool TryTextToFloat(std::string_view text, double& value) {
    String s = SysUtils::Trim(text);
    for (char& c : s)
        if (c == SysUtils::FormatSettings.DecimalSeparator) c = '.';
    if (s.empty()) return false;
    bool digit = false;
    for (char c : s) {
        if (c >= '0' && c <= '9')
            digit = true;
        else if (c != '+' && c != '-' && c != '.' && c != 'e' && c != 'E')
            return false;
    }
    if (!digit) return false;
    std::string_view v = s;
    if (v.front() == '+') v.remove_prefix(1);
    auto [end, ec] = std::from_chars(v.data(), v.data() + v.size(), value);
    return ec == std::errc() && end == v.data() + v.size() && std::isfinite(value);
}

// A decimal number's text: a sign, digits with one ".", at least one digit.
bool IsDecimalText(std::string_view s) {
    size_t i = 0;
    if (i < s.size() && (s[i] == '-' || s[i] == '+')) ++i;
    bool digit = false, point = false;
    for (; i < s.size(); ++i) {
        if (s[i] >= '0' && s[i] <= '9')
            digit = true;
        else if (s[i] == '.' && !point)
            point = true;
        else
            return false;
    }
    return digit;
}

// Days from 1 January 1970 (Gregorian, proleptic) and back.
int64_t DaysFromCivil(int64_t y, int m, int d) {
    y -= m <= 2;
    const int64_t era = (y >= 0 ? y : y - 399) / 400;
    const int64_t yoe = y - era * 400;
    const int64_t doy = (153 * (m > 2 ? m - 3 : m + 9) + 2) / 5 + d - 1;
    const int64_t doe = yoe * 365 + yoe / 4 - yoe / 100 + doy;
    return era * 146097 + doe - 719468;
}
void CivilFromDays(int64_t z, int& y, int& m, int& d) {
    z += 719468;
    const int64_t era = (z >= 0 ? z : z - 146096) / 146097;
    const int64_t doe = z - era * 146097;
    const int64_t yoe = (doe - doe / 1460 + doe / 36524 - doe / 146096) / 365;
    const int64_t doy = doe - (365 * yoe + yoe / 4 - yoe / 100);
    const int64_t mp = (5 * doy + 2) / 153;
    d = int(doy - (153 * mp + 2) / 5 + 1);
    m = int(mp < 10 ? mp + 3 : mp - 9);
    y = int(yoe + era * 400 + (m <= 2));
}
// TDateTime 0 is 30 December 1899, 25569 days before 1 January 1970.
constexpr int64_t UnixDateDelta = 25569;
// The dates a table can hold: 1 January of year 1 to 31 December 9999.
constexpr double MinDateTime = -693593.0;
constexpr double MaxDateTime = 2958466.0;

// Reads up to MaxDigits digits into n; false when there are none.
bool ReadNumber(std::string_view s, size_t& i, int MaxDigits, int& n) {
    size_t start = i;
    n = 0;
    while (i < s.size() && s[i] >= '0' && s[i] <= '9' && int(i - start) < MaxDigits)
        n = n * 10 + (s[i++] - '0');
    return i > start;
}

// "d.m.yyyy", "h:n[:s]" or both, separated by blanks.
bool TryTextToDateTime(std::string_view text, TDateTime& value) {
    String t = SysUtils::Trim(text);
    std::string_view s = t;
    size_t i = 0;
    bool any = false;
    double date = 0, time = 0;
    int a = 0, b = 0, c = 0;
    // A date: three numbers separated by dots.
    size_t save = i;
    if (ReadNumber(s, i, 2, a) && i < s.size() && s[i] == '.') {
        ++i;
        if (!ReadNumber(s, i, 2, b) || i >= s.size() || s[i] != '.') return false;
        ++i;
        if (!ReadNumber(s, i, 4, c)) return false;
        if (!TryEncodeDate(c, b, a, date)) return false;
        any = true;
        while (i < s.size() && s[i] == ' ')
            ++i;
    } else {
        i = save;
    }
    // A time: two or three numbers separated by colons.
    if (i < s.size()) {
        int h = 0, n = 0, sec = 0;
        if (!ReadNumber(s, i, 2, h) || i >= s.size() || s[i] != ':') return false;
        ++i;
        if (!ReadNumber(s, i, 2, n)) return false;
        if (i < s.size() && s[i] == ':') {
            ++i;
            if (!ReadNumber(s, i, 2, sec)) return false;
        }
        if (i != s.size() || h > 23 || n > 59 || sec > 59) return false;
        time = (h * 3600 + n * 60 + sec) / 86400.0;
        any = true;
    }
    if (!any) return false;
    // Before 1899 the fraction still counts forward within the day, as the framework's dates do.
    value = date < 0 ? date - time : date + time;
    return true;
}

String TwoDigits(int n) {
    char buf[8];
    std::snprintf(buf, sizeof buf, "%02d", n % 100);
    return buf;
}

} // namespace

// ---- Calendar ---------------------------------------------------------------------------------------------

bool TryEncodeDate(int Year, int Month, int Day, TDateTime& Date) {
    static const int days[] = {31, 28, 31, 30, 31, 30, 31, 31, 30, 31, 30, 31};
    if (Year < 1 || Year > 9999 || Month < 1 || Month > 12 || Day < 1) return false;
    bool leap = (Year % 4 == 0 && Year % 100 != 0) || Year % 400 == 0;
    if (Day > days[Month - 1] + (Month == 2 && leap ? 1 : 0)) return false;
    Date = double(DaysFromCivil(Year, Month, Day) + UnixDateDelta);
    return true;
}

void DecodeDate(TDateTime Date, int& Year, int& Month, int& Day) {
    CivilFromDays(int64_t(std::trunc(Date)) - UnixDateDelta, Year, Month, Day);
}

void DecodeTime(TDateTime Time, int& Hour, int& Min, int& Sec, int& MSec) {
    double frac = std::fabs(Time - std::trunc(Time));
    int64_t ms = int64_t(std::llround(frac * MSecsPerDay));
    if (ms >= MSecsPerDay) ms = MSecsPerDay - 1;
    Hour = int(ms / 3600000);
    Min = int(ms / 60000 % 60);
    Sec = int(ms / 1000 % 60);
    MSec = int(ms % 1000);
}

// ---- TField
// ------------------------------------------------------------------------------------------------

TField::TField(Classes::TComponent* AOwner) : TComponent(AOwner) {}

void TField::AccessError(const char* TypeName) const {
    DatabaseErrorFmt(Msg::SFieldAccessError, {FFieldName, TypeName});
}

const TFieldValue& TField::GetValue() const {
    static const TFieldValue blank;
    return FDataSet != nullptr ? FDataSet->FieldValue(FIndex) : blank;
}

void TField::SetValue(TFieldValue Value) {
    if (FDataSet == nullptr) DatabaseError(Msg::SDataSetClosed);
    if (FReadOnly) DatabaseErrorFmt(Msg::SFieldReadOnly, {FFieldName});
    FDataSet->SetFieldValue(FIndex, std::move(Value));
}

bool TField::GetIsNull() const {
    return std::holds_alternative<std::monostate>(GetValue());
}

void TField::Clear() {
    SetValue(std::monostate{});
}

String TField::GetAsString() const {
    AccessError(KindString);
}
void TField::SetAsString(const String&) {
    AccessError(KindString);
}
int32_t TField::GetAsInteger() const {
    AccessError(KindInteger);
}
void TField::SetAsInteger(int32_t) {
    AccessError(KindInteger);
}
bool TField::GetAsBoolean() const {
    AccessError(KindBoolean);
}
void TField::SetAsBoolean(bool) {
    AccessError(KindBoolean);
}
double TField::GetAsFloat() const {
    AccessError(KindFloat);
}
void TField::SetAsFloat(double) {
    AccessError(KindFloat);
}
TDateTime TField::GetAsDateTime() const {
    AccessError(KindDateTime);
}
void TField::SetAsDateTime(TDateTime) {
    AccessError(KindDateTime);
}

// ---- TStringField
// ------------------------------------------------------------------------------------------

TStringField::TStringField(Classes::TComponent* AOwner) : TField(AOwner) {
    SetDataType(ftString);
    SetSize(20);
}

String TStringField::GetAsString() const {
    const auto& v = GetValue();
    return std::holds_alternative<String>(v) ? std::get<String>(v) : String();
}

void TStringField::SetAsString(const String& Value) {
    // Cut to the field's size, as the framework copies at most Size characters into the record; an empty
    // string is a blank field, as the table stores it.
    String s = LeftChars(Value, GetSize());
    if (s.empty())
        SetValue(std::monostate{});
    else
        SetValue(std::move(s));
}

int32_t TStringField::GetAsInteger() const {
    String s = GetAsString();
    int64_t v = 0;
    if (!SysUtils::TryStrToInt64(s, v) || v < INT32_MIN || v > INT32_MAX)
        DatabaseErrorFmt(Msg::SInvalidIntegerValue, {s, GetFieldName()});
    return int32_t(v);
}

void TStringField::SetAsInteger(int32_t Value) {
    SetAsString(SysUtils::IntToStr(Value));
}

bool TStringField::GetAsBoolean() const {
    String s = GetAsString();
    return !s.empty() && (s[0] == 'T' || s[0] == 't' || s[0] == 'Y' || s[0] == 'y');
}

void TStringField::SetAsBoolean(bool Value) {
    SetAsString(Value ? "T" : "F");
}

double TStringField::GetAsFloat() const {
    String s = GetAsString();
    double v = 0;
    if (!TryTextToFloat(s, v)) DatabaseErrorFmt(Msg::SInvalidFloatValue, {s, GetFieldName()});
    return v;
}

void TStringField::SetAsFloat(double Value) {
    SetAsString(SysUtils::FloatToStr(Value));
}

// ---- TIntegerField, TSmallintField, TAutoIncField
// ----------------------------------------------------------

TIntegerField::TIntegerField(Classes::TComponent* AOwner) : TField(AOwner) {
    SetDataType(ftInteger);
}

void TIntegerField::CheckRange(int64_t Value) const {
    if (Value < FMinRange || Value > FMaxRange)
        DatabaseErrorFmt(Msg::SFieldRangeError, {Value, FMinRange, FMaxRange, GetFieldName()});
}

String TIntegerField::GetAsString() const {
    const auto& v = GetValue();
    return std::holds_alternative<int64_t>(v) ? SysUtils::IntToStr(std::get<int64_t>(v)) : String();
}

void TIntegerField::SetAsString(const String& Value) {
    if (Value.empty()) {
        Clear();
        return;
    }
    int64_t v = 0;
    if (!SysUtils::TryStrToInt64(Value, v) || v < INT32_MIN || v > INT32_MAX)
        DatabaseErrorFmt(Msg::SInvalidIntegerValue, {Value, GetFieldName()});
    SetAsInteger(int32_t(v));
}

int32_t TIntegerField::GetAsInteger() const {
    const auto& v = GetValue();
    return std::holds_alternative<int64_t>(v) ? int32_t(std::get<int64_t>(v)) : 0;
}

void TIntegerField::SetAsInteger(int32_t Value) {
    CheckRange(Value);
    SetValue(int64_t(Value));
}

double TIntegerField::GetAsFloat() const {
    return GetAsInteger();
}

void TIntegerField::SetAsFloat(double Value) {
    // Rounded to the nearest integer, a half to the even neighbour.
    if (!std::isfinite(Value) || std::fabs(Value) > 9.0e18)
        DatabaseErrorFmt(Msg::SInvalidIntegerValue, {SysUtils::FloatToStr(Value), GetFieldName()});
    int64_t v = SysUtils::Round(Value);
    CheckRange(v);
    SetValue(v);
}

TSmallintField::TSmallintField(Classes::TComponent* AOwner) : TIntegerField(AOwner) {
    SetDataType(ftSmallint);
    SetRange(-32768, 32767);
}

TAutoIncField::TAutoIncField(Classes::TComponent* AOwner) : TIntegerField(AOwner) {
    SetDataType(ftAutoInc);
    SetReadOnly(true);
}

// ---- TFloatField, TCurrencyField
// ---------------------------------------------------------------------------

TFloatField::TFloatField(Classes::TComponent* AOwner) : TField(AOwner) {
    SetDataType(ftFloat);
}

String TFloatField::GetAsString() const {
    const auto& v = GetValue();
    return std::holds_alternative<double>(v) ? SysUtils::FloatToStr(std::get<double>(v)) : String();
}

void TFloatField::SetAsString(const String& Value) {
    if (Value.empty()) {
        Clear();
        return;
    }
    double v = 0;
    if (!TryTextToFloat(Value, v)) DatabaseErrorFmt(Msg::SInvalidFloatValue, {Value, GetFieldName()});
    SetAsFloat(v);
}

int32_t TFloatField::GetAsInteger() const {
    double v = GetAsFloat();
    if (v < double(INT32_MIN) - 0.5 || v >= double(INT32_MAX) + 0.5)
        DatabaseErrorFmt(Msg::SFieldRangeError,
                         {int64_t(v), int64_t(INT32_MIN), int64_t(INT32_MAX), GetFieldName()});
    return int32_t(SysUtils::Round(v));
}

void TFloatField::SetAsInteger(int32_t Value) {
    SetAsFloat(Value);
}

double TFloatField::GetAsFloat() const {
    const auto& v = GetValue();
    return std::holds_alternative<double>(v) ? std::get<double>(v) : 0.0;
}

void TFloatField::SetAsFloat(double Value) {
    if (!std::isfinite(Value))
        DatabaseErrorFmt(Msg::SInvalidFloatValue, {SysUtils::FloatToStr(Value), GetFieldName()});
    SetValue(Value);
}

TCurrencyField::TCurrencyField(Classes::TComponent* AOwner) : TFloatField(AOwner) {
    SetDataType(ftCurrency);
    SetCurrency(true);
}

// ---- TBCDField
// ---------------------------------------------------------------------------------------------

TBCDField::TBCDField(Classes::TComponent* AOwner) : TField(AOwner) {
    SetDataType(ftBCD);
    SetSize(4);
}

String TBCDField::GetAsString() const {
    const auto& v = GetValue();
    return std::holds_alternative<String>(v) ? std::get<String>(v) : String();
}

void TBCDField::SetAsString(const String& Value) {
    if (Value.empty()) {
        Clear();
        return;
    }
    // Kept as decimal text, so that no digit is lost to a double on the way to the table.
    String s = SysUtils::Trim(Value);
    for (char& c : s)
        if (c == SysUtils::FormatSettings.DecimalSeparator) c = '.';
    if (!IsDecimalText(s)) DatabaseErrorFmt(Msg::SInvalidFloatValue, {Value, GetFieldName()});
    SetValue(std::move(s));
}

int32_t TBCDField::GetAsInteger() const {
    double v = GetAsFloat();
    if (v < double(INT32_MIN) - 0.5 || v >= double(INT32_MAX) + 0.5)
        DatabaseErrorFmt(Msg::SFieldRangeError,
                         {int64_t(v), int64_t(INT32_MIN), int64_t(INT32_MAX), GetFieldName()});
    return int32_t(SysUtils::Round(v));
}

void TBCDField::SetAsInteger(int32_t Value) {
    SetValue(SysUtils::IntToStr(Value));
}

double TBCDField::GetAsFloat() const {
    String s = GetAsString();
    double v = 0;
    if (s.empty()) return 0.0;
    std::string_view t = s;
    if (t.front() == '+') t.remove_prefix(1);
    std::from_chars(t.data(), t.data() + t.size(), v);
    return v;
}

void TBCDField::SetAsFloat(double Value) {
    if (!std::isfinite(Value))
        DatabaseErrorFmt(Msg::SInvalidFloatValue, {SysUtils::FloatToStr(Value), GetFieldName()});
    char buf[400];
    int decimals = GetSize() < 0 ? 0 : (GetSize() > 32 ? 32 : GetSize());
    std::snprintf(buf, sizeof buf, "%.*f", decimals, Value);
    SetValue(String(buf));
}

// ---- TBooleanField
// -----------------------------------------------------------------------------------------

TBooleanField::TBooleanField(Classes::TComponent* AOwner) : TField(AOwner) {
    SetDataType(ftBoolean);
}

String TBooleanField::GetAsString() const {
    const auto& v = GetValue();
    if (!std::holds_alternative<int64_t>(v)) return String();
    return std::get<int64_t>(v) != 0 ? "True" : "False";
}

void TBooleanField::SetAsString(const String& Value) {
    if (Value.empty()) {
        Clear();
        return;
    }
    // A beginning of a word, ignoring case: "f", "FAL", "t", "y", "No"... A text longer than the word is
    // compared with the whole word and so does not match.
    auto starts = [&](std::string_view word) {
        return SysUtils::AnsiSameText(Value, word.substr(0, Value.size()));
    };
    if (starts("False") || starts("No"))
        SetAsBoolean(false);
    else if (starts("True") || starts("Yes"))
        SetAsBoolean(true);
    else
        DatabaseErrorFmt(Msg::SInvalidBoolValue, {Value, GetFieldName()});
}

bool TBooleanField::GetAsBoolean() const {
    const auto& v = GetValue();
    return std::holds_alternative<int64_t>(v) && std::get<int64_t>(v) != 0;
}

void TBooleanField::SetAsBoolean(bool Value) {
    SetValue(int64_t(Value ? 1 : 0));
}

// ---- TDateTimeField, TDateField, TTimeField
// ----------------------------------------------------------------

TDateTimeField::TDateTimeField(Classes::TComponent* AOwner) : TField(AOwner) {
    SetDataType(ftDateTime);
}

String TDateTimeField::GetAsString() const {
    if (GetIsNull()) return String();
    TDateTime v = GetAsDateTime();
    int y = 0, m = 0, d = 0, h = 0, n = 0, s = 0, ms = 0;
    DecodeDate(v, y, m, d);
    DecodeTime(v, h, n, s, ms);
    char year[8];
    std::snprintf(year, sizeof year, "%04d", y);
    String date = TwoDigits(d) + "." + TwoDigits(m) + "." + year;
    String time = TwoDigits(h) + ":" + TwoDigits(n) + ":" + TwoDigits(s);
    if (GetDataType() == ftDate) return date;
    if (GetDataType() == ftTime) return time;
    // A timestamp at midnight prints as its date alone, as the framework's DateTimeToStr does.
    return h == 0 && n == 0 && s == 0 && ms == 0 ? date : date + " " + time;
}

void TDateTimeField::SetAsString(const String& Value) {
    if (Value.empty()) {
        Clear();
        return;
    }
    TDateTime v = 0;
    if (!TryTextToDateTime(Value, v)) DatabaseErrorFmt(Msg::SInvalidDateTimeValue, {Value, GetFieldName()});
    SetAsDateTime(v);
}

double TDateTimeField::GetAsFloat() const {
    return GetAsDateTime();
}

void TDateTimeField::SetAsFloat(double Value) {
    SetAsDateTime(Value);
}

TDateTime TDateTimeField::GetAsDateTime() const {
    const auto& v = GetValue();
    return std::holds_alternative<double>(v) ? std::get<double>(v) : 0.0;
}

void TDateTimeField::SetAsDateTime(TDateTime Value) {
    if (!std::isfinite(Value) || Value < MinDateTime || Value >= MaxDateTime)
        DatabaseErrorFmt(Msg::SInvalidDateTimeValue, {SysUtils::FloatToStr(Value), GetFieldName()});
    // A date field keeps the day, a time field the time of day.
    if (GetDataType() == ftDate) Value = std::trunc(Value);
    if (GetDataType() == ftTime) Value = std::fabs(Value - std::trunc(Value));
    SetValue(Value);
}

TDateField::TDateField(Classes::TComponent* AOwner) : TDateTimeField(AOwner) {
    SetDataType(ftDate);
}

TTimeField::TTimeField(Classes::TComponent* AOwner) : TDateTimeField(AOwner) {
    SetDataType(ftTime);
}

// ---- TBytesField, TBlobField, TMemoField
// -------------------------------------------------------------------

TBytesField::TBytesField(Classes::TComponent* AOwner) : TField(AOwner) {
    SetDataType(ftBytes);
    SetSize(16);
}

String TBytesField::GetAsString() const {
    const auto& v = GetValue();
    return std::holds_alternative<String>(v) ? std::get<String>(v) : String();
}

void TBytesField::SetAsString(const String& Value) {
    if (Value.empty()) {
        Clear();
        return;
    }
    SetValue(Value.substr(0, size_t(GetSize() < 0 ? 0 : GetSize())));
}

TBlobField::TBlobField(Classes::TComponent* AOwner) : TField(AOwner) {
    SetDataType(ftBlob);
}

String TBlobField::GetAsString() const {
    const auto& v = GetValue();
    return std::holds_alternative<String>(v) ? std::get<String>(v) : String();
}

void TBlobField::SetAsString(const String& Value) {
    if (Value.empty())
        Clear();
    else
        SetValue(Value);
}

TMemoField::TMemoField(Classes::TComponent* AOwner) : TBlobField(AOwner) {
    SetDataType(ftMemo);
}

PUBLISHED(TField, "DB");
PUBLISHED(TStringField, "DB");
PUBLISHED(TIntegerField, "DB");
PUBLISHED(TSmallintField, "DB");
PUBLISHED(TAutoIncField, "DB");
PUBLISHED(TFloatField, "DB");
PUBLISHED(TCurrencyField, "DB");
PUBLISHED(TBCDField, "DB");
PUBLISHED(TBooleanField, "DB");
PUBLISHED(TDateTimeField, "DB");
PUBLISHED(TDateField, "DB");
PUBLISHED(TTimeField, "DB");
PUBLISHED(TBytesField, "DB");
PUBLISHED(TBlobField, "DB");
PUBLISHED(TMemoField, "DB");

} // namespace DB
