// Forms: multiple-document forms (a frame with the system's MDI client window, and its child forms), and
// the application's hint and help.
#include "framework/vcl/Forms.h"

namespace Forms {

namespace {

constexpr UINT kFirstChildId = 0xFF00; // the client numbers its children's window menu entries from here

} // namespace

void TCustomForm::CreateClientWindow() {
    if (FFormStyle != fsMDIForm || FClientHandle != nullptr) return;
    CLIENTCREATESTRUCT ccs{nullptr, kFirstChildId};
    RECT client;
    ::GetClientRect(GetHandle(), &client);
    FClientHandle = WinHandles::Check(
        CreateWindowExW(WS_EX_CLIENTEDGE, L"MDICLIENT", nullptr,
                        WS_CHILD | WS_CLIPCHILDREN | WS_VISIBLE | WS_VSCROLL | WS_HSCROLL, 0, 0, client.right,
                        client.bottom, GetHandle(), nullptr, Controls::FrameworkInstance(), &ccs),
        "the MDI client window");
}

void TCustomForm::CreateWindowHandle(const Controls::TCreateParams& Params) {
    if (FFormStyle != fsMDIChild) {
        inherited::CreateWindowHandle(Params);
        return;
    }
    // A child lives in the client window of the main form when that is a frame, else of the first frame.
    auto isFrame = [](TCustomForm* f) {
        return f != nullptr && f->GetFormStyle() == fsMDIForm && f->GetClientHandle() != nullptr;
    };
    TCustomForm* frame = Application != nullptr ? Application->GetMainForm() : nullptr;
    for (int i = 0; i < Screen->GetFormCount() && !isFrame(frame); ++i)
        frame = Screen->GetForm(i);
    if (!isFrame(frame))
        throw Classes::EInvalidOperation("Cannot create form. No MDI forms are currently active");
    std::u16string cls = SysUtils::Utf8ToUtf16(Params.WinClassName),
                   caption = SysUtils::Utf8ToUtf16(Params.Caption);
    DWORD style = (Params.Style & ~DWORD(WS_POPUP)) | WS_CLIPSIBLINGS | WS_CAPTION | WS_SYSMENU;
    CreateMDIWindowW(reinterpret_cast<LPCWSTR>(cls.c_str()), reinterpret_cast<LPCWSTR>(caption.c_str()),
                     style, Params.X, Params.Y, Params.Width, Params.Height, frame->GetClientHandle(),
                     Params.WindowClass.hInstance, LPARAM(Params.Param));
    // The window attached itself to this form on its first message.
}

void TCustomForm::DefaultHandler(Messages::TMessage& Message) {
    if (HandleAllocated() && Message.Msg < Messages::CM_BASE) {
        if (FClientHandle != nullptr) {
            Message.Result =
                DefFrameProcW(GetHandle(), FClientHandle, Message.Msg, Message.WParam, Message.LParam);
            if (Message.Msg == WM_NCDESTROY) FClientHandle = nullptr;
            return;
        }
        if (FFormStyle == fsMDIChild) {
            Message.Result = DefMDIChildProcW(GetHandle(), Message.Msg, Message.WParam, Message.LParam);
            return;
        }
    }
    inherited::DefaultHandler(Message);
}

int TCustomForm::GetMDIChildCount() const {
    int n = 0;
    for (int i = 0; i < Screen->GetFormCount(); ++i) {
        TCustomForm* f = Screen->GetForm(i);
        if (f->FFormStyle == fsMDIChild && f->HandleAllocated() && FClientHandle != nullptr &&
            ::GetParent(f->GetHandle()) == FClientHandle)
            ++n;
    }
    return n;
}

TCustomForm* TCustomForm::GetMDIChild(int Index) const {
    int n = 0;
    for (int i = 0; i < Screen->GetFormCount(); ++i) {
        TCustomForm* f = Screen->GetForm(i);
        if (f->FFormStyle == fsMDIChild && f->HandleAllocated() && FClientHandle != nullptr &&
            ::GetParent(f->GetHandle()) == FClientHandle && n++ == Index)
            return f;
    }
    throw Classes::EListError("List index out of bounds (" + SysUtils::IntToStr(Index) + ")");
}

TCustomForm* TCustomForm::GetActiveMDIChild() const {
    if (FClientHandle == nullptr) return nullptr;
    auto active = reinterpret_cast<HWND>(SendMessageW(FClientHandle, WM_MDIGETACTIVE, 0, 0));
    return active != nullptr ? dynamic_cast<TCustomForm*>(Controls::TWinControl::FindControl(active))
                             : nullptr;
}

void TApplication::SetHint(const String& Value) {
    if (FHint == Value) return;
    FHint = Value;
    FOnHint(this);
}

bool TApplication::HelpCommand(UINT Command, int Data) {
    bool callHelp = true;
    bool result = false;
    if (FOnHelp.Assigned()) result = FOnHelp(Command, Data, callHelp);
    if (!callHelp) return result;
    if (FHelpFile.empty()) return false;
    std::u16string file = SysUtils::Utf8ToUtf16(FHelpFile);
    return WinHelpW(GetHandle(), reinterpret_cast<LPCWSTR>(file.c_str()), Command, ULONG_PTR(Data)) != FALSE;
}

} // namespace Forms
