// Bitmaps: files of every depth made by hand and read back pixel by pixel, damaged files refused, changes of
// size, handle type, monochrome and pixel format, copies, transparent and stretched drawing, resources.
#include "tests/framework/vcl/VclTestSupport.h"

using namespace VclTest;
using namespace Graphics;

namespace {

// A bitmap file written by hand. Pixels are given top row first: palette indices up to 8 bits, the 16-bit
// value, or 0xRRGGBB.
struct TBmp {
    int Width, Height, Bits;
    std::vector<std::vector<uint32_t>> Pixels;
    std::vector<uint32_t> Palette; // 0xRRGGBB
    uint32_t HeaderSize, Compression;
    std::vector<uint32_t> Masks;
    bool TopDown;
    std::vector<uint8_t> Rle; // the codes, instead of Pixels

    TBmp(int W, int H, int B, std::vector<std::vector<uint32_t>> P, std::vector<uint32_t> Pal = {},
         uint32_t Hs = 40, uint32_t C = BI_RGB, std::vector<uint32_t> M = {}, bool T = false,
         std::vector<uint8_t> R = {})
        : Width(W), Height(H), Bits(B), Pixels(std::move(P)), Palette(std::move(Pal)), HeaderSize(Hs),
          Compression(C), Masks(std::move(M)), TopDown(T), Rle(std::move(R)) {}

    std::vector<uint8_t> File() const {
        std::vector<uint8_t> bits = Rle;
        for (int r = 0; Rle.empty() && r < Height; ++r) {
            const auto& row = Pixels[size_t(TopDown ? r : Height - 1 - r)];
            std::vector<uint8_t> out(Detail::Stride(Width, Bits));
            for (int x = 0; x < Width; ++x) {
                uint32_t v = row[size_t(x)];
                if (Bits < 8) out[size_t(x * Bits / 8)] |= uint8_t(v << (8 - Bits - x * Bits % 8));
                for (int b = 0; Bits >= 8 && b < Bits / 8; ++b)
                    out[size_t(x * Bits / 8 + b)] = uint8_t(v >> (8 * b));
            }
            bits.insert(bits.end(), out.begin(), out.end());
        }
        std::vector<uint8_t> h;
        using Detail::PutU16, Detail::PutU32;
        bool core = HeaderSize == 12;
        PutU32(h, HeaderSize);
        if (core) {
            PutU16(h, uint16_t(Width)), PutU16(h, uint16_t(Height)), PutU16(h, 1), PutU16(h, uint16_t(Bits));
        } else {
            PutU32(h, uint32_t(Width)), PutU32(h, uint32_t(TopDown ? -Height : Height));
            PutU16(h, 1), PutU16(h, uint16_t(Bits)), PutU32(h, Compression), PutU32(h, uint32_t(bits.size()));
            PutU32(h, 3780), PutU32(h, 3780), PutU32(h, uint32_t(Palette.size())), PutU32(h, 0);
            for (uint32_t m : Masks)
                PutU32(h, m);
            h.resize(std::max<size_t>(h.size(), HeaderSize));
        }
        for (uint32_t c : Palette) {
            h.push_back(uint8_t(c)), h.push_back(uint8_t(c >> 8)), h.push_back(uint8_t(c >> 16));
            if (!core) h.push_back(0);
        }
        std::vector<uint8_t> f{'B', 'M'};
        PutU32(f, uint32_t(14 + h.size() + bits.size())), PutU32(f, 0), PutU32(f, uint32_t(14 + h.size()));
        f.insert(f.end(), h.begin(), h.end());
        f.insert(f.end(), bits.begin(), bits.end());
        return f;
    }
};

COLORREF Rgb(uint32_t rrggbb) {
    return RGB(rrggbb >> 16, (rrggbb >> 8) & 0xFF, rrggbb & 0xFF);
}

void Load(TGraphic& g, const std::vector<uint8_t>& bytes) {
    Classes::TMemoryStream m;
    if (!bytes.empty()) m.WriteBuffer(bytes.data(), bytes.size());
    m.SetPosition(0);
    g.LoadFromStream(m);
}

std::vector<uint8_t> Saved(TGraphic& g) {
    Classes::TMemoryStream m;
    g.SaveToStream(m);
    return m.Bytes();
}

// Every pixel of the bitmap as COLORREF, row by row, read through its canvas.
std::vector<COLORREF> Pixels(TBitmap& b) {
    std::vector<COLORREF> out;
    for (int y = 0; y < b.GetHeight(); ++y)
        for (int x = 0; x < b.GetWidth(); ++x)
            out.push_back(COLORREF(b.GetCanvas()->GetPixel(x, y)));
    return out;
}

// 4 x 2 in colours every layout holds exactly (VGA colours whose channels are 0 or 255).
void Paint(TBitmap& b) {
    b.SetSize(4, 2);
    const TColor colors[] = {clBlack, clWhite, clRed, clLime, clBlue, clYellow, clFuchsia, clAqua};
    for (int i = 0; i < 8; ++i)
        b.GetCanvas()->SetPixel(i % 4, i / 4, colors[i]);
}

} // namespace

