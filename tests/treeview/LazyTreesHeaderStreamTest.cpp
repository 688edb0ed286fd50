// The header stream: the layout record byte for byte, round trips of reordered and decorated
// columns, the older versions with their option conversion, and damaged streams that must leave the
// header exactly as it was.
#include <gtest/gtest.h>

#include <QApplication>
#include <QtEndian>

#include "treeview/LazyTrees.h"
#include "treeview/LazyTreesStream.h"

using enum TLTColumnOption;
using enum TLTHeaderOption;

namespace {

// A stream written by hand, field by field.
struct Bytes {
    QByteArray b;
    Bytes& i(int32_t v) {
        char c[4];
        qToLittleEndian<int32_t>(v, c);
        b.append(c, 4);
        return *this;
    }
    Bytes& u16(const QString& s) {
        i(int32_t(s.size()));
        for (QChar ch : s) {
            char c[2];
            qToLittleEndian<uint16_t>(ch.unicode(), c);
            b.append(c, 2);
        }
        return *this;
    }
    Bytes& u8(const QByteArray& s) {
        i(int32_t(s.size()));
        b.append(s);
        return *this;
    }
    // A column record of Version: empty hint, limits 10..10000, the rest plain.
    Bytes& column(int Version, const QString& text, int width, uint32_t options, int32_t extra = 0) {
        u16(text).u16({}).i(width).i(10).i(10000).i(0).i(-1).i(0).i(4).i(3).i(0).i(int32_t(options));
        if (Version > 0) i(0x55).i(0);
        if (Version > 1) i(0x00FF00);
        if (Version > 5 && (options & (1u << unsigned(coUseCaptionAlignment)))) i(extra);
        return *this;
    }
    // The header fields after the column block, up to the font style.
    Bytes& headerFields(int32_t height = 23, uint32_t options = 0) {
        return i(-1).i(0x123456).i(height).i(int32_t(options)).i(1).i(0xFF).i(-13).u8("Sans").i(0).i(1);
    }
};

struct Tree {
    TLazyStringTree tree;
    Tree() {
        tree.show();
        tree.resize(400 + tree.width() - tree.viewport()->width(), 200 + tree.height() - tree.viewport()->height());
        QApplication::processEvents();
    }
    TLTHeader& Header() { return tree.Header(); }
    TLazyTreeColumns& Columns() { return tree.Header().Columns(); }
    QByteArray Save() {
        TMemoryStream s;
        Header().SaveToStream(s);
        return s.Data();
    }
    void Load(const QByteArray& b) {
        TMemoryStream s(b);
        Header().LoadFromStream(s);
    }
    // Three columns A, B, C shown as C, A, B with their own widths and decorations, sorted by C.
    void Decorate() {
        for (int i = 0; i < 3; ++i) Columns().Add()->SetText(QString(QChar('A' + i)));
        Columns()[0].SetWidth(80);
        Columns()[1].SetWidth(120);
        Columns()[1].SetMinWidth(40);
        Columns()[1].SetHint(QStringLiteral("the second"));
        Columns()[2].SetWidth(60);
        Columns()[2].SetCaptionAlignment(TAlignment::taCenter);
        Columns()[2].SetAlignment(TAlignment::taRightJustify);
        Columns()[2].SetTag(77);
        Columns()[0].SetColor(0x00336699);
        Columns()[1].SetLayout(TLTHeaderColumnLayout::blGlyphTop);
        Columns()[2].SetPosition(0);
        Header().SetMainColumn(1);
        Header().SetSortDirection(TSortDirection::sdDescending);
        Header().SetSortColumn(2);
        Header().SetStyle(TLTHeaderStyle::hsPlates);
        Header().SetHeight(24);
        Header().SetOptions(Header().Options() + hoVisible + hoHotTrack);
        Header().FixedAreaConstraints().SetMaxHeightPercent(40);
        Columns().SetDefaultWidth(66);
    }
};

std::vector<int32_t> Fields(const QByteArray& b, int from, int count) {
    std::vector<int32_t> v;
    for (int k = 0; k < count; ++k) v.push_back(qFromLittleEndian<int32_t>(b.constData() + from + 4 * k));
    return v;
}

}  // namespace

