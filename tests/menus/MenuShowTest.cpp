// menushow.exe run as a person or a script would, on forms written by hand (forms/*.dfm): the pictures it
// saves hold the colours and sizes the forms ask for; errors end with a message and a failing exit code.
#include "tests/menus/MenusTestSupport.h"

#include <wincodec.h>

namespace {

using SysUtils::String;

struct TRun {
    DWORD ExitCode = 0;
    String Errors;
};

// Runs menushow.exe (beside this test program) with Arguments; standard error is read back.
TRun RunMenuShow(const std::wstring& Arguments) {
    wchar_t self[MAX_PATH];
    GetModuleFileNameW(nullptr, self, MAX_PATH);
    std::wstring exe = self;
    exe = exe.substr(0, exe.find_last_of(L"\\/") + 1) + L"menushow.exe";
    SECURITY_ATTRIBUTES sa{sizeof(sa), nullptr, TRUE};
    HANDLE readEnd, writeEnd;
    CreatePipe(&readEnd, &writeEnd, &sa, 0);
    SetHandleInformation(readEnd, HANDLE_FLAG_INHERIT, 0);
    STARTUPINFOW si{};
    si.cb = sizeof(si);
    si.dwFlags = STARTF_USESTDHANDLES;
    si.hStdError = writeEnd;
    si.hStdOutput = writeEnd;
    si.hStdInput = GetStdHandle(STD_INPUT_HANDLE);
    PROCESS_INFORMATION pi{};
    std::wstring line = L"\"" + exe + L"\" " + Arguments;
    TRun run;
    if (!CreateProcessW(nullptr, line.data(), nullptr, nullptr, TRUE, 0, nullptr, nullptr, &si, &pi)) {
        run.ExitCode = DWORD(-1);
        return run;
    }
    CloseHandle(writeEnd);
    char buffer[512];
    DWORD got;
    while (ReadFile(readEnd, buffer, sizeof(buffer), &got, nullptr) && got > 0)
        run.Errors.append(buffer, got);
    WaitForSingleObject(pi.hProcess, 60000);
    GetExitCodeProcess(pi.hProcess, &run.ExitCode);
    CloseHandle(pi.hProcess);
    CloseHandle(pi.hThread);
    CloseHandle(readEnd);
    return run;
}

// A PNG file read through the imaging codecs: 0x00RRGGBB pixels, top row first.
struct TImage {
    UINT Width = 0, Height = 0;
    std::vector<uint32_t> Pixels;
    COLORREF At(UINT x, UINT y) const {
        uint32_t p = Pixels[size_t(y) * Width + x];
        return RGB((p >> 16) & 0xFF, (p >> 8) & 0xFF, p & 0xFF);
    }
};
TImage LoadPng(const std::wstring& File) {
    TImage image;
    CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED);
    IWICImagingFactory* factory = nullptr;
    IWICBitmapDecoder* decoder = nullptr;
    IWICBitmapFrameDecode* frame = nullptr;
    IWICFormatConverter* converter = nullptr;
    if (SUCCEEDED(CoCreateInstance(CLSID_WICImagingFactory, nullptr, CLSCTX_INPROC_SERVER,
                                   IID_PPV_ARGS(&factory))) &&
        SUCCEEDED(factory->CreateDecoderFromFilename(File.c_str(), nullptr, GENERIC_READ,
                                                     WICDecodeMetadataCacheOnDemand, &decoder)) &&
        SUCCEEDED(decoder->GetFrame(0, &frame)) && SUCCEEDED(factory->CreateFormatConverter(&converter)) &&
        SUCCEEDED(converter->Initialize(frame, GUID_WICPixelFormat32bppBGRA, WICBitmapDitherTypeNone, nullptr,
                                        0, WICBitmapPaletteTypeCustom))) {
        converter->GetSize(&image.Width, &image.Height);
        image.Pixels.resize(size_t(image.Width) * image.Height);
        converter->CopyPixels(nullptr, image.Width * 4, UINT(image.Pixels.size() * 4),
                              reinterpret_cast<BYTE*>(image.Pixels.data()));
    }
    for (IUnknown* u : std::initializer_list<IUnknown*>{converter, frame, decoder, factory})
        if (u) u->Release();
    return image;
}

