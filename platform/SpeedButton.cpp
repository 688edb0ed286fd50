#include "platform/SpeedButton.h"

#include "platform/Themes.h"

#include <QPainter>

namespace plat {

TSpeedButton::TSpeedButton(QWidget* parent) : TGraphicControl(parent) {
    SetControlStyle(TControlStyle{csClickEvents});
    resize(23, 22);
}

void TSpeedButton::SetGlyph(const TBitmap& glyph) {
    glyph_.Assign(glyph);
    update();
}

void TSpeedButton::SetNumGlyphs(int n) {
    if (n < 1 || n > 4 || n == numGlyphs_) return;
    numGlyphs_ = n;
    update();
}

void TSpeedButton::SetCaption(const QString& caption) {
    if (caption == caption_) return;
    caption_ = caption;
    update();
}

void TSpeedButton::SetDown(bool on) {
    if (groupIndex_ == 0) on = false;  // only a grouped button stays down
    if (on == down_) return;
    if (!on && !allowAllUp_) {
        // the last down button of a group that may not be all up stays down
        return;
    }
    down_ = on;
    if (on) groupDown();
    update();
}

void TSpeedButton::SetGroupIndex(int index) {
    if (index == groupIndex_) return;
    groupIndex_ = index;
    if (index == 0) down_ = false;
    else if (down_) groupDown();
    update();
}

void TSpeedButton::SetAllowAllUp(bool on) {
    allowAllUp_ = on;
    if (groupIndex_ == 0 || !parentWidget()) return;
    for (QObject* o : parentWidget()->children())
        if (auto* b = dynamic_cast<TSpeedButton*>(o); b && b != this && b->groupIndex_ == groupIndex_)
            b->allowAllUp_ = on;
}

void TSpeedButton::SetFlat(bool on) {
    if (on == flat_) return;
    flat_ = on;
    update();
}

void TSpeedButton::SetTransparent(bool on) {
    if (on == transparent_) return;
    transparent_ = on;
    update();
}

void TSpeedButton::groupDown() {
    if (groupIndex_ == 0 || !parentWidget()) return;
    for (QObject* o : parentWidget()->children())
        if (auto* b = dynamic_cast<TSpeedButton*>(o); b && b != this && b->groupIndex_ == groupIndex_ && b->down_) {
            b->down_ = false;
            b->update();
        }
}

TButtonState TSpeedButton::State() const {
    if (!isEnabled()) return bsDisabled;
    if (pressedLook_) return bsDown;
    if (down_) return bsExclusive;
    return bsUp;
}

QImage TSpeedButton::GlyphFor(TButtonState state) const {
    if (glyph_.Empty()) return {};
    const QImage all = glyph_.MaskedImage();
    const int w = all.width() / numGlyphs_;
    const int index = int(state) < numGlyphs_ ? int(state) : 0;
    return all.copy(index * w, 0, w, all.height());
}

void TSpeedButton::MouseDown(TMouseButton Button, TShiftState Shift, int X, int Y) {
    TGraphicControl::MouseDown(Button, Shift, X, Y);
    if (Button != mbLeft || !isEnabled()) return;
    dragging_ = true;
    if (!down_) {
        pressedLook_ = true;
        update();
    }
}

void TSpeedButton::MouseMove(TShiftState Shift, int X, int Y) {
    TGraphicControl::MouseMove(Shift, X, Y);
    if (!dragging_) return;
    const bool look = !down_ && rect().contains(X, Y);
    if (look != pressedLook_) {
        pressedLook_ = look;
        update();
    }
}

void TSpeedButton::MouseUp(TMouseButton Button, TShiftState Shift, int X, int Y) {
    if (Button == mbLeft && dragging_) {
        dragging_ = false;
        pressedLook_ = false;
        if (rect().contains(X, Y) && groupIndex_ != 0) {
            // a grouped button toggles; the group keeps one down unless all may be up
            if (!down_) SetDown(true);
            else if (allowAllUp_) SetDown(false);
        }
        update();
    }
    TGraphicControl::MouseUp(Button, Shift, X, Y);
}

void TSpeedButton::Paint() {
    TCanvas& c = Canvas();
    const TButtonState state = State();
    const bool pushed = state == bsDown || state == bsExclusive;
    TRect r{0, 0, width(), height()};
    if (!flat_) {
        DrawFrameControl(c, r, DFC_BUTTON, DFCS_BUTTONPUSH | DFCS_ADJUSTRECT | (pushed ? DFCS_PUSHED : 0));
    } else if (pushed || underMouse()) {
        DrawEdge(c, r, pushed ? BDR_SUNKENOUTER : BDR_RAISEDINNER, BF_RECT | (transparent_ ? 0 : BF_MIDDLE));
    } else if (!transparent_) {
        c.Brush().SetColor(clBtnFace);
        c.FillRect(r);
    }
    const int shift = pushed ? 1 : 0;
    const QImage g = GlyphFor(state);
    int textLeft = 0;
    if (QPainter* p = c.Painter(); p && !g.isNull()) {
        const int gx = caption_.isEmpty() ? std::max(0, (width() - g.width()) / 2) : 4;
        const int gy = std::max(0, (height() - g.height()) / 2);
        p->drawImage(gx + shift, gy + shift, g);
        textLeft = gx + g.width();
    }
    if (!caption_.isEmpty()) {
        c.Font().Assign(Font());
        if (state == bsDisabled) c.Font().SetColor(clGrayText);
        c.Brush().SetStyle(bsClear);
        TRect t{textLeft + shift, shift, width() + shift, height() + shift};
        c.DrawText(caption_, t, DT_CENTER | DT_VCENTER | DT_SINGLELINE);
        c.Brush().SetStyle(bsSolid);
    }
}

}  // namespace plat
