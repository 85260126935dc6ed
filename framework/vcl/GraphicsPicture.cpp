// Graphics: TPicture, the registry of graphic classes and file formats, and the unit's class registrations.
//
// Data of a picture (the binary property Picture.Data):
//   u8 length, the graphic's class name ("TBitmap"), then the graphic's own data (TGraphic::WriteData):
//   for a bitmap a u32 size and the file image ("BM..."), for an icon the .ico bytes, for a metafile the EMF.
//   Worked example: an empty bitmap is 07 "TBitmap" 00 00 00 00.
#include "framework/vcl/Graphics.h"

#include "framework/core/ClassesReaderWriter.h"
#include "framework/core/ClassesRegistry.h"

#include <algorithm>

namespace Graphics {

namespace {

struct TFileFormat {
    String Extension; // lower case, without the dot
    String Description;
    System::TClass Graphic;
};

std::vector<TFileFormat>& FileFormats() {
    static std::vector<TFileFormat> formats = {
        {"bmp", "Bitmaps", &TBitmap::ClassInfo},
        {"ico", "Icons", &TIcon::ClassInfo},
        {"emf", "Enhanced Metafiles", &TMetafile::ClassInfo},
        {"wmf", "Metafiles", &TMetafile::ClassInfo},
    };
    return formats;
}

std::unique_ptr<TGraphic> NewGraphic(System::TClass Class) {
    TObject* made = Class && Class->Create ? Class->Create(nullptr) : nullptr;
    auto* graphic = dynamic_cast<TGraphic*>(made);
    if (!graphic) {
        delete made;
        throw EInvalidGraphic("Cannot create a graphic of class " + String(Class ? Class->ClassName : "nil"));
    }
    return std::unique_ptr<TGraphic>(graphic);
}

} // namespace

void TPicture::RegisterFileFormat(const String& Extension, const String& Description,
                                  System::TClass Graphic) {
    String ext = SysUtils::LowerCase(Extension.starts_with('.') ? Extension.substr(1) : Extension);
    auto& formats = FileFormats();
    formats.erase(std::remove_if(formats.begin(), formats.end(),
                                 [&](const TFileFormat& f) { return f.Extension == ext; }),
                  formats.end());
    formats.push_back({ext, Description, Graphic});
}

void TPicture::UnregisterGraphicClass(System::TClass Graphic) {
    auto& formats = FileFormats();
    formats.erase(std::remove_if(formats.begin(), formats.end(),
                                 [&](const TFileFormat& f) { return f.Graphic == Graphic; }),
                  formats.end());
}

System::TClass TPicture::FindGraphicClass(std::string_view ClassName) {
    for (const TFileFormat& f : FileFormats())
        if (SysUtils::SameText(f.Graphic->ClassName, ClassName)) return f.Graphic;
    return nullptr;
}

TPicture::TPicture() = default;

TPicture::~TPicture() = default;

void TPicture::Changed(TObject*) {
    OnChange(this);
}

void TPicture::Take(std::unique_ptr<TGraphic> Graphic) {
    std::unique_ptr<TGraphic> old = std::move(FGraphic);
    FGraphic = std::move(Graphic);
    if (FGraphic) FGraphic->OnChange = TNotifyEvent::Bind<&TPicture::Changed>(this);
    Changed(this);
}

void TPicture::SetGraphic(TGraphic* Value) {
    if (Value == FGraphic.get() && Value) return;
    if (Value == nullptr) {
        Take(nullptr);
        return;
    }
    std::unique_ptr<TGraphic> copy = NewGraphic(Value->ClassType());
    copy->Assign(Value);
    Take(std::move(copy));
}

template <class T> T* TPicture::Force() {
    if (auto* g = dynamic_cast<T*>(FGraphic.get())) return g;
    Take(std::make_unique<T>());
    return static_cast<T*>(FGraphic.get());
}

TBitmap* TPicture::GetBitmap() {
    return Force<TBitmap>();
}

TIcon* TPicture::GetIcon() {
    return Force<TIcon>();
}

TMetafile* TPicture::GetMetafile() {
    return Force<TMetafile>();
}

int TPicture::GetWidth() const {
    return FGraphic ? FGraphic->GetWidth() : 0;
}

int TPicture::GetHeight() const {
    return FGraphic ? FGraphic->GetHeight() : 0;
}

void TPicture::Assign(TPersistent* Source) {
    if (Source == nullptr) {
        SetGraphic(nullptr);
    } else if (auto* p = dynamic_cast<TPicture*>(Source)) {
        if (p != this) SetGraphic(p->FGraphic.get());
    } else if (auto* g = dynamic_cast<TGraphic*>(Source)) {
        SetGraphic(g);
    } else {
        inherited::Assign(Source);
    }
}

void TPicture::AssignTo(TPersistent* Dest) {
    if (dynamic_cast<TGraphic*>(Dest)) {
        Dest->Assign(FGraphic.get());
        return;
    }
    inherited::AssignTo(Dest);
}

void TPicture::LoadFromFile(const String& FileName) {
    String ext = SysUtils::LowerCase(SysUtils::ExtractFileExt(FileName));
    if (!ext.empty() && ext[0] == '.') ext.erase(0, 1);
    auto& formats = FileFormats();
    auto it = std::find_if(formats.begin(), formats.end(),
                           [&](const TFileFormat& f) { return f.Extension == ext; });
    if (it == formats.end()) throw EInvalidGraphic("Unknown picture file extension (." + ext + ")");
    std::unique_ptr<TGraphic> graphic = NewGraphic(it->Graphic);
    graphic->LoadFromFile(FileName);
    Take(std::move(graphic));
}

void TPicture::SaveToFile(const String& FileName) {
    if (FGraphic) FGraphic->SaveToFile(FileName);
}

void TPicture::DefineProperties(Classes::TFiler& Filer) {
    Filer.DefineBinaryProperty(
        "Data", [this](Classes::TStream& s) { ReadData(s); }, [this](Classes::TStream& s) { WriteData(s); },
        FGraphic != nullptr);
}

void TPicture::ReadData(Classes::TStream& Stream) {
    uint8_t length = 0;
    if (Stream.Read(&length, 1) != 1 || length == 0)
        throw EInvalidGraphic("Invalid picture data: no class name");
    String name(length, '\0');
    if (Stream.Read(name.data(), length) != length)
        throw EInvalidGraphic("Invalid picture data: the class name is cut short");
    System::TClass cls = FindGraphicClass(name);
    if (!cls) throw EInvalidGraphic("Invalid picture data: " + name + " is not a graphic class");
    std::unique_ptr<TGraphic> graphic = NewGraphic(cls);
    try {
        graphic->ReadData(Stream);
    } catch (const SysUtils::Exception& e) {
        throw EInvalidGraphic("Invalid picture data of class " + name + ": " + e.Message());
    }
    Take(std::move(graphic));
}

void TPicture::WriteData(Classes::TStream& Stream) {
    String name = FGraphic->ClassName();
    auto length = uint8_t(name.size());
    Stream.WriteBuffer(&length, 1);
    Stream.WriteBuffer(name.data(), name.size());
    FGraphic->WriteData(Stream);
}

PUBLISHED(TPicture, "Graphics");

namespace {
struct TGraphicsUnit {
    TGraphicsUnit() {
        Classes::RegisterClasses({&TBitmap::ClassInfo, &TIcon::ClassInfo, &TMetafile::ClassInfo,
                                  &TPicture::ClassInfo, &TFont::ClassInfo, &TPen::ClassInfo,
                                  &TBrush::ClassInfo});
    }
} GraphicsUnit;
} // namespace

} // namespace Graphics
