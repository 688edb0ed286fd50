// Drag and drop: the payload readers over hostile bytes, the drop target driven by the drag events
// of a widget, the data object a drag from the grid offers, and the drop source with a scripted loop.
#include "controls/sgdd.h"

#include <gtest/gtest.h>

#include <QBuffer>
#include <QCoreApplication>
#include <QDropEvent>
#include <QWidget>
#include <memory>
#include <vector>

namespace {

using Payloads = std::vector<std::pair<QString, QByteArray>>;

std::unique_ptr<QMimeData> mime(const Payloads& payloads) {
    auto data = std::make_unique<QMimeData>();
    for (const auto& [format, bytes] : payloads) data->setData(format, bytes);
    return data;
}

QByteArray le32(uint32_t v) {
    const char b[4] = {char(v), char(v >> 8), char(v >> 16), char(v >> 24)};
    return QByteArray(b, 4);
}

QByteArray cellsBlock(const QByteArray& stream) { return le32(uint32_t(stream.size())) + le32(0) + stream; }

class RtfFlag {
public:
    explicit RtfFlag(bool on) { SetDropRTFEnabled(on); }
    ~RtfFlag() { SetDropRTFEnabled(false); }
};

// A target that writes down every hand-over, in order.
class RecordingTarget : public TSGDropTarget {
public:
    using TSGDropTarget::TSGDropTarget;
    QStringList log;
    QPoint lastPt;
    bool veto = false;

protected:
    void DropText(QPoint Pt, const QString& S) override { note(Pt, "DropText(" + S + ")"); }
    void DropStream(QPoint Pt, std::unique_ptr<QBuffer> Ms) override {
        note(Pt, "DropStream(" + QString::fromLatin1(Ms->readAll()) + ")");
    }
    void DropCol(QPoint Pt, int32_t Col) override { note(Pt, QStringLiteral("DropCol(%1)").arg(Col)); }
    void DropRTF(QPoint Pt, const QString& S) override { note(Pt, "DropRTF(" + S + ")"); }
    void DropFiles(QPoint Pt, const QStringList& Files) override { note(Pt, "DropFiles(" + Files.join(';') + ")"); }
    void DropURL(QPoint Pt, const QString& S) override { note(Pt, "DropURL(" + S + ")"); }
    void DragMouseMove(QPoint Pt, bool& Allow, TDropFormats) override {
        note(Pt, QStringLiteral("Move(%1)").arg(Allow));
        if (veto) Allow = false;
    }
    void DragMouseEnter() override { log << "Enter"; }
    void DragMouseLeave() override { log << "Leave"; }

private:
    void note(QPoint pt, const QString& entry) {
        lastPt = pt;
        log << entry;
    }
};

// The widget a target serves, and the drag events a drag over it brings.
struct DropFixture {
    QWidget widget;
    RecordingTarget target{&widget};
    QPoint local{10, 7};
    DropFixture() { widget.setGeometry(100, 50, 200, 100); }

