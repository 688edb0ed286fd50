// The default text editor: the grid's in-place edit with the character filter of the cell's editor
// kind, look-up completion, validation before every key that leaves the cell, the cursor walk to
// the neighbouring cells, and the clipboard through the grid's clipboard events.
#include "grid/ExEditRules.h"
#include "grid/ExGrid.h"
#include "grid/ExGridEditors.h"

#include "controls/ExUtil.h"
#include "platform/Beep.h"
#include "platform/Error.h"
#include "platform/FormatSettings.h"
#include "platform/Guard.h"

#include <QApplication>
#include <QClipboard>
#include <QFocusEvent>
#include <QKeyEvent>
#include <QMimeData>

using namespace plat;

TExStringGrid* GridOwnerOf(QObject* AOwner) {
    auto* grid = dynamic_cast<TExStringGrid*>(AOwner);
    if (!grid) throwInvalidCast();
    return grid;
}

namespace {

bool lineFeedKind(TEditorType t) {
    return t == edNormal || t == edCapital || t == edMixedCase || t == edLowerCase || t == edUpperCase ||
           t == edValidChars;
}

}  // namespace

TExInplaceEdit::TExInplaceEdit(TExStringGrid* AOwner) : TInplaceEdit(GridOwnerOf(AOwner)), FGrid(AOwner) {
    FAltBack = false;
    FWordWrap = FGrid->WordWrap();
    Workmode_ = true;
    FLengthLimit = static_cast<int16_t>(FGrid->MaxEditLength());
}

void TExInplaceEdit::SetVAlign(bool Value) {
    if (FValign == Value) return;
    FValign = Value;
    SetAlignment(Value ? taRightJustify : taLeftJustify);
}

void TExInplaceEdit::SetWordWrap(bool Value) {
    FWordWrap = Value;
    update();
}

void TExInplaceEdit::selectAllOrEnd() {
    if (FGrid->Navigation().EditSelectAll())
        SelectAll();
    else
        Select(int(EditText().size()), int(EditText().size()));
}

void TExInplaceEdit::setTextKeep(const QString& Text) {
    if (EditText() != Text) SetText(Text);
}

void TExInplaceEdit::refusalRestore(const QString& OldText) {
    setTextKeep(FGrid->NewCellText());
    selectAllOrEnd();
    update();
    FGrid->SetOldCellText(OldText);
}

// ---------------------------------------------------------------- loading and placing

void TExInplaceEdit::UpdateContents() {
    // A password cell shows its characters masked, on one line, and gives none to the clipboard.
    const bool password = FGrid->EditControl() == edPassword;
    SetPasswordChar(password ? FGrid->PasswordChar() : QChar());
    SetMultiLine(!password);
    FGrid->SetNoEditChange(true);
    // The cell's text comes in whole, whatever limit the last cell left: the limit holds for typing.
    SetMaxLength(0);
    TInplaceEdit::UpdateContents();
    FGrid->SetNoEditChange(false);
    FWordWrap = FGrid->WordWrap();
    const int col = FGrid->Col(), row = FGrid->Row();
    plat::TGridDrawState state;
    plat::TBrush brush;
    TColor colorTo = clNone, mirror = clNone, mirrorTo = clNone;
    plat::TFont font;
    font.Assign(FGrid->Font());
    TAlignment ha = taLeftJustify;
    TVAlignment va = vtaTop;
    bool ww = false;
    TCellGradientDirection gd = GradientVertical;
    brush.SetColor(FGrid->Color());
    FGrid->GetVisualProperties(col, row, state, false, false, true, brush, colorTo, mirror, mirrorTo, font, ha, va,
                               ww, gd);
    SetColor(brush.Color());
    Font().Assign(font);
    FColE = col;
    FRowE = row;
    SetAlignment(FValign ? taRightJustify : ha);
    FGrid->GetEditorProp(FGrid->RealColIndex(col), row, nullptr);
}

void TExInplaceEdit::BoundsChanged() {
    TRect r = FGrid->CellRect(FGrid->Col(), FGrid->Row());
    if (r.IsEmpty()) return;
    Move(r);
}

