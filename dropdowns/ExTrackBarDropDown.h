#pragma once
// A whole-number drop-down whose pop-up is a horizontal track bar. The edit cannot be typed into
// by default: the value changes through the track bar (live, while the pop-up is open), Up and
// Down, or a horizontal mouse drag across the closed edit.
#include <QPointer>

#include "dropdowns/DovUzerAdevEdit.h"

class QSlider;

namespace dropdowns {

class TExTrackBarDropDown : public TExCustomDropDown {
public:
    ~TExTrackBarDropDown() override;

    int Min() const { return FMin; }
    // Refused (the old bound stays) when it would pass the track bar's maximum.
    void SetMin(int Value);
    int Max() const { return FMax; }
    // Refused when it would pass the track bar's minimum.
    void SetMax(int Value);
    int Position() const { return FPosition; }
    // Clamped into [Min, Max] by the track bar.
    void SetPosition(int Value);
    int Frequency() const { return FFrequency; }
    void SetFrequency(int Value);
    int PageSize() const { return FPageSize; }
    void SetPageSize(int Value);
    QSlider* TrackBar() const;

    // After the track bar changed the value.
    plat::TNotifyEvent OnTrackChange;

    // Up lowers the value by Frequency, Down raises it; a step past a bound is dropped.
    void KeyDown(uint16_t& Key, plat::TShiftState Shift) override;

protected:
    explicit TExTrackBarDropDown(QWidget* parent = nullptr);
    friend class TExCustomDropDown;

    void CreateDropDownForm() override;
    void BeforeDropDown() override;
    // The edit text read back into the position; a text that is no whole number throws
    // EConvertError after OnChange has fired.
    void AfterChange() override;
    void MouseDown(plat::TMouseButton Button, plat::TShiftState Shift, int X, int Y) override;
    void MouseMove(plat::TShiftState Shift, int X, int Y) override;
    void MouseUp(plat::TMouseButton Button, plat::TShiftState Shift, int X, int Y) override;

    void TrackBarChanged();

private:
    bool dragAllowed() const { return DropDownEnabled && !EditorEnabled(); }

    QPointer<QSlider> FTrackBar;
    int FMin = 0;
    int FFrequency = 1;
    int FPageSize = 2;
    int FMax = 10;
    int FPosition = 0;
    bool FMouseDraging = false;
    int FMouseX = 0;
};

}  // namespace dropdowns
