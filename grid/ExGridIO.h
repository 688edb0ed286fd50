#pragma once
// The records of the grid's binary cell stream, one type each, owning what they carry: a record
// frees its object with itself. The grid file code fills them from cells and writes them, or reads
// them and hands their objects to cells.
#include "controls/BaseGrid.h"
#include "controls/ExGridPictures.h"
#include "controls/PictureContainer.h"
#include "grid/ExGridGraphics.h"
#include "platform/Bitmap.h"

#include <QString>
#include <QStringList>
#include <cstdint>
#include <memory>

// The grid's size and sizes, first in the stream.
struct TGridPropIO {
    int32_t ColCount = 0, RowCount = 0;
    QString ColWidths, RowHeights;  // comma-separated
    bool FullGrid = false;
    int32_t ID = 0;
};

// One cell's place and text; owns nothing.
struct TGridCellIO {
    uint16_t Col = 0, Row = 0;
    QString Cell;
    bool HasProp = false;
};

// A cell's properties, made for the grid that reads or writes them.
struct TGridCellPropIO {
    explicit TGridCellPropIO(TBaseGrid* Owner) : CellProperties(std::make_unique<TCellProperties>(Owner, 0, 0)) {}
    std::unique_ptr<TCellProperties> CellProperties;
    bool HasGraphic = false;
};

struct TGridGraphicIO {
    std::unique_ptr<TCellGraphic> CellGraphic = std::make_unique<TCellGraphic>();
};
struct TGridBMPIO {
    std::unique_ptr<plat::TBitmap> Bitmap = std::make_unique<plat::TBitmap>();
};
struct TGridIconIO {
    std::unique_ptr<plat::TBitmap> Icon = std::make_unique<plat::TBitmap>();
};
struct TGridPicIO {
    std::unique_ptr<THTMLPicture> Picture = std::make_unique<THTMLPicture>();
};
struct TGridFilePicIO {
    std::unique_ptr<TFilePicture> Picture = std::make_unique<TFilePicture>();
};
struct TGridSLIO {
    std::unique_ptr<QStringList> Strings = std::make_unique<QStringList>();
};
