#include "controls/PictureContainer.h"

#include <QBuffer>
#include <QFile>
#include <QFileInfo>
#include <QIODevice>
#include <QImageReader>
#include <QPainter>
#include <QPaintDevice>
#include <algorithm>
#include <cerrno>
#include <cstdlib>
#include <cstring>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace {

const QString kInvalidFormat = QStringLiteral("Could not load image. Invalid format");
const QString kNoImage = QStringLiteral("Could not load image");

// Resource names and URL schemes ignore the case of ASCII letters only.
QString asciiUpper(const QString& s) {
    QString out = s;
    for (QChar& c : out)
        if (c >= u'a' && c <= u'z') c = QChar(c.unicode() - 32);
    return out;
}

bool sameIgnoringAsciiCase(const QString& a, const QString& b) {
    if (a.size() != b.size()) return false;
    for (qsizetype i = 0; i < a.size(); ++i) {
        char16_t x = a[i].unicode(), y = b[i].unicode();
        if (x >= u'a' && x <= u'z') x = char16_t(x - 32);
        if (y >= u'a' && y <= u'z') y = char16_t(y - 32);
        if (x != y) return false;
    }
    return true;
}

int mulDiv(int a, int b, int c) {
    const long long n = static_cast<long long>(a) * b;
    const long long q = (2 * std::llabs(n) + c) / (2LL * c);
    return static_cast<int>(n < 0 ? -q : q);
}

// ---- The GIF frame walk ----
// A frame starts where a graphic control extension (0x21 0xF9, block size 4) is followed by an
// image separator; it counts only when its image descriptor (left, top, width, height from p + 9)
// lies inside the data, so no crafted or cut file makes the walk read past its end.
class GifBytes {
public:
    explicit GifBytes(const QByteArray& data)
        : b_(reinterpret_cast<const uint8_t*>(data.constData())), n_(data.size()) {}
    qsizetype size() const { return n_; }
    uint8_t at(qsizetype p) const { return b_[p]; }
    bool frameAt(qsizetype p) const {
        return p + 16 < n_ && b_[p] == 0x21 && b_[p + 1] == 0xF9 && b_[p + 2] == 4 && b_[p + 8] == 0x2C;
    }
    uint16_t u16(qsizetype p) const {
        if (p < 0 || p + 1 >= n_) return 0;
        return static_cast<uint16_t>(b_[p] | b_[p + 1] << 8);
    }
    // Position of frame i (1-based), -1 when there is none.
    qsizetype framePos(int i) const {
        if (i < 1) return -1;
        int k = 0;
        for (qsizetype p = 0; p < n_; ++p)
            if (frameAt(p) && ++k == i) return p;
        return -1;
    }
    int frameCount() const {
        int k = 0;
        for (qsizetype p = 0; p < n_; ++p)
            if (frameAt(p)) ++k;
        return k;
    }

private:
    const uint8_t* b_;
    qsizetype n_;
};

QByteArray readWholeStream(QIODevice* stream) {
    if (!stream->isSequential()) stream->seek(0);
    return stream->readAll();
}

}  // namespace

// ---- Reading and decoding ----

TPictureReadResult ReadPictureFile(const QString& FileName, QByteArray& Data, QString& Error) {
    const QByteArray path = QFile::encodeName(FileName);
    const auto sysError = [&](int err) {
        Error = QString::fromLocal8Bit(std::strerror(err));
        return TPictureReadResult::OpenFailed;
    };
    // The type is checked before opening, so no device is ever opened, and again on the open file,
    // in case the name was swapped in between.
    struct stat st {};
    if (path.isEmpty()) return sysError(ENOENT);
    if (::stat(path.constData(), &st) != 0) return sysError(errno);
    if (!S_ISREG(st.st_mode)) {
        Error = QStringLiteral("Not a regular file");
        return TPictureReadResult::NotRegular;
    }
    if (st.st_size > kMaxPictureFileSize) {
        Error = QStringLiteral("The file is larger than %1 MiB").arg(kMaxPictureFileSize / (1024 * 1024));
        return TPictureReadResult::TooLarge;
    }
    const int fd = ::open(path.constData(), O_RDONLY | O_NONBLOCK | O_CLOEXEC | O_NOCTTY);
    if (fd < 0) return sysError(errno);
    struct Closer {
        int fd;
        ~Closer() { ::close(fd); }
    } closer{fd};
    if (::fstat(fd, &st) != 0) return sysError(errno);
    if (!S_ISREG(st.st_mode)) {
        Error = QStringLiteral("Not a regular file");
        return TPictureReadResult::NotRegular;
    }
    QByteArray out;
    out.resize(static_cast<qsizetype>(std::min<qint64>(st.st_size, kMaxPictureFileSize)) + 1);
    qsizetype got = 0;
    for (;;) {
        if (got == out.size()) {
            // The file grew past what fstat said: read on up to the cap.
            if (out.size() > kMaxPictureFileSize) {
                Error = QStringLiteral("The file is larger than %1 MiB").arg(kMaxPictureFileSize / (1024 * 1024));
                return TPictureReadResult::TooLarge;
            }
            out.resize(std::min<qsizetype>(out.size() * 2, kMaxPictureFileSize + 1));
        }
        const ssize_t r = ::read(fd, out.data() + got, static_cast<size_t>(out.size() - got));
        if (r < 0) {
            if (errno == EINTR) continue;
            return sysError(errno);
        }
        if (r == 0) break;
        got += r;
    }
    out.truncate(got);
    Data = std::move(out);
    return TPictureReadResult::Ok;
}

