// Pictures and metafiles: a picture's graphic and its change notices, files by extension, metafiles recorded,
// drawn and read; and pictures, bitmaps and image lists streamed in components (binary and text form),
// damaged data refused.
#include "tests/framework/vcl/VclTestSupport.h"

#include "framework/core/ClassesReaderWriter.h"
#include "framework/core/ClassesText.h"
#include "framework/vcl/ImgList.h"

using namespace VclTest;
using namespace Graphics;

namespace {

// A component with a picture and a bitmap property, as a menu item's Picture and a menu's Wallpaper.
class TPictureHolder : public Classes::TComponent {
    DECLARE_CLASS(TPictureHolder, Classes::TComponent)
public:
    explicit TPictureHolder(Classes::TComponent* AOwner) : TComponent(AOwner) {}
    TPicture* GetPicture() const { return FPicture.get(); }
    void SetPicture(TPicture* Value) { FPicture->Assign(Value); }
    TBitmap* GetWallpaper() const { return FWallpaper.get(); }
    void SetWallpaper(TBitmap* Value) { FWallpaper->Assign(Value); }

private:
    std::unique_ptr<TPicture> FPicture = std::make_unique<TPicture>();
    std::unique_ptr<TBitmap> FWallpaper = std::make_unique<TBitmap>();
};

PUBLISHED(TPictureHolder, "GraphicsTest",
          TypInfo::Prop<&TPictureHolder::GetPicture, &TPictureHolder::SetPicture>("Picture"),
          TypInfo::Prop<&TPictureHolder::GetWallpaper, &TPictureHolder::SetWallpaper>("Wallpaper"));

struct TCounter : System::TObject {
    int N = 0;
    void Changed(System::TObject*) { ++N; }
};

// The graphic drawn at its own size on a background of RGB(1, 2, 3), pixel by pixel.
std::vector<COLORREF> Drawn(TGraphic& g) {
    TDib dib(g.GetWidth(), g.GetHeight(), RGB(1, 2, 3));
    TCanvas c;
    c.SetHandle(dib.DC());
    c.Draw(0, 0, &g);
    std::vector<COLORREF> out(size_t(dib.Width() * dib.Height()));
    for (size_t i = 0; i < out.size(); ++i)
        out[i] = dib.Pixel(int(i) % dib.Width(), int(i) / dib.Width());
    return out;
}

void Paint(TBitmap& b, int w, int h) {
    b.SetSize(w, h);
    for (int y = 0; y < h; ++y)
        for (int x = 0; x < w; ++x)
            b.GetCanvas()->SetPixel(x, y, TColor(RGB(x * 40, y * 60, (x + y) % 2 ? 255 : 0)));
}

// 32 x 32: red, with a blue square from (8, 8) to (24, 24).
void Record(TMetafile& mf) {
    mf.SetWidth(32);
    mf.SetHeight(32);
    TMetafileCanvas c(&mf, nullptr);
    c.GetBrush()->SetColor(clRed);
    c.FillRect(Rect(0, 0, 32, 32));
    c.GetBrush()->SetColor(clBlue);
    c.FillRect(Rect(8, 8, 24, 24));
}

std::vector<uint8_t> Bytes(TGraphic& g) {
    Classes::TMemoryStream m;
    g.SaveToStream(m);
    return m.Bytes();
}

void Load(TGraphic& g, const std::vector<uint8_t>& bytes) {
    Classes::TMemoryStream m;
    m.WriteBuffer(bytes.data(), bytes.size());
    m.SetPosition(0);
    g.LoadFromStream(m);
}

String TempFile(const char* name) {
    wchar_t dir[MAX_PATH];
    GetTempPathW(MAX_PATH, dir);
    return Utf8(dir) + name;
}

std::vector<uint8_t> Write(Classes::TComponent* c) {
    Classes::TMemoryStream m;
    Classes::WriteComponentToStream(m, c);
    return m.Bytes();
}

void Read(const std::vector<uint8_t>& bytes, Classes::TComponent* c) {
    Classes::TMemoryStream m;
    m.WriteBuffer(bytes.data(), bytes.size());
    m.SetPosition(0);
    Classes::ReadComponentFromStream(m, c);
}

String ToText(const std::vector<uint8_t>& bytes) {
    Classes::TMemoryStream in, out;
    in.WriteBuffer(bytes.data(), bytes.size());
    in.SetPosition(0);
    Classes::ObjectBinaryToText(in, out);
    return String(out.Bytes().begin(), out.Bytes().end());
}

std::vector<uint8_t> ToBinary(const String& text) {
    Classes::TMemoryStream in, out;
    in.WriteBuffer(text.data(), text.size());
    in.SetPosition(0);
    Classes::ObjectTextToBinary(in, out);
    return out.Bytes();
}

bool Contains(const std::vector<uint8_t>& bytes, const std::string& part) {
    std::vector<uint8_t> p(part.begin(), part.end());
    return std::search(bytes.begin(), bytes.end(), p.begin(), p.end()) != bytes.end();
}

// A root that streams the components it owns, as a data module does.
class TListHolder : public Classes::TComponent {
public:
    using TComponent::TComponent;
    void GetChildren(const Classes::TGetChildProc& Proc, Classes::TComponent*) override {
        for (int i = 0; i < GetComponentCount(); ++i)
            Proc(GetComponent(i));
    }
};

} // namespace

