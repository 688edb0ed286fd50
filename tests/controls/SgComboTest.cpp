// The editors' combo box: the button width and the hover over it, the drop-up notice, the label,
// and the frames and button it paints itself.
#include "controls/SgCombo.h"

#include <gtest/gtest.h>

#include <QAbstractItemView>
#include <QApplication>
#include <QLabel>
#include <QLineEdit>
#include <QMouseEvent>
#include <QStyle>
#include <QTest>

using namespace ctl;
using namespace plat;

namespace {

QImage shot(QWidget& w) {
    QImage img(w.size(), QImage::Format_RGB32);
    img.fill(Qt::magenta);
    w.render(&img);
    return img;
}

TColor at(const QImage& img, int x, int y) { return FromQRgb(img.pixel(x, y)); }

void moveTo(QWidget& w, int x) {
    QMouseEvent e(QEvent::MouseMove, QPointF(x, 5), w.mapToGlobal(QPointF(x, 5)), Qt::NoButton, Qt::NoButton,
                  Qt::NoModifier);
    QApplication::sendEvent(&w, &e);
}

// A parent in a known colour.
struct Host {
    QWidget parent;
    TSgComboBox* combo;
    explicit Host(TColor parentColour = RGB(200, 210, 220)) {
        QPalette p = parent.palette();
        p.setColor(QPalette::Window, ToQColor(parentColour));
        parent.setPalette(p);
        parent.resize(300, 100);
        combo = new TSgComboBox(&parent);
        combo->setGeometry(100, 40, 120, 24);
        combo->SetItems({"one", "two", "three"});
    }
};

}  // namespace

TEST(SgCombo, ButtonWidthAndTheHoverOverTheButton) {
    Host h;
    TSgComboBox& c = *h.combo;
    EXPECT_EQ(c.ButtonWidth(), c.style()->pixelMetric(QStyle::PM_ScrollBarExtent, nullptr, &c) + 2);
    EXPECT_EQ(c.DropDownCount(), 8);
    EXPECT_EQ(c.Style(), csDropDown);
    for (int w : {13, 33, 0, -5}) {
        c.SetButtonWidth(20);
        c.SetButtonWidth(w);
        EXPECT_EQ(c.ButtonWidth(), 20) << w;
    }
    for (int w : {14, 32, 16}) {
        c.SetButtonWidth(w);
        EXPECT_EQ(c.ButtonWidth(), w);
    }
    h.parent.show();
    moveTo(c, c.width() - 16);  // on the edge: not over it
    EXPECT_FALSE(c.ButtonHover());
    moveTo(c, c.width() - 15);
    EXPECT_TRUE(c.ButtonHover());
    moveTo(c, c.width() - 1);
    EXPECT_TRUE(c.ButtonHover());
    moveTo(c, 10);
    EXPECT_FALSE(c.ButtonHover());
}

TEST(SgCombo, ClosingTheListRaisesDropUpOnce) {
    Host h;
    TSgComboBox& c = *h.combo;
    h.parent.show();
    int ups = 0, downs = 0, closes = 0;
    c.OnDropUp = [&](QObject* s) {
        EXPECT_EQ(s, &c);
        ++ups;
    };
    c.OnDropDown = [&](QObject*) { ++downs; };
    c.OnCloseUp = [&](QObject*) { ++closes; };
    c.SetDroppedDown(true);
    EXPECT_TRUE(c.DroppedDown());
    EXPECT_EQ(downs, 1);
    EXPECT_EQ(ups, 0);
    c.SetDroppedDown(false);
    EXPECT_FALSE(c.DroppedDown());
    EXPECT_EQ(ups, 1);
    EXPECT_EQ(closes, 1);
    // closed by hiding the pop-up itself (a click outside it)
    c.showPopup();
    c.view()->window()->hide();
    EXPECT_EQ(ups, 2);
    c.hidePopup();
    EXPECT_EQ(ups, 2);
    EXPECT_EQ(downs, 2);
}

