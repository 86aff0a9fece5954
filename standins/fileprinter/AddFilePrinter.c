/* Adds the printer "FilePS" to the Wine prefix: Wine's PostScript driver with
 * a small A4 600 dpi description, its port a Unix file, made the default.
 * Usage: AddFilePrinter <unix path of the output file>
 * Exit code 0 when the printer exists afterwards. */
#include <windows.h>
#include <winspool.h>
#include <stdio.h>

static const char ppd[] =
    "*PPD-Adobe: \"4.3\"\n"
    "*FormatVersion: \"4.3\"\n"
    "*FileVersion: \"1.0\"\n"
    "*LanguageVersion: English\n"
    "*LanguageEncoding: ISOLatin1\n"
    "*PCFileName: \"FILEPS.PPD\"\n"
    "*Manufacturer: \"Veltrane\"\n"
    "*Product: \"(File PostScript)\"\n"
    "*ModelName: \"File PostScript\"\n"
    "*ShortNickName: \"File PostScript\"\n"
    "*NickName: \"File PostScript\"\n"
    "*PSVersion: \"(3010.000) 0\"\n"
    "*LanguageLevel: \"3\"\n"
    "*ColorDevice: True\n"
    "*DefaultColorSpace: RGB\n"
    "*FileSystem: False\n"
    "*Throughput: \"1\"\n"
    "*LandscapeOrientation: Plus90\n"
    "*TTRasterizer: Type42\n"
    "*DefaultResolution: 600dpi\n"
    "*OpenUI *PageSize: PickOne\n"
    "*OrderDependency: 10 AnySetup *PageSize\n"
    "*DefaultPageSize: A4\n"
    "*PageSize A4/A4: \"<</PageSize[595 842]/ImageableArea null>>setpagedevice\"\n"
    "*CloseUI: *PageSize\n"
    "*OpenUI *PageRegion: PickOne\n"
    "*OrderDependency: 10 AnySetup *PageRegion\n"
    "*DefaultPageRegion: A4\n"
    "*PageRegion A4/A4: \"<</PageSize[595 842]/ImageableArea null>>setpagedevice\"\n"
    "*CloseUI: *PageRegion\n"
    "*DefaultImageableArea: A4\n"
    "*ImageableArea A4/A4: \"18 18 577 824\"\n"
    "*DefaultPaperDimension: A4\n"
    "*PaperDimension A4/A4: \"595 842\"\n";

static int fail(const char *what)
{
    fprintf(stderr, "AddFilePrinter: %s failed (error %lu)\n", what, GetLastError());
    return 1;
}

int wmain(int argc, WCHAR **argv)
{
    WCHAR dir[MAX_PATH], file[MAX_PATH], name[] = L"FilePS", driver[] = L"wineps.drv", raw[] = L"RAW",
          proc[] = L"wineps", winprint[] = L"winprint", empty[] = L"";
    static const WCHAR *envs[] = { L"Windows x64", L"Windows NT x86" };
    DRIVER_INFO_3W di;
    PRINTER_INFO_2W pi;
    HANDLE h, printer;
    DWORD written, i;

    if (argc != 2) { fprintf(stderr, "usage: AddFilePrinter <output file>\n"); return 2; }
    if (OpenPrinterW(name, &printer, NULL)) {
        ClosePrinter(printer);
        return SetDefaultPrinterW(name) ? 0 : fail("SetDefaultPrinter");
    }

    /* The driver files are copied from where the description is written. */
    if (!GetTempPathW(MAX_PATH, dir)) return fail("GetTempPath");
    swprintf(file, MAX_PATH, L"%lsFilePS.ppd", dir);
    h = CreateFileW(file, GENERIC_WRITE, 0, NULL, CREATE_ALWAYS, 0, NULL);
    if (h == INVALID_HANDLE_VALUE) return fail("writing the PPD");
    WriteFile(h, ppd, sizeof ppd - 1, &written, NULL);
    CloseHandle(h);

    AddPrintProcessorW(NULL, NULL, driver, proc);
    ZeroMemory(&di, sizeof di);
    di.cVersion = 3;
    di.pName = name;
    di.pDriverPath = driver;
    di.pDataFile = file;
    di.pConfigFile = driver;
    di.pDefaultDataType = raw;
    /* Both environments: a 32-bit program asks for the x86 driver's files. */
    for (i = 0; i < 2; i++) {
        di.pEnvironment = (WCHAR *)envs[i];
        if (!AddPrinterDriverExW(NULL, 3, (BYTE *)&di, APD_COPY_NEW_FILES | APD_COPY_FROM_DIRECTORY)
            && GetLastError() != ERROR_PRINTER_DRIVER_ALREADY_INSTALLED)
            return fail("AddPrinterDriverEx");
    }
    DeleteFileW(file);

    ZeroMemory(&pi, sizeof pi);
    pi.pPrinterName = name;
    pi.pDriverName = name;
    pi.pPortName = argv[1];
    /* wineps's own print processor refuses the RAW jobs that the driver
     * writes (nothing reaches the port); winprint copies them to the file. */
    pi.pPrintProcessor = winprint;
    pi.pDatatype = raw;
    pi.pParameters = empty;
    pi.pShareName = empty;
    pi.pSepFile = empty;
    pi.pComment = empty;
    pi.pLocation = empty;
    printer = AddPrinterW(NULL, 2, (BYTE *)&pi);
    if (!printer && GetLastError() != ERROR_PRINTER_ALREADY_EXISTS) return fail("AddPrinter");
    if (printer) ClosePrinter(printer);
    return SetDefaultPrinterW(name) ? 0 : fail("SetDefaultPrinter");
}
