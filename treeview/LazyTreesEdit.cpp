// Editing a node in place: the tree drives any editor through ILTEditLink; the string tree falls
// back to TStringEditLink, an edit control over the cell's text.
#include <QApplication>
#include <QKeyEvent>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QTextDocument>
#include <QPointer>

#include "platform/Guard.h"
#include "treeview/LazyTrees.h"

using enum TLazyTreeState;
using enum TLazyNodeState;
using plat::TRect;

// ---- The tree's side ----

void TBaseLazyTree::DoCanEdit(PLazyNode Node, TColumnIndex Column, bool& Allowed) {
    if (OnEditing) OnEditing(this, Node, Column, Allowed);
}

bool TBaseLazyTree::CanEdit(PLazyNode Node, TColumnIndex Column) {
    const auto misc = TreeOptions().MiscOptions();
    // Column -1 (no header columns) needs no column option.
    bool allowed = misc.Contains(TLTMiscOption::toEditable) && isEnabled() && !misc.Contains(TLTMiscOption::toReadOnly) &&
                   (Column < 0 || (FHeader->Columns().IsValidColumn(Column) &&
                                   FHeader->Columns()[Column].Options().Contains(TLTColumnOption::coEditable)));
    DoCanEdit(Node, Column, allowed);
    return allowed;
}

PLTEditLink TBaseLazyTree::DoCreateEditor(PLazyNode Node, TColumnIndex Column) {
    PLTEditLink link;
    if (OnCreateEditor) OnCreateEditor(this, Node, Column, link);
    return link;
}

bool TBaseLazyTree::EditNode(PLazyNode Node, TColumnIndex Column) {
    lazytree::Assert(Node != nullptr, "Node must not be nil.");
    lazytree::Assert(Column >= -1 && Column < FHeader->Columns().Count(),
                     "Column must be a valid column index (-1 if no header is shown).");
    if (IsEditing() || TreeOptions().MiscOptions().Contains(TLTMiscOption::toReadOnly)) return IsEditing();
    SetFocusedNode(Node);
    if (FFocusedNode != Node || !CanEdit(Node, Column)) return false;
    FEditColumn = Column;
    if (!Node->States.Contains(vsInitialized)) InitNode(Node);
    DoEdit();
    return IsEditing();
}

void TBaseLazyTree::DoEdit() {
    CancelHint();
    StopTimer(4);
    StopTimer(2);
    DoStateChange({}, {tsEditPending});
    if (!FFocusedNode || FFocusedNode->States.Contains(vsDisabled) ||
        TreeOptions().MiscOptions().Contains(TLTMiscOption::toReadOnly) || FEditLink)
        return;
    FEditLink = DoCreateEditor(FFocusedNode, FEditColumn);
    if (!FEditLink) return;
    DoStateChange({tsEditing}, {tsToggleFocusedSelection, tsClearPending, tsDrawSelPending, tsDrawSelecting,
                                tsMouseCheckPending, tsOLEDragging, tsOLEDragPending, tsScrolling, tsScrollPending});
    ScrollIntoView(FFocusedNode, TreeOptions().SelectionOptions().Contains(TLTSelectionOption::toCenterScrollIntoView),
                   !TreeOptions().AutoOptions().Contains(TLTAutoOption::toDisableAutoscrollOnEdit));
    const PLTEditLink link = FEditLink;
    if (link->PrepareEdit(this, FFocusedNode, FEditColumn)) {
        UpdateEditBounds();
        InvalidateNode(FFocusedNode);
        if (!link->BeginEdit()) DoStateChange({}, {tsEditing});
    } else {
        DoStateChange({}, {tsEditing});
    }
    if (!IsEditing()) FEditLink.reset();
}