TEST(BitmapFile, ReadsFilesOfEveryDepthAndLayoutAndWritesThemBack) {
    std::vector<uint32_t> vga = {0x000000, 0x800000, 0x008000, 0x808000, 0x000080, 0x800080,
                                 0x008080, 0xC0C0C0, 0x808080, 0xFF0000, 0x00FF00, 0xFFFF00,
                                 0x0000FF, 0xFF00FF, 0x00FFFF, 0xFFFFFF};
    std::vector<uint32_t> grey(256);
    for (uint32_t i = 0; i < 256; ++i)
        grey[i] = i * 0x010101;
    const std::vector<std::vector<uint32_t>> rgb = {{0x102030, 0xFF0000, 0x00FF80},
                                                    {0xFFFFFF, 0x000000, 0xABCDEF}};
    struct {
        const char* Name;
        TBmp File;
        TPixelFormat Format;
        std::vector<uint32_t> Expected; // 0xRRGGBB, top row first
    } rows[] = {
        {"1-bit, not black and white",
         {3, 2, 1, {{0, 1, 0}, {1, 1, 0}}, {0x0000FF, 0xFFFF00}},
         pf1bit,
         {0x0000FF, 0xFFFF00, 0x0000FF, 0xFFFF00, 0xFFFF00, 0x0000FF}},
        {"4-bit",
         {3, 2, 4, {{1, 9, 12}, {0, 15, 7}}, vga},
         pf4bit,
         {0x800000, 0xFF0000, 0x0000FF, 0x000000, 0xFFFFFF, 0xC0C0C0}},
        {"8-bit",
         {3, 2, 8, {{0x10, 0x80, 0xFF}, {0x00, 0x01, 0xFE}}, grey},
         pf8bit,
         {0x101010, 0x808080, 0xFFFFFF, 0x000000, 0x010101, 0xFEFEFE}},
        {"8-bit, OS/2 core header",
         {3, 2, 8, {{0x10, 0x80, 0xFF}, {0x00, 0x01, 0xFE}}, grey, 12},
         pf8bit,
         {0x101010, 0x808080, 0xFFFFFF, 0x000000, 0x010101, 0xFEFEFE}},
        {"16-bit 5-5-5",
         {3, 2, 16, {{0x7C00, 0x03E0, 0x001F}, {0x7FFF, 0, 0x7C1F}}},
         pf15bit,
         {0xFF0000, 0x00FF00, 0x0000FF, 0xFFFFFF, 0x000000, 0xFF00FF}},
        {"16-bit 5-6-5 bit fields",
         {3,
          2,
          16,
          {{0xF800, 0x07E0, 0x001F}, {0xFFFF, 0, 0xFFE0}},
          {},
          40,
          BI_BITFIELDS,
          {0xF800, 0x07E0, 0x001F}},
         pf16bit,
         {0xFF0000, 0x00FF00, 0x0000FF, 0xFFFFFF, 0x000000, 0xFFFF00}},
        {"24-bit", {3, 2, 24, rgb}, pf24bit, {0x102030, 0xFF0000, 0x00FF80, 0xFFFFFF, 0x000000, 0xABCDEF}},
        {"24-bit top-down",
         {3, 2, 24, rgb, {}, 40, BI_RGB, {}, true},
         pf24bit,
         {0x102030, 0xFF0000, 0x00FF80, 0xFFFFFF, 0x000000, 0xABCDEF}},
        {"32-bit", {3, 2, 32, rgb}, pf32bit, {0x102030, 0xFF0000, 0x00FF80, 0xFFFFFF, 0x000000, 0xABCDEF}},
        {"32-bit bit fields, version 5 header",
         {3, 2, 32, rgb, {}, 124, BI_BITFIELDS, {0xFF0000, 0xFF00, 0xFF}},
         pf32bit,
         {0x102030, 0xFF0000, 0x00FF80, 0xFFFFFF, 0x000000, 0xABCDEF}},
        // RLE8, bottom row first: 2 of 5, 1 of 6, end of line; 1 of 7, 2 of 8, end of bitmap.
        {"RLE8",
         {3, 2, 8, {}, grey, 40, BI_RLE8, {}, false, {2, 5, 1, 6, 0, 0, 1, 7, 2, 8, 0, 1}},
         pf8bit,
         {0x070707, 0x080808, 0x080808, 0x050505, 0x050505, 0x060606}},
        // RLE4: 3 of alternating 1 and 2; 2 of 3 and 4, 1 of 5.
        {"RLE4",
         {3, 2, 4, {}, vga, 40, BI_RLE4, {}, false, {3, 0x12, 0, 0, 2, 0x34, 1, 0x50, 0, 1}},
         pf4bit,
         {0x808000, 0x000080, 0x800080, 0x800000, 0x008000, 0x800000}},
    };
    for (const auto& r : rows) {
        SCOPED_TRACE(r.Name);
        std::vector<uint8_t> file = r.File.File();
        TBitmap b;
        Load(b, file);
        ASSERT_EQ(b.GetWidth(), 3);
        ASSERT_EQ(b.GetHeight(), 2);
        EXPECT_EQ(b.GetHandleType(), bmDIB);
        EXPECT_EQ(b.GetPixelFormat(), r.Format);
        std::vector<COLORREF> expected;
        for (uint32_t c : r.Expected)
            expected.push_back(Rgb(c));
        EXPECT_EQ(Pixels(b), expected);
        EXPECT_EQ(Saved(b), file); // unchanged: the very bytes it was read from
        // Changed, it writes its own layout (RLE and top-down come out plain and bottom-up) with the same
        // pixels and depth.
        b.GetCanvas()->SetPixel(0, 0, TColor(expected[0]));
        std::vector<uint8_t> written = Saved(b);
        EXPECT_EQ(Detail::U16(&written[28]), r.File.Bits);
        EXPECT_EQ(int32_t(Detail::U32(&written[22])), 2);
        TBitmap back;
        Load(back, written);
        EXPECT_EQ(back.GetPixelFormat(), r.Format);
        EXPECT_EQ(Pixels(back), expected);
    }
}