TPictureDecodeResult DecodePictureData(const QByteArray& Data, QImage& Image) {
    QBuffer buffer;
    buffer.setData(Data);
    if (!buffer.open(QIODevice::ReadOnly)) return TPictureDecodeResult::NoImage;
    QImageReader reader(&buffer);
    reader.setDecideFormatFromContent(true);
    const QByteArray format = reader.format();
    static const QByteArray kFormats[] = {"bmp", "ico", "jpeg", "gif", "png"};
    if (std::find(std::begin(kFormats), std::end(kFormats), format) == std::end(kFormats))
        return TPictureDecodeResult::InvalidFormat;
    const QSize size = reader.size();
    if (size.isValid() && qint64(size.width()) * size.height() * 4 > kMaxPictureDecodeBytes)
        return TPictureDecodeResult::NoImage;
    QImage image;
    if (!reader.read(&image)) {
        const auto error = reader.error();
        return error == QImageReader::UnsupportedFormatError || error == QImageReader::InvalidDataError
                   ? TPictureDecodeResult::InvalidFormat
                   : TPictureDecodeResult::NoImage;
    }
    if (image.isNull()) return TPictureDecodeResult::NoImage;
    Image = std::move(image);
    return TPictureDecodeResult::Ok;
}

int PixelsToHimetric(int Pixels) { return mulDiv(Pixels, 2540, 96); }

int HimetricToPixels(int Himetric, int PixelsPerInch) { return mulDiv(Himetric, PixelsPerInch, 2540); }

// ---- THTMLPicture ----

THTMLPicture::THTMLPicture() = default;

THTMLPicture::~THTMLPicture() = default;

void THTMLPicture::changed() {
    if (OnChange) OnChange(this);
}

// New bytes: what was counted of the old ones no longer holds.
void THTMLPicture::setData(QByteArray Data) {
    FData = std::move(Data);
    FFrameCount = -1;
    FNextCount = -1;
    FTimerCount = -1;
}

void THTMLPicture::clearPicture() {
    FIsEmpty = true;
    FImage = QImage();
    setData(QByteArray());
    FFrameXPos = FFrameYPos = FFrameXSize = FFrameYSize = 0;
    FAnimMaxX = FAnimMaxY = 0;
}

void THTMLPicture::decodePicture() {
    FFrameXPos = FFrameYPos = FFrameXSize = FFrameYSize = 0;
    FAnimMaxX = FAnimMaxY = 0;
    QByteArray bytes;
    if (IsGIF() && FrameCount() > 0) {
        const GifBytes gif(FData);
        FAnimMaxX = gif.u16(6);
        FAnimMaxY = gif.u16(8);
        // The frames before the selected one are cut out, so the decoder shows the selected frame
        // as the first image: header, colour table and what precedes the first frame stay.
        bytes.reserve(FData.size());
        int i = 1;
        bool skip = false;
        qsizetype runStart = 0;
        for (qsizetype p = 0; p < gif.size(); ++p) {
            if (!gif.frameAt(p)) continue;
            if (i == FFrame) {
                FFrameXPos = gif.u16(p + 9);
                FFrameYPos = gif.u16(p + 11);
                FFrameXSize = gif.u16(p + 13);
                FFrameYSize = gif.u16(p + 15);
            }
            ++i;
            const bool nextSkip = FFrame >= i;
            if (nextSkip != skip) {
                if (!skip) bytes.append(FData.constData() + runStart, p - runStart);
                runStart = p;
                skip = nextSkip;
            }
        }
        if (!skip) bytes.append(FData.constData() + runStart, gif.size() - runStart);
    } else {
        bytes = FData;
    }
    FImage = QImage();
    switch (DecodePictureData(bytes, FImage)) {
        case TPictureDecodeResult::Ok:
            return;
        case TPictureDecodeResult::InvalidFormat:
            throw plat::Error(kInvalidFormat);
        case TPictureDecodeResult::NoImage:
            throw plat::Error(kNoImage);
    }
}