std::wstring FormFile(const char* Name) {
    std::string path = std::string(TEST_DATA_DIR) + "/../menus/forms/" + Name;
    std::wstring w(path.begin(), path.end());
    return L"\"Z:" + w + L"\"";
}

std::wstring Temp(const wchar_t* Name) {
    wchar_t dir[MAX_PATH];
    GetTempPathW(MAX_PATH, dir);
    return std::wstring(dir) + Name;
}

} // namespace

TEST(MenuShow, APopupOfAHandWrittenFormIsPicturedAsTheFormAsks) {
    std::wstring shot = Temp(L"menushow-popup.png");
    DeleteFileW(shot.c_str());
    TRun run =
        RunMenuShow(FormFile("popup.dfm") + L" --popup PopupMenu1 --select 1 --shot \"" + shot + L"\"");
    ASSERT_EQ(run.ExitCode, 0u) << run.Errors;
    TImage image = LoadPng(shot);
    ASSERT_GT(image.Width, 20u);
    // Three entries of CustomImgSize 20 + 2 x VSpace 3, inside the menu window's border.
    const UINT border = (image.Height - 3 * 26) / 2;
    EXPECT_EQ(image.Height, 3 * 26 + 2 * border);
    EXPECT_LE(border, 4u);
    const UINT x = image.Width - border - 3;
    EXPECT_EQ(image.At(x, border + 13), RGB(255, 255, 0));      // Alpha, normal: clYellow
    EXPECT_EQ(image.At(x, border + 26 + 13), RGB(0, 0, 128));   // Beta, highlighted: clNavy
    EXPECT_EQ(image.At(x, border + 52 + 13), RGB(255, 255, 0)); // Гамма
    EXPECT_EQ(image.At(x, border + 26), RGB(0, 0, 128));        // the highlight's first row
    DeleteFileW(shot.c_str());
}

TEST(MenuShow, ADropDownOfTheMenuBarWithItsSideBar) {
    std::wstring shot = Temp(L"menushow-bar.png");
    DeleteFileW(shot.c_str());
    TRun run = RunMenuShow(FormFile("bar.dfm") + L" --bar 0 --select 2 --shot \"" + shot + L"\"");
    ASSERT_EQ(run.ExitCode, 0u) << run.Errors;
    TImage image = LoadPng(shot);
    ASSERT_GT(image.Height, 20u);
    const UINT x = image.Width - 6;
    EXPECT_EQ(image.At(x, 12), RGB(0, 255, 255)); // New: clAqua
    bool maroon = false;
    for (UINT y = 0; y < image.Height; ++y)
        maroon |= image.At(x, y) == RGB(128, 0, 0);
    EXPECT_TRUE(maroon) << "the highlighted Quit entry";
    EXPECT_EQ(image.At(6, 8), RGB(128, 0, 128)); // the side bar: clPurple along the left edge
    DeleteFileW(shot.c_str());
}

TEST(MenuShow, BadInputEndsWithAMessageAndAFailingCode) {
    struct {
        std::wstring Arguments;
        DWORD Code;
        const char* Says;
    } cases[] = {
        {FormFile("nosuch.dfm") + L" --popup PopupMenu1 --shot x.png", 1, "Cannot open"},
        {FormFile("broken.dfm") + L" --popup PopupMenu1 --shot x.png", 1, "Cannot read the form"},
        {FormFile("popup.dfm") + L" --popup Nothing --shot x.png", 1, "no popup menu named Nothing"},
        {FormFile("popup.dfm") + L" --popup PopupMenu1 --select 7 --shot x.png", 1, "has no entry 7"},
        {FormFile("bar.dfm") + L" --bar 3 --shot x.png", 1, "no drop-down at entry 3"},
        {L"--shot x.png", 2, "--shot needs --popup or --bar"},
        {L"--bar x", 2, "--bar needs a number"},
        {L"--frobnicate", 2, "unknown option"},
    };
    for (auto& c : cases) {
        TRun run = RunMenuShow(c.Arguments);
        EXPECT_EQ(run.ExitCode, c.Code) << c.Says;
        EXPECT_NE(run.Errors.find(c.Says), String::npos) << run.Errors;
    }
}
