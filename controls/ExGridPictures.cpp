#include "controls/ExGridPictures.h"

#include "controls/PictureContainer.h"
#include "platform/Error.h"

#include <QFile>
#include <QHash>
#include <QPainter>
#include <algorithm>
#include <array>
#include <cmath>
#include <sys/stat.h>
#include <vector>

namespace {

// ---- Blur ----
constexpr int kMaxKernel = 10;

struct Kernel {
    int size = kMaxKernel;
    std::array<float, 2 * kMaxKernel + 1> w{};  // w[k + kMaxKernel] for k = -size .. size
    float at(int k) const { return w[std::size_t(k + kMaxKernel)]; }
};

Kernel makeKernel(double radius) {
    Kernel kernel;
    float sum = 0;
    for (int j = -kMaxKernel; j <= kMaxKernel; ++j) {
        const double x = j / radius;
        kernel.w[std::size_t(j + kMaxKernel)] = static_cast<float>(std::exp(-(x * x) / 2));
        sum += kernel.w[std::size_t(j + kMaxKernel)];
    }
    for (float& v : kernel.w) v /= sum;
    // Weights too small to move a byte are dropped from the ends.
    float tail = 0;
    const float limit = 1.0f / (2 * 255);
    while (tail < limit && kernel.size > 1) {
        tail += 2 * kernel.at(kernel.size);
        --kernel.size;
    }
    sum = 0;
    for (int k = -kernel.size; k <= kernel.size; ++k) sum += kernel.at(k);
    for (int k = -kernel.size; k <= kernel.size; ++k) kernel.w[std::size_t(k + kMaxKernel)] /= sum;
    return kernel;
}

// One line of pixels (0xAARRGGBB), blurred in place; all new values come from the old ones.
void blurLine(const Kernel& kernel, std::vector<QRgb>& line, std::vector<QRgb>& scratch) {
    const int n = int(line.size());
    scratch.resize(line.size());
    for (int i = 0; i < n; ++i) {
        float s[3] = {0, 0, 0};
        for (int k = -kernel.size; k <= kernel.size; ++k) {
            const QRgb px = line[std::size_t(std::clamp(i - k, 0, n - 1))];
            const float w = kernel.at(k);
            s[0] += w * float(qRed(px));
            s[1] += w * float(qGreen(px));
            s[2] += w * float(qBlue(px));
        }
        int c[3];
        for (int ch = 0; ch < 3; ++ch) c[ch] = s[ch] < 0 ? 0 : s[ch] >= 255 ? 255 : int(s[ch]);
        scratch[std::size_t(i)] = qRgb(c[0], c[1], c[2]);
    }
    line.swap(scratch);
}

constexpr int kEdge = 20;     // rows and columns this close to an edge are always blurred
constexpr int kPattern = 15;  // the row and column the others copy

}  // namespace

// ---- TGridAlphaMask ----

TGridAlphaMask::TGridAlphaMask() { SetPixelFormat(plat::pf32bit); }

void TGridAlphaMask::Assign(const TGridAlphaMask& Source) {
    if (&Source == this) return;
    if (Source.Width() < Width() || Source.Height() < Height()) return;
    FOpacity = Source.FOpacity;
    if (Empty()) return;
    QImage image = Image();
    const QImage& from = Source.Image().format() == image.format()
                             ? Source.Image()
                             : Source.Image().convertToFormat(image.format());
    for (int y = 0; y < image.height(); ++y)
        std::copy_n(reinterpret_cast<const QRgb*>(from.constScanLine(y)), image.width(),
                    reinterpret_cast<QRgb*>(image.scanLine(y)));
    SetImage(image);
}

void TGridAlphaMask::Assign(const plat::TBitmap& Source) {
    plat::TBitmap::Assign(Source);
    SetPixelFormat(plat::pf32bit);
}