TEST(BitmapFile, RefusesDamagedFilesAndLeavesTheBitmapAsItWas) {
    TBmp good{3, 2, 24, {{0x102030, 0xFF0000, 0x00FF80}, {0xFFFFFF, 0x000000, 0xABCDEF}}};
    TBmp rle{5000, 5000, 8, {}, std::vector<uint32_t>(256), 40, BI_RLE8, {}, false, {0, 1}};
    TBmp table{3, 2, 8, {{0, 0, 0}, {0, 0, 0}}, std::vector<uint32_t>(256)};
    // Each: a file, one little-endian number put at an offset (Bytes long), and the file cut to Keep bytes.
    struct {
        const char* Name;
        const TBmp& File;
        size_t At;
        uint32_t Value;
        int Bytes;
        size_t Keep;
    } rows[] = {
        {"no BM", good, 0, 'X', 1, 0},
        {"unknown header size", good, 14, 7, 4, 0},
        {"two planes", good, 26, 2, 2, 0},
        {"3 bits per pixel", good, 28, 3, 2, 0},
        {"no width", good, 18, 0, 4, 0},
        {"no height", good, 22, 0, 4, 0},
        {"rows cut short", good, 0, 'B', 1, 67},
        {"header cut short", good, 0, 'B', 1, 30},
        {"huge size, few bytes", good, 18, 0x7FFFFFFF, 4, 0},
        {"JPEG inside", good, 30, BI_JPEG, 4, 0},
        {"RLE in a 24-bit file", good, 30, BI_RLE8, 4, 0},
        {"RLE too large to decode", rle, 0, 'B', 1, 0},
        {"300 colours in 8 bits", table, 46, 300, 4, 0},
    };
    TBitmap b;
    Paint(b);
    std::vector<COLORREF> before = Pixels(b);
    for (const auto& r : rows) {
        SCOPED_TRACE(r.Name);
        std::vector<uint8_t> f = r.File.File();
        for (int k = 0; k < r.Bytes; ++k)
            f[r.At + size_t(k)] = uint8_t(r.Value >> (8 * k));
        if (r.Keep) f.resize(r.Keep);
        try {
            Load(b, f);
            ADD_FAILURE() << "accepted";
        } catch (const EInvalidGraphic& e) {
            EXPECT_EQ(e.Message().rfind("Invalid bitmap: ", 0), 0u) << e.Message();
        }
        EXPECT_EQ(b.GetWidth(), 4);
        EXPECT_EQ(Pixels(b), before);
    }
    // An empty stream empties the bitmap; an empty bitmap writes nothing.
    Load(b, {});
    EXPECT_TRUE(b.GetEmpty());
    EXPECT_TRUE(Saved(b).empty());
}

