#pragma once
// Completing a typed text with the first entry of a list that starts with it, and the
// type-ahead buffer of the list pop-ups. No widget here: the drop-downs hand in their texts.
#include <QString>
#include <QStringList>
#include <cstdint>
#include <vector>

namespace dropdowns {

// At most this many characters of an entry are added after the typed part.
inline constexpr int kCompletionTailMax = 255;

// The text as compared: itself with MatchCase, else upper case character by character (so every
// position in the folded text is the same position in the text).
QString CaseFold(const QString& Text, bool MatchCase);

// The entries, folded once when they are set: a key then costs one prefix comparison per entry.
class TCompletionList {
public:
    TCompletionList() = default;
    TCompletionList(const QStringList& Texts, bool MatchCase) { Assign(Texts, MatchCase); }
    void Assign(const QStringList& Texts, bool MatchCase);
    int Count() const { return int(texts_.size()); }
    const QString& Text(int Index) const { return texts_[std::size_t(Index)]; }
    const QString& Folded(int Index) const { return folded_[std::size_t(Index)]; }
    bool MatchCase() const { return matchCase_; }
    // The first entry whose folded text starts with the folded key; -1 for an empty key or none.
    int FindPrefix(const QString& FoldedKey) const;

private:
    std::vector<QString> texts_, folded_;
    bool matchCase_ = false;
};

// What completing a text does. Text, Anchor and Caret are the edit's new state when Changed.
struct TCompletion {
    int Index = -1;        // the entry that completed the text; -1 none
    bool Changed = false;  // the text or the selection is to be rewritten
    QString Text;
    int Anchor = 0, Caret = 0;
    int KeyLength = 0;  // the typed part that matched
};

// The typed part is the text before SelStart. An entry starting with it (folded) gives the
// typed part as typed followed by at most kCompletionTailMax further characters of the entry,
// the added tail selected and the caret after the typed part. Without a match a non-empty typed
// part is kept alone (what followed the caret goes) with the caret at its end; an empty one
// changes nothing.
TCompletion Complete(const QString& Text, int SelStart, const TCompletionList& List);

// The search text of a list typed into quickly: keys within TimeoutMs of the previous one add to
// it, a later key starts again. A key adds its own character in upper case; a key without a
// character (a function key) adds nothing.
class TTypeAhead {
public:
    static constexpr int TimeoutMs = 500;
    // Returns the search text after the key; a key without a printable character changes nothing
    // (neither the text nor its time).
    QString Add(const QString& KeyText, int64_t NowMs);
    // The search text as it stands at NowMs (empty once the time ran out).
    QString Text(int64_t NowMs) const { return Expired(NowMs) ? QString() : text_; }
    void Clear() { text_.clear(); }

private:
    bool Expired(int64_t NowMs) const { return NowMs - last_ >= TimeoutMs; }
    QString text_;
    int64_t last_ = INT64_MIN / 2;
};

}  // namespace dropdowns