TEST(LazyTreeHeaderStream, NoColumnsSavesTheMarkerVersionEmptyBlockAndTheHeaderFields) {
    Tree t;
    t.Header().Font().SetName(QStringLiteral("Sans"));
    t.Header().Font().SetHeight(-13);
    const QByteArray b = t.Save();
    const int nameAt = 4 * 12;  // marker, version, count, default width, 8 header fields
    ASSERT_GE(b.size(), nameAt + 4);
    const TLTHeader& h = t.Header();
    EXPECT_EQ(Fields(b, 0, 12),
              (std::vector<int32_t>{-1, 6, 0, 50, -1, int32_t(h.Background()), h.Height(), int32_t(h.Options().Bits()), 0,
                                    int32_t(h.Font().Color()), -13, 4}));
    EXPECT_EQ(b.mid(nameAt, 4), QByteArray("Sans"));
    EXPECT_EQ(Fields(b, nameAt + 4, 13), (std::vector<int32_t>{0, 0, -1, -1, 0, 0, 10000, 10, 19, 0, 0, 0, 0}));
    EXPECT_EQ(b.size(), nameAt + 4 + 13 * 4);

    Tree other;
    other.Decorate();
    other.Load(b);
    EXPECT_EQ(other.Columns().Count(), 0);
    EXPECT_EQ(other.Save(), b);
}

TEST(LazyTreeHeaderStream, ReorderedColumnsComeBackWithOrderWidthsSortAndEverySavedField) {
    Tree a;
    a.Decorate();
    a.Header().Font().SetName(QStringLiteral("Lücke Schrift 字体"));
    a.Header().Font().SetStyle(plat::TFontStyles{plat::fsBold, plat::fsStrikeOut});
    a.Header().Font().SetPitch(plat::fpFixed);
    const QByteArray saved = a.Save();

    Tree b;
    b.Columns().Add();  // replaced by the loaded ones
    b.Load(saved);
    EXPECT_TRUE(b.Columns().Equals(a.Columns()));
    EXPECT_EQ(b.Columns().PositionToIndex(), (std::vector<TColumnIndex>{2, 0, 1}));
    EXPECT_EQ(b.Columns()[0].Width(), 80);
    EXPECT_EQ(b.Columns()[1].Width(), 120);
    EXPECT_EQ(b.Columns()[2].Width(), 60);
    EXPECT_EQ(b.Columns()[2].CaptionAlignment(), TAlignment::taCenter);
    EXPECT_EQ(b.Columns()[1].Hint(), QStringLiteral("the second"));
    // Left edges follow the loaded order.
    int l = 0, r = 0;
    b.Columns()[0].GetColumnEdges(l, r);
    EXPECT_EQ(l, 60);
    EXPECT_EQ(b.Header().SortColumn(), 2);
    EXPECT_EQ(b.Header().SortDirection(), TSortDirection::sdDescending);
    EXPECT_EQ(b.Header().MainColumn(), 1);
    EXPECT_EQ(b.Header().Style(), TLTHeaderStyle::hsPlates);
    EXPECT_EQ(b.Header().Height(), 24);
    EXPECT_EQ(b.Header().Options(), a.Header().Options());
    EXPECT_EQ(b.Header().FixedAreaConstraints().MaxHeightPercent(), 40);
    EXPECT_EQ(b.Columns().DefaultWidth(), 66);
    EXPECT_EQ(b.Header().Font().Name(), QStringLiteral("Lücke Schrift 字体"));
    EXPECT_EQ(b.Header().Font().Style(), (plat::TFontStyles{plat::fsBold, plat::fsStrikeOut}));
    EXPECT_EQ(b.Header().Font().Pitch(), plat::fpFixed);
    EXPECT_EQ(b.Save(), saved);
    EXPECT_FALSE(b.Header().States().Contains(THeaderState::hsLoading));
}

