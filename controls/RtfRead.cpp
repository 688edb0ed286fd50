#include "controls/RtfRead.h"

#include <QHash>
#include <algorithm>
#include <array>
#include <string_view>
#include <unordered_map>

namespace {

// 0x80..0x9F of Windows-1252; 0xA0..0xFF are the Latin-1 characters of the same number.
constexpr std::array<char16_t, 32> kWin1252High = {0x20AC, 0x0081, 0x201A, 0x0192, 0x201E, 0x2026, 0x2020, 0x2021,
                                                   0x02C6, 0x2030, 0x0160, 0x2039, 0x0152, 0x008D, 0x017D, 0x008F,
                                                   0x0090, 0x2018, 0x2019, 0x201C, 0x201D, 0x2022, 0x2013, 0x2014,
                                                   0x02DC, 0x2122, 0x0161, 0x203A, 0x0153, 0x009D, 0x017E, 0x0178};

// Groups nested deeper than this keep no state of their own: their formats stay in force after
// them. No real document comes near it; it bounds the stack a hostile one could build.
constexpr std::size_t kMaxDepth = 512;
constexpr int kMaxFontSize = 3276;  // half-points (1638 pt)
constexpr int kMaxIndent = 31680;   // twips (22 inches)
constexpr int kMaxOffsetHalfPoints = 3276;

enum TDest : uint8_t { dText, dSkip, dFontTable, dColorTable };

struct TParaProps {
    TRtfAlign Align = raLeft;
    int Left = 0, Right = 0, First = 0;
};

struct TGroupState {
    TRtfCharFormat Char;
    TParaProps Para;
    int UC = 1;  // fallback characters after a "\u"
    TDest Dest = dText;
};

// clang-format off
enum TWord : uint8_t {
    wBold, wItalic, wUnderline, wUnderlineNone, wStrike, wFontSize, wFont, wColor, wHighlight, wPlain,
    wUp, wDown, wSub, wSuper, wNoSuperSub, wPar, wLine, wTab, wPard, wLeft, wRight, wCenter, wJustify,
    wLeftIndent, wRightIndent, wFirstIndent, wUC, wU, wBin, wDefFont, wFontTable, wColorTable, wRed,
    wGreen, wBlue, wSkipDest
};

const std::unordered_map<std::u16string_view, TWord>& words() {
    static const std::unordered_map<std::u16string_view, TWord> table = {
        {u"b", wBold}, {u"i", wItalic}, {u"ul", wUnderline}, {u"ulnone", wUnderlineNone},
        {u"strike", wStrike}, {u"fs", wFontSize}, {u"f", wFont}, {u"cf", wColor},
        {u"highlight", wHighlight}, {u"cb", wHighlight}, {u"plain", wPlain}, {u"up", wUp},
        {u"dn", wDown}, {u"sub", wSub}, {u"super", wSuper}, {u"nosupersub", wNoSuperSub},
        {u"par", wPar}, {u"line", wLine}, {u"tab", wTab}, {u"pard", wPard}, {u"ql", wLeft},
        {u"qr", wRight}, {u"qc", wCenter}, {u"qj", wJustify}, {u"li", wLeftIndent},
        {u"ri", wRightIndent}, {u"fi", wFirstIndent}, {u"uc", wUC}, {u"u", wU}, {u"bin", wBin},
        {u"deff", wDefFont}, {u"fonttbl", wFontTable}, {u"colortbl", wColorTable}, {u"red", wRed},
        {u"green", wGreen}, {u"blue", wBlue},
        // Destinations whose content is not text of the document (a field's instruction, pictures,
        // embedded objects, page headers and footers, notes).
        {u"info", wSkipDest}, {u"stylesheet", wSkipDest}, {u"pict", wSkipDest},
        {u"fldinst", wSkipDest}, {u"object", wSkipDest}, {u"header", wSkipDest},
        {u"footer", wSkipDest}, {u"footnote", wSkipDest}};
    // clang-format on
    return table;
}

bool isLetter(char16_t c) {
    return (c >= u'a' && c <= u'z') || (c >= u'A' && c <= u'Z');
}
bool isDigit(char16_t c) {
    return c >= u'0' && c <= u'9';
}
int hexValue(char16_t c) {
    if (c >= u'0' && c <= u'9') return c - u'0';
    if (c >= u'a' && c <= u'f') return c - u'a' + 10;
    if (c >= u'A' && c <= u'F') return c - u'A' + 10;
    return -1;
}

// A lone half of a surrogate pair becomes U+FFFD, so every text handed on is valid UTF-16.
void mendSurrogates(QString& s) {
    const qsizetype n = s.size();
    char16_t* d = reinterpret_cast<char16_t*>(s.data());
    for (qsizetype i = 0; i < n; ++i) {
        if (QChar::isHighSurrogate(d[i]) && i + 1 < n && QChar::isLowSurrogate(d[i + 1])) {
            ++i;
        } else if (QChar::isSurrogate(d[i])) {
            d[i] = 0xFFFD;
        }
    }
}

class TReader {
public:
    TReader(QStringView In, TRtfReadStats* Stats) : FIn(In), FStats(Stats) {}

