// The item selector: layout with a measured font, selection and hot tracking, lookup, the look of
// the selected item, and the item appearance's presets.
#include <gtest/gtest.h>

#include <QApplication>
#include <QTest>
#include <QWidget>

#include "dropdowns/DovUzerAdev.h"
#include "dropdowns/ExItemSelector.h"
#include "platform/Error.h"

using namespace plat;
using namespace dropdowns;

namespace {

struct Selector {
    QWidget window;
    TExCustomItemSelector* box = new TExCustomItemSelector(&window);
    TCustomItemSelector& panel = *box->Panel();
    int selects = 0;
    Selector() {
        box->OnItemSelect = [this](QObject* sender) {
            EXPECT_EQ(sender, box);
            ++selects;
        };
    }
    void add(const QString& caption, TColor color = clNone) {
        TSelectorItem& it = box->Items().Add();
        it.SetCaption(caption);
        it.SetColor(color);
    }
    TRect rect(int i) { return box->Items().Items(i).Rect(); }
    // The widest and highest caption as the panel measures them.
    QSize widest() {
        QImage img(10, 10, QImage::Format_RGB32);
        TCanvas c(&img);
        c.Font().Assign(box->ItemAppearance().Font());
        QSize s;
        for (int i = 0; i < box->Items().Count(); ++i) {
            const QPoint p =
                DrawHTMLText(c, box->Items().Items(i).Caption(), Rect(0, 0, 1000, 500), nullptr, false, nullptr);
            s = s.expandedTo(QSize(p.x(), p.y()));
        }
        return s;
    }
};

}  // namespace

TEST(ItemSelector, LaysOutCellsFromTheWidestCaption) {
    Selector s;
    EXPECT_EQ(QSize(s.panel.width(), s.panel.height()), QSize(100, 50)) << "no items";
    s.box->SetSelectorType(stColor);
    for (int i = 0; i < 16; ++i)
        s.add(QStringLiteral("Colour %1%2").arg(i).arg(i == 7 ? " wide" : ""), RGB(i * 10, 0, 0));
    const QSize text = s.widest();
    const int w = 8 + 14 + 4 + text.width() + 4, h = std::max(text.height(), 14) + 8;
    for (int i = 0; i < 16; ++i) EXPECT_EQ(s.rect(i), Rect(2, 2 + i * h, 2 + w, 2 + (i + 1) * h)) << i;
    EXPECT_EQ(s.panel.width(), w + 4);
    EXPECT_EQ(s.panel.height(), 16 * h + 4);

    // The measured captions follow a changed caption, a changed font and a new layout alike.
    s.box->Items().Items(3).SetCaption(QStringLiteral("A much wider caption than the others"));
    const int wider = 8 + 14 + 4 + s.widest().width() + 4;
    EXPECT_GT(wider, w);
    EXPECT_EQ(s.rect(0).Width(), wider);
    s.box->ItemAppearance().Font().SetSize(s.box->ItemAppearance().Font().Size() * 2);
    s.box->UpdateSelectorPanel();
    EXPECT_EQ(s.rect(0).Width(), 8 + 14 + 4 + s.widest().width() + 4);
    EXPECT_GT(s.rect(0).Width(), wider);
    EXPECT_EQ(s.rect(0).Height(), std::max(s.widest().height(), 14) + 8);
    s.box->Items().Items(3).SetCaption(QString());
    s.box->ItemAppearance().Font().SetSize(s.box->ItemAppearance().Font().Size() / 2);
    s.box->UpdateSelectorPanel();
    EXPECT_EQ(s.rect(0), Rect(2, 2, 2 + 8 + 14 + 4 + s.widest().width() + 4, 2 + h)) << "back as before";

    // Five items in two columns: rows of 2, 2 and 1.
    Selector t;
    t.box->SetSelectorType(stColor);
    t.box->SetColumns(2);
    for (int i = 0; i < 5; ++i) t.add(QStringLiteral("c%1").arg(i));
    const int cw = t.rect(0).Width(), ch = t.rect(0).Height();
    const QPoint expected[] = {{2, 2}, {2 + cw, 2}, {2, 2 + ch}, {2 + cw, 2 + ch}, {2, 2 + 2 * ch}};
    for (int i = 0; i < 5; ++i) EXPECT_EQ(QPoint(t.rect(i).Left, t.rect(i).Top), expected[i]) << i;
    EXPECT_EQ(t.panel.width(), 2 * cw + 4);
    t.box->SetColumns(0);
    EXPECT_EQ(t.box->Columns(), 2) << "below 1 is ignored";

    // The item size event wins.
    t.box->OnItemSize = [](QObject*, QSize& size) { size = QSize(30, 10); };
    t.box->UpdateSelectorPanel();
    EXPECT_EQ(t.rect(4), Rect(2, 22, 32, 32));
}

