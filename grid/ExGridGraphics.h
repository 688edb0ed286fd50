#pragma once
// The one graphic a cell of the full grid can carry: what to draw and where. It lives in the cell's
// properties, which free it with themselves. Objects handed in by an Add operation stay the
// caller's; only those the graphic made itself (CellCreated) are freed with it.
#include "controls/BaseGrid.h"
#include "controls/ExGridLists.h"
#include "controls/ExGridPictures.h"
#include "controls/ExUtilDraw.h"  // TCellShape: the shape painter's shapes are the cells' shapes
#include "controls/PictureContainer.h"
#include "platform/Bitmap.h"

#include <QObject>
#include <QPoint>
#include <QStringList>
#include <QVariant>

enum TCellType : uint8_t {
    ctBitmap, ctIcon, ctNone, ctImageList, ctCheckBox, ctDataCheckBox, ctRotated, ctDataImage, ctNode, ctRadio,
    ctEmpty, ctImages, ctPicture, ctFilePicture, ctValue, ctProgress, ctComment, ctButton, ctBitButton,
    ctVirtCheckBox, ctRowCheckBox, ctProgressPie, ctSummary, ctRangeIndicator, ctXPProgress, ctInterface,
    ctScrollbar, ctRadioButton, ctBalloon, ctShape, ctRating, ctTriStateCheckBox, ctExpand
};
enum TCellVAlign : uint8_t { vaTop, vaBottom, vaCenter, vaUnderText, vaAboveText, vaFull };
enum TCellHAlign : uint8_t { haLeft, haRight, haCenter, haBeforeText, haAfterText, haFull };
enum TStretchMode : uint8_t { noStretch, Stretch, StretchWithAspectRatio, Shrink, ShrinkWithAspectRatio };
enum TBalloonIcon : uint8_t { biNone, biInfo, biWarning, biError };
enum TCheckBoxState : uint8_t { cbUnchecked, cbChecked, cbGrayed };

struct TScrollProp {
    int32_t PageSize = -1;
    int32_t Range = -1;
};

// An object drawn in its cell through this interface (interface cells).
class IGridCellDrawer {
public:
    virtual ~IGridCellDrawer() = default;
    virtual void Draw(plat::TCanvas& Canvas, const plat::TRect& R, int Col, int Row, bool Selected,
                      const QString& Grid) = 0;
    virtual int GetWidth() const = 0;
    virtual int GetHeight() const = 0;
};

class TCellGraphic : public QObject, public TOwnedCellGraphic {
public:
    TCellGraphic() = default;
    ~TCellGraphic() override;
    TCellGraphic(const TCellGraphic&) = delete;
    TCellGraphic& operator=(const TCellGraphic&) = delete;

    // Kind, alignments, numbers, text and the created mark; the slots, CellVar and the box state stay.
    void Assign(const TCellGraphic& Source);

    TCellType CellType = ctNone;
    // Typed slots: a kind uses the ones it needs. Bitmap and Object are freed only when
    // CellCreated; Images and Strings are always the graphic's own.
    plat::TBitmap* CellBitmap = nullptr;
    plat::TBitmap* CellIcon = nullptr;
    QObject* CellObject = nullptr;  // a picture or an interfaced object
    TFilePicture* CellFilePicture = nullptr;
    TIntList* CellImages = nullptr;
    // A balloon's title and text, or a radio group's options.
    QStringList* CellStrings = nullptr;
    TColor CellColor = plat::clNone;
    TColor CellColor2 = plat::clNone;
    TCellVAlign CellVAlign = vaTop;
    TCellHAlign CellHAlign = haLeft;
    int32_t CellIndex = 0;
    bool CellTransparent = false;
    bool CellCreated = false;
    bool CellBoolean = false;
    int32_t CellAngle = 0;
    double CellValue = 0;
    int32_t CellErrFrom = 0;
    int32_t CellErrLen = 0;
    QString CellText;
    QVariant CellVar;
    TCheckBoxState CellCheckBoxState = cbUnchecked;

    void SetBitmap(plat::TBitmap* ABmp, bool Transparent, TCellHAlign hal, TCellVAlign val);
    void SetPicture(QObject* APicture, bool Transparent, TStretchMode StretchMode, int padding, TCellHAlign hal,
                    TCellVAlign val, TCellType Kind = ctPicture);
    void SetIcon(plat::TBitmap* AIcon, TCellHAlign hal, TCellVAlign val);
    void SetImageIdx(int idx, TCellHAlign hal, TCellVAlign val, TCellType Kind = ctImageList);
    void SetButton(int bw, int bh, const QString& Caption, TCellHAlign hal, TCellVAlign val);
    void SetInterfacedCell(QObject* AObject);
    // Into 0..360 by whole turns; 360 itself stays.
    void SetAngle(int16_t AAngle);
    // Width and height of a picture kind placed in the given room; other kinds leave Size.
    void GetPictureSize(int cw, int rh, QSize PictureSize, QPoint& Size) const;

private:
    void freeSlots();
};

// Rounds halves to even, as the layout of graphics does.
int RoundHalfEven(double Value);
