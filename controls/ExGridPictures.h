#pragma once
// Pictures of the grid that need no window: the glow around the current cell (a blurred rounded
// ring turned into a premultiplied picture with per-pixel alpha) and pictures given by a file name.
#include "platform/Bitmap.h"
#include "platform/Canvas.h"
#include "platform/Colors.h"

#include <QByteArray>
#include <QImage>
#include <QString>
#include <cstdint>

// A 32-bit premultiplied picture with an overall opacity, shown as a layered window's contents.
class TGridAlphaMask : public plat::TBitmap {
public:
    TGridAlphaMask();

    uint8_t Opacity() const { return FOpacity; }
    void SetOpacity(uint8_t Value) { FOpacity = Value; }

    // From another mask: its opacity and its pixels over this mask's present size; a source smaller
    // than this mask changes nothing.
    void Assign(const TGridAlphaMask& Source);
    // From a plain bitmap: the bitmap copy, kept 32-bit.
    void Assign(const plat::TBitmap& Source);

    // With a 24-bit Bitmap: this mask takes its size, each pixel's alpha the Mask pixel's red byte
    // and each colour byte the bitmap's, premultiplied by that alpha. Another pixel format, or a
    // Mask smaller than Bitmap, changes nothing. Color is not used.
    void MergeMask(const plat::TBitmap& Mask, const plat::TBitmap& Bitmap, plat::TColor Color);

private:
    uint8_t FOpacity = 255;
};

// A 24-bit black bitmap of Width x Height with a white rounded rectangle inset by 2 + PenWidth / 2:
// an outline of PenWidth pixels, or filled when PenWidth < 1; blurred when Radius > 0.
void BuildRoundRectMask(plat::TBitmap& Bitmap, int Width, int Height, int PenWidth, int Corner, double Radius);

// Gaussian blur of a 24-bit bitmap (any other format raises "Blur only works for 24-bit bitmaps").
// Rows and columns within 20 pixels of an edge are blurred; the ones between are copies of row and
// column 15, which is exact for pictures whose middle repeats row and column 15 (the masks above).
// A Radius of 0 or less blurs nothing.
void GaussianBlur(plat::TBitmap& Bitmap, double Radius);

// A picture given by a file name. The decoded picture is kept and read again only when the file
// changes (its identity, size or times). A file's state is looked at once a drawing session of a
// canvas (one paint), shared by every picture of that name, so each paint shows the file as it is
// when the paint starts without asking the file system at every draw.
class TFilePicture {
public:
    const QString& Filename() const { return FFilename; }
    // Stores the name and loads the file for its size; a file that cannot be loaded raises, the
    // name stays stored and Width and Height keep their values. An empty name loads nothing.
    void SetFilename(const QString& Value);
    int Width() const { return FWidth; }
    int Height() const { return FHeight; }

    // Nothing for an empty name; otherwise the file's picture stretched into r. A file that cannot
    // be loaded raises.
    void DrawPicture(plat::TCanvas& Canvas, const plat::TRect& r);

    // The name, width and height (and the picture already decoded, checked again at the next draw).
    void Assign(const TFilePicture& Source);

private:
    struct Stamp {
        uint64_t dev = 0, ino = 0;
        int64_t size = -1, mtimeNs = 0, ctimeNs = 0;
        friend bool operator==(const Stamp&, const Stamp&) = default;
    };
    static bool stampOf(const QByteArray& path, Stamp& stamp);
    // The file's state, looked at once in a drawing session (any session when 0).
    static bool stampIn(uint64_t session, const QByteArray& path, Stamp& stamp);
    // Reads and decodes the file unless the kept picture is still the file's; raises on failure
    // (the kept picture is dropped).
    const QImage& current(uint64_t session);

    QString FFilename;
    int FWidth = 0, FHeight = 0;
    QByteArray FPath;  // the name as the file system takes it
    QImage FImage;
    Stamp FStamp;
    uint64_t FCheckedSession = 0;  // the drawing session that last found FImage current
};
