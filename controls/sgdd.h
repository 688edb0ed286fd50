#pragma once
// Drag and drop of the grid with other windows and programs, on Qt's drag and MIME data: a reader
// of what a dragged object carries, a drop target that hands each kind to an overridable routine,
// a drop source, the data object a drag from the grid offers, and the two routines that start a
// drag of cell text or of a column.
//
// The formats travel as these MIME types:
//   plain text    "text/plain;charset=windows-1252"
//   Unicode text  "text/plain" (UTF-8)
//   files         "text/uri-list" (its local file URLs)
//   rich text     "text/rtf" (8-bit)
//   grid column   "application/x-grid-column": one little-endian 32-bit column index
//   grid cells    "application/x-exstringgrid-cells": 32-bit size n, 4 reserved zero bytes, then
//                 n bytes of the grid's binary cell stream (little-endian)
//   address       a URL that is not a local file in "text/uri-list", or "text/x-moz-url"; only its
//                 presence counts, the address itself is read from the Unicode text
// Texts carry no terminating zero; a reader stops at one all the same, as other programs add it.
// An empty payload counts as not given. Payloads come from other programs: every length in them is
// checked against the bytes that are there.
#include "platform/EnumSet.h"
#include "platform/Keys.h"

#include <QByteArray>
#include <QByteArrayView>
#include <QMimeData>
#include <QObject>
#include <QPoint>
#include <QPointer>
#include <QString>
#include <QStringList>
#include <cstdint>
#include <functional>
#include <map>
#include <memory>
#include <optional>

class QBuffer;
class QWidget;
class QDragEnterEvent;
class QDragMoveEvent;
class QDragLeaveEvent;
class QDropEvent;

using plat::TShiftState;

namespace sgdd {
inline const QString MimeAnsiText = QStringLiteral("text/plain;charset=windows-1252");
inline const QString MimeUnicodeText = QStringLiteral("text/plain");
inline const QString MimeUriList = QStringLiteral("text/uri-list");
inline const QString MimeRTF = QStringLiteral("text/rtf");
inline const QString MimeGridColumn = QStringLiteral("application/x-grid-column");
inline const QString MimeGridCells = QStringLiteral("application/x-exstringgrid-cells");
inline const QString MimeMozUrl = QStringLiteral("text/x-moz-url");

// The column index of a column payload; none when it is shorter than 4 bytes.
std::optional<int32_t> ReadGridColumn(QByteArrayView Payload);
QByteArray WriteGridColumn(int32_t Col);
// The cell stream inside a grid-cells block; none when the block is shorter than its 8-byte head
// or its size field asks for more bytes than follow. Bytes after the stream are ignored.
std::optional<QByteArrayView> ReadGridCellsBlock(QByteArrayView Block);
// The block around a cell stream; empty when the stream is too long for the 32-bit size.
QByteArray WriteGridCellsBlock(QByteArrayView Stream);

struct TUriList {
    QStringList Files;   // the local files, in list order
    bool HasURL = false;  // an entry that is not a local file
};
// A "text/uri-list" payload: lines ended by CR LF (a bare LF is taken too), "#" starts a comment.
TUriList ParseUriList(QByteArrayView Payload);
}  // namespace sgdd

// Result codes of the drag and drop routines.
inline constexpr int32_t S_OK = 0;
inline constexpr int32_t DRAGDROP_S_DROP = 0x00040100;
inline constexpr int32_t DRAGDROP_S_CANCEL = 0x00040101;
inline constexpr int32_t DRAGDROP_S_USEDEFAULTCURSORS = 0x00040102;

enum TDropFormat : uint8_t { dfText, dfFile, dfCol, dfRTF, dfURL, dfGridCells };
using TDropFormats = plat::TEnumSet<TDropFormat>;

// Whether drops take rich text. Off at start; the grid's `OleDropRTF` setting writes it.
void SetDropRTFEnabled(bool Value);
bool DropRTFEnabled();

// The effect of a drop: Ctrl gives copy; otherwise move when the source allows it, else copy
// (copy even when the source does not list it).
Qt::DropAction DropEffect(TShiftState KeyState, Qt::DropActions Allowed);

// What a dragged object carries. It reads each payload once and keeps it while it lives, which is
// one drag enter or one drop.
class TEnumFormats {
public:
    explicit TEnumFormats(const QMimeData* DataObject);

    const QMimeData* DataObject() const { return FDataObject; }
    void SetDataObject(const QMimeData* DataObject);

    // The format is offered and its payload is not empty.
    bool HasFormat(const QString& Format) const;

    bool HasText() const;
    bool HasFile() const;
    bool HasRTF() const;
    bool HasCol() const;
    bool HasURL() const;
    bool HasGridCells() const;

    QString Text() const;
    QString RTF() const;
    int32_t Col() const;  // -1 when absent
    // A new buffer, open for reading, holding the cell stream of the grid-cells block; null when
    // there is no valid block. The caller owns it.
    std::unique_ptr<QBuffer> Stream() const;
    // Fills List with the dropped local files; true when there is at least one.
    bool GetFileList(QStringList& List) const;

private:
    const QByteArray& payload(const QString& Format) const;
    const sgdd::TUriList& uris() const;

    const QMimeData* FDataObject = nullptr;
    mutable std::map<QString, QByteArray> FPayloads;
    mutable std::optional<sgdd::TUriList> FUris;
};

// The drop target of a widget. Given a widget it takes the widget's drag and drop events (and
// switches its drops on); the OLE-shaped steps below can also be called directly. Each step runs
// inside the general error handler when it comes from an event. Pt is in screen coordinates.
class TSGDropTarget : public QObject {
public:
    explicit TSGDropTarget(QWidget* Control = nullptr);
    ~TSGDropTarget() override;

