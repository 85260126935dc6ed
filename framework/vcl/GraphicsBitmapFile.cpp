// Graphics: the bitmap file format of TBitmap, read from streams, resources and Data, and written back.
//
// The file (all numbers little-endian):
//   offset 0   BITMAPFILEHEADER, 14 bytes: "BM", u32 file size, two u16 reserved, u32 offset of the bits
//   offset 14  an info header: u32 its size (12: OS/2 core header; 40: BITMAPINFOHEADER; 52, 56, 108, 124:
//              its later versions; 64: OS/2 2.x), i32 width, i32 height (negative: rows top-down), u16
//              planes = 1, u16 bits per pixel, u32 compression (BI_RGB 0, BI_RLE8 1, BI_RLE4 2,
//              BI_BITFIELDS 3), u32 bytes of the bits, two i32 resolutions, u32 colours used, u32 colours
//              important. The core header has u16 width and height and nothing after the bit count.
//   then       with BI_BITFIELDS and a 40-byte header: u32 masks of red, green and blue (later headers hold
//              them at offset 40 of the header)
//   then       the colour table: "colours used" entries (0: 2^bits up to 8 bits), 4 bytes each (B G R 0;
//              core: 3 bytes B G R)
//   bits       the rows, bottom row first unless the height is negative, each padded to 4 bytes; or the
//              RLE codes.
// Worked example: a 2 x 1 24-bit file is 14 + 40 + 8 = 62 bytes with the bits at 54: B G R B G R 00 00.
// A resource (RT_BITMAP) is the same without the 14-byte file header, the bits right after the colours.
//
// Every number read is checked against the data: a header, table or rows that run past the end, a size
// that makes no sense or a layout GDI cannot hold raises EInvalidGraphic before anything is allocated for
// it. RLE data is decoded by GDI into a DIB of at most MaxRlePixels pixels.
#include "framework/vcl/Graphics.h"

#include <algorithm>
#include <climits>
#include <cstring>