TEST(ItemSelector, CaptionBelowAPicture) {
    Selector s;
    s.box->SetItemLayout(ilCaptionBottom);
    TBitmap picture(16, 32);
    picture.Canvas().Brush().SetColor(clRed);
    picture.Canvas().FillRect(Rect(0, 0, 16, 32));
    s.box->Items().BeginUpdate();
    for (const char* c : {"One", "Two"}) {
        TSelectorItem& it = s.box->Items().Add();
        it.SetCaption(QString::fromLatin1(c));
        it.SetImage(picture);
    }
    s.box->Items().EndUpdate();
    s.box->ItemAppearance().Font().SetColor(clBlue);
    s.window.resize(200, 200);
    s.box->resize(200, 200);
    s.window.show();
    const QImage img = s.panel.grab().toImage();
    const TRect r = s.rect(0);
    // The picture is centred at the top of the cell; the caption's ink starts below 32 + 4.
    const int pictureTop = r.Top + 4;
    const int pictureLeft = r.Left + 4 + (r.Width() - 8 - 16) / 2;
    EXPECT_EQ(FromQRgb(img.pixel(pictureLeft, pictureTop)), clRed);
    EXPECT_EQ(FromQRgb(img.pixel(pictureLeft + 15, pictureTop + 31)), clRed);
    int firstInk = -1;
    for (int y = pictureTop + 32; y < r.Bottom && firstInk < 0; ++y)
        for (int x = r.Left; x < r.Right; ++x)
            if (FromQRgb(img.pixel(x, y)) != ColorToRGB(clWindow)) {
                firstInk = y;
                break;
            }
    ASSERT_GE(firstInk, 0);
    EXPECT_GE(firstInk, pictureTop + 36);
    EXPECT_LT(firstInk, pictureTop + 36 + 6) << "the caption starts at its line's top";
}

TEST(ItemSelector, SelectionHotTrackingAndLookup) {
    Selector s;
    for (const char* c : {"Blue", "<b>Red</b>", "  rEd wine", "Green"}) s.add(QString::fromLatin1(c));
    TCustomItemSelector& p = s.panel;

    EXPECT_FALSE(s.box->LookupItem(QStringLiteral("re"))) << "callers pass upper case";
    EXPECT_EQ(s.box->ItemIndex(), -1);
    EXPECT_TRUE(s.box->LookupItem(QStringLiteral("RE")));
    EXPECT_EQ(s.box->ItemIndex(), 1) << "tags removed, first in order";
    EXPECT_TRUE(s.box->LookupItem(QStringLiteral("RED W")));
    EXPECT_EQ(s.box->ItemIndex(), 2) << "trimmed";
    EXPECT_FALSE(s.box->LookupItem(QStringLiteral("X")));
    EXPECT_EQ(s.box->ItemIndex(), 2);

    s.selects = 0;
    s.box->SelectLast();
    s.box->SelectNext();
    EXPECT_EQ(s.box->ItemIndex(), 3) << "next on the last changes nothing";
    EXPECT_EQ(s.selects, 1);
    s.box->SetItemIndex(3);
    EXPECT_EQ(s.selects, 2) << "writing the current index again reports again";

    Selector empty;
    empty.box->SelectNext();
    EXPECT_EQ(empty.box->ItemIndex(), -1);
    Selector fresh;
    for (const char* c : {"a", "b"}) fresh.add(QString::fromLatin1(c));
    fresh.box->SelectPrevious();
    EXPECT_EQ(fresh.box->ItemIndex(), 0) << "previous with no selection selects the first";

    // Hot tracking by the mouse; a disabled item clears the hot item and cannot be chosen.
    s.box->Items().Items(2).SetEnabled(false);
    s.window.resize(300, 300);
    s.box->resize(300, 300);
    s.window.show();
    auto centre = [&](int i) { return s.rect(i).toQRect().center(); };
    QTest::mouseMove(&p, centre(0));
    EXPECT_EQ(s.box->ItemHot(), 0);
    QTest::mouseMove(&p, centre(1));
    EXPECT_EQ(s.box->ItemHot(), 1);
    QTest::mouseMove(&p, centre(2));
    EXPECT_EQ(s.box->ItemHot(), -1);
    QTest::mousePress(&p, Qt::LeftButton, {}, centre(2));
    EXPECT_EQ(s.box->ItemIndex(), 3) << "a disabled item is not selected";
    s.box->SetItemIndex(2);
    EXPECT_EQ(s.box->ItemIndex(), 3);
    QTest::mousePress(&p, Qt::LeftButton, {}, centre(0));
    EXPECT_EQ(s.box->ItemIndex(), 0);
    s.box->HotNext();
    s.box->HotNext();
    EXPECT_EQ(s.box->ItemHot(), 1) << "a disabled target stops the move";
    s.box->UpdateSelectorPanel();
    EXPECT_EQ(s.box->ItemHot(), -1) << "a layout clears the hot item";
    EXPECT_EQ(s.box->ItemIndex(), 0) << "and keeps the selection";
}