void THTMLPicture::Assign(const QObject* Source) {
    // The old bytes are about to go: they are not decoded again (bytes that cannot be decoded
    // would otherwise stop a good picture from being assigned).
    const bool hadData = !FData.isEmpty();
    FIsEmpty = true;
    FImage = QImage();
    FFrameCount = -1;
    FNextCount = -1;
    FTimerCount = -1;
    FFrame = 1;
    if (hadData && OnFrameChange) OnFrameChange(this);
    if (!Source) {
        clearPicture();
        return;
    }
    const auto* other = dynamic_cast<const THTMLPicture*>(Source);
    if (!other) return;
    setData(other->FData);
    FIsEmpty = false;
    decodePicture();
    changed();
}

void THTMLPicture::LoadFromFile(const QString& FileName) {
    QByteArray bytes;
    QString error;
    if (ReadPictureFile(FileName, bytes, error) != TPictureReadResult::Ok) {
        clearPicture();
        return;
    }
    setData(std::move(bytes));
    FIsEmpty = false;
    try {
        decodePicture();
    } catch (const plat::Error&) {
        clearPicture();
        return;
    }
    changed();
}

void THTMLPicture::LoadFromStream(QIODevice* Stream) {
    if (!Stream) return;
    ReadData(Stream);
    changed();
}

void THTMLPicture::ReadData(QIODevice* Stream) {
    if (!Stream) return;
    setData(readWholeStream(Stream));
    FIsEmpty = false;
    decodePicture();
}

void THTMLPicture::WriteData(QIODevice* Stream) const {
    if (Stream) Stream->write(FData);
}

void THTMLPicture::LoadFromResourceName(const QString& ResName) {
    for (const QString& name : {ResName, asciiUpper(ResName)}) {
        const QString path = QStringLiteral(":/") + name;
        if (!QFileInfo(path).isFile()) continue;
        QFile file(path);
        if (file.open(QIODevice::ReadOnly)) LoadFromStream(&file);
        return;
    }
}

void THTMLPicture::LoadFromResourceID(int ResID) {
    const QString path = QStringLiteral(":/") + QString::number(ResID);
    QFile file(path);
    if (!QFileInfo(path).isFile() || !file.open(QIODevice::ReadOnly)) plat::throwResNotFound(QString::number(ResID));
    LoadFromStream(&file);
}

void THTMLPicture::LoadFromURL(const QString& URL) {
    const QString upper = asciiUpper(URL);
    if (upper.startsWith(QLatin1String("RES://"))) {
        FID = URL;
        const QString name = URL.mid(6);
        if (!name.isEmpty()) LoadFromResourceName(name);
    } else if (upper.startsWith(QLatin1String("FILE://"))) {
        FID = URL;
        const QString path = URL.mid(7);
        if (!path.isEmpty()) LoadFromFile(path);
    } else {
        // Nothing is downloaded, asynchronously or not: the picture keeps the URL and stays empty.
        FURL = URL;
        FID = URL;
    }
}

void THTMLPicture::Draw(plat::TCanvas& Canvas, const plat::TRect& Rect) const {
    if (FIsEmpty || FImage.isNull()) return;
    QPainter* p = Canvas.Painter();
    if (!p) return;
    if (FStretched) {
        if (Rect.IsEmpty()) return;
        p->drawImage(Rect.toQRect(), FImage);
        return;
    }
    // Natural size: the HIMETRIC size at the device's resolution.
    const QPaintDevice* device = p->device();
    const int w = HimetricToPixels(HimetricWidth(), device->logicalDpiX());
    const int h = HimetricToPixels(HimetricHeight(), device->logicalDpiY());
    if (w <= 0 || h <= 0) return;
    if (w == FImage.width() && h == FImage.height())
        p->drawImage(QPoint(Rect.Left, Rect.Top), FImage);
    else
        p->drawImage(QRect(Rect.Left, Rect.Top, w, h), FImage);
}

int THTMLPicture::HimetricWidth() const { return FImage.isNull() ? 0 : PixelsToHimetric(FImage.width()); }

int THTMLPicture::HimetricHeight() const { return FImage.isNull() ? 0 : PixelsToHimetric(FImage.height()); }

int THTMLPicture::Width() const { return HimetricToPixels(HimetricWidth(), FLogPixX); }

