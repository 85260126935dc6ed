// Forms: a dialog read from its text form (edits, a drop-down list, a group box with check boxes, a
// multiple-selection list box, labels with focus controls, default and cancel buttons) run modally under
// Wine and driven by posted keys: the focus in tab order, accelerators, Enter, Esc, the close box, OnExit
// refusing a value, and the windows disabled and given back.
#include "framework/core/ClassesReaderWriter.h"
#include "framework/core/ClassesText.h"
#include "framework/vcl/Buttons.h"
#include "tests/framework/vcl/VclTestSupport.h"

#include <memory>

using namespace VclTest;
using System::TObject;

namespace {

class TVclDialogForm : public Forms::TForm {
    DECLARE_CLASS(TVclDialogForm, Forms::TForm)
public:
    using TForm::TForm;
    StdCtrls::TLabel *lbCaption = nullptr, *lbSize = nullptr, *lbSpace = nullptr;
    StdCtrls::TEdit *edtCaption = nullptr, *edtSize = nullptr, *edtSpace = nullptr;
    StdCtrls::TComboBox* cmbAlign = nullptr;
    StdCtrls::TGroupBox* gbOptions = nullptr;
    StdCtrls::TCheckBox *cbOpt1 = nullptr, *cbOpt2 = nullptr;
    StdCtrls::TListBox* lbFiles = nullptr;
    StdCtrls::TButton *OKBtn = nullptr, *CancelBtn = nullptr;
    String FOldSize;
    std::vector<String>* Log = nullptr;

    void L(const String& s) {
        if (Log) Log->push_back(s);
    }
    // The handler uses a member of this class, so the class fires OnDestroy while it is whole.
    std::unique_ptr<String> FWorking = std::make_unique<String>("working copy");
    ~TVclDialogForm() override { DoDestroy(); }
    void FormActivate(TObject*) { L("activate"); }
    void FormDestroy(TObject*) {
        L("destroy " + *FWorking);
        FWorking.reset();
    }
    void edtSizeEnter(TObject*) { FOldSize = edtSize->GetText(); }
    void edtSizeExit(TObject*) {
        String text = edtSize->GetText();
        for (char c : text)
            if (c < '0' || c > '9') {
                edtSize->SetText(FOldSize);
                edtSize->SetFocus();
                SetModalResult(Forms::mrNone);
                throw SysUtils::EConvertError("'" + text + "' is not a valid integer value");
            }
    }
    void OKBtnClick(TObject*) {
        L("ok " + SysUtils::IntToStr(GetModalResult()));
        edtSizeExit(this);
    }
};

PUBLISHED(TVclDialogForm, "FormsModalTest", PUBLISHED_FIELD(TVclDialogForm, lbCaption),
          PUBLISHED_FIELD(TVclDialogForm, lbSize), PUBLISHED_FIELD(TVclDialogForm, lbSpace),
          PUBLISHED_FIELD(TVclDialogForm, edtCaption), PUBLISHED_FIELD(TVclDialogForm, edtSize),
          PUBLISHED_FIELD(TVclDialogForm, edtSpace), PUBLISHED_FIELD(TVclDialogForm, cmbAlign),
          PUBLISHED_FIELD(TVclDialogForm, gbOptions), PUBLISHED_FIELD(TVclDialogForm, cbOpt1),
          PUBLISHED_FIELD(TVclDialogForm, cbOpt2), PUBLISHED_FIELD(TVclDialogForm, lbFiles),
          PUBLISHED_FIELD(TVclDialogForm, OKBtn), PUBLISHED_FIELD(TVclDialogForm, CancelBtn),
          PUBLISHED_METHOD(TVclDialogForm, FormActivate), PUBLISHED_METHOD(TVclDialogForm, FormDestroy),
          PUBLISHED_METHOD(TVclDialogForm, edtSizeEnter), PUBLISHED_METHOD(TVclDialogForm, edtSizeExit),
          PUBLISHED_METHOD(TVclDialogForm, OKBtnClick));

BOOL CALLBACK FindBox(HWND h, LPARAM lp) {
    wchar_t cls[16] = {};
    GetClassNameW(h, cls, 16);
    if (IsWindowVisible(h) && wcscmp(cls, L"#32770") == 0) {
        *reinterpret_cast<bool*>(lp) = true;
        return FALSE;
    }
    return TRUE;
}

// Runs its steps one per tick of a thread timer, from whatever loop dispatches them (ShowModal's), never
// while a message box is up.
class TScript {
public:
    explicit TScript(std::vector<std::function<void()>> Steps) : FSteps(std::move(Steps)) {
        Current() = this;
        FTimer = SetTimer(nullptr, 0, 40, &Tick);
    }
    ~TScript() {
        KillTimer(nullptr, FTimer);
        Current() = nullptr;
    }
    size_t Done() const { return FNext; }

private:
    static TScript*& Current() {
        static TScript* current = nullptr;
        return current;
    }
    static void CALLBACK Tick(HWND, UINT, UINT_PTR, DWORD) {
        TScript* self = Current();
        bool box = false;
        EnumThreadWindows(GetCurrentThreadId(), FindBox, reinterpret_cast<LPARAM>(&box));
        if (self == nullptr || box || self->FNext >= self->FSteps.size()) return;
        std::function<void()> step = self->FSteps[self->FNext++];
        try {
            step();
        } catch (...) {
            ADD_FAILURE() << "step " << self->FNext << " raised";
        }
    }
    std::vector<std::function<void()>> FSteps;
    size_t FNext = 0;
    UINT_PTR FTimer;
};

// A key pressed on the window with the focus (posted: it goes through the loop's TranslateMessage).
void Key(WORD vk, bool shift = false) {
    BYTE state[256];
    GetKeyboardState(state);
    state[VK_SHIFT] = shift ? 0x80 : 0;
    SetKeyboardState(state);
    HWND f = GetFocus();
    PostMessageW(f, WM_KEYDOWN, vk, 1);
    PostMessageW(f, WM_KEYUP, vk, LPARAM(1 | (1u << 30) | (1u << 31)));
}

void AltChar(wchar_t c) {
    PostMessageW(GetFocus(), WM_SYSCHAR, c, LPARAM(1 | (1 << 29)));
}

} // namespace