TEST(Bitmap, SizeHandleTypeMonochromeAndPixelFormatKeepThePicture) {
    TBitmap b;
    EXPECT_TRUE(b.GetEmpty());
    EXPECT_EQ(b.GetHandleType(), bmDDB);
    EXPECT_EQ(b.GetPixelFormat(), pfDevice);
    EXPECT_EQ(b.GetHandle(), nullptr);
    b.SetWidth(4);
    EXPECT_TRUE(b.GetEmpty()); // no height yet
    EXPECT_TRUE(b.GetModified());
    Paint(b);
    b.SetModified(false);
    b.GetCanvas()->SetPixel(0, 0, clBlack);
    EXPECT_TRUE(b.GetModified()); // drawing on the canvas changes the bitmap
    const std::vector<COLORREF> picture = Pixels(b);
    EXPECT_EQ(picture[2], RGB(255, 0, 0));
    // Every layout holds these colours exactly.
    for (TPixelFormat f : {pf24bit, pf32bit, pf16bit, pf15bit, pf8bit, pf4bit, pfDevice, pf32bit}) {
        SCOPED_TRACE(int(f));
        b.SetPixelFormat(f);
        EXPECT_EQ(b.GetPixelFormat(), f);
        EXPECT_EQ(b.GetHandleType(), f == pfDevice ? bmDDB : bmDIB);
        EXPECT_EQ(Pixels(b), picture);
    }
    EXPECT_THROW(b.SetPixelFormat(pfCustom), EInvalidGraphicOperation);
    // Growing keeps the picture top-left and fills with the brush; shrinking crops.
    b.GetCanvas()->GetBrush()->SetColor(clYellow);
    b.SetSize(5, 3);
    std::vector<COLORREF> grown = Pixels(b);
    EXPECT_EQ(grown[0 * 5 + 2], RGB(255, 0, 0));
    EXPECT_EQ(grown[1 * 5 + 3], picture[7]);
    EXPECT_EQ(grown[0 * 5 + 4], RGB(255, 255, 0));
    EXPECT_EQ(grown[2 * 5 + 0], RGB(255, 255, 0));
    b.SetSize(4, 2);
    EXPECT_EQ(Pixels(b), picture);
    // Monochrome: pixels of the brush colour become white, all others black (white brush: the picture's
    // white stays; black brush: its black becomes white, as a disabled image's mask needs).
    for (TColor brush : {clWhite, clBlack}) {
        for (TBitmapHandleType type : {bmDDB, bmDIB}) {
            SCOPED_TRACE(type);
            TBitmap m;
            m.Assign(&b);
            m.SetHandleType(type);
            m.GetCanvas()->GetBrush()->SetColor(brush);
            m.SetMonochrome(true);
            EXPECT_TRUE(m.GetMonochrome());
            EXPECT_EQ(m.GetPixelFormat(), type == bmDDB ? pfDevice : pf1bit);
            for (size_t i = 0; i < picture.size(); ++i)
                EXPECT_EQ(Pixels(m)[i], picture[i] == COLORREF(brush) ? RGB(255, 255, 255) : RGB(0, 0, 0))
                    << i;
            // The other handle type stays monochrome with the same pixels; leaving monochrome turns black
            // into the font colour and white into the brush colour.
            std::vector<COLORREF> mono = Pixels(m);
            m.SetHandleType(type == bmDDB ? bmDIB : bmDDB);
            EXPECT_TRUE(m.GetMonochrome());
            EXPECT_EQ(Pixels(m), mono);
            m.GetCanvas()->GetFont()->SetColor(clRed);
            m.GetCanvas()->GetBrush()->SetColor(clLime);
            m.SetMonochrome(false);
            EXPECT_FALSE(m.GetMonochrome());
            for (size_t i = 0; i < mono.size(); ++i)
                EXPECT_EQ(Pixels(m)[i], mono[i] == RGB(0, 0, 0) ? RGB(255, 0, 0) : RGB(0, 255, 0)) << i;
        }
    }
}

