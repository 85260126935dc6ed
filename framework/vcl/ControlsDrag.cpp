// Controls: dragging one control (or an object it gives) onto another with the mouse.
//
// Invariants:
//   1. At most one drag is under way in the process: Drag.Source is its control, Drag.Capture the windowed
//      control whose window holds the mouse capture (the source, or a graphic source's parent).
//   2. Drag.Target is the control under the mouse that was last asked DragOver, and no control once freed.
//   3. A drag ends once: DragDone clears the state before it tells anybody, so that a handler that raises,
//      or the capture released on the way, cannot end it again.
#include "framework/vcl/Controls.h"

#include "framework/vcl/Forms.h"

#include <windowsx.h>

#include <cstdlib>
#include <memory>

namespace Controls {

using namespace Messages;

namespace {

// How far the mouse moves with the button down before a drag that did not start at once starts.
constexpr int DragThreshold = 5;

struct TDragSession {
    TControl* Source = nullptr;
    TWinControl* Capture = nullptr;
    TDragObject* Object = nullptr;
    std::unique_ptr<TDragControlObject> OwnObject; // when OnStartDrag gave no object of its own
    TControl* Target = nullptr;
    bool Accepted = false;
    bool Started = false; // past the threshold
    POINT Start{};
    POINT Last{};
};
TDragSession Drag;

// What the targets are handed as Source: the dragged control, or the object OnStartDrag gave.
TObject* SourceObject() {
    return Drag.OwnObject ? static_cast<TObject*>(Drag.Source) : static_cast<TObject*>(Drag.Object);
}

POINT ToClient(TControl* control, POINT screen) {
    // A graphic control's coordinates are its parent's, moved to its corner.
    POINT p = screen;
    TControl* window = control;
    while (window && !dynamic_cast<TWinControl*>(window))
        window = window->GetParent();
    if (window) ScreenToClient(static_cast<TWinControl*>(window)->GetHandle(), &p);
    if (window != control) {
        p.x -= control->GetLeft();
        p.y -= control->GetTop();
    }
    return p;
}

// The enabled control of this framework under the screen point: a window's, or one of its graphic children.
TControl* FindDragTarget(POINT screen) {
    HWND h = WindowFromPoint(screen);
    TWinControl* window = nullptr;
    while (h && (window = TWinControl::FindControl(h)) == nullptr)
        h = GetParent(h);
    if (window == nullptr || !window->GetEnabled()) return nullptr;
    POINT p = screen;
    ScreenToClient(window->GetHandle(), &p);
    for (int i = window->GetControlCount() - 1; i >= 0; --i) {
        TControl* c = window->GetControl(i);
        TRect r = c->GetBoundsRect();
        if (!dynamic_cast<TWinControl*>(c) && c->GetVisible() && c->GetEnabled() && PtInRect(&r, p)) return c;
    }
    return window;
}

void ShowDragCursor(bool accepted) {
    TCursor c = accepted ? crDrag : crNoDrop;
    ::SetCursor(Forms::Screen
                    ? Forms::Screen->GetCursors(c)
                    : LoadCursorW(nullptr, reinterpret_cast<LPCWSTR>(accepted ? IDC_ARROW : IDC_NO)));
}

} // namespace

// The drag's side of the controls: it asks them what they accept and tells them where the drag went.
class TDragManager {
public:
    static void Leave(TControl* c, TObject* source, POINT p) {
        bool ignored = false;
        c->DragOver(source, p.x, p.y, dsDragLeave, ignored);
    }

