#pragma once
// A button that never takes the focus: a glyph (NumGlyphs pictures side by side for the states up,
// disabled, down and exclusive) and a caption. It shows down while the left button is pressed on it
// and the pointer is over it; with a GroupIndex it stays down when clicked (exclusive in its group
// of siblings, all up only with AllowAllUp). The press captures the mouse, so the release reaches
// the button wherever the pointer is; Click comes only for a release over it.
#include "platform/Bitmap.h"
#include "platform/Controls.h"

#include <QString>

namespace plat {

enum TButtonState : uint8_t { bsUp, bsDisabled, bsDown, bsExclusive };

class TSpeedButton : public TGraphicControl {
public:
    explicit TSpeedButton(QWidget* parent = nullptr);

    const TBitmap& Glyph() const { return glyph_; }
    void SetGlyph(const TBitmap& glyph);
    int NumGlyphs() const { return numGlyphs_; }
    void SetNumGlyphs(int n);  // 1..4; other values are ignored
    const QString& Caption() const { return caption_; }
    void SetCaption(const QString& caption);
    bool Down() const { return down_; }
    void SetDown(bool on);
    int GroupIndex() const { return groupIndex_; }
    void SetGroupIndex(int index);
    bool AllowAllUp() const { return allowAllUp_; }
    void SetAllowAllUp(bool on);
    bool Flat() const { return flat_; }
    void SetFlat(bool on);
    bool Transparent() const { return transparent_; }
    void SetTransparent(bool on);
    // What the button shows now: disabled, pressed by the mouse (down), held down (exclusive), up.
    TButtonState State() const;
    // The picture of the glyph for a state (the first one when the glyph has fewer pictures).
    QImage GlyphFor(TButtonState state) const;
    void Click() override { TGraphicControl::Click(); }

protected:
    void Paint() override;
    void MouseDown(TMouseButton Button, TShiftState Shift, int X, int Y) override;
    void MouseMove(TShiftState Shift, int X, int Y) override;
    void MouseUp(TMouseButton Button, TShiftState Shift, int X, int Y) override;
    // The mouse is pressed on the button (its state follows the pointer).
    bool Dragging() const { return dragging_; }

private:
    void groupDown();  // the other buttons of the group go up
    TBitmap glyph_;
    int numGlyphs_ = 1;
    QString caption_;
    bool down_ = false, allowAllUp_ = false, flat_ = false, transparent_ = true;
    int groupIndex_ = 0;
    bool dragging_ = false, pressedLook_ = false;
};

}  // namespace plat
