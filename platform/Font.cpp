#include "platform/Font.h"

#include "platform/Numbers.h"

#include <QFontMetrics>
#include <QGuiApplication>
#include <cmath>

namespace plat {

TFont::TFont() { AssignQFont(QGuiApplication::font()); }

TFont::TFont(const TFont& other)
    : name_(other.name_), height_(other.height_), style_(other.style_), color_(other.color_),
      orientation_(other.orientation_), pitch_(other.pitch_) {}

TFont& TFont::operator=(const TFont& other) {
    Assign(other);
    return *this;
}

void TFont::SetName(const QString& name) {
    if (name == name_) return;
    name_ = name;
    changed();
}

int TFont::Size() const { return -MulDiv(height_, 72, ScreenPixelsPerInch); }

void TFont::SetSize(int points) { SetHeight(-MulDiv(points, ScreenPixelsPerInch, 72)); }

void TFont::SetHeight(int pixels) {
    if (pixels == height_) return;
    height_ = pixels;
    changed();
}

void TFont::SetStyle(TFontStyles style) {
    if (style == style_) return;
    style_ = style;
    changed();
}

void TFont::SetColor(TColor color) {
    if (color == color_) return;
    color_ = color;
    changed(false);
}

void TFont::SetOrientation(int tenths) {
    if (tenths == orientation_) return;
    orientation_ = tenths;
    changed(false);
}

void TFont::SetPitch(TFontPitch pitch) {
    if (pitch == pitch_) return;
    pitch_ = pitch;
    changed();
}

void TFont::Assign(const TFont& other) {
    if (&other == this) return;
    const bool face = name_ != other.name_ || height_ != other.height_ || style_ != other.style_ || pitch_ != other.pitch_;
    name_ = other.name_;
    height_ = other.height_;
    style_ = other.style_;
    color_ = other.color_;
    orientation_ = other.orientation_;
    pitch_ = other.pitch_;
    changed(face);
    // The Qt font depends on what was just copied: the other's is this one's too. Painters assign
    // a cell's font for every cell, mostly from the same few fonts: each makes its Qt font once.
    if (!cacheValid_) {
        cached_ = other.ToQFont();
        cacheValid_ = true;
    }
}

void TFont::AssignQFont(const QFont& font) {
    name_ = font.family();
    if (font.pixelSize() > 0)
        height_ = -font.pixelSize();
    else
        height_ = -int(Round(font.pointSizeF() * ScreenPixelsPerInch / 72.0));
    TFontStyles s;
    if (font.bold()) s.include(fsBold);
    if (font.italic()) s.include(fsItalic);
    if (font.underline()) s.include(fsUnderline);
    if (font.strikeOut()) s.include(fsStrikeOut);
    style_ = s;
    changed();
}

QFont TFont::ToQFont() const {
    if (cacheValid_) return cached_;
    QFont f(name_);
    f.setBold(style_.contains(fsBold));
    f.setItalic(style_.contains(fsItalic));
    f.setUnderline(style_.contains(fsUnderline));
    f.setStrikeOut(style_.contains(fsStrikeOut));
    f.setKerning(false);
    // A fixed pitch asks for a monospaced face when the named one is not there.
    if (pitch_ == fpFixed) {
        f.setFixedPitch(true);
        f.setStyleHint(QFont::Monospace);
    }
    if (height_ < 0) {
        f.setPixelSize(-height_);
    } else if (height_ > 0) {
        // A cell height: scale the character height by the face's cell-to-em ratio.
        f.setPixelSize(100);
        const QFontMetrics fm(f);
        const int cell = fm.ascent() + fm.descent();
        f.setPixelSize(std::max(1, int(Round(100.0 * height_ / std::max(1, cell)))));
    } else {
        f.setPixelSize(-MulDiv(8, ScreenPixelsPerInch, 72));  // 0: the default size
    }
    cached_ = f;
    cacheValid_ = true;
    return f;
}

void TFont::changed(bool face) {
    // Colour and angle are no part of the Qt font.
    if (face) cacheValid_ = false;
    if (OnChange) OnChange();
}

}  // namespace plat