void TBaseLazyTree::UpdateEditBounds() {
    if (!IsEditing() || !FFocusedNode || !FEditLink || FEditColumn >= FHeader->Columns().Count()) return;
    if (FHost && !FHost->IsMainThread()) return;
    TRect r = GetDisplayRect(FFocusedNode, FEditColumn, true, !FFocusedNode->States.Contains(vsMultiline), false);
    if (TreeOptions().MiscOptions().Contains(TLTMiscOption::toGridExtensions)) {
        // The editor reaches to the edge of its cell; without columns the cell is the row.
        TLazyTreeColumns& columns = FHeader->Columns();
        const bool inColumn = columns.IsValidColumn(FEditColumn);
        TAlignment alignment = inColumn ? columns[FEditColumn].Alignment() : FAlignment;
        const bool rightToLeft = inColumn ? columns[FEditColumn].UseRightToLeftReading() : UseRightToLeftReading();
        if (rightToLeft && alignment != TAlignment::taCenter)
            alignment = alignment == TAlignment::taLeftJustify ? TAlignment::taRightJustify : TAlignment::taLeftJustify;
        int left = 0, right = std::max(viewport()->width(), int(FRangeX));
        if (inColumn) columns.GetColumnBounds(FEditColumn, left, right);
        if (alignment == TAlignment::taLeftJustify)
            r.Right = right;
        else
            r.Left = left;
    }
    if (TreeOptions().PaintOptions().Contains(TLTPaintOption::toShowHorzGridLines)) --r.Bottom;
    r.Bottom = r.Top + std::max(FEditLink->GetBounds().Height(), r.Height());
    FEditLink->SetBounds(r);
}

bool TBaseLazyTree::EndEditNode() {
    if (FStates.Contains(tsEditing) || FStates.Contains(tsEditPending)) return DoEndEdit();
    return true;
}

bool TBaseLazyTree::DoEndEdit() {
    StopTimer(2);
    const PLTEditLink link = FEditLink;
    const bool result = FStates.Contains(tsEditing) && link && link->EndEdit();
    if (result) {
        DoStateChange({}, {tsEditing});
        FEditLink.reset();
        if (OnEdited) OnEdited(this, FFocusedNode, FEditColumn);
    }
    DoStateChange({}, {tsEditPending});
    return result;
}

bool TBaseLazyTree::CancelEditNode() {
    if (!HasWindow()) return true;
    if (FStates.Contains(tsEditing) || FStates.Contains(tsEditPending)) return DoCancelEdit();
    return true;
}

bool TBaseLazyTree::DoCancelEdit() {
    StopTimer(2);
    DoStateChange({}, {tsEditPending});
    const PLTEditLink link = FEditLink;
    const bool result = FStates.Contains(tsEditing) && link && link->CancelEdit();
    if (result) {
        DoStateChange({}, {tsEditing});
        if (OnEditCancelled) OnEditCancelled(this, FEditColumn);
        if (!Destroying()) FEditLink.reset();
    }
    return result;
}

void TBaseLazyTree::AbandonEdit() {
    if (EndEditNode() || DoCancelEdit()) return;
    // Neither ended nor cancelled: the link is let go with the node it edits.
    StopTimer(2);
    DoStateChange({}, {tsEditing, tsEditPending});
    FEditLink.reset();
}

PLTEditLink TCustomLazyStringTree::DoCreateEditor(PLazyNode Node, TColumnIndex Column) {
    PLTEditLink link = TBaseLazyTree::DoCreateEditor(Node, Column);
    if (!link) link = std::make_shared<TStringEditLink>();
    return link;
}

// ---- The edit controls ----

namespace {

// Keys and focus loss go to the link while it is linked; the control holds the link alive.
template <typename Base>
class TLTEditOf final : public Base {
public:
    explicit TLTEditOf(QWidget* parent, std::shared_ptr<TStringEditLink> link) : Base(parent), link_(std::move(link)) {}
    void Unlink() { link_.reset(); }
    TStringEditLink* Link() const { return link_.get(); }

protected:
    void keyPressEvent(QKeyEvent* event) override {
        bool handled = false;
        // The handler may end the edit and drop the link: keep it for the call.
        const auto link = link_;
        plat::guarded([&] { handled = link && link->HandleEditKey(event); });
        if (handled) {
            event->accept();
            return;
        }
        Base::keyPressEvent(event);
        if (link && link_) plat::guarded([&] { link->AutoAdjustSize(); });
    }
    void focusOutEvent(QFocusEvent* event) override {
        Base::focusOutEvent(event);
        const auto link = link_;
        if (link) plat::guarded([&] { link->EditFocusLost(); });
    }
    bool event(QEvent* event) override {
        // Tab belongs to the tree's edit, not to the dialog's focus chain.
        if (event->type() == QEvent::KeyPress) {
            auto* key = static_cast<QKeyEvent*>(event);
            if (key->key() == Qt::Key_Tab || key->key() == Qt::Key_Backtab) {
                keyPressEvent(key);
                return true;
            }
        }
        return Base::event(event);
    }

private:
    std::shared_ptr<TStringEditLink> link_;
};

using TLTEdit = TLTEditOf<QLineEdit>;
using TLTMemoEdit = TLTEditOf<QPlainTextEdit>;

}  // namespace

