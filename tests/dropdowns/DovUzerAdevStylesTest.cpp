// The named looks of the drop-down edits: a row per look checking the pop-up, header, footer,
// button and item-list colours, and the selection presets.
#include <gtest/gtest.h>

#include <QWidget>

#include "controls/ExUtilDraw.h"
#include "dropdowns/DovUzerAdevEdit.h"
#include "dropdowns/ExItemSelector.h"

using namespace plat;
using namespace dropdowns;

namespace {

class TStyledDropDown : public TExCustomDropDown {
public:
    explicit TStyledDropDown(QWidget* parent = nullptr) : TExCustomDropDown(parent) {}
    using TExCustomDropDown::DrawSelection;
    using TExCustomDropDown::SetSelectionColorStyle;
};

struct Styled {
    QWidget window;
    TStyledDropDown* edit = TExCustomDropDown::CreateDropDown<TStyledDropDown>(&window);
};

}  // namespace

TEST(DropDownStyles, OneRowPerLook) {
    struct Row {
        TSkinStyle style;
        TColor dropDownColor, dropDownColorTo, headerColor, headerColorTo, headerFont, headerBorder;
        TColor footerColor, footerColorTo, footerBorder;
        TColor buttonColor, buttonColorHot, buttonChecked;
        TColor itemHot, itemSelectedTo, itemEdge, itemSelectedText;
    } rows[] = {
        {tsOffice2003Blue, 0xFFFFFF, clNone, 0xFCE1CB, 0xE0A57D, 0x000000, 0x000000, 0xFCE1CB, 0xE0A57D, 0x962D00,
         0xFCE1CB, 0xEBFDFF, 0x76AFF1, 0xEBFDFF, 0x6EBBFF, clNone, clBlack},
        {tsOffice2003Silver, 0xFFFFFF, clNone, 0xECE2E1, 0xB39698, 0x000000, 0x947C7C, 0xECE2E1, 0xB39698, 0x947C7C,
         0xECE2E1, 0xEBFDFF, 0x76AFF1, 0xEBFDFF, 0x6EBBFF, clNone, clBlack},
        {tsOffice2003Olive, 0xFFFFFF, clNone, 0xCFF0EA, 0x8CC0B1, 0x000000, 0x588060, 0xCFF0EA, 0x8CC0B1, 0x588060,
         0xCFF0EA, 0xEBFDFF, 0x76AFF1, 0xEBFDFF, 0x6EBBFF, clNone, clBlack},
        {tsOffice2003Classic, 0xF2F2F2, 0xF2F2F2, 0x808080, 0x808080, 0xFFFFFF, 0x808080, 0x808080, 0x808080, 0x808080,
         0xFFFFFF, 0xD2BDB6, 0xD8D5D4, 0xD2BDB6, 0xB59285, clNone, clBlack},
        {tsOffice2007Luna, 0xF3E5DA, 0xF0DED0, 0xFFEFE3, 0xFFD2AF, 0x723708, 0xFFD2AF, 0xFFEFE3, 0xFFD2AF, 0xFFD2AF,
         0xFFEFE3, 0xEBFDFF, 0x76AFF1, 0xEBFDFF, 0x6EBBFF, 0xC3D9DF, clBlack},
        {tsOffice2007Obsidian, 0xFFFFFF, clNone, 0xF2F1F0, 0xC9C2BD, 0x433C37, 0x5C534C, 0xF2F1F0, 0xC9C2BD, 0x5C534C,
         0xF2F1F0, 0xEBFDFF, 0x76AFF1, 0xEBFDFF, 0x6EBBFF, 0xC3D9DF, clBlack},
        {tsWindowsXP, 0xFFFFFF, clNone, 0xFFFFFF, clBtnFace, 0x000000, 0x808080, 0xFFFFFF, clBtnFace, 0x808080,
         0xFFFFFF, 0xEFD3C6, 0xB9D8DC, 0xEFD3C6, clNone, clNone, clHighlightText},
        {tsWhidbey, 0xF5F9FA, 0xF5F9FA, 0xEBEEEF, 0x7E9898, 0xFFFFFF, 0x962D00, 0xEBEEEF, 0x7E9898, 0x962D00,
         0xFFFFFF, 0xEBFDFF, 0x76AFF1, 0xEBFDFF, 0x6EBBFF, clNone, clBlack},
        {tsOffice2007Silver, 0xF8F4F1, 0xF0E8E3, 0xF8F7F6, 0xE8E0DB, 0x8B4215, 0x74706F, 0xF8F7F6, 0xE8E0DB, 0x74706F,
         0xF9F8F8, 0xEBFDFF, 0x76AFF1, 0xEBFDFF, 0x6EBBFF, 0xC3D9DF, clBlack},
        {tsWindowsVista, 0xFFFFFF, 0xFFFFFF, 0xFFFDF9, 0xFFFAF0, 0x000000, 0xFCF2DA, 0xFFFAF0, 0xFFFDF9, 0xFCF2DA,
         0xFFFDF9, 0xFEF9F0, 0xFEF9F0, 0xFFFDF9, 0xFDF0D7, 0xFCEDCB, clBlack},
        {tsWindows7, 0xFFFFFF, 0xFFFFFF, 0xFDFBFA, 0xFDF3EB, 0x000000, 0xFBD6B8, 0xFDFBFA, 0xFDF3EB, 0xFBD6B8,
         0xFDFBFA, 0xFDFBFA, 0xFEF9F0, 0xFDFBFA, 0xFCDBC1, 0xE0C5AE, clBlack},
        {tsTerminal, 0xFFFFFF, 0xFFFFFF, clBtnFace, clBtnFace, 0x000000, clNone, clBtnFace, clBtnFace, clNone,
         clBtnFace, 0xC0C0C0, clBtnFace, 0xC0C0C0, clNone, clNone, clHighlightText},
        {tsOffice2010Blue, 0xFFFFFF, 0xF1EFED, 0xFDF6EF, 0xF0DAC7, 0x5B391E, 0xC7B29F, 0xFDF6EF, 0xF0DAC7, 0xC7B29F,
         0xFDF6EF, 0x8AE3FD, 0x45E1FE, 0xD9F9FD, 0x6CD0FF, clNone, clBlack},
        {tsOffice2010Silver, 0xFFFFFF, 0xF1EFED, 0xFFFFFF, 0xEDE5E0, 0x5B391E, 0xD2CDC8, 0xFFFFFF, 0xEDE5E0, 0xD2CDC8,
         0xFFFFFF, 0x8AE3FD, 0x45E1FE, 0xD9F9FD, 0x6CD0FF, clNone, clBlack},
        {tsOffice2010Black, 0xFFFFFF, 0xF1EFED, 0xBFBFBF, 0x919191, 0xD7D7D6, 0x6D6D6D, 0xBFBFBF, 0x919191, 0x6D6D6D,
         0xBFBFBF, 0x8AE3FD, 0x45E1FE, 0xD9F9FD, 0x6CD0FF, clNone, clBlack},
    };
    for (const Row& r : rows) {
        SCOPED_TRACE(int(r.style));
        Styled s;
        TExCustomDropDown& e = *s.edit;
        e.SetComponentStyle(r.style);
        EXPECT_EQ(e.GetComponentStyle(), r.style);
        EXPECT_EQ(e.DropDownColor(), r.dropDownColor);
        EXPECT_EQ(e.DropDownColorTo, r.dropDownColorTo);
        EXPECT_EQ(e.DropDownHeader().Color(), r.headerColor);
        EXPECT_EQ(e.DropDownHeader().ColorTo(), r.headerColorTo);
        EXPECT_EQ(e.DropDownHeader().Font().Color(), r.headerFont);
        EXPECT_EQ(e.DropDownHeader().BorderColor(), r.headerBorder);
        EXPECT_EQ(e.DropDownFooter().Color(), r.footerColor);
        EXPECT_EQ(e.DropDownFooter().ColorTo(), r.footerColorTo);
        EXPECT_EQ(e.DropDownFooter().Font().Color(), r.headerFont);
        EXPECT_EQ(e.DropDownFooter().BorderColor(), r.footerBorder);
        EXPECT_EQ(e.ButtonAppearance().Color(), r.buttonColor);
        EXPECT_EQ(e.ButtonAppearance().ColorHot(), r.buttonColorHot);
        EXPECT_EQ(e.ButtonAppearance().ColorChecked(), r.buttonChecked);

        TItemAppearance a;
        a.BorderColorHot = clRed;
        TExCustomDropDown::SetItemAppearanceStyle(&a, r.style);
        EXPECT_EQ(a.ColorHot, r.itemHot);
        EXPECT_EQ(a.ColorSelectedTo, r.itemSelectedTo);
        EXPECT_EQ(a.EdgeColor, r.itemEdge);
        EXPECT_EQ(a.ColorSelectedText, r.itemSelectedText);
        EXPECT_EQ(a.BorderColorHot, clNone);
    }
}

