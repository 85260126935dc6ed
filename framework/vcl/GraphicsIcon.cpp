// Graphics: TGraphic, the base of the pictures, and TIcon.
#include "framework/vcl/Graphics.h"

#include "framework/core/ClassesReaderWriter.h"

#include <algorithm>

namespace Graphics {

using Detail::PutU16;
using Detail::PutU32;
using Detail::U16;
using Detail::U32;

std::vector<uint8_t> Detail::ReadRest(Classes::TStream& Stream, const char* What) {
    int64_t size = Stream.GetSize() - Stream.GetPosition();
    if (size > (int64_t(256) << 20)) throw EInvalidGraphic(String(What) + " is too large");
    std::vector<uint8_t> data(size_t(std::max<int64_t>(size, 0)));
    if (!data.empty()) Stream.ReadBuffer(data.data(), data.size());
    return data;
}

// ==== TGraphic =============================================================================================

void TGraphic::DefineProperties(Classes::TFiler& Filer) {
    Filer.DefineBinaryProperty(
        "Data", [this](Classes::TStream& s) { ReadData(s); }, [this](Classes::TStream& s) { WriteData(s); },
        !GetEmpty());
}

void TGraphic::Changed() {
    FModified = true;
    OnChange(this);
}

void TGraphic::SetTransparent(bool Value) {
    if (Value == FTransparent) return;
    FTransparent = Value;
    Changed();
}

void TGraphic::ReadData(Classes::TStream& Stream) {
    LoadFromStream(Stream);
}

void TGraphic::WriteData(Classes::TStream& Stream) {
    SaveToStream(Stream);
}

void TGraphic::LoadFromFile(const String& FileName) {
    Classes::TFileStream file(FileName, Classes::fmOpenRead | Classes::fmShareDenyWrite);
    LoadFromStream(file);
}

void TGraphic::SaveToFile(const String& FileName) {
    Classes::TFileStream file(FileName, Classes::fmCreate);
    SaveToStream(file);
}

PUBLISHED(TGraphic, "Graphics");

// ==== TIcon ================================================================================================

namespace {

// The .ico layout (all little-endian):
//   offset 0  u16 reserved = 0, u16 type = 1, u16 count
//   offset 6  count entries of 16 bytes: u8 width (0 = 256), u8 height, u8 colours, u8 reserved,
//             u16 planes, u16 bits per pixel, u32 bytes of the image, u32 offset of the image in the file
// A resource group (RT_GROUP_ICON) has the same header with 14-byte entries: the last field is the u16 id
// of the RT_ICON resource instead of the u32 offset.
struct TIconEntry {
    int Width, Height, Bits;
    size_t Offset, Size;
};

std::vector<TIconEntry> ParseIcon(const std::vector<uint8_t>& d) {
    auto bad = [] { return EInvalidGraphic("Invalid icon: the data is not an icon file"); };
    if (d.size() < 6 || U16(&d[0]) != 0 || U16(&d[2]) != 1) throw bad();
    size_t count = U16(&d[4]);
    if (count == 0 || d.size() < 6 + 16 * count) throw bad();
    std::vector<TIconEntry> entries;
    for (size_t i = 0; i < count; ++i) {
        const uint8_t* e = &d[6 + 16 * i];
        TIconEntry entry{e[0] ? e[0] : 256, e[1] ? e[1] : 256, U16(e + 6), U32(e + 12), U32(e + 8)};
        if (entry.Size == 0 || entry.Offset > d.size() || entry.Size > d.size() - entry.Offset) throw bad();
        entries.push_back(entry);
    }
    return entries;
}

// An .ico file of one image made from an icon handle: a 32-bit image with the AND mask, or for a
// monochrome icon the 1-bit image its mask bitmap already is (the XOR half below the AND half, bottom-up).
std::vector<uint8_t> IcoOf(HICON Icon) {
    ICONINFO info{};
    if (!GetIconInfo(Icon, &info)) throw EInvalidGraphic("The handle given to an icon is not an icon");
    WinHandles::TBitmapHandle color(info.hbmColor), mask(info.hbmMask);
    BITMAP bm{};
    if (!mask || !GetObjectW(mask, sizeof(bm), &bm)) throw EInvalidGraphic("The icon has no mask");
    int w = bm.bmWidth, h = color ? bm.bmHeight : bm.bmHeight / 2;
    int bits = color ? 32 : 1;
    std::vector<uint8_t> image(40 + (color ? 0 : 8));
    struct {
        BITMAPINFOHEADER Header;
        RGBQUAD Colors[2];
    } bi{};
    bi.Header = {sizeof(BITMAPINFOHEADER), w, 0, 1, 0, BI_RGB, 0, 0, 0, 0, 0};
    WinHandles::TWindowDC screen(nullptr);
    auto rows = [&](HBITMAP from, int count, WORD depth) {
        bi.Header.biHeight = count;
        bi.Header.biBitCount = depth;
        size_t stride = size_t((w * depth + 31) / 32 * 4);
        std::vector<uint8_t> out(stride * size_t(count));
        if (GetDIBits(screen, from, 0, UINT(count), out.data(), reinterpret_cast<BITMAPINFO*>(&bi),
                      DIB_RGB_COLORS) != count)
            throw EInvalidGraphic("The icon's pixels cannot be read");
        return out;
    };
    std::vector<uint8_t> pixels = color ? rows(color, h, 32) : rows(mask, 2 * h, 1);
    if (color) {
        std::vector<uint8_t> andRows = rows(mask, h, 1);
        pixels.insert(pixels.end(), andRows.begin(), andRows.end());
    }
    bi.Header.biHeight = 2 * h; // an icon image's header counts the XOR and AND halves
    bi.Header.biBitCount = WORD(bits);
    bi.Header.biSizeImage = 0;
    bi.Header.biClrUsed = bi.Header.biClrImportant = 0;
    bi.Colors[0] = {0, 0, 0, 0};
    bi.Colors[1] = {255, 255, 255, 0};
    const auto* header = reinterpret_cast<const uint8_t*>(&bi);
    std::copy(header, header + image.size(), image.begin());
    image.insert(image.end(), pixels.begin(), pixels.end());
    std::vector<uint8_t> ico;
    PutU16(ico, 0);
    PutU16(ico, 1);
    PutU16(ico, 1);
    ico.push_back(uint8_t(w >= 256 ? 0 : w));
    ico.push_back(uint8_t(h >= 256 ? 0 : h));
    ico.push_back(0);
    ico.push_back(0);
    PutU16(ico, 1);
    PutU16(ico, uint16_t(bits));
    PutU32(ico, uint32_t(image.size()));
    PutU32(ico, 22);
    ico.insert(ico.end(), image.begin(), image.end());
    return ico;
}

} // namespace

String Detail::ResourceIdText(int Id) {
    String shown = SysUtils::IntToStr(Id);
    shown.insert(shown.begin(), '#');
    return shown;
}

TIcon::TIcon() = default;

TIcon::~TIcon() = default;

void TIcon::SetWidth(int) {
    throw EInvalidGraphicOperation("Cannot change the size of an icon");
}

void TIcon::SetHeight(int) {
    throw EInvalidGraphicOperation("Cannot change the size of an icon");
}

void TIcon::FreeHandle() {
    FHandle.Reset();
    FImage = -1;
}

void TIcon::SetData(std::vector<uint8_t> Data) {
    if (!Data.empty()) ParseIcon(Data); // malformed data is refused before anything changes
    FreeHandle();
    FData = std::move(Data);
    Changed();
}

void TIcon::Assign(TPersistent* Source) {
    if (Source == nullptr) {
        SetData({});
        return;
    }
    if (auto* i = dynamic_cast<TIcon*>(Source)) {
        if (i != this) SetData(i->FData);
        return;
    }
    inherited::Assign(Source);
}

int TIcon::GetWidth() const {
    if (FData.empty()) return 0;
    return ParseIcon(FData)[size_t(std::max(FImage, 0))].Width;
}

int TIcon::GetHeight() const {
    if (FData.empty()) return 0;
    return ParseIcon(FData)[size_t(std::max(FImage, 0))].Height;
}

void TIcon::LoadFromStream(Classes::TStream& Stream) {
    SetData(Detail::ReadRest(Stream, "The icon"));
}

void TIcon::SaveToStream(Classes::TStream& Stream) {
    if (!FData.empty()) Stream.WriteBuffer(FData.data(), FData.size());
}

void TIcon::LoadFromResourceName(HINSTANCE Instance, const String& ResName) {
    std::u16string name = SysUtils::Utf8ToUtf16(ResName);
    LoadFromResource(Instance, reinterpret_cast<const wchar_t*>(name.c_str()), ResName);
}

void TIcon::LoadFromResourceID(HINSTANCE Instance, int ResID) {
    LoadFromResource(Instance, MAKEINTRESOURCEW(ResID), Detail::ResourceIdText(ResID));
}

void TIcon::LoadFromResource(HINSTANCE Instance, const wchar_t* Name, const String& Shown) {
    auto bytesOf = [&](const wchar_t* name, const wchar_t* type, DWORD& size) -> const uint8_t* {
        HRSRC res = FindResourceW(Instance, name, type);
        if (!res) throw Classes::EResNotFound("Resource " + Shown + " not found");
        HGLOBAL mem = LoadResource(Instance, res);
        size = SizeofResource(Instance, res);
        auto* p = static_cast<const uint8_t*>(LockResource(mem));
        if (!p) throw Classes::EResNotFound("Resource " + Shown + " not found");
        return p;
    };
    // 1. The group: the images' sizes and the ids of their RT_ICON resources.
    DWORD groupSize = 0;
    const uint8_t* group = bytesOf(Name, MAKEINTRESOURCEW(14) /* RT_GROUP_ICON */, groupSize);
    if (groupSize < 6) throw EInvalidGraphic("Invalid icon: the group resource is too short");
    size_t count = U16(group + 4);
    if (count == 0 || groupSize < 6 + 14 * count)
        throw EInvalidGraphic("Invalid icon: the group resource is too short");
    // 2. An .ico file: the header, one 16-byte entry per image, then the images.
    std::vector<uint8_t> ico;
    PutU16(ico, 0);
    PutU16(ico, 1);
    PutU16(ico, uint16_t(count));
    std::vector<std::pair<const uint8_t*, DWORD>> images;
    uint32_t offset = uint32_t(6 + 16 * count);
    for (size_t i = 0; i < count; ++i) {
        const uint8_t* e = group + 6 + 14 * i;
        DWORD size = 0;
        const uint8_t* image =
            bytesOf(MAKEINTRESOURCEW(U16(e + 12)), MAKEINTRESOURCEW(3) /* RT_ICON */, size);
        ico.insert(ico.end(), e, e + 8);
        PutU32(ico, size);
        PutU32(ico, offset);
        offset += size;
        images.emplace_back(image, size);
    }
    for (auto& [p, size] : images)
        ico.insert(ico.end(), p, p + size);
    SetData(std::move(ico));
}

HICON TIcon::GetHandle() {
    if (!FHandle && !FData.empty()) {
        // The image of the system's large icon size with the most colours, else the first one.
        std::vector<TIconEntry> entries = ParseIcon(FData);
        int want = GetSystemMetrics(SM_CXICON), best = 0;
        for (size_t i = 0; i < entries.size(); ++i) {
            const TIconEntry& e = entries[i];
            const TIconEntry& b = entries[size_t(best)];
            bool fits = e.Width == want, bestFits = b.Width == want;
            if ((fits && !bestFits) || (fits == bestFits && fits && e.Bits > b.Bits)) best = int(i);
        }
        const TIconEntry& e = entries[size_t(best)];
        HICON icon = CreateIconFromResourceEx(const_cast<uint8_t*>(FData.data() + e.Offset), DWORD(e.Size),
                                              TRUE, 0x00030000, e.Width, e.Height, LR_DEFAULTCOLOR);
        if (!icon) throw EInvalidGraphic("Invalid icon: the image cannot be made into an icon");
        FHandle.Reset(icon);
        FImage = best;
    }
    return FHandle;
}

void TIcon::SetHandle(HICON Value) {
    if (Value == nullptr) {
        SetData({});
        return;
    }
    if (Value == FHandle.Get()) return;
    std::vector<uint8_t> data = IcoOf(Value); // before anything changes: a bad handle stays the caller's
    FreeHandle();
    FData = std::move(data);
    FHandle.Reset(Value);
    FImage = 0;
    Changed();
}

HICON TIcon::ReleaseHandle() {
    GetHandle();
    FImage = -1;
    return FHandle.Release();
}

void TIcon::Draw(TCanvas* ACanvas, const TRect& Rect) {
    DrawIconEx(ACanvas->GetHandle(), Rect.left, Rect.top, GetHandle(), Rect.right - Rect.left,
               Rect.bottom - Rect.top, 0, nullptr, DI_NORMAL);
}

PUBLISHED(TIcon, "Graphics");

} // namespace Graphics