TEST(Bitmap, CopiesHandlesAndDrawsOpaqueTransparentAndStretched) {
    TBitmap b;
    b.SetSize(2, 2);
    TCanvas* c = b.GetCanvas();
    c->SetPixel(0, 0, clRed), c->SetPixel(1, 0, clLime), c->SetPixel(0, 1, clFuchsia),
        c->SetPixel(1, 1, clBlue);
    // GetHandle takes the bitmap out of its canvas's DC: another DC may select it; the canvas draws on after.
    {
        WinHandles::TMemoryDC dc;
        HGDIOBJ old = SelectObject(dc, b.GetHandle());
        EXPECT_NE(old, nullptr);
        SelectObject(dc, old);
    }
    c->SetPixel(1, 1, clBlue);
    EXPECT_EQ(c->GetPixel(1, 1), clBlue);
    // A copy shares nothing.
    TBitmap copy;
    copy.Assign(&b);
    EXPECT_NE(copy.GetHandle(), b.GetHandle());
    copy.GetCanvas()->SetPixel(0, 0, clYellow);
    EXPECT_EQ(c->GetPixel(0, 0), clRed);
    TIcon icon;
    EXPECT_THROW(copy.Assign(&icon), SysUtils::EConvertError);
    copy.Assign(nullptr);
    EXPECT_TRUE(copy.GetEmpty());
    EXPECT_EQ(copy.GetWidth(), 0);
    // Drawn on a DIB: opaque, transparent in the bottom-left colour (tmAuto), in a fixed colour, stretched,
    // and with a copy mode.
    TDib dib(12, 8, RGB(1, 2, 3));
    TCanvas on;
    on.SetHandle(dib.DC());
    auto block = [&](int x, int y) {
        return std::vector<COLORREF>{dib.Pixel(x, y), dib.Pixel(x + 1, y), dib.Pixel(x, y + 1),
                                     dib.Pixel(x + 1, y + 1)};
    };
    const COLORREF bg = RGB(1, 2, 3), red = RGB(255, 0, 0), lime = RGB(0, 255, 0), fuchsia = RGB(255, 0, 255),
                   blue = RGB(0, 0, 255);
    on.Draw(0, 0, &b);
    EXPECT_EQ(block(0, 0), (std::vector<COLORREF>{red, lime, fuchsia, blue}));
    b.SetTransparent(true);
    EXPECT_EQ(b.GetTransparentColor(), clFuchsia);
    on.Draw(2, 0, &b);
    EXPECT_EQ(block(2, 0), (std::vector<COLORREF>{red, lime, bg, blue}));
    TBitmap vga; // a destination with a colour table gets exact colours too
    vga.SetPixelFormat(pf4bit);
    vga.SetSize(2, 2);
    vga.GetCanvas()->Draw(0, 0, &b);
    EXPECT_EQ(Pixels(vga), (std::vector<COLORREF>{red, lime, RGB(255, 255, 255), blue}));
    b.SetTransparentColor(clLime);
    EXPECT_EQ(b.GetTransparentMode(), tmFixed);
    on.Draw(4, 0, &b);
    EXPECT_EQ(block(4, 0), (std::vector<COLORREF>{red, bg, fuchsia, blue}));
    on.StretchDraw(Rect(0, 2, 4, 6), &b); // each pixel a 2 x 2 block, lime left out
    EXPECT_EQ(block(0, 2), (std::vector<COLORREF>{red, red, red, red}));
    EXPECT_EQ(block(2, 2), (std::vector<COLORREF>{bg, bg, bg, bg}));
    EXPECT_EQ(block(2, 4), (std::vector<COLORREF>{blue, blue, blue, blue}));
    TBitmap mask; // white where the transparent colour is
    mask.SetHandle(static_cast<HBITMAP>(CopyImage(b.GetMaskHandle(), IMAGE_BITMAP, 0, 0, 0)));
    EXPECT_EQ(Pixels(mask), (std::vector<COLORREF>{0, RGB(255, 255, 255), 0, 0}));
    b.SetTransparentMode(tmAuto);
    EXPECT_EQ(b.GetTransparentColor(), clFuchsia);
    b.SetTransparent(false);
    on.SetCopyMode(cmNotSrcCopy);
    on.Draw(6, 0, &b);
    EXPECT_EQ(block(6, 0),
              (std::vector<COLORREF>{RGB(0, 255, 255), RGB(255, 0, 255), lime, RGB(255, 255, 0)}));
    on.SetCopyMode(cmSrcCopy);
    // A monochrome bitmap draws black and white, whatever the DC's colours.
    TBitmap mono;
    mono.Assign(&b);
    mono.SetMonochrome(true); // the white brush: nothing is white
    mono.GetCanvas()->SetPixel(1, 1, clWhite);
    SetTextColor(dib.DC(), RGB(255, 0, 0));
    on.Draw(8, 0, &mono);
    EXPECT_EQ(block(8, 0), (std::vector<COLORREF>{0, 0, 0, RGB(255, 255, 255)}));
}

