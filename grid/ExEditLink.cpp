// The editor link: a user's control as the in-place editor of the edCustom cells, in the cell or on
// a pop-up window of the link's own, its key protocol, and the grid's road that starts and ends it.
#include "grid/ExGrid.h"
#include "grid/ExGridEditors.h"
#include "platform/Guard.h"

#include <QApplication>
#include <QCoreApplication>
#include <QEvent>
#include <QKeyEvent>
#include <algorithm>
#include <initializer_list>

using namespace plat;

namespace {

// Sets a flag for a scope, also when the scope is left by an exception.
struct FlagUp {
    bool& flag;
    bool old;
    explicit FlagUp(bool& f) : flag(f), old(f) { flag = true; }
    ~FlagUp() { flag = old; }
};

bool oneOf(uint16_t Key, std::initializer_list<uint16_t> Keys) {
    return std::find(Keys.begin(), Keys.end(), Key) != Keys.end();
}

bool isArrow(uint16_t Key) { return oneOf(Key, {VK_LEFT, VK_UP, VK_RIGHT, VK_DOWN}); }

bool isModifierKey(uint16_t Key) { return oneOf(Key, {VK_SHIFT, VK_CONTROL, VK_MENU}); }

// F2 as a key the grid gets once the key now handled is over: the edit opens in the cell reached.
void postF2(TExStringGrid* Grid) {
    QCoreApplication::postEvent(Grid, new QKeyEvent(QEvent::KeyPress, Qt::Key_F2, Qt::NoModifier));
}

// The frameless stay-on-top window a pop-up link shows its control on. Losing activation ends the
// link's edit while it is open; the notice that hiding the window brings, at once or later, finds
// it closed already.
class TLinkPopup : public QWidget {
public:
    explicit TLinkPopup(TEditLink* Link)
        : QWidget(nullptr, Qt::Tool | Qt::FramelessWindowHint | Qt::WindowStaysOnTopHint), link_(Link) {
        setObjectName(QStringLiteral("gridform"));
    }
    bool live = false;

protected:
    bool event(QEvent* e) override {
        if (e->type() == QEvent::WindowDeactivate && live && link_)
            guarded([this] { link_->FormExit(this); });
        return QWidget::event(e);
    }

private:
    QPointer<TEditLink> link_;
};

}  // namespace

// ---------------------------------------------------------------- the link

TEditLink::TEditLink(QObject* AOwner) : QObject(AOwner) {}

TEditLink::~TEditLink() {
    if (FOwner) FOwner->linkGone(this);
    // The window is this link's alone; the control on it goes with it.
    delete FPopupForm.data();
}

TExStringGrid* TEditLink::Grid() const { return FOwner; }

TExStringGrid* TEditLink::liveGrid() const { return FOwner && !FOwner->IsDestroying() ? FOwner.data() : nullptr; }

QWidget* TEditLink::GetParent() const {
    if (EditStyle == esPopup) return FPopupForm;
    return FOwner ? FOwner->viewport() : nullptr;
}

void TEditLink::SetFocus(bool Value) {
    TExStringGrid* g = FOwner;
    QWidget* c = GetEditControl();
    if (!c) {
        if (!Value && g) g->viewport()->setFocus(Qt::OtherFocusReason);
        return;
    }
    if (Value) {
        c->setEnabled(true);
        c->show();
    }
    // The grid's filter goes on once an edit; it lets the control keep Tab and hands its focus loss
    // to the grid.
    if (EditStyle == esInplace && !FSubClassed && g) {
        c->installEventFilter(g);
        g->FGridControlWndProc = c;
        FSubClassed = true;
    }
    if (Value)
        c->setFocus(Qt::OtherFocusReason);
    else if (g)
        g->viewport()->setFocus(Qt::OtherFocusReason);
}

