#include "controls/ExGridTypes.h"

#include <gtest/gtest.h>

namespace {

// The stored format depends on the ordinals: check the counts and a value at each end of every list.
TEST(ExGridTypes, OrdinalsFollowDeclarationOrder) {
    EXPECT_EQ(EnumCount<TEditorType>(), 43u);
    EXPECT_EQ(edDataCheckBox, 10);
    EXPECT_EQ(edMaskEditBtn, 42);
    EXPECT_EQ(EnumCount<TSortStyle>(), 20u);
    EXPECT_EQ(ssAlphaNumericNoCase, 19);
    EXPECT_EQ(EnumCount<TColumnCalcType>(), 10u);
    EXPECT_EQ(acSTDDEV, 9);
    EXPECT_EQ(ssOffice2007, 3);
    EXPECT_EQ(hcSelected, 2);
    EXPECT_EQ(fceComboList, 2);
    EXPECT_EQ(fceRightClick, 3);
    EXPECT_EQ(adTopBottomInCol, 3);
}

// Each name table must agree with the enumeration it describes, value by value.
template <class E>
void expectNamesRoundTrip() {
    for (std::size_t i = 0; i < EnumCount<E>(); ++i) {
        const E v = static_cast<E>(i);
        const QString name = EnumToName(v);
        ASSERT_FALSE(name.isEmpty());
        EXPECT_EQ(EnumFromName<E>(name), v) << name.toStdString();
    }
}

TEST(ExGridTypes, NamesReadBackToTheirValues) {
    expectNamesRoundTrip<TEditorType>();
    expectNamesRoundTrip<TSortStyle>();
    expectNamesRoundTrip<TColumnCalcType>();
    expectNamesRoundTrip<TGridSelectionStyle>();
    expectNamesRoundTrip<THoverRowCell>();
    expectNamesRoundTrip<TGridFixedCellEdit>();
    expectNamesRoundTrip<TGridFixedCellEditor>();
    EXPECT_EQ(EnumFromName<TEditorType>(u"edDataCheckBox"), edDataCheckBox);
    EXPECT_EQ(EnumFromName<TEditorType>(u"edComboList"), edComboList);
    EXPECT_EQ(EnumToName(edComboEdit), QStringLiteral("edComboEdit"));
    EXPECT_EQ(EnumToName(ssAnsiAlphaNoCase), QStringLiteral("ssAnsiAlphaNoCase"));
    EXPECT_FALSE(EnumFromName<TEditorType>(u"eddatacheckbox"));  // stored names match exactly
    EXPECT_FALSE(EnumFromName<TEditorType>(u""));
}

TEST(ExGridTypes, SetsStreamAsOrdinalBits) {
    const THoverRowCells cells{hcNormal, hcSelected};
    EXPECT_EQ(cells.bits(), 0b101u);
    EXPECT_TRUE(cells.contains(hcNormal));
    EXPECT_FALSE(cells.contains(hcFixed));
    EXPECT_EQ(EnumSetToText(cells), QStringLiteral("[hcNormal, hcSelected]"));
    EXPECT_EQ(EnumSetFromText<THoverRowCell>(u"[hcNormal, hcSelected]"), cells);
    EXPECT_EQ(EnumSetFromText<THoverRowCell>(u"[]"), THoverRowCells{});
    EXPECT_EQ(EnumSetToText(THoverRowCells{}), QStringLiteral("[]"));
    EXPECT_FALSE(EnumSetFromText<THoverRowCell>(u"[hcNormal, hcHot]"));
    EXPECT_FALSE(EnumSetFromText<THoverRowCell>(u"hcNormal"));
    TCellBorders b;
    b.include(cbBottom).include(cbTop).exclude(cbTop);
    EXPECT_EQ(b.bits(), 0b1000u);
}

}  // namespace