TEST(Picture, HoldsACopyOfOneGraphicAndTellsEveryChange) {
    TPicture p;
    TCounter counter;
    p.OnChange = Classes::TNotifyEvent::Bind<&TCounter::Changed>(&counter);
    EXPECT_EQ(p.GetGraphic(), nullptr);
    EXPECT_EQ(p.GetWidth(), 0);
    TBitmap b;
    Paint(b, 4, 3);
    p.SetGraphic(&b);
    ASSERT_NE(p.GetGraphic(), &b);
    EXPECT_EQ(p.GetGraphic()->ClassType(), &TBitmap::ClassInfo);
    EXPECT_EQ(Drawn(*p.GetBitmap()), Drawn(b));
    EXPECT_EQ(p.GetWidth(), 4);
    EXPECT_EQ(counter.N, 1);
    // Changes made through the graphic reach the picture's OnChange.
    p.GetBitmap()->SetWidth(6);
    p.GetBitmap()->GetCanvas()->FillRect(Rect(0, 0, 1, 1));
    p.GetBitmap()->SetTransparent(true);
    EXPECT_EQ(counter.N, 4);
    // Asking for another kind replaces the graphic with an empty one of that kind.
    EXPECT_TRUE(p.GetIcon()->GetEmpty());
    EXPECT_EQ(p.GetGraphic()->ClassType(), &TIcon::ClassInfo);
    EXPECT_TRUE(p.GetMetafile()->GetEmpty());
    EXPECT_TRUE(p.GetBitmap()->GetEmpty());
    EXPECT_EQ(counter.N, 7);
    // Assign: from a picture, a graphic, nullptr; to a graphic; not from a font.
    TPicture other;
    other.GetIcon()->LoadFromResourceName(GetModuleHandleW(nullptr), "VCLTESTICON");
    p.Assign(&other);
    EXPECT_EQ(p.GetIcon()->GetData(), other.GetIcon()->GetData());
    EXPECT_NE(p.GetGraphic(), other.GetGraphic());
    p.Assign(&b);
    TBitmap copy;
    copy.Assign(&p);
    EXPECT_EQ(Drawn(copy), Drawn(b));
    TFont font;
    EXPECT_THROW(p.Assign(&font), SysUtils::EConvertError);
    p.Assign(nullptr);
    EXPECT_EQ(p.GetGraphic(), nullptr);
    // Files by extension, in the graphic's own format.
    struct {
        const char* Name;
        TGraphic* Graphic;
        System::TClass Class;
    } files[] = {{"gfx-test.bmp", &b, &TBitmap::ClassInfo},
                 {"gfx-test.ico", other.GetGraphic(), &TIcon::ClassInfo},
                 {"gfx-test.emf", nullptr, &TMetafile::ClassInfo}};
    TMetafile mf;
    Record(mf);
    files[2].Graphic = &mf;
    for (const auto& f : files) {
        SCOPED_TRACE(f.Name);
        TPicture saved, loaded;
        saved.SetGraphic(f.Graphic);
        saved.SaveToFile(TempFile(f.Name));
        loaded.LoadFromFile(TempFile(f.Name));
        ASSERT_NE(loaded.GetGraphic(), nullptr);
        EXPECT_EQ(loaded.GetGraphic()->ClassType(), f.Class);
        EXPECT_EQ(Bytes(*loaded.GetGraphic()), Bytes(*f.Graphic));
        DeleteFileW(reinterpret_cast<LPCWSTR>(SysUtils::Utf8ToUtf16(TempFile(f.Name)).c_str()));
    }
    p.Assign(&b);
    try {
        p.LoadFromFile(TempFile("gfx-test.xyz"));
        ADD_FAILURE() << "an unknown extension was accepted";
    } catch (const EInvalidGraphic& e) {
        EXPECT_EQ(e.Message(), "Unknown picture file extension (.xyz)");
    }
    EXPECT_EQ(Drawn(*p.GetBitmap()), Drawn(b));
}

