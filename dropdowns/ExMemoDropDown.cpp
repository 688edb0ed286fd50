#include "dropdowns/ExMemoDropDown.h"

#include <QGuiApplication>
#include <QMenu>
#include <memory>
#include <QImage>
#include <QPlainTextEdit>
#include <QScrollBar>
#include <QTextCursor>

#include "dropdowns/DovUzerAdev.h"
#include "platform/Guard.h"
#include "platform/PopupMenu.h"

using namespace plat;

namespace dropdowns {

QString JoinMemoLines(const QStringList& Lines) {
    QString s;
    for (const QString& l : Lines) s += l + u'\n';
    return s;
}

QStringList SplitMemoLines(const QString& Text) {
    QString t = Text;
    t.replace(QStringLiteral("\r\n"), QStringLiteral("\n"));
    t.replace(u'\r', u'\n');
    if (t.isEmpty()) return {};
    QStringList lines = t.split(u'\n');
    if (t.endsWith(u'\n')) lines.removeLast();
    return lines;
}

TExMemoDropDown::TExMemoDropDown(QWidget* parent) : TExCustomDropDown(parent) {}

QPlainTextEdit* TExMemoDropDown::Memo() const {
    return FMemo;
}

TExMemoDropDown::~TExMemoDropDown() {
    if (FMemo) disconnect(FMemo, nullptr, this, nullptr);
}

void TExMemoDropDown::CreateDropDownForm() {
    TExCustomDropDown::CreateDropDownForm();
    if (!FMemo) {
        auto* m = new QPlainTextEdit(DropDownForm());
        m->resize(185, 100);
        m->setFrameShape(QFrame::NoFrame);
        m->setLineWrapMode(QPlainTextEdit::WidgetWidth);
        m->setTabChangesFocus(true);
        m->setContextMenuPolicy(Qt::CustomContextMenu);
        onSignal(m, &QPlainTextEdit::textChanged, this, [this] {
            limitMemoLength();
            MemoChanged();
        });
        onSignal(m, &QWidget::customContextMenuRequested, this, [this](const QPoint& at) {
            if (!FMemo) return;
            if (FMemoPopup)
                FMemoPopup->Popup(FMemo->viewport()->mapToGlobal(at));
            else
                std::unique_ptr<QMenu>(FMemo->createStandardContextMenu())->exec(FMemo->viewport()->mapToGlobal(at));
        });
        FMemo = m;
    }
    SetControl(FMemo);
}

void TExMemoDropDown::BeforeDropDown() {
    TExCustomDropDown::BeforeDropDown();
    if (DropDownForm()) DropDownForm()->CancelOnDeActivate = false;
    if (!FMemo) return;
    FMemo->setPlainText(JoinMemoLines(FMemoText));
    memoMaxLength_ = MaxLength();
    const bool h = FMemoScrollBars == ssHorizontal || FMemoScrollBars == ssBoth;
    const bool v = FMemoScrollBars == ssVertical || FMemoScrollBars == ssBoth;
    FMemo->setHorizontalScrollBarPolicy(h ? Qt::ScrollBarAlwaysOn : Qt::ScrollBarAlwaysOff);
    FMemo->setVerticalScrollBarPolicy(v ? Qt::ScrollBarAlwaysOn : Qt::ScrollBarAlwaysOff);
    FMemo->setReadOnly(FMemoReadOnly);
}

void TExMemoDropDown::limitMemoLength() {
    if (limiting_ || !FMemo || memoMaxLength_ <= 0) return;
    const QString t = FMemo->toPlainText();
    if (t.size() <= memoMaxLength_) return;
    // The memo has no length limit of its own: what went past it is taken back.
    limiting_ = true;
    QTextCursor c = FMemo->textCursor();
    const int at = std::min(c.position(), memoMaxLength_);
    FMemo->setPlainText(t.left(memoMaxLength_));
    c = FMemo->textCursor();
    c.setPosition(at);
    FMemo->setTextCursor(c);
    limiting_ = false;
}

void TExMemoDropDown::SetMemoText(const QStringList& Value) {
    FMemoText = Value;
    MemoTextChanged();
    if (FMemo) FMemo->setPlainText(JoinMemoLines(Value));
}

void TExMemoDropDown::SetMemoReadOnly(bool Value) {
    FMemoReadOnly = Value;
    if (DroppedDown() && FMemo) FMemo->setReadOnly(Value);
}

void TExMemoDropDown::DoChange() {
    // Typed text goes into the lines as it is; the edit is not rewritten from them while typing.
    if (!FInternalUpdate) FMemoText = SplitMemoLines(Text());
}

void TExMemoDropDown::MemoTextChanged() {
    QString shown;
    if (FMemoText.isEmpty() || EditorEnabled()) {
        shown = JoinMemoLines(FMemoText);
    } else {
        shown = FMemoText.first();
        QImage device(1, 1, QImage::Format_RGB32);
        TCanvas c(&device);
        c.Font().Assign(Font());
        const int width = GetTextSize(c, shown).width();
        // The text rectangle as the edit's size has it now: a hidden edit has had no resize
        // event that would have worked it out.
        SetEditRect();
        const int limit = GetEditRect().Width();
        if (width < limit) {
            if (FMemoText.size() > 1) shown += QStringLiteral("...");
        } else if (width > limit) {
            shown = ShortenText(c, shown, limit, true);
        }
    }
    struct Internal {
        bool& flag;
        explicit Internal(bool& f) : flag(f) { flag = true; }
        ~Internal() { flag = false; }
    } internal(FInternalUpdate);
    SetTextDirect(shown);
}

void TExMemoDropDown::MemoChanged() {
    if (OnMemoChange) OnMemoChange(this);
}

void TExMemoDropDown::DoEnter() {
    TExCustomDropDown::DoEnter();
    if (FAutoDrop) DoShowDropDown();
}

void TExMemoDropDown::DoHideDropDown(bool Cancelled) {
    // The focus coming back to the edit must not open the pop-up again.
    const bool autoDrop = FAutoDrop;
    FAutoDrop = false;
    struct Restore {
        bool& flag;
        bool value;
        ~Restore() { flag = value; }
    } restore{FAutoDrop, autoDrop};
    if (Cancelled && FMemo) FMemo->setPlainText(JoinMemoLines(FMemoText));
    TExCustomDropDown::DoHideDropDown(Cancelled);
}

void TExMemoDropDown::DropDownFormHide() {
    TExCustomDropDown::DropDownFormHide();
    if (FMemo) {
        FMemoText = SplitMemoLines(FMemo->toPlainText());
        MemoTextChanged();
    }
    MemoTextChanged();
    TextRules().Select(0, 0);
    ShowTextState();
}

// The memo keeps its keys; only what closes or toggles the pop-up reaches the edit.
void TExMemoDropDown::ControlKeyDown(uint16_t& Key, TShiftState Shift) {
    if (Key == VK_ESCAPE || Key == VK_F4 || Shift.contains(ssAlt)) TExCustomDropDown::ControlKeyDown(Key, Shift);
    if ((Key == 65 || Key == 97) && Shift.contains(ssCtrl) && FMemo) FMemo->selectAll();
}

void TExMemoDropDown::ControlKeyUp(uint16_t& Key, TShiftState Shift) {
    if (Key == VK_ESCAPE || Key == VK_F4 || Shift.contains(ssAlt)) TExCustomDropDown::ControlKeyUp(Key, Shift);
}

void TExMemoDropDown::ControlKeyPress(QChar& Key) {
    if (Key == QChar(27) || (QGuiApplication::keyboardModifiers() & Qt::AltModifier))
        TExCustomDropDown::ControlKeyPress(Key);
}

}  // namespace dropdowns
