// ImgList: TChangeLink, TCustomImageList and TImageList.
//
// The stream of an image list (the binary property Bitmap), as ImageList_Write makes it (little-endian):
//   offset 0   u16 magic "IL", u16 version (0x101; 0x600 from the version 6 controls), u16 images, u16
//              capacity, u16 growth, u16 cx, u16 cy, u32 background colour, u16 flags (ILC_MASK 1,
//              ILC_COLOR32 0x20...), 4 x i16 overlay images: 28 bytes
//   offset 28  the images as one bitmap file ("BM", BITMAPFILEHEADER, BITMAPINFOHEADER, colour table, bits),
//              then, with ILC_MASK, the masks as another; image i is the tile of cx x cy at column i % n and
//              row i / n, n being the bitmap's width over cx (4 for the lists Wine writes).
// ReadData checks each header against the data before it reads a bitmap: a list that claims more than the
// stream holds is refused without allocating anything for it.
//
// Invariants:
//   1. A link is in FClients exactly while its Sender is this list.
//   2. Every change of the images ends in Change (deferred while updating).
#include "framework/vcl/ImgList.h"

#include "framework/core/ClassesReaderWriter.h"
#include "framework/core/ClassesRegistry.h"

#include <algorithm>
#include <memory>
#include <objidl.h>