TEST(Metafile, RecordsDrawsScaledAndReadsEmfAndPlaceableWmf) {
    TMetafile mf;
    Record(mf);
    ASSERT_FALSE(mf.GetEmpty());
    EXPECT_EQ(mf.GetWidth(), 32);
    EXPECT_EQ(mf.GetHeight(), 32);
    EXPECT_EQ(mf.GetMMWidth(), 847); // 32 pixels at 96 per inch in hundredths of a millimetre
    EXPECT_TRUE(mf.GetEnhanced());
    auto drawn = [](TMetafile& m) {
        TDib dib(100, 64, RGB(1, 2, 3));
        TCanvas c;
        c.SetHandle(dib.DC());
        c.Draw(0, 0, &m);
        c.StretchDraw(Rect(36, 0, 100, 64), &m); // twice the size
        return std::vector<COLORREF>{dib.Pixel(2, 2),   dib.Pixel(16, 16), dib.Pixel(29, 29),
                                     dib.Pixel(33, 33), dib.Pixel(40, 4),  dib.Pixel(68, 32),
                                     dib.Pixel(96, 60), dib.Pixel(50, 14)};
    };
    const COLORREF red = RGB(255, 0, 0), blue = RGB(0, 0, 255), bg = RGB(1, 2, 3);
    const std::vector<COLORREF> expected{red, blue, red, bg, red, blue, red, red};
    EXPECT_EQ(drawn(mf), expected);
    // The EMF image and back; a copy shares no handle.
    std::vector<uint8_t> emf = Bytes(mf);
    ASSERT_GE(emf.size(), 88u);
    EXPECT_EQ(Graphics::Detail::U32(&emf[0]), DWORD(EMR_HEADER));
    EXPECT_EQ(Graphics::Detail::U32(&emf[40]), DWORD(ENHMETA_SIGNATURE));
    TMetafile back;
    Load(back, emf);
    EXPECT_EQ(drawn(back), expected);
    TMetafile copy;
    copy.Assign(&mf);
    EXPECT_NE(copy.GetHandle(), mf.GetHandle());
    EXPECT_EQ(drawn(copy), expected);
    // A placeable Windows metafile of the same picture, 64 x 32 units at 64 units per inch: 2540 x 1270.
    WinHandles::TWindowDC screen(nullptr);
    std::vector<uint8_t> wmf(GetWinMetaFileBits(mf.GetHandle(), 0, nullptr, MM_ANISOTROPIC, screen));
    GetWinMetaFileBits(mf.GetHandle(), UINT(wmf.size()), wmf.data(), MM_ANISOTROPIC, screen);
    std::vector<uint8_t> placeable;
    for (uint16_t w : {0xCDD7, 0x9AC6, 0, 0, 0, 64, 32, 64, 0, 0})
        Graphics::Detail::PutU16(placeable, w);
    uint16_t sum = 0;
    for (size_t i = 0; i < 10; ++i)
        sum ^= Graphics::Detail::U16(&placeable[2 * i]);
    Graphics::Detail::PutU16(placeable, sum);
    placeable.insert(placeable.end(), wmf.begin(), wmf.end());
    TMetafile fromWmf;
    Load(fromWmf, placeable);
    EXPECT_FALSE(fromWmf.GetEnhanced());
    EXPECT_EQ(fromWmf.GetMMWidth(), 2540);
    EXPECT_EQ(fromWmf.GetMMHeight(), 1270);
    EXPECT_EQ(fromWmf.GetWidth(), 96);
    {
        TDib dib(96, 48, RGB(1, 2, 3));
        TCanvas c;
        c.SetHandle(dib.DC());
        c.Draw(0, 0, &fromWmf);
        EXPECT_EQ(dib.Pixel(48, 24), blue);
        EXPECT_EQ(dib.Pixel(4, 4), red);
    }
    // Damaged data is refused and changes nothing.
    std::vector<uint8_t> badSum = placeable, shortEmf = emf, junk(200, 0x55);
    badSum[20] ^= 1;
    shortEmf.resize(emf.size() - 8);
    for (const auto* bad : {&badSum, &shortEmf, &junk}) {
        EXPECT_THROW(Load(back, *bad), EInvalidGraphic);
        EXPECT_EQ(drawn(back), expected);
    }
    WinHandles::TBrush brush(CreateSolidBrush(0));
    EXPECT_THROW(back.SetHandle(reinterpret_cast<HENHMETAFILE>(brush.Get())), EInvalidGraphic);
}

