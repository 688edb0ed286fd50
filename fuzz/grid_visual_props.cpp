// The visual-properties file: any bytes apply what they can or raise the conversion error; a file
// the grid writes always reads back.
#include "grid_fuzz.h"

#include "controls/ExUtil.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    TExColumnGrid& g = fuzzgrid::freshGrid();
    try {
        g.LoadVisualProps(fuzzgrid::scratchFile("look.txt", data, size));
    } catch (const EConvertError&) {
    }
    fuzzgrid::checkConsistent(g);
    const QString own = fuzzgrid::scratchFile("own.txt", nullptr, 0);
    g.SaveVisualProps(own);
    g.LoadVisualProps(own);
    return 0;
}