    TRtfDocument Read() {
        const qsizetype n = FIn.size();
        while (FPos < n && !FDone) {
            ++FSteps;
            const char16_t c = FIn[FPos].unicode();
            if (c == u'{') {
                ++FPos;
                FSkip = 0;
                openGroup();
            } else if (c == u'}') {
                ++FPos;
                FSkip = 0;
                closeGroup();
            } else if (c == u'\\') {
                controlSequence();
            } else {
                ++FPos;
                // Line ends in the file only lay it out.
                if (c == u'\r' || c == u'\n') continue;
                if (FSkip > 0) {
                    --FSkip;
                    continue;
                }
                text(c);
            }
        }
        if (!FCur.Runs.empty() || FDoc.Paragraphs.empty()) endParagraph();
        finish();
        if (FStats) FStats->Steps += FSteps;
        return std::move(FDoc);
    }

private:
    void openGroup() {
        if (FStack.size() >= kMaxDepth) {
            ++FOverflow;
            return;
        }
        FStack.push_back(FS);
    }

    void closeGroup() {
        if (FOverflow > 0) {
            --FOverflow;
            return;
        }
        if (FStack.empty()) return;  // a stray closing brace
        if (FStack.size() == 1) {
            // The document's own group ends: its last paragraph takes the properties in force
            // inside it, and what follows the group is not part of the document.
            if (!FCur.Runs.empty() || FDoc.Paragraphs.empty()) endParagraph();
            FDone = true;
        }
        FS = FStack.back();
        FStack.pop_back();
    }

