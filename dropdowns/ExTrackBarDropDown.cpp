#include "dropdowns/ExTrackBarDropDown.h"

#include <QKeyEvent>
#include <QSlider>

#include "controls/ExUtil.h"
#include "platform/Guard.h"
#include "platform/IntConv.h"

using namespace plat;

namespace dropdowns {

namespace {

// The platform's slider takes Up as a raise and Down as a lowering, against the drop-down's own
// arrows (which reach it through the edit): it leaves these two keys to the edit.
class ArrowKeysToTheEdit final : public QObject {
public:
    using QObject::QObject;
    bool eventFilter(QObject*, QEvent* event) override {
        if (event->type() != QEvent::KeyPress && event->type() != QEvent::KeyRelease) return false;
        const int key = static_cast<QKeyEvent*>(event)->key();
        return key == Qt::Key_Up || key == Qt::Key_Down;
    }
};

}  // namespace

TExTrackBarDropDown::TExTrackBarDropDown(QWidget* parent) : TExCustomDropDown(parent) {
    SetEditorEnabled(false);
    DropDownEnabled = true;
    SetEditType(etNumeric);
    DropDownHeader().SetVisible(false);
    DropDownFooter().SetVisible(false);
    ForceShadow = true;
}

QSlider* TExTrackBarDropDown::TrackBar() const {
    return FTrackBar;
}

TExTrackBarDropDown::~TExTrackBarDropDown() {
    if (FTrackBar) disconnect(FTrackBar, nullptr, this, nullptr);
}

void TExTrackBarDropDown::CreateDropDownForm() {
    TExCustomDropDown::CreateDropDownForm();
    if (!FTrackBar) {
        auto* t = new QSlider(Qt::Horizontal, DropDownForm());
        t->setTickPosition(QSlider::TicksBelow);
        t->setGeometry(0, 0, t->width(), 40);
        // The track bar starts with the drop-down's values.
        t->setRange(FMin, FMax);
        t->setValue(FPosition);
        t->setPageStep(FPageSize);
        t->setTickInterval(FFrequency);
        t->installEventFilter(new ArrowKeysToTheEdit(t));
        FTrackBar = t;
    }
    disconnect(FTrackBar, nullptr, this, nullptr);
    onSignal(FTrackBar.data(), &QSlider::valueChanged, this, [this] { TrackBarChanged(); });
}

void TExTrackBarDropDown::BeforeDropDown() {
    TExCustomDropDown::BeforeDropDown();
    if (DropDownForm()) DropDownForm()->CancelOnDeActivate = false;
    if (!FTrackBar) return;
    FTrackBar->setMinimum(FMin);
    FTrackBar->setMaximum(FMax);
    FTrackBar->setValue(FPosition);
    FTrackBar->setPageStep(FPageSize);
    FTrackBar->setTickInterval(FFrequency);
    FTrackBar->resize(width(), FTrackBar->height());
    SetControl(FTrackBar);
}

void TExTrackBarDropDown::SetPosition(int Value) {
    FPosition = Value;
    if (!FTrackBar) return;
    FTrackBar->setValue(Value);
    FPosition = FTrackBar->value();
}

// The track bar's bounds never cross: a minimum above the maximum (or a maximum below the
// minimum) is refused, where the platform's slider would move the other bound instead.
void TExTrackBarDropDown::SetMin(int Value) {
    FMin = Value;
    if (!FTrackBar) return;
    if (Value <= FTrackBar->maximum()) FTrackBar->setMinimum(Value);
    FMin = FTrackBar->minimum();
}

void TExTrackBarDropDown::SetMax(int Value) {
    FMax = Value;
    if (!FTrackBar) return;
    if (Value >= FTrackBar->minimum()) FTrackBar->setMaximum(Value);
    FMax = FTrackBar->maximum();
}

void TExTrackBarDropDown::SetFrequency(int Value) {
    FFrequency = Value;
    if (FTrackBar) FTrackBar->setTickInterval(Value);
}

void TExTrackBarDropDown::SetPageSize(int Value) {
    FPageSize = Value;
    if (FTrackBar) FTrackBar->setPageStep(Value);
}

void TExTrackBarDropDown::TrackBarChanged() {
    FPosition = FTrackBar->value();
    SetTextDirect(QString::number(FPosition));
    if (OnTrackChange) OnTrackChange(this);
}

void TExTrackBarDropDown::AfterChange() {
    const QString t = Text();
    const std::optional<int32_t> v = tryStrToInt(t);
    if (!v) throw EConvertError(QStringLiteral("'%1' is not a valid integer value").arg(t));
    SetPosition(*v);
}

void TExTrackBarDropDown::KeyDown(uint16_t& Key, TShiftState Shift) {
    const uint16_t key = Key;
    TExCustomDropDown::KeyDown(Key, Shift);
    if (EditorEnabled() || Shift.contains(ssAlt)) return;
    // Widened, so a step near the integer limits cannot overflow.
    if (key == VK_UP) {
        const int64_t v = int64_t(FPosition) - FFrequency;
        if (v >= FMin) SetPosition(int(v));
    } else if (key == VK_DOWN) {
        const int64_t v = int64_t(FPosition) + FFrequency;
        if (v <= FMax) SetPosition(int(v));
    }
}

void TExTrackBarDropDown::MouseDown(TMouseButton Button, TShiftState Shift, int X, int Y) {
    TExCustomDropDown::MouseDown(Button, Shift, X, Y);
    if (!dragAllowed()) return;
    FMouseX = X;
    FMouseDraging = true;
}

void TExTrackBarDropDown::MouseMove(TShiftState Shift, int X, int Y) {
    TExCustomDropDown::MouseMove(Shift, X, Y);
    if (!dragAllowed() || !FMouseDraging) return;
    const int delta = X - FMouseX;
    FMouseX = X;
    // Without a page size a drag has no step: it changes nothing.
    if (FPageSize <= 0) return;
    SetPosition(int(std::clamp<int64_t>(int64_t(FPosition) + delta / FPageSize, INT32_MIN, INT32_MAX)));
}

void TExTrackBarDropDown::MouseUp(TMouseButton Button, TShiftState Shift, int X, int Y) {
    TExCustomDropDown::MouseUp(Button, Shift, X, Y);
    FMouseDraging = false;
}

}  // namespace dropdowns
