// Messages: the message record that window procedures of the framework receive, and the framework's own
// message numbers.
//
// Declares: TMessage (Msg, WParam, LParam, Result), TWndMethod (the closure type of an object's window
// procedure), the control messages CM_* (sent between controls, never by the system) and the notification
// messages CN_* (a parent reflects WM_COMMAND, WM_NOTIFY, WM_DRAWITEM... to the child control they concern).
//
//   void TMyControl::WndProc(Messages::TMessage& Message) {
//       switch (Message.Msg) {
//       case WM_TIMER: WMTimer(Message); return;       // one method per message
//       }
//       inherited::WndProc(Message);                   // the rest reaches the previous procedure
//   }
//   LRESULT r = control->Perform(CM_TEXTCHANGED, 0, 0); // a message straight to the control's WindowProc
#pragma once

#include "framework/core/SystemClosures.h"

#include <windows.h>

namespace Messages {

struct TMessage {
    UINT Msg = 0;
    WPARAM WParam = 0;
    LPARAM LParam = 0;
    LRESULT Result = 0;

    WORD WParamLo() const { return LOWORD(WParam); }
    WORD WParamHi() const { return HIWORD(WParam); }
    WORD LParamLo() const { return LOWORD(LParam); }
    WORD LParamHi() const { return HIWORD(LParam); }
};

// An object's window procedure: what MakeObjectInstance turns into a real WNDPROC.
using TWndMethod = System::TEvent<void(TMessage& Message)>;

// Control messages: the framework's own numbers, above the range any window class uses.
inline constexpr UINT CM_BASE = 0xB000;
inline constexpr UINT CM_ACTIVATE = CM_BASE + 0;
inline constexpr UINT CM_DEACTIVATE = CM_BASE + 1;
inline constexpr UINT CM_PARENTFONTCHANGED = CM_BASE + 8;
inline constexpr UINT CM_PARENTCOLORCHANGED = CM_BASE + 9;
inline constexpr UINT CM_VISIBLECHANGED = CM_BASE + 11;
inline constexpr UINT CM_ENABLEDCHANGED = CM_BASE + 12;
inline constexpr UINT CM_COLORCHANGED = CM_BASE + 13;
inline constexpr UINT CM_FONTCHANGED = CM_BASE + 14;
inline constexpr UINT CM_CURSORCHANGED = CM_BASE + 15;
inline constexpr UINT CM_CTL3DCHANGED = CM_BASE + 16;
inline constexpr UINT CM_PARENTCTL3DCHANGED = CM_BASE + 17;
inline constexpr UINT CM_TEXTCHANGED = CM_BASE + 18;
inline constexpr UINT CM_SHOWINGCHANGED = CM_BASE + 25;
inline constexpr UINT CM_ENTER = CM_BASE + 26; // the focus came into the control (itself or a child)
inline constexpr UINT CM_EXIT = CM_BASE + 27;  // the focus left it
inline constexpr UINT CM_ICONCHANGED = CM_BASE + 29;
inline constexpr UINT CM_RELEASE = CM_BASE + 33;
inline constexpr UINT CM_SHOWHINTCHANGED = CM_BASE + 34;
inline constexpr UINT CM_PARENTSHOWHINTCHANGED = CM_BASE + 35;
// To a parent: its child control (WParam) was inserted, removed, moved, resized, shown or hidden.
inline constexpr UINT CM_CONTROLCHANGE = CM_BASE + 36;
inline constexpr UINT CM_INVALIDATE = CM_BASE + 52;

// Notifications reflected by a parent to the child control they concern: CN_BASE + the system message.
inline constexpr UINT CN_BASE = 0xBC00;
inline constexpr UINT CN_COMMAND = CN_BASE + WM_COMMAND;
inline constexpr UINT CN_NOTIFY = CN_BASE + WM_NOTIFY;
inline constexpr UINT CN_DRAWITEM = CN_BASE + WM_DRAWITEM;
inline constexpr UINT CN_MEASUREITEM = CN_BASE + WM_MEASUREITEM;
inline constexpr UINT CN_HSCROLL = CN_BASE + WM_HSCROLL;
inline constexpr UINT CN_VSCROLL = CN_BASE + WM_VSCROLL;
inline constexpr UINT CN_CTLCOLORSTATIC = CN_BASE + WM_CTLCOLORSTATIC;

} // namespace Messages
