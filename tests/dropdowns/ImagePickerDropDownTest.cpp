// The image picker drop-down: filling it from an image list and from a folder, ItemIndex and
// ImageIndex, the keys with the pop-up closed and open, type-ahead over captions, and the face.
#include <gtest/gtest.h>

#include <QApplication>
#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>
#include <QWheelEvent>
#include <QWidget>
#include <memory>
#include <vector>

#include "dropdowns/DovUzerAdevForm.h"
#include "dropdowns/ExImagePickerDropDown.h"
#include "platform/ImageList.h"

using namespace plat;
using namespace dropdowns;

namespace {

class FakeClock final : public plat::Clock {
public:
    int64_t now = 1'000'000;
    int64_t nowMs() override { return now; }
    void sleepMs(int ms) override { now += ms; }
};

TBitmap solid(int w, int h, QColor c) {
    QImage img(w, h, QImage::Format_RGB32);
    img.fill(c);
    TBitmap b;
    b.SetImage(img);
    return b;
}

struct Picker {
    FakeClock clock;
    QWidget window;
    TImageList images{16, 16};
    TExImagePickerDropDown* edit;
    QStringList events;
    Picker() {
        TExCustomDropDown::SetClock(&clock);
        edit = TExCustomDropDown::CreateDropDown<TExImagePickerDropDown>(&window);
        for (QColor c : {Qt::red, Qt::green, Qt::blue, Qt::yellow, Qt::cyan}) images.Add(solid(16, 16, c));
        edit->SetImages(&images);
        edit->OnChange = [this](QObject*) { events << "change"; };
        edit->OnSelect = [this](QObject* sender) {
            EXPECT_EQ(sender, edit);
            events << "select";
        };
        edit->setGeometry(10, 10, 150, 24);
        window.resize(300, 100);
        window.move(100, 100);
        window.show();
        QApplication::setActiveWindow(&window);
        edit->setFocus();
    }
    ~Picker() {
        delete edit;
        TExCustomDropDown::SetClock(nullptr);
    }
    void captions(std::initializer_list<const char*> texts) {
        for (const char* t : texts) {
            TImageItem& item = edit->Items().Add();
            item.SetCaption(QString::fromLatin1(t));
            item.SetImageIndex(edit->Items().Count() - 1);
        }
    }
    void type(Qt::Key key, QWidget* target = nullptr) {
        QTest::keyClick(target ? target : static_cast<QWidget*>(edit), key);
        QApplication::processEvents();
    }
    void openPopup() {
        QApplication::processEvents();  // a pending activation of the window would close the pop-up
        QTest::keyClick(edit, Qt::Key_Down, Qt::AltModifier);
        QApplication::processEvents();
    }
    bool open() const { return edit->DroppedDown() && edit->DropDownForm()->isVisible(); }
};


// A notch of the wheel over the widget: negative steps turn it down.
void turnWheel(QWidget* w, int steps) {
    QWheelEvent e(QPointF(5, 5), w->mapToGlobal(QPointF(5, 5)), QPoint(), QPoint(0, 120 * steps), Qt::NoButton,
                  Qt::NoModifier, Qt::NoScrollPhase, false);
    QApplication::sendEvent(w, &e);
    QApplication::processEvents();
}

}  // namespace

TEST(ImagePickerDropDown, ImageListGivesCaptionlessItemsAndAppends) {
    Picker p;
    EXPECT_TRUE(p.edit->DropDownHeader().Visible()) << "keeps the base's header";
    EXPECT_EQ(p.edit->DropDownHeight(), 0);
    p.edit->AddImagesFromImageList();
    ASSERT_EQ(p.edit->Items().Count(), 5);
    for (int i = 0; i < 5; ++i) {
        EXPECT_EQ(p.edit->Items().GetItem(i).ImageIndex(), i);
        EXPECT_TRUE(p.edit->Items().GetItem(i).Caption().isEmpty());
    }
    p.edit->AddImagesFromImageList();
    EXPECT_EQ(p.edit->Items().Count(), 10);
    EXPECT_EQ(p.edit->Items().GetItem(7).ImageIndex(), 2);

    p.edit->SetImages(nullptr);
    p.edit->AddImagesFromImageList();
    EXPECT_EQ(p.edit->Items().Count(), 10) << "no image list, nothing added";
}

TEST(ImagePickerDropDown, ItemIndexAndImageIndex) {
    Picker p;
    p.edit->AddImagesFromImageList();
    p.edit->AddImagesFromImageList();
    p.edit->SetImageIndex(3);
    EXPECT_EQ(p.edit->ItemIndex(), 3) << "the first item with that index";
    EXPECT_EQ(p.edit->ImageIndex(), 3);
    EXPECT_EQ(p.events, QStringList({"change", "select"}));

    p.events.clear();
    p.edit->SetItemIndex(3);
    EXPECT_TRUE(p.events.isEmpty()) << "rewriting the current index raises nothing";
    p.edit->SetItemIndex(10);
    EXPECT_EQ(p.edit->ItemIndex(), 3) << "past the items: ignored";

    p.edit->SetImageIndex(99);
    EXPECT_EQ(p.edit->ItemIndex(), -1);
    EXPECT_EQ(p.edit->ImageIndex(), -1);
}