TEST(LazyTreeHeaderStream, TheCaptionAlignmentIsAnEighteenthFieldOnlyWhenTheColumnUsesIt) {
    Tree t;
    t.Columns().Add();
    auto blockSize = [&] {
        TMemoryStream s;
        t.Columns().SaveToStream(s);
        return s.Size();
    };
    // Count; two empty strings (their lengths) and 13 integers; the position; the default width.
    EXPECT_EQ(blockSize(), 4 + 4 * (2 + 13) + 4 + 4);
    t.Columns()[0].SetCaptionAlignment(TAlignment::taRightJustify);
    EXPECT_EQ(blockSize(), 4 + 4 * (2 + 14) + 4 + 4);

    // Read back: the 18th field belongs to the column that uses it, the next record follows.
    const uint32_t plain = DefaultColumnOptions.Bits();
    const uint32_t withCaption = plain | (1u << unsigned(coUseCaptionAlignment));
    Bytes s;
    s.i(-1).i(6).i(2).column(6, "L", 70, withCaption, 2).column(6, "R", 90, plain).i(1).i(0).i(50);
    s.headerFields().i(0).i(-1).i(0).i(0).i(10000).i(10).i(19).i(0).i(0).i(0).i(0);
    t.Load(s.b);
    ASSERT_EQ(t.Columns().Count(), 2);
    EXPECT_EQ(t.Columns()[0].CaptionAlignment(), TAlignment::taCenter);
    EXPECT_EQ(t.Columns()[1].Text(), QStringLiteral("R"));
    EXPECT_EQ(t.Columns()[1].Width(), 90);
    // A colour of its own (the record's green) ends following the tree's colour.
    EXPECT_EQ(t.Columns()[1].Options(), TLTColumnOptions::FromBits(uint16_t(plain)) - coParentColor);
    EXPECT_EQ(t.Columns()[1].Color(), plat::TColor(0x00FF00));
    EXPECT_EQ(t.Columns().PositionToIndex(), (std::vector<TColumnIndex>{1, 0}));
    EXPECT_EQ(t.Header().Height(), 23);
}

// Versions before 3 knew fewer column options: version 2 only the low byte, versions before it
// also had no coParentColor at bit 4.
TEST(LazyTreeHeaderStream, OlderVersionsAndTheUnversionedStreamConvertTheirOptions) {
    struct Case {
        const char* name;
        int version;  // -1: no marker at all
        uint32_t stored;
        uint32_t loaded;
    };
    const Case cases[] = {
        {"unversioned: bits from 4 move up", -1, 0xFF, 0xEF},
        {"version 0: likewise", 0, 0x31, 0x61},
        {"version 1: high byte dropped", 1, 0xFF1F, 0x2F},
        // From version 2 the record has a colour of its own, which ends coParentColor (bit 4).
        {"version 2: low byte kept", 2, 0xFFB7, 0xA7},
        {"version 3: all sixteen", 3, 0xFFB7, 0xFFA7},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        Tree t;
        Bytes s;
        if (c.version >= 0) s.i(-1).i(c.version);
        s.i(1).column(c.version, "X", 70, c.stored).i(0);
        if (c.version > 4) s.i(50);
        s.headerFields();
        if (c.version > 0) s.i(0).i(0).i(1);
        t.Load(s.b);
        ASSERT_EQ(t.Columns().Count(), 1);
        EXPECT_EQ(t.Columns()[0].Options().Bits(), c.loaded);
        EXPECT_EQ(t.Columns()[0].Width(), 70);
        // Without main and sort fields the defaults stay; tags come only from version 1 on.
        EXPECT_EQ(t.Header().MainColumn(), 0);
        EXPECT_EQ(t.Header().SortColumn(), c.version > 0 ? 0 : NoColumn);
        EXPECT_EQ(t.Header().SortDirection(),
                  c.version > 0 ? TSortDirection::sdDescending : TSortDirection::sdAscending);
        EXPECT_EQ(t.Columns()[0].Tag(), c.version > 0 ? 0x55 : 0);
        EXPECT_EQ(t.Header().Style(), TLTHeaderStyle::hsFlatButtons);
        EXPECT_EQ(t.Header().Height(), 23);
    }
}