TEST(SgCombo, ItemsObjectsAndSelection) {
    Host h;
    TSgComboBox& c = *h.combo;
    QObject tag;
    const int i = c.AddItem(QStringLiteral("four"), &tag);
    EXPECT_EQ(c.Objects(i), &tag);
    EXPECT_EQ(c.Objects(0), nullptr);
    EXPECT_EQ(c.Objects(99), nullptr);
    c.SelectItem(QStringLiteral("two"));
    EXPECT_EQ(c.ItemIndex(), 1);
    c.SelectItem(QStringLiteral("nothing"));
    EXPECT_EQ(c.ItemIndex(), 1);
    c.SetText(QStringLiteral("free text"));
    EXPECT_EQ(c.Text(), QStringLiteral("free text"));
    EXPECT_EQ(c.ItemIndex(), -1);
    // The limit bounds what is typed: a text set by code stays whole and may be shortened, not
    // lengthened; an empty edit takes four characters of six typed.
    c.SetMaxLength(4);
    c.SetText(QStringLiteral("abcdefg"));
    EXPECT_EQ(c.Text(), QStringLiteral("abcdefg"));
    QTest::keyClicks(c.lineEdit(), QStringLiteral("h"));
    EXPECT_EQ(c.Text(), QStringLiteral("abcdefg"));
    QTest::keyClick(c.lineEdit(), Qt::Key_Backspace);
    EXPECT_EQ(c.Text(), QStringLiteral("abcdef"));
    c.SetText(QString());
    QTest::keyClicks(c.lineEdit(), QStringLiteral("wxyz12"));
    EXPECT_EQ(c.Text(), QStringLiteral("wxyz"));
    c.SetSelStart(1);
    c.SetSelLength(2);
    EXPECT_EQ(c.SelStart(), 1);
    EXPECT_EQ(c.SelLength(), 2);
}

TEST(SgCombo, TheLabelIsPlacedAndFollowsTheCombo) {
    Host h;
    TSgComboBox& c = *h.combo;
    EXPECT_EQ(c.ComboLabel(), nullptr);
    EXPECT_EQ(c.LabelCaption(), QString());
    h.parent.show();
    c.SetLabelCaption(QStringLiteral("Speed"));
    QLabel* l = c.ComboLabel();
    ASSERT_NE(l, nullptr);
    EXPECT_EQ(l->parentWidget(), &h.parent);
    EXPECT_EQ(l->pos(), LabelPlace(lpLeftTop, l->size(), TRect::fromQRect(c.geometry()), 4));
    EXPECT_LT(l->x() + l->width(), c.x());
    c.SetLabelPosition(lpBottomCenter);
    c.SetLabelMargin(6);
    EXPECT_EQ(l->pos(), LabelPlace(lpBottomCenter, l->size(), TRect::fromQRect(c.geometry()), 6));
    c.move(120, 50);  // moving the combo moves the label
    EXPECT_EQ(l->pos(), LabelPlace(lpBottomCenter, l->size(), TRect::fromQRect(c.geometry()), 6));

    c.setVisible(false);
    EXPECT_TRUE(l->isHidden());
    c.setVisible(true);
    EXPECT_FALSE(l->isHidden());
    c.SetEnabled(false);
    EXPECT_FALSE(l->isEnabled());
    c.SetEnabled(true);
    EXPECT_TRUE(l->isEnabled());
    c.SetLabelAlwaysEnabled(true);
    c.SetEnabled(false);
    EXPECT_TRUE(l->isEnabled());

    // the label font is ignored while the label follows the combo's font
    QFont big = c.font();
    big.setPointSize(big.pointSize() + 6);
    c.SetLabelFont(big);
    EXPECT_NE(l->font().pointSize(), big.pointSize());
    c.SetParentFont(false);
    c.SetLabelFont(big);
    EXPECT_EQ(l->font().pointSize(), big.pointSize());
}

TEST(SgCombo, FlatFramesBlendIntoTheParent) {
    const TColor parentColour = RGB(200, 210, 220), own = RGB(250, 250, 240), line = RGB(255, 0, 0);
    Host h(parentColour);
    TSgComboBox& c = *h.combo;
    c.SetFlat(true);
    EXPECT_EQ(c.Color(), parentColour);  // a flat combo takes its parent's colour
    c.SetColor(own);
    c.SetFlatLineColor(line);
    const QImage img = shot(c);
    const int w = c.width(), hgt = c.height(), b = c.ButtonWidth();
    // the outer ring: the parent's colour, except the line along the bottom
    for (int x = 0; x < w; ++x) EXPECT_EQ(at(img, x, 0), parentColour) << x;
    for (int y = 0; y < hgt - 1; ++y) {
        EXPECT_EQ(at(img, 0, y), parentColour) << y;
        EXPECT_EQ(at(img, w - 1, y), parentColour) << y;
    }
    for (int x = 0; x < w - b - 3; ++x) EXPECT_EQ(at(img, x, hgt - 1), line) << x;
    for (int x = w - b - 3; x < w; ++x) EXPECT_EQ(at(img, x, hgt - 1), parentColour) << x;
    // the second ring stops short of the button; the third is the combo's own colour
    EXPECT_EQ(at(img, 1, 1), parentColour);
    EXPECT_EQ(at(img, w - b - 2, 1), parentColour);
    EXPECT_EQ(at(img, 2, 2), own);
    EXPECT_EQ(at(img, 2, hgt - 3), own);
}