void TEditLink::RestoreWinProc() {
    if (EditStyle != esInplace) return;
    QWidget* c = GetEditControl();
    if (!c) return;
    if (TExStringGrid* g = FOwner; g && FSubClassed) {
        c->removeEventFilter(g);
        if (g->FGridControlWndProc == c) g->FGridControlWndProc = nullptr;
    }
    FSubClassed = false;
    c->hide();
}

void TEditLink::SetRect(const TRect& R) {
    QWidget* c = GetEditControl();
    if (!c) return;
    const int line = FOwner ? FOwner->BaseGridLineWidth() : 0;
    c->setGeometry(R.Left, R.Top, std::max(0, R.Right - R.Left - line), std::max(0, R.Bottom - R.Top - line));
}

void TEditLink::SetVisible(bool Value) {
    if (QWidget* c = GetEditControl()) c->setVisible(Value);
}

QString TEditLink::GetCellValue() {
    TExStringGrid* g = liveGrid();
    if (!g || g->RealCol() >= g->AllColCount() || g->Row() >= g->RowCount()) return QString();
    return g->Cells(g->RealCol(), g->Row());
}

void TEditLink::SetCellValue(const QString& S) {
    if (TExStringGrid* g = liveGrid()) g->SetEditTextReal(g->RealCol(), g->Row(), S);
}

void TEditLink::HideEditor() {
    SetCellValue(GetEditorValue());
    if (TExStringGrid* g = liveGrid()) g->HideInplaceEdit();
    RestoreWinProc();
}

void TEditLink::EditExit(QObject*) {
    HideEditor();
    if (EditStyle == esPopup && FPopupForm) {
        DestroyEditor();
        closePopup();
    }
}

void TEditLink::closePopup() {
    if (!FPopupForm) return;
    static_cast<TLinkPopup*>(FPopupForm.data())->live = false;
    FPopupForm->hide();
}

void TEditLink::FormExit(QObject* Sender) {
    TExStringGrid* g = liveGrid();
    if (g && g->NormalEdit()) g->NormalEdit()->SetText(GetEditorValue());
    if (FForcedExit) {
        SetCellValue(GetEditorValue());
        return;
    }
    // The focus changes that ending the edit makes are the grid's own; the flag is down again once
    // they are made, or the grid's focus handling would stay off for good.
    if (!g) {
        EditExit(Sender);
        return;
    }
    FlagUp invoked(g->FInvokedFocusChange);
    EditExit(Sender);
}

void TEditLink::gridTakesFocus() {
    FlagUp forced(FForcedExit);
    TExStringGrid* g = FOwner;
    if (!g) return;
    // The control's focus loss is this step's own: it ends no edit by itself.
    FlagUp block(g->FBlockKill);
    if (!g->isActiveWindow()) g->activateWindow();
    g->viewport()->setFocus(Qt::OtherFocusReason);
}

void TEditLink::openPopup(const TRect& R) {
    TExStringGrid* g = FOwner;
    if (!FPopupForm) FPopupForm = new TLinkPopup(this);
    auto* form = static_cast<TLinkPopup*>(FPopupForm.data());
    form->live = true;
    const QPoint at = PopupLeft == -1 || PopupTop == -1 ? g->viewport()->mapToGlobal(QPoint(R.Left, R.Top))
                                                        : QPoint(PopupLeft, PopupTop);
    form->move(at);
    form->show();
    // A window manager may have placed it on its own when it showed.
    form->move(at);
    form->resize(std::max(0, int(PopupWidth)), std::max(0, int(PopupHeight)));
    form->activateWindow();
}

