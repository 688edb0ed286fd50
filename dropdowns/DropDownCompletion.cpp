#include "dropdowns/DropDownCompletion.h"

#include <algorithm>

namespace dropdowns {

QString CaseFold(const QString& Text, bool MatchCase) {
    if (MatchCase) return Text;
    QString r = Text;
    for (QChar& c : r) c = c.toUpper();
    return r;
}

void TCompletionList::Assign(const QStringList& Texts, bool MatchCase) {
    matchCase_ = MatchCase;
    texts_.assign(Texts.begin(), Texts.end());
    folded_.clear();
    folded_.reserve(texts_.size());
    for (const QString& t : texts_) folded_.push_back(CaseFold(t, MatchCase));
}

int TCompletionList::FindPrefix(const QString& FoldedKey) const {
    if (FoldedKey.isEmpty()) return -1;
    for (std::size_t i = 0; i < folded_.size(); ++i)
        if (folded_[i].startsWith(FoldedKey)) return int(i);
    return -1;
}

TCompletion Complete(const QString& Text, int SelStart, const TCompletionList& List) {
    TCompletion r;
    const int start = std::clamp(SelStart, 0, int(Text.size()));
    const QString typed = Text.left(start);
    const QString key = CaseFold(typed, List.MatchCase());
    const int i = List.FindPrefix(key);
    if (i >= 0) {
        r.Index = i;
        r.KeyLength = int(key.size());
        r.Text = typed + List.Text(i).mid(key.size(), kCompletionTailMax);
        r.Anchor = int(r.Text.size());
        r.Caret = r.KeyLength;
        r.Changed = true;
    } else if (!typed.isEmpty()) {
        r.Text = typed;
        r.Anchor = r.Caret = int(typed.size());
        r.Changed = true;
    }
    return r;
}

QString TTypeAhead::Add(const QString& KeyText, int64_t NowMs) {
    // Control characters (Enter, Backspace, Tab) are keys without a character of their own here.
    QString added;
    for (QChar c : KeyText)
        if (c.isPrint()) added += c.toUpper();
    if (added.isEmpty()) return Text(NowMs);
    if (Expired(NowMs)) text_.clear();
    text_ += added;
    last_ = NowMs;
    return text_;
}

}  // namespace dropdowns