TEST(FormsModal, ADialogFromItsFormRunsModallyDrivenByKeys) {
    std::vector<String> log;
    std::unique_ptr<TVclDialogForm> d(Forms::TCustomForm::Create<TVclDialogForm>(nullptr));
    d->Log = &log;
    // 1. What the text form gave.
    EXPECT_EQ(d->GetBorderStyle(), Forms::bsDialog);
    EXPECT_EQ(d->GetActiveControl(), d->edtSize);
    EXPECT_EQ(d->lbSize->GetFocusControl(), d->edtSize);
    EXPECT_EQ(d->cmbAlign->GetItems()->GetCommaText(), "alDown,alUp,alCenter");
    EXPECT_EQ(d->cmbAlign->GetStyle(), StdCtrls::csDropDownList);
    EXPECT_EQ(d->cmbAlign->GetItemHeight(), 13);
    EXPECT_EQ(d->lbFiles->GetItems()->Get(0), "один");
    EXPECT_TRUE(d->lbFiles->GetMultiSelect());
    EXPECT_EQ(d->cbOpt1->GetParent(), d->gbOptions);
    EXPECT_TRUE(d->cbOpt2->GetChecked());
    EXPECT_EQ(d->gbOptions->GetColor(), Graphics::clBtnFace);
    EXPECT_TRUE(d->OKBtn->GetDefault());
    EXPECT_TRUE(d->CancelBtn->GetCancel());
    EXPECT_EQ(d->OKBtn->GetModalResult(), Forms::mrOk);
    EXPECT_EQ(d->edtCaption->GetText(), "Меню");
    EXPECT_EQ(d->edtSpace->GetTabOrder(), 2);
    EXPECT_EQ(d->cbOpt2->GetTabOrder(), 1);

    // Written back: the new controls' properties in the text form, and read again into another dialog.
    {
        auto* speed = new Buttons::TSpeedButton(d.get());
        speed->SetName("sbOpen");
        speed->SetParent(d.get());
        speed->GetGlyph()->SetSize(32, 16);
        speed->SetNumGlyphs(2);
        speed->SetGroupIndex(3);
        speed->SetDown(true);
        auto* image = new ExtCtrls::TImage(d.get());
        image->SetName("imgLogo");
        image->SetParent(d.get());
        image->SetAutoSize(true);
        image->SetCenter(true);
        d->lbFiles->GetItems()->Add("три");
        Classes::TMemoryStream binary, text;
        Classes::WriteComponentToStream(binary, d.get());
        binary.SetPosition(0);
        Classes::ObjectBinaryToText(binary, text);
        String form(reinterpret_cast<const char*>(text.Memory()), size_t(text.GetSize()));
        for (const char* wanted :
             {"ActiveControl = edtSize", "FocusControl = edtSize", "Items.Strings = (", "'alCenter'",
              "Style = csDropDownList", "Default = True", "Cancel = True", "ModalResult = 2",
              "OnExit = edtSizeExit", "OnClick = OKBtnClick", "MultiSelect = True", "State = cbChecked",
              "NumGlyphs = 2", "GroupIndex = 3", "Down = True", "Glyph.Data = {", "AutoSize = True",
              "Center = True", "OnActivate = FormActivate"})
            EXPECT_NE(form.find(wanted), String::npos) << wanted;
        std::unique_ptr<TVclDialogForm> copy(new TVclDialogForm(nullptr));
        binary.SetPosition(0);
        Classes::ReadComponentFromStream(binary, copy.get());
        EXPECT_EQ(copy->lbFiles->GetItems()->GetCount(), 3);
        EXPECT_EQ(copy->lbFiles->GetItems()->Get(2), "три");
        EXPECT_EQ(copy->cmbAlign->GetItems()->Get(1), "alUp");
        EXPECT_EQ(copy->lbSpace->GetFocusControl(), copy->edtSpace);
        EXPECT_EQ(copy->GetActiveControl(), copy->edtSize);
        EXPECT_TRUE(copy->CancelBtn->GetCancel());
        auto* speedCopy = dynamic_cast<Buttons::TSpeedButton*>(copy->FindComponent("sbOpen"));
        ASSERT_NE(speedCopy, nullptr);
        EXPECT_EQ(speedCopy->GetGlyph()->GetWidth(), 32);
        EXPECT_TRUE(speedCopy->GetDown());
        delete speed;
        delete image;
        d->lbFiles->GetItems()->Delete(2);
    }

    // Another window of the application, disabled while the dialog runs.
    Forms::TForm other(nullptr);
    other.SetBounds(0, 0, 200, 100);
    other.Show();
    SetActiveWindow(other.GetHandle());
    auto focus = [](Controls::TWinControl* c) { return GetFocus() == c->GetHandle(); };

    // 2. The focus around the dialog, accelerators, then Enter on the default button.
    bool otherDisabled = false;
    std::vector<bool> at;
    {
        TScript script({
            [&] {
                otherDisabled = !IsWindowEnabled(other.GetHandle());
                at.push_back(focus(d->edtSize)); // ActiveControl has the focus
                Key(VK_TAB);
            },
            [&] {
                at.push_back(focus(d->edtSpace));
                Key(VK_TAB);
            },
            [&] {
                at.push_back(focus(d->cmbAlign));
                Key(VK_TAB); // into the group box
            },
            [&] {
                at.push_back(focus(d->cbOpt1));
                Key(VK_TAB, true); // back
            },
            [&] {
                at.push_back(focus(d->cmbAlign));
                AltChar(L'c'); // "&Caption"
            },
            [&] {
                at.push_back(focus(d->edtCaption));
                AltChar(L'1'); // "Opt&1": focused and ticked
            },
            [&] {
                at.push_back(focus(d->cbOpt1) && d->cbOpt1->GetChecked());
                PostMessageW(GetFocus(), WM_CHAR, L'p', 1); // a check box takes no characters: "S&pace"
            },
            [&] {
                at.push_back(focus(d->edtSpace));
                PostMessageW(GetFocus(), WM_CHAR, L'i',
                             1); // an edit takes it (in place of its text, selected)
            },
            [&] {
                at.push_back(focus(d->edtSpace) && d->edtSpace->GetText() == "i");
                d->edtSpace->SetText("3");
                d->OKBtn->SetDefault(false); // Enter without a default button: nothing closes
                Key(VK_RETURN);
            },
            [&] {
                at.push_back(d->GetModalResult() == Forms::mrNone && d->GetVisible());
                d->OKBtn->SetDefault(true);
                Key(VK_RETURN);
            },
        });
        EXPECT_EQ(d->ShowModal(), Forms::mrOk);
        EXPECT_EQ(script.Done(), 10u);
    }
    EXPECT_TRUE(otherDisabled);
    EXPECT_EQ(at, std::vector<bool>(10, true));
    EXPECT_FALSE(d->GetVisible());
    EXPECT_TRUE(IsWindowEnabled(other.GetHandle()));
    EXPECT_EQ(GetActiveWindow(), other.GetHandle());
    EXPECT_EQ(log, (std::vector<String>{"activate", "ok 1"}));
    log.clear();

    // 3. Esc clicks Cancel; the close box gives mrCancel; a focused button is the default one.
    struct TCase {
        std::function<void()> Do;
        int Result;
    };
    const TCase cases[] = {
        {[] { Key(VK_ESCAPE); }, Forms::mrCancel},
        {[&] { PostMessageW(d->GetHandle(), WM_CLOSE, 0, 0); }, Forms::mrCancel},
        {[&] {
             d->CancelBtn->SetFocus();
             Key(VK_RETURN);
         },
         Forms::mrCancel},
        {[&] {
             d->lbFiles->SetFocus();
             Key(VK_RETURN);
         },
         Forms::mrOk},
    };
    for (const TCase& c : cases) {
        TScript script({c.Do});
        EXPECT_EQ(d->ShowModal(), c.Result);
    }
    EXPECT_EQ(log, (std::vector<String>{"activate", "activate", "activate", "activate", "ok 1"}));
    log.clear();
    // OnCloseQuery may refuse (the run goes on), OnClose may keep the form (caNone) or free it later
    // (caFree).
    struct TCloser : TObject {
        int Refusals = 1;
        Forms::TCloseAction Action = Forms::caNone;
        void CloseQuery(TObject*, bool& CanClose) { CanClose = Refusals-- <= 0; }
        void Close(TObject*, Forms::TCloseAction& A) {
            A = Action;
            Action = Forms::caHide;
        }
    } closer;
    d->SetOnCloseQuery(Forms::TCloseQueryEvent::Bind<&TCloser::CloseQuery>(&closer));
    d->SetOnClose(Forms::TCloseEvent::Bind<&TCloser::Close>(&closer));
    {
        std::vector<bool> open;
        TScript script({[&] { Key(VK_ESCAPE); },
                        [&] {
                            open.push_back(d->GetVisible() && d->GetModalResult() == Forms::mrNone);
                            Key(VK_ESCAPE);
                        },
                        [&] {
                            open.push_back(d->GetVisible() && d->GetModalResult() == Forms::mrNone);
                            Key(VK_ESCAPE);
                        }});
        EXPECT_EQ(d->ShowModal(), Forms::mrCancel);
        EXPECT_EQ(open, (std::vector<bool>{true, true}));
    }
    d->SetOnCloseQuery(nullptr);
    d->SetOnClose(nullptr);
    EXPECT_EQ(log, std::vector<String>{"activate"});
    log.clear();

    // 4. OnExit refuses a value: the message, the old text back, the focus back, the dialog open; OK with
    // the bad text refuses it too.
    {
        TBoxDriver boxes;
        std::vector<bool> checks;
        TScript script({
            [&] {
                d->edtSize->SetFocus();
                d->edtSize->SetText("x");
                Key(VK_TAB);
            },
            [&] {
                checks.push_back(focus(d->edtSize) && d->edtSize->GetText() == "12" && d->GetVisible());
                d->edtSize->SetText("1y");
                Key(VK_RETURN); // OK: its OnClick checks again
            },
            [&] {
                checks.push_back(d->GetVisible() && d->edtSize->GetText() == "12");
                Key(VK_RETURN);
            },
        });
        EXPECT_EQ(d->ShowModal(), Forms::mrOk);
        EXPECT_EQ(checks, (std::vector<bool>{true, true}));
        ASSERT_EQ(boxes.Seen().size(), 2u);
        EXPECT_EQ(boxes.Seen()[0].Text, "'x' is not a valid integer value.");
        EXPECT_EQ(boxes.Seen()[1].Text, "'1y' is not a valid integer value.");
        EXPECT_TRUE(boxes.Seen()[0].StopIcon);
        // The message boxes, owned by the dialog, did not count as the dialog's deactivation.
        EXPECT_EQ(log, (std::vector<String>{"activate", "ok 1", "ok 1"}));
    }
    // A visible form cannot be made modal.
    other.Show();
    EXPECT_THROW(other.ShowModal(), Classes::EInvalidOperation);
    log.clear();
    d.reset();
    EXPECT_EQ(log, (std::vector<String>{"destroy working copy"})); // once: the base does not fire it again
}