TStringEditLink::~TStringEditLink() {
    // The control goes after the handler that ended the edit has returned.
    if (FEdit) FEdit->deleteLater();
}

QString TStringEditLink::EditText() const {
    if (auto* line = qobject_cast<QLineEdit*>(FEdit)) return line->text();
    if (auto* memo = qobject_cast<QPlainTextEdit*>(FEdit)) return memo->toPlainText();
    return {};
}

bool TStringEditLink::Modified() const {
    return EditText() != FOriginal;
}

void TStringEditLink::Unlink() {
    QWidget* edit = FEdit.data();
    if (auto* line = dynamic_cast<TLTEdit*>(edit)) line->Unlink();
    if (auto* memo = dynamic_cast<TLTMemoEdit*>(edit)) memo->Unlink();
}

bool TStringEditLink::PrepareEdit(TBaseLazyTree* Tree, PLazyNode Node, TColumnIndex Column) {
    auto* tree = dynamic_cast<TCustomLazyStringTree*>(Tree);
    if (!tree) return false;
    FTree = tree;
    FNode = Node;
    FColumn = Column;
    FMultiline = Node->States.Contains(vsMultiline);
    plat::TFont font;
    font.Assign(tree->Font());
    QString text;
    tree->GetTextInfo(Node, Column, font, FTextBounds, text);
    FOriginal = text;
    if (!FEdit) {
        if (FMultiline) {
            auto* memo = new TLTMemoEdit(tree->viewport(), shared_from_this());
            memo->setPlainText(text);
            memo->setLineWrapMode(QPlainTextEdit::WidgetWidth);
            FEdit = memo;
        } else {
            auto* line = new TLTEdit(tree->viewport(), shared_from_this());
            line->setText(text);
            line->setFrame(true);
            FEdit = line;
        }
    }
    QFont qfont = font.ToQFont();
    FEdit->setFont(qfont);
    QPalette palette = FEdit->palette();
    palette.setColor(QPalette::Text, plat::ToQColor(plat::clWindowText));
    FEdit->setPalette(palette);
    FEdit->setLayoutDirection(tree->layoutDirection());
    FAlignment = tree->Alignment();
    if (tree->UseRightToLeftReading()) {
        if (FAlignment == TAlignment::taLeftJustify)
            FAlignment = TAlignment::taRightJustify;
        else if (FAlignment == TAlignment::taRightJustify)
            FAlignment = TAlignment::taLeftJustify;
    }
    FEdit->hide();
    return true;
}

bool TStringEditLink::BeginEdit() {
    if (FStopping || !FEdit) return false;
    FEdit->show();
    if (auto* line = qobject_cast<QLineEdit*>(FEdit)) line->selectAll();
    if (auto* memo = qobject_cast<QPlainTextEdit*>(FEdit)) memo->selectAll();
    FEdit->setFocus();
    AutoAdjustSize();
    return true;
}

bool TStringEditLink::EndEdit() {
    if (FStopping) return false;
    FStopping = true;
    try {
        if (Modified()) FTree->SetText(FNode, FColumn, EditText());
    } catch (...) {
        FStopping = false;
        throw;
    }
    FEdit->hide();
    Unlink();
    return true;
}

bool TStringEditLink::CancelEdit() {
    if (FStopping) return false;
    FStopping = true;
    FEdit->hide();
    FTree->CancelEditNode();
    Unlink();
    return true;
}

TRect TStringEditLink::GetBounds() {
    return FEdit ? TRect::fromQRect(FEdit->geometry()) : TRect{};
}