void TExInplaceEdit::Move(const TRect& r) {
    if (r.IsEmpty()) {
        hide();
        return;
    }
    // The grid draws a cell's right and bottom lines inside the cell: the editor leaves them showing.
    const int w = std::max(0, r.Right - r.Left - 1), h = std::max(0, r.Bottom - r.Top - 1);
    setGeometry(r.Left, r.Top, w, h);
    // The painter's text rectangle: inside the line before the cell, moved in by the grid's offset
    // (at the right too, unless the offset is for the top left only).
    const QPoint o = FGrid->XYOffset();
    const int lw = FGrid->BaseGridLineWidth();
    const int right = FGrid->XYOffsetTopLeftOnly() ? 0 : o.x();
    SetEditRect({lw + o.x(), lw + o.y(), std::max(lw + o.x(), w - right), std::max(lw + o.y(), h)});
    show();
    raise();
}

// ---------------------------------------------------------------- focus

void TExInplaceEdit::focusInEvent(QFocusEvent* event) {
    TInplaceEdit::focusInEvent(event);
    FGotFocus = true;
    FGrid->SetNoEditChange(false);
    // The cell's own limit: a column grid's column item may set one.
    FLengthLimit = static_cast<int16_t>(FGrid->EditLimit());
    SetMaxLength(FGrid->EditLimit());
    const int n = int(EditText().size());
    if (!EditMask().isEmpty() && FGrid->Navigation().ImproveMaskSel() && !FGrid->LButFlg()) {
        Select(0, 1);
        return;
    }
    if (!FGrid->Navigation().EditSelectAll()) Select(n, n);
    if (FGrid->LButFlg()) {
        const QPoint p = mapFrom(FGrid->viewport(), FGrid->LButPos());
        if (p.x() >= 0 && p.x() <= width() && p.y() >= 0 && p.y() <= height()) {
            const int at = CharFromPos(p);
            if (at >= 0) {
                Select(at, at);
                FGrid->SetLButFlg(false);
            }
        }
    }
}

void TExInplaceEdit::focusOutEvent(QFocusEvent* event) {
    FGrid->SetStartEditChar(QChar(0));
    if (FGrid->LookupHistory() && !FGrid->LookupItems().contains(Text())) {
        QStringList items = FGrid->LookupItems();
        items << Text();
        FGrid->SetLookupItems(items);
    }
    FGrid->EditFormulaState(false);
    const Qt::FocusReason reason = event->reason();
    // A window that only lost the activation, or a pop-up menu, keeps the edit open.
    if (FAltBack || reason == Qt::ActiveWindowFocusReason || reason == Qt::PopupFocusReason) {
        TInplaceEdit::focusOutEvent(event);
        return;
    }
    QWidget* to = QApplication::focusWidget();
    const bool toGrid = to && (to == FGrid || to == FGrid->viewport());
    if (!toGrid) {
        guarded([&] {
            try {
                FGrid->ValidateCell(Text());
                setTextKeep(FGrid->CurrentCell());
            } catch (...) {
                FGrid->HideInplaceEdit();
                FGrid->SetEditing(false);
                FGrid->SetEditMode(false);
                throw;
            }
            FGrid->HideInplaceEdit();
            FGrid->SetEditing(false);
            FGrid->SetEditMode(false);
            if (FColE >= 0 && FRowE >= 0) FGrid->GridSelectCell(FColE, FRowE);
        });
    }
    if (FGrid->NoEditChange()) {
        setTextKeep(FGrid->CurrentCell());
        FGrid->SetNoEditChange(false);
    }
    FGrid->EditCaretMoved(Text(), QPoint(-1, -1), -1);
    // The edit's done notice goes out once, when the grid sees the editor hidden.
    FGotFocus = false;
    TInplaceEdit::focusOutEvent(event);
}