TEST(LazyTreeHeaderStream, AStreamCutAnywhereRaisesAndLeavesTheHeaderAsItWas) {
    Tree a;
    a.Decorate();
    const QByteArray full = a.Save();
    Tree t;
    t.Columns().Add()->SetText(QStringLiteral("kept"));
    t.Columns()[0].SetWidth(77);
    t.Header().SetHeight(30);
    const QByteArray before = t.Save();
    for (int cut = 0; cut < full.size(); ++cut) {
        SCOPED_TRACE(cut);
        EXPECT_THROW(t.Load(full.left(cut)), EStreamError);
        ASSERT_EQ(t.Save(), before);
        EXPECT_FALSE(t.Header().States().Contains(THeaderState::hsLoading));
    }
    t.Load(full);
    EXPECT_TRUE(t.Columns().Equals(a.Columns()));
}

// Damaged records: each fails before anything changes, or loads clean where a value is merely out
// of range.
TEST(LazyTreeHeaderStream, DamagedRecordsFailWholeOrLoadInRange) {
    // A header of `count` columns "A" and the given order; a text length other than 1 is written
    // as it stands, with no text behind it.
    auto withColumns = [](int32_t count, const std::vector<int32_t>& order, int32_t textLength = 1) {
        Bytes s;
        s.i(-1).i(6).i(count);
        for (size_t k = 0; k < order.size(); ++k) {
            if (textLength == 1)
                s.u16(QStringLiteral("A"));
            else
                s.i(textLength);
            s.u16({}).i(50).i(10).i(10000).i(0).i(-1).i(0).i(4).i(3).i(0).i(int32_t(DefaultColumnOptions.Bits()));
            s.i(0).i(0).i(0);
        }
        for (int32_t p : order) s.i(p);
        s.i(50).headerFields().i(0).i(-1).i(0).i(0).i(10000).i(10).i(19).i(0).i(0).i(0).i(0);
        return s.b;
    };
    const struct {
        const char* name;
        QByteArray bytes;
    } bad[] = {
        {"a column count of 2^31 - 1", Bytes().i(-1).i(6).i(0x7FFFFFFF).b},
        {"a negative text length", withColumns(1, {0}, -1)},
        {"a text longer than the stream", withColumns(1, {0}, 0x40000000)},
        {"a repeated position", withColumns(2, {1, 1})},
        {"a position past the columns", withColumns(2, {0, 2})},
        {"a negative position", withColumns(2, {-1, 0})},
        {"a newer version", Bytes().i(-1).i(7).i(0).i(50).headerFields().b},
    };
    {
        // The baseline that the damaged ones vary loads.
        Tree good;
        good.Load(withColumns(2, {1, 0}));
        EXPECT_EQ(good.Columns().PositionToIndex(), (std::vector<TColumnIndex>{1, 0}));
    }
    Tree t;
    t.Decorate();
    const QByteArray before = t.Save();
    for (const auto& c : bad) {
        SCOPED_TRACE(c.name);
        EXPECT_THROW(t.Load(c.bytes), EStreamError);
        EXPECT_EQ(t.Save(), before);
    }

    // A stream without main and sort fields keeps the header's, but only where they name a column.
    {
        Tree old;
        old.Decorate();  // sort column 2, main column 1
        Bytes v0;
        v0.i(-1).i(0).i(1).column(0, "X", 70, 0xFF).i(0).headerFields();
        old.Load(v0.b);
        EXPECT_EQ(old.Header().MainColumn(), 0);
        EXPECT_EQ(old.Header().SortColumn(), NoColumn);
    }

    // Enumerations beyond their last value load as their first.
    Bytes s;
    s.i(-1).i(6).i(1).u16("E").u16({}).i(50).i(10).i(10000).i(9).i(-1).i(200).i(4).i(3).i(77);
    s.i(int32_t(DefaultColumnOptions.Bits())).i(0).i(9).i(0).i(0).i(50);
    s.i(-1).i(0x123456).i(23).i(0).i(5).i(0).i(-13).u8("Sans").i(0x7F).i(0xFF);
    s.i(9).i(5).i(3).i(0).i(10000).i(10).i(19).i(0).i(0).i(0).i(0);
    t.Load(s.b);
    // Main and sort columns that name no column come back in range.
    EXPECT_EQ(t.Header().MainColumn(), 0);
    EXPECT_EQ(t.Header().SortColumn(), NoColumn);
    ASSERT_EQ(t.Columns().Count(), 1);
    const TLazyTreeColumn& c = t.Columns()[0];
    EXPECT_EQ(c.Style(), TLazyTreeColumnStyle::vsText);
    EXPECT_EQ(c.Layout(), TLTHeaderColumnLayout::blGlyphLeft);
    EXPECT_EQ(c.BiDiMode(), TColumnBiDiMode::bdLeftToRight);
    EXPECT_EQ(c.Alignment(), TAlignment::taLeftJustify);
    EXPECT_EQ(t.Header().Style(), TLTHeaderStyle::hsThickButtons);
    EXPECT_EQ(t.Header().Font().Pitch(), plat::fpDefault);
    EXPECT_EQ(t.Header().Font().Style(), (plat::TFontStyles{plat::fsBold, plat::fsItalic, plat::fsUnderline,
                                                             plat::fsStrikeOut}));
    EXPECT_EQ(t.Header().SortDirection(), TSortDirection::sdAscending);
}

