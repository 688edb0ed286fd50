// The pictures of the mini-HTML: decoding, GIF frames and stepping, loading by URL and resource,
// assignment, and the cache and container that hand pictures to the renderer.
#include "controls/PictureContainer.h"
#include "tests/controls/GifWriter.h"
#include "tests/support/AllocationProbe.h"
#include "tests/support/TestSupport.h"

#include <QBuffer>
#include <QFile>
#include <QImage>
#include <QTemporaryDir>
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

namespace {

using gifwriter::makeGif;
using testing_support::AllocationProbe;

// Larger than any block the refusal itself needs, far smaller than the pixels or bytes refused.
constexpr std::size_t kSmallBlock = 1024 * 1024;
using gifwriter::threeFrameGif;

QByteArray pngBytes(int w, int h, QColor color) {
    QImage image(w, h, QImage::Format_RGB32);
    image.fill(color);
    QByteArray bytes;
    QBuffer buffer(&bytes);
    buffer.open(QIODevice::WriteOnly);
    image.save(&buffer, "PNG");
    return bytes;
}

void load(THTMLPicture& picture, const QByteArray& bytes) {
    QBuffer buffer;
    buffer.setData(bytes);
    buffer.open(QIODevice::ReadOnly);
    picture.LoadFromStream(&buffer);
}

QString loadError(THTMLPicture& picture, const QByteArray& bytes) {
    try {
        load(picture, bytes);
    } catch (const plat::Error& e) {
        return e.message();
    }
    return {};
}

bool hasColor(const QImage& image, QRgb color) {
    for (int y = 0; y < image.height(); ++y)
        for (int x = 0; x < image.width(); ++x)
            if ((image.pixel(x, y) & 0xFFFFFF) == (color & 0xFFFFFF)) return true;
    return false;
}

constexpr QRgb kRed = 0xFF0000, kGreen = 0x00FF00, kBlue = 0x0000FF;

TEST(HTMLPicture, ThreeFrameGifSelectsAndWalksFrames) {
    THTMLPicture picture;
    int frameChanges = 0;
    picture.OnFrameChange = [&](QObject* sender) {
        EXPECT_EQ(sender, &picture);
        ++frameChanges;
    };
    load(picture, threeFrameGif());
    ASSERT_FALSE(picture.Empty());
    EXPECT_TRUE(picture.IsGIF());
    EXPECT_EQ(picture.FrameCount(), 3);
    EXPECT_EQ(picture.GetFrameTime(1), 30);
    EXPECT_EQ(picture.GetFrameTime(2), 10);
    EXPECT_EQ(picture.GetFrameTime(3), 20);
    EXPECT_EQ(picture.GetFrameTime(0), -1);
    EXPECT_EQ(picture.GetFrameTime(4), -1);
    EXPECT_EQ(picture.MaxWidth(), 8);
    EXPECT_EQ(picture.MaxHeight(), 6);
    // Frame 1: the whole red screen, its descriptor read.
    EXPECT_EQ(picture.Image().pixel(0, 0) & 0xFFFFFF, kRed);
    EXPECT_EQ(picture.FrameXSize(), 8);

    picture.SetFrame(2);
    EXPECT_EQ(frameChanges, 1);
    EXPECT_EQ(picture.FrameXPos(), 2);
    EXPECT_EQ(picture.FrameYPos(), 1);
    EXPECT_EQ(picture.FrameXSize(), 3);
    EXPECT_EQ(picture.FrameYSize(), 2);
    // The first frame is cut out: nothing red is left, and the green patch stands at its place.
    EXPECT_FALSE(hasColor(picture.Image(), kRed));
    EXPECT_EQ(picture.Image().pixel(2, 1) & 0xFFFFFF, kGreen);
    EXPECT_EQ(picture.Image().pixel(4, 2) & 0xFFFFFF, kGreen);

    picture.SetFrame(3);
    EXPECT_EQ(picture.FrameXPos(), 4);
    EXPECT_EQ(picture.FrameYPos(), 2);
    EXPECT_FALSE(hasColor(picture.Image(), kGreen));
    EXPECT_EQ(picture.Image().pixel(5, 4) & 0xFFFFFF, kBlue);

    picture.FrameNext();
    EXPECT_EQ(picture.Frame(), 1);
    picture.FramePrev();
    EXPECT_EQ(picture.Frame(), 3);
    picture.FramePrev();
    EXPECT_EQ(picture.Frame(), 2);
    EXPECT_EQ(frameChanges, 2);  // FrameNext and FramePrev do not decode
}

TEST(HTMLPicture, StepFollowsTheFrameDelays) {
    THTMLPicture picture;
    load(picture, threeFrameGif());
    // Ticks -1, 0, 1, 2 stay on frame 1 (delay 30); tick 3 reaches 30; frame 2 lasts 10, frame 3 20.
    const struct {
        bool changed;
        int frame;
    } steps[] = {{false, 1}, {false, 1}, {false, 1}, {false, 1}, {true, 2},
                 {true, 3},  {false, 3}, {true, 1},  {false, 1}, {false, 1}};
    for (std::size_t i = 0; i < std::size(steps); ++i) {
        EXPECT_EQ(picture.Step(), steps[i].changed) << "call " << i + 1;
        EXPECT_EQ(picture.Frame(), steps[i].frame) << "call " << i + 1;
    }
    EXPECT_EQ(picture.TimerCount(), 9);
    EXPECT_FALSE(hasColor(picture.Image(), kGreen));  // back on frame 1, decoded
    EXPECT_EQ(picture.Image().pixel(0, 0) & 0xFFFFFF, kRed);

    THTMLPicture still;
    load(still, makeGif(4, 4, {{50, 0, 0, 4, 4, 2}}));
    ASSERT_EQ(still.FrameCount(), 1);
    for (int i = 0; i < 5; ++i) EXPECT_FALSE(still.Step());
    EXPECT_EQ(still.TimerCount(), -1);

    THTMLPicture png;
    load(png, pngBytes(3, 3, Qt::red));
    EXPECT_FALSE(png.Step());
    EXPECT_EQ(png.TimerCount(), -1);
}

TEST(HTMLPicture, EveryCutOfTheGifDecodesOrFailsCleanly) {
    const QByteArray gif = threeFrameGif();
    for (qsizetype len = 0; len <= gif.size(); ++len) {
        const QByteArray cut = gif.left(len);
        THTMLPicture picture;
        const QString error = loadError(picture, cut);
        EXPECT_TRUE(error.isEmpty() || error == QStringLiteral("Could not load image. Invalid format") ||
                    error == QStringLiteral("Could not load image"))
            << len << ": " << error.toStdString();
        const int frames = picture.FrameCount();
        EXPECT_LE(frames, 3) << len;
        for (int i = 1; i <= std::max(frames, 1) + 1; ++i) {
            (void)picture.GetFrameTime(i);
            try {
                picture.SetFrame(i);
            } catch (const plat::Error&) {
            }
        }
        for (int i = 0; i < 8; ++i) {
            try {
                picture.Step();
            } catch (const plat::Error&) {
            }
        }
        EXPECT_EQ(picture.Data(), cut);
    }
}

TEST(HTMLPicture, FrameWalkNeedsTheWholeDescriptor) {
    // A frame header whose image descriptor runs past the end is not a frame.
    QByteArray data("GIF89a");
    data.append(QByteArray(7, '\0'));
    const QByteArray frame("\x21\xF9\x04\x00\x07\x00\x00\x00\x2C\x01\x00\x02\x00\x03\x00\x04\x00", 17);
    for (int keep = 9; keep <= 17; ++keep) {
        THTMLPicture picture;
        (void)loadError(picture, data + frame.left(keep));
        EXPECT_EQ(picture.FrameCount(), keep == 17 ? 1 : 0) << keep;
        EXPECT_EQ(picture.GetFrameTime(1), keep == 17 ? 7 : -1) << keep;
    }
}

TEST(HTMLPicture, GifSignatureNeedsFiveBytes) {
    const struct {
        QByteArray data;
        bool gif;
    } cases[] = {{"GIF8", false}, {"GIF8a", true}, {"GIF", false}, {"gif89a", false}, {"", false}};
    for (const auto& c : cases) {
        THTMLPicture picture;
        (void)loadError(picture, c.data);
        EXPECT_EQ(picture.IsGIF(), c.gif) << c.data.constData();
        if (!c.gif) EXPECT_EQ(picture.FrameCount(), -1) << c.data.constData();
    }
}

TEST(HTMLPicture, TextFileIsEmptyFromFileButAnErrorFromStream) {
    testing_support::TempAppDir dir;
    const QByteArray text = "just a line of text\r\n";
    testing_support::writeAll(dir.file("notes.txt"), text);

    THTMLPicture fromFile;
    int changes = 0;
    fromFile.OnChange = [&](QObject*) { ++changes; };
    EXPECT_NO_THROW(fromFile.LoadFromFile(dir.file("notes.txt")));
    EXPECT_TRUE(fromFile.Empty());
    EXPECT_EQ(fromFile.Width(), 0);
    EXPECT_EQ(changes, 0);
    EXPECT_NO_THROW(fromFile.LoadFromFile(dir.file("missing.png")));
    EXPECT_TRUE(fromFile.Empty());

    THTMLPicture fromStream;
    EXPECT_EQ(loadError(fromStream, text), QStringLiteral("Could not load image. Invalid format"));
    EXPECT_FALSE(fromStream.Empty());  // loaded, but nothing decoded: draws nothing and measures 0
    EXPECT_EQ(fromStream.Width(), 0);
    EXPECT_EQ(fromStream.MaxWidth(), 0);
    // A metafile header is no picture here either.
    EXPECT_EQ(loadError(fromStream, QByteArray("\xD7\xCD\xC6\x9A\0\0\0\0\0\0\0\0\0\0\0\0", 16)),
              QStringLiteral("Could not load image. Invalid format"));

    // A picture loaded over a good one that then fails leaves nothing of the old one.
    testing_support::writeAll(dir.file("good.png"), pngBytes(4, 4, Qt::blue));
    fromFile.LoadFromFile(dir.file("good.png"));
    EXPECT_FALSE(fromFile.Empty());
    EXPECT_EQ(changes, 1);
    fromFile.LoadFromFile(dir.file("notes.txt"));
    EXPECT_TRUE(fromFile.Empty());
    EXPECT_EQ(fromFile.Width(), 0);
    EXPECT_TRUE(fromFile.Data().isEmpty());
}

TEST(HTMLPicture, DecodesTheListedFormatsOnly) {
    QImage source(5, 4, QImage::Format_RGB32);
    source.fill(Qt::blue);
    const struct {
        const char* format;
        TPictureDecodeResult result;
    } cases[] = {
        {"BMP", TPictureDecodeResult::Ok},           {"ICO", TPictureDecodeResult::Ok},
        {"JPEG", TPictureDecodeResult::Ok},          {"PNG", TPictureDecodeResult::Ok},
        {"PPM", TPictureDecodeResult::InvalidFormat},  // Qt reads these, pictures here do not
        {"XPM", TPictureDecodeResult::InvalidFormat},
        {"XBM", TPictureDecodeResult::InvalidFormat},
    };
    for (const auto& c : cases) {
        QByteArray bytes;
        QBuffer buffer(&bytes);
        buffer.open(QIODevice::WriteOnly);
        ASSERT_TRUE(source.save(&buffer, c.format)) << c.format;
        QImage image;
        EXPECT_EQ(DecodePictureData(bytes, image), c.result) << c.format;
        if (c.result == TPictureDecodeResult::Ok) EXPECT_EQ(image.size(), QSize(5, 4)) << c.format;
    }
    QImage gif;
    EXPECT_EQ(DecodePictureData(threeFrameGif(), gif), TPictureDecodeResult::Ok);
    EXPECT_EQ(gif.size(), QSize(8, 6));
}

TEST(HTMLPicture, PicturesTooLargeToDecodeAreRefused) {
    // Headers that claim a huge picture in a few bytes are refused before anything is allocated:
    // by the size check when the header tells the size, else by the reader's allocation limit.
    QByteArray hugeGif = makeGif(4, 4, {{0, 0, 0, 4, 4, 1}});
    hugeGif[6] = hugeGif[7] = hugeGif[8] = hugeGif[9] = char(0xFF);  // 65535 x 65535 screen
    QByteArray hugeJpeg;
    {
        QImage small(2, 2, QImage::Format_RGB32);
        small.fill(Qt::red);
        QBuffer buffer(&hugeJpeg);
        buffer.open(QIODevice::WriteOnly);
        small.save(&buffer, "JPEG");
    }
    const qsizetype sof = hugeJpeg.indexOf(QByteArray("\xFF\xC0", 2));
    ASSERT_GT(sof, 0);
    // Above our limit yet within the reader's own: only the size check keeps its pixels unallocated.
    QByteArray largeJpeg = hugeJpeg;
    largeJpeg.replace(sof + 5, 4, QByteArray("\x13\x88\x13\x88", 4));  // 5000 x 5000, 100 MB of pixels
    hugeJpeg.replace(sof + 5, 4, QByteArray("\x75\x30\x75\x30", 4));  // 30000 x 30000
    const struct {
        const char* name;
        QByteArray bytes;
        const char* error;
    } cases[] = {
        {"GIF screen of 65535 x 65535", hugeGif, "Could not load image. Invalid format"},
        {"JPEG of 30000 x 30000", hugeJpeg, "Could not load image"},
        {"JPEG of 5000 x 5000", largeJpeg, "Could not load image"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        THTMLPicture picture;
        const AllocationProbe probe;
        EXPECT_EQ(loadError(picture, c.bytes), QString::fromLatin1(c.error));
        EXPECT_EQ(picture.Width(), 0);
        if (AllocationProbe::Available()) EXPECT_LT(probe.Largest(), kSmallBlock) << "no pixels were allocated";
    }
    QImage image;
    EXPECT_EQ(DecodePictureData(pngBytes(1000, 1000, Qt::red), image), TPictureDecodeResult::Ok);
    EXPECT_EQ(image.width(), 1000);
}

TEST(HTMLPicture, SizeInHimetricAtNinetySixPerInch) {
    for (int px : {1, 2, 5, 37, 96, 100, 1000}) {
        THTMLPicture picture;
        load(picture, pngBytes(px, 3, Qt::green));
        EXPECT_EQ(picture.HimetricWidth(), (px * 2540 * 2 + 96) / 192) << px;
        EXPECT_EQ(picture.Width(), px);
        EXPECT_EQ(picture.Height(), 3);
        EXPECT_EQ(picture.MaxWidth(), px);  // not a GIF: its own size
    }
    EXPECT_EQ(HimetricToPixels(2540), 96);
    EXPECT_EQ(HimetricToPixels(2540, 192), 192);
    EXPECT_EQ(PixelsToHimetric(96), 2540);
}

TEST(HTMLPicture, DrawsAtNaturalSizeOrStretched) {
    THTMLPicture picture;
    load(picture, pngBytes(4, 3, Qt::red));
    QImage target(20, 20, QImage::Format_RGB32);
    const auto paint = [&](bool stretch, plat::TRect r) {
        target.fill(Qt::white);
        picture.SetStretch(stretch);
        plat::TCanvas canvas(&target);
        picture.Draw(canvas, r);
    };
    const auto red = [&](int x, int y) { return (target.pixel(x, y) & 0xFFFFFF) == kRed; };

    paint(false, plat::Rect(2, 3, 4, 4));  // natural size, whatever the rectangle
    EXPECT_TRUE(red(2, 3));
    EXPECT_TRUE(red(5, 5));
    EXPECT_FALSE(red(6, 5));
    EXPECT_FALSE(red(5, 6));

    paint(true, plat::Rect(2, 3, 12, 13));
    EXPECT_TRUE(red(2, 3));
    EXPECT_TRUE(red(11, 12));
    EXPECT_FALSE(red(12, 12));
    EXPECT_FALSE(red(11, 13));

    THTMLPicture empty;
    target.fill(Qt::white);
    plat::TCanvas canvas(&target);
    empty.Draw(canvas, plat::Rect(0, 0, 20, 20));
    canvas.Release();
    EXPECT_FALSE(hasColor(target, 0x000000));
}

TEST(HTMLPicture, LoadFromUrl) {
    testing_support::TempAppDir dir;
    testing_support::writeAll(dir.file("pic.png"), pngBytes(6, 2, Qt::blue));
    const QString fileUrl = QStringLiteral("file://") + dir.file("pic.png");
    const struct {
        QString url;
        bool asynch;
        bool loaded;
        int width;
        bool keepsUrl;
    } cases[] = {
        {QStringLiteral("res://LOGO"), true, true, 5, false},
        {QStringLiteral("RES://logo"), true, true, 5, false},  // resource names ignore case
        {QStringLiteral("res://NOPE"), true, false, 0, false},
        {QStringLiteral("RES://"), true, false, 0, false},
        {QStringLiteral("FILE://"), true, false, 0, false},
        {fileUrl, true, true, 6, false},
        {QStringLiteral("FILE:///dev/zero"), true, false, 0, false},
        {QStringLiteral("http://example.invalid/a.png"), false, false, 0, true},
        {QStringLiteral("http://example.invalid/a.png"), true, false, 0, true},  // nothing downloads
    };
    for (const auto& c : cases) {
        THTMLPicture picture;
        picture.SetAsynch(c.asynch);
        picture.LoadFromURL(c.url);
        EXPECT_EQ(picture.ID(), c.url) << c.url.toStdString();
        EXPECT_EQ(!picture.Empty(), c.loaded) << c.url.toStdString();
        EXPECT_EQ(picture.Width(), c.width) << c.url.toStdString();
        EXPECT_EQ(picture.URL(), c.keepsUrl ? c.url : QString()) << c.url.toStdString();
        EXPECT_FALSE(picture.Busy()) << c.url.toStdString();
    }

    THTMLPictureCache cache;
    THTMLPicture* remote = cache.AddPicture();
    remote->SetAsynch(false);
    remote->LoadFromURL(QStringLiteral("http://Example/A.png"));
    cache.AddPicture()->LoadFromURL(QStringLiteral("res://LOGO"));
    EXPECT_EQ(cache.FindPicture(QStringLiteral("http://Example/A.png")), remote);
    EXPECT_EQ(cache.FindPicture(QStringLiteral("http://example/a.png")), nullptr);
    EXPECT_EQ(cache.FindPicture(QStringLiteral("res://LOGO")), cache.Items(1));
    EXPECT_EQ(cache.FindPicture(QStringLiteral("res://logo")), nullptr);
}

TEST(HTMLPicture, DevicesPipesAndHugeFilesAreRefusedAtOnce) {
    QTemporaryDir dir;
    const QString fifo = dir.filePath(QStringLiteral("pipe.png"));
    ASSERT_EQ(::mkfifo(QFile::encodeName(fifo).constData(), 0600), 0);
    const QString huge = dir.filePath(QStringLiteral("huge.png"));
    {
        QFile f(huge);
        ASSERT_TRUE(f.open(QIODevice::WriteOnly));
        ASSERT_TRUE(f.resize(kMaxPictureFileSize + 1));  // sparse: nothing is written
    }
    const struct {
        QString path;
        TPictureReadResult result;
    } cases[] = {
        {QStringLiteral("/dev/zero"), TPictureReadResult::NotRegular},
        {fifo, TPictureReadResult::NotRegular},
        {dir.path(), TPictureReadResult::NotRegular},
        {huge, TPictureReadResult::TooLarge},
        {dir.filePath(QStringLiteral("none.png")), TPictureReadResult::OpenFailed},
        {QString(), TPictureReadResult::OpenFailed},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.path.toStdString());
        const AllocationProbe probe;
        QByteArray data;
        QString error;
        EXPECT_EQ(ReadPictureFile(c.path, data, error), c.result) << c.path.toStdString();
        EXPECT_FALSE(error.isEmpty());
        EXPECT_TRUE(data.isEmpty());
        THTMLPicture picture;
        picture.LoadFromURL(QStringLiteral("FILE://") + c.path);
        EXPECT_TRUE(picture.Empty());
        // Nothing of the refused file was read: no buffer for its bytes was allocated.
        if (AllocationProbe::Available()) EXPECT_LT(probe.Largest(), kSmallBlock);
    }
}

TEST(HTMLPicture, ResourcesByNameAndNumber) {
    THTMLPicture picture;
    picture.LoadFromResourceID(7);
    EXPECT_EQ(picture.Width(), 5);
    EXPECT_EQ(picture.Height(), 3);
    try {
        picture.LoadFromResourceID(8);
        ADD_FAILURE() << "no error for a missing resource";
    } catch (const plat::EResNotFound& e) {
        EXPECT_EQ(e.message(), QStringLiteral("Resource 8 not found"));
    }
    EXPECT_EQ(picture.Width(), 5);  // unchanged

    THTMLPicture none;
    none.LoadFromResourceName(QStringLiteral("NOPE"));
    none.LoadFromResourceName(QString());  // the root of the resources is no picture
    EXPECT_TRUE(none.Empty());
}

TEST(HTMLPicture, AssignCopiesBytesAndStartsAtFrameOne) {
    THTMLPicture source;
    load(source, threeFrameGif());
    source.SetFrame(3);

    THTMLPicture target;
    load(target, pngBytes(2, 2, Qt::red));
    int changes = 0;
    target.OnChange = [&](QObject*) { ++changes; };
    target.Assign(&source);
    EXPECT_EQ(changes, 1);
    EXPECT_EQ(target.Data(), source.Data());
    EXPECT_EQ(target.Frame(), 1);
    EXPECT_EQ(target.FrameCount(), 3);
    EXPECT_EQ(target.Image().pixel(0, 0) & 0xFFFFFF, kRed);

    QObject foreign;
    target.Assign(&foreign);
    EXPECT_TRUE(target.Empty());
    EXPECT_EQ(target.Width(), 0);

    target.Assign(&source);
    target.Assign(nullptr);
    EXPECT_TRUE(target.Empty());
    EXPECT_TRUE(target.Data().isEmpty());

    // Bytes that could not be decoded do not stop a good picture from being assigned.
    THTMLPicture broken;
    EXPECT_FALSE(loadError(broken, "not a picture").isEmpty());
    EXPECT_NO_THROW(broken.Assign(&source));
    EXPECT_EQ(broken.Width(), 8);

    // A new load counts its own frames.
    load(target, threeFrameGif());
    EXPECT_EQ(target.FrameCount(), 3);
    load(target, makeGif(4, 4, {{5, 0, 0, 4, 4, 3}}));
    EXPECT_EQ(target.FrameCount(), 1);
}

TEST(HTMLPicture, StreamedBytesStayExactlyAsLoaded) {
    const QByteArray gif = threeFrameGif();
    THTMLPicture picture;
    int changes = 0;
    picture.OnChange = [&](QObject*) { ++changes; };
    QBuffer in;
    in.setData(gif);
    in.open(QIODevice::ReadOnly);
    in.seek(5);  // the whole stream is read, wherever it stands
    picture.ReadData(&in);
    EXPECT_EQ(changes, 0);
    picture.SetFrame(2);  // selecting a frame changes what is decoded, not what is kept
    QByteArray out;
    QBuffer sink(&out);
    sink.open(QIODevice::WriteOnly);
    picture.WriteData(&sink);
    picture.SaveToStream(&sink);
    EXPECT_EQ(out, gif + gif);
    picture.LoadFromStream(nullptr);
    picture.WriteData(nullptr);
    EXPECT_EQ(changes, 0);
}

TEST(PictureContainer, ItemsAssignAndFind) {
    TPictureContainer container;
    TPictureItem& logo = container.Items().Add();
    logo.SetName(QStringLiteral("Logo"));
    logo.SetTag(4);
    logo.Picture().LoadFromResourceName(QStringLiteral("LOGO"));
    TPictureItem& accent = container.Items().Add();
    accent.SetName(QStringLiteral("\u00c9t\u00e9"));
    EXPECT_EQ(container.Items().GetOwner(), &container);

    EXPECT_EQ(container.FindPicture(QStringLiteral("logo")), &logo.Picture());
    EXPECT_EQ(container.FindPicture(QStringLiteral("LOGO")), &logo.Picture());
    EXPECT_EQ(container.FindPicture(QStringLiteral("\u00c9t\u00e9")), &accent.Picture());
    EXPECT_EQ(container.FindPicture(QStringLiteral("\u00e9t\u00e9")), nullptr);  // ASCII letters only
    EXPECT_EQ(container.FindPicture(QStringLiteral("Logo2")), nullptr);

    // An item takes only an item; anything else leaves it as it was.
    struct OtherItem : plat::TCollectionItem {};
    plat::TCollection<OtherItem> others;
    TPictureItem& copy = container.Items().Add();
    try {
        copy.Assign(&others.Add());
        ADD_FAILURE() << "no error for another class";
    } catch (const plat::EInvalidCast& e) {
        EXPECT_EQ(e.message(), QStringLiteral("Invalid class typecast"));
    }
    EXPECT_THROW(copy.Assign(nullptr), plat::EInvalidCast);
    EXPECT_TRUE(copy.Name().isEmpty());
    EXPECT_TRUE(copy.Picture().Empty());
    container.Items().SetItems(2, logo);
    EXPECT_EQ(copy.Name(), QStringLiteral("Logo"));
    EXPECT_EQ(copy.Tag(), 4);
    EXPECT_EQ(copy.Picture().Width(), 5);
    EXPECT_NE(&copy.Picture(), &logo.Picture());

    // Setting Items copies them; the container keeps its own collection.
    TPictureCollection given;
    TPictureItem& anim = given.Add();
    anim.SetName(QStringLiteral("Anim"));
    QBuffer gif;
    gif.setData(threeFrameGif());
    gif.open(QIODevice::ReadOnly);
    anim.Picture().LoadFromStream(&gif);
    TPictureCollection* own = &container.Items();
    container.SetItems(given);
    ASSERT_EQ(container.Items().Count(), 1);
    EXPECT_NE(&container.Items(), &given);
    EXPECT_EQ(container.Items().GetOwner(), &container);
    anim.SetName(QStringLiteral("Changed"));
    EXPECT_NE(container.FindPicture(QStringLiteral("anim")), nullptr);
    EXPECT_EQ(container.FindPicture(QStringLiteral("Logo")), nullptr);
    container.SetItems(container.Items());
    EXPECT_EQ(container.Items().Count(), 1);
    (void)own;

    // Animation steps every picture.
    int changed = 0;
    for (int i = 0; i < 5; ++i) changed += container.Items().Animate();
    EXPECT_EQ(changed, 1);
    EXPECT_EQ(container.Items().Items(0).Picture().Frame(), 2);
}

TEST(PictureContainer, CacheOwnsItsPictures) {
    THTMLPictureCache cache;
    EXPECT_EQ(cache.FindPicture(QString()), nullptr);
    THTMLPicture* a = cache.AddPicture();
    QBuffer gif;
    gif.setData(threeFrameGif());
    gif.open(QIODevice::ReadOnly);
    a->LoadFromStream(&gif);
    cache.AddPicture()->SetID(QStringLiteral("b"));
    EXPECT_EQ(cache.Count(), 2);
    EXPECT_THROW(cache.Items(2), plat::EListError);
    EXPECT_THROW(cache.Items(-1), plat::EListError);
    bool any = false;
    for (int i = 0; i < 5; ++i) any = cache.Animate() || any;
    EXPECT_TRUE(any);
    auto replacement = std::make_unique<THTMLPicture>();
    replacement->SetID(QStringLiteral("c"));
    cache.SetItems(1, std::move(replacement));
    EXPECT_EQ(cache.FindPicture(QStringLiteral("b")), nullptr);
    EXPECT_EQ(cache.FindPicture(QStringLiteral("c")), cache.Items(1));
    cache.ClearPictures();
    EXPECT_EQ(cache.Count(), 0);
}

// Writes the GIFs above as the fuzz target's seed corpus when PICTURE_SEED_DIR names a folder.
TEST(HTMLPicture, WritesFuzzSeeds) {
    const QString dir = qEnvironmentVariable("PICTURE_SEED_DIR");
    if (dir.isEmpty()) GTEST_SKIP() << "PICTURE_SEED_DIR not set";
    testing_support::writeAll(dir + QStringLiteral("/three_frames.gif"), threeFrameGif());
    testing_support::writeAll(dir + QStringLiteral("/one_frame.gif"), makeGif(4, 4, {{50, 0, 0, 4, 4, 2}}));
    testing_support::writeAll(dir + QStringLiteral("/offset_frames.gif"),
                              makeGif(5, 5, {{0, 4, 4, 2, 2, 1}, {65535, 0, 0, 5, 5, 3}}));
    testing_support::writeAll(dir + QStringLiteral("/cut.gif"), threeFrameGif().left(60));
    testing_support::writeAll(dir + QStringLiteral("/small.png"), pngBytes(3, 2, Qt::red));
}

}  // namespace