bool TExInplaceEdit::focusNextPrevChild(bool next) {
    if (FGrid->WantsTabInEditor()) return false;
    // Tab leaves the grid for the window's next control, as from the cells: the editor and the grid's
    // other parts are no stops of their own.
    QWidget* w = FGrid;
    do {
        w = next ? w->nextInFocusChain() : w->previousInFocusChain();
    } while (w && w != FGrid &&
             (FGrid->isAncestorOf(w) || !(w->focusPolicy() & Qt::TabFocus) || !w->isVisibleTo(w->window()) ||
              !w->isEnabled() || w->focusProxy()));
    if (!w || w == FGrid) return TInplaceEdit::focusNextPrevChild(next);
    w->setFocus(next ? Qt::TabFocusReason : Qt::BacktabFocusReason);
    return true;
}

// ---------------------------------------------------------------- keys at message level

void TExInplaceEdit::keyPressEvent(QKeyEvent* event) {
    FlushKeyUp();
    const TKeyInfo info = KeyFromEvent(*event);
    FShift = info.Shift;
    if (info.Key == VK_BACK && info.Shift.contains(ssAlt)) FAltBack = true;
    bool consumed = false;
    guarded([&] { consumed = keyDownMessage(info.Key, info.Shift, EditText()); });
    if (consumed) {
        event->accept();
        return;
    }
    TInplaceEdit::keyPressEvent(event);
}

void TExInplaceEdit::keyReleaseEvent(QKeyEvent* event) {
    const TKeyInfo info = KeyFromEvent(*event);
    if (info.Key == VK_BACK) FAltBack = false;
    TInplaceEdit::keyReleaseEvent(event);
}

bool TExInplaceEdit::keyDownMessage(uint16_t Key, TShiftState Shift, const QString& T) {
    FGrid->EditMessage(nullptr);
    FOldSelStart = SelStart();
    const bool ctrl = Shift.contains(ssCtrl), shift = Shift.contains(ssShift);
    const TNavigation& nav = FGrid->Navigation();
    if (Key == VK_ESCAPE) {
        setTextKeep(FGrid->CellCache());
        SetModified(true);
        FGrid->HideInplaceEdit();
        return false;
    }
    if (ctrl && Key == 'A' && !Shift.contains(ssAlt)) {
        SelectAll();
        return true;
    }
    if (ctrl && Key == VK_RETURN &&
        !(nav.AllowCtrlEnter() && (FGrid->WordWrap() || FGrid->Multilinecells())))
        return true;
    const QString oldText = FGrid->OldCellText();
    const int n = int(T.size());
    if (Key == VK_TAB && FGrid->WantsTabInEditor()) {
        if (FGrid->ValidateCell(T)) {
            setTextKeep(FGrid->NewCellText());
            FGrid->HideInplaceEdit();
            if (FGrid->Options().contains(goTabs))
                FGrid->AdvanceOnTab(shift);
            else
                QCoreApplication::postEvent(FGrid, new QKeyEvent(QEvent::KeyPress, Qt::Key_Tab, Qt::NoModifier));
        } else {
            setTextKeep(FGrid->NewCellText());
            selectAllOrEnd();
            FGrid->SetOldCellText(oldText);
        }
        return true;
    }
    const auto writeThenValidate = [&]() -> bool {
        FGrid->SetValidating(true);
        FGrid->SetCurrentCell(T);
        FGrid->SetValidating(false);
        return FGrid->ValidateCell(T);
    };
    if (nav.CursorWalkEditor() && shift &&
        ((Key == VK_LEFT && SelStart() == 0 && CaretPos() == 0) || (Key == VK_RIGHT && CaretPos() == n))) {
        if (writeThenValidate()) {
            setTextKeep(FGrid->NewCellText());
            FGrid->HideInplaceEdit();
            FGrid->setFocus(Qt::OtherFocusReason);
        } else {
            refusalRestore(oldText);
        }
        return true;
    }
    bool moved = false;
    if ((Key == VK_UP && LineFromChar(CaretPos()) == 0) ||
        (Key == VK_DOWN && LineFromChar(CaretPos()) == LineFromChar(n))) {
        if (!writeThenValidate()) {
            refusalRestore(oldText);
            return true;
        }
        setTextKeep(FGrid->NewCellText());
        moved = true;
    }
    if (Key == VK_RETURN && !nav.LineFeedOnEnter() && !ctrl) {
        if (!FGrid->ValidateCell(T)) {
            setTextKeep(FGrid->NewCellText());
            selectAllOrEnd();
            FGrid->SetOldCellText(oldText);
            return true;
        }
        setTextKeep(FGrid->NewCellText());
    }
    if (Key == VK_HOME && !ctrl && !shift) {
        Select(0, 0);
        return true;
    }
    if (Key == VK_END && !ctrl && !shift) {
        Select(n, n);
        return true;
    }
    if (ctrl && Key == VK_RETURN && nav.LineFeedOnEnter()) {
        QChar enter(13);
        TInplaceEdit::KeyPress(enter);
        return true;
    }
    if (moved) {
        // The grid moves on the key; the new row becomes the only selected one.
        uint16_t k = Key;
        KeyDown(k, Shift);
        if (FGrid->MouseActions().DisjunctRowSelect()) {
            FGrid->ClearRowSelect();
            FGrid->SetRowSelect(FGrid->Row(), true);
        }
        return true;
    }
    return false;
}

