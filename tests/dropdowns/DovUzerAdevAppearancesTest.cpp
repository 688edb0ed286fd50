// Header, footer and button appearances: their defaults, which changes they report, and how they
// are copied.
#include <gtest/gtest.h>

#include <QObject>
#include <functional>

#include "controls/ExUtil.h"
#include "dropdowns/DovUzerAdevAppearances.h"

using namespace plat;
using namespace dropdowns;

namespace {

// Counts the events an appearance raises, with the sender each time.
struct Events {
    int change = 0, buttons = 0;
    QObject* lastSender = nullptr;
    template <class A>
    void hook(A& a) {
        a.OnChange = [this](QObject* s) {
            ++change;
            lastSender = s;
        };
        a.OnButtonsChanged = [this](QObject* s) {
            ++buttons;
            lastSender = s;
        };
    }
};

template <class A>
void expectBarDefaults(const A& a, const QObject* owner) {
    EXPECT_EQ(a.Color(), RGB(192, 192, 192));
    EXPECT_EQ(a.ColorTo(), RGB(255, 255, 255));
    EXPECT_EQ(a.BorderColor(), RGB(0, 0, 0));
    EXPECT_EQ(a.BorderWidth(), 1);
    EXPECT_EQ(a.Height(), 22);
    EXPECT_EQ(a.ImageIndex(), -1);
    EXPECT_EQ(a.GradientDirection(), gdVertical);
    EXPECT_EQ(a.ButtonAlignment(), baRight);
    EXPECT_TRUE(a.Visible());
    EXPECT_TRUE(a.Caption().isEmpty());
    EXPECT_EQ(a.Buttons().Count(), 0);
    EXPECT_EQ(a.GetOwner(), owner);
    EXPECT_EQ(a.Buttons().GetOwner(), owner) << "the buttons report the appearance's owner";
}

TEST(DropDownAppearance, NewHeaderAndFooterDefaults) {
    QObject owner;
    const THeaderAppearance header(&owner);
    expectBarDefaults(header, &owner);
    EXPECT_EQ(header.Font().Name(), QStringLiteral("Tahoma")) << "kept as given even without the face";

    const TFooterAppearance footer(&owner);
    expectBarDefaults(footer, &owner);
    EXPECT_TRUE(footer.SizeGrip());
    EXPECT_EQ(footer.Font().Name(), TFont().Name()) << "the platform's default face";
    EXPECT_EQ(footer.Font().Height(), TFont().Height());
}

TEST(DropDownAppearance, NewButtonAppearanceDefaults) {
    const TExButtonAppearance a;
    struct Case {
        const char* name;
        TColor got, expected;
    } cases[] = {
        {"ColorHot", a.ColorHot(), RGB(225, 240, 245)},
        {"ColorHotTo", a.ColorHotTo(), RGB(178, 210, 249)},
        {"ColorDown", a.ColorDown(), RGB(202, 216, 245)},
        {"ColorDownTo", a.ColorDownTo(), RGB(160, 189, 249)},
        {"latched colour, the hot colour shaded", a.ColorChecked(), RGB(202, 216, 245)},
        {"latched end colour", a.ColorCheckedTo(), RGB(160, 189, 249)},
        {"latched border", a.BorderColorChecked(), RGB(0, 0, 255)},
        {"ColorDisabled", a.ColorDisabled(), RGB(242, 242, 242)},
        {"Color", a.Color(), clNone},
        {"ColorTo", a.ColorTo(), clNone},
        {"BorderColor", a.BorderColor(), clNone},
        {"ColorDisabledTo", a.ColorDisabledTo(), clNone},
        {"BorderColorHot", a.BorderColorHot(), RGB(128, 128, 128)},
        {"BorderColorDown", a.BorderColorDown(), RGB(0, 0, 128)},
        {"BorderColorDisabled", a.BorderColorDisabled(), RGB(128, 128, 128)},
    };
    for (const Case& cs : cases) EXPECT_EQ(cs.got, cs.expected) << cs.name;
    EXPECT_EQ(a.Gradient(), gdVertical);
    EXPECT_EQ(a.Font().Name(), QStringLiteral("Tahoma"));
}

TEST(DropDownAppearance, WhatReportsAChange) {
    struct Case {
        const char* name;
        std::function<void(THeaderAppearance&)> act;
        int change, buttons;
    } cases[] = {
        {"Visible changed", [](THeaderAppearance& a) { a.SetVisible(false); }, 1, 0},
        {"Visible set to its value", [](THeaderAppearance& a) { a.SetVisible(true); }, 0, 0},
        {"Height", [](THeaderAppearance& a) { a.SetHeight(40); }, 0, 0},
        {"Color", [](THeaderAppearance& a) { a.SetColor(clRed); }, 0, 0},
        {"Caption", [](THeaderAppearance& a) { a.SetCaption(QStringLiteral("Pick")); }, 0, 0},
        {"font through its setter", [](THeaderAppearance& a) { a.SetFont(TFont()); }, 0, 0},
        {"button Width 0 -> 40", [](THeaderAppearance& a) { a.Buttons().Items(0).SetWidth(40); }, 0, 1},
        {"button Width set to its value", [](THeaderAppearance& a) { a.Buttons().Items(0).SetWidth(0); }, 0, 0},
        {"button Height", [](THeaderAppearance& a) { a.Buttons().Items(0).SetHeight(30); }, 0, 0},
        {"button Caption to the same text", [](THeaderAppearance& a) { a.Buttons().Items(0).SetCaption("OK"); }, 0, 0},
        {"button Caption changed", [](THeaderAppearance& a) { a.Buttons().Items(0).SetCaption("Yes"); }, 0, 1},
        {"button Enabled changed", [](THeaderAppearance& a) { a.Buttons().Items(0).SetEnabled(false); }, 0, 1},
        {"button ImageIndex", [](THeaderAppearance& a) { a.Buttons().Items(0).SetImageIndex(3); }, 0, 0},
        {"a button added", [](THeaderAppearance& a) { a.Buttons().Add(); }, 0, 0},
        {"buttons replaced by a copy",
         [](THeaderAppearance& a) {
             THeaderAppearance other(nullptr);
             other.Buttons().Add().SetCaption(QStringLiteral("A"));
             other.Buttons().Add().SetWidth(7);
             a.SetButtons(other.Buttons());
         },
         0, 0},
    };
    for (const Case& cs : cases) {
        THeaderAppearance a(nullptr);
        a.Buttons().Add().SetCaption(QStringLiteral("OK"));
        Events ev;
        ev.hook(a);
        cs.act(a);
        EXPECT_EQ(ev.change, cs.change) << cs.name;
        EXPECT_EQ(ev.buttons, cs.buttons) << cs.name;
        if (ev.change + ev.buttons > 0) {
            EXPECT_EQ(ev.lastSender, &a) << cs.name << ": the appearance is the sender";
        }
    }

    // A footer button's changes arrive the same way.
    TFooterAppearance footer(nullptr);
    TFooterButton& b = footer.Buttons().Add();
    Events ev;
    ev.hook(footer);
    b.SetWidth(40);
    b.SetModalResult(2);
    b.SetHeight(9);
    EXPECT_EQ(ev.buttons, 1);
    // The collection's own event names the collection.
    QObject* sender = nullptr;
    footer.Buttons().OnChange = [&](QObject* s) { sender = s; };
    b.SetEnabled(false);
    EXPECT_EQ(sender, &footer.Buttons());
}

TEST(DropDownAppearance, ButtonAppearanceReportsEachColourChange) {
    TExButtonAppearance a;
    int changes = 0;
    a.OnChange = [&](QObject* s) {
        ++changes;
        EXPECT_EQ(s, &a);
    };
#define DD_CHECK(Name, Default)                         \
    changes = 0;                                        \
    a.Set##Name(a.Name());                              \
    EXPECT_EQ(changes, 0) << #Name " set to its value"; \
    a.Set##Name(RGB(1, 2, 3));                          \
    EXPECT_EQ(changes, 1) << #Name " changed";          \
    EXPECT_EQ(a.Name(), RGB(1, 2, 3)) << #Name;
    DD_BUTTON_APPEARANCE_COLORS(DD_CHECK)
#undef DD_CHECK
    changes = 0;
    a.SetGradient(gdHorizontal);
    a.SetGradient(gdHorizontal);
    EXPECT_EQ(changes, 1);
    TFont f;
    f.SetName(QStringLiteral("Courier"));
    a.SetFont(f);
    EXPECT_EQ(changes, 1) << "the font does not report";
    EXPECT_EQ(a.Font().Name(), QStringLiteral("Courier"));
}

TEST(DropDownAppearance, HeaderAssignCopiesAllButTheOwnerAndEvents) {
    QObject ownerA, ownerB;
    THeaderAppearance source(&ownerA);
    source.SetColor(clRed);
    source.SetColorTo(clNone);
    source.SetBorderColor(clBlue);
    source.SetCaption(QStringLiteral("<b>Pick</b>"));
    source.Font().SetName(QStringLiteral("Courier"));
    source.Font().SetColor(clMaroon);
    source.SetImageIndex(2);
    source.SetBorderWidth(3);
    source.SetGradientDirection(gdHorizontal);
    source.SetHeight(30);
    source.SetButtonAlignment(baLeft);
    THeaderButton& sb = source.Buttons().Add();
    sb.SetCaption(QStringLiteral("Clear"));
    sb.SetWidth(40);
    sb.SetHeight(18);
    sb.SetEnabled(false);
    sb.SetImageIndex(1);

    THeaderAppearance target(&ownerB);
    Events ev;
    ev.hook(target);
    target.Assign(&source);  // Visible equal on both sides
    EXPECT_EQ(ev.change, 0);
    EXPECT_EQ(ev.buttons, 0);
    EXPECT_EQ(target.Color(), clRed);
    EXPECT_EQ(target.ColorTo(), clNone);
    EXPECT_EQ(target.BorderColor(), clBlue);
    EXPECT_EQ(target.Caption(), QStringLiteral("<b>Pick</b>"));
    EXPECT_EQ(target.Font().Name(), QStringLiteral("Courier"));
    EXPECT_EQ(target.Font().Color(), clMaroon);
    EXPECT_EQ(target.ImageIndex(), 2);
    EXPECT_EQ(target.BorderWidth(), 3);
    EXPECT_EQ(target.GradientDirection(), gdHorizontal);
    EXPECT_EQ(target.Height(), 30);
    EXPECT_EQ(target.ButtonAlignment(), baLeft);
    ASSERT_EQ(target.Buttons().Count(), 1);
    const THeaderButton& tb = target.Buttons().Items(0);
    EXPECT_NE(&tb, &sb);
    EXPECT_EQ(tb.Caption(), QStringLiteral("Clear"));
    EXPECT_EQ(tb.Width(), 40);
    EXPECT_EQ(tb.Height(), 18);
    EXPECT_FALSE(tb.Enabled());
    EXPECT_EQ(tb.ImageIndex(), 1);
    EXPECT_EQ(target.GetOwner(), &ownerB);

    // The copied buttons still report to the target.
    target.Buttons().Items(0).SetWidth(41);
    EXPECT_EQ(ev.buttons, 1);

    // Visible differing: one change.
    source.SetVisible(false);
    target.Assign(&source);
    EXPECT_EQ(ev.change, 1);
    EXPECT_FALSE(target.Visible());
}

TEST(DropDownAppearance, FooterAssignAndColours) {
    TFooterAppearance source(nullptr);
    source.SetColor(clRed);
    source.SetSizeGrip(false);
    source.SetHeight(31);
    source.SetVisible(false);
    source.Font().SetColor(clGreen);
    TFooterButton& sb = source.Buttons().Add();
    sb.SetModalResult(2);
    sb.SetCaption(QStringLiteral("Cancel"));

    TFooterAppearance target(nullptr);
    Events ev;
    ev.hook(target);
    target.Assign(&source);
    EXPECT_EQ(ev.change, 1);
    EXPECT_EQ(target.Color(), clRed);
    EXPECT_FALSE(target.SizeGrip());
    EXPECT_EQ(target.Height(), 31);
    EXPECT_EQ(target.Font().Color(), clGreen);
    ASSERT_EQ(target.Buttons().Count(), 1);
    EXPECT_EQ(target.Buttons().Items(0).ModalResult(), 2);
    EXPECT_EQ(target.Buttons().Items(0).Caption(), QStringLiteral("Cancel"));

    // Only the colours and the font.
    TFooterAppearance colours(nullptr);
    colours.SetColorTo(clYellow);
    colours.SetBorderColor(clNone);
    colours.SetGradientDirection(gdHorizontal);
    colours.SetCaption(QStringLiteral("not copied"));
    colours.SetHeight(50);
    colours.Font().SetName(QStringLiteral("Courier"));
    target.AssignColors(&colours);
    EXPECT_EQ(target.Color(), clSilver);
    EXPECT_EQ(target.ColorTo(), clYellow);
    EXPECT_EQ(target.BorderColor(), clNone);
    EXPECT_EQ(target.GradientDirection(), gdHorizontal);
    EXPECT_EQ(target.Font().Name(), QStringLiteral("Courier"));
    EXPECT_TRUE(target.Caption().isEmpty());
    EXPECT_EQ(target.Height(), 31);
    EXPECT_EQ(target.Buttons().Count(), 1);
    EXPECT_EQ(ev.change, 1);

    THeaderAppearance header(nullptr);
    THeaderAppearance headerColours(nullptr);
    headerColours.SetColor(clAqua);
    headerColours.SetVisible(false);
    header.AssignColors(&headerColours);
    EXPECT_EQ(header.Color(), clAqua);
    EXPECT_TRUE(header.Visible());
}

TEST(DropDownAppearance, AnotherClassIsIgnoredByAppearances) {
    THeaderAppearance header(nullptr);
    TFooterAppearance footer(nullptr);
    footer.SetColor(clRed);
    footer.SetVisible(false);
    footer.SetCaption(QStringLiteral("Footer"));
    footer.Buttons().Add();
    Events ev;
    ev.hook(header);
    QObject plain;
    const QObject* sources[] = {&footer, &plain, nullptr};
    for (const QObject* source : sources) {
        header.Assign(source);
        header.AssignColors(source);
    }
    expectBarDefaults(header, nullptr);
    EXPECT_EQ(ev.change, 0);

    THeaderAppearance other(nullptr);
    other.SetHeight(99);
    footer.Assign(&other);
    footer.AssignColors(&other);
    EXPECT_EQ(footer.Height(), 22);
    EXPECT_EQ(footer.Color(), clRed);
}

TEST(DropDownAppearance, ButtonsOfAnotherClassRaiseAndLeaveTheTarget) {
    TFooterAppearance footer(nullptr);
    TFooterButton& target = footer.Buttons().Add();
    target.SetCaption(QStringLiteral("Close"));
    target.SetModalResult(1);
    target.SetWidth(30);
    THeaderAppearance header(nullptr);
    THeaderButton& source = header.Buttons().Add();
    source.SetCaption(QStringLiteral("Other"));
    source.SetWidth(50);
    int reports = 0;
    footer.OnButtonsChanged = [&](QObject*) { ++reports; };

    try {
        target.Assign(&source);
        ADD_FAILURE() << "no error";
    } catch (const EConvertError& e) {
        EXPECT_EQ(e.message(), QStringLiteral("Cannot assign a THeaderButton to a TFooterButton."));
    }
    EXPECT_THROW(target.Assign(nullptr), EConvertError);
    EXPECT_EQ(target.Caption(), QStringLiteral("Close"));
    EXPECT_EQ(target.ModalResult(), 1);
    EXPECT_EQ(target.Width(), 30);
    EXPECT_EQ(reports, 0);

    // The same class is copied, through the typed item write too; Caption and Width report.
    TFooterButton loose;
    loose.SetCaption(QStringLiteral("Apply"));
    loose.SetModalResult(6);
    loose.SetImageIndex(4);
    footer.Buttons().SetItems(0, loose);
    EXPECT_EQ(target.Caption(), QStringLiteral("Apply"));
    EXPECT_EQ(target.ModalResult(), 6);
    EXPECT_EQ(target.ImageIndex(), 4);
    EXPECT_EQ(target.Width(), 0);
    EXPECT_EQ(reports, 2);

    // And the button appearance.
    TExButtonAppearance look;
    look.SetColor(clRed);
    int changes = 0;
    look.OnChange = [&](QObject*) { ++changes; };
    try {
        look.Assign(&header);
        ADD_FAILURE() << "no error";
    } catch (const EConvertError& e) {
        EXPECT_EQ(e.message(), QStringLiteral("Cannot assign a THeaderAppearance to a TExButtonAppearance."));
    }
    EXPECT_THROW(look.Assign(nullptr), EConvertError);
    EXPECT_EQ(look.Color(), clRed);
    EXPECT_EQ(changes, 0);
}

TEST(DropDownAppearance, ButtonAppearanceAssign) {
    TExButtonAppearance source, target;
    source.SetColor(clRed);
    source.SetColorChecked(clLime);
    source.SetBorderColorChecked(clYellow);
    source.SetGradient(gdHorizontal);
    source.Font().SetName(QStringLiteral("Courier"));
    int changes = 0;
    target.OnChange = [&](QObject*) { ++changes; };
    target.Assign(&source);
    EXPECT_EQ(changes, 4) << "one report for each value that differed";
    EXPECT_EQ(target.Color(), clRed);
    EXPECT_EQ(target.ColorChecked(), clLime);
    EXPECT_EQ(target.BorderColorChecked(), clYellow);
    EXPECT_EQ(target.Gradient(), gdHorizontal);
    EXPECT_EQ(target.Font().Name(), QStringLiteral("Tahoma")) << "the font is not copied";
}

TEST(DropDownAppearance, ButtonListPositions) {
    THeaderAppearance a(nullptr);
    a.Buttons().Add().SetCaption(QStringLiteral("B"));
    a.Buttons().Add().SetCaption(QStringLiteral("C"));
    THeaderButton& first = a.Buttons().Insert(0);
    first.SetCaption(QStringLiteral("A"));
    ASSERT_EQ(a.Buttons().Count(), 3);
    for (int i = 0; i < 3; ++i) {
        EXPECT_EQ(a.Buttons().Items(i).Caption(), QString(QChar(u'A' + i)));
        EXPECT_EQ(a.Buttons().Items(i).Index(), i);
    }
    a.Buttons().Delete(2);
    try {
        a.Buttons().Items(3);
        ADD_FAILURE() << "no error";
    } catch (const EListError& e) {
        EXPECT_EQ(e.message(), QStringLiteral("List index out of bounds (3)"));
    }
    EXPECT_THROW(a.Buttons().Items(2), EListError);
    EXPECT_THROW(a.Buttons().Items(-1), EListError);
    EXPECT_THROW(a.Buttons().Insert(3), EListError);
    EXPECT_THROW(a.Buttons().SetItems(2, THeaderButton()), EListError);
    EXPECT_EQ(a.Buttons().Count(), 2);
}

}  // namespace