TEST(LazyTreeHeaderStream, LimitsComeBackBeforeTheWidthSoANarrowColumnStaysNarrow) {
    Tree a;
    a.Columns().Add();
    a.Columns()[0].SetMinWidth(0);
    a.Columns()[0].SetWidth(5);
    a.Columns().Add();
    a.Columns()[1].SetMaxWidth(20000);
    a.Columns()[1].SetMinWidth(12000);
    Tree b;
    b.Load(a.Save());
    EXPECT_EQ(b.Columns()[0].Width(), 5);
    EXPECT_EQ(b.Columns()[0].MinWidth(), 0);
    EXPECT_EQ(b.Columns()[1].Width(), 12000);
    EXPECT_EQ(b.Columns()[1].MinWidth(), 12000);
    EXPECT_EQ(b.Columns()[1].MaxWidth(), 20000);
}

TEST(LazyTreeHeaderStream, ParentFontFollowsTheTreeAndAnOwnFontEndsIt) {
    Tree a;
    a.tree.Font().SetName(QStringLiteral("Serif"));
    a.Header().SetParentFont(true);
    EXPECT_EQ(a.Header().Font().Name(), QStringLiteral("Serif"));
    a.tree.Font().SetHeight(-17);
    EXPECT_EQ(a.Header().Font().Height(), -17);
    Tree b;
    b.tree.Font().SetName(QStringLiteral("Mono"));
    b.Load(a.Save());
    EXPECT_TRUE(b.Header().ParentFont());
    EXPECT_EQ(b.Header().Font().Name(), QStringLiteral("Mono"));
    b.Header().SetFont(a.Header().Font());
    EXPECT_FALSE(b.Header().ParentFont());
    b.tree.Font().SetName(QStringLiteral("Other"));
    EXPECT_EQ(b.Header().Font().Name(), QStringLiteral("Serif"));
}