    // Enter and the move that always follows it; the effect the move shows (Ignore: refused).
    Qt::DropAction enter(const QMimeData& data, Qt::KeyboardModifiers mods = {},
                         Qt::DropActions allowed = Qt::CopyAction | Qt::MoveAction) {
        QDragEnterEvent e(local, allowed, &data, Qt::LeftButton, mods);
        QCoreApplication::sendEvent(&widget, &e);
        EXPECT_TRUE(e.isAccepted()) << "the enter is always taken, so the leave arrives";
        return move(data, mods, allowed);
    }
    Qt::DropAction move(const QMimeData& data, Qt::KeyboardModifiers mods = {},
                        Qt::DropActions allowed = Qt::CopyAction | Qt::MoveAction) {
        QDragMoveEvent e(local, allowed, &data, Qt::LeftButton, mods);
        QCoreApplication::sendEvent(&widget, &e);
        EXPECT_EQ(e.isAccepted(), e.dropAction() != Qt::IgnoreAction);
        return e.isAccepted() ? e.dropAction() : Qt::IgnoreAction;
    }
    Qt::DropAction drop(const QMimeData& data, Qt::KeyboardModifiers mods = {},
                        Qt::DropActions allowed = Qt::CopyAction | Qt::MoveAction) {
        QDropEvent e(QPointF(local), allowed, &data, Qt::NoButton, mods);
        QCoreApplication::sendEvent(&widget, &e);
        return e.isAccepted() ? e.dropAction() : Qt::IgnoreAction;
    }
    void leave() {
        QDragLeaveEvent e;
        QCoreApplication::sendEvent(&widget, &e);
    }
    // The hand-overs only, without the enter and move bookkeeping.
    QStringList drops() const {
        QStringList out;
        for (const QString& s : target.log)
            if (s.startsWith("Drop")) out << s;
        return out;
    }
};

const QByteArray kCells = cellsBlock("CELLS");
const QByteArray kFiles = "file:///tmp/a.csv\r\nfile:///tmp/b%20c.txt\r\n";
const QByteArray kWebUrl = "https://example.org/x\r\n";

TEST(sgdd, StartsWithRichTextOff) { EXPECT_FALSE(DropRTFEnabled()); }

TEST(sgdd, AcceptanceAndWhatADropHandsOver) {
    struct Case {
        const char* name;
        Payloads payloads;
        bool acceptText, acceptFiles, acceptCols, acceptURLs, rtfFlag;
        bool accepted;
        TDropFormats formats;
        QStringList drops;
    } cases[] = {
        {"only grid cells with every accept flag off",
         {{sgdd::MimeGridCells, kCells}}, false, false, false, false, false,
         true, {dfGridCells}, {"DropStream(CELLS)"}},
        {"text and files with text off and files on: both handed over",
         {{sgdd::MimeUnicodeText, "abc"}, {sgdd::MimeUriList, kFiles}}, false, true, false, true, false,
         true, {dfText, dfFile}, {"DropText(abc)", "DropFiles(/tmp/a.csv;/tmp/b c.txt)"}},
        {"text with text off", {{sgdd::MimeUnicodeText, "abc"}}, false, true, true, true, true,
         false, {dfText}, {}},
        {"files with files off", {{sgdd::MimeUriList, kFiles}}, true, false, true, true, false,
         false, {dfFile}, {}},
        {"rich text with the flag off: refused, though named among the formats",
         {{sgdd::MimeRTF, "{\\rtf1 x}"}}, true, true, true, true, false,
         false, {dfRTF}, {}},
        {"rich text with the flag on", {{sgdd::MimeRTF, "{\\rtf1 \xE9}"}}, true, true, true, true, true,
         true, {dfRTF}, {QString::fromUtf8("DropRTF({\\rtf1 é})")}},
        {"a column with columns off", {{sgdd::MimeGridColumn, le32(3)}}, true, true, false, true, false,
         false, {dfCol}, {}},
        {"a column with columns on", {{sgdd::MimeGridColumn, le32(3)}}, false, false, true, false, false,
         true, {dfCol}, {"DropCol(3)"}},
        {"an address reaches DropURL with the Unicode text",
         {{sgdd::MimeUriList, kWebUrl}, {sgdd::MimeUnicodeText, "https://example.org/x"}}, false, false, false, true,
         false, true, {dfText, dfURL}, {"DropText(https://example.org/x)", "DropURL(https://example.org/x)"}},
        {"an address of the browsers' own format",
         {{sgdd::MimeMozUrl, QByteArray("h\0t", 3)}, {sgdd::MimeUnicodeText, "http://a.b"}}, false, false, false,
         true, false, true, {dfText, dfURL}, {"DropText(http://a.b)", "DropURL(http://a.b)"}},
        {"an address with addresses off", {{sgdd::MimeUriList, kWebUrl}}, true, true, true, false, false,
         false, {dfURL}, {}},
        {"a cells block whose size exceeds its payload is no grid cells",
         {{sgdd::MimeGridCells, le32(6) + le32(0) + "CELLS"}}, true, true, true, true, true,
         false, {}, {}},
        {"a cells block of 7 bytes", {{sgdd::MimeGridCells, QByteArray(7, '\0')}}, true, true, true, true, true,
         false, {}, {}},
        {"a 3-byte column payload", {{sgdd::MimeGridColumn, QByteArray(3, '\1')}}, true, true, true, true, true,
         false, {}, {}},
        {"nothing known", {{"application/x-other", "zz"}}, true, true, true, true, true, false, {}, {}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        RtfFlag flag(c.rtfFlag);
        DropFixture f;
        f.target.SetAcceptText(c.acceptText);
        f.target.SetAcceptFiles(c.acceptFiles);
        f.target.SetAcceptCols(c.acceptCols);
        f.target.SetAcceptURLs(c.acceptURLs);
        const auto data = mime(c.payloads);
        EXPECT_EQ(f.enter(*data) != Qt::IgnoreAction, c.accepted);
        EXPECT_EQ(f.target.Ok(), c.accepted);
        EXPECT_EQ(f.target.DropFormats().bits(), c.formats.bits());
        EXPECT_EQ(f.drop(*data) != Qt::IgnoreAction, c.accepted);
        EXPECT_EQ(f.drops(), c.drops);
    }
}

TEST(sgdd, NewTargetsAcceptTextFilesAndAddressesButNotColumns) {
    TSGDropTarget t;
    EXPECT_TRUE(t.AcceptText());
    EXPECT_TRUE(t.AcceptFiles());
    EXPECT_TRUE(t.AcceptURLs());
    EXPECT_FALSE(t.AcceptCols());
}

TEST(sgdd, DropEffect) {
    const Qt::DropActions both = Qt::CopyAction | Qt::MoveAction;
    struct Case {
        const char* name;
        Qt::KeyboardModifiers mods;
        Qt::DropActions allowed;
        Qt::DropAction effect;
    } cases[] = {
        {"Ctrl gives copy", Qt::ControlModifier, both, Qt::CopyAction},
        {"Ctrl with Shift gives copy", Qt::ControlModifier | Qt::ShiftModifier, both, Qt::CopyAction},
        {"move when allowed", {}, both, Qt::MoveAction},
        {"move when only move is allowed", Qt::ShiftModifier, Qt::MoveAction, Qt::MoveAction},
        {"copy when move is not allowed", {}, Qt::CopyAction, Qt::CopyAction},
        {"copy when neither is allowed", {}, Qt::LinkAction, Qt::CopyAction},
        {"Ctrl gives copy even when only move is allowed", Qt::ControlModifier, Qt::MoveAction, Qt::CopyAction},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        EXPECT_EQ(DropEffect(plat::ShiftStateOf(c.mods, Qt::LeftButton), c.allowed), c.effect);
        // The events carry it where Qt lets an event show it (an action the source offers).
        if (!(c.allowed & c.effect)) continue;
        DropFixture f;
        const auto data = mime({{sgdd::MimeUnicodeText, "t"}});
        EXPECT_EQ(f.enter(*data, c.mods, c.allowed), c.effect);
        EXPECT_EQ(f.drop(*data, c.mods, c.allowed), c.effect);
    }
}

TEST(sgdd, DragMouseMoveVetoGivesNone) {
    DropFixture f;
    const auto data = mime({{sgdd::MimeUnicodeText, "t"}});
    EXPECT_EQ(f.enter(*data), Qt::MoveAction);
    f.target.veto = true;
    EXPECT_EQ(f.move(*data), Qt::IgnoreAction);
    // A refused drag still asks, with Allow already false.
    f.target.veto = false;
    f.target.SetAcceptText(false);
    f.target.log.clear();
    EXPECT_EQ(f.enter(*data), Qt::IgnoreAction);
    EXPECT_EQ(f.target.log, (QStringList{"Enter", "Move(0)"}));
}

TEST(sgdd, DropOrder) {
    struct Case {
        const char* name;
        Payloads payloads;
        QStringList drops;
    } cases[] = {
        {"cells win over rich text and text",
         {{sgdd::MimeUnicodeText, "t"}, {sgdd::MimeRTF, "{\\rtf1 r}"}, {sgdd::MimeGridCells, kCells}},
         {"DropStream(CELLS)"}},
        {"rich text wins over text", {{sgdd::MimeUnicodeText, "t"}, {sgdd::MimeRTF, "{\\rtf1 r}"}},
         {"DropRTF({\\rtf1 r})"}},
        {"a column goes to DropCol only",
         {{sgdd::MimeUnicodeText, "t"}, {sgdd::MimeGridCells, kCells}, {sgdd::MimeUriList, kFiles + kWebUrl},
          {sgdd::MimeGridColumn, le32(uint32_t(-7))}},
         {"DropCol(-7)"}},
        {"files and the address follow the cells",
         {{sgdd::MimeUnicodeText, "t"}, {sgdd::MimeGridCells, kCells}, {sgdd::MimeUriList, kWebUrl + kFiles}},
         {"DropStream(CELLS)", "DropFiles(/tmp/a.csv;/tmp/b c.txt)", "DropURL(t)"}},
        {"files without anything else", {{sgdd::MimeUriList, "# list\nfile:///x\n"}}, {"DropFiles(/x)"}},
    };
    RtfFlag flag(true);
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        DropFixture f;
        f.target.SetAcceptCols(true);
        const auto data = mime(c.payloads);
        f.enter(*data);
        f.drop(*data);
        EXPECT_EQ(f.drops(), c.drops);
        EXPECT_FALSE(f.target.log.contains("Leave")) << "a drop is no leave";
        EXPECT_EQ(f.target.lastPt, QPoint(110, 57)) << "screen coordinates";
    }
}

TEST(sgdd, LeaveAfterEnter) {
    DropFixture f;
    const auto data = mime({{"application/x-other", "zz"}});
    f.enter(*data);
    f.leave();
    EXPECT_EQ(f.target.log, (QStringList{"Enter", "Move(0)", "Leave"}));
    // A drop after a refused enter hands nothing over and shows no effect.
    EXPECT_EQ(f.drop(*data), Qt::IgnoreAction);
    EXPECT_TRUE(f.drops().isEmpty());
}

// ---- payload readers

// The bytes in a heap block of exactly their size, so a read past them shows under AddressSanitizer.
struct Exact {
    std::unique_ptr<char[]> bytes;
    qsizetype size;
    explicit Exact(const QByteArray& b) : bytes(new char[size_t(b.size()) + (b.isEmpty() ? 1 : 0)]), size(b.size()) {
        std::copy(b.begin(), b.end(), bytes.get());
    }
    QByteArrayView view() const { return {bytes.get(), size}; }
};

TEST(sgdd, GridCellsBlocks) {
    struct Case {
        const char* name;
        QByteArray block;
        std::optional<QByteArray> stream;
    } cases[] = {
        {"empty", {}, std::nullopt},
        {"7 bytes", QByteArray(7, '\0'), std::nullopt},
        {"head only, n = 0", QByteArray(8, '\0'), QByteArray()},
        {"n exactly the rest", le32(3) + le32(0) + "abc", QByteArray("abc")},
        {"bytes after the stream ignored", le32(2) + le32(0) + "abc", QByteArray("ab")},
        {"reserved bytes not checked", le32(1) + le32(99) + "a", QByteArray("a")},
        {"n one past the payload", le32(4) + le32(0) + "abc", std::nullopt},
        {"n as large as 32 bits go", le32(0xFFFFFFFF) + le32(0) + "abc", std::nullopt},
        {"n with the sign bit set", le32(0x80000001) + le32(0) + "abc", std::nullopt},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        const Exact exact(c.block);
        const auto got = sgdd::ReadGridCellsBlock(exact.view());
        ASSERT_EQ(got.has_value(), c.stream.has_value());
        if (got) EXPECT_EQ(got->toByteArray(), *c.stream);
        // The reader of a drag says the same.
        const auto data = mime({{sgdd::MimeGridCells, c.block}});
        const TEnumFormats ef(data.get());
        EXPECT_EQ(ef.HasGridCells(), c.stream.has_value());
        const auto stream = ef.Stream();
        ASSERT_EQ(stream != nullptr, c.stream.has_value());
        if (stream) EXPECT_EQ(stream->readAll(), *c.stream);
    }
}

TEST(sgdd, ColumnPayloads) {
    struct Case {
        const char* name;
        QByteArray payload;
        int32_t col;
    } cases[] = {
        {"absent", {}, -1},
        {"3 bytes", QByteArray("\x05\x00\x00", 3), -1},
        {"4 bytes, little-endian", QByteArray("\x05\x01\x00\x00", 4), 261},
        {"negative", le32(0xFFFFFFFE), -2},
        {"the first four of more", le32(9) + "xyz", 9},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        const Exact exact(c.payload);
        EXPECT_EQ(sgdd::ReadGridColumn(exact.view()).value_or(-1), c.col);
        const auto data = mime({{sgdd::MimeGridColumn, c.payload}});
        const TEnumFormats ef(data.get());
        EXPECT_EQ(ef.Col(), c.col);
        EXPECT_EQ(ef.HasCol(), c.payload.size() >= 4);
    }
}

TEST(sgdd, UriLists) {
    struct Case {
        const char* name;
        QByteArray payload;
        QStringList files;
        bool url;
    } cases[] = {
        {"files and an address, CR LF", "file:///a/b.csv\r\nhttp://x.y/z\r\n", {"/a/b.csv"}, true},
        {"bare LF, no final break, escapes", "file:///a\nfile:///b%20c", {"/a", "/b c"}, false},
        {"comments and blanks skipped", "# c\r\n\r\n   \r\nfile:///a\r\n#file:///b\r\n", {"/a"}, false},
        {"only an address", "ftp://h/p", {}, true},
        {"no scheme or not a URL counts as nothing", "just words\r\n::::\r\nhttp://[bad\r\n", {}, false},
        {"empty", "", {}, false},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        const Exact exact(c.payload);
        const sgdd::TUriList got = sgdd::ParseUriList(exact.view());
        EXPECT_EQ(got.Files, c.files);
        EXPECT_EQ(got.HasURL, c.url);
        const auto data = mime({{sgdd::MimeUriList, c.payload}});
        const TEnumFormats ef(data.get());
        QStringList list{"stale"};
        EXPECT_EQ(ef.GetFileList(list), !c.files.isEmpty());
        EXPECT_EQ(list, c.files);
        EXPECT_EQ(ef.HasFile(), !c.files.isEmpty());
        EXPECT_EQ(ef.HasURL(), c.url);
    }
}

TEST(sgdd, TextsEndAtAZero) {
    const auto data = mime({{sgdd::MimeUnicodeText, QByteArray("ab\xC3\xA9\0junk", 9)},
                            {sgdd::MimeRTF, QByteArray("{\\rtf1 \x80}\0", 10)}});
    const TEnumFormats ef(data.get());
    EXPECT_EQ(ef.Text(), QString::fromUtf8("abé"));
    EXPECT_EQ(ef.RTF(), QString::fromUtf8("{\\rtf1 €}"));
    const TEnumFormats none(nullptr);
    EXPECT_FALSE(none.HasText() || none.HasFile() || none.HasRTF() || none.HasCol() || none.HasURL() ||
                 none.HasGridCells());
    EXPECT_EQ(none.Col(), -1);
}

// ---- the data object and the drop source

// A source that writes down its virtuals.
class RecordingSource : public TSGDropSource {
public:
    QStringList log;

protected:
    void DragEnded() override { log << "DragEnded"; }
    void CurrentEffect(Qt::DropAction Effect) override { log << QStringLiteral("Effect(%1)").arg(int(Effect)); }
    void QueryDrag() override { log << "QueryDrag"; }
};

// A drag loop that keeps the data object, plays the feedback and ends as told.
struct ScriptedLoop {
    std::vector<Qt::DropAction> feedback;
    Qt::DropAction outcome = Qt::MoveAction;
    std::unique_ptr<QMimeData> data;
    Qt::DropActions allowed;