TEST(PictureStream, PicturesAndBitmapsInComponentsReadBackFromBinaryAndTextForm) {
    TPictureHolder holder(nullptr);
    holder.SetName("Holder");
    Paint(*holder.GetPicture()->GetBitmap(), 5, 3);
    Paint(*holder.GetWallpaper(), 3, 2);
    holder.GetWallpaper()->SetPixelFormat(pf4bit);
    std::vector<uint8_t> binary = Write(&holder);
    // Picture.Data: the class name, then the bitmap's size and file image; Wallpaper.Data: size and image.
    EXPECT_TRUE(Contains(binary, "\x0CPicture.Data\x0A"));
    EXPECT_TRUE(Contains(binary, std::string("\x07TBitmap", 8)));
    EXPECT_TRUE(Contains(binary, "\x0EWallpaper.Data\x0A"));
    std::vector<uint8_t> wallpaper = Bytes(*holder.GetWallpaper());
    std::vector<uint8_t> sized;
    Graphics::Detail::PutU32(sized, uint32_t(wallpaper.size()));
    sized.insert(sized.end(), wallpaper.begin(), wallpaper.end());
    EXPECT_TRUE(Contains(binary, std::string(sized.begin(), sized.end())));
    auto same = [&](TPictureHolder& h) {
        ASSERT_NE(h.GetPicture()->GetGraphic(), nullptr);
        EXPECT_EQ(Drawn(*h.GetPicture()->GetBitmap()), Drawn(*holder.GetPicture()->GetBitmap()));
        EXPECT_EQ(Drawn(*h.GetWallpaper()), Drawn(*holder.GetWallpaper()));
        EXPECT_EQ(h.GetWallpaper()->GetPixelFormat(), pf4bit);
    };
    TPictureHolder fromBinary(nullptr);
    Read(binary, &fromBinary);
    same(fromBinary);
    // The text form: hex blocks, converted back to the very bytes.
    String text = ToText(binary);
    EXPECT_NE(text.find("Picture.Data = {\n    07544269746D6170"), String::npos) << text;
    EXPECT_EQ(ToBinary(text), binary);
    TPictureHolder fromText(nullptr);
    Read(ToBinary(text), &fromText);
    same(fromText);
    // An icon and a metafile go the same way; an empty bitmap in a picture stays a (empty) bitmap; an empty
    // wallpaper writes nothing.
    TPictureHolder second(nullptr);
    second.GetPicture()->GetIcon()->LoadFromResourceName(GetModuleHandleW(nullptr), "VCLTESTICON");
    TPictureHolder back(nullptr);
    Read(Write(&second), &back);
    EXPECT_EQ(back.GetPicture()->GetIcon()->GetData(), second.GetPicture()->GetIcon()->GetData());
    Record(*second.GetPicture()->GetMetafile());
    Read(Write(&second), &back);
    EXPECT_EQ(Bytes(*back.GetPicture()->GetMetafile()), Bytes(*second.GetPicture()->GetMetafile()));
    second.GetPicture()->GetBitmap();
    std::vector<uint8_t> empty = Write(&second);
    EXPECT_TRUE(Contains(empty, std::string("\x07TBitmap\0\0\0\0", 12)));
    EXPECT_FALSE(Contains(empty, "Wallpaper"));
    Read(empty, &back);
    ASSERT_NE(back.GetPicture()->GetGraphic(), nullptr);
    EXPECT_TRUE(back.GetPicture()->GetBitmap()->GetEmpty());
    // Damaged data: an unknown class, a bitmap whose size says more than there is.
    struct {
        const char* Data;
        const char* Named;
    } bad[] = {{"Picture.Data = {04 54466F6F 00}", "TFoo"},
               {"Picture.Data = {07 544269746D6170 E8030000 424D}", "TBitmap"},
               {"Wallpaper.Data = {E8030000 424D}", "Invalid bitmap"}};
    for (const auto& b : bad) {
        SCOPED_TRACE(b.Data);
        TPictureHolder target(nullptr);
        try {
            Read(ToBinary(String("object Holder: TPictureHolder\n  ") + b.Data + "\nend\n"), &target);
            ADD_FAILURE() << "read";
        } catch (const Classes::EReadError& e) {
            EXPECT_NE(e.Message().find(b.Named), String::npos) << e.Message();
        }
        EXPECT_EQ(target.GetPicture()->GetGraphic(), nullptr);
    }
}