TEST(DropDownStyles, WhatTheLooksLeaveAlone) {
    Styled s;
    TExCustomDropDown& e = *s.edit;
    // tsCustom after a look changes nothing but the stored look.
    e.SetComponentStyle(tsWindows7);
    e.SetComponentStyle(tsCustom);
    EXPECT_EQ(e.GetComponentStyle(), tsCustom);
    EXPECT_EQ(e.DropDownColor(), 0xFFFFFFu);
    EXPECT_EQ(e.DropDownBorderColor, 0x979797u);
    EXPECT_EQ(e.DropDownHeader().Color(), 0xFDFBFAu);
    EXPECT_EQ(e.ButtonAppearance().BorderColorDown(), 0xCEA27Du);
    TItemAppearance a;
    const TColor hot = a.ColorHot;
    TExCustomDropDown::SetItemAppearanceStyle(&a, tsCustom);
    EXPECT_EQ(a.ColorHot, hot);
    TExCustomDropDown::SetItemAppearanceStyle(nullptr, tsWindows7);  // no appearance: nothing

    // Three looks keep the pop-up's border colour; the others write it.
    for (TSkinStyle keeps : {tsOffice2003Blue, tsOffice2003Silver, tsWindowsXP}) {
        e.DropDownBorderColor = clLime;
        e.SetComponentStyle(keeps);
        EXPECT_EQ(e.DropDownBorderColor, clLime) << int(keeps);
    }
    e.SetComponentStyle(tsOffice2003Olive);
    EXPECT_EQ(e.DropDownBorderColor, clNone);

    // Colour tones reach the drop-down button and the border only.
    e.SetComponentStyle(tsOffice2007Luna);
    TColorTones tones;
    tones.Background = {0x111111, 0x222222, 0x333333};
    tones.Hover = {0x444444, 0, 0};
    tones.Selected = {0x555555, 0, 0};
    e.SetColorTones(tones);
    EXPECT_EQ(e.Button()->ButtonColor, 0x111111u);
    EXPECT_EQ(e.Button()->ButtonColorHot, 0x444444u);
    EXPECT_EQ(e.Button()->ButtonColorDown, 0x555555u);
    EXPECT_EQ(e.Button()->ButtonBorderColor, 0x222222u);
    EXPECT_EQ(e.BorderColor(), 0x222222u);
    EXPECT_EQ(e.DropDownColor(), 0xF3E5DAu);
    EXPECT_EQ(e.DropDownHeader().Color(), 0xFFEFE3u);
    EXPECT_EQ(e.DropDownHeader().BorderColor(), 0xFFD2AFu);
}

