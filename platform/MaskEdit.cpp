#include "platform/MaskEdit.h"

#include "platform/Beep.h"
#include "platform/Guard.h"

#include <QClipboard>
#include <QContextMenuEvent>
#include <QFocusEvent>
#include <QGuiApplication>
#include <QMenu>
#include <QPainter>
#include <QRegularExpression>
#include <QTextLayout>

namespace plat {

TCustomMaskEdit::TCustomMaskEdit(QWidget* parent) : TCustomControl(parent) {
    SetControlStyle({csClickEvents, csDoubleClicks, csOpaque});
    setCursor(Qt::IBeamCursor);
    setAttribute(Qt::WA_InputMethodEnabled, false);
    resize(121, 21);
}

TCustomMaskEdit::~TCustomMaskEdit() { delete layout_; }

// ---- properties ----

QString TCustomMaskEdit::Text() const { return mask_.Value(text_); }

void TCustomMaskEdit::SetText(const QString& text) {
    QString shown = mask_.IsEmpty() ? text : mask_.Format(text);
    if (mask_.IsEmpty() && maxLength_ > 0 && shown.size() > maxLength_) shown.truncate(maxLength_);
    setTextInternal(shown, false);
    anchor_ = caret_ = 0;
    scrollX_ = 0;
    update();
}

void TCustomMaskEdit::setTextInternal(const QString& display, bool byUser) {
    if (display == text_) return;
    text_ = display;
    if (byUser) modified_ = true;
    anchor_ = std::min<int>(anchor_, int(text_.size()));
    caret_ = std::min<int>(caret_, int(text_.size()));
    invalidateLayout();
    Change();
}

void TCustomMaskEdit::Change() {
    if (OnChange) OnChange(this);
}

bool TCustomMaskEdit::EditCanModify() { return !readOnly_; }

void TCustomMaskEdit::SetSelStart(int pos) { Select(pos, pos); }

void TCustomMaskEdit::SetSelLength(int length) {
    const int s = SelStart();
    Select(s, s + std::max(length, 0));
}

void TCustomMaskEdit::SelectAll() { Select(0, int(text_.size())); }

void TCustomMaskEdit::Select(int anchor, int caret) {
    const int n = int(text_.size());
    anchor_ = std::clamp(anchor, 0, n);
    caret_ = std::clamp(caret, 0, n);
    ensureCaretVisible();
    update();
}

void TCustomMaskEdit::SetMaxLength(int length) { maxLength_ = std::max(length, 0); }

void TCustomMaskEdit::SetBorderStyle(TBorderStyle style) {
    borderStyle_ = style;
    invalidateLayout();
    update();
}

void TCustomMaskEdit::SetAlignment(TAlignment alignment) {
    alignment_ = alignment;
    invalidateLayout();
    update();
}

void TCustomMaskEdit::SetColor(TColor color) {
    color_ = color;
    update();
}

void TCustomMaskEdit::SetMultiLine(bool on) {
    multiLine_ = on;
    invalidateLayout();
    update();
}

void TCustomMaskEdit::SetEditMask(const QString& mask) {
    TEditMask parsed(mask);  // raises before anything changes
    const QString value = Text();
    mask_ = std::move(parsed);
    setTextInternal(mask_.IsEmpty() ? value : mask_.Format(value), false);
    anchor_ = caret_ = 0;
    update();
}

TRect TCustomMaskEdit::EditRect() const {
    if (ownRect_) return editRect_;
    const int m = borderStyle_ == bsSingle ? 3 : 1;
    return {m, m, std::max(m, width() - m), std::max(m, height() - m)};
}

void TCustomMaskEdit::SetEditRect(const TRect& r) {
    ownRect_ = true;
    editRect_ = r;
    invalidateLayout();
    update();
}

void TCustomMaskEdit::ResetEditRect() {
    ownRect_ = false;
    invalidateLayout();
    update();
}

// ---- layout ----

void TCustomMaskEdit::invalidateLayout() {
    delete layout_;
    layout_ = nullptr;
}

bool TCustomMaskEdit::wraps() const {
    const QFontMetrics fm(font());
    // A masked text keeps its positions on one line.
    return multiLine_ && mask_.IsEmpty() && EditRect().Height() >= 2 * fm.lineSpacing();
}

const QTextLayout& TCustomMaskEdit::layout() const {
    if (layout_) return *layout_;
    QString shown = passwordChar_.isNull() ? text_ : QString(text_.size(), passwordChar_);
    // A line break of a multi-line text breaks the line; CR LF counts once.
    shown.replace(u'\r', QChar::LineSeparator);
    shown.replace(u'\n', wraps() ? QChar::LineSeparator : QChar(u' '));
    layout_ = new QTextLayout(shown, font());
    QTextOption opt;
    const bool wrap = wraps();
    opt.setWrapMode(wrap ? QTextOption::WrapAtWordBoundaryOrAnywhere : QTextOption::NoWrap);
    const Qt::Alignment h = alignment_ == taRightJustify ? Qt::AlignRight : alignment_ == taCenter ? Qt::AlignHCenter : Qt::AlignLeft;
    opt.setAlignment(wrap ? h : Qt::AlignLeft);
    layout_->setTextOption(opt);
    layout_->setCacheEnabled(true);
    const qreal w = std::max(1, EditRect().Width());
    layout_->beginLayout();
    qreal y = 0;
    for (;;) {
        QTextLine line = layout_->createLine();
        if (!line.isValid()) break;
        if (wrap) line.setLineWidth(w);
        line.setPosition(QPointF(0, y));
        y += line.height();
    }
    layout_->endLayout();
    return *layout_;
}

QPointF TCustomMaskEdit::origin() const {
    const TRect r = EditRect();
    if (wraps()) return QPointF(r.Left, r.Top);
    const QTextLayout& l = layout();
    const qreal natural = l.lineCount() ? l.lineAt(0).naturalTextWidth() : 0;
    qreal x = r.Left;
    if (natural < r.Width()) {
        if (alignment_ == taRightJustify) x = r.Right - natural - 1;
        else if (alignment_ == taCenter) x = r.Left + (r.Width() - natural) / 2;
        return QPointF(x, r.Top);
    }
    return QPointF(r.Left - scrollX_, r.Top);
}

void TCustomMaskEdit::ensureCaretVisible() {
    if (wraps()) {
        scrollX_ = 0;
        return;
    }
    const QTextLayout& l = layout();
    if (!l.lineCount()) return;
    const QTextLine line = l.lineAt(0);
    const TRect r = EditRect();
    const int natural = int(line.naturalTextWidth());
    if (natural < r.Width()) {
        scrollX_ = 0;
        return;
    }
    const int x = int(line.cursorToX(caret_));
    if (x - scrollX_ < 0) scrollX_ = x;
    if (x - scrollX_ > r.Width() - 2) scrollX_ = x - r.Width() + 2;
    scrollX_ = std::clamp(scrollX_, 0, std::max(0, natural - r.Width() + 2));
}

QPoint TCustomMaskEdit::PosFromChar(int index) const {
    const QTextLayout& l = layout();
    index = std::clamp(index, 0, int(text_.size()));
    const QPointF o = origin();
    const QTextLine line = l.lineForTextPosition(index);
    if (!line.isValid()) return o.toPoint();
    return QPointF(o.x() + line.cursorToX(index), o.y() + line.y()).toPoint();
}

int TCustomMaskEdit::CharFromPos(QPoint p) const {
    const QTextLayout& l = layout();
    if (!l.lineCount()) return 0;
    const QPointF q = QPointF(p) - origin();
    int li = 0;
    for (int i = 0; i < l.lineCount(); ++i)
        if (q.y() >= l.lineAt(i).y()) li = i;
    return std::clamp(l.lineAt(li).xToCursor(q.x()), 0, int(text_.size()));
}

int TCustomMaskEdit::LineFromChar(int index) const {
    const QTextLine line = layout().lineForTextPosition(std::clamp(index, 0, int(text_.size())));
    return line.isValid() ? line.lineNumber() : 0;
}

int TCustomMaskEdit::LineCount() const { return std::max(1, layout().lineCount()); }

int TCustomMaskEdit::lineStep(int index, int dir) const {
    const QTextLayout& l = layout();
    const QTextLine line = l.lineForTextPosition(index);
    if (!line.isValid()) return -1;
    const int target = line.lineNumber() + dir;
    if (target < 0 || target >= l.lineCount()) return -1;
    return l.lineAt(target).xToCursor(line.cursorToX(index));
}

// ---- editing ----

bool TCustomMaskEdit::replaceSelection(const QString& s) {
    const int from = SelStart(), len = SelLength();
    if (!mask_.IsEmpty()) {
        QString shown = text_;
        mask_.Clear(shown, from, from + len);
        int pos = from;
        int typed = 0;
        for (QChar c : s) {
            if (!mask_.Type(shown, pos, c)) break;
            ++typed;
        }
        if (typed == 0 && !s.isEmpty()) return false;
        setTextInternal(shown, true);
        anchor_ = caret_ = s.isEmpty() ? from : pos;
        // The caret rests on the next position that takes a character.
        if (!s.isEmpty()) anchor_ = caret_ = std::min(mask_.NextEditable(caret_), mask_.Length());
        return true;
    }
    QString add = s;
    if (maxLength_ > 0 && text_.size() - len + add.size() > maxLength_) {
        const qsizetype room = maxLength_ - (text_.size() - len);
        if (room <= 0 && !add.isEmpty()) return false;
        add.truncate(std::max<qsizetype>(room, 0));
    }
    QString shown = text_;
    shown.replace(from, len, add);
    anchor_ = caret_ = from + int(add.size());
    setTextInternal(shown, true);
    return true;
}

void TCustomMaskEdit::ClearSelection() {
    if (SelLength() == 0 || !EditCanModify()) return;
    replaceSelection(QString());
    ensureCaretVisible();
    update();
}

void TCustomMaskEdit::SetPasswordChar(QChar c) {
    if (passwordChar_ == c) return;
    passwordChar_ = c;
    invalidateLayout();
    update();
}

void TCustomMaskEdit::CopyToClipboard() {
    if (!passwordChar_.isNull()) return;
    if (SelLength() > 0) QGuiApplication::clipboard()->setText(mask_.IsEmpty() ? SelText() : SelText().replace(mask_.Blank(), u' '));
}

void TCustomMaskEdit::CutToClipboard() {
    if (SelLength() == 0 || !EditCanModify() || !passwordChar_.isNull()) return;
    CopyToClipboard();
    ClearSelection();
}

void TCustomMaskEdit::PasteFromClipboard() {
    if (!EditCanModify()) return;
    QString s = QGuiApplication::clipboard()->text();
    if (!multiLine_) {
        // A single line takes the clipboard's first line.
        const qsizetype br = s.indexOf(QRegularExpression(QStringLiteral("[\r\n]")));
        if (br >= 0) s.truncate(br);
    }
    if (s.isEmpty()) return;
    if (!replaceSelection(s)) MessageBeep(0);
    ensureCaretVisible();
    update();
}

void TCustomMaskEdit::moveCaret(int pos, bool extend) {
    caret_ = std::clamp(pos, 0, int(text_.size()));
    if (!extend) anchor_ = caret_;
    ensureCaretVisible();
    update();
}

void TCustomMaskEdit::KeyDown(uint16_t& Key, TShiftState Shift) {
    TCustomControl::KeyDown(Key, Shift);
    if (Key == 0) return;
    const bool shift = Shift.contains(ssShift), ctrl = Shift.contains(ssCtrl);
    const int n = int(text_.size());
    auto wordStep = [&](int pos, int dir) {
        if (dir < 0) {
            while (pos > 0 && text_[pos - 1].isSpace()) --pos;
            while (pos > 0 && !text_[pos - 1].isSpace()) --pos;
        } else {
            while (pos < n && !text_[pos].isSpace()) ++pos;
            while (pos < n && text_[pos].isSpace()) ++pos;
        }
        return pos;
    };
    const bool rtl = layoutDirection() == Qt::RightToLeft;
    uint16_t key = Key;
    if (rtl && key == VK_LEFT) key = VK_RIGHT;
    else if (rtl && key == VK_RIGHT) key = VK_LEFT;
    switch (key) {
        case VK_LEFT:
            if (!shift && SelLength() > 0) moveCaret(SelStart(), false);
            else moveCaret(ctrl ? wordStep(caret_, -1) : caret_ - 1, shift);
            break;
        case VK_RIGHT:
            if (!shift && SelLength() > 0) moveCaret(SelStart() + SelLength(), false);
            else moveCaret(ctrl ? wordStep(caret_, 1) : caret_ + 1, shift);
            break;
        case VK_HOME: {
            int to = 0;
            if (!ctrl && wraps()) {
                const QTextLine line = layout().lineForTextPosition(caret_);
                if (line.isValid()) to = line.textStart();
            }
            moveCaret(to, shift);
            break;
        }
        case VK_END: {
            int to = n;
            if (!ctrl && wraps()) {
                const QTextLine line = layout().lineForTextPosition(caret_);
                if (line.isValid() && line.lineNumber() + 1 < layout().lineCount())
                    to = line.textStart() + line.textLength() - 1;
            }
            moveCaret(to, shift);
            break;
        }
        case VK_UP:
        case VK_DOWN:
            if (wraps()) {
                const int to = lineStep(caret_, key == VK_UP ? -1 : 1);
                if (to >= 0) moveCaret(to, shift);
            }
            break;
        case VK_DELETE:
            if (shift) {
                CutToClipboard();
            } else if (EditCanModify()) {
                if (SelLength() == 0) {
                    if (caret_ >= n) break;
                    if (!mask_.IsEmpty()) {
                        QString shown = text_;
                        mask_.Clear(shown, caret_, caret_ + 1);
                        setTextInternal(shown, true);
                        update();
                        break;
                    }
                    anchor_ = caret_ + 1;
                }
                ClearSelection();
            }
            break;
        case VK_INSERT:
            if (ctrl) CopyToClipboard();
            else if (shift) PasteFromClipboard();
            break;
        default: break;
    }
}

void TCustomMaskEdit::KeyPress(QChar& Key) {
    TCustomControl::KeyPress(Key);
    const char16_t c = Key.unicode();
    switch (c) {
        case 0: return;
        case 1: SelectAll(); return;
        case 3: CopyToClipboard(); return;
        case 22: PasteFromClipboard(); return;
        case 24: CutToClipboard(); return;
        case 8:
            if (!EditCanModify()) return;
            if (SelLength() > 0) {
                ClearSelection();
            } else if (!mask_.IsEmpty()) {
                const int p = mask_.PrevEditable(caret_);
                if (p >= 0) {
                    QString shown = text_;
                    mask_.Clear(shown, p, p + 1);
                    caret_ = anchor_ = p;
                    setTextInternal(shown, true);
                } else {
                    caret_ = anchor_ = 0;
                }
            } else if (caret_ > 0) {
                anchor_ = caret_ - 1;
                ClearSelection();
            }
            ensureCaretVisible();
            update();
            return;
        default: break;
    }
    // Enter, Tab, Esc and the other control characters never reach the text.
    if (c < 32 || c == 127) return;
    if (!EditCanModify()) return;
    if (!replaceSelection(QString(Key))) MessageBeep(0);
    ensureCaretVisible();
    update();
}

void TCustomMaskEdit::MouseDown(TMouseButton Button, TShiftState Shift, int X, int Y) {
    if (Button == mbLeft) {
        if (!hasFocus()) setFocus(Qt::MouseFocusReason);
        const int pos = CharFromPos(QPoint(X, Y));
        if (Shift.contains(ssDouble)) {
            // A double click selects the word under the pointer.
            int a = pos, b = pos;
            while (a > 0 && !text_[a - 1].isSpace()) --a;
            while (b < text_.size() && !text_[b].isSpace()) ++b;
            Select(a, b);
        } else {
            moveCaret(pos, Shift.contains(ssShift));
        }
    }
    TCustomControl::MouseDown(Button, Shift, X, Y);
}

void TCustomMaskEdit::MouseMove(TShiftState Shift, int X, int Y) {
    if (Shift.contains(ssLeft)) moveCaret(CharFromPos(QPoint(X, Y)), true);
    TCustomControl::MouseMove(Shift, X, Y);
}

void TCustomMaskEdit::DoEnter() {
    update();
    TCustomControl::DoEnter();
}

void TCustomMaskEdit::focusInEvent(QFocusEvent* event) {
    if (autoSelect_ && event->reason() != Qt::MouseFocusReason) SelectAll();
    TCustomControl::focusInEvent(event);
}

void TCustomMaskEdit::focusOutEvent(QFocusEvent* event) {
    update();
    TCustomControl::focusOutEvent(event);
}

void TCustomMaskEdit::resizeEvent(QResizeEvent* event) {
    invalidateLayout();
    TCustomControl::resizeEvent(event);
}

QMenu* TCustomMaskEdit::CreateContextMenu(QWidget* parent) {
    auto* menu = new QMenu(parent);
    const bool sel = SelLength() > 0;
    const bool canModify = !readOnly_;
    auto add = [&](const QString& text, bool enabled, void (TCustomMaskEdit::*op)()) {
        QAction* a = menu->addAction(text);
        a->setEnabled(enabled);
        QObject::connect(a, &QAction::triggered, this, [this, op] { guarded([&] { (this->*op)(); }); });
    };
    add(QStringLiteral("Cu&t"), sel && canModify, &TCustomMaskEdit::CutToClipboard);
    add(QStringLiteral("&Copy"), sel, &TCustomMaskEdit::CopyToClipboard);
    add(QStringLiteral("&Paste"), canModify && !QGuiApplication::clipboard()->text().isEmpty(),
        &TCustomMaskEdit::PasteFromClipboard);
    add(QStringLiteral("&Delete"), sel && canModify, &TCustomMaskEdit::ClearSelection);
    menu->addSeparator();
    add(QStringLiteral("Select &All"), !text_.isEmpty(), &TCustomMaskEdit::SelectAll);
    return menu;
}

void TCustomMaskEdit::contextMenuEvent(QContextMenuEvent* event) {
    event->accept();
    QMenu* menu = CreateContextMenu(this);
    menu->setAttribute(Qt::WA_DeleteOnClose);
    menu->popup(event->globalPos());
}

// ---- painting ----

void TCustomMaskEdit::Paint() {
    QPainter* p = Canvas().Painter();
    if (!p) return;
    p->save();
    p->fillRect(rect(), ToQColor(color_));
    if (borderStyle_ == bsSingle) {
        p->setPen(ToQColor(clBtnShadow));
        p->setBrush(Qt::NoBrush);
        p->drawRect(rect().adjusted(0, 0, -1, -1));
    }
    const TRect r = EditRect();
    p->setClipRect(r.toQRect());
    p->setPen(ToQColor(Font().Color()));
    QList<QTextLayout::FormatRange> sel;
    if (hasFocus() && SelLength() > 0) {
        QTextLayout::FormatRange fr;
        fr.start = SelStart();
        fr.length = SelLength();
        fr.format.setBackground(ToQColor(clHighlight));
        fr.format.setForeground(ToQColor(clHighlightText));
        sel.push_back(fr);
    }
    const QPointF o = origin();
    layout().draw(p, o, sel);
    if (hasFocus() && !readOnly_) layout().drawCursor(p, o, caret_);
    p->restore();
}

}  // namespace plat
