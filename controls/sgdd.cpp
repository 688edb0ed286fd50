#include "controls/sgdd.h"

#include "platform/Files.h"
#include "platform/Guard.h"

#include <QBuffer>
#include <QDrag>
#include <QDropEvent>
#include <QUrl>
#include <QWidget>
#include <limits>

namespace sgdd {

namespace {

uint32_t readLE32(QByteArrayView b) {
    return uint32_t(uint8_t(b[0])) | uint32_t(uint8_t(b[1])) << 8 | uint32_t(uint8_t(b[2])) << 16 |
           uint32_t(uint8_t(b[3])) << 24;
}

void appendLE32(QByteArray& out, uint32_t v) {
    for (int i = 0; i < 4; ++i) out.append(char((v >> (8 * i)) & 0xFF));
}

constexpr qsizetype kCellsHead = 8;

}  // namespace

std::optional<int32_t> ReadGridColumn(QByteArrayView Payload) {
    if (Payload.size() < 4) return std::nullopt;
    return static_cast<int32_t>(readLE32(Payload.first(4)));
}

QByteArray WriteGridColumn(int32_t Col) {
    QByteArray out;
    appendLE32(out, static_cast<uint32_t>(Col));
    return out;
}

std::optional<QByteArrayView> ReadGridCellsBlock(QByteArrayView Block) {
    if (Block.size() < kCellsHead) return std::nullopt;
    const uint64_t n = readLE32(Block.first(4));
    if (n > uint64_t(Block.size() - kCellsHead)) return std::nullopt;
    return Block.sliced(kCellsHead, qsizetype(n));
}

QByteArray WriteGridCellsBlock(QByteArrayView Stream) {
    if (uint64_t(Stream.size()) > std::numeric_limits<uint32_t>::max()) return {};
    QByteArray out;
    out.reserve(kCellsHead + Stream.size());
    appendLE32(out, uint32_t(Stream.size()));
    appendLE32(out, 0);
    out.append(Stream);
    return out;
}

TUriList ParseUriList(QByteArrayView Payload) {
    TUriList list;
    qsizetype pos = 0;
    while (pos < Payload.size()) {
        qsizetype end = Payload.indexOf('\n', pos);
        if (end < 0) end = Payload.size();
        const QByteArray line = Payload.sliced(pos, end - pos).trimmed().toByteArray();
        pos = end + 1;
        if (line.isEmpty() || line.startsWith('#')) continue;
        const QUrl url = QUrl::fromEncoded(line, QUrl::StrictMode);
        if (!url.isValid() || url.scheme().isEmpty()) continue;
        if (url.isLocalFile()) {
            const QString file = url.toLocalFile();
            if (!file.isEmpty()) list.Files << file;
        } else {
            list.HasURL = true;
        }
    }
    return list;
}

}  // namespace sgdd

using namespace sgdd;

namespace {

bool g_dropRTF = false;  // the unit's start-up: rich text off

// Texts end at the first zero, as other programs may terminate them.
QByteArrayView untilZero(const QByteArray& bytes) {
    const qsizetype z = bytes.indexOf('\0');
    return z < 0 ? QByteArrayView(bytes) : QByteArrayView(bytes).first(z);
}

const QByteArray kEmpty;

}  // namespace

void SetDropRTFEnabled(bool Value) { g_dropRTF = Value; }
bool DropRTFEnabled() { return g_dropRTF; }

Qt::DropAction DropEffect(TShiftState KeyState, Qt::DropActions Allowed) {
    if (KeyState.contains(plat::ssCtrl)) return Qt::CopyAction;
    return (Allowed & Qt::MoveAction) ? Qt::MoveAction : Qt::CopyAction;
}

// ---- TEnumFormats

TEnumFormats::TEnumFormats(const QMimeData* DataObject) { SetDataObject(DataObject); }

void TEnumFormats::SetDataObject(const QMimeData* DataObject) {
    FDataObject = DataObject;
    FPayloads.clear();
    FUris.reset();
}