TEST(ItemSelector, SelectedItemLook) {
    Selector s;
    for (const char* c : {"One", "Two"}) s.add(QString::fromLatin1(c));
    s.box->SetColor(clWhite);
    s.window.resize(200, 100);
    s.box->resize(200, 100);
    s.window.show();
    s.box->SetItemIndex(0);
    const TRect r = s.rect(0);
    QImage img = s.panel.grab().toImage();
    // The office frame: its corner pixel is the panel's colour, not the border.
    EXPECT_EQ(FromQRgb(img.pixel(r.Left, r.Top)), clWhite);

    s.box->ItemAppearance().BorderColorSelected = clRed;
    s.panel.update();
    img = s.panel.grab().toImage();
    for (QPoint p : {QPoint(r.Left, r.Top), QPoint(r.Right - 1, r.Top), QPoint(r.Left, r.Bottom - 1),
                     QPoint(r.Right - 1, r.Bottom - 1), QPoint((r.Left + r.Right) / 2, r.Top)})
        EXPECT_EQ(FromQRgb(img.pixel(p)), clRed) << p.x() << "," << p.y();
    // The unselected item is in the panel's colour.
    EXPECT_EQ(FromQRgb(img.pixel(s.rect(1).Left, s.rect(1).Top)), clWhite);
}

TEST(ItemSelector, AppearancePresetsAndAssign) {
    TItemAppearance a;
    EXPECT_EQ(a.ColorStyle(), scOffice2007);
    EXPECT_EQ(a.ColorHot, RGB(253, 255, 215));
    EXPECT_EQ(a.ColorMirrorSelectedTo, RGB(249, 227, 104));
    EXPECT_EQ(a.Font().Name(), QStringLiteral("Tahoma"));
    a.ColorHot = clRed;
    a.ApplyColorStyle(scOffice2007);
    EXPECT_EQ(a.ColorHot, clRed) << "the same style does nothing";
    a.ApplyColorStyle(scWindows7);
    EXPECT_EQ(a.ColorHot, RGB(220, 235, 252));
    EXPECT_EQ(a.ColorMirrorHot, clNone);

    // Assign copies the colours, then the source's style overwrites them when the styles differ.
    TItemAppearance source;
    source.ApplyColorStyle(scWindowsVista);
    source.ColorHot = clLime;
    source.BorderColorSelected = clBlue;
    TItemAppearance same;
    same.ApplyColorStyle(scWindowsVista);
    same.Assign(source);
    EXPECT_EQ(same.ColorHot, clLime);
    EXPECT_EQ(same.BorderColorSelected, clBlue);
    TItemAppearance other;  // scOffice2007
    other.Assign(source);
    EXPECT_EQ(other.ColorHot, RGB(241, 248, 253)) << "the preset wins over the copied colour";
    EXPECT_EQ(other.ColorStyle(), scWindowsVista);
    EXPECT_EQ(other.BorderColorSelected, clBlue);
}

TEST(ItemSelector, PanelNeedsItsScrollBox) {
    QWidget plain;
    try {
        TCustomItemSelector bad(&plain);
        FAIL() << "created without its scroll box";
    } catch (const plat::Error& e) {
        EXPECT_EQ(e.message(), QStringLiteral("Invalid parent"));
    }
}

TEST(ItemSelector, ScrollsTheItemIntoView) {
    Selector s;
    s.box->OnItemSize = [](QObject*, QSize& size) { size = QSize(80, 20); };
    s.box->Items().BeginUpdate();
    for (int i = 0; i < 30; ++i) s.add(QStringLiteral("i%1").arg(i));
    s.box->Items().EndUpdate();
    s.window.resize(120, 100);
    s.box->resize(120, 100);
    s.window.show();
    QApplication::processEvents();
    EXPECT_EQ(s.box->GetVisibleItemCount(), 5);
    s.box->SetItemIndex(20);
    const int client = s.box->viewport()->height();
    const int bottom = s.rect(20).Bottom + s.panel.y();
    EXPECT_EQ(bottom, client) << "aligned at the bottom";
    s.box->SetItemIndex(3);
    EXPECT_EQ(s.rect(3).Top + s.panel.y(), 0) << "aligned at the top";
}
