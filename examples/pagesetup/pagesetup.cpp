// pagesetup: shows the page setup dialog of a TPageDialog and prints what came back.
//
//   pagesetup.exe [--inches] [--options LIST] [--margins TOP,LEFT,BOTTOM,RIGHT] [--ok | --cancel]
//                 [--shot FILE.png]
//
// --inches switches the component to inches (its margins converted); --options sets PageOptions (names
// separated by commas: poMargins,poDisablePaper); --margins sets the four margins in the component's unit;
// --ok and --cancel press that button of the dialog as soon as it shows, after --shot has saved a picture of
// it. Afterwards one line each: result=, MarginTop=, MarginLeft=, MarginBottom=, MarginRight= (shortest
// exact decimal), MeasureUnits=, PageOptions=[...] and Printer= (the framework printer's current printer).
// Wrong arguments: a message and exit code 2; a failure (also a picture that could not be taken, after
// the lines): a message and exit code 1.
#include "examples/common/WindowShot.h"
#include "framework/vcl/Forms.h"
#include "framework/vcl/Printers.h"
#include "pagedialog/PageDialog.h"
#include "tools/common/DumpFormat.h"

#include <dlgs.h>
#include <fcntl.h>
#include <io.h>

#include <charconv>
#include <cmath>
#include <cstdio>
#include <memory>
#include <vector>

namespace {

using SysUtils::String;

const char* const Usage =
    "usage: pagesetup.exe [--inches] [--options LIST] [--margins TOP,LEFT,BOTTOM,RIGHT] [--ok | --cancel]\n"
    "                     [--shot FILE.png]\n";

VCL_EXCEPTION_CLASS(EUsage, SysUtils::Exception);

struct TArguments {
    bool Inches = false;
    bool HasOptions = false;
    String Options;
    bool HasMargins = false;
    double Margins[4] = {}; // top, left, bottom, right
    int Press = 0;          // IDOK, IDCANCEL or 0 (the person closes the dialog)
    String Shot;
};

double ParseNumber(const String& text) {
    double v = 0;
    auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), v);
    if (text.empty() || error != std::errc() || end != text.data() + text.size() || !std::isfinite(v))
        throw EUsage("--margins: '" + text + "' is not a number");
    return v;
}

TArguments ParseArguments() {
    TArguments a;
    for (int i = 1; i <= System::ParamCount(); ++i) {
        String arg = System::ParamStr(i);
        auto value = [&]() {
            if (i == System::ParamCount()) throw EUsage(arg + " needs a value");
            return System::ParamStr(++i);
        };
        if (arg == "--inches") {
            a.Inches = true;
        } else if (arg == "--options") {
            a.HasOptions = true;
            a.Options = value();
        } else if (arg == "--margins") {
            String list = value();
            std::vector<String> parts{String()};
            for (char c : list)
                if (c == ',')
                    parts.emplace_back();
                else
                    parts.back() += c;
            if (parts.size() != 4) throw EUsage("--margins takes four numbers: TOP,LEFT,BOTTOM,RIGHT");
            for (int k = 0; k < 4; ++k)
                a.Margins[k] = ParseNumber(parts[size_t(k)]);
            a.HasMargins = true;
        } else if (arg == "--ok" || arg == "--cancel") {
            int press = arg == "--ok" ? IDOK : IDCANCEL;
            if (a.Press != 0 && a.Press != press) throw EUsage("--ok and --cancel exclude each other");
            a.Press = press;
        } else if (arg == "--shot") {
            a.Shot = value();
        } else {
            throw EUsage("unknown argument: " + arg);
        }
    }
    return a;
}