TEST(DropDownStyles, SelectionPresetsAndDrawing) {
    Styled s;
    TStyledDropDown& e = *s.edit;
    EXPECT_EQ(e.SelectionColorStyle(), scOffice2007) << "the constructor applies it";
    struct Case {
        TSelectionColorStyle style;
        TColor color, colorTo;
    } cases[] = {
        {scWindowsVista, 0xFDF8F1, 0xFCEFD5}, {scWindows7, 0xFCEBDC, 0xFCDBC1}, {scOffice2007, 0xD7FFFD, 0x58D4FC}};
    for (const Case& c : cases) {
        e.SetSelectionColorStyle(c.style);
        EXPECT_EQ(e.SelectionColor, c.color);
        EXPECT_EQ(e.SelectionColorTo, c.colorTo);
    }
    e.SelectionColor = clRed;
    e.SetSelectionColorStyle(scCustom);
    EXPECT_EQ(e.SelectionColor, clRed) << "custom keeps the colours";

    auto draw = [&](auto&& paint) {
        QImage img(40, 20, QImage::Format_RGB32);
        img.fill(Qt::white);
        TCanvas c(&img);
        paint(c);
        c.Release();
        return img;
    };
    const QImage plain = draw([&](TCanvas& c) { e.DrawSelection(c, Rect(0, 0, 40, 20), clWhite, 0); });
    for (QPoint p : {QPoint(0, 0), QPoint(20, 10), QPoint(39, 19)}) EXPECT_EQ(FromQRgb(plain.pixel(p)), clRed);

    e.SetSelectionColorStyle(scWindows7);
    const QImage mine = draw([&](TCanvas& c) { e.DrawSelection(c, Rect(0, 0, 40, 20), clWhite, 1); });
    const QImage expected = draw([&](TCanvas& c) {
        DrawSelectionRect(c, 0xFCEBDC, 0xFCDBC1, clNone, clNone, 0xFDF4EB, 0xFDEADB, 0xCEA27D, 0xE0C5AE, clWhite,
                          Rect(0, 0, 40, 20), 1);
    });
    EXPECT_EQ(mine, expected);
}
