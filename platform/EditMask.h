#pragma once
// The edit mask of the masked edits: a mask text made of the platform's mask characters, parsed
// once into one slot per displayed character, and the editing rules over the displayed text. Pure
// logic: the masked edit, the drop-down edits and the time picker all edit through it.
//
// Mask text: "<mask>[;<save literals>[;<blank>]]". In the mask part:
//   L / l  a letter, required / optional        A / a  a letter or digit, required / optional
//   C / c  any character, required / optional  0 / 9  a digit, required / optional
//   #      a digit or sign, optional            :  /   the locale's time / date separator
//   _      a blank                              \x     the character x itself
//   >  <   the following characters in upper / lower case; "<>" ends the conversion
//   !      optional characters stand as leading blanks instead of trailing ones
// Any other character is refused: a literal must be escaped. The save field "0" keeps the literals
// out of the text the edit hands on; the blank (default "_") marks an empty position.
#include "platform/Error.h"

#include <QChar>
#include <QString>
#include <vector>

namespace plat {

// A mask text that cannot be translated.
class EEditMaskError : public Error {
public:
    using Error::Error;
};

class TEditMask {
public:
    enum class Kind : uint8_t { Literal, Letter, LetterDigit, Any, Digit, DigitSign };
    enum class Case : uint8_t { None, Upper, Lower };
    struct Slot {
        Kind kind = Kind::Literal;
        bool required = false;
        Case convert = Case::None;
        QChar literal;  // the character shown for a literal slot
    };

    TEditMask() = default;
    // Raises EEditMaskError naming the first character that is not a mask character.
    explicit TEditMask(const QString& mask);

    bool IsEmpty() const { return slots_.empty(); }
    const QString& Source() const { return source_; }
    int Length() const { return int(slots_.size()); }
    const Slot& SlotAt(int i) const { return slots_[size_t(i)]; }
    bool IsLiteral(int i) const { return slots_[size_t(i)].kind == Kind::Literal; }
    bool SaveLiterals() const { return saveLiterals_; }
    QChar Blank() const { return blank_; }
    bool LeadingBlanks() const { return leadingBlanks_; }

    // The character as the slot stores it (case converted), or a null QChar when it does not fit.
    QChar Accept(int slot, QChar c) const;
    // The displayed text of a value: literals in place, empty positions blank. A value with literals
    // (as the save field keeps them) is matched literal for literal; without, it fills the editable
    // positions in order.
    QString Format(const QString& value) const;
    // The text the edit hands on: empty positions become spaces, literals kept by the save field.
    QString Value(const QString& display) const;
    // Every required position is filled.
    bool Complete(const QString& display) const;

    // The first editable position at or after pos (Length() when none), and the last one before pos
    // (-1 when none).
    int NextEditable(int pos) const;
    int PrevEditable(int pos) const;
    // Types c at pos (skipping literals, or matching a typed literal): the display changes and pos
    // moves after the written position. False (nothing changed) when the character fits nowhere.
    bool Type(QString& display, int& pos, QChar c) const;
    // Blanks the editable positions of [from, to).
    void Clear(QString& display, int from, int to) const;

private:
    std::vector<Slot> slots_;
    QString source_;
    bool saveLiterals_ = true;
    bool leadingBlanks_ = false;
    QChar blank_ = u'_';
};

}  // namespace plat