// ---------------------------------------------------------------- key down and up

void TExInplaceEdit::KeyDown(uint16_t& Key, TShiftState Shift) {
    FSelKeyDown = SelStart();
    if (Key == VK_BACK || Key == VK_DELETE)
        Workmode_ = false;
    else if (Key != VK_RETURN && Key != VK_UP && Key != VK_DOWN)
        Workmode_ = true;
    const TNavigation& nav = FGrid->Navigation();
    if (Key == VK_RETURN && !nav.AllowCtrlEnter() && (FGrid->WordWrap() || FGrid->Multilinecells()))
        FGrid->SetEditing(false);
    if (Key == VK_RETURN && (Shift.contains(ssShift) || Shift.contains(ssCtrl)) && FGrid->SizeWhileTyping().Height() &&
        FGrid->Multilinecells())
        growRow();
    const int n = int(EditText().size());
    if ((Key == VK_UP && LineFromChar(CaretPos()) > 0) ||
        (Key == VK_DOWN && LineFromChar(CaretPos()) < LineFromChar(n))) {
        // Inside a multi-line text the caret moves.
        TCustomMaskEdit::KeyDown(Key, Shift);
        return;
    }
    if (Shift.contains(ssCtrl) && (Key == 'C' || Key == VK_INSERT) && !Shift.contains(ssShift)) {
        bool allow = true;
        if (FGrid->OnClipboardCopy) FGrid->OnClipboardCopy(this, allow);
        if (!allow) {
            Key = 0;
            return;
        }
    }
    FGrid->EditKeyDown(Key, Shift);
    if (Key == 0) return;
    TInplaceEdit::KeyDown(Key, Shift);
}

void TExInplaceEdit::growRow() {
    TColumnSize& cs = FGrid->ColumnSize();
    const bool synch = cs.SynchWithGrid();
    cs.SetSynchWithGrid(false);
    const int lines = CountTextLines(EditText() + QStringLiteral("\r\n "), FGrid->Multilinecells());
    const int row = FGrid->Row();
    if (lines < FGrid->MaxLinesInRow(row))
        FGrid->AutoSizeRow(row);
    else
        FGrid->SetRowHeightForLines(row, lines, FGrid->GetTotalYOffset());
    cs.SetSynchWithGrid(synch);
    if (FGrid->OnEndRowSize) FGrid->OnEndRowSize(FGrid, row);
}

void TExInplaceEdit::walk(bool Forward) {
    TExStringGrid& g = *FGrid;
    TNavigation& nav = g.Navigation();
    const TAdvanceDirection dir = nav.AdvanceDirection();
    nav.SetAdvanceDirection(adLeftRight);
    g.AdvanceAfterEdit(g.Col(), g.Row(), false, false, Forward, false, true);
    nav.SetAdvanceDirection(dir);
}

