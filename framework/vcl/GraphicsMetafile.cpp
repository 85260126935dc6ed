// Graphics: enhanced metafiles (TMetafile) and the canvas that records one (TMetafileCanvas).
//
// The two file formats read (all numbers little-endian):
//   EMF            the header record first: u32 type 1 (EMR_HEADER), u32 record size, the bounds (4 x i32,
//                  device units), the frame (4 x i32, hundredths of a millimetre), u32 signature " EMF" at
//                  offset 40, u32 version, u32 bytes of the whole metafile at offset 48, ...; 88 bytes at
//                  least.
//   placeable WMF  u32 key 0x9AC6CDD7, u16 0, i16 left, top, right, bottom (the picture in metafile units),
//                  u16 units per inch, u32 0, u16 checksum (the XOR of the ten u16 before it); then at offset
//                  22 the Windows metafile: u16 type (1 or 2), u16 header size (9 words), u16 version, u32
//                  size in words, ...
//   Worked example: a placeable WMF of a 2 x 1 inch picture at 1440 units per inch has bounds 0 0 2880 1440,
//   and becomes a frame of 5080 x 2540 hundredths of a millimetre.
#include "framework/vcl/Graphics.h"

namespace Graphics {

using Detail::U16;
using Detail::U32;

namespace {

constexpr int HundredthMillimetresPerInch = 2540;

[[noreturn]] void Bad(const String& Why) {
    throw EInvalidGraphic("Invalid metafile: " + Why);
}

HENHMETAFILE FromPlaceable(const std::vector<uint8_t>& d, int& MMWidth, int& MMHeight) {
    if (d.size() < 22 + 18) Bad("the placeable metafile is cut short");
    uint16_t sum = 0;
    for (int i = 0; i < 10; ++i)
        sum ^= U16(&d[size_t(2 * i)]);
    if (sum != U16(&d[20])) Bad("the checksum of the placeable header is wrong");
    int left = int16_t(U16(&d[6])), top = int16_t(U16(&d[8])), right = int16_t(U16(&d[10])),
        bottom = int16_t(U16(&d[12])), inch = U16(&d[14]);
    if (inch == 0 || right <= left || bottom <= top) Bad("the placeable header gives no size");
    const uint8_t* wmf = &d[22];
    uint64_t words = U32(wmf + 6);
    if ((U16(wmf) != 1 && U16(wmf) != 2) || U16(wmf + 2) != 9) Bad("the Windows metafile's header is wrong");
    if (words * 2 < 18 || words * 2 > d.size() - 22) Bad("the Windows metafile is cut short");
    MMWidth = MulDiv(right - left, HundredthMillimetresPerInch, inch);
    MMHeight = MulDiv(bottom - top, HundredthMillimetresPerInch, inch);
    METAFILEPICT picture{MM_ANISOTROPIC, MMWidth, MMHeight, nullptr};
    WinHandles::TWindowDC screen(nullptr);
    HENHMETAFILE h = SetWinMetaFileBits(UINT(words * 2), wmf, screen, &picture);
    if (!h) Bad("the Windows metafile cannot be converted");
    return h;
}

HENHMETAFILE FromEnhanced(const std::vector<uint8_t>& d) {
    if (d.size() < 88 || U32(&d[0]) != EMR_HEADER || U32(&d[40]) != ENHMETA_SIGNATURE)
        Bad("the data is neither an enhanced metafile nor a placeable Windows metafile");
    uint32_t bytes = U32(&d[48]);
    if (bytes < 88 || bytes > d.size()) Bad("the enhanced metafile is cut short");
    HENHMETAFILE h = SetEnhMetaFileBits(bytes, d.data());
    if (!h) Bad("the records cannot be read");
    return h;
}

} // namespace

TMetafile::TMetafile() = default;

TMetafile::~TMetafile() = default;

void TMetafile::Take(HENHMETAFILE Value, bool Enhanced) {
    FHandle.Reset(Value);
    FEnhanced = Enhanced;
    ENHMETAHEADER header{};
    if (Value && GetEnhMetaFileHeader(Value, sizeof(header), &header)) {
        FMMWidth = header.rclFrame.right - header.rclFrame.left;
        FMMHeight = header.rclFrame.bottom - header.rclFrame.top;
    }
}

void TMetafile::Clear() {
    Take(nullptr, true);
    FMMWidth = FMMHeight = 0;
    Changed();
}

void TMetafile::Assign(TPersistent* Source) {
    if (Source == nullptr) {
        Clear();
        return;
    }
    auto* m = dynamic_cast<TMetafile*>(Source);
    if (m == nullptr) {
        inherited::Assign(Source);
        return;
    }
    if (m == this) return;
    HENHMETAFILE copy =
        m->FHandle ? WinHandles::Check(CopyEnhMetaFileW(m->FHandle, nullptr), "a metafile") : nullptr;
    Take(copy, m->FEnhanced);
    FMMWidth = m->FMMWidth;
    FMMHeight = m->FMMHeight;
    FTransparent = m->FTransparent;
    Changed();
}

int TMetafile::GetWidth() const {
    return MulDiv(FMMWidth, Detail::ScreenPixelsPerInch(), HundredthMillimetresPerInch);
}

int TMetafile::GetHeight() const {
    return MulDiv(FMMHeight, Detail::ScreenPixelsPerInch(), HundredthMillimetresPerInch);
}

void TMetafile::SetWidth(int Value) {
    SetMMWidth(MulDiv(Value, HundredthMillimetresPerInch, Detail::ScreenPixelsPerInch()));
}

void TMetafile::SetHeight(int Value) {
    SetMMHeight(MulDiv(Value, HundredthMillimetresPerInch, Detail::ScreenPixelsPerInch()));
}

void TMetafile::SetMMWidth(int Value) {
    if (Value == FMMWidth) return;
    FMMWidth = Value;
    Changed();
}

void TMetafile::SetMMHeight(int Value) {
    if (Value == FMMHeight) return;
    FMMHeight = Value;
    Changed();
}

void TMetafile::SetHandle(HENHMETAFILE Value) {
    if (Value == FHandle.Get()) return;
    if (Value && GetObjectType(Value) != OBJ_ENHMETAFILE)
        throw EInvalidGraphic("The handle given to a metafile is not an enhanced metafile");
    Take(Value, true);
    if (!Value) FMMWidth = FMMHeight = 0;
    Changed();
}

HENHMETAFILE TMetafile::ReleaseHandle() {
    HENHMETAFILE h = FHandle.Release();
    Changed();
    return h;
}

void TMetafile::LoadFromStream(Classes::TStream& Stream) {
    std::vector<uint8_t> d = Detail::ReadRest(Stream, "The metafile");
    if (d.empty()) {
        Clear();
        return;
    }
    if (d.size() >= 4 && U32(&d[0]) == 0x9AC6CDD7) {
        int mmWidth = 0, mmHeight = 0;
        HENHMETAFILE h = FromPlaceable(d, mmWidth, mmHeight);
        Take(h, false);
        FMMWidth = mmWidth;
        FMMHeight = mmHeight;
    } else {
        Take(FromEnhanced(d), true);
    }
    Changed();
}

void TMetafile::SaveToStream(Classes::TStream& Stream) {
    if (!FHandle) return;
    std::vector<uint8_t> bytes(GetEnhMetaFileBits(FHandle, 0, nullptr));
    GetEnhMetaFileBits(FHandle, UINT(bytes.size()), bytes.data());
    if (!bytes.empty()) Stream.WriteBuffer(bytes.data(), bytes.size());
}

void TMetafile::Draw(TCanvas* ACanvas, const TRect& Rect) {
    PlayEnhMetaFile(ACanvas->GetHandle(), FHandle, &Rect);
}

PUBLISHED(TMetafile, "Graphics");

// ==== TMetafileCanvas ======================================================================================

TMetafileCanvas::TMetafileCanvas(TMetafile* AMetafile, HDC ReferenceDevice) : FMetafile(AMetafile) {
    RECT frame{0, 0, AMetafile->GetMMWidth(), AMetafile->GetMMHeight()};
    bool framed = frame.right > 0 && frame.bottom > 0;
    FDC = WinHandles::Check(CreateEnhMetaFileW(ReferenceDevice, nullptr, framed ? &frame : nullptr, nullptr),
                            "a metafile device context");
    SetHandle(FDC);
}

TMetafileCanvas::~TMetafileCanvas() {
    SetHandle(nullptr); // the canvas's objects out of the DC before it closes
    HENHMETAFILE recorded = CloseEnhMetaFile(FDC);
    try {
        if (recorded) FMetafile->SetHandle(recorded);
    } catch (...) {
        // An OnChange handler that throws cannot be reported from a destructor; the metafile has the handle.
    }
}

PUBLISHED(TMetafileCanvas, "Graphics");

} // namespace Graphics
