// SysUtils: the package resources' bytes, written and read back with every byte bounds-checked.
#include "framework/core/SysUtilsPackages.h"

#include <cctype>
#include <cstring>

namespace SysUtils {

namespace {

class TBytes {
public:
    TBytes(const uint8_t* data, size_t size, const String& what) : FData(data), FSize(size), FWhat(what) {}

    [[noreturn]] void Fail(const String& why) const { throw EPackageError(FWhat + " is damaged: " + why); }
    uint8_t Byte() {
        if (FAt >= FSize) Fail("it ends at byte " + IntToStr(int64_t(FAt)));
        return FData[FAt++];
    }
    uint32_t U32() {
        uint32_t v = 0;
        for (int i = 0; i < 4; ++i)
            v |= uint32_t(Byte()) << (8 * i);
        return v;
    }
    String Name() {
        size_t start = FAt;
        const void* end = FAt < FSize ? std::memchr(FData + FAt, 0, FSize - FAt) : nullptr;
        if (end == nullptr) Fail("a name at byte " + IntToStr(int64_t(start)) + " has no end");
        String name(reinterpret_cast<const char*>(FData + FAt),
                    static_cast<const uint8_t*>(end) - (FData + FAt));
        FAt += name.size() + 1;
        if (name.empty()) Fail("an empty name at byte " + IntToStr(int64_t(start)));
        return name;
    }
    String HashedName() {
        uint8_t hash = Byte();
        String name = Name();
        if (hash != PackageNameHash(name)) Fail("the hash of the name " + name + " is wrong");
        return name;
    }
    // UTF-16 strings, each zero-terminated, until an empty one or the end.
    std::vector<String> WideStrings() {
        std::vector<String> out;
        while (!AtEnd()) {
            std::u16string s;
            while (true) {
                if (Left() < 2) Fail("a text has no end");
                char16_t c = char16_t(Byte());
                c = char16_t(c | (char16_t(Byte()) << 8));
                if (c == 0) break;
                s += c;
            }
            if (s.empty()) break;
            out.push_back(Utf16ToUtf8(s));
        }
        return out;
    }
    bool AtEnd() const { return FAt == FSize; }
    size_t Left() const { return FSize - FAt; }

private:
    const uint8_t* FData;
    size_t FSize;
    String FWhat;
    size_t FAt = 0;
};

void PutU32(std::vector<uint8_t>& out, uint32_t v) {
    for (int i = 0; i < 4; ++i)
        out.push_back(uint8_t(v >> (8 * i)));
}

void PutName(std::vector<uint8_t>& out, const String& name) {
    out.push_back(PackageNameHash(name));
    out.insert(out.end(), name.begin(), name.end());
    out.push_back(0);
}

void PutWide(std::vector<uint8_t>& out, const String& utf8) {
    for (char16_t c : Utf8ToUtf16(utf8)) {
        out.push_back(uint8_t(c));
        out.push_back(uint8_t(c >> 8));
    }
    out.push_back(0);
    out.push_back(0);
}

} // namespace

uint8_t PackageNameHash(std::string_view Name) {
    uint32_t h = 0;
    for (char c : Name) {
        h = (h << 4) + uint8_t(std::toupper(uint8_t(c)));
        uint32_t g = h & 0xF0000000u;
        if (g) h ^= g >> 24;
        h &= ~g;
    }
    return uint8_t(h);
}

std::vector<uint8_t> PackageInfoBytes(const TPackageInfo& Info) {
    std::vector<uint8_t> out;
    PutU32(out, Info.Flags);
    PutU32(out, uint32_t(Info.Requires.size()));
    for (const String& r : Info.Requires)
        PutName(out, r);
    PutU32(out, uint32_t(Info.Contains.size()));
    for (const TPackageUnitInfo& u : Info.Contains) {
        out.push_back(u.Flags);
        PutName(out, u.Name);
    }
    return out;
}

TPackageInfo ParsePackageInfo(const uint8_t* Data, size_t Size, const String& What) {
    TBytes in(Data, Size, What);
    TPackageInfo info;
    info.Flags = in.U32();
    // Each entry takes at least three bytes: a count beyond what is left is damage, not a reason to allocate.
    uint32_t required = in.U32();
    if (required > in.Left() / 3) in.Fail("it names more required packages than it holds");
    for (uint32_t i = 0; i < required; ++i)
        info.Requires.push_back(in.HashedName());
    uint32_t contained = in.U32();
    if (contained > in.Left() / 4) in.Fail("it names more units than it holds");
    for (uint32_t i = 0; i < contained; ++i) {
        uint8_t flags = in.Byte();
        info.Contains.push_back({in.HashedName(), flags});
    }
    if (!in.AtEnd()) in.Fail("bytes follow the list of units");
    if (info.Contains.empty() || !(info.Contains[0].Flags & ufMainUnit))
        in.Fail("the package itself is not its first unit");
    return info;
}

std::vector<uint8_t> PackageOptionsBytes(const std::vector<std::pair<String, String>>& Options) {
    std::vector<uint8_t> out;
    for (const auto& [name, value] : Options)
        PutWide(out, name + "=" + value);
    PutWide(out, "");
    return out;
}

std::vector<std::pair<String, String>> ParsePackageOptions(const uint8_t* Data, size_t Size,
                                                           const String& What) {
    TBytes in(Data, Size, What);
    std::vector<std::pair<String, String>> out;
    for (const String& s : in.WideStrings()) {
        size_t eq = s.find('=');
        if (eq == String::npos || eq == 0) in.Fail("the option '" + s + "' is not Name=Value");
        out.emplace_back(s.substr(0, eq), s.substr(eq + 1));
    }
    if (!in.AtEnd()) in.Fail("bytes follow the options");
    return out;
}

std::vector<uint8_t> DescriptionBytes(const String& Description) {
    std::vector<uint8_t> out;
    PutWide(out, Description);
    return out;
}

String ParseDescription(const uint8_t* Data, size_t Size, const String& What) {
    TBytes in(Data, Size, What);
    std::vector<String> texts = in.WideStrings();
    if (!in.AtEnd()) in.Fail("bytes follow the description");
    return texts.empty() ? String() : texts[0];
}

String PackageFlagsText(uint32_t Flags) {
    String text = Flags & pfDesignOnly ? "design-time only"
                  : Flags & pfRunOnly  ? "run-time only"
                                       : "design-time and run-time";
    if (Flags & pfNeverBuild) text += ", never rebuilt";
    return text;
}

} // namespace SysUtils