const QByteArray& TEnumFormats::payload(const QString& Format) const {
    if (!FDataObject) return kEmpty;
    auto it = FPayloads.find(Format);
    if (it == FPayloads.end()) {
        QByteArray bytes;
        if (FDataObject->hasFormat(Format)) bytes = FDataObject->data(Format);
        it = FPayloads.emplace(Format, std::move(bytes)).first;
    }
    return it->second;
}

const TUriList& TEnumFormats::uris() const {
    if (!FUris) FUris = ParseUriList(payload(MimeUriList));
    return *FUris;
}

bool TEnumFormats::HasFormat(const QString& Format) const { return !payload(Format).isEmpty(); }

bool TEnumFormats::HasText() const { return HasFormat(MimeUnicodeText); }
bool TEnumFormats::HasFile() const { return !uris().Files.isEmpty(); }
bool TEnumFormats::HasRTF() const { return HasFormat(MimeRTF); }
bool TEnumFormats::HasCol() const { return ReadGridColumn(payload(MimeGridColumn)).has_value(); }
bool TEnumFormats::HasURL() const { return uris().HasURL || HasFormat(MimeMozUrl); }
bool TEnumFormats::HasGridCells() const { return ReadGridCellsBlock(payload(MimeGridCells)).has_value(); }

QString TEnumFormats::Text() const { return QString::fromUtf8(untilZero(payload(MimeUnicodeText))); }

QString TEnumFormats::RTF() const { return plat::fromWindows1252(untilZero(payload(MimeRTF)).toByteArray()); }

int32_t TEnumFormats::Col() const { return ReadGridColumn(payload(MimeGridColumn)).value_or(-1); }

std::unique_ptr<QBuffer> TEnumFormats::Stream() const {
    const auto cells = ReadGridCellsBlock(payload(MimeGridCells));
    if (!cells) return nullptr;
    auto buffer = std::make_unique<QBuffer>();
    buffer->setData(cells->toByteArray());
    buffer->open(QIODevice::ReadOnly);
    return buffer;
}

bool TEnumFormats::GetFileList(QStringList& List) const {
    List = uris().Files;
    return !List.isEmpty();
}

// ---- TSGDropTarget

TSGDropTarget::TSGDropTarget(QWidget* Control) : FControl(Control) {
    if (Control) {
        Control->setAcceptDrops(true);
        Control->installEventFilter(this);
    }
}

TSGDropTarget::~TSGDropTarget() {
    if (FControl) FControl->removeEventFilter(this);
}

void TSGDropTarget::DragEnter(const QMimeData* Data, TShiftState KeyState, QPoint Pt, Qt::DropActions Allowed,
                              Qt::DropAction& Effect) {
    const TEnumFormats ef(Data);
    const bool text = ef.HasText(), files = ef.HasFile(), rtf = ef.HasRTF(), col = ef.HasCol(),
               url = ef.HasURL(), cells = ef.HasGridCells();
    FOk = (text && FAcceptText) || (files && FAcceptFiles) || (rtf && g_dropRTF && FAcceptText) ||
          (col && FAcceptCols) || (url && FAcceptURLs) || cells;
    FDropFormats = {};
    const std::pair<bool, TDropFormat> present[] = {{text, dfText}, {files, dfFile}, {rtf, dfRTF},
                                                    {col, dfCol},   {url, dfURL},    {cells, dfGridCells}};
    for (const auto& [has, format] : present)
        if (has) FDropFormats.include(format);
    Effect = FOk ? DropEffect(KeyState, Allowed) : Qt::IgnoreAction;
    DragMouseEnter();
}

void TSGDropTarget::DragOver(TShiftState KeyState, QPoint Pt, Qt::DropActions Allowed, Qt::DropAction& Effect) {
    Effect = FOk ? DropEffect(KeyState, Allowed) : Qt::IgnoreAction;
    bool allow = Effect != Qt::IgnoreAction;
    DragMouseMove(Pt, allow, FDropFormats);
    if (!allow) Effect = Qt::IgnoreAction;
}

void TSGDropTarget::DragLeave() { DragMouseLeave(); }