// Acts on the dialogs this thread shows, from a thread timer that ticks inside their modal loops: the page
// setup dialog gets its picture taken (once painted) and its button pressed; any other box the system shows
// instead (no printer: "No default printer defined.") is answered with OK when a button is to be pressed.
class TDialogDriver {
public:
    TDialogDriver(int Press, String Shot) : FPress(Press), FShot(std::move(Shot)) {
        Current() = this;
        if (FPress != 0 || !FShot.empty()) FTimer = SetTimer(nullptr, 0, 100, &Tick);
    }
    TDialogDriver(const TDialogDriver&) = delete;
    TDialogDriver& operator=(const TDialogDriver&) = delete;
    ~TDialogDriver() {
        if (FTimer) KillTimer(nullptr, FTimer);
        Current() = nullptr;
    }
    // What went wrong with the picture: it failed, or the dialog never showed (no printer).
    String Error() const {
        if (!FError.empty() || FShot.empty() || FShotTaken) return FError;
        return "no picture saved: the page setup dialog did not show";
    }

private:
    static TDialogDriver*& Current() {
        static TDialogDriver* current = nullptr;
        return current;
    }
    static void CALLBACK Tick(HWND, UINT, UINT_PTR, DWORD) {
        TDialogDriver* self = Current();
        if (self == nullptr) return;
        // The dialog (or the system's box) is owned by the application window; without one, that comes back.
        HWND owner = Forms::Application->GetHandle(), dialog = GetLastActivePopup(owner);
        if (dialog == nullptr || dialog == owner || !IsWindowVisible(dialog) || !IsWindowEnabled(dialog))
            return;
        bool pageSetup = GetDlgItem(dialog, edt4) != nullptr; // its left margin's edit
        // One tick after the dialog first shows: it has painted by then.
        if (pageSetup && dialog != self->FSeen) {
            self->FSeen = dialog;
            return;
        }
        if (pageSetup && !self->FShot.empty() && !self->FShotTaken) {
            self->FShotTaken = true;
            try {
                Examples::SaveScreenShot(dialog, self->FShot);
            } catch (const std::exception& e) {
                self->FError = e.what();
            }
        }
        if (self->FPress == 0) return;
        int button = pageSetup ? self->FPress : IDOK;
        PostMessageW(dialog, WM_COMMAND, MAKEWPARAM(button, BN_CLICKED), LPARAM(GetDlgItem(dialog, button)));
    }

    int FPress;
    String FShot;
    bool FShotTaken = false;
    HWND FSeen = nullptr;
    String FError;
    UINT_PTR FTimer = 0;
};

void Print(const String& line) {
    String s = line + "\n";
    std::fwrite(s.data(), 1, s.size(), stdout);
}

int Run() {
    TArguments args = ParseArguments();
    Forms::Application->Initialize();
    auto dialog = std::make_unique<PageDialog::TPageDialog>(nullptr);
    if (args.Inches) dialog->SetMeasureUnits(PageDialog::muInches);
    if (args.HasOptions) {
        try {
            TypInfo::SetSetProp(dialog.get(), "PageOptions", args.Options);
        } catch (const TypInfo::EPropertyError& e) {
            throw EUsage("--options: " + e.Message());
        }
    }
    if (args.HasMargins) {
        dialog->SetMarginTop(args.Margins[0]);
        dialog->SetMarginLeft(args.Margins[1]);
        dialog->SetMarginBottom(args.Margins[2]);
        dialog->SetMarginRight(args.Margins[3]);
    }
    TDialogDriver driver(args.Press, args.Shot);
    bool result = dialog->Execute();
    String device, driverName, port;
    HGLOBAL mode;
    Printers::Printer()->GetPrinter(device, driverName, port, mode);
    Print(String("result=") + (result ? "true" : "false"));
    Print("MarginTop=" + DumpFormat::Shortest(dialog->GetMarginTop()));
    Print("MarginLeft=" + DumpFormat::Shortest(dialog->GetMarginLeft()));
    Print("MarginBottom=" + DumpFormat::Shortest(dialog->GetMarginBottom()));
    Print("MarginRight=" + DumpFormat::Shortest(dialog->GetMarginRight()));
    Print("MeasureUnits=" + TypInfo::GetEnumProp(dialog.get(), "MeasureUnits"));
    Print("PageOptions=" + TypInfo::GetSetProp(dialog.get(), "PageOptions", true));
    Print("Printer=" + device);
    std::fflush(stdout);
    if (!driver.Error().empty()) throw SysUtils::Exception(driver.Error());
    return 0;
}

} // namespace

int main() {
    _setmode(_fileno(stdout), _O_BINARY);
    _setmode(_fileno(stderr), _O_BINARY);
    auto fail = [](const String& message, int code) {
        String s = "pagesetup: " + message + "\n";
        std::fwrite(s.data(), 1, s.size(), stderr);
        return code;
    };
    try {
        return Run();
    } catch (const EUsage& e) {
        return fail(e.Message() + "\n" + Usage, 2);
    } catch (const std::exception& e) {
        return fail(e.what(), 1);
    }
}
