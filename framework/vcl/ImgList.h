// ImgList: image lists over the common controls' HIMAGELIST, and the change links that watch them.
//
// Declares: TChangeLink (tells the object holding it that a list's images changed), TDrawingStyle,
// TImageType, TCustomImageList (the list and its operations) and TImageList (the component forms stream).
//
//   auto* images = new ImgList::TImageList(form);            // 16 x 16, masked
//   Graphics::TBitmap strip;  strip.LoadFromFile("tools.bmp");  // 48 x 16: three images side by side
//   images->AddMasked(&strip, Graphics::clFuchsia);          // 0, the index of the first; Count 3
//   ImgList::TChangeLink link;  link.OnChange = ...;  images->RegisterChanges(&link);
//   images->GetBitmap(1, picture->GetBitmap());              // image 1, 16 x 16
//
// Every change of the images (added, replaced, deleted, cleared, read, resized) calls Change on each
// registered link and then OnChange. Links never dangle: a link unregisters itself when it dies, and a list
// that dies clears the Sender of every link still registered (the component holding the link also gets the
// framework's removal notification when it asked for it with FreeNotification).
#pragma once

#include "framework/vcl/Graphics.h"

#include <commctrl.h>

namespace ImgList {

using Classes::TNotifyEvent;
using Graphics::TColor;
using SysUtils::String;

class TCustomImageList;

class TChangeLink : public System::TObject {
    DECLARE_CLASS(TChangeLink, System::TObject)
public:
    TChangeLink() = default;
    // Unregisters the link from its Sender.
    ~TChangeLink() override;
    TCustomImageList* GetSender() const { return FSender; }
    void SetSender(TCustomImageList* Value) { FSender = Value; }
    // Calls OnChange with the Sender.
    virtual void Change();
    TNotifyEvent OnChange;

private:
    TCustomImageList* FSender = nullptr;
};

// How Draw paints an image: blended with BlendColor for focus (25%) or selection (50%), on BkColor, or
// transparently through the mask.
PUBLISHED_ENUM(TDrawingStyle, uint8_t, dsFocus, dsSelected, dsNormal, dsTransparent)
// Draw paints the image, or its mask.
PUBLISHED_ENUM(TImageType, uint8_t, itImage, itMask)

class TCustomImageList : public Classes::TComponent {
    DECLARE_CLASS(TCustomImageList, Classes::TComponent)
public:
    explicit TCustomImageList(Classes::TComponent* AOwner);
    ~TCustomImageList() override;
    // From another image list: its properties and a copy of its images.
    void Assign(Classes::TPersistent* Source) override;

    // The list (ImageList_Create with ILC_COLOR32, and ILC_MASK when Masked), made on first need.
    HIMAGELIST GetHandle();
    // Takes a list over (destroyed with this one unless ShareImages); Width and Height become its own.
    void SetHandle(HIMAGELIST Value);
    bool HandleAllocated() const { return FHandle != nullptr; }
    int GetCount() const;

    // Each returns the index of the first image added: a bitmap wider than Width gives one image per Width
    // pixels. Mask is monochrome, white where the image is transparent (nullptr: opaque). AddMasked makes the
    // mask from the pixels of MaskColor (clDefault: the bitmap's transparent colour; clNone: no mask). The
    // bitmaps given are not changed. Failures raise EInvalidOperation.
    int Add(Graphics::TBitmap* Image, Graphics::TBitmap* Mask);
    int AddMasked(Graphics::TBitmap* Image, TColor MaskColor);
    int AddIcon(Graphics::TIcon* Image);
    // An index outside the list raises EInvalidOperation "Image list index out of bounds (%d)".
    void Replace(int Index, Graphics::TBitmap* Image, Graphics::TBitmap* Mask);
    void ReplaceIcon(int Index, Graphics::TIcon* Image);
    void Delete(int Index);
    void Clear();

    // Image becomes Width x Height (keeping its handle type): filled with BkColor, or when that is clNone
    // with the colour of Image's canvas brush (white unless the caller set it), and image Index drawn on it
    // as Draw draws it, so that transparent pixels show that colour. Nothing happens when Image is nullptr or
    // Index is outside the list.
    void GetBitmap(int Index, Graphics::TBitmap* Image);
    // Image takes an icon of image Index (with its mask); nothing for an index outside the list.
    void GetIcon(int Index, Graphics::TIcon* Image);
    // Image Index at (X, Y) in DrawingStyle and ImageType; disabled: its shape engraved in the button
    // highlight and shadow colours. Nothing for an index outside the list.
    void Draw(Graphics::TCanvas* Canvas, int X, int Y, int Index, bool Enabled = true);

    void RegisterChanges(TChangeLink* Value);
    void UnRegisterChanges(TChangeLink* Value);
    // Changes between BeginUpdate and the last EndUpdate are told once, at the end.
    void BeginUpdate();
    void EndUpdate();

    int GetWidth() const { return FWidth; }
    // Changing the size empties the list; a size below 1 raises EInvalidOperation.
    void SetWidth(int Value);
    int GetHeight() const { return FHeight; }
    void SetHeight(int Value);
    int GetAllocBy() const { return FAllocBy; }
    void SetAllocBy(int Value) { FAllocBy = Value; }
    TColor GetBkColor() const { return FBkColor; }
    void SetBkColor(TColor Value);
    TColor GetBlendColor() const { return FBlendColor; }
    void SetBlendColor(TColor Value);
    TDrawingStyle GetDrawingStyle() const { return FDrawingStyle; }
    void SetDrawingStyle(TDrawingStyle Value);
    TImageType GetImageType() const { return FImageType; }
    void SetImageType(TImageType Value);
    bool GetMasked() const { return FMasked; }
    // Keeps the images (a list that becomes masked gives them opaque masks).
    void SetMasked(bool Value);
    bool GetShareImages() const { return FShareImages; }
    void SetShareImages(bool Value) { FShareImages = Value; }

    TNotifyEvent OnChange;

protected:
    virtual void Change();
    // Bitmap: the images in the common controls' own stream format (ImageList_Write), starting with "IL".
    void DefineProperties(Classes::TFiler& Filer) override;

private:
    HIMAGELIST Create(bool Masked) const;
    void FreeHandle();
    void CheckIndex(int Index) const;
    void DrawDisabled(HDC DC, int X, int Y, int Index);
    void ReadData(Classes::TStream& Stream);
    void WriteData(Classes::TStream& Stream);

    HIMAGELIST FHandle = nullptr;
    int FWidth = 16, FHeight = 16, FAllocBy = 4;
    TColor FBkColor = Graphics::clNone, FBlendColor = Graphics::clNone;
    TDrawingStyle FDrawingStyle = dsNormal;
    TImageType FImageType = itImage;
    bool FMasked = true, FShareImages = false;
    int FUpdateCount = 0;
    bool FChanged = false;
    std::vector<TChangeLink*> FClients;
};

// The image list of forms, publishing its properties.
class TImageList : public TCustomImageList {
    DECLARE_CLASS(TImageList, TCustomImageList)
public:
    using TCustomImageList::TCustomImageList;
};

} // namespace ImgList
