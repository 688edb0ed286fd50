#pragma once
// A font as the controls describe it: face name, size in points or height in pixels (a negative
// height is the character height, a positive one the cell height), style set, colour and the angle
// of its text in tenths of a degree. Sizes count 96 pixels per inch on every device. A face the
// machine lacks keeps its name; drawing substitutes a face that exists.
#include "platform/Colors.h"
#include "platform/EnumSet.h"

#include <QFont>
#include <QString>
#include <functional>

namespace plat {

enum TFontStyle : uint8_t { fsBold, fsItalic, fsUnderline, fsStrikeOut };
using TFontStyles = TEnumSet<TFontStyle>;
enum TFontPitch : uint8_t { fpDefault, fpVariable, fpFixed };

inline constexpr int ScreenPixelsPerInch = 96;

class TFont {
public:
    // The application font's face and size, black, upright.
    TFont();
    TFont(const TFont& other);
    TFont& operator=(const TFont& other);  // = Assign

    const QString& Name() const { return name_; }
    void SetName(const QString& name);
    int Size() const;  // points
    void SetSize(int points);
    int Height() const { return height_; }  // pixels
    void SetHeight(int pixels);
    TFontStyles Style() const { return style_; }
    void SetStyle(TFontStyles style);
    TColor Color() const { return color_; }
    void SetColor(TColor color);
    // Angle of the text's base line and of its characters, tenths of a degree counter-clockwise.
    int Orientation() const { return orientation_; }
    void SetOrientation(int tenths);
    TFontPitch Pitch() const { return pitch_; }
    void SetPitch(TFontPitch pitch);

    // Copies everything from another font and reports one change.
    void Assign(const TFont& other);
    // Takes the face, size and style of a Qt font.
    void AssignQFont(const QFont& font);
    // The font to draw with (pixel size, styles; no angle, which the canvas applies).
    QFont ToQFont() const;

    std::function<void()> OnChange;

private:
    // Reports a change; `face`: one of what the Qt font is made from.
    void changed(bool face = true);
    QString name_;
    int height_ = -12;
    TFontStyles style_;
    TColor color_ = clBlack;
    int orientation_ = 0;
    TFontPitch pitch_ = fpDefault;
    mutable QFont cached_;
    mutable bool cacheValid_ = false;
};

}  // namespace plat
