// A picture of two trees shaped like the Scan & Decode window's: found meters, their values and
// each value's details, with check boxes and images by level. Saved when SCREENSHOT_DIR is set.
#include <gtest/gtest.h>

#include <QApplication>
#include <QEventLoop>
#include <QHBoxLayout>
#include <QPainter>
#include <QTest>
#include <QTimer>
#include <QWidget>

#include "tests/support/EventWait.h"
#include "treeview/LazyTrees.h"

using namespace plat;

namespace {

struct TMyRec {
    QString Caption;
};

// Three small pictures: a meter, a value and a detail.
void FillImages(TImageList& list) {
    const QColor colours[] = {QColor(0x2E, 0x6D, 0xB4), QColor(0x3C, 0x9A, 0x3C), QColor(0xC8, 0x8A, 0x1E)};
    for (int i = 0; i < 3; ++i) {
        QImage image(16, 16, QImage::Format_ARGB32_Premultiplied);
        image.fill(Qt::transparent);
        QPainter p(&image);
        p.setRenderHint(QPainter::Antialiasing);
        p.setBrush(colours[i]);
        p.setPen(colours[i].darker());
        if (i == 0)
            p.drawRoundedRect(QRectF(1.5, 2.5, 13, 11), 2, 2);
        else if (i == 1)
            p.drawEllipse(QRectF(2.5, 2.5, 11, 11));
        else
            p.drawRect(QRectF(4.5, 4.5, 7, 7));
        p.end();
        TBitmap b(16, 16, pf32bit);
        b.SetImage(image);
        list.Add(b);
    }
}

void SetUpScanTree(TLazyStringTree& tree, const TImageList& images, const QString& kind) {
    tree.SetNodeDataType<TMyRec>();
    tree.TreeOptions().SetAnimationOptions({TLTAnimationOption::toAnimatedToggle});
    tree.TreeOptions().SetAutoOptions({TLTAutoOption::toAutoDropExpand, TLTAutoOption::toAutoTristateTracking});
    tree.TreeOptions().SetMiscOptions({TLTMiscOption::toCheckSupport, TLTMiscOption::toFullRepaintOnResize,
                                       TLTMiscOption::toInitOnSave, TLTMiscOption::toToggleOnDblClick,
                                       TLTMiscOption::toWheelPanning});
    tree.TreeOptions().SetPaintOptions({TLTPaintOption::toShowButtons, TLTPaintOption::toShowRoot,
                                        TLTPaintOption::toShowTreeLines, TLTPaintOption::toThemeAware,
                                        TLTPaintOption::toUseBlendedImages});
    tree.TreeOptions().SetSelectionOptions({TLTSelectionOption::toMultiSelect, TLTSelectionOption::toCenterScrollIntoView});
    tree.SetImages(&images);
    tree.SetCustomCheckImages(&images);
    tree.OnInitNode = [kind](TLazyTreeCore* t, PLazyNode parent, PLazyNode node, TLazyNodeInitStates&) {
        const uint32_t level = t->GetNodeLevel(node);
        node->CheckType = TCheckType::ctCheckBox;
        node->CheckState = (node->Index % 3 == 1) ? TCheckState::csUncheckedNormal : TCheckState::csCheckedNormal;
        QString caption;
        if (level == 0)
            caption = QStringLiteral("%1 meter %2  ID %3").arg(kind).arg(node->Index + 1).arg(12345600 + node->Index);
        else if (level == 1)
            caption = QStringLiteral("Value %1: Energy %2 kWh").arg(node->Index + 1).arg(1000 + 37 * node->Index);
        else
            caption = QStringLiteral("Detail %1 of %2").arg(node->Index + 1).arg(parent->Index + 1);
        t->GetNodeData<TMyRec>(node)->Caption = caption;
    };
    tree.OnGetText = [](TCustomLazyStringTree* t, PLazyNode node, TColumnIndex, TVSTTextType, QString& text) {
        text = t->GetNodeData<TMyRec>(node)->Caption;
    };
    tree.OnGetImageIndexEx = [](TBaseLazyTree* t, PLazyNode node, TLTImageKind kind, TColumnIndex, bool&, int& index,
                                const TImageList*&) {
        if (kind == TLTImageKind::ikNormal || kind == TLTImageKind::ikSelected)
            index = int(std::min<uint32_t>(t->GetNodeLevel(node), 2));
    };
    tree.BeginUpdate();
    for (int m = 0; m < 250; ++m) {
        PLazyNode meter = tree.AddChild(nullptr);
        for (int v = 0; v < 20; ++v) {
            PLazyNode value = tree.AddChild(meter);
            for (int d = 0; d < 12; ++d) tree.AddChild(value);
        }
    }
    tree.EndUpdate();
}

}  // namespace