TEST(Bitmap, ReadsBitmapResourcesAsTheSystemDoesAndSleepsAndWakes) {
    // The system's own bitmaps (a module of the common controls), beside the system's own loader.
    HMODULE comctl = GetModuleHandleW(L"comctl32.dll");
    ASSERT_NE(comctl, nullptr);
    const int IDB_STD_SMALL = 120;
    WinHandles::TBitmapHandle system(static_cast<HBITMAP>(
        LoadImageW(comctl, MAKEINTRESOURCEW(IDB_STD_SMALL), IMAGE_BITMAP, 0, 0, LR_CREATEDIBSECTION)));
    ASSERT_TRUE(system);
    DIBSECTION ds{};
    GetObjectW(system, sizeof(ds), &ds);
    TBitmap b;
    b.LoadFromResourceID(comctl, IDB_STD_SMALL);
    EXPECT_EQ(b.GetWidth(), ds.dsBm.bmWidth);
    EXPECT_EQ(b.GetHeight(), ds.dsBm.bmHeight);
    EXPECT_EQ(b.GetHandleType(), bmDIB);
    EXPECT_EQ(Detail::U16(&Saved(b)[28]), ds.dsBmih.biBitCount);
    {
        WinHandles::TMemoryDC dc;
        WinHandles::TSelectObject sel(dc, system);
        int differ = 0;
        for (int y = 0; y < b.GetHeight(); ++y)
            for (int x = 0; x < b.GetWidth(); ++x)
                differ += GetPixel(dc, x, y) != COLORREF(b.GetCanvas()->GetPixel(x, y));
        EXPECT_EQ(differ, 0);
    }
    EXPECT_THROW(b.LoadFromResourceName(comctl, "NO_SUCH_BITMAP"), Classes::EResNotFound);
    // Dormant: the GDI objects go, the picture stays and comes back on need, in the same layout.
    TBitmap d;
    Paint(d);
    d.SetPixelFormat(pf4bit);
    std::vector<COLORREF> picture = Pixels(d);
    std::vector<uint8_t> bytes = Saved(d);
    d.GetCanvas(); // its DC is made on the next drawing
    int before = TestSupport::LiveGdiObjects();
    d.Dormant();
    EXPECT_FALSE(d.HandleAllocated());
    EXPECT_LT(TestSupport::LiveGdiObjects(), before);
    EXPECT_FALSE(d.GetEmpty());
    EXPECT_EQ(Saved(d), bytes);
    EXPECT_EQ(Pixels(d), picture);
    EXPECT_EQ(d.GetPixelFormat(), pf4bit);
    TBitmap ddb;
    Paint(ddb);
    ddb.Dormant();
    EXPECT_EQ(Pixels(ddb), picture);
    EXPECT_EQ(ddb.GetHandleType(), bmDDB);
    ddb.FreeImage();
    EXPECT_TRUE(ddb.HandleAllocated());
    EXPECT_EQ(Pixels(ddb), picture);
}