void TGridAlphaMask::MergeMask(const plat::TBitmap& Mask, const plat::TBitmap& Bitmap, plat::TColor Color) {
    if (Bitmap.PixelFormat() != plat::pf24bit) return;
    const int w = Bitmap.Width(), h = Bitmap.Height();
    if (Mask.Width() < w || Mask.Height() < h) return;
    SetPixelFormat(plat::pf32bit);
    if (w == 0 || h == 0) {
        SetSize(0, 0);
        return;
    }
    const QImage& source = Bitmap.Image();
    const QImage& mask = Mask.Image();
    QImage out(w, h, QImage::Format_ARGB32_Premultiplied);
    const auto premultiply = [](int c, int a) { return (2 * c * a + 255) / 510; };  // round(c * a / 255)
    for (int y = 0; y < h; ++y) {
        const auto* src = reinterpret_cast<const QRgb*>(source.constScanLine(y));
        const auto* alpha = reinterpret_cast<const QRgb*>(mask.constScanLine(y));
        auto* dst = reinterpret_cast<QRgb*>(out.scanLine(y));
        for (int x = 0; x < w; ++x) {
            const int a = qRed(alpha[x]);
            dst[x] = qRgba(premultiply(qRed(src[x]), a), premultiply(qGreen(src[x]), a),
                           premultiply(qBlue(src[x]), a), a);
        }
    }
    SetImage(out);
}

// ---- Mask and blur ----

void BuildRoundRectMask(plat::TBitmap& Bitmap, int Width, int Height, int PenWidth, int Corner, double Radius) {
    Bitmap.SetPixelFormat(plat::pf24bit);
    Bitmap.SetSize(Width, Height);
    plat::TCanvas& canvas = Bitmap.Canvas();
    const plat::TPen oldPen = canvas.Pen();
    const plat::TBrush oldBrush = canvas.Brush();
    canvas.Brush().SetColor(plat::clBlack);
    canvas.FillRect(plat::Rect(0, 0, Bitmap.Width(), Bitmap.Height()));
    canvas.Pen().SetColor(plat::clWhite);
    canvas.Pen().SetStyle(plat::psSolid);
    if (PenWidth < 1) {
        canvas.Pen().SetWidth(1);
        canvas.Brush().SetColor(plat::clWhite);
    } else {
        canvas.Pen().SetWidth(PenWidth);
        canvas.Brush().SetColor(plat::clBlack);
    }
    const int c = PenWidth / 2;
    canvas.RoundRect(c + 2, c + 2, Width - c - 2, Height - c - 2, Corner, Corner);
    canvas.Pen().Assign(oldPen);
    canvas.Brush().Assign(oldBrush);
    canvas.Release();
    if (Radius > 0) GaussianBlur(Bitmap, Radius);
}

void GaussianBlur(plat::TBitmap& Bitmap, double Radius) {
    if (Bitmap.PixelFormat() != plat::pf24bit) throw plat::Error(QStringLiteral("Blur only works for 24-bit bitmaps"));
    if (!(Radius > 0) || Bitmap.Empty()) return;
    const Kernel kernel = makeKernel(Radius);
    QImage image = Bitmap.Image();
    const int w = image.width(), h = image.height();
    std::vector<QRgb> line, scratch;

    for (int y = 0; y < h; ++y) {
        auto* row = reinterpret_cast<QRgb*>(image.scanLine(y));
        if (y <= kEdge || y >= h - kEdge) {
            line.assign(row, row + w);
            blurLine(kernel, line, scratch);
            std::copy(line.begin(), line.end(), row);
        } else {
            std::copy_n(reinterpret_cast<const QRgb*>(image.constScanLine(kPattern)), w, row);
        }
    }
    line.resize(std::size_t(h));
    for (int x = 0; x < w; ++x) {
        if (x <= kEdge || x >= w - kEdge) {
            for (int y = 0; y < h; ++y) line[std::size_t(y)] = reinterpret_cast<const QRgb*>(image.constScanLine(y))[x];
            blurLine(kernel, line, scratch);
            for (int y = 0; y < h; ++y) reinterpret_cast<QRgb*>(image.scanLine(y))[x] = line[std::size_t(y)];
        } else {
            for (int y = 0; y < h; ++y) {
                auto* row = reinterpret_cast<QRgb*>(image.scanLine(y));
                row[x] = row[kPattern];
            }
        }
    }
    Bitmap.SetImage(image);
}

