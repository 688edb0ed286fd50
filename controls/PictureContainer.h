#pragma once
// The pictures of the mini-HTML: a picture that keeps the bytes of an image file exactly as loaded
// and decodes them (BMP, ICO, JPEG, GIF, PNG), with frame selection and stepping for animated GIFs;
// a cache of pictures found by ID for sources written as URLs ("RES://name", "FILE://path"); and a
// container of named pictures.
#include "platform/Canvas.h"
#include "platform/Collection.h"
#include "platform/Error.h"
#include "platform/Events.h"

#include <QByteArray>
#include <QImage>
#include <QObject>
#include <QString>
#include <cstdint>
#include <functional>
#include <memory>
#include <vector>

class QIODevice;

// Outside files are read only when they are regular files of at most this size, so a device, a pipe
// or a huge file named in a cell text never hangs or exhausts a paint.
inline constexpr qint64 kMaxPictureFileSize = 32 * 1024 * 1024;
// Pictures whose decoded pixels would take more than this are refused before decoding.
inline constexpr qint64 kMaxPictureDecodeBytes = 64 * 1024 * 1024;

enum class TPictureReadResult { Ok, OpenFailed, NotRegular, TooLarge };
// Reads a regular file of at most kMaxPictureFileSize bytes; a FIFO or a device is refused without
// blocking. On failure Error says why, for messages.
TPictureReadResult ReadPictureFile(const QString& FileName, QByteArray& Data, QString& Error);

enum class TPictureDecodeResult { Ok, InvalidFormat, NoImage };
// Decodes BMP, ICO, JPEG, GIF or PNG bytes (the first image of a GIF); anything else, metafiles
// included, is an invalid format. A picture too large to decode safely gives no image.
TPictureDecodeResult DecodePictureData(const QByteArray& Data, QImage& Image);

// Pixels at 96 per inch to HIMETRIC (0.01 mm) and back, rounded as the system's multiply-divide.
int PixelsToHimetric(int Pixels);
int HimetricToPixels(int Himetric, int PixelsPerInch = 96);

using TDownLoadProgressEvent = std::function<void(QObject* Sender, uint32_t dwSize, uint32_t dwTotSize)>;
using TDownLoadCancelEvent = std::function<void(QObject* Sender, bool& Cancel)>;
using TDownLoadErrorEvent = std::function<void(QObject* Sender, const QString& err)>;

class THTMLPicture : public QObject {
public:
    THTMLPicture();
    ~THTMLPicture() override;

    // From another THTMLPicture: its bytes, decoded at frame 1. From nullptr: empty and no bytes.
    // From any other object: empty.
    void Assign(const QObject* Source);

    // Any failure (missing file, refused file, undecodable bytes) leaves the picture empty.
    void LoadFromFile(const QString& FileName);
    // The whole stream; decode errors reach the caller. Nothing for nullptr.
    void LoadFromStream(QIODevice* Stream);
    void ReadData(QIODevice* Stream);  // as LoadFromStream without OnChange
    void WriteData(QIODevice* Stream) const;
    void SaveToStream(QIODevice* Stream) const { WriteData(Stream); }
    // The program's resources (":/name", then the name in upper case, as resource names ignore
    // case) stand for the picture resources; a missing name loads nothing.
    void LoadFromResourceName(const QString& ResName);
    // The resource ":/<number>"; a missing one raises EResNotFound.
    void LoadFromResourceID(int ResID);
    void LoadFromURL(const QString& URL);

    void Draw(plat::TCanvas& Canvas, const plat::TRect& Rect) const;

    bool Empty() const { return FIsEmpty; }
    int Width() const;
    int Height() const;
    int MaxWidth() const;
    int MaxHeight() const;
    // The decoded picture's size in HIMETRIC; 0 without one.
    int HimetricWidth() const;
    int HimetricHeight() const;
    // The decoded picture (null without one).
    const QImage& Image() const { return FImage; }
    const QByteArray& Data() const { return FData; }

    bool IsGIF() const;
    int FrameCount();
    int GetFrameTime(int i) const;
    int Frame() const { return FFrame; }
    void SetFrame(int Value);
    void FrameNext();
    void FramePrev();
    // One animation tick (10 hundredths of a second); true when the frame changed.
    bool Step();