    void controlSequence() {
        const qsizetype n = FIn.size();
        qsizetype p = FPos + 1;
        if (p >= n) {
            FPos = n;
            return;
        }
        const char16_t c = FIn[p].unicode();
        if (!isLetter(c)) {
            FPos = p + 1;
            controlSymbol(c);
            return;
        }
        const qsizetype start = p;
        while (p < n && isLetter(FIn[p].unicode())) ++p;
        const QStringView word = FIn.mid(start, p - start);
        bool hasParam = false;
        bool negative = false;
        int64_t value = 0;
        if (p + 1 < n && FIn[p] == u'-' && isDigit(FIn[p + 1].unicode())) {
            negative = true;
            ++p;
        }
        while (p < n && isDigit(FIn[p].unicode())) {
            hasParam = true;
            // Saturates: a parameter of any length stays a bounded number.
            if (value < 10'000'000'000LL) value = value * 10 + (FIn[p].unicode() - u'0');
            ++p;
        }
        if (p < n && FIn[p] == u' ') ++p;  // the delimiting blank belongs to the word
        FPos = p;
        value = std::clamp<int64_t>(negative ? -value : value, INT32_MIN, INT32_MAX);
        controlWord(word, hasParam, static_cast<int>(value));
    }

    void controlSymbol(char16_t c) {
        switch (c) {
            case u'\\':
            case u'{':
            case u'}':
                if (FSkip > 0) {
                    --FSkip;
                    return;
                }
                text(c);
                return;
            case u'\'': {
                const qsizetype n = FIn.size();
                int hi = FPos < n ? hexValue(FIn[FPos].unicode()) : -1;
                int lo = FPos + 1 < n ? hexValue(FIn[FPos + 1].unicode()) : -1;
                if (hi < 0 || lo < 0) return;  // not an escape: the characters read as they are
                FPos += 2;
                if (FSkip > 0) {
                    --FSkip;
                    return;
                }
                text(Windows1252ToUnicode(static_cast<uint8_t>(hi * 16 + lo)));
                return;
            }
            case u'*':
                // An optional destination: a reader that does not know it passes it over, and
                // this reader keeps none of them.
                FS.Dest = dSkip;
                return;
            case u'\r':
            case u'\n':
                if (FSkip > 0) {
                    --FSkip;
                    return;
                }
                if (FS.Dest == dText) endParagraph();
                return;
            default:
                if (FSkip > 0) --FSkip;
                return;
        }
    }

    void controlWord(QStringView word, bool hasParam, int param) {
        const auto& table = words();
        const auto it = table.find(std::u16string_view(reinterpret_cast<const char16_t*>(word.utf16()), word.size()));
        if (it != table.end() && it->second == wBin) {
            // Binary data is never text and may hold any byte, braces too: jumped in one step.
            if (hasParam && param > 0) FPos += std::min<qsizetype>(param, FIn.size() - FPos);
            if (FSkip > 0) --FSkip;
            return;
        }
        if (FSkip > 0) {
            --FSkip;
            return;
        }
        if (it == table.end() || FS.Dest == dSkip) return;
        const TWord w = it->second;
        TRtfCharFormat& ch = FS.Char;
        const bool on = !hasParam || param != 0;
        switch (w) {
            case wUC:
                FS.UC = hasParam ? std::max(param, 0) : 1;
                return;
            case wU: {
                // Only a character read here replaces its fallback; without one the fallback shows.
                const int code = param < 0 ? param + 65536 : param;
                if (!hasParam || code < 0 || code > 0xFFFF) return;
                text(static_cast<char16_t>(code));
                FSkip = FS.UC;
                return;
            }
            case wFontTable:
                FS.Dest = dFontTable;
                return;
            case wColorTable:
                FS.Dest = dColorTable;
                FColorSeen = false;
                FRgb = 0;
                return;
            case wSkipDest:
                FS.Dest = dSkip;
                return;
            default:
                break;
        }
        if (FS.Dest == dFontTable) {
            if (w == wFont) {
                FFontOpen = true;
                FFontNumbers.insert(param, static_cast<int>(FDoc.Fonts.size()));
                FDoc.Fonts.emplace_back();
            }
            return;
        }
        if (FS.Dest == dColorTable) {
            const int shift = w == wRed ? 16 : w == wGreen ? 8 : w == wBlue ? 0 : -1;
            if (shift >= 0) {
                FRgb = (FRgb & ~(0xFF << shift)) | (std::clamp(param, 0, 255) << shift);
                FColorSeen = true;
            }
            return;
        }
        switch (w) {
            case wBold:
                ch.Bold = on;
                break;
            case wItalic:
                ch.Italic = on;
                break;
            case wUnderline:
                ch.Underline = on;
                break;
            case wUnderlineNone:
                ch.Underline = false;
                break;
            case wStrike:
                ch.Strike = on;
                break;
            case wFontSize: {
                const int hp = hasParam ? param : 24;
                ch.FontSize = hp <= 0 ? 0 : std::min(hp, kMaxFontSize);
                break;
            }
            case wFont:
                ch.Font = FFontNumbers.value(param, -1);
                break;
            case wColor:
                ch.Color = colorAt(param);
                break;
            case wHighlight:
                ch.Highlight = colorAt(param);
                break;
            case wPlain:
                ch = TRtfCharFormat{};
                break;
            case wUp:
            case wDown: {
                // Half-points in the file, twips in the run.
                const int hp = std::clamp(hasParam ? param : 6, -kMaxOffsetHalfPoints, kMaxOffsetHalfPoints);
                ch.Offset = (w == wUp ? hp : -hp) * 10;
                break;
            }
            case wSub:
                ch.Script = rsSubscript;
                break;
            case wSuper:
                ch.Script = rsSuperscript;
                break;
            case wNoSuperSub:
                ch.Script = rsNormal;
                break;
            case wPar:
                endParagraph();
                break;
            case wLine:
                text(0x2028);
                break;
            case wTab:
                text(u'\t');
                break;
            case wPard:
                FS.Para = TParaProps{};
                break;
            case wLeft:
                FS.Para.Align = raLeft;
                break;
            case wRight:
                FS.Para.Align = raRight;
                break;
            case wCenter:
                FS.Para.Align = raCenter;
                break;
            case wJustify:
                FS.Para.Align = raJustify;
                break;
            case wLeftIndent:
                FS.Para.Left = std::clamp(param, -kMaxIndent, kMaxIndent);
                break;
            case wRightIndent:
                FS.Para.Right = std::clamp(param, -kMaxIndent, kMaxIndent);
                break;
            case wFirstIndent:
                FS.Para.First = std::clamp(param, -kMaxIndent, kMaxIndent);
                break;
            case wDefFont:
                FDefFont = param;
                break;
            default:
                break;
        }
    }

    int colorAt(int n) const { return n >= 0 && std::size_t(n) < FColors.size() ? FColors[n] : -1; }

    // One character of text, to wherever the current group sends it.
    void text(char16_t c) {
        switch (FS.Dest) {
            case dText:
                put(c);
                return;
            case dFontTable:
                if (!FFontOpen || FDoc.Fonts.empty()) return;
                if (c == u';') {
                    FFontOpen = false;
                } else if (c >= 0x20) {
                    FDoc.Fonts.back().append(QChar(c));
                    ++FSteps;
                }
                return;
            case dColorTable:
                if (c == u';') {
                    FColors.push_back(FColorSeen ? FRgb : -1);
                    FColorSeen = false;
                    FRgb = 0;
                }
                return;
            case dSkip:
                return;
        }
    }

    void put(char16_t c) {
        if (c < 0x20 && c != u'\t') return;
        // The text document's own markers (paragraph, object, frame) never come from the file as
        // text: a paragraph separator is taken as a line break.
        if (c == 0x2029) c = 0x2028;
        if (c == 0xFFFC || c == 0xFDD0 || c == 0xFDD1) return;
        if (FCur.Runs.empty() || FCur.Runs.back().Format != FS.Char) {
            FCur.Runs.push_back(TRtfRun{FS.Char, QString()});
            ++FSteps;
        }
        FCur.Runs.back().Text.append(QChar(c));
        ++FSteps;
    }

    void endParagraph() {
        FCur.Align = FS.Para.Align;
        FCur.LeftIndent = FS.Para.Left;
        FCur.RightIndent = FS.Para.Right;
        FCur.FirstIndent = FS.Para.First;
        FDoc.Paragraphs.push_back(std::move(FCur));
        FCur = TRtfParagraph{};
        ++FSteps;
    }

    // The default font first, every run naming a font of the table, texts valid, equal neighbours
    // joined (a run without "\f" and one naming the default font are alike now).
    void finish() {
        auto& fonts = FDoc.Fonts;
        int def = -1;
        if (!fonts.empty()) {
            def = std::max(FFontNumbers.value(FDefFont, 0), 0);
            if (def != 0) std::swap(fonts[0], fonts[def]);
        }
        for (QString& f : fonts) mendSurrogates(f);
        for (TRtfParagraph& para : FDoc.Paragraphs) {
            std::vector<TRtfRun> runs;
            runs.reserve(para.Runs.size());
            for (TRtfRun& run : para.Runs) {
                ++FSteps;
                int& f = run.Format.Font;
                if (!fonts.empty()) f = f < 0 || f == def ? 0 : f == 0 ? def : f;
                mendSurrogates(run.Text);
                if (!runs.empty() && runs.back().Format == run.Format)
                    runs.back().Text.append(run.Text);
                else
                    runs.push_back(std::move(run));
            }
            para.Runs = std::move(runs);
        }
    }

    QStringView FIn;
    TRtfReadStats* FStats;
    qsizetype FPos = 0;
    bool FDone = false;
    int64_t FSteps = 0;
    TGroupState FS;
    std::vector<TGroupState> FStack;
    int64_t FOverflow = 0;
    int FSkip = 0;  // fallback characters still to pass over
    TRtfDocument FDoc;
    TRtfParagraph FCur;
    QHash<int, int> FFontNumbers;  // font number in the file -> position in Fonts
    bool FFontOpen = false;
    int FDefFont = 0;
    std::vector<int> FColors;
    int FRgb = 0;
    bool FColorSeen = false;
};

}  // namespace

char16_t Windows1252ToUnicode(uint8_t Byte) {
    return Byte >= 0x80 && Byte < 0xA0 ? kWin1252High[Byte - 0x80] : Byte;
}

int UnicodeToWindows1252(char16_t Ch) {
    if (Ch < 0x80 || (Ch >= 0xA0 && Ch <= 0xFF)) return Ch;
    for (int i = 0; i < 32; ++i) {
        // The undefined bytes stand for themselves one way only.
        if (kWin1252High[i] == Ch && Ch >= 0x100) return 0x80 + i;
    }
    return -1;
}

TRtfDocument ReadRtf(QStringView Rtf, TRtfReadStats* Stats) {
    return TReader(Rtf, Stats).Read();
}

TRtfDocument ReadRtf(QByteArrayView Rtf, TRtfReadStats* Stats) {
    QString text(Rtf.size(), Qt::Uninitialized);
    char16_t* d = reinterpret_cast<char16_t*>(text.data());
    for (qsizetype i = 0; i < Rtf.size(); ++i) d[i] = Windows1252ToUnicode(static_cast<uint8_t>(Rtf[i]));
    return ReadRtf(QStringView(text), Stats);
}

QString RtfPlainText(const TRtfDocument& Doc) {
    QString out;
    bool first = true;
    for (const TRtfParagraph& para : Doc.Paragraphs) {
        if (!first) out += QStringLiteral("\r\n");
        first = false;
        for (const TRtfRun& run : para.Runs) {
            for (const QChar c : run.Text) {
                if (c.unicode() == 0x2028)
                    out += QStringLiteral("\r\n");
                else
                    out += c;
            }
        }
    }
    return out;
}

QString RtfPlainText(QStringView Rtf) {
    return RtfPlainText(ReadRtf(Rtf));
}