TEST(ImagePickerDropDown, ClosedKeysWalkTheItems) {
    Picker p;
    p.edit->AddImagesFromImageList();
    p.type(Qt::Key_Down);
    EXPECT_EQ(p.edit->ItemIndex(), 0);
    EXPECT_EQ(p.events, QStringList({"change", "select"}));
    p.type(Qt::Key_End);
    EXPECT_EQ(p.edit->ItemIndex(), 4);
    p.events.clear();
    p.type(Qt::Key_Down);
    EXPECT_EQ(p.edit->ItemIndex(), 4);
    EXPECT_TRUE(p.events.isEmpty()) << "Down on the last item changes nothing";
    p.type(Qt::Key_Up);
    EXPECT_EQ(p.edit->ItemIndex(), 3);
    p.type(Qt::Key_Home);
    EXPECT_EQ(p.edit->ItemIndex(), 0);
    EXPECT_FALSE(p.open());

    // The wheel over the closed edit steps the same way.
    turnWheel(p.edit, -1);
    EXPECT_EQ(p.edit->ItemIndex(), 1);
    turnWheel(p.edit, 1);
    turnWheel(p.edit, 1);
    EXPECT_EQ(p.edit->ItemIndex(), 0) << "no step before the first";
    EXPECT_FALSE(p.open());
}

TEST(ImagePickerDropDown, TypeAheadMatchesCaptionsOnly) {
    Picker p;
    p.edit->Items().Add().SetImageIndex(0);  // no caption: never matches
    p.captions({"<b>Pump</b>", " valve", "Panel", "Valve 2"});
    p.type(Qt::Key_V);
    EXPECT_EQ(p.edit->ItemIndex(), 2) << "tags removed, trimmed, upper case";
    p.clock.now += 100;
    p.type(Qt::Key_F5);
    p.clock.now += 100;
    p.type(Qt::Key_A);
    EXPECT_EQ(p.edit->ItemIndex(), 2);
    p.clock.now += 600;
    p.type(Qt::Key_P);
    EXPECT_EQ(p.edit->ItemIndex(), 1);
    p.clock.now += 100;
    p.type(Qt::Key_A);
    EXPECT_EQ(p.edit->ItemIndex(), 3) << "P A within half a second";
    p.clock.now += 600;
    p.type(Qt::Key_X);
    EXPECT_EQ(p.edit->ItemIndex(), 3) << "no match keeps the selection";
}

TEST(ImagePickerDropDown, PopupMovesAndEscRestores) {
    Picker p;
    p.edit->AddImagesFromImageList();
    p.edit->SetItemIndex(1);
    p.openPopup();
    ASSERT_TRUE(p.open());
    TExCustomItemSelector* list = p.edit->ItemSelector();
    EXPECT_EQ(list->Items().Count(), 5);
    EXPECT_EQ(list->ItemIndex(), 1);
    // All five fit: no bar either way, and the cells stand whole inside the pop-up's border.
    EXPECT_FALSE(list->VerticalScrollBarShown());
    EXPECT_FALSE(list->HorizontalScrollBarShown());
    EXPECT_GE(list->viewport()->width(), list->Panel()->width());
    p.type(Qt::Key_Down, list);
    p.type(Qt::Key_Down, list);
    EXPECT_TRUE(p.open());
    EXPECT_EQ(p.edit->ItemIndex(), 3);
    p.type(Qt::Key_Escape, list);
    EXPECT_FALSE(p.open());
    EXPECT_EQ(p.edit->ItemIndex(), 1) << "Esc restores the index held at opening";

    p.openPopup();
    ASSERT_TRUE(p.open());
    QTest::mouseClick(list->Panel(), Qt::LeftButton, {}, list->Items().Items(4).Rect().toQRect().center());
    QApplication::processEvents();
    EXPECT_FALSE(p.open()) << "a click chooses and closes";
    EXPECT_EQ(p.edit->ItemIndex(), 4);
}

