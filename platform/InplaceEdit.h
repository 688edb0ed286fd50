#pragma once
// The string grid's in-place editor: a frameless masked edit without a tab stop, owned by one grid
// and laid over its current cell. The grid's navigation keys go to the grid (Up, Down, PgUp, PgDn,
// Esc and Tab always; Left and Home at the start and Right and End at the end of the text only when
// the grid always shows its editor; Insert and Ctrl+Delete); every other key fires the grid's
// OnKeyDown first and then edits. Each character goes to the grid's KeyPress first; a printable one
// the grid does not accept is dropped with a beep. Key-ups go to the grid.
#include "platform/MaskEdit.h"

namespace plat {

class TStringGrid;

class TInplaceEdit : public TCustomMaskEdit {
public:
    explicit TInplaceEdit(TStringGrid* grid);
    TStringGrid* Grid() const { return grid_; }

    // Loads the current cell: the text cleared, the grid's edit mask, edit text and edit limit.
    virtual void UpdateContents();
    // Places the editor on a cell rectangle of the grid's viewport; an empty one hides it.
    virtual void Move(const TRect& r);

protected:
    void KeyDown(uint16_t& Key, TShiftState Shift) override;
    void KeyPress(QChar& Key) override;
    void KeyUp(uint16_t& Key, TShiftState Shift) override;
    // Not read-only and the grid's CanEditModify.
    bool EditCanModify() override;
    void focusInEvent(QFocusEvent* event) override;
    void focusOutEvent(QFocusEvent* event) override;
    // Tab reaches the keys (and so the grid) when the grid takes tabs; otherwise it moves the focus.
    bool focusNextPrevChild(bool next) override;

private:
    friend class TStringGrid;
    TStringGrid* grid_;
};

}  // namespace plat
