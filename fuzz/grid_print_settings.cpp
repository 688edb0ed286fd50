// The print-settings section: any INI text gives settings inside their ranges, and what the grid
// writes reads back to the same file.
#include "grid_fuzz.h"

#include "platform/IniFile.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    TExColumnGrid& g = fuzzgrid::freshGrid();
    g.LoadPrintSettings(fuzzgrid::scratchFile("print.ini", data, size), QStringLiteral("Print"));
    const TPrintSettings& ps = g.PrintSettings();
    if (ps.Borders() > pbCustom || ps.BorderStyle() > psInsideFrame || ps.FitToPage() > fpCustom ||
        ps.Orientation() > poLandscape || ps.Date() > ppBottomCenter || ps.Time() > ppBottomCenter)
        __builtin_trap();
    const QString own = fuzzgrid::scratchFile("own.ini", nullptr, 0);
    g.SavePrintSettings(own, QStringLiteral("Print"));
    const QString first = plat::TIniFile(own).Text();
    g.LoadPrintSettings(own, QStringLiteral("Print"));
    fuzzgrid::scratchFile("own.ini", nullptr, 0);
    g.SavePrintSettings(own, QStringLiteral("Print"));
    if (plat::TIniFile(own).Text() != first) __builtin_trap();
    return 0;
}