// ---- TFilePicture ----

bool TFilePicture::stampOf(const QByteArray& path, Stamp& stamp) {
    stamp = Stamp();
    struct stat st {};
    if (::stat(path.constData(), &st) != 0) return false;
    stamp.dev = uint64_t(st.st_dev);
    stamp.ino = uint64_t(st.st_ino);
    stamp.size = int64_t(st.st_size);
    stamp.mtimeNs = int64_t(st.st_mtim.tv_sec) * 1000000000 + st.st_mtim.tv_nsec;
    stamp.ctimeNs = int64_t(st.st_ctim.tv_sec) * 1000000000 + st.st_ctim.tv_nsec;
    return true;
}

bool TFilePicture::stampIn(uint64_t session, const QByteArray& path, Stamp& stamp) {
    if (session == 0) return stampOf(path, stamp);
    struct Checked {
        uint64_t session = 0;
        bool exists = false;
        Stamp stamp;
    };
    thread_local QHash<QByteArray, Checked> checked;
    Checked& entry = checked[path];
    if (entry.session != session) {
        entry.exists = stampOf(path, entry.stamp);
        entry.session = session;
    }
    stamp = entry.stamp;
    return entry.exists;
}

const QImage& TFilePicture::current(uint64_t session) {
    if (session != 0 && session == FCheckedSession && !FImage.isNull()) return FImage;
    FCheckedSession = 0;
    Stamp now;
    const bool exists = stampIn(session, FPath, now);
    if (!FImage.isNull() && exists && now == FStamp) {
        FCheckedSession = session;
        return FImage;
    }
    FImage = QImage();
    FStamp = Stamp();
    // The stamp is the one taken before reading: a change while reading is seen at the next paint.
    QByteArray bytes;
    QString error;
    if (ReadPictureFile(FFilename, bytes, error) != TPictureReadResult::Ok)
        throw plat::Error(QStringLiteral("Cannot open file \"%1\". %2").arg(FFilename, error));
    QImage image;
    if (DecodePictureData(bytes, image) != TPictureDecodeResult::Ok)
        throw plat::Error(QStringLiteral("Invalid picture file \"%1\"").arg(FFilename));
    FImage = std::move(image);
    FStamp = now;
    FCheckedSession = session;
    return FImage;
}

void TFilePicture::SetFilename(const QString& Value) {
    FFilename = Value;
    FPath = QFile::encodeName(Value);
    FImage = QImage();
    FStamp = Stamp();
    FCheckedSession = 0;
    if (Value.isEmpty()) {
        FWidth = FHeight = 0;
        return;
    }
    const QImage& image = current(0);
    FWidth = image.width();
    FHeight = image.height();
}

void TFilePicture::DrawPicture(plat::TCanvas& Canvas, const plat::TRect& r) {
    if (FFilename.isEmpty()) return;
    QPainter* p = Canvas.Painter();
    const QImage& image = current(p ? Canvas.PaintSession() : 0);
    if (!p || r.IsEmpty()) return;
    if (r.Width() == image.width() && r.Height() == image.height())
        p->drawImage(QPoint(r.Left, r.Top), image);
    else
        p->drawImage(r.toQRect(), image);
}

void TFilePicture::Assign(const TFilePicture& Source) {
    if (&Source == this) return;
    FFilename = Source.FFilename;
    FPath = Source.FPath;
    FWidth = Source.FWidth;
    FHeight = Source.FHeight;
    FImage = Source.FImage;
    FStamp = Source.FStamp;
    FCheckedSession = 0;
}