int THTMLPicture::Height() const { return HimetricToPixels(HimetricHeight(), FLogPixY); }

int THTMLPicture::MaxWidth() const {
    if (FImage.isNull()) return 0;
    return FAnimMaxX != 0 ? FAnimMaxX : Width();
}

int THTMLPicture::MaxHeight() const {
    if (FImage.isNull()) return 0;
    return FAnimMaxY != 0 ? FAnimMaxY : Height();
}

bool THTMLPicture::IsGIF() const { return FData.size() >= 5 && FData.startsWith("GIF8"); }

int THTMLPicture::FrameCount() {
    if (FFrameCount != -1) return FFrameCount;
    if (!IsGIF()) return -1;
    FFrameCount = GifBytes(FData).frameCount();
    return FFrameCount;
}

int THTMLPicture::GetFrameTime(int i) const {
    if (!IsGIF()) return -1;
    const GifBytes gif(FData);
    const qsizetype p = gif.framePos(i);
    return p < 0 ? -1 : gif.u16(p + 4);
}

void THTMLPicture::SetFrame(int Value) {
    FFrame = Value;
    if (FData.isEmpty()) return;
    decodePicture();
    if (OnFrameChange) OnFrameChange(this);
}

void THTMLPicture::FrameNext() { FFrame = FFrame < FrameCount() ? FFrame + 1 : 1; }

void THTMLPicture::FramePrev() { FFrame = FFrame > 1 ? FFrame - 1 : FrameCount(); }

bool THTMLPicture::Step() {
    if (FFrameCount < 2 || FIsEmpty) return false;
    if (FNextCount == -1) FNextCount = GetFrameTime(FFrame);
    bool stepped = false;
    if (FTimerCount * 10 >= FNextCount) {
        FrameNext();
        decodePicture();
        FNextCount += GetFrameTime(FFrame);
        stepped = true;
    }
    ++FTimerCount;
    return stepped;
}

// ---- THTMLPictureCache ----

THTMLPicture* THTMLPictureCache::AddPicture() {
    FItems.push_back(std::make_unique<THTMLPicture>());
    return FItems.back().get();
}

THTMLPicture* THTMLPictureCache::FindPicture(const QString& ID) const {
    for (const auto& picture : FItems)
        if (picture->ID() == ID) return picture.get();
    return nullptr;
}

void THTMLPictureCache::ClearPictures() { FItems.clear(); }

bool THTMLPictureCache::Animate() {
    bool any = false;
    for (const auto& picture : FItems)
        if (picture->Step()) any = true;
    return any;
}

THTMLPicture* THTMLPictureCache::Items(int Index) const {
    if (Index < 0 || Index >= Count()) plat::throwListIndexError(Index);
    return FItems[std::size_t(Index)].get();
}

void THTMLPictureCache::SetItems(int Index, std::unique_ptr<THTMLPicture> Value) {
    if (Index < 0 || Index >= Count()) plat::throwListIndexError(Index);
    FItems[std::size_t(Index)] = std::move(Value);
}

// ---- TPictureItem, TPictureCollection, TPictureContainer ----

TPictureItem::TPictureItem() : FPicture(std::make_unique<THTMLPicture>()) {}

TPictureItem::~TPictureItem() = default;

void TPictureItem::Assign(const plat::TCollectionItem* Source) {
    const auto* item = dynamic_cast<const TPictureItem*>(Source);
    if (!item) plat::throwInvalidCast();
    if (item == this) return;
    FName = item->FName;
    FTag = item->FTag;
    FPicture->Assign(item->FPicture.get());
}

bool TPictureCollection::Animate() {
    bool any = false;
    for (int i = 0; i < Count(); ++i)
        if (Items(i).Picture().Step()) any = true;
    return any;
}

TPictureContainer::TPictureContainer(QObject* Owner)
    : QObject(Owner), FItems(std::make_unique<TPictureCollection>(this)) {}

TPictureContainer::~TPictureContainer() = default;

void TPictureContainer::SetItems(const TPictureCollection& Value) {
    if (&Value == FItems.get()) return;
    // Built aside first, so a picture that fails to copy leaves the container as it was.
    auto copy = std::make_unique<TPictureCollection>(this);
    for (int i = 0; i < Value.Count(); ++i) copy->Add().Assign(&Value.Items(i));
    FItems = std::move(copy);
}

THTMLPicture* TPictureContainer::FindPicture(const QString& Name) const {
    for (int i = 0; i < FItems->Count(); ++i) {
        TPictureItem& item = FItems->Items(i);
        if (sameIgnoringAsciiCase(item.Name(), Name)) return &item.Picture();
    }
    return nullptr;
}
