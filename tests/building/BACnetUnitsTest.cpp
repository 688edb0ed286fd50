// The BACnet unit table and the unit picker: every code in one category, the names, and the picker
// as the object table uses it.
#include "building/BACnetUnits.h"
#include "building/UBACnet_Eng_Unit.h"
#include "controls/FadeButton.h"
#include "shell/UComon.h"
#include "shell/ULanguage.h"
#include "tests/building/BuildingTestSupport.h"

#include <gtest/gtest.h>

#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QTest>

using namespace bacnet;

namespace {

TEST(BACnetUnits, EveryCodeInExactlyOneCategoryOfTheTablesSize) {
    const int sizes[kCategoryCount] = {1, 4, 10, 35, 15, 5, 4, 1, 6, 2, 7, 7, 5, 9, 8, 12, 9, 9, 1, 9, 6, 13, 59};
    int seen[kUnitCount] = {};
    for (int c = 0; c < kCategoryCount; ++c) {
        EXPECT_EQ(int(unitCategory(c).count), sizes[c]) << unitCategory(c).name;
        for (size_t i = 0; i < unitCategory(c).count; ++i) {
            ASSERT_LT(unitCategory(c).codes[i], kUnitCount);
            ++seen[unitCategory(c).codes[i]];
        }
    }
    for (int code = 0; code < kUnitCount; ++code) EXPECT_EQ(seen[code], 1) << code;
    EXPECT_STREQ(unitCategory(0).name, "Acceleration");
    EXPECT_STREQ(unitCategory(22).name, "Other");
}

TEST(BACnetUnits, DescUnitNamesAndUnknowns) {
    const struct {
        int code;
        const char* name;
    } cases[] = {{-1, "unknown"},         {237, "unknown"},      {65535, "unknown"},
                 {0, "square-meters"},    {62, "degrees-Celsius"}, {95, "no-units"},
                 {139, "megajoules-hours-per-square-meter"}, {172, "ohm-meters"},
                 {207, "per-mille"},      {236, "minutes-per-degree-kelvin"}};
    for (const auto& c : cases) EXPECT_EQ(Desc_Unit(c.code), QString::fromLatin1(c.name)) << c.code;
    EXPECT_EQ(pickerUnitName(139), QStringLiteral("megajoules-per-square-meter"));
    EXPECT_EQ(pickerUnitName(140), QStringLiteral("megajoules-per-square-foot"));
    EXPECT_EQ(pickerUnitName(172), QStringLiteral("ohms-meters"));
    EXPECT_EQ(pickerUnitName(62), Desc_Unit(62));
}

class UnitPicker : public ::testing::Test {
protected:
    void SetUp() override {
        Load_Default_Language();
        g_SWCode = QStringLiteral("KS73632");
    }
    static void show(TFBACnet_Eng_Unit& f) {
        f.hide();
        f.show();
        QApplication::processEvents();
    }
    static void choose(TFBACnet_Eng_Unit& f, const QString& category, int unit) {
        f.CB_Select_Type->setCurrentIndex(f.CB_Select_Type->findText(category));
        f.CB_Select_TypeSelect();
        f.CB_Select_Unit->setCurrentIndex(unit);
        QTest::mouseClick(f.Btn_Select_Eng_Unit, Qt::LeftButton);
    }
    static QStringList units(const TFBACnet_Eng_Unit& f) {
        QStringList l;
        for (int i = 0; i < f.CB_Select_Unit->count(); ++i) l << f.CB_Select_Unit->itemText(i);
        return l;
    }
};

TEST_F(UnitPicker, LayoutAndTexts) {
    TFBACnet_Eng_Unit f;
    EXPECT_EQ(f.ClientWidth(), 548);
    EXPECT_EQ(f.ClientHeight(), 306);
    EXPECT_EQ(f.windowTitle(), QStringLiteral("Select the BACnet Engineering Unit"));
    EXPECT_EQ(f.Label1->text(), QStringLiteral("Selected BACnet Engineering Unit"));
    EXPECT_EQ(f.Label4->text(), QStringLiteral("Select Unit"));
    EXPECT_EQ(f.Btn_Select_Eng_Unit->Caption(), QStringLiteral("Select Engineering Unit"));
    EXPECT_EQ(f.CB_Select_Type->count(), kCategoryCount);
    EXPECT_EQ(f.CB_Select_Type->currentText(), QStringLiteral("Acceleration"));
}

TEST_F(UnitPicker, ChoosingAUnitPutsItsCodeAndName) {
    TFBACnet_Eng_Unit f;
    show(f);
    choose(f, QStringLiteral("Other"), 29);
    EXPECT_EQ(f.E_Selected_EU->text(), QStringLiteral("207"));
    EXPECT_EQ(f.Label5->text(), QStringLiteral("-> per-mille"));
    choose(f, QStringLiteral("Electrical"), 11);
    EXPECT_EQ(f.CB_Select_Unit->currentText(), QStringLiteral("ohms-meters"));
    EXPECT_EQ(f.E_Selected_EU->text(), QStringLiteral("172"));
    EXPECT_EQ(f.Label5->text(), QStringLiteral("-> ohm-meters"));
    // Taking a unit does not close the window.
    EXPECT_TRUE(f.isVisible());
}

TEST_F(UnitPicker, AreaListsItsUnitsInTheTablesOrder) {
    TFBACnet_Eng_Unit f;
    show(f);
    const QStringList expected = {QStringLiteral("square-meters"), QStringLiteral("square-centimeters"),
                                  QStringLiteral("square-feet"), QStringLiteral("square-inches")};
    const char* codes[] = {"0", "116", "1", "115"};
    for (int i = 0; i < 4; ++i) {
        choose(f, QStringLiteral("Area"), i);
        EXPECT_EQ(units(f), expected);
        EXPECT_EQ(f.E_Selected_EU->text(), QString::fromLatin1(codes[i]));
    }
}

TEST_F(UnitPicker, TypedCodeComesBackAfterOkAndCategoryIsKept) {
    TFBACnet_Eng_Unit f;
    show(f);
    f.E_Selected_EU->setText(QStringLiteral("4711x"));
    QTest::mouseClick(f.Btn_OK, Qt::LeftButton);
    EXPECT_EQ(f.ModalResult(), plat::mrOk);
    EXPECT_EQ(f.E_Selected_EU->text(), QStringLiteral("4711x"));

    show(f);  // OK closed it; Cancel answers only on a shown window
    f.CB_Select_Type->setCurrentIndex(f.CB_Select_Type->findText(QStringLiteral("Temperature")));
    f.CB_Select_TypeSelect();
    f.CB_Select_Unit->setCurrentIndex(3);
    QTest::mouseClick(f.Btn_Cancel, Qt::LeftButton);
    EXPECT_EQ(f.ModalResult(), plat::mrCancel);
    show(f);
    EXPECT_EQ(f.CB_Select_Type->currentText(), QStringLiteral("Temperature"));
    EXPECT_EQ(f.CB_Select_Unit->currentIndex(), 0);
    EXPECT_EQ(f.CB_Select_Unit->currentText(), QStringLiteral("degrees-Celsius"));
}

}  // namespace