    bool AcceptText() const { return FAcceptText; }
    void SetAcceptText(bool Value) { FAcceptText = Value; }
    bool AcceptFiles() const { return FAcceptFiles; }
    void SetAcceptFiles(bool Value) { FAcceptFiles = Value; }
    bool AcceptCols() const { return FAcceptCols; }
    void SetAcceptCols(bool Value) { FAcceptCols = Value; }
    bool AcceptURLs() const { return FAcceptURLs; }
    void SetAcceptURLs(bool Value) { FAcceptURLs = Value; }
    TDropFormats DropFormats() const { return FDropFormats; }
    // Whether the current drag can be dropped.
    bool Ok() const { return FOk; }

    // Effect: in, the effects the source allows; out, the effect to show (Qt::IgnoreAction: none).
    void DragEnter(const QMimeData* Data, TShiftState KeyState, QPoint Pt, Qt::DropActions Allowed,
                   Qt::DropAction& Effect);
    void DragOver(TShiftState KeyState, QPoint Pt, Qt::DropActions Allowed, Qt::DropAction& Effect);
    void DragLeave();
    void Drop(const QMimeData* Data, TShiftState KeyState, QPoint Pt, Qt::DropActions Allowed,
              Qt::DropAction& Effect);

protected:
    // The hand-over routines, empty here.
    virtual void DropText(QPoint Pt, const QString& S) {}
    virtual void DropStream(QPoint Pt, std::unique_ptr<QBuffer> Ms) {}
    virtual void DropCol(QPoint Pt, int32_t Col) {}
    virtual void DropRTF(QPoint Pt, const QString& S) {}
    virtual void DropFiles(QPoint Pt, const QStringList& Files) {}
    virtual void DropURL(QPoint Pt, const QString& S) {}
    virtual void DragMouseMove(QPoint Pt, bool& Allow, TDropFormats DropFormats) {}
    virtual void DragMouseEnter() {}
    virtual void DragMouseLeave() {}

    bool eventFilter(QObject* Watched, QEvent* Event) override;

private:
    void dragEnterEvent(QDragEnterEvent& Event);
    void dragMoveEvent(QDragMoveEvent& Event);
    void dropEvent(QDropEvent& Event);
    QPoint screenPoint(const QDropEvent& Event) const;

    QPointer<QWidget> FControl;
    bool FOk = false;
    bool FAcceptText = true;
    bool FAcceptFiles = true;
    bool FAcceptCols = false;
    bool FAcceptURLs = true;
    TDropFormats FDropFormats;
};

// The drop source of a drag started by a widget (the drag's source; without one the drop source
// itself stands in).
class TSGDropSource : public QObject {
public:
    explicit TSGDropSource(QWidget* Control = nullptr);

    QWidget* Control() const;
    // The last feedback said no drop is possible.
    bool NoAccept() const { return FNoAccept; }
    void SetNoAccept(bool Value) { FNoAccept = Value; }

    // One poll of the drag loop: Esc cancels, a released left button drops, else the drag goes on.
    int32_t QueryContinueDrag(bool EscapePressed, TShiftState KeyState);
    int32_t GiveFeedback(Qt::DropAction Effect);

protected:
    // Empty here.
    virtual void DragEnded() {}
    virtual void CurrentEffect(Qt::DropAction Effect) {}
    virtual void QueryDrag() {}

private:
    QPointer<QWidget> FControl;
    bool FNoAccept = false;
};

// The data object of a drag from the grid. It offers plain text, Unicode text and rich text, then
// the column when it has one and the grid cells when it has a stream, in that order; it renders a
// format only when asked and only what it can serve.
class TSourceDataObject : public QMimeData {
public:
    // Stream (may be null) is borrowed for the drag; the run routines let go of it afterwards.
    TSourceDataObject(const QString& stxt, const QString& srtf, int32_t sidx, const QByteArray* Stream);

    QStringList formats() const override;
    // Whether Format is served now.
    bool QueryGetData(const QString& Format) const;
    void ReleaseStream() { memstr = nullptr; }

protected:
    QVariant retrieveData(const QString& MimeType, QMetaType Type) const override;

private:
    QString textdata;
    QString rtfdata;
    int32_t scolidx;
    const QByteArray* memstr;
};

// The drag loop: runs the drag of Data with the allowed effects, reports each change of the effect
// the cursor shows to Feedback, and gives the effect of the drop (Qt::IgnoreAction: cancelled).
// The default runs QDrag::exec; tests hand in their own.
using TDragFeedback = std::function<void(Qt::DropAction Effect)>;
using TDragLoop = std::function<Qt::DropAction(TSGDropSource& Source, std::unique_ptr<QMimeData> Data,
                                               Qt::DropActions Allowed, const TDragFeedback& Feedback)>;
Qt::DropAction QtDragLoop(TSGDropSource& Source, std::unique_ptr<QMimeData> Data, Qt::DropActions Allowed,
                          const TDragFeedback& Feedback);

// Both give DRAGDROP_S_DROP with the drop's effect, or DRAGDROP_S_CANCEL with none; cancel also when
// the last feedback said no drop is possible, whatever the loop reported, so the source of a move
// never deletes what was not taken.
int32_t RunTextDragDrop(TSGDropSource& Source, const QString& Text, const QString& RTF, Qt::DropAction& Effect,
                        Qt::DropActions Allowed, const QByteArray* Stream, const TDragLoop& Loop = QtDragLoop);
int32_t RunColumnDragDrop(TSGDropSource& Source, int32_t Col, Qt::DropActions Allowed, Qt::DropAction& Effect,
                          const TDragLoop& Loop = QtDragLoop);
