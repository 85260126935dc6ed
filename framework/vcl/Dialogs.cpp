// Dialogs: the common dialogs over comdlg32, and MessageDlg over the system's message box.
//
// Invariants:
//   1. A dialog's properties change only after OK: Cancel, and a dialog that could not be shown, leave
//      every property as it was.
//   2. Whatever Execute disabled is enabled again when it returns or raises, and the window that was
//      active is active again.
#include "framework/vcl/Dialogs.h"

#include "framework/core/ClassesRegistry.h"
#include "framework/vcl/Forms.h"

#include <commdlg.h>

#include <algorithm>
#include <iterator>
#include <vector>

namespace Dialogs {

using namespace TypInfo;

namespace {

std::u16string W(const String& s) {
    return SysUtils::Utf8ToUtf16(s);
}
const wchar_t* WideOrNull(const std::u16string& s) {
    return s.empty() ? nullptr : reinterpret_cast<const wchar_t*>(s.c_str());
}

} // namespace

// ==== TCommonDialog ========================================================================================

HWND TCommonDialog::OwnerWindow() {
    if (Forms::Screen != nullptr)
        if (Forms::TCustomForm* form = Forms::Screen->GetActiveForm()) return form->GetHandle();
    return Forms::Application->GetHandle();
}

bool TCommonDialog::TaskModalDialog(const std::function<BOOL()>& Dialog) {
    FOnShow(this);
    bool result;
    {
        Forms::TTaskModal modal; // invariant 2
        result = Dialog() != FALSE;
    }
    FOnClose(this);
    if (!result)
        if (DWORD error = CommDlgExtendedError())
            throw Classes::EInvalidOperation("Cannot show the dialog (common dialog error " +
                                             SysUtils::IntToHex(error, 4) + ")");
    return result;
}

PUBLISHED(TCommonDialog, "Dialogs",
          Prop<&TCommonDialog::GetHelpContext, &TCommonDialog::SetHelpContext>("HelpContext").Default(0),
          Prop<&TCommonDialog::GetOnClose, &TCommonDialog::SetOnClose>("OnClose"),
          Prop<&TCommonDialog::GetOnShow, &TCommonDialog::SetOnShow>("OnShow"));

// ==== TColorDialog =========================================================================================

TColorDialog::TColorDialog(TComponent* AOwner)
    : TCommonDialog(AOwner), FCustomColors(std::make_unique<Controls::TPersistentStrings>()) {}

TColorDialog::~TColorDialog() = default;

void TColorDialog::SetCustomColors(const Classes::TStrings* Value) {
    FCustomColors->Clear();
    if (Value != nullptr) FCustomColors->AddStrings(*Value);
}

DWORD TColorDialog::OptionFlags(TColorDialogOptions Options) {
    static constexpr DWORD flags[] = {CC_FULLOPEN, CC_PREVENTFULLOPEN, CC_SHOWHELP, CC_SOLIDCOLOR,
                                      CC_ANYCOLOR};
    DWORD result = 0;
    for (size_t i = 0; i < std::size(flags); ++i)
        if (Options.Contains(TColorDialogOption(i))) result |= flags[i];
    return result;
}

void TColorDialog::CustomColorsToRGB(const Classes::TStrings& Lines, COLORREF (&Colors)[16]) {
    for (int i = 0; i < 16; ++i) {
        String value = SysUtils::Trim(Lines.GetValue(String("Color") + char('A' + i)));
        Colors[i] = RGB(255, 255, 255);
        if (value.empty()) continue;
        bool hex = value.size() <= 6 && std::all_of(value.begin(), value.end(), [](char c) {
                       return (c >= '0' && c <= '9') || (c >= 'a' && c <= 'f') || (c >= 'A' && c <= 'F');
                   });
        if (!hex) throw SysUtils::EConvertError("'" + value + "' is not a valid custom colour");
        auto rgb = uint32_t(std::stoul(value, nullptr, 16));
        Colors[i] = RGB((rgb >> 16) & 0xFF, (rgb >> 8) & 0xFF, rgb & 0xFF);
    }
}

void TColorDialog::RGBToCustomColors(const COLORREF (&Colors)[16], Classes::TStrings& Lines) {
    Lines.BeginUpdate();
    Lines.Clear();
    for (int i = 0; i < 16; ++i) {
        uint32_t rgb = (GetRValue(Colors[i]) << 16) | (GetGValue(Colors[i]) << 8) | GetBValue(Colors[i]);
        Lines.Add(String("Color") + char('A' + i) + "=" + SysUtils::IntToHex(rgb, 6));
    }
    Lines.EndUpdate();
}

bool TColorDialog::Execute() {
    COLORREF custom[16];
    CustomColorsToRGB(*FCustomColors, custom);
    CHOOSECOLORW cc{};
    cc.lStructSize = sizeof(cc);
    cc.hwndOwner = OwnerWindow();
    cc.rgbResult = COLORREF(Graphics::ColorToRGB(FColor));
    cc.lpCustColors = custom;
    cc.Flags = CC_RGBINIT | OptionFlags(FOptions);
    if (!TaskModalDialog([&] { return ChooseColorW(&cc); })) return false;
    // Invariant 1.
    FColor = TColor(cc.rgbResult & 0xFFFFFF);
    RGBToCustomColors(custom, *FCustomColors);
    return true;
}

PUBLISHED(TColorDialog, "Dialogs",
          Prop<&TColorDialog::FColor>("Color").Type(&Graphics::TColor_TypeInfo).Default(Graphics::clBlack),
          Prop<&TColorDialog::FCustomColors>("CustomColors"),
          Prop<&TColorDialog::FOptions>("Options").Default(TColorDialogOptions{}));

// ==== TOpenDialog and TSaveDialog ==========================================================================

DWORD TOpenDialog::OptionFlags(TOpenOptions Options) {
    static constexpr DWORD flags[] = {OFN_READONLY,           OFN_OVERWRITEPROMPT,  OFN_HIDEREADONLY,
                                      OFN_NOCHANGEDIR,        OFN_SHOWHELP,         OFN_NOVALIDATE,
                                      OFN_EXTENSIONDIFFERENT, OFN_PATHMUSTEXIST,    OFN_FILEMUSTEXIST,
                                      OFN_CREATEPROMPT,       OFN_NOREADONLYRETURN, OFN_NOTESTFILECREATE};
    static_assert(std::size(flags) == TOpenOption_Names.size());
    DWORD result = OFN_EXPLORER | OFN_ENABLESIZING;
    for (size_t i = 0; i < std::size(flags); ++i)
        if (Options.Contains(TOpenOption(i))) result |= flags[i];
    return result;
}

std::u16string TOpenDialog::SystemFilter(const String& Filter) {
    if (Filter.empty()) return {};
    std::vector<String> parts;
    size_t start = 0;
    while (true) {
        size_t bar = Filter.find('|', start);
        parts.push_back(Filter.substr(start, bar - start));
        if (bar == String::npos) break;
        start = bar + 1;
    }
    if (parts.size() % 2 != 0) parts.push_back("*.*");
    std::u16string out;
    for (const String& part : parts) {
        out += W(part);
        out += u'\0';
    }
    out += u'\0';
    return out;
}

bool TOpenDialog::DoExecute(BOOL(WINAPI* Function)(LPOPENFILENAMEW)) {
    // Room for the longest path the system takes.
    std::u16string name = W(FFileName);
    if (name.size() >= 32767) throw SysUtils::EConvertError("The file name is too long: " + FFileName);
    std::vector<char16_t> buffer(32768, u'\0');
    std::copy(name.begin(), name.end(), buffer.begin());
    std::u16string filter = SystemFilter(FFilter), title = W(FTitle), dir = W(FInitialDir),
                   ext = W(FDefaultExt);
    OPENFILENAMEW ofn{};
    ofn.lStructSize = sizeof(ofn);
    ofn.hwndOwner = OwnerWindow();
    ofn.lpstrFilter = WideOrNull(filter);
    ofn.nFilterIndex = DWORD(std::max(FFilterIndex, 0));
    ofn.lpstrFile = reinterpret_cast<wchar_t*>(buffer.data());
    ofn.nMaxFile = DWORD(buffer.size());
    ofn.lpstrInitialDir = WideOrNull(dir);
    ofn.lpstrTitle = WideOrNull(title);
    ofn.lpstrDefExt = WideOrNull(ext);
    ofn.Flags = OptionFlags(FOptions);
    if (!TaskModalDialog([&] { return Function(&ofn); })) return false;
    // Invariant 1.
    FFileName = SysUtils::Utf16ToUtf8(buffer.data());
    FFilterIndex = int(ofn.nFilterIndex);
    if (ofn.Flags & OFN_READONLY)
        FOptions.Include(ofReadOnly);
    else
        FOptions.Exclude(ofReadOnly);
    // Not every system reports a different extension itself: it is compared here as well.
    String chosenExt = SysUtils::ExtractFileExt(FFileName);
    bool different = !FDefaultExt.empty() && SysUtils::AnsiCompareText(chosenExt, "." + FDefaultExt) != 0;
    if ((ofn.Flags & OFN_EXTENSIONDIFFERENT) || different)
        FOptions.Include(ofExtensionDifferent);
    else
        FOptions.Exclude(ofExtensionDifferent);
    return true;
}

bool TOpenDialog::Execute() {
    return DoExecute(&GetOpenFileNameW);
}

bool TSaveDialog::Execute() {
    return DoExecute(&GetSaveFileNameW);
}

PUBLISHED(TOpenDialog, "Dialogs", Prop<&TOpenDialog::FDefaultExt>("DefaultExt"),
          Prop<&TOpenDialog::FFileName>("FileName"), Prop<&TOpenDialog::FFilter>("Filter"),
          Prop<&TOpenDialog::FFilterIndex>("FilterIndex").Default(1),
          Prop<&TOpenDialog::FInitialDir>("InitialDir"),
          Prop<&TOpenDialog::FOptions>("Options").Default(TOpenOptions{ofHideReadOnly}),
          Prop<&TOpenDialog::FTitle>("Title"));
PUBLISHED(TSaveDialog, "Dialogs");

// ==== MessageDlg ===========================================================================================

UINT MessageDlgFlags(TMsgDlgType DlgType, TMsgDlgButtons Buttons) {
    static constexpr UINT icons[] = {MB_ICONWARNING, MB_ICONERROR, MB_ICONINFORMATION, MB_ICONQUESTION, 0};
    struct TButtonSet {
        TMsgDlgButtons Buttons;
        UINT Flags;
    };
    static constexpr TButtonSet sets[] = {{{mbOK}, MB_OK},
                                          {{mbOK, mbCancel}, MB_OKCANCEL},
                                          {{mbYes, mbNo}, MB_YESNO},
                                          {{mbYes, mbNo, mbCancel}, MB_YESNOCANCEL},
                                          {{mbRetry, mbCancel}, MB_RETRYCANCEL},
                                          {{mbAbort, mbRetry, mbIgnore}, MB_ABORTRETRYIGNORE}};
    TMsgDlgButtons plain = Buttons - TMsgDlgButtons{mbHelp};
    for (const TButtonSet& set : sets)
        if (set.Buttons.ToInt() == plain.ToInt())
            return set.Flags | icons[DlgType] | (Buttons.Contains(mbHelp) ? MB_HELP : 0);
    throw Classes::EInvalidOperation("No message box has these buttons");
}

int MessageDlg(const String& Msg, TMsgDlgType DlgType, TMsgDlgButtons Buttons, int32_t HelpCtx) {
    std::u16string text = W(Msg), caption = W(Forms::Application->GetTitle());
    MSGBOXPARAMSW params{};
    params.cbSize = sizeof(params);
    // Owned by the window the user works in, as the application's message boxes are.
    params.hwndOwner = GetActiveWindow();
    if (params.hwndOwner == nullptr) params.hwndOwner = Forms::Application->GetHandle();
    params.hInstance = nullptr;
    params.lpszText = reinterpret_cast<LPCWSTR>(text.c_str());
    params.lpszCaption = reinterpret_cast<LPCWSTR>(caption.c_str());
    params.dwStyle = MessageDlgFlags(DlgType, Buttons);
    params.dwContextHelpId = DWORD_PTR(HelpCtx);
    params.lpfnMsgBoxCallback = [](LPHELPINFO Info) {
        Forms::Application->HelpContext(int(Info->dwContextId));
    };
    return MessageBoxIndirectW(&params);
}

namespace {
struct TDialogsUnit {
    TDialogsUnit() {
        Classes::RegisterClasses(
            {&TColorDialog::ClassInfo, &TOpenDialog::ClassInfo, &TSaveDialog::ClassInfo});
    }
} DialogsUnit;
} // namespace

} // namespace Dialogs