void TExInplaceEdit::KeyUp(uint16_t& Key, TShiftState Shift) {
    TExStringGrid& g = *FGrid;
    const TNavigation& nav = g.Navigation();
    const int n = int(EditText().size());
    if (nav.CursorWalkEditor() && Shift.empty()) {
        const auto afterWalk = [&] {
            if (nav.CursorWalkAlwaysEdit()) {
                g.ShowInplaceEdit();
            } else {
                g.HideInplaceEdit();
            }
            Key = 0;
        };
        if (Key == VK_LEFT && SelLength() == 0 && FSelKeyDown == 0 && CaretPos() == 0) {
            Key = 0;
            const int col = g.Col();
            if (col > g.FixedCols() && g.IsCheckOrButtonCell(col - 1, g.Row())) {
                if (g.ValidateCell(Text())) {
                    g.HideInplaceEdit();
                    g.FocusCell(col - 1, g.Row());
                }
            } else {
                if (g.ValidateCell(Text())) g.HideInplaceEdit();
                walk(false);
                afterWalk();
            }
        } else if (Key == VK_RIGHT && SelLength() == 0 && FOldSelStart == n) {
            Key = 0;
            const int col = g.Col();
            const int span = std::max(0, g.CellSpan(g.RealColIndex(col), g.Row()).X);
            if (col < g.ColCount() - 1 - g.FixedRightCols() && g.IsCheckOrButtonCell(col + span + 1, g.Row())) {
                if (g.ValidateCell(Text())) {
                    g.HideInplaceEdit();
                    g.FocusCell(col + span + 1, g.Row());
                }
            } else {
                walk(true);
                afterWalk();
            }
        }
        if (Key == 0) return;
    }
    if (Key == VK_LEFT || Key == VK_RIGHT) {
        TInplaceEdit::KeyUp(Key, Shift);
        return;
    }
    TInplaceEdit::KeyUp(Key, Shift);
    DoChange();
    if (g.SizeWhileTyping().Width()) g.CalcColumnFitWidth(g.Col(), true);
    if (g.SizeWhileTyping().Height() && g.WordWrap()) {
        TColumnSize& cs = g.ColumnSize();
        const bool synch = cs.SynchWithGrid();
        cs.SetSynchWithGrid(false);
        g.AutoSizeRow(g.Row());
        cs.SetSynchWithGrid(synch);
        if (g.OnEndRowSize) g.OnEndRowSize(&g, g.Row());
    }
    if (CaretPos() > 0) g.EditCaretMoved(Text(), PosFromChar(CaretPos() - 1), CaretPos());
    g.EditFormulaState(Text().startsWith(u'='));
}

void TExInplaceEdit::DoChange() {
    const TExStringGrid& g = *FGrid;
    if (!Workmode_ || SelLength() > 0 || !g.Lookup() || g.LookupItems().isEmpty()) return;
    const exedit::TLookupResult r = exedit::CompleteLookup(EditText(), CaretPos(), g.LookupItems(),
                                                           g.LookupCaseSensitive());
    if (!r.Completed) return;
    SetText(r.Text);
    SetModified(true);
    Select(r.SelStart + r.SelLength, r.SelStart);
}

void TExInplaceEdit::Change() {
    TInplaceEdit::Change();
    if (!FGrid->NoEditChange() && FGrid->OnEditChange)
        FGrid->OnEditChange(FGrid, FGrid->Col(), FGrid->Row(), Text());
}

// ---------------------------------------------------------------- characters

void TExInplaceEdit::insertLineBreak() {
    const QString t = EditText();
    const int from = SelStart();
    SetText(t.left(from) + QStringLiteral("\r\n") + t.mid(from + SelLength()));
    SetModified(true);
    Select(from + 2, from + 2);
}