void TSGDropTarget::Drop(const QMimeData* Data, TShiftState KeyState, QPoint Pt, Qt::DropActions Allowed,
                         Qt::DropAction& Effect) {
    if (!FOk) {
        Effect = Qt::IgnoreAction;
        return;
    }
    const TEnumFormats ef(Data);
    if (ef.HasCol()) {
        DropCol(Pt, ef.Col());
    } else {
        if (ef.HasGridCells())
            DropStream(Pt, ef.Stream());
        else if (ef.HasRTF() && g_dropRTF)
            DropRTF(Pt, ef.RTF());
        else if (ef.HasText())
            DropText(Pt, ef.Text());
        QStringList files;
        if (ef.GetFileList(files)) DropFiles(Pt, files);
        if (ef.HasURL()) DropURL(Pt, ef.Text());
    }
    Effect = DropEffect(KeyState, Allowed);
}

QPoint TSGDropTarget::screenPoint(const QDropEvent& Event) const {
    const QPoint local = Event.position().toPoint();
    return FControl ? FControl->mapToGlobal(local) : local;
}

// An event the target refuses is still taken here: the widget owns the drop area, so a refusal
// must not fall through to its parent, and the leave after a refused enter must still arrive.
void TSGDropTarget::dragEnterEvent(QDragEnterEvent& Event) {
    Qt::DropAction effect = Qt::IgnoreAction;
    DragEnter(Event.mimeData(), plat::ShiftStateOf(Event.modifiers(), Event.buttons()), screenPoint(Event),
              Event.possibleActions(), effect);
    Event.setDropAction(effect);
    Event.accept();
}

void TSGDropTarget::dragMoveEvent(QDragMoveEvent& Event) {
    Qt::DropAction effect = Qt::IgnoreAction;
    DragOver(plat::ShiftStateOf(Event.modifiers(), Event.buttons()), screenPoint(Event), Event.possibleActions(),
             effect);
    Event.setDropAction(effect);
    Event.setAccepted(effect != Qt::IgnoreAction);
}

void TSGDropTarget::dropEvent(QDropEvent& Event) {
    Qt::DropAction effect = Qt::IgnoreAction;
    Drop(Event.mimeData(), plat::ShiftStateOf(Event.modifiers(), Event.buttons()), screenPoint(Event),
         Event.possibleActions(), effect);
    Event.setDropAction(effect);
    Event.setAccepted(effect != Qt::IgnoreAction);
}

bool TSGDropTarget::eventFilter(QObject* Watched, QEvent* Event) {
    if (Watched != FControl) return false;
    switch (Event->type()) {
    case QEvent::DragEnter:
        Event->ignore();
        plat::guarded([&] { dragEnterEvent(static_cast<QDragEnterEvent&>(*Event)); });
        return true;
    case QEvent::DragMove:
        Event->ignore();
        plat::guarded([&] { dragMoveEvent(static_cast<QDragMoveEvent&>(*Event)); });
        return true;
    case QEvent::DragLeave:
        plat::guarded([&] { DragLeave(); });
        return true;
    case QEvent::Drop:
        Event->ignore();
        plat::guarded([&] { dropEvent(static_cast<QDropEvent&>(*Event)); });
        return true;
    default: return false;
    }
}

// ---- TSGDropSource

TSGDropSource::TSGDropSource(QWidget* Control) : FControl(Control) {}

QWidget* TSGDropSource::Control() const { return FControl; }

int32_t TSGDropSource::QueryContinueDrag(bool EscapePressed, TShiftState KeyState) {
    int32_t result = S_OK;
    if (EscapePressed) {
        DragEnded();
        result = DRAGDROP_S_CANCEL;
    } else if (!KeyState.contains(plat::ssLeft)) {
        DragEnded();
        result = DRAGDROP_S_DROP;
    }
    QueryDrag();
    return result;
}

int32_t TSGDropSource::GiveFeedback(Qt::DropAction Effect) {
    FNoAccept = Effect == Qt::IgnoreAction;
    CurrentEffect(Effect);
    return DRAGDROP_S_USEDEFAULTCURSORS;
}

// ---- TSourceDataObject