void TStringEditLink::SetBounds(TRect R) {
    if (FStopping || !FEdit) return;
    R.Left = std::max(R.Left, 0);
    if (R.Width() < 30) {
        if (FAlignment == TAlignment::taRightJustify)
            R.Left = R.Right - 30;
        else
            R.Right = R.Left + 30;
    }
    R.Right = std::min(R.Right, FTree->viewport()->width());
    FEdit->setGeometry(R.toQRect());
    // The text sits where the cell's text was: the inner margins follow the tree's text margin.
    const int d = (FMultiline ? 0 : 2) + (FTree->TreeStates().Contains(tsUseThemes) ? 1 : 0);
    const int horizontal = std::max(FTree->TextMargin() - d, 0);
    if (auto* line = qobject_cast<QLineEdit*>(FEdit)) line->setTextMargins(horizontal, 0, horizontal, 0);
    if (auto* memo = qobject_cast<QPlainTextEdit*>(FEdit)) memo->document()->setDocumentMargin(horizontal);
}

void TStringEditLink::AutoAdjustSize() {
    if (FMultiline || !FEdit || FStopping ||
        FTree->TreeOptions().MiscOptions().Contains(TLTMiscOption::toGridExtensions))
        return;
    const QFontMetrics metrics(FEdit->font());
    const int margin = 2 * FTree->TextMargin();
    const int width = metrics.horizontalAdvance(EditText() + QStringLiteral("yG")) + margin;
    const int height = std::max(FEdit->height(), metrics.height() + margin);
    if (width < FEdit->width()) FTree->viewport()->update();
    const QRect g = FEdit->geometry();
    const TRect r = FAlignment == TAlignment::taRightJustify
                        ? TRect{g.left() + g.width() - width, g.top(), g.left() + g.width(), g.top() + height}
                        : TRect{g.left(), g.top(), g.left() + width, g.top() + height};
    SetBounds(r);
}

bool TStringEditLink::HandleEditKey(QKeyEvent* event) {
    TCustomLazyStringTree* tree = FTree;
    const bool ctrl = event->modifiers().testFlag(Qt::ControlModifier);
    switch (event->key()) {
        case Qt::Key_Tab:
        case Qt::Key_Backtab:
            if (tree->IsEditing()) {
                PLazyNode node = FNode;
                tree->InvalidateNode(node);
                PLazyNode next = tree->GetNextVisible(node, true);
                tree->EndEditNode();
                tree->SetFocusedNode(next);
                if (tree->FocusedNode() && tree->CanEdit(tree->FocusedNode(), tree->FocusedColumn())) tree->DoEdit();
            }
            return true;
        case Qt::Key_Return:
        case Qt::Key_Enter:
            // In a multiline node Enter breaks the line; Ctrl+Enter accepts.
            if (FMultiline && !ctrl) return false;
            tree->InvalidateNode(FNode);
            tree->DoEndEdit();
            tree->setFocus();
            return true;
        case Qt::Key_Escape:
            tree->DoCancelEdit();
            tree->setFocus();
            return true;
        case Qt::Key_Up:
        case Qt::Key_Down:
            // A single line moves its caret as Left and Right would; the keys stay in the editor.
            if (auto* line = qobject_cast<QLineEdit*>(FEdit)) {
                if (event->key() == Qt::Key_Up)
                    line->cursorBackward(event->modifiers().testFlag(Qt::ShiftModifier));
                else
                    line->cursorForward(event->modifiers().testFlag(Qt::ShiftModifier));
                return true;
            }
            return false;
        case Qt::Key_A:
            if (ctrl && event->modifiers() == Qt::ControlModifier && tree->IsEditing()) {
                if (auto* line = qobject_cast<QLineEdit*>(FEdit)) line->selectAll();
                if (auto* memo = qobject_cast<QPlainTextEdit*>(FEdit)) memo->selectAll();
                return true;
            }
            return false;
        default: return false;
    }
}

void TStringEditLink::EditFocusLost() {
    if (FStopping) return;
    if (FTree->StringTreeOptions().StringOptions().Contains(TLTStringOption::toAutoAcceptEditChange))
        FTree->DoEndEdit();
    else
        FTree->DoCancelEdit();
}
