// What another program drags onto the grid: payloads of any length in every format the drop target
// reads. The input is a run of records: a format byte, a 16-bit little-endian length, the payload
// (cut at the end of the input).
#include "controls/sgdd.h"

#include <QBuffer>
#include <QMimeData>
#include <cstddef>
#include <cstdint>

namespace {

const QString kFormats[] = {sgdd::MimeUnicodeText, sgdd::MimeAnsiText, sgdd::MimeUriList, sgdd::MimeRTF,
                            sgdd::MimeGridColumn,  sgdd::MimeGridCells, sgdd::MimeMozUrl};

class CheckingTarget : public TSGDropTarget {
public:
    const TEnumFormats* formats = nullptr;

protected:
    void DropStream(QPoint, std::unique_ptr<QBuffer> Ms) override {
        if (!Ms || !formats->HasGridCells() || formats->HasCol()) __builtin_trap();
    }
    void DropCol(QPoint, int32_t Col) override {
        if (!formats->HasCol() || Col != formats->Col()) __builtin_trap();
    }
    void DropFiles(QPoint, const QStringList& Files) override {
        if (Files.isEmpty()) __builtin_trap();
    }
};

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    QMimeData mime;
    size_t pos = 0;
    while (pos + 3 <= size) {
        const QString& format = kFormats[data[pos] % std::size(kFormats)];
        size_t len = size_t(data[pos + 1]) | size_t(data[pos + 2]) << 8;
        pos += 3;
        if (len > size - pos) len = size - pos;
        mime.setData(format, QByteArray(reinterpret_cast<const char*>(data + pos), qsizetype(len)));
        pos += len;
    }

    const TEnumFormats ef(&mime);
    const QByteArray cells = mime.data(sgdd::MimeGridCells);
    if (const auto stream = ef.Stream()) {
        const QByteArray s = stream->readAll();
        if (!ef.HasGridCells() || s.size() + 8 > cells.size() || s != cells.mid(8, s.size())) __builtin_trap();
    } else if (ef.HasGridCells()) {
        __builtin_trap();
    }
    if (ef.HasCol() != (mime.data(sgdd::MimeGridColumn).size() >= 4)) __builtin_trap();
    if (!ef.HasCol() && ef.Col() != -1) __builtin_trap();
    QStringList files;
    if (ef.GetFileList(files) != ef.HasFile()) __builtin_trap();
    (void)ef.Text();
    (void)ef.RTF();
    (void)ef.HasURL();

    for (const bool rtf : {false, true}) {
        SetDropRTFEnabled(rtf);
        CheckingTarget target;
        target.formats = &ef;
        Qt::DropAction effect = Qt::IgnoreAction;
        target.DragEnter(&mime, {}, {}, Qt::CopyAction | Qt::MoveAction, effect);
        if ((effect == Qt::IgnoreAction) == target.Ok()) __builtin_trap();
        if (target.DropFormats().contains(dfGridCells) != ef.HasGridCells()) __builtin_trap();
        target.DragOver({}, {}, Qt::CopyAction, effect);
        target.Drop(&mime, {}, {}, Qt::MoveAction, effect);
        if ((effect == Qt::IgnoreAction) == target.Ok()) __builtin_trap();
    }
    SetDropRTFEnabled(false);

    // What the grid sends, this build reads back.
    const QByteArrayView all(reinterpret_cast<const char*>(data), qsizetype(size));
    const QByteArray block = sgdd::WriteGridCellsBlock(all);
    const auto back = sgdd::ReadGridCellsBlock(block);
    if (!back || *back != all) __builtin_trap();
    return 0;
}