TSourceDataObject::TSourceDataObject(const QString& stxt, const QString& srtf, int32_t sidx, const QByteArray* Stream)
    : textdata(stxt), rtfdata(srtf), scolidx(sidx), memstr(Stream) {}

QStringList TSourceDataObject::formats() const {
    // The rich text is listed even while it cannot be served, as drags from the grid always did.
    QStringList list{MimeAnsiText, MimeUnicodeText, MimeRTF};
    if (scolidx != -1) list << MimeGridColumn;
    if (memstr) list << MimeGridCells;
    return list;
}

bool TSourceDataObject::QueryGetData(const QString& Format) const {
    if (Format == MimeAnsiText || Format == MimeUnicodeText) return !textdata.isEmpty();
    if (Format == MimeRTF) return !textdata.isEmpty() && g_dropRTF;
    if (Format == MimeGridCells) return memstr != nullptr;
    if (Format == MimeGridColumn) return scolidx != -1;
    return false;
}

QVariant TSourceDataObject::retrieveData(const QString& MimeType, QMetaType Type) const {
    if (!QueryGetData(MimeType)) return {};
    QByteArray bytes;
    if (MimeType == MimeAnsiText)
        bytes = plat::toWindows1252(textdata);
    else if (MimeType == MimeUnicodeText)
        bytes = textdata.toUtf8();
    else if (MimeType == MimeRTF)
        bytes = plat::toWindows1252(rtfdata);
    else if (MimeType == MimeGridCells)
        bytes = WriteGridCellsBlock(*memstr);
    else if (MimeType == MimeGridColumn)
        bytes = WriteGridColumn(scolidx);
    if (bytes.isEmpty()) return {};
    return bytes;
}

// ---- running a drag

Qt::DropAction QtDragLoop(TSGDropSource& Source, std::unique_ptr<QMimeData> Data, Qt::DropActions Allowed,
                          const TDragFeedback& Feedback) {
    QObject* origin = Source.Control() ? static_cast<QObject*>(Source.Control()) : &Source;
    // Qt deletes the drag object once the loop is over.
    auto* drag = new QDrag(origin);
    drag->setMimeData(Data.release());
    plat::onSignal(drag, &QDrag::actionChanged, &Source, [&Feedback](Qt::DropAction e) { Feedback(e); });
    return drag->exec(Allowed, (Allowed & Qt::MoveAction) ? Qt::MoveAction : Qt::CopyAction);
}

namespace {

int32_t runDrag(TSGDropSource& Source, std::unique_ptr<TSourceDataObject> Data, Qt::DropActions Allowed,
                Qt::DropAction& Effect, const TDragLoop& Loop) {
    // A flag left from an earlier drag must not turn this one's drop into a cancel.
    Source.SetNoAccept(false);
    const QPointer<TSourceDataObject> data = Data.get();
    const Qt::DropAction done =
        Loop(Source, std::move(Data), Allowed, [&Source](Qt::DropAction e) { Source.GiveFeedback(e); });
    // The stream is only borrowed for the drag.
    if (data) data->ReleaseStream();
    // The loop is over: one last poll tells the source how it ended.
    Source.QueryContinueDrag(done == Qt::IgnoreAction, {});
    if (done == Qt::IgnoreAction || Source.NoAccept()) {
        Effect = Qt::IgnoreAction;
        return DRAGDROP_S_CANCEL;
    }
    Effect = done;
    return DRAGDROP_S_DROP;
}

}  // namespace

int32_t RunTextDragDrop(TSGDropSource& Source, const QString& Text, const QString& RTF, Qt::DropAction& Effect,
                        Qt::DropActions Allowed, const QByteArray* Stream, const TDragLoop& Loop) {
    return runDrag(Source, std::make_unique<TSourceDataObject>(Text, RTF, -1, Stream), Allowed, Effect, Loop);
}

int32_t RunColumnDragDrop(TSGDropSource& Source, int32_t Col, Qt::DropActions Allowed, Qt::DropAction& Effect,
                          const TDragLoop& Loop) {
    return runDrag(Source, std::make_unique<TSourceDataObject>(QString(), QString(), Col, nullptr), Allowed, Effect,
                   Loop);
}