void TEditLink::EditKeyDown(QObject* Sender, uint16_t& Key, TShiftState Shift) {
    QPointer<TExStringGrid> g = FOwner;
    if (!g || Key == 0) return;
    const uint16_t key = Key;
    const bool alt = Shift.contains(ssAlt) && !isModifierKey(key);
    const bool gridKey =
        alt || oneOf(key, {VK_TAB, VK_RETURN, VK_ESCAPE, VK_PRIOR, VK_NEXT, VK_END, VK_HOME, VK_LEFT, VK_UP, VK_RIGHT,
                           VK_DOWN});
    if (!gridKey) return;
    const bool wanted = ((key == VK_UP || key == VK_DOWN) && WantKeyUpDown) ||
                        ((key == VK_LEFT || key == VK_RIGHT) && WantKeyLeftRight) ||
                        ((key == VK_HOME || key == VK_END) && WantKeyHomeEnd) ||
                        ((key == VK_PRIOR || key == VK_NEXT) && WantKeyPriorNext) ||
                        (key == VK_RETURN && WantKeyReturn) || (key == VK_ESCAPE && WantKeyEscape) ||
                        (key == VK_TAB && WantTabs);
    if (wanted) return;
    const bool shift = Shift.contains(ssShift);
    // The key is done with once the edit ended: a key the control left alone would go on to its
    // parents, the cells, and move the cursor a second time.
    Key = 0;
    // Only what this key's end of the edit validates decides the reopening below.
    g->FLastValidation = true;
    // A refused value: the editor opens again on its cell.
    const auto reopened = [&] {
        if (!g || g->FLastValidation) return false;
        g->FLastValidation = true;
        g->FEditLink = this;
        g->StartSpecialEdit(g->Col(), g->Row());
        return true;
    };

    if (key == VK_TAB && g->Navigation().TabToNextAtEnd()) {
        gridTakesFocus();
        g->EndSpecialEdit(g->Col(), g->Row());
        const int fromCol = g->Col(), fromRow = g->Row();
        g->AdvanceOnTab(shift);
        if (!g) return;
        const bool moved = g->Col() != fromCol || g->Row() != fromRow;
        if (moved && !g->IsCheckOrButtonCell(g->RealCol(), g->Row())) {
            postF2(g);
            return;
        }
    }
    if (key == VK_ESCAPE) SetEditorValue(g->OriginalCellValue());
    gridTakesFocus();
    g->EndSpecialEdit(g->Col(), g->Row());
    if (EditStyle == esPopup) EditExit(Sender);
    if (!g) return;
    g->SetEditMode(false);
    g->GridSelectCell(g->Col(), g->Row());
    if (reopened()) return;
    if (key == VK_RETURN) {
        g->AdvanceAfterEdit(g->Col(), g->Row(), false, false, !shift, false, false);
        reopened();
        return;
    }
    if (key == VK_ESCAPE) return;
    if (key == VK_TAB || isArrow(key)) {
        uint16_t k = key;
        g->GridKeyDown(k, Shift);
        if (!g) return;
    }
    if (QWidget* c = GetEditControl()) c->setEnabled(false);
    gridTakesFocus();
    if (reopened()) return;
    if (g->Options().contains(goTabs) && key == VK_TAB && !g->IsCheckOrButtonCell(g->RealCol(), g->Row())) postF2(g);
}

// ---------------------------------------------------------------- the grid's road

TEditLink* TExStringGrid::EditLink() const { return FEditLink; }

void TExStringGrid::SetEditLink(TEditLink* Value) { FEditLink = Value; }

