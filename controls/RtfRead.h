#pragma once
// Reading rich text (RTF) into plain structs: paragraphs of runs, each run one character format.
// No widget and no global state; the text document of the editors is filled from these structs
// (RtfTextDocument.h) and the writer (RtfWrite.h) turns them back into RTF.
//
// The reader walks the input once with an explicit stack of group states, so every input ends, in
// time linear in its length, whatever its nesting, its parameters or where it is cut off. What it
// does not know it passes over: unknown control words are ignored, unknown and skipped destinations
// ("{\*...}", "\info", "\stylesheet", "\pict", "\fldinst", ...) leave nothing, "\bin N" data is jumped.
#include <QByteArrayView>
#include <QString>
#include <QStringView>
#include <cstdint>
#include <vector>

enum TRtfScript : uint8_t { rsNormal, rsSubscript, rsSuperscript };
enum TRtfAlign : uint8_t { raLeft, raRight, raCenter, raJustify };

// Values of the runs are the file's own units: font sizes in half-points, offsets and indents in
// twips (1/1440 inch), colours as 0xRRGGBB.
struct TRtfCharFormat {
    bool Bold = false;
    bool Italic = false;
    bool Underline = false;
    bool Strike = false;
    int FontSize = 0;              // half-points; 0: the document's default size
    int Font = -1;                 // index into TRtfDocument::Fonts; -1 only in a document without fonts
    int Color = -1;                // text colour; -1: automatic
    int Highlight = -1;            // background behind the text; -1: none
    int Offset = 0;                // raised (+) or lowered (-) from the base line, in twips ("\up", "\dn")
    TRtfScript Script = rsNormal;  // "\sub", "\super"

    bool operator==(const TRtfCharFormat&) const = default;
};

struct TRtfRun {
    TRtfCharFormat Format;
    // A "\line" break is U+2028; a tab is '\t'. No other character below 0x20.
    QString Text;

    bool operator==(const TRtfRun&) const = default;
};

struct TRtfParagraph {
    TRtfAlign Align = raLeft;
    int LeftIndent = 0;   // twips
    int RightIndent = 0;  // twips
    int FirstIndent = 0;  // twips, relative to the left indent
    // Adjacent runs always differ in format; no run is empty.
    std::vector<TRtfRun> Runs;

    bool operator==(const TRtfParagraph&) const = default;
};

struct TRtfDocument {
    // Font names by table position; the document's default font ("\deff") is always the first.
    std::vector<QString> Fonts;
    // At least one paragraph. A last "\par" that nothing follows closes its paragraph and opens none.
    std::vector<TRtfParagraph> Paragraphs;

    bool operator==(const TRtfDocument&) const = default;
};

// Work counted while reading: one step for every token taken from the input and every character
// or run produced, so tests can hold the reader to linear time without a clock.
struct TRtfReadStats {
    int64_t Steps = 0;
};

// Reads RTF held as text: characters up to 0x7F are the file's syntax, every character above it is
// text as it stands (a cell's RTF may hold them; none is cut to 8 bits).
TRtfDocument ReadRtf(QStringView Rtf, TRtfReadStats* Stats = nullptr);
// Reads RTF as bytes: every byte above 0x7F is Windows-1252 text.
TRtfDocument ReadRtf(QByteArrayView Rtf, TRtfReadStats* Stats = nullptr);

// The text of a document without its formats: paragraphs and "\line" breaks become CR LF.
QString RtfPlainText(const TRtfDocument& Doc);
QString RtfPlainText(QStringView Rtf);

// Windows-1252, the platform's ANSI code page in which "\'hh" escapes are read whatever "\ansicpg"
// says (characters outside it come as "\u" escapes). The five bytes the code page leaves undefined
// (0x81, 0x8D, 0x8F, 0x90, 0x9D) read as the control characters of the same number.
char16_t Windows1252ToUnicode(uint8_t Byte);
// The code page's byte for a character, or -1 when it has none (also for the five undefined bytes).
int UnicodeToWindows1252(char16_t Ch);