    TDragLoop loop() {
        return [this](TSGDropSource&, std::unique_ptr<QMimeData> d, Qt::DropActions a, const TDragFeedback& fb) {
            data = std::move(d);
            allowed = a;
            for (Qt::DropAction e : feedback) fb(e);
            return outcome;
        };
    }
};

TEST(sgdd, ColumnDragOffersFourFormatsAndServesTheColumn) {
    RtfFlag flag(true);
    RecordingSource src;
    ScriptedLoop script{{Qt::MoveAction}, Qt::MoveAction};
    Qt::DropAction effect = Qt::IgnoreAction;
    EXPECT_EQ(RunColumnDragDrop(src, 5, Qt::CopyAction | Qt::MoveAction, effect, script.loop()), DRAGDROP_S_DROP);
    EXPECT_EQ(effect, Qt::MoveAction);
    EXPECT_EQ(script.allowed, Qt::CopyAction | Qt::MoveAction);
    ASSERT_TRUE(script.data);
    const QMimeData& d = *script.data;
    EXPECT_EQ(d.formats(),
              (QStringList{sgdd::MimeAnsiText, sgdd::MimeUnicodeText, sgdd::MimeRTF, sgdd::MimeGridColumn}));
    EXPECT_EQ(d.data(sgdd::MimeGridColumn), le32(5));
    for (const QString& f : {sgdd::MimeAnsiText, sgdd::MimeUnicodeText, sgdd::MimeRTF, sgdd::MimeGridCells})
        EXPECT_TRUE(d.data(f).isEmpty()) << f.toStdString();
}

TEST(sgdd, TextDragServesTheTexts) {
    const QString text = QString::fromUtf8("Grüße €\t1");
    for (const bool rtf : {false, true}) {
        SCOPED_TRACE(rtf ? "rich text on" : "rich text off");
        RtfFlag flag(rtf);
        TSGDropSource src;
        ScriptedLoop script{{Qt::CopyAction}, Qt::CopyAction};
        Qt::DropAction effect = Qt::IgnoreAction;
        EXPECT_EQ(RunTextDragDrop(src, text, "{\\rtf1 \xC3\xBC}", effect, Qt::CopyAction, nullptr, script.loop()),
                  DRAGDROP_S_DROP);
        EXPECT_EQ(effect, Qt::CopyAction);
        const auto* d = static_cast<TSourceDataObject*>(script.data.get());
        EXPECT_EQ(d->formats(), (QStringList{sgdd::MimeAnsiText, sgdd::MimeUnicodeText, sgdd::MimeRTF}));
        EXPECT_EQ(d->data(sgdd::MimeAnsiText), QByteArray("Gr\xFC\xDF" "e \x80\t1"));
        EXPECT_EQ(d->data(sgdd::MimeUnicodeText), text.toUtf8());
        EXPECT_EQ(d->text(), text);
        EXPECT_EQ(d->QueryGetData(sgdd::MimeRTF), rtf);
        EXPECT_EQ(d->data(sgdd::MimeRTF), rtf ? QByteArray("{\\rtf1 \xFC}") : QByteArray());
        EXPECT_FALSE(d->QueryGetData(sgdd::MimeGridColumn) || d->QueryGetData(sgdd::MimeGridCells) ||
                     d->QueryGetData("text/html"));
        // A drop target of this program reads back what was sent.
        const TEnumFormats ef(d);
        EXPECT_EQ(ef.Text(), text);
        EXPECT_EQ(ef.HasRTF(), rtf);
    }
}

TEST(sgdd, TextDragWithAStreamAddsTheCellsLast) {
    const QByteArray stream("\x01\x02\x00\x03grid", 8);
    TSGDropSource src;
    QStringList formats;
    QByteArray block;
    std::unique_ptr<QMimeData> kept;
    const TDragLoop loop = [&](TSGDropSource&, std::unique_ptr<QMimeData> d, Qt::DropActions, const TDragFeedback&) {
        formats = d->formats();
        block = d->data(sgdd::MimeGridCells);
        kept = std::move(d);
        return Qt::MoveAction;
    };
    Qt::DropAction effect;
    ASSERT_EQ(RunTextDragDrop(src, "t", "", effect, Qt::CopyAction | Qt::MoveAction, &stream, loop), DRAGDROP_S_DROP);
    EXPECT_EQ(formats,
              (QStringList{sgdd::MimeAnsiText, sgdd::MimeUnicodeText, sgdd::MimeRTF, sgdd::MimeGridCells}));
    EXPECT_EQ(block, le32(8) + le32(0) + stream);
    // The stream is only borrowed for the drag: a data object that outlives it no longer names it.
    auto* d = static_cast<TSourceDataObject*>(kept.get());
    EXPECT_FALSE(d->QueryGetData(sgdd::MimeGridCells));
    EXPECT_FALSE(d->formats().contains(sgdd::MimeGridCells));

    TSourceDataObject live("", "", 2, &stream);
    EXPECT_EQ(live.formats().last(), sgdd::MimeGridCells) << "the cells come after the column";
    EXPECT_FALSE(live.QueryGetData(sgdd::MimeUnicodeText)) << "no text, no text formats";
    const TEnumFormats ef(&live);
    ASSERT_TRUE(ef.HasGridCells());
    EXPECT_EQ(ef.Stream()->readAll(), stream);
    EXPECT_EQ(ef.Col(), 2);
}

TEST(sgdd, QueryContinueDragAndFeedback) {
    struct Case {
        const char* name;
        bool escape;
        TShiftState keys;
        int32_t result;
        QStringList log;
    } cases[] = {
        {"Esc cancels", true, {plat::ssLeft}, DRAGDROP_S_CANCEL, {"DragEnded", "QueryDrag"}},
        {"a released button drops", false, {plat::ssCtrl}, DRAGDROP_S_DROP, {"DragEnded", "QueryDrag"}},
        {"a held button goes on", false, {plat::ssLeft, plat::ssShift}, S_OK, {"QueryDrag"}},
        {"Esc wins over a release", true, {}, DRAGDROP_S_CANCEL, {"DragEnded", "QueryDrag"}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        RecordingSource src;
        EXPECT_EQ(src.QueryContinueDrag(c.escape, c.keys), c.result);
        EXPECT_EQ(src.log, c.log);
    }
    RecordingSource src;
    EXPECT_FALSE(src.NoAccept());
    EXPECT_EQ(src.GiveFeedback(Qt::IgnoreAction), DRAGDROP_S_USEDEFAULTCURSORS);
    EXPECT_TRUE(src.NoAccept());
    EXPECT_EQ(src.GiveFeedback(Qt::CopyAction), DRAGDROP_S_USEDEFAULTCURSORS);
    EXPECT_FALSE(src.NoAccept());
    EXPECT_EQ(src.log, (QStringList{"Effect(0)", "Effect(1)"}));
}

TEST(sgdd, DragOutcome) {
    struct Case {
        const char* name;
        std::vector<Qt::DropAction> feedback;
        Qt::DropAction outcome;
        int32_t result;
        Qt::DropAction effect;
    } cases[] = {
        {"a drop after a none feedback answers cancel", {Qt::MoveAction, Qt::IgnoreAction}, Qt::MoveAction,
         DRAGDROP_S_CANCEL, Qt::IgnoreAction},
        {"none, then accepted: the drop stands", {Qt::IgnoreAction, Qt::CopyAction}, Qt::CopyAction, DRAGDROP_S_DROP,
         Qt::CopyAction},
        {"the loop cancels", {Qt::MoveAction}, Qt::IgnoreAction, DRAGDROP_S_CANCEL, Qt::IgnoreAction},
        {"a drop without any feedback", {}, Qt::MoveAction, DRAGDROP_S_DROP, Qt::MoveAction},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        RecordingSource src;
        // A none left from an earlier drag of the same source does not count.
        src.GiveFeedback(Qt::IgnoreAction);
        src.log.clear();
        ScriptedLoop script{c.feedback, c.outcome};
        Qt::DropAction effect = Qt::LinkAction;
        EXPECT_EQ(RunTextDragDrop(src, "t", "", effect, Qt::CopyAction | Qt::MoveAction, nullptr, script.loop()),
                  c.result);
        EXPECT_EQ(effect, c.effect);
        EXPECT_EQ(src.log.count("DragEnded"), 1);
        EXPECT_EQ(src.log.count("QueryDrag"), 1);
        EXPECT_EQ(src.log.size(), qsizetype(c.feedback.size()) + 2);
    }
}

}  // namespace