namespace ImgList {

using Classes::EInvalidOperation;
using Graphics::Detail::U16;
using Graphics::Detail::U32;
using namespace TypInfo;

namespace {

COLORREF ListColor(TColor Color) {
    if (Color == Graphics::clNone) return CLR_NONE;
    if (Color == Graphics::clDefault) return CLR_DEFAULT;
    return COLORREF(Graphics::ColorToRGB(Color));
}

struct TReleaseStream {
    void operator()(IStream* s) const { s->Release(); }
};
using TStreamPtr = std::unique_ptr<IStream, TReleaseStream>;

// The mask of an opaque image: every bit 0 (black).
WinHandles::TBitmapHandle OpaqueMask(int Width, int Height) {
    std::vector<uint8_t> zeros(size_t((Width + 15) / 16 * 2) * size_t(Height));
    return WinHandles::TBitmapHandle(
        WinHandles::Check(CreateBitmap(Width, Height, 1, 1, zeros.data()), "an image list mask"));
}

[[noreturn]] void Bad(const String& Why) {
    throw Graphics::EInvalidGraphic("Invalid image list data: " + Why);
}

// Where the bitmap file at At ends: its headers, a full colour table up to 8 bits or the masks, and the rows.
size_t BitmapEnd(const std::vector<uint8_t>& d, size_t At) {
    if (d.size() < At || d.size() - At < 54 || d[At] != 'B' || d[At + 1] != 'M' || U32(&d[At + 14]) != 40)
        Bad("a bitmap is missing or cut short");
    const uint8_t* h = &d[At + 14];
    int width = int32_t(U32(h + 4)), height = std::abs(int32_t(U32(h + 8))), bits = U16(h + 14);
    if (width <= 0 || height <= 0) Bad("a bitmap of no size");
    uint64_t size = 54 + (bits <= 8 ? (uint64_t(4) << bits) : 0) + (U32(h + 16) == BI_BITFIELDS ? 12 : 0) +
                    uint64_t(Graphics::Detail::Stride(width, bits)) * uint64_t(height);
    if (size > d.size() - At) Bad("a bitmap runs past the end of the data");
    return At + size_t(size);
}

// The bitmap file between From and To.
void LoadBitmap(Graphics::TBitmap& Bitmap, const std::vector<uint8_t>& d, size_t From, size_t To) {
    Classes::TMemoryStream m;
    m.WriteBuffer(&d[From], To - From);
    m.SetPosition(0);
    Bitmap.LoadFromStream(m);
}

} // namespace

// ==== TChangeLink ==========================================================================================

TChangeLink::~TChangeLink() {
    if (FSender) FSender->UnRegisterChanges(this);
}

void TChangeLink::Change() {
    OnChange(FSender);
}

PUBLISHED(TChangeLink, "ImgList");

// ==== TCustomImageList =====================================================================================

TCustomImageList::TCustomImageList(Classes::TComponent* AOwner) : TComponent(AOwner) {}

TCustomImageList::~TCustomImageList() {
    for (TChangeLink* link : FClients) // invariant 1: the links outlive the list
        link->SetSender(nullptr);
    FClients.clear();
    FreeHandle();
}

HIMAGELIST TCustomImageList::Create(bool Masked) const {
    HIMAGELIST h =
        ImageList_Create(FWidth, FHeight, ILC_COLOR32 | (Masked ? ILC_MASK : 0), FAllocBy, FAllocBy);
    if (!h)
        throw Classes::EOutOfResources("Cannot create an image list of " + SysUtils::IntToStr(FWidth) +
                                       " x " + SysUtils::IntToStr(FHeight));
    ImageList_SetBkColor(h, ListColor(FBkColor));
    return h;
}

HIMAGELIST TCustomImageList::GetHandle() {
    if (!FHandle) FHandle = Create(FMasked);
    return FHandle;
}

void TCustomImageList::FreeHandle() {
    if (FHandle && !FShareImages) ImageList_Destroy(FHandle);
    FHandle = nullptr;
}

void TCustomImageList::SetHandle(HIMAGELIST Value) {
    if (Value == FHandle) return;
    FreeHandle();
    FHandle = Value;
    if (Value) ImageList_GetIconSize(Value, &FWidth, &FHeight);
    Change();
}

int TCustomImageList::GetCount() const {
    return FHandle ? ImageList_GetImageCount(FHandle) : 0;
}

void TCustomImageList::CheckIndex(int Index) const {
    if (Index < 0 || Index >= GetCount())
        throw EInvalidOperation("Image list index out of bounds (" + SysUtils::IntToStr(Index) + ")");
}

void TCustomImageList::Assign(Classes::TPersistent* Source) {
    auto* other = dynamic_cast<TCustomImageList*>(Source);
    if (!other) {
        inherited::Assign(Source);
        return;
    }
    if (other == this) return;
    HIMAGELIST copy = other->FHandle ? ImageList_Duplicate(other->FHandle) : nullptr;
    if (other->FHandle && !copy) throw Classes::EOutOfResources("Cannot copy the image list");
    FreeHandle();
    FHandle = copy;
    FWidth = other->FWidth;
    FHeight = other->FHeight;
    FAllocBy = other->FAllocBy;
    FBkColor = other->FBkColor;
    FBlendColor = other->FBlendColor;
    FDrawingStyle = other->FDrawingStyle;
    FImageType = other->FImageType;
    FMasked = other->FMasked;
    Change();
}

int TCustomImageList::Add(Graphics::TBitmap* Image, Graphics::TBitmap* Mask) {
    if (!Image || Image->GetEmpty()) throw EInvalidOperation("No image to add to the image list");
    // Copies: the list selects what it is given into DCs of its own, and the caller's bitmaps stay as they
    // are.
    Graphics::TBitmap image, mask;
    image.Assign(Image);
    if (Mask) mask.Assign(Mask);
    WinHandles::TBitmapHandle opaque = OpaqueMask(image.GetWidth(), image.GetHeight());
    int index = ImageList_Add(GetHandle(), image.GetHandle(), Mask ? mask.GetHandle() : opaque.Get());
    if (index < 0) throw EInvalidOperation("The image cannot be added to the image list");
    Change();
    return index;
}

int TCustomImageList::AddMasked(Graphics::TBitmap* Image, TColor MaskColor) {
    if (MaskColor == Graphics::clNone) return Add(Image, nullptr);
    if (!Image || Image->GetEmpty()) throw EInvalidOperation("No image to add to the image list");
    if (MaskColor == Graphics::clDefault) MaskColor = Image->GetTransparentColor();
    Graphics::TBitmap image;
    image.Assign(Image);
    int index =
        ImageList_AddMasked(GetHandle(), image.GetHandle(), COLORREF(Graphics::ColorToRGB(MaskColor)));
    if (index < 0) throw EInvalidOperation("The image cannot be added to the image list");
    Change();
    return index;
}

int TCustomImageList::AddIcon(Graphics::TIcon* Image) {
    if (!Image || Image->GetEmpty()) throw EInvalidOperation("No icon to add to the image list");
    int index = ImageList_AddIcon(GetHandle(), Image->GetHandle());
    if (index < 0) throw EInvalidOperation("The icon cannot be added to the image list");
    Change();
    return index;
}

void TCustomImageList::Replace(int Index, Graphics::TBitmap* Image, Graphics::TBitmap* Mask) {
    CheckIndex(Index);
    if (!Image || Image->GetEmpty()) throw EInvalidOperation("No image to put into the image list");
    Graphics::TBitmap image, mask;
    image.Assign(Image);
    if (Mask) mask.Assign(Mask);
    WinHandles::TBitmapHandle opaque = OpaqueMask(image.GetWidth(), image.GetHeight());
    if (!ImageList_Replace(FHandle, Index, image.GetHandle(), Mask ? mask.GetHandle() : opaque.Get()))
        throw EInvalidOperation("The image cannot be replaced");
    Change();
}

void TCustomImageList::ReplaceIcon(int Index, Graphics::TIcon* Image) {
    CheckIndex(Index);
    if (!Image || Image->GetEmpty()) throw EInvalidOperation("No icon to put into the image list");
    if (ImageList_ReplaceIcon(FHandle, Index, Image->GetHandle()) < 0)
        throw EInvalidOperation("The icon cannot be replaced");
    Change();
}

void TCustomImageList::Delete(int Index) {
    CheckIndex(Index);
    ImageList_Remove(FHandle, Index);
    Change();
}

void TCustomImageList::Clear() {
    if (FHandle) ImageList_Remove(FHandle, -1);
    Change();
}

void TCustomImageList::GetBitmap(int Index, Graphics::TBitmap* Image) {
    if (!Image || Index < 0 || Index >= GetCount()) return;
    Image->SetSize(FWidth, FHeight);
    Graphics::TCanvas* canvas = Image->GetCanvas();
    Graphics::TBrush* brush = canvas->GetBrush();
    TColor own = brush->GetColor();
    if (FBkColor != Graphics::clNone) brush->SetColor(FBkColor);
    canvas->FillRect(Graphics::Rect(0, 0, FWidth, FHeight));
    brush->SetColor(own);
    Draw(canvas, 0, 0, Index);
}

void TCustomImageList::GetIcon(int Index, Graphics::TIcon* Image) {
    if (!Image || Index < 0 || Index >= GetCount()) return;
    HICON icon = ImageList_GetIcon(FHandle, Index, ILD_NORMAL);
    if (!icon) throw EInvalidOperation("The image cannot be made into an icon");
    try {
        Image->SetHandle(icon);
    } catch (...) {
        DestroyIcon(icon);
        throw;
    }
}

void TCustomImageList::Draw(Graphics::TCanvas* Canvas, int X, int Y, int Index, bool Enabled) {
    if (!Canvas || Index < 0 || Index >= GetCount()) return;
    HDC dc = Canvas->GetHandle();
    Canvas->Changing(); // the list draws on the DC itself
    if (Enabled) {
        static constexpr UINT styles[] = {ILD_FOCUS, ILD_SELECTED, ILD_NORMAL, ILD_TRANSPARENT};
        UINT style = styles[FDrawingStyle] | (FImageType == itMask ? ILD_MASK : 0);
        ImageList_DrawEx(FHandle, Index, dc, X, Y, 0, 0, ListColor(FBkColor), ListColor(FBlendColor), style);
    } else {
        DrawDisabled(dc, X, Y, Index);
    }
    Canvas->Changed();
}

void TCustomImageList::DrawDisabled(HDC DC, int X, int Y, int Index) {
    // 1. The image's shape as a monochrome picture: black where it is, white where it is transparent (the
    //    whole cell for a list without masks).
    WinHandles::TBitmapHandle shape(
        WinHandles::Check(CreateBitmap(FWidth, FHeight, 1, 1, nullptr), "a bitmap"));
    WinHandles::TMemoryDC shapeDC;
    WinHandles::TSelectObject sel(shapeDC, shape);
    PatBlt(shapeDC, 0, 0, FWidth, FHeight, FMasked ? WHITENESS : BLACKNESS);
    if (FMasked) ImageList_DrawEx(FHandle, Index, shapeDC, 0, 0, 0, 0, CLR_NONE, CLR_NONE, ILD_MASK);
    // 2. The shape in the highlight colour one pixel down and right, then in the shadow colour on top:
    //    PSDPxax paints the brush where the shape is black and leaves the rest.
    constexpr DWORD PSDPxax = 0x00B8074A;
    WinHandles::TSaveDC save(DC);
    SetTextColor(DC, RGB(0, 0, 0));
    ::SetBkColor(DC, RGB(255, 255, 255));
    for (int i = 0; i < 2; ++i) {
        WinHandles::TBrush brush(WinHandles::Check(
            CreateSolidBrush(GetSysColor(i == 0 ? COLOR_BTNHIGHLIGHT : COLOR_BTNSHADOW)), "a brush"));
        WinHandles::TSelectObject selBrush(DC, brush);
        BitBlt(DC, X + 1 - i, Y + 1 - i, FWidth, FHeight, shapeDC, 0, 0, PSDPxax);
    }
}

void TCustomImageList::RegisterChanges(TChangeLink* Value) {
    if (!Value || std::find(FClients.begin(), FClients.end(), Value) != FClients.end()) return;
    if (Value->GetSender() && Value->GetSender() != this) Value->GetSender()->UnRegisterChanges(Value);
    FClients.push_back(Value);
    Value->SetSender(this);
}

void TCustomImageList::UnRegisterChanges(TChangeLink* Value) {
    auto it = std::find(FClients.begin(), FClients.end(), Value);
    if (it == FClients.end()) return;
    FClients.erase(it);
    Value->SetSender(nullptr);
}

void TCustomImageList::BeginUpdate() {
    ++FUpdateCount;
}

void TCustomImageList::EndUpdate() {
    if (FUpdateCount > 0 && --FUpdateCount == 0 && FChanged) Change();
}

void TCustomImageList::Change() {
    if (FUpdateCount > 0) {
        FChanged = true;
        return;
    }
    FChanged = false;
    // A link's handler may unregister links (its own among them): each is called only while registered.
    std::vector<TChangeLink*> clients = FClients;
    for (TChangeLink* link : clients)
        if (std::find(FClients.begin(), FClients.end(), link) != FClients.end()) link->Change();
    OnChange(this);
}

void TCustomImageList::SetWidth(int Value) {
    if (Value == FWidth) return;
    if (Value < 1) throw EInvalidOperation("Invalid image size " + SysUtils::IntToStr(Value));
    FWidth = Value;
    FreeHandle();
    Change();
}

void TCustomImageList::SetHeight(int Value) {
    if (Value == FHeight) return;
    if (Value < 1) throw EInvalidOperation("Invalid image size " + SysUtils::IntToStr(Value));
    FHeight = Value;
    FreeHandle();
    Change();
}

void TCustomImageList::SetBkColor(TColor Value) {
    if (Value == FBkColor) return;
    FBkColor = Value;
    if (FHandle) ImageList_SetBkColor(FHandle, ListColor(Value));
    Change();
}

void TCustomImageList::SetBlendColor(TColor Value) {
    if (Value == FBlendColor) return;
    FBlendColor = Value;
    Change();
}

void TCustomImageList::SetDrawingStyle(TDrawingStyle Value) {
    if (Value == FDrawingStyle) return;
    FDrawingStyle = Value;
    Change();
}

void TCustomImageList::SetImageType(TImageType Value) {
    if (Value == FImageType) return;
    FImageType = Value;
    Change();
}

void TCustomImageList::SetMasked(bool Value) {
    if (Value == FMasked) return;
    if (GetCount() > 0) {
        // Each image into a list of the other kind: drawn on black (where the list keeps its masked pixels)
        // with its mask beside it.
        HIMAGELIST fresh = Create(Value);
        for (int i = 0; i < GetCount(); ++i) {
            Graphics::TBitmap image, mask;
            image.SetSize(FWidth, FHeight);
            mask.SetMonochrome(true);
            mask.SetSize(FWidth, FHeight);
            {
                WinHandles::TMemoryDC dc;
                WinHandles::TSelectObject sel(dc, image.GetHandle());
                PatBlt(dc, 0, 0, FWidth, FHeight, BLACKNESS);
                ImageList_DrawEx(FHandle, i, dc, 0, 0, 0, 0, CLR_NONE, CLR_NONE, ILD_NORMAL);
                WinHandles::TMemoryDC maskDC;
                WinHandles::TSelectObject selMask(maskDC, mask.GetHandle());
                PatBlt(maskDC, 0, 0, FWidth, FHeight, BLACKNESS);
                if (FMasked) ImageList_DrawEx(FHandle, i, maskDC, 0, 0, 0, 0, CLR_NONE, CLR_NONE, ILD_MASK);
            }
            ImageList_Add(fresh, image.GetHandle(), Value ? mask.GetHandle() : nullptr);
        }
        FreeHandle();
        FHandle = fresh;
    } else {
        FreeHandle();
    }
    FMasked = Value;
    Change();
}

void TCustomImageList::DefineProperties(Classes::TFiler& Filer) {
    inherited::DefineProperties(Filer);
    Filer.DefineBinaryProperty(
        "Bitmap", [this](Classes::TStream& s) { ReadData(s); }, [this](Classes::TStream& s) { WriteData(s); },
        GetCount() > 0);
}

void TCustomImageList::ReadData(Classes::TStream& Stream) {
    // Read here rather than by ImageList_Read, which under Wine puts the masks three rows out of place.
    // 1. The header, and the two bitmaps checked against the data before anything is made of them.
    std::vector<uint8_t> d = Graphics::Detail::ReadRest(Stream, "The image list");
    if (d.size() < 28 || d[0] != 'I' || d[1] != 'L') Bad("it does not start with \"IL\"");
    uint16_t version = U16(&d[2]), count = U16(&d[4]), cx = U16(&d[10]), cy = U16(&d[12]),
             flags = U16(&d[18]);
    if (version != 0x101 && version != 0x600) Bad("version " + SysUtils::IntToHex(version, 4));
    if (cx == 0 || cy == 0) Bad("images of no size");
    bool masked = (flags & ILC_MASK) != 0;
    size_t imageEnd = BitmapEnd(d, 28), maskEnd = masked ? BitmapEnd(d, imageEnd) : imageEnd;
    Graphics::TBitmap image, mask;
    try {
        LoadBitmap(image, d, 28, imageEnd);
        if (masked) LoadBitmap(mask, d, imageEnd, maskEnd);
    } catch (const Graphics::EInvalidGraphic& e) {
        Bad(e.Message());
    }
    // 2. The images lie in rows of tiles cx x cy, as many to a row as the bitmap is wide.
    int columns = image.GetWidth() / cx;
    if (count > 0 && (columns == 0 || count > columns * (image.GetHeight() / cy)))
        Bad("its bitmap holds fewer images than its header counts");
    if (masked && (mask.GetWidth() != image.GetWidth() || mask.GetHeight() != image.GetHeight()))
        Bad("the masks are not as large as the images");
    std::unique_ptr<_IMAGELIST, decltype(&ImageList_Destroy)> list(
        ImageList_Create(cx, cy, ILC_COLOR32 | (masked ? ILC_MASK : 0), std::max<int>(count, 1), FAllocBy),
        &ImageList_Destroy);
    if (!list) throw Classes::EOutOfResources("Cannot create an image list");
    for (int i = 0; i < count; ++i) {
        Graphics::TRect from = Graphics::Bounds(i % columns * cx, i / columns * cy, cx, cy),
                        to = Graphics::Rect(0, 0, cx, cy);
        Graphics::TBitmap tile, tileMask;
        tile.SetSize(cx, cy);
        tile.GetCanvas()->CopyRect(to, image.GetCanvas(), from);
        tileMask.SetMonochrome(true);
        tileMask.SetSize(cx, cy);
        if (masked) tileMask.GetCanvas()->CopyRect(to, mask.GetCanvas(), from);
        if (ImageList_Add(list.get(), tile.GetHandle(), masked ? tileMask.GetHandle() : nullptr) < 0)
            Bad("an image cannot be added");
    }
    // 3. In place of the old list.
    FreeHandle();
    FHandle = list.release();
    FWidth = cx;
    FHeight = cy;
    FMasked = masked;
    ImageList_SetBkColor(FHandle, ListColor(FBkColor));
    Change();
}

void TCustomImageList::WriteData(Classes::TStream& Stream) {
    IStream* raw = nullptr;
    if (FAILED(CreateStreamOnHGlobal(nullptr, TRUE, &raw)))
        throw Classes::EWriteError("Cannot make a stream for the image list");
    TStreamPtr stream(raw);
    if (!ImageList_Write(GetHandle(), stream.get()))
        throw Classes::EWriteError("The image list cannot be written");
    HGLOBAL memory = nullptr;
    STATSTG stat{};
    if (FAILED(GetHGlobalFromStream(stream.get(), &memory)) || FAILED(stream->Stat(&stat, STATFLAG_NONAME)))
        throw Classes::EWriteError("The image list cannot be written");
    WinHandles::TGlobalMemory::Lock lock(memory);
    Stream.WriteBuffer(lock.Get(), size_t(stat.cbSize.QuadPart));
}

PUBLISHED(TCustomImageList, "ImgList");

PUBLISHED(
    TImageList, "ImgList",
    Prop<&TCustomImageList::GetAllocBy, &TCustomImageList::SetAllocBy>("AllocBy").Default(4),
    Prop<&TCustomImageList::GetBlendColor, &TCustomImageList::SetBlendColor>("BlendColor")
        .Type(&Graphics::TColor_TypeInfo)
        .Default(Graphics::clNone),
    Prop<&TCustomImageList::GetBkColor, &TCustomImageList::SetBkColor>("BkColor")
        .Type(&Graphics::TColor_TypeInfo)
        .Default(Graphics::clNone),
    Prop<&TCustomImageList::GetDrawingStyle, &TCustomImageList::SetDrawingStyle>("DrawingStyle")
        .Default(dsNormal),
    Prop<&TCustomImageList::GetHeight, &TCustomImageList::SetHeight>("Height").Default(16),
    Prop<&TCustomImageList::GetImageType, &TCustomImageList::SetImageType>("ImageType").Default(itImage),
    Prop<&TCustomImageList::GetMasked, &TCustomImageList::SetMasked>("Masked").Default(true),
    Prop<&TCustomImageList::OnChange>("OnChange"),
    Prop<&TCustomImageList::GetShareImages, &TCustomImageList::SetShareImages>("ShareImages").Default(false),
    Prop<&TCustomImageList::GetWidth, &TCustomImageList::SetWidth>("Width").Default(16));

namespace {
struct TImgListUnit {
    TImgListUnit() { Classes::RegisterClasses({&TImageList::ClassInfo}); }
} ImgListUnit;
} // namespace

} // namespace ImgList