namespace Graphics {

using Detail::PutU16;
using Detail::PutU32;
using Detail::Stride;
using Detail::TBitmapInfo;
using Detail::TDibFormat;
using Detail::U16;
using Detail::U32;

namespace {

constexpr int64_t MaxRlePixels = int64_t(1) << 24;

[[noreturn]] void Bad(const String& Why) {
    throw EInvalidGraphic("Invalid bitmap: " + Why);
}

// Where the parts of one DIB are, and its layout as a DIB section holds it.
struct TLayout {
    int Width = 0, Height = 0;
    bool TopDown = false;
    DWORD Rle = 0; // BI_RLE8 or BI_RLE4; the section is then BI_RGB
    TDibFormat Format;
    size_t Bits = 0, BitsSize = 0; // offset and size of the pixels in the data
};

// The DIB whose info header is at Info in Data; its bits start at BitsAt, or right after the colour table
// when BitsAt is 0 or points into the header.
TLayout Parse(const uint8_t* Data, size_t Size, size_t Info, size_t BitsAt) {
    auto need = [&](uint64_t end, const char* what) {
        if (end > Size) Bad(String(what) + " runs past the end of the data");
    };
    need(uint64_t(Info) + 4, "the header");
    const uint8_t* h = Data + Info;
    uint32_t hs = U32(h);
    TLayout l;
    int planes, bits, height;
    uint32_t compression = BI_RGB, sizeImage = 0, colorsUsed = 0;
    size_t entry = 4;
    if (hs == 12) {
        need(uint64_t(Info) + 12, "the header");
        l.Width = U16(h + 4);
        height = int16_t(U16(h + 6));
        planes = U16(h + 8);
        bits = U16(h + 10);
        entry = 3;
    } else if (hs == 40 || hs == 52 || hs == 56 || hs == 64 || hs == 108 || hs == 124) {
        need(uint64_t(Info) + hs, "the header");
        l.Width = int32_t(U32(h + 4));
        height = int32_t(U32(h + 8));
        planes = U16(h + 12);
        bits = U16(h + 14);
        compression = U32(h + 16);
        sizeImage = U32(h + 20);
        colorsUsed = U32(h + 32);
    } else {
        Bad("an info header of " + SysUtils::IntToStr(hs) + " bytes is of no known kind");
    }
    if (planes != 1) Bad(SysUtils::IntToStr(planes) + " planes");
    if (bits != 1 && bits != 4 && bits != 8 && bits != 16 && bits != 24 && bits != 32)
        Bad(SysUtils::IntToStr(bits) + " bits per pixel");
    if (l.Width <= 0 || height == 0 || height == INT_MIN)
        Bad("a size of " + SysUtils::IntToStr(l.Width) + " x " + SysUtils::IntToStr(height));
    l.TopDown = height < 0;
    l.Height = std::abs(height);
    l.Format.Bits = bits;
    // 1. Compression: RLE of its own depth (bottom-up only), masks for 16 and 32 bits. An OS/2 2.x header
    //    means other things by 3 and 4.
    size_t masksAfterHeader = 0;
    if (compression == BI_RLE8 || compression == BI_RLE4) {
        if (bits != (compression == BI_RLE8 ? 8 : 4) || l.TopDown)
            Bad("RLE compression of a " + SysUtils::IntToStr(bits) + "-bit " +
                (l.TopDown ? "top-down " : "") + "bitmap");
        if (int64_t(l.Width) * l.Height > MaxRlePixels) Bad("an RLE bitmap too large to decode");
        l.Rle = compression;
    } else if (compression == BI_BITFIELDS && hs != 64) {
        if (bits != 16 && bits != 32) Bad("bit fields in a " + SysUtils::IntToStr(bits) + "-bit bitmap");
        const uint8_t* masks = h + 40;
        if (hs == 40) {
            need(uint64_t(Info) + 52, "the colour masks");
            masksAfterHeader = 12;
        }
        l.Format.Compression = BI_BITFIELDS;
        for (int i = 0; i < 3; ++i)
            l.Format.Masks[i] = U32(masks + 4 * i);
        if (!l.Format.Masks[0] || !l.Format.Masks[1] || !l.Format.Masks[2]) Bad("a colour mask of 0");
    } else if (compression != BI_RGB) {
        Bad("compression " + SysUtils::IntToStr(compression) + " is not supported");
    }
    // 2. The colour table: needed up to 8 bits, skipped above.
    uint64_t colors = colorsUsed;
    if (bits <= 8) {
        if (colors == 0) colors = uint64_t(1) << bits;
        if (colors > (uint64_t(1) << bits))
            Bad(SysUtils::IntToStr(int64_t(colors)) + " colours in a " + SysUtils::IntToStr(bits) +
                "-bit table");
    }
    uint64_t table = uint64_t(Info) + hs + masksAfterHeader;
    need(table + colors * entry, "the colour table");
    if (bits <= 8)
        for (uint64_t i = 0; i < colors; ++i) {
            const uint8_t* c = Data + table + i * entry;
            l.Format.Palette.push_back({c[0], c[1], c[2], 0});
        }
    // 3. The pixels.
    uint64_t at = std::max<uint64_t>(BitsAt, table + colors * entry);
    if (at >= Size) Bad("the pixels are missing");
    uint64_t left = Size - at;
    l.Bits = size_t(at);
    if (l.Rle) {
        l.BitsSize = size_t(sizeImage && sizeImage <= left ? sizeImage : left);
    } else {
        uint64_t size = uint64_t(Stride(l.Width, bits)) * uint64_t(l.Height);
        if (size > left) Bad("the pixels run past the end of the data");
        l.BitsSize = size_t(size);
    }
    return l;
}

} // namespace

void TBitmap::LoadImage(std::vector<uint8_t> Image) {
    if (Image.size() < 14 || Image[0] != 'B' || Image[1] != 'M') Bad("the data does not start with \"BM\"");
    TLayout l = Parse(Image.data(), Image.size(), 14, U32(&Image[10]));
    WinHandles::TBitmapHandle handle(CreateHandle(bmDIB, l.Format, l.Width, l.Height));
    const uint8_t* source = Image.data() + l.Bits;
    if (l.Rle) {
        // GDI decodes the codes; pixels they skip keep colour 0.
        TBitmapInfo bi(l.Width, l.Height, l.Format.Bits, l.Rle);
        bi.Header.biSizeImage = DWORD(l.BitsSize);
        bi.Header.biClrUsed = DWORD(l.Format.Palette.size());
        std::copy(l.Format.Palette.begin(), l.Format.Palette.end(), bi.Colors);
        WinHandles::TWindowDC screen(nullptr);
        if (SetDIBits(screen, handle, 0, UINT(l.Height), source, bi.Get(), DIB_RGB_COLORS) <= 0)
            Bad("the RLE codes cannot be decoded");
    } else {
        // The section is bottom-up: a top-down file's rows go in reverse.
        DIBSECTION ds{};
        GetObjectW(handle, sizeof(ds), &ds);
        auto* target = static_cast<uint8_t*>(ds.dsBm.bmBits);
        size_t stride = Stride(l.Width, l.Format.Bits);
        for (int y = 0; y < l.Height; ++y)
            std::memcpy(target + size_t(y) * stride,
                        source + size_t(l.TopDown ? l.Height - 1 - y : y) * stride, stride);
        GdiFlush();
    }
    Adopt(handle.Release(), bmDIB, std::move(l.Format), l.Width, l.Height);
    FImage = std::move(Image); // invariant 2: the bytes hold exactly this picture
}

std::vector<uint8_t> TBitmap::ImageBytes() {
    if (!FImage.empty()) return FImage;
    HandleNeeded();
    FreeContext(); // invariant 1
    if (!FHandle) return {};
    // 1. The bits in the handle's own layout; GetDIBits gives the colour table and the masks.
    const TDibFormat& f = FFormat;
    TBitmapInfo bi(FWidth, FHeight, f.Bits, f.Compression);
    if (f.Compression == BI_BITFIELDS) std::copy(f.Masks, f.Masks + 3, reinterpret_cast<DWORD*>(bi.Colors));
    std::vector<uint8_t> bits(Stride(FWidth, f.Bits) * size_t(FHeight));
    WinHandles::TWindowDC screen(nullptr);
    if (GetDIBits(screen, FHandle, 0, UINT(FHeight), bits.data(), bi.Get(), DIB_RGB_COLORS) != FHeight)
        throw EInvalidGraphic("The bitmap's pixels cannot be read");
    // 2. File header, info header, masks or colour table, bits.
    size_t extra = f.Compression == BI_BITFIELDS ? 12 : f.Bits <= 8 ? (size_t(4) << f.Bits) : 0;
    uint32_t offset = uint32_t(14 + 40 + extra);
    std::vector<uint8_t> out{'B', 'M'};
    out.reserve(offset + bits.size());
    PutU32(out, uint32_t(offset + bits.size()));
    PutU32(out, 0);
    PutU32(out, offset);
    PutU32(out, 40);
    PutU32(out, uint32_t(FWidth));
    PutU32(out, uint32_t(FHeight));
    PutU16(out, 1);
    PutU16(out, uint16_t(f.Bits));
    PutU32(out, f.Compression);
    PutU32(out, uint32_t(bits.size()));
    for (int i = 0; i < 4; ++i) // resolutions, colours used and important: 0
        PutU32(out, 0);
    const auto* table = reinterpret_cast<const uint8_t*>(bi.Colors);
    out.insert(out.end(), table, table + extra);
    out.insert(out.end(), bits.begin(), bits.end());
    return out;
}

void TBitmap::LoadFromStream(Classes::TStream& Stream) {
    std::vector<uint8_t> image = Detail::ReadRest(Stream, "The bitmap");
    if (image.empty()) {
        Assign(nullptr);
        return;
    }
    LoadImage(std::move(image));
    Changed();
}

void TBitmap::SaveToStream(Classes::TStream& Stream) {
    std::vector<uint8_t> image = ImageBytes();
    if (!image.empty()) Stream.WriteBuffer(image.data(), image.size());
}

void TBitmap::ReadData(Classes::TStream& Stream) {
    uint8_t size[4];
    if (Stream.Read(size, 4) != 4) Bad("the size of the data is cut short");
    int64_t left = Stream.GetSize() - Stream.GetPosition();
    if (U32(size) > left)
        Bad("the data holds " + SysUtils::IntToStr(left) + " of the " + SysUtils::IntToStr(U32(size)) +
            " bytes its size gives");
    std::vector<uint8_t> image(U32(size));
    if (image.empty()) {
        Assign(nullptr);
        return;
    }
    Stream.ReadBuffer(image.data(), image.size());
    LoadImage(std::move(image));
    Changed();
}

void TBitmap::WriteData(Classes::TStream& Stream) {
    std::vector<uint8_t> image = ImageBytes();
    std::vector<uint8_t> size;
    PutU32(size, uint32_t(image.size()));
    Stream.WriteBuffer(size.data(), size.size());
    if (!image.empty()) Stream.WriteBuffer(image.data(), image.size());
}

void TBitmap::LoadFromResourceName(HINSTANCE Instance, const String& ResName) {
    std::u16string name = SysUtils::Utf8ToUtf16(ResName);
    LoadFromResource(Instance, reinterpret_cast<const wchar_t*>(name.c_str()), ResName);
}

void TBitmap::LoadFromResourceID(HINSTANCE Instance, int ResID) {
    LoadFromResource(Instance, MAKEINTRESOURCEW(ResID), Detail::ResourceIdText(ResID));
}

void TBitmap::LoadFromResource(HINSTANCE Instance, const wchar_t* Name, const String& Shown) {
    HRSRC res = FindResourceW(Instance, Name, reinterpret_cast<LPCWSTR>(RT_BITMAP));
    HGLOBAL mem = res ? LoadResource(Instance, res) : nullptr;
    const auto* dib = mem ? static_cast<const uint8_t*>(LockResource(mem)) : nullptr;
    if (!dib) throw Classes::EResNotFound("Resource " + Shown + " not found");
    size_t size = SizeofResource(Instance, res);
    // The file the resource was made from: a file header before the packed DIB.
    TLayout l = Parse(dib, size, 0, 0);
    std::vector<uint8_t> image{'B', 'M'};
    PutU32(image, uint32_t(14 + size));
    PutU32(image, 0);
    PutU32(image, uint32_t(14 + l.Bits));
    image.insert(image.end(), dib, dib + size);
    LoadImage(std::move(image));
    Changed();
}

} // namespace Graphics
