// Controls: the window-procedure bridge (MakeObjectInstance, FreeObjectInstance, AllocateHWnd,
// DeallocateHWnd).
//
// An object instance is a block in executable memory:
//
//   offset 0   48 B9 <8 bytes>    mov rcx, <the block itself>      (the HWND argument is replaced)
//   offset 10  48 B8 <8 bytes>    mov rax, <StdWndProc>
//   offset 20  FF E0              jmp rax                          (a tail jump: the caller's frame and
//                                                                    shadow space are StdWndProc's)
//   offset 24  padding to 32
//   offset 32  the TWndMethod (the closure called with the message)
//
// Invariants:
//   1. A block is either in use (its method assigned) or on the free list, never both.
//   2. Pages are never returned: a window may still call a freed instance's address after a careless unhook,
//      and then it finds a block with no method (its message goes to DefWindowProcW), not unmapped memory.
#include "framework/vcl/Controls.h"

#include "framework/vcl/Forms.h"

#include <cstring>
#include <new>

namespace Controls {

namespace {

struct TObjectInstance {
    uint8_t Code[32];
    TWndMethod Method;
    TObjectInstance* Next; // the free list (invariant 1)
};

constexpr size_t PageSize = 4096;
TObjectInstance* FreeList = nullptr;

LRESULT CALLBACK StdWndProc(HWND Self, UINT Msg, WPARAM WParam, LPARAM LParam) {
    auto* instance = reinterpret_cast<TObjectInstance*>(Self);
    TMessage message{Msg, WParam, LParam, 0};
    try {
        if (!instance->Method.Assigned()) return 0; // invariant 2: a freed instance
        instance->Method(message);
    } catch (...) {
        // A TWinControl catches in MainWndProc already; this is the last guard for other methods, so that no
        // exception unwinds through the system's frames.
        try {
            if (Forms::Application) Forms::Application->HandleException(nullptr);
        } catch (...) {
        }
    }
    return message.Result;
}

TObjectInstance* NewBlock() {
    if (FreeList == nullptr) {
        void* page = VirtualAlloc(nullptr, PageSize, MEM_COMMIT | MEM_RESERVE, PAGE_EXECUTE_READWRITE);
        if (page == nullptr) throw Classes::EOutOfResources("Cannot create a window procedure instance");
        auto* blocks = static_cast<TObjectInstance*>(page);
        for (size_t i = 0; i < PageSize / sizeof(TObjectInstance); ++i) {
            new (&blocks[i]) TObjectInstance{};
            blocks[i].Next = FreeList;
            FreeList = &blocks[i];
        }
    }
    TObjectInstance* block = FreeList;
    FreeList = block->Next;
    block->Next = nullptr;
    return block;
}

void WriteThunk(TObjectInstance* block) {
    uint8_t* c = block->Code;
    uint64_t self = reinterpret_cast<uint64_t>(block);
    uint64_t target = reinterpret_cast<uint64_t>(&StdWndProc);
    c[0] = 0x48;
    c[1] = 0xB9;
    std::memcpy(c + 2, &self, 8);
    c[10] = 0x48;
    c[11] = 0xB8;
    std::memcpy(c + 12, &target, 8);
    c[20] = 0xFF;
    c[21] = 0xE0;
    std::memset(c + 22, 0xCC, sizeof(block->Code) - 22);
    FlushInstructionCache(GetCurrentProcess(), c, sizeof(block->Code));
}

const wchar_t UtilWindowClass[] = L"TPUtilWindow";

} // namespace

HINSTANCE FrameworkInstance() {
    static HINSTANCE instance = [] {
        HMODULE m = nullptr;
        GetModuleHandleExW(GET_MODULE_HANDLE_EX_FLAG_FROM_ADDRESS |
                               GET_MODULE_HANDLE_EX_FLAG_UNCHANGED_REFCOUNT,
                           reinterpret_cast<LPCWSTR>(&FrameworkInstance), &m);
        return m;
    }();
    return instance;
}

WNDPROC MakeObjectInstance(const TWndMethod& Method) {
    static_assert(sizeof(void*) == 8, "the thunk is x86-64 code");
    TObjectInstance* block = NewBlock();
    WriteThunk(block);
    block->Method = Method;
    return reinterpret_cast<WNDPROC>(reinterpret_cast<void*>(block->Code));
}

void FreeObjectInstance(WNDPROC ObjectInstance) {
    if (ObjectInstance == nullptr) return;
    auto* block = reinterpret_cast<TObjectInstance*>(reinterpret_cast<void*>(ObjectInstance));
    block->Method = TWndMethod(); // invariant 2: a late call finds no method
    block->Next = FreeList;
    FreeList = block;
}

void RegisterPlainWindowClass(const wchar_t* ClassName, HCURSOR Cursor, const char* What) {
    HINSTANCE instance = FrameworkInstance();
    WNDCLASSW existing{};
    if (GetClassInfoW(instance, ClassName, &existing)) return;
    WNDCLASSW wc{};
    wc.lpfnWndProc = DefWindowProcW;
    wc.hInstance = instance;
    wc.hCursor = Cursor;
    wc.lpszClassName = ClassName;
    WinHandles::Check(RegisterClassW(&wc), What);
}

HWND AllocateHWnd(const TWndMethod& Method) {
    HINSTANCE instance = FrameworkInstance();
    RegisterPlainWindowClass(UtilWindowClass, nullptr, "the utility window class");
    HWND wnd = WinHandles::Check(CreateWindowExW(WS_EX_TOOLWINDOW, UtilWindowClass, L"", WS_POPUP, 0, 0, 0, 0,
                                                 HWND_MESSAGE, nullptr, instance, nullptr),
                                 "a utility window");
    if (Method.Assigned())
        SetWindowLongPtrW(wnd, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(MakeObjectInstance(Method)));
    return wnd;
}

void DeallocateHWnd(HWND Wnd) {
    if (Wnd == nullptr) return;
    // The object is going: the window's last messages go to DefWindowProcW, not to it.
    auto instance = reinterpret_cast<WNDPROC>(
        SetWindowLongPtrW(Wnd, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(&DefWindowProcW)));
    DestroyWindow(Wnd);
    if (instance != nullptr && instance != &DefWindowProcW) FreeObjectInstance(instance);
}

} // namespace Controls
