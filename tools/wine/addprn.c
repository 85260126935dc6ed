// addprn.exe: installs the test printers into the Wine prefix it runs in (setup-prefix.sh builds and runs
// it): "TestPS", the default printer, and "Принтер бухгалтерии", whose name is Cyrillic; both PostScript
// printers on FILE: with the generic PPD that Wine's winspool carries. Printers already there are left as
// they are, so running it again changes nothing; each one it adds is named on standard output.
#include <windows.h>
#include <winspool.h>
#include <stdio.h>

// The names, and as ASCII for the messages (the console's code page is not known here).
static const wchar_t* const names[] = {L"TestPS", L"Принтер бухгалтерии"};
static const char* const shown[] = {"TestPS", "the printer with the Cyrillic name"};

static int fail(const char* what) {
    fprintf(stderr, "addprn: %s failed (error %lu)\n", what, GetLastError());
    return 1;
}

static int installed(const wchar_t* name) {
    HANDLE p = NULL;
    if (!OpenPrinterW((wchar_t*)name, &p, NULL)) return 0;
    ClosePrinter(p);
    return 1;
}

// The driver "TestPS": the generic PPD from winspool's resources, written up to its first NUL into a
// temporary file, which the driver's installation copies.
static int install_driver(void) {
    HMODULE ws = LoadLibraryW(L"winspool.drv");
    HRSRC res = ws ? FindResourceW(ws, MAKEINTRESOURCEW(1), L"PPDFILE") : NULL;
    if (!res) return fail("finding the generic PPD");
    const char* ppd = LockResource(LoadResource(ws, res));
    DWORD size = SizeofResource(ws, res), len = 0;
    while (len < size && ppd[len])
        ++len;
    wchar_t dir[MAX_PATH], path[MAX_PATH];
    GetTempPathW(MAX_PATH, dir);
    swprintf(path, MAX_PATH, L"%lstestps.ppd", dir);
    HANDLE f = CreateFileW(path, GENERIC_WRITE, 0, NULL, CREATE_ALWAYS, 0, NULL);
    DWORD written = 0;
    BOOL ok = f != INVALID_HANDLE_VALUE && WriteFile(f, ppd, len, &written, NULL) && written == len;
    if (f != INVALID_HANDLE_VALUE) CloseHandle(f);
    if (!ok) return fail("writing the PPD");
    DRIVER_INFO_3W di = {0};
    di.cVersion = 3;
    di.pName = L"TestPS";
    di.pEnvironment = L"Windows x64";
    di.pDriverPath = di.pConfigFile = L"wineps.drv";
    di.pDataFile = path;
    di.pDefaultDataType = L"RAW";
    ok = AddPrinterDriverExW(NULL, 3, (BYTE*)&di, APD_COPY_NEW_FILES | APD_COPY_FROM_DIRECTORY);
    DeleteFileW(path);
    return ok ? 0 : fail("AddPrinterDriverExW");
}

int main(void) {
    int driver_done = 0;
    for (int i = 0; i < 2; ++i) {
        if (installed(names[i])) continue;
        if (!driver_done) {
            if (install_driver()) return 1;
            driver_done = 1;
        }
        PRINTER_INFO_2W pi = {0};
        pi.pPrinterName = (wchar_t*)names[i];
        pi.pDriverName = L"TestPS";
        pi.pPortName = L"FILE:";
        pi.pPrintProcessor = L"WinPrint";
        pi.pDatatype = L"RAW";
        pi.pParameters = pi.pShareName = pi.pSepFile = L"";
        HANDLE p = AddPrinterW(NULL, 2, (BYTE*)&pi);
        if (!p) return fail("AddPrinterW");
        ClosePrinter(p);
        printf("addprn: added %s\n", shown[i]);
    }
    // TestPS is the default printer, also when the default was lost.
    if (!SetDefaultPrinterW(names[0])) return fail("SetDefaultPrinterW");
    return 0;
}
