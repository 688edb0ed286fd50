// The rich-text control of the grid (its hidden converter and the edRichEdit editor), the grid's
// transfers between cells and rich-text controls, and the edRichEdit road of an edit.
#include "controls/ExHTMLUtil.h"
#include "controls/ExUtil.h"
#include "controls/RtfTextDocument.h"
#include "grid/ExGrid.h"
#include "grid/ExGridEditors.h"
#include "grid/ExGridUnit.h"
#include "platform/Guard.h"
#include "platform/Keys.h"

#include <QAbstractTextDocumentLayout>
#include <QApplication>
#include <QKeyEvent>
#include <QScrollBar>
#include <QTextBlock>
#include <QTextCursor>
#include <QTextDocument>
#include <QtMath>

using plat::TShiftState;

// ---------------------------------------------------------------- TExRichEdit

TExRichEdit::TExRichEdit(QWidget* AOwner) : QTextEdit(GridOwnerOf(AOwner)), FGrid(GridOwnerOf(AOwner)) {
    setAcceptRichText(false);  // a paste brings text, never Qt's HTML
    setTabChangesFocus(false);
    ReCreate();
    hide();
    connect(this, &QTextEdit::selectionChanged, this, [this] {
        if (OnSelectionChange) plat::guarded([this] { OnSelectionChange(this); });
    });
    // The content asks for its size whenever its layout grows or shrinks, as a bottomless control
    // asks its parent.
    connect(document()->documentLayout(), &QAbstractTextDocumentLayout::documentSizeChanged, this,
            [this](const QSizeF& s) {
                const qreal m = document()->documentMargin();
                sizeRequested(QSize(qCeil(document()->idealWidth()), qCeil(s.height() - 2 * m)));
            });
}

void TExRichEdit::ReCreate() {
    setFrameShape(QFrame::NoFrame);
    setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    // The selection stays visible when the focus leaves, as the grid's other editors keep theirs.
    QPalette p = palette();
    p.setColor(QPalette::Inactive, QPalette::Highlight, p.color(QPalette::Active, QPalette::Highlight));
    p.setColor(QPalette::Inactive, QPalette::HighlightedText, p.color(QPalette::Active, QPalette::HighlightedText));
    setPalette(p);
}

void TExRichEdit::setSelOffset(int Twips) {
    QTextCursor c = textCursor();
    const qreal points = FontPoints(currentFont().resolve(document()->defaultFont()));
    if (!c.hasSelection()) {
        QTextCharFormat f = c.charFormat();
        SetCharOffsetTwips(f, Twips, points);
        c.setCharFormat(f);
        setTextCursor(c);
        setCurrentCharFormat(f);
        return;
    }
    // Only the offset changes: every fragment keeps its own font, size and colour.
    const int from = c.selectionStart(), to = c.selectionEnd();
    QTextCursor edit(document());
    edit.beginEditBlock();
    for (QTextBlock b = document()->findBlock(from); b.isValid() && b.position() <= to; b = b.next()) {
        for (auto it = b.begin(); !it.atEnd(); ++it) {
            const QTextFragment frag = it.fragment();
            const int s = std::max(from, frag.position()), e = std::min(to, frag.position() + frag.length());
            if (s >= e) continue;
            QTextCharFormat f = frag.charFormat();
            const qreal pt = f.hasProperty(QTextFormat::FontPointSize) ? f.fontPointSize()
                                                                         : FontPoints(document()->defaultFont());
            SetCharOffsetTwips(f, Twips, pt);
            edit.setPosition(s);
            edit.setPosition(e, QTextCursor::KeepAnchor);
            edit.setCharFormat(f);
        }
    }
    edit.endEditBlock();
}

bool TExRichEdit::selOffsetIs(int Twips) const {
    const QTextCursor c = textCursor();
    if (!c.hasSelection()) return CharOffsetTwips(currentCharFormat()) == Twips;
    const int from = c.selectionStart(), to = c.selectionEnd();
    for (QTextBlock b = document()->findBlock(from); b.isValid() && b.position() <= to; b = b.next()) {
        for (auto it = b.begin(); !it.atEnd(); ++it) {
            const QTextFragment frag = it.fragment();
            if (std::max(from, frag.position()) >= std::min(to, frag.position() + frag.length())) continue;
            if (CharOffsetTwips(frag.charFormat()) != Twips) return false;
        }
    }
    return true;
}

void TExRichEdit::SelNormal() { setSelOffset(0); }
void TExRichEdit::SelSubscript() { setSelOffset(kSubscriptTwips); }
void TExRichEdit::SelSuperscript() { setSelOffset(kSuperscriptTwips); }
bool TExRichEdit::IsSelNormal() const { return selOffsetIs(0); }
bool TExRichEdit::IsSelSubscript() const { return selOffsetIs(kSubscriptTwips); }
bool TExRichEdit::IsSelSuperscript() const { return selOffsetIs(kSuperscriptTwips); }