    static void DragTo(POINT screen) {
        TControl* target = FindDragTarget(screen);
        TDragState state = dsDragMove;
        if (target != Drag.Target) {
            // Invariant 2: the old target hears that the drag left it (where it last was over it) before the
            // new one is asked.
            if (TControl* old = Drag.Target) {
                Drag.Target = nullptr;
                Leave(old, SourceObject(), ToClient(old, Drag.Last));
            }
            Drag.Target = target;
            state = dsDragEnter;
        }
        Drag.Last = screen;
        Drag.Accepted = false;
        if (target) {
            POINT p = ToClient(target, screen);
            bool accept = false;
            target->DragOver(SourceObject(), p.x, p.y, state, accept);
            Drag.Accepted = accept && Drag.Target == target;
        }
        ShowDragCursor(Drag.Accepted);
    }
};

void TControl::BeginDrag(bool Immediate) {
    if (Drag.Source) Drag.Source->EndDrag(false);
    TControl* window = this;
    while (window && !dynamic_cast<TWinControl*>(window))
        window = window->GetParent();
    if (window == nullptr)
        throw Classes::EInvalidOperation("Control '" + GetName() + "' has no parent window");
    auto* capture = static_cast<TWinControl*>(window);
    HWND h = capture->GetHandle();
    // 1. What is dragged: the object OnStartDrag gives, or the control itself.
    TDragObject* object = nullptr;
    DoStartDrag(object);
    Drag.Source = this;
    Drag.Capture = capture;
    if (object == nullptr) {
        Drag.OwnObject = std::make_unique<TDragControlObject>(this);
        object = Drag.OwnObject.get();
    }
    Drag.Object = object;
    GetCursorPos(&Drag.Start);
    Drag.Last = Drag.Start;
    // 2. The mouse belongs to the drag until it ends.
    ::SetCapture(h);
    if (Immediate) {
        Drag.Started = true;
        TDragManager::DragTo(Drag.Start);
    }
}

bool TControl::Dragging() const {
    return Drag.Source == this;
}

void TControl::EndDrag(bool Drop) {
    if (!Dragging()) return;
    // Invariant 3: the state goes first.
    TControl* source = Drag.Source;
    TControl* target = Drag.Target;
    bool dropped = Drop && Drag.Started && target && Drag.Accepted;
    POINT at = Drag.Last;
    TObject* sourceObject = SourceObject();
    std::unique_ptr<TDragControlObject> own = std::move(Drag.OwnObject);
    HWND capture = Drag.Capture->GetHandle();
    Drag = TDragSession{};
    if (GetCapture() == capture) ReleaseCapture();
    POINT p = target ? ToClient(target, at) : POINT{0, 0};
    if (target && !dropped) TDragManager::Leave(target, sourceObject, p);
    if (dropped) target->DragDrop(sourceObject, p.x, p.y);
    source->DoEndDrag(dropped ? target : nullptr, dropped ? p.x : 0, dropped ? p.y : 0);
}

void TControl::DragDrop(TObject* Source, int X, int Y) {
    FOnDragDrop(this, Source, X, Y);
}

void TControl::DragOver(TObject* Source, int X, int Y, TDragState State, bool& Accept) {
    Accept = false;
    if (FOnDragOver) {
        Accept = true;
        FOnDragOver(this, Source, X, Y, State, Accept);
    }
}

void TControl::DoEndDrag(TObject* Target, int X, int Y) {
    FOnEndDrag(this, Target, X, Y);
}

void TControl::DoStartDrag(TDragObject*& DragObject) {
    FOnStartDrag(this, DragObject);
}

bool TControl::DragMessage(TMessage& Message) {
    if (Drag.Source == nullptr || Drag.Capture != this) return false;
    switch (Message.Msg) {
    case WM_MOUSEMOVE: {
        POINT p{GET_X_LPARAM(Message.LParam), GET_Y_LPARAM(Message.LParam)};
        ClientToScreen(Drag.Capture->GetHandle(), &p);
        if (!Drag.Started &&
            (std::abs(p.x - Drag.Start.x) >= DragThreshold || std::abs(p.y - Drag.Start.y) >= DragThreshold))
            Drag.Started = true;
        if (Drag.Started) TDragManager::DragTo(p);
        return true;
    }
    case WM_LBUTTONUP:
        if (!Drag.Started) {
            // The button went up before the drag started: a click after all.
            Drag.Source->EndDrag(false);
            return false;
        }
        Drag.Source->EndDrag(true);
        return true;
    case WM_RBUTTONDOWN:
        Drag.Source->EndDrag(false);
        return true;
    case WM_KEYDOWN:
        if (Message.WParam != VK_ESCAPE) return false;
        Drag.Source->EndDrag(false);
        return true;
    case WM_CAPTURECHANGED:
        // Someone else took the mouse: the drag cannot go on.
        if (reinterpret_cast<HWND>(Message.LParam) != Drag.Capture->GetHandle()) Drag.Source->EndDrag(false);
        return false;
    }
    return false;
}

void TControl::ForgetDrag(TControl* Control) {
    // Invariant 2: a freed control is neither source nor target any more; a freed source ends the drag
    // without telling it.
    if (Drag.Target == Control) Drag.Target = nullptr;
    if (Drag.Source == Control || Drag.Capture == Control) {
        HWND capture = Drag.Capture && Drag.Capture->HandleAllocated() ? Drag.Capture->GetHandle() : nullptr;
        Drag = TDragSession{};
        if (capture && GetCapture() == capture) ReleaseCapture();
    }
}

} // namespace Controls