bool TExInplaceEdit::charMessage(QChar& C, TShiftState Shift) {
    TExStringGrid& g = *FGrid;
    const TNavigation& nav = g.Navigation();
    const bool ctrl = Shift.contains(ssCtrl);
    const FormatSettings fs = formatSettings();
    if (C == u'.' && LastKeyOnKeypad() && g.ExcelStyleDecimalSeparator()) C = fs.decimalSeparator;
    const char16_t c = C.unicode();
    if (c == 1 && ctrl) return true;
    if (c == 10 && ctrl && !(nav.AllowCtrlEnter() && (g.WordWrap() || g.Multilinecells()))) return true;
    const int n = int(EditText().size());
    if (FLengthLimit > 0 && n == FLengthLimit && SelLength() == 0 && c != 8 && c != 27 && c != 13) return true;
    const TEditorType kind = g.EditControl();
    if (c == 13 && nav.LineFeedOnEnter() && lineFeedKind(kind)) {
        insertLineBreak();
        return true;
    }
    const exedit::TCharResult r = exedit::FilterEditorChar(kind, C, EditText(), SelStart(), SelLength(), ctrl,
                                                           {fs.decimalSeparator, fs.thousandSeparator},
                                                           g.ValidChars(), g.ValidCharSet());
    if (r.Verdict == exedit::TCharVerdict::Pass) {
        C = r.Char;
        const int before = SelStart();
        // The key-press steps.
        bool dropped = false;
        if (c == 13 && !nav.LineFeedOnEnter()) {
            if (!g.ValidateCell(Text())) {
                setTextKeep(g.CurrentCell());
                dropped = true;
            }
        }
        if (!dropped) {
            if (c == 3) {
                bool allow = true;
                if (g.OnClipboardCopy) g.OnClipboardCopy(this, allow);
                if (!allow) return true;
            }
            TInplaceEdit::KeyPress(C);
            if (r.ProperCaseAfter && C.unicode() >= 32) {
                SetText(ToProperCase(EditText()));
                Select(before + 1, before + 1);
            }
            if (C.unicode() != 0 && C.unicode() != 13 && nav.AdvanceAuto() && !EditMask().isEmpty() &&
                !EditText().contains(u' ') && CaretPos() == int(EditText().size())) {
                QChar enter(13);
                g.GridKeyPress(enter);
            }
        }
    } else if (r.Verdict == exedit::TCharVerdict::Beep) {
        MessageBeep(0);
    }
    if (!r.SkipAutoAdvance && nav.AdvanceAuto() && nav.AdvanceOnEnter() && g.MaxEditLength() > 0 &&
        int(EditText().size()) == g.MaxEditLength() && SelLength() == 0 && CaretPos() == int(EditText().size())) {
        QChar enter(13);
        g.GridKeyPress(enter);
    }
    return true;
}

void TExInplaceEdit::KeyPress(QChar& Key) {
    QChar c = Key;
    charMessage(c, FShift);
    Key = QChar(0);
}

// ---------------------------------------------------------------- clipboard and mouse

void TExInplaceEdit::CutToClipboard() {
    bool allow = true;
    if (FGrid->OnClipboardCut) FGrid->OnClipboardCut(this, allow);
    if (allow) TInplaceEdit::CutToClipboard();
}

void TExInplaceEdit::CopySelection() {
    bool allow = true;
    if (FGrid->OnClipboardCopy) FGrid->OnClipboardCopy(this, allow);
    if (allow) CopyToClipboard();
}

void TExInplaceEdit::PasteFromClipboard() {
    TExStringGrid& g = *FGrid;
    const QMimeData* data = QGuiApplication::clipboard()->mimeData();
    bool allow = data && data->hasText();
    QString v = allow ? data->text() : QString();
    if (g.OnClipboardPaste) g.OnClipboardPaste(this, allow);
    if (allow && g.OnClipboardBeforePasteCell) g.OnClipboardBeforePasteCell(this, g.Col(), g.Row(), v, allow);
    if (!allow) return;
    const exedit::TPasteResult r =
        exedit::ApplyPaste(EditText(), SelStart(), SelLength(), v, FLengthLimit, g.EditControl(), g.ValidChars());
    if (r.Refused) return;
    if (r.Accepted) {
        SetText(r.Text);
        SetModified(true);
    }
    g.SetCurrentCellText(Text());
    Select(r.SelStart, r.SelStart + r.SelLength);
    if (g.OnClipboardAfterPasteCell) g.OnClipboardAfterPasteCell(this, g.Col(), g.Row(), Text());
}

void TExInplaceEdit::mouseDoubleClickEvent(QMouseEvent* event) {
    TInplaceEdit::mouseDoubleClickEvent(event);
    if (FGrid->OnDblClickCell) FGrid->OnDblClickCell(FGrid, FGrid->Row(), FGrid->Col());
}