TEST(ScanTreesPicture, Screenshot) {
    const QByteArray dir = qgetenv("SCREENSHOT_DIR");
    if (dir.isEmpty()) GTEST_SKIP() << "set SCREENSHOT_DIR to save a picture of the trees";
    TImageList images(16, 16);
    FillImages(images);
    QWidget window;
    window.setWindowTitle(QStringLiteral("Scan & Decode trees"));
    auto* layout = new QHBoxLayout(&window);
    auto* wired = new TLazyStringTree(&window);
    auto* wireless = new TLazyStringTree(&window);
    layout->addWidget(wired);
    layout->addWidget(wireless);
    SetUpScanTree(*wired, images, QStringLiteral("Wired"));
    SetUpScanTree(*wireless, images, QStringLiteral("Wireless"));
    window.resize(820, 480);
    window.show();
    PLazyNode meter = wired->GetFirst();
    wired->SetExpanded(meter, true);
    wired->SetExpanded(wired->GetFirstChild(meter), true);
    PLazyNode second = wireless->GetFirst()->NextSibling;
    wireless->SetExpanded(second, true);
    ASSERT_TRUE(testing_support::waitForWindowExposed(&window));
    QApplication::processEvents();
    // As a user would: tick the second meter's second value, then click the third meter to focus
    // and select it.
    wireless->activateWindow();
    PLazyNode value = wireless->GetFirstChild(second)->NextSibling;  // unticked until now
    const TRect valueRow = wireless->GetDisplayRect(value, NoColumn, false);
    const int level = int(wireless->GetNodeLevel(value));
    QTest::mouseClick(wireless->viewport(), Qt::LeftButton, Qt::NoModifier,
                      QPoint(3 + 18 * (level + 1) + 6, (valueRow.Top + valueRow.Bottom) / 2));
    EXPECT_EQ(value->CheckState, TCheckState::csCheckedNormal);
    PLazyNode third = second->NextSibling;
    const TRect text = wireless->GetDisplayRect(third, NoColumn, true);
    QTest::mouseClick(wireless->viewport(), Qt::LeftButton, Qt::NoModifier,
                      QPoint(text.Left + 5, (text.Top + text.Bottom) / 2));
    EXPECT_EQ(wireless->FocusedNode(), third);
    EXPECT_TRUE(wireless->Selected(third));
    QApplication::processEvents();
    // Time for a person watching the run to look at the window; nothing waits on it.
    const int hold = qEnvironmentVariableIntValue("SCREENSHOT_HOLD_MS");
    if (hold > 0) {
        QEventLoop look;
        QTimer::singleShot(hold, &look, &QEventLoop::quit);
        look.exec();
    }
    EXPECT_TRUE(window.grab().save(QString::fromLocal8Bit(dir) + QStringLiteral("/scan-trees.png")));
    // Scrolled far down the wired tree, the rows still stand where they should.
    wired->SetOffsetY(-wired->RangeY() / 2);
    QApplication::processEvents();
    EXPECT_TRUE(wired->grab().save(QString::fromLocal8Bit(dir) + QStringLiteral("/scan-trees-middle.png")));
}