TEST(ImageListStream, ImagesReadBackThroughTheBitmapPropertyInBinaryAndText) {
    TListHolder root(nullptr);
    root.SetName("Root");
    auto* list = new ImgList::TImageList(&root);
    list->SetName("Images");
    list->SetHeight(12);
    list->SetWidth(12);
    list->SetDrawingStyle(ImgList::dsTransparent);
    TBitmap strip;
    strip.SetSize(36, 12);
    strip.GetCanvas()->GetBrush()->SetColor(clFuchsia);
    strip.GetCanvas()->FillRect(Rect(0, 0, 36, 12));
    for (int i = 0; i < 3; ++i)
        strip.GetCanvas()->SetPixel(i * 12 + 4 + i, 5, clBlue);
    list->AddMasked(&strip, clFuchsia);
    Classes::TMemoryStream m;
    Classes::WriteComponentToStream(m, &root);
    std::vector<uint8_t> binary = m.Bytes();
    String text = ToText(binary);
    for (const char* part : {"object Images: TImageList", "DrawingStyle = dsTransparent", "Height = 12",
                             "Width = 12", "Bitmap = {\n      494C"})
        EXPECT_NE(text.find(part), String::npos) << part << "\n" << text;
    EXPECT_EQ(ToBinary(text), binary);
    auto images = [](ImgList::TImageList& l) {
        std::vector<std::vector<COLORREF>> all;
        for (int i = 0; i < l.GetCount(); ++i) {
            TBitmap b;
            l.GetBitmap(i, &b);
            all.push_back(Drawn(b));
        }
        return all;
    };
    for (const auto& bytes : {binary, ToBinary(text)}) {
        TListHolder back(nullptr);
        Classes::TMemoryStream in;
        in.WriteBuffer(bytes.data(), bytes.size());
        in.SetPosition(0);
        Classes::ReadComponentFromStream(in, &back);
        auto* read = dynamic_cast<ImgList::TImageList*>(back.FindComponent("Images"));
        ASSERT_NE(read, nullptr);
        EXPECT_EQ(read->GetCount(), 3);
        EXPECT_EQ(read->GetWidth(), 12);
        EXPECT_TRUE(read->GetMasked());
        EXPECT_EQ(read->GetDrawingStyle(), ImgList::dsTransparent);
        EXPECT_EQ(images(*read), images(*list));
    }
    // Damaged data: not an image list, and a list whose bitmaps are cut short.
    size_t at = text.find("494C");
    String cut = text.substr(0, at + 200) + "\n    }\n  end\nend\n";
    for (const String& bad :
         {String("object Root: TComponent\n  object Images: TImageList\n    Bitmap = {00112233}\n  "
                 "end\nend\n"),
          cut}) {
        TListHolder back(nullptr);
        Classes::TMemoryStream in;
        std::vector<uint8_t> bytes = ToBinary(bad);
        in.WriteBuffer(bytes.data(), bytes.size());
        in.SetPosition(0);
        try {
            Classes::ReadComponentFromStream(in, &back);
            ADD_FAILURE() << "read";
        } catch (const Classes::EReadError& e) {
            EXPECT_NE(e.Message().find("Invalid image list data"), String::npos) << e.Message();
        }
    }
}
