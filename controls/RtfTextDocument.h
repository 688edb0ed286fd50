#pragma once
// Rich text between RTF and Qt's text document, which the rich-text editor shows and the grid
// measures and draws RTF cells with. Qt has no RTF of its own: RtfRead.h reads, RtfWrite.h writes,
// and this file maps their runs and paragraphs onto the document's character and block formats.
// No widget: a text document and a painter are all it needs.
//
// Units: the document's pixels are taken at 96 per inch, so indents of n twips become n / 15 pixels
// and come back exactly. A raised or lowered run keeps its offset in twips in a property of its
// character format (exactly, for the editor's subscript and superscript, 0, -40 and +40 twips) and
// is drawn moved by it through the format's base-line offset.
#include <QColor>
#include <QFont>
#include <QRect>
#include <QSize>
#include <QString>
#include <QTextCharFormat>

#include "controls/RtfRead.h"

class QPainter;
class QTextDocument;

// The character-format property that holds a run's offset from the base line in twips.
constexpr int RtfOffsetProperty = QTextFormat::UserProperty + 0x5254;

// A font's size in points; a font sized in pixels counts them at 96 per inch.
qreal FontPoints(const QFont& Font);

// The run's offset in twips (0 when it has none).
int CharOffsetTwips(const QTextCharFormat& Format);
// Sets the offset and the drawn base-line shift for text of PointSize points; 0 removes both.
void SetCharOffsetTwips(QTextCharFormat& Format, int Twips, qreal PointSize);

// Replaces the document's content with the runs and paragraphs of Rtf. Runs without a font size
// or font take the document's default font.
void FillTextDocument(const TRtfDocument& Rtf, QTextDocument& Doc);
// The document's content as runs and paragraphs; every run's font and size resolved against the
// document's default font, the default font first in the font table.
TRtfDocument RtfFromTextDocument(const QTextDocument& Doc);

// Loads RTF text into the document (ReadRtf, FillTextDocument).
void RtfToTextDocument(QStringView Rtf, QTextDocument& Doc);
// The document as RTF text (RtfFromTextDocument, WriteRtf).
QString TextDocumentToRtf(const QTextDocument& Doc);

// What a hidden converter records of a document laid out for a width: the width of its widest line
// and its height, in pixels, without margins. Width < 0 lays it out without word wrap. The document
// keeps that layout (its text width and a margin of 0).
QSize RtfContentSize(QTextDocument& Doc, int Width);

// Draws the document into Rect, laid out for Rect's width (with WordWrap) or unwrapped, clipped to
// Rect. A valid TextColor draws all text in that colour (a selected cell's text) instead of its own.
void PaintTextDocument(QPainter& Painter, QTextDocument& Doc, const QRect& Rect, bool WordWrap,
                       const QColor& TextColor = QColor());