void TExRichEdit::LoadCellText(const QString& Text) {
    // Nothing of the content before (a raised run the cursor stood in) carries over to the new one.
    setCurrentCharFormat(QTextCharFormat());
    if (Text.isEmpty())
        document()->clear();
    else if (ClassifyCellText(Text, false) == 2)
        RtfToTextDocument(Text, *document());
    else
        document()->setPlainText(Text);
}

QString TExRichEdit::RichText() const { return TextDocumentToRtf(*document()); }

void TExRichEdit::SetLayoutWidth(int Width) {
    // The control keeps its document laid out for this width (none: without word wrap), whatever
    // its own size; the converter's is 0.
    document()->setDocumentMargin(0);
    if (Width < 0) {
        setLineWrapMode(QTextEdit::NoWrap);
    } else {
        setLineWrapMode(QTextEdit::FixedPixelWidth);
        setLineWrapColumnOrWidth(Width);
    }
}

QSize TExRichEdit::RequestResize(int Width) {
    SetLayoutWidth(Width);
    const QSize s = RtfContentSize(*document(), Width);
    sizeRequested(s);
    return s;
}

void TExRichEdit::sizeRequested(QSize Size) {
    if (!FGrid) return;
    if (FGrid->FRichEdit == this) {
        FReqWidth = Size.width();
        FReqHeight = Size.height();
        return;
    }
    if (FGrid->FInplaceRichEdit == this && !FLocked && isVisible()) {
        FReqWidth = Size.width();
        FReqHeight = Size.height();
        FGrid->richEditSizeRequested(Size.height());
    }
}

void TExRichEdit::keyPressEvent(QKeyEvent* event) {
    if (!FGrid) {
        QTextEdit::keyPressEvent(event);
        return;
    }
    TExStringGrid& g = *FGrid;
    const plat::TKeyInfo info = plat::KeyFromEvent(*event);
    uint16_t key = info.Key;
    const TShiftState shift = info.Shift;
    const bool plain = !shift.contains(plat::ssShift) && !shift.contains(plat::ssCtrl) && !shift.contains(plat::ssAlt);
    if (key == plat::VK_ESCAPE) {
        // The cell keeps the text it had: nothing is written back.
        plat::guarded([&] {
            g.cancelEditors();
            g.viewport()->setFocus(Qt::OtherFocusReason);
        });
        event->accept();
        return;
    }
    if (key == plat::VK_RETURN) {
        if (!plain) {
            // Shift or Ctrl with Enter starts a new paragraph; Enter alone ends the edit.
            textCursor().insertBlock();
            event->accept();
            return;
        }
        plat::guarded([&] {
            const QString v = g.RichToString(this);
            g.SetCurrentCell(v);
            if (!g.ValidateCell(v)) {
                BeginLock();
                g.CellToRich(g.RealCol(), g.Row(), this);
                EndLock();
                g.SetNoAutoAdvance(true);
                return;
            }
            g.DoneInplaceEdit(key, shift);
        });
        event->accept();
        return;
    }
    if (key == plat::VK_TAB && g.Options().contains(plat::goTabs)) {
        // The grid moves on to the next cell and edits it; the focus it takes ends this edit.
        plat::guarded([&] {
            g.viewport()->setFocus(Qt::OtherFocusReason);
            uint16_t k = key;
            g.GridKeyDown(k, shift);
            g.ShowInplaceEdit();
        });
        event->accept();
        return;
    }
    QTextEdit::keyPressEvent(event);
    if ((key == plat::VK_UP || key == plat::VK_DOWN) && !g.WordWrap() && !g.Multilinecells()) {
        plat::guarded([&] {
            g.viewport()->setFocus(Qt::OtherFocusReason);
            uint16_t k = key;
            g.GridKeyDown(k, shift);
        });
    }
}

void TExRichEdit::focusOutEvent(QFocusEvent* event) {
    if (FGrid && !FGrid->InvokedFocusChange() && isVisible()) {
        QWidget* to = QApplication::focusWidget();
        if (to && (to == FGrid || to == FGrid->viewport())) {
            FGrid->FFocusFromEditCtrl = true;
            plat::guarded([this] { FGrid->HideInplaceEdit(); });
        }
    }
    QTextEdit::focusOutEvent(event);
}

// ---------------------------------------------------------------- the grid's rich-text controls

TExRichEdit* TExStringGrid::InplaceRichEdit() {
    if (!FInplaceRichEdit) {
        FInplaceRichEdit = new TExRichEdit(this);
        FInplaceRichEdit->setParent(viewport());
        FInplaceRichEdit->hide();
        FInplaceRichEdit->setEnabled(false);
        FInplaceRichEdit->OnSelectionChange = [this](QObject*) {
            if (OnRichEditSelectionChange) OnRichEditSelectionChange(this);
        };
    }
    return FInplaceRichEdit;
}