    bool Stretch() const { return FStretched; }
    void SetStretch(bool Value) { FStretched = Value; }
    bool Busy() const { return FThreadBusy; }
    bool Asynch() const { return FAsynch; }
    void SetAsynch(bool Value) { FAsynch = Value; }
    const QString& ID() const { return FID; }
    void SetID(const QString& Value) { FID = Value; }
    const QString& URL() const { return FURL; }
    bool IsDB() const { return FIsDB; }
    void SetIsDB(bool Value) { FIsDB = Value; }
    uint16_t FrameXPos() const { return FFrameXPos; }
    uint16_t FrameYPos() const { return FFrameYPos; }
    uint16_t FrameXSize() const { return FFrameXSize; }
    uint16_t FrameYSize() const { return FFrameYSize; }
    // Animation steps taken so far (-1 before the first).
    int64_t TimerCount() const { return FTimerCount; }

    plat::TNotifyEvent OnChange;
    plat::TNotifyEvent OnFrameChange;
    // Downloading is not part of this program: nothing raises these.
    TDownLoadProgressEvent OnDownLoadProgress;
    TDownLoadCancelEvent OnDownLoadCancel;
    plat::TNotifyEvent OnDownLoadComplete;
    TDownLoadErrorEvent OnDownLoadError;

private:
    void setData(QByteArray Data);
    void clearPicture();
    void decodePicture();
    void changed();

    QByteArray FData;
    bool FIsEmpty = true;
    bool FStretched = false;
    QImage FImage;
    int FLogPixX = 96, FLogPixY = 96;
    QString FURL, FID;
    bool FIsDB = false;
    bool FAsynch = true;
    bool FThreadBusy = false;
    int FFrame = 1;
    int FFrameCount = -1;
    uint16_t FFrameXPos = 0, FFrameYPos = 0, FFrameXSize = 0, FFrameYSize = 0;
    uint16_t FAnimMaxX = 0, FAnimMaxY = 0;
    int64_t FNextCount = -1;
    int64_t FTimerCount = -1;
};

// Pictures for URL sources, owned by the cache and found by their exact ID.
class THTMLPictureCache {
public:
    THTMLPictureCache() = default;
    ~THTMLPictureCache() { ClearPictures(); }
    THTMLPictureCache(const THTMLPictureCache&) = delete;
    THTMLPictureCache& operator=(const THTMLPictureCache&) = delete;

    int Count() const { return int(FItems.size()); }
    THTMLPicture* AddPicture();
    THTMLPicture* FindPicture(const QString& ID) const;  // case-sensitive; nullptr when none
    void ClearPictures();
    // Steps every picture; true when any changed frame.
    bool Animate();
    THTMLPicture* Items(int Index) const;
    // Replaces the entry (the cache owns the new picture and frees the old one).
    void SetItems(int Index, std::unique_ptr<THTMLPicture> Value);

private:
    std::vector<std::unique_ptr<THTMLPicture>> FItems;
};

class TPictureItem : public plat::TCollectionItem {
public:
    TPictureItem();
    ~TPictureItem() override;

    // Requires a TPictureItem (anything else raises EInvalidCast and changes nothing): copies Name,
    // Tag and the picture.
    void Assign(const plat::TCollectionItem* Source);

    THTMLPicture& Picture() { return *FPicture; }
    const THTMLPicture& Picture() const { return *FPicture; }
    void SetPicture(const THTMLPicture* Value) { FPicture->Assign(Value); }
    int32_t Tag() const { return FTag; }
    void SetTag(int32_t Value) { FTag = Value; }
    const QString& Name() const { return FName; }
    void SetName(const QString& Value) { FName = Value; }

private:
    std::unique_ptr<THTMLPicture> FPicture;
    int32_t FTag = 0;
    QString FName;
};

class TPictureCollection : public plat::TCollection<TPictureItem> {
public:
    explicit TPictureCollection(QObject* Owner = nullptr) : FOwner(Owner) {}
    QObject* GetOwner() const { return FOwner; }
    TPictureItem& Add() { return TCollection::Add(); }
    TPictureItem& Insert(int Index) { return TCollection::Insert(Index); }
    // Writing an entry assigns the given item into it.
    void SetItems(int Index, const TPictureItem& Value) { Items(Index).Assign(&Value); }
    bool Animate();

private:
    QObject* FOwner;
};

// A component holding named pictures; it keeps exactly one collection, its own.
class TPictureContainer : public QObject {
public:
    explicit TPictureContainer(QObject* Owner = nullptr);
    ~TPictureContainer() override;

    TPictureCollection& Items() { return *FItems; }
    const TPictureCollection& Items() const { return *FItems; }
    // Copies the given items into the container's own collection.
    void SetItems(const TPictureCollection& Value);
    // The picture of the first item whose name equals Name, ASCII letters compared without regard
    // to case; nullptr when none.
    virtual THTMLPicture* FindPicture(const QString& Name) const;

private:
    std::unique_ptr<TPictureCollection> FItems;
};