TEST(ImagePickerDropDown, FaceCentresThePicture) {
    Picker p;
    p.edit->AddImagesFromImageList();
    TImageItem& own = p.edit->Items().Add();
    own.SetImage(solid(8, 8, Qt::magenta));
    p.edit->SetItemIndex(2);  // the image list's blue
    p.window.setFocus();
    QApplication::processEvents();
    const TRect r = p.edit->GetEditRect();
    const QPoint centre(r.Left + r.Width() / 2, r.Top + r.Height() / 2);
    QImage face = p.edit->grab().toImage();
    EXPECT_EQ(FromQRgb(face.pixel(centre)), RGB(0, 0, 255));
    const int left = r.Left + (r.Width() - 16) / 2;
    EXPECT_EQ(FromQRgb(face.pixel(left, centre.y())), RGB(0, 0, 255));
    EXPECT_NE(FromQRgb(face.pixel(left - 1, centre.y())), RGB(0, 0, 255)) << "centred: nothing left of it";

    p.edit->SetItemIndex(5);  // its own picture wins
    face = p.edit->grab().toImage();
    EXPECT_EQ(FromQRgb(face.pixel(centre)), RGB(255, 0, 255));
    EXPECT_NE(FromQRgb(face.pixel(centre.x() - 5, centre.y())), RGB(255, 0, 255)) << "8 wide, centred";
}

TEST(ImagePickerDropDown, FolderGivesAnItemPerFileAndSkipsFolders) {
    QTemporaryDir dir;
    ASSERT_TRUE(dir.isValid());
    for (const char* name : {"a.png", "b.png", "c.png"})
        ASSERT_TRUE(solid(4, 4, Qt::red).Image().save(dir.filePath(name), "PNG"));
    {
        QFile broken(dir.filePath("broken.png"));
        ASSERT_TRUE(broken.open(QIODevice::WriteOnly));
        broken.write("\x89PNG not really");
    }
    ASSERT_TRUE(QDir(dir.path()).mkdir("sub.png"));

    Picker p;
    p.edit->Items().Add().SetCaption("kept");
    p.edit->AddImagesFromFolder(dir.path() + "/*", true);
    ASSERT_EQ(p.edit->Items().Count(), 5) << "three pictures and the broken file, after the item kept";
    QStringList captions;
    int empty = 0;
    for (int i = 1; i < 5; ++i) {
        const TImageItem& item = p.edit->Items().GetItem(i);
        captions << item.Caption();
        if (item.Image().Empty()) {
            ++empty;
            EXPECT_TRUE(item.Caption().isEmpty()) << "an unreadable file gets no caption";
        } else {
            EXPECT_EQ(item.Image().Width(), 4);
        }
    }
    EXPECT_EQ(empty, 1);
    EXPECT_EQ(captions, QStringList({"a.png", "b.png", "", "c.png"}));

    p.edit->AddImagesFromFolder(dir.path() + "/*.png", false);
    ASSERT_EQ(p.edit->Items().Count(), 9);
    EXPECT_TRUE(p.edit->Items().GetItem(5).Caption().isEmpty()) << "no caption asked for";
    EXPECT_FALSE(p.edit->Items().GetItem(5).Image().Empty());
}

// A window of pickers to try by hand: the colour picker in its four styles and an image picker,
// for PICKER_LOOK_SECONDS.
TEST(ImagePickerDropDown, Look) {
    const int seconds = qEnvironmentVariableIntValue("PICKER_LOOK_SECONDS");
    if (seconds <= 0) GTEST_SKIP() << "set PICKER_LOOK_SECONDS to try the pickers by hand";
    QWidget window;
    window.setWindowTitle(QStringLiteral("Pickers"));
    window.resize(620, 120);
    const TColorSelectionStyle styles[] = {csList, csDiscrete, csColorCube, csSpectrum};
    std::vector<std::unique_ptr<TExCustomDropDown>> pickers;
    for (int i = 0; i < 4; ++i) {
        auto* c = TExCustomDropDown::CreateDropDown<TExColorPickerDropDown>(&window);
        c->AddDefaultColors();
        c->SetColorSelectionStyle(styles[i]);
        c->SetColorValueText(cvtHTML);
        c->SetSelectedColor(RGB(255, 0, 0));
        c->OnSelect = [c](QObject*) { qInfo("colour %s", qPrintable(c->SelectedColorText())); };
        c->setGeometry(10 + 150 * i, 10, 140, 22);
        pickers.emplace_back(c);
    }
    TImageList images(16, 16);
    for (QColor c : {Qt::red, Qt::green, Qt::blue, Qt::yellow, Qt::cyan}) images.Add(solid(16, 16, c));
    auto* image = TExCustomDropDown::CreateDropDown<TExImagePickerDropDown>(&window);
    image->SetImages(&images);
    const char* names[] = {"Alarm", "Running", "Stopped", "Warning", "Idle"};
    for (int i = 0; i < 5; ++i) {
        TImageItem& item = image->Items().Add();
        item.SetImageIndex(i);
        item.SetCaption(QString::fromLatin1(names[i]));
    }
    image->SetItemIndex(1);
    image->OnSelect = [image](QObject*) { qInfo("image %d", image->ImageIndex()); };
    image->setGeometry(10, 60, 140, 24);
    pickers.emplace_back(image);
    window.show();
    QTimer::singleShot(seconds * 1000, qApp, &QCoreApplication::quit);
    QApplication::exec();
}