TExRichEdit* TExStringGrid::RichEdit() {
    if (!FRichEdit) {
        FRichEdit = new TExRichEdit(this);
        FRichEdit->setParent(viewport());
        FRichEdit->setGeometry(0, 0, 0, 0);
        FRichEdit->hide();
        // Never in the way of the mouse over the cells.
        MakeWindowTransparent(FRichEdit);
    }
    return FRichEdit;
}

void TExStringGrid::CellToRich(int ACol, int ARow, TExRichEdit* Richeditor) {
    if (!Richeditor) return;
    // Runs without a size or font of their own take the grid's.
    Richeditor->document()->setDefaultFont(Font().ToQFont());
    Richeditor->LoadCellText(GetCellEx(ACol, ARow));
}

QString TExStringGrid::RichToString(TExRichEdit* Richeditor) const {
    if (IsDestroying() || !Richeditor) return QString();
    return Richeditor->RichText();
}

void TExStringGrid::RichToCell(int ACol, int ARow, TExRichEdit* Richeditor) {
    SetCellEx(ACol, ARow, RichToString(Richeditor));
}

// ---------------------------------------------------------------- the edRichEdit road

void TExStringGrid::richRoad(int ACol, int ARow) {
    TExRichEdit& ed = *InplaceRichEdit();
    const int real = RealColIndex(ACol);
    plat::TRect r = CellRect(ACol, ARow);
    if (UseRightToLeftAlignment()) ++r.Left;
    const int w = std::max(0, r.Right - r.Left - 1), h = std::max(0, r.Bottom - r.Top - 1);
    ed.setParent(viewport());
    ed.ReCreate();
    ed.setGeometry(r.Left, r.Top, w, h);
    GetEditorProp(real, ARow, nullptr);
    plat::TGridDrawState state;
    plat::TBrush brush;
    brush.SetColor(Color());
    plat::TFont font(Font());
    TColor colorTo = plat::clNone, mirror = plat::clNone, mirrorTo = plat::clNone;
    TAlignment ha = taLeftJustify;
    TVAlignment va = vtaTop;
    bool ww = false;
    TCellGradientDirection gd = GradientVertical;
    GetVisualProperties(real, ARow, state, false, false, false, brush, colorTo, mirror, mirrorTo, font, ha, va, ww, gd);
    {
        // Loading the cell is no typing: the row keeps its height meanwhile.
        ed.BeginLock();
        ed.setFont(font.ToQFont());
        CellToRich(real, ARow, &ed);
        // The text sits 2 pixels inside the editor, as in the cell.
        ed.document()->setDocumentMargin(2);
        QTextCursor c = ed.textCursor();
        if (FNavigation->EditSelectAll())
            c.select(QTextCursor::Document);
        else
            c.movePosition(QTextCursor::End);
        ed.setTextCursor(c);
        ed.EndLock();
    }
    QPalette p = ed.palette();
    p.setColor(QPalette::Base, plat::ToQColor(brush.Color()));
    ed.setPalette(p);
    ed.setEnabled(true);
    ed.show();
    ed.raise();
    ed.setFocus(Qt::OtherFocusReason);
    FEditCtrl = &ed;
    FEditMode = true;
    // The character that started the edit is the editor's first keystroke.
    if (!FStartEditChar.isNull()) plat::SendCharacter(&ed, FStartEditChar, LastKeyOnKeypad());
}

void TExStringGrid::endRichEdit(int ACol, int ARow) {
    if (!FInplaceRichEdit) return;
    TExRichEdit& ed = *FInplaceRichEdit;
    if (FEditMode && ed.isVisible()) {
        FEditMode = false;
        SetEditTextReal(RealColIndex(ACol), ARow, RichToString(&ed));
        if (ed.hasFocus()) viewport()->setFocus(Qt::OtherFocusReason);
        ed.hide();
        ed.setEnabled(false);
    }
    FEditMode = false;
}

void TExStringGrid::richEditSizeRequested(int Height) {
    if (!FSizeWhileTyping->Height() || !FInplaceRichEdit || FEditControl != edRichEdit) return;
    const int row = Row();
    const plat::TRect r = CellRect(Col(), row);
    if (r.IsEmpty()) return;
    // The row grows while the text is taller than the row and the grown cell still fits the grid.
    if (RowHeights(row) < Height + 5 && r.Top + Height + 5 < viewport()->height()) {
        FInplaceRichEdit->resize(FInplaceRichEdit->width(), Height + 9);
        SetRowHeights(row, Height + 10);
        if (OnEndRowSize) OnEndRowSize(this, row);
    }
}

// ---------------------------------------------------------------- hidden rows

std::optional<QStringList> TExStringGrid::FindHiddenRowCells(int Idx) const {
    // The sorted index answers for a shown row without looking at any item.
    if (!IsHiddenRow(Idx)) return std::nullopt;
    for (int i = FGridItems.Count() - 1; i >= 0; --i)
        if (FGridItems.Items(i).RealIdx == Idx) return FGridItems.Items(i).Items();
    return std::nullopt;
}