void TExStringGrid::linkRoad(int ACol, int ARow) {
    FLinkInEdit = FEditLink;
    // Without a link nothing shows; the edit flags stay until the edit is hidden.
    if (!FLinkInEdit) return;
    TEditLink& link = *FLinkInEdit;
    const int real = RealColIndex(ACol);
    FEditMode = true;
    link.FOwner = this;
    link.EditCell = QPoint(real, ARow);
    // The value Esc brings back.
    if (real < AllColCount() && ARow < RowCount()) SetOriginalCellValue(Cells(real, ARow));
    TRect r = CellRect(ACol, ARow);
    if (UseRightToLeftAlignment()) ++r.Left;
    if (link.EditStyle == esPopup) {
        if (link.AutoPopupWidth) link.PopupWidth = r.Right - r.Left;
        link.openPopup(r);
        link.CreateEditor(link.FPopupForm);
        link.SetRect(TRect(0, 0, link.PopupWidth, link.PopupHeight));
    } else {
        link.CreateEditor(viewport());
        link.SetRect(r);
    }
    link.SetVisible(true);
    plat::TGridDrawState state;
    TBrush brush;
    brush.SetColor(Color());
    TFont font(Font());
    TColor colorTo = clNone, mirror = clNone, mirrorTo = clNone;
    TAlignment ha = taLeftJustify;
    TVAlignment va = vtaTop;
    bool ww = false;
    TCellGradientDirection gd = GradientVertical;
    GetVisualProperties(real, ARow, state, false, false, false, brush, colorTo, mirror, mirrorTo, font, ha, va, ww, gd);
    link.SetCellProps(brush.Color(), font);
    link.SetProperties();
    GetEditorProp(real, ARow, &link);
    // The user's handler may have let the link go.
    if (!FLinkInEdit) return;
    link.SetEditorValue(GetEditText(ACol, ARow));
    link.SetFocus(true);
    FEditActive = true;
    QWidget* ctrl = link.GetEditControl();
    // The character that started the edit is the control's first keystroke, after it showed.
    if (!FStartEditChar.isNull() && ctrl) SendCharacter(ctrl, FStartEditChar, LastKeyOnKeypad());
    if (FLinkInEdit) FEditCtrl = link.GetEditControl();
}

void TExStringGrid::endLinkEdit(int ACol, int ARow) {
    const bool open = FEditMode;
    FEditMode = false;
    TEditLink* link = FLinkInEdit;
    if (!link || !open) return;
    SetEditTextReal(RealColIndex(ACol), ARow, link->GetEditorValue());
    if (link->EditStyle != esPopup) {
        // The control goes; the focus it had stays with the cells, not the window's next control.
        QWidget* c = link->GetEditControl();
        if (c && c->isAncestorOf(QApplication::focusWidget())) viewport()->setFocus(Qt::OtherFocusReason);
        if (c && c->hasFocus()) viewport()->setFocus(Qt::OtherFocusReason);
        link->SetVisible(false);
    }
    link->RestoreWinProc();
}

void TExStringGrid::linkGone(TEditLink* Link) {
    if (FLinkInEdit.data() != Link) return;
    if (FSpecialEditor && FEditControl == edCustom) {
        FlagUp block(FBlockKill);
        FSpecialEditor = false;
        FEditMode = false;
        FEditActive = false;
        FEditCtrl = nullptr;
    }
    // A control the link left behind in the cell is taken off the filter and hidden; its focus
    // stays with the cells.
    if (QWidget* c = FGridControlWndProc) {
        FlagUp block(FBlockKill);
        c->removeEventFilter(this);
        if (c->hasFocus() || c->isAncestorOf(QApplication::focusWidget())) viewport()->setFocus(Qt::OtherFocusReason);
        c->hide();
    }
    FGridControlWndProc = nullptr;
    FLinkInEdit = nullptr;
}

bool TExStringGrid::linkKeyLeft(QObject* Watched, QEvent* Event) {
    const QEvent::Type t = Event->type();
    if ((t != QEvent::KeyPress && t != QEvent::KeyRelease) || Watched != viewport()) return false;
    QWidget* c = FGridControlWndProc;
    QWidget* f = QApplication::focusWidget();
    if (!c || !f || (f != c && !c->isAncestorOf(f))) return false;
    // A key the link control left alone goes on to its parents here, the cells; the link's protocol
    // has decided about it already, so the grid does not act on it a second time.
    Event->accept();
    return true;
}

bool TExStringGrid::focusNextPrevChild(bool next) {
    // The link control under the grid's filter takes Tab as a key when the grid moves by Tab.
    if (QWidget* c = FGridControlWndProc; c && Options().contains(goTabs)) {
        QWidget* f = QApplication::focusWidget();
        if (f && (f == c || c->isAncestorOf(f))) return false;
    }
    return TBaseGrid::focusNextPrevChild(next);
}