TEST(SgCombo, FocusFrameOnlyWhileFocused) {
    Host h;
    TSgComboBox& c = *h.combo;
    const TColor focus = RGB(0, 0, 255);
    c.FocusBorderColor = focus;
    const QImage unfocused = shot(c);
    for (int x = 0; x < c.width(); ++x) EXPECT_NE(at(unfocused, x, 0), focus) << x;
    QFocusEvent in(QEvent::FocusIn, Qt::TabFocusReason);
    QApplication::sendEvent(&c, &in);
    EXPECT_TRUE(c.HasFocus());
    const QImage focused = shot(c);
    for (int x = 0; x < c.width(); ++x) EXPECT_EQ(at(focused, x, 0), focus) << x;
    EXPECT_EQ(at(focused, 0, c.height() - 1), focus);
}

TEST(SgCombo, DisabledThemedWithoutItsBorderShowsTheBlueGreyFrame) {
    Host h;
    TSgComboBox& c = *h.combo;
    c.DisabledBorder = false;
    c.SetEnabled(false);
    const QImage img = shot(c);
    const TColor frame = 0xB99D7F;
    for (auto [x, y] : {std::pair{0, 0}, {c.width() - 1, 0}, {0, c.height() - 1}, {c.width() / 2, c.height() - 1}})
        EXPECT_EQ(at(img, x, y), frame) << x << "," << y;
    c.DisabledBorder = true;
    EXPECT_NE(at(shot(c), c.width() / 2, 0), frame);
}

TEST(SgCombo, OnNewerSystemsWithoutColoursItIsTheStylesCombo) {
    Host h;
    TSgComboBox& c = *h.combo;
    c.IsWinXP = c.IsVista = true;
    QComboBox plain(&h.parent);
    plain.setEditable(true);
    plain.addItems({"one", "two", "three"});
    plain.setCurrentIndex(-1);
    plain.setGeometry(c.geometry());
    c.SetFlat(true);  // the grid's editor is flat; on this level the style's combo shows anyway
    c.SetFlat(false);
    EXPECT_EQ(shot(c), shot(plain));
    c.SetFlat(true);  // takes the parent's colour, and no flat frames on this level
    QPalette pal = plain.palette();
    pal.setColor(QPalette::Base, ToQColor(c.Color()));
    plain.setPalette(pal);
    EXPECT_EQ(shot(c), shot(plain));

    // a tone style's colours: the button and the frame in them
    const TColor face = RGB(10, 120, 40), border = RGB(90, 0, 90), arrow = RGB(255, 255, 255);
    c.ButtonColor = c.ButtonColorHot = face;
    c.ButtonTextColor = arrow;
    c.ButtonBorderColor = border;
    c.SetBorderColor(border);
    const QImage img = shot(c);
    const int w = c.width();
    EXPECT_EQ(at(img, 0, 0), border);
    EXPECT_EQ(at(img, w / 2, c.height() - 1), border);
    EXPECT_EQ(at(img, w - 4, c.height() / 2 - 4), face);
    // the arrow's top row inside the button
    const int left = w - c.ButtonWidth() + 2 + 1 - 1, top = 1 + 1;
    EXPECT_EQ(at(img, left + 7, top + 7), arrow);
}

TEST(SgCombo, TheLabelMayGoFirstWithTheParent) {
    auto* parent = new QWidget;
    auto* label = new QLabel(parent);  // created before the combo: the parent deletes it first
    delete label;
    auto* c = new TSgComboBox(parent);
    c->SetLabelCaption(QStringLiteral("x"));
    delete c->ComboLabel();
    EXPECT_EQ(c->ComboLabel(), nullptr);
    delete parent;  // no double delete of the label
}
