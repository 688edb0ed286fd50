// The header stream: the header's layout as a flat little-endian record of 32-bit fields and
// strings, version 6, readable back to the unversioned form.
//
// Reading trusts nothing in the bytes. The whole record is parsed into plain values first, every
// count and length bounded by the bytes left, the column order checked to be a permutation and
// enumerations brought into range; only then is it applied to the header, so a stream that fails
// leaves the header exactly as it was.
#include <QtEndian>
#include <algorithm>
#include <vector>

#include "treeview/LazyTrees.h"
#include "treeview/LazyTreesHeader.h"
#include "treeview/LazyTreesStream.h"

using enum TLTColumnOption;
using enum THeaderState;

namespace {

constexpr int32_t kVersionMarker = -1;
constexpr int32_t kHeaderStreamVersion = 6;
constexpr uint32_t kHeaderOptionBits = (1u << (uint32_t(TLTHeaderOption::hoAutoColumnPopupMenu) + 1)) - 1;

class TRecordWriter {
public:
    explicit TRecordWriter(TStream& Stream) : FStream(Stream) {}
    void I32(int32_t v) {
        uint8_t b[4];
        qToLittleEndian<int32_t>(v, b);
        FStream.Write(b, 4);
    }
    void UTF16(const QString& s) {
        I32(int32_t(s.size()));
        std::vector<uint8_t> b(size_t(s.size()) * 2);
        for (qsizetype i = 0; i < s.size(); ++i) qToLittleEndian<uint16_t>(s[i].unicode(), b.data() + 2 * i);
        if (!b.empty()) FStream.Write(b.data(), int64_t(b.size()));
    }
    void UTF8(const QString& s) {
        const QByteArray u = s.toUtf8();
        I32(int32_t(u.size()));
        if (!u.isEmpty()) FStream.Write(u.constData(), u.size());
    }

private:
    TStream& FStream;
};

[[noreturn]] void ReadError() { throw EStreamError("Stream read error"); }
[[noreturn]] void BadRecord(const char* what) {
    throw EStreamError(std::string("Invalid header stream: ") + what);
}

// Reads within the stream's end; a field cut short raises the stream's read error.
class TRecordReader {
public:
    explicit TRecordReader(TStream& Stream) : FStream(Stream) {}
    int64_t Left() const { return std::max<int64_t>(0, FStream.Size() - FStream.Position()); }
    int32_t I32() {
        uint8_t b[4];
        if (FStream.Read(b, 4) != 4) ReadError();
        return qFromLittleEndian<int32_t>(b);
    }
    // Enumerations and Booleans travel in the low byte.
    uint8_t Byte() { return uint8_t(I32() & 0xFF); }
    QString UTF16() {
        const int32_t n = I32();
        if (n < 0) BadRecord("a negative text length");
        if (int64_t(n) * 2 > Left()) ReadError();
        std::vector<uint8_t> b(size_t(n) * 2);
        if (n > 0) FStream.ReadBuffer(b.data(), int64_t(b.size()));
        QString s(n, Qt::Uninitialized);
        for (int32_t i = 0; i < n; ++i) s[i] = QChar(qFromLittleEndian<uint16_t>(b.data() + 2 * i));
        return s;
    }
    QString UTF8() {
        const int32_t n = I32();
        if (n < 0) BadRecord("a negative font name length");
        if (n > Left()) ReadError();
        QByteArray b(n, Qt::Uninitialized);
        if (n > 0) FStream.ReadBuffer(b.data(), n);
        return QString::fromUtf8(b);
    }

private:
    TStream& FStream;
};

template <typename E>
E EnumFrom(uint8_t v, E Last, E Default) {
    return v <= uint8_t(Last) ? E(v) : Default;
}

// Column options of the older streams: version 2 had only the low byte's options; before it
// coParentColor did not exist, so the options from bit 4 on lie one place lower.
uint16_t ConvertColumnOptions(uint32_t Raw, int Version) {
    if (Version >= 3) return uint16_t(Raw & 0xFFFF);
    const uint32_t low = Raw & 0xFF;
    if (Version == 2) return uint16_t(low);
    return uint16_t((low & 0x0F) | ((low << 1) & 0xE0));
}

// The least bytes one column record of a version takes: two empty strings and its integers.
int64_t MinColumnRecord(int Version) {
    int fields = 10;
    if (Version > 0) fields += 2;
    if (Version > 1) fields += 1;
    return 2 * 4 + fields * 4;
}

}  // namespace

struct THeaderStreamAccess {
    struct Column {
        QString Text, Hint;
        int32_t Width = 0, MinWidth = 0, MaxWidth = 0;
        TLazyTreeColumnStyle Style{};
        int32_t ImageIndex = -1;
        TLTHeaderColumnLayout Layout{};
        int32_t Margin = 0, Spacing = 0;
        TColumnBiDiMode BiDiMode{};
        TLTColumnOptions Options;
        int32_t Tag = 0;
        TAlignment Alignment{};
        plat::TColor Color = 0;
        TAlignment CaptionAlignment{};
    };
    struct Columns {
        std::vector<Column> Items;
        std::vector<TColumnIndex> Positions;
        int32_t DefaultWidth = 0;
    };
    struct Header {
        Columns Block;
        int32_t AutoSizeIndex = 0;
        plat::TColor Background = 0;
        int32_t Height = 0;
        TLTHeaderOptions Options;
        TLTHeaderStyle Style{};
        plat::TColor FontColor = 0;
        int32_t FontHeight = 0;
        QString FontName;
        plat::TFontPitch FontPitch{};
        plat::TFontStyles FontStyle;
        int32_t MainColumn = 0, SortColumn = 0;
        TSortDirection SortDirection{};
        bool ParentFont = false;
        int32_t MaxHeight = 0, MinHeight = 0, DefaultHeight = 0;
        int32_t MaxHeightPercent = 0, MaxWidthPercent = 0, MinHeightPercent = 0, MinWidthPercent = 0;
    };

    // ---- Writing ----

    static void Write(TRecordWriter& W, const TLazyTreeColumn& c) {
        W.UTF16(c.FText);
        W.UTF16(c.FHint);
        W.I32(c.FWidth);
        W.I32(c.FMinWidth);
        W.I32(c.FMaxWidth);
        W.I32(int32_t(c.FStyle));
        W.I32(c.FImageIndex);
        W.I32(int32_t(c.FLayout));
        W.I32(c.FMargin);
        W.I32(c.FSpacing);
        W.I32(int32_t(c.FBiDiMode));
        W.I32(int32_t(c.FOptions.Bits()));
        W.I32(int32_t(c.FTag));
        W.I32(int32_t(c.FAlignment));
        W.I32(int32_t(c.FColor));
        if (c.FOptions.Contains(coUseCaptionAlignment)) W.I32(int32_t(c.FCaptionAlignment));
    }

    static void Write(TRecordWriter& W, const TLazyTreeColumns& cs) {
        W.I32(cs.Count());
        for (const auto& c : cs.FItems) Write(W, *c);
        if (cs.Count() > 0)
            for (TColumnIndex i : cs.FPositionToIndex) W.I32(i);
        W.I32(cs.FDefaultWidth);
    }

    static void Write(TRecordWriter& W, const TLTHeader& h) {
        W.I32(kVersionMarker);
        W.I32(kHeaderStreamVersion);
        Write(W, *h.FColumns);
        W.I32(h.FAutoSizeIndex);
        W.I32(int32_t(h.FBackgroundColor));
        W.I32(h.FHeight);
        W.I32(int32_t(h.FOptions.Bits()));
        W.I32(int32_t(h.FStyle));
        W.I32(int32_t(h.FFont.Color()));
        W.I32(h.FFont.Height());
        W.UTF8(h.FFont.Name());
        W.I32(int32_t(h.FFont.Pitch()) & 0x7F);
        W.I32(int32_t(h.FFont.Style().bits()));
        W.I32(h.FMainColumn);
        W.I32(h.FSortColumn);
        W.I32(int32_t(h.FSortDirection));
        W.I32(h.FParentFont ? 1 : 0);
        W.I32(h.FMaxHeight);
        W.I32(h.FMinHeight);
        W.I32(h.FDefaultHeight);
        const auto& k = h.FFixedAreaConstraints;
        W.I32(k.MaxHeightPercent());
        W.I32(k.MaxWidthPercent());
        W.I32(k.MinHeightPercent());
        W.I32(k.MinWidthPercent());
    }

    // ---- Reading: plain values, nothing applied ----

    static Column ReadColumn(TRecordReader& R, int Version) {
        Column c;
        c.Text = R.UTF16();
        c.Hint = R.UTF16();
        c.Width = R.I32();
        c.MinWidth = R.I32();
        c.MaxWidth = R.I32();
        c.Style = EnumFrom(R.Byte(), TLazyTreeColumnStyle::vsOwnerDraw, TLazyTreeColumnStyle::vsText);
        c.ImageIndex = R.I32();
        c.Layout = EnumFrom(R.Byte(), TLTHeaderColumnLayout::blGlyphBottom, TLTHeaderColumnLayout::blGlyphLeft);
        c.Margin = R.I32();
        c.Spacing = R.I32();
        // The three right-to-left modes of the platform all read right to left here.
        const uint8_t bidi = R.Byte();
        c.BiDiMode = bidi >= 1 && bidi <= 3 ? TColumnBiDiMode::bdRightToLeft : TColumnBiDiMode::bdLeftToRight;
        c.Options = TLTColumnOptions::FromBits(ConvertColumnOptions(uint32_t(R.I32()), Version));
        if (Version > 0) {
            c.Tag = R.I32();
            c.Alignment = EnumFrom(R.Byte(), TAlignment::taCenter, TAlignment::taLeftJustify);
        }
        if (Version > 1) c.Color = plat::TColor(R.I32());
        if (Version > 5 && c.Options.Contains(coUseCaptionAlignment))
            c.CaptionAlignment = EnumFrom(R.Byte(), TAlignment::taCenter, TAlignment::taLeftJustify);
        return c;
    }

    static Columns ReadColumns(TRecordReader& R, int Version) {
        Columns b;
        const int32_t count = R.I32();
        if (count > 0) {
            // Each record and its place in the order take bytes: a count the stream cannot hold
            // fails before anything is made for it.
            if (int64_t(count) * (MinColumnRecord(Version) + 4) > R.Left()) ReadError();
            b.Items.reserve(size_t(count));
            for (int32_t i = 0; i < count; ++i) b.Items.push_back(ReadColumn(R, Version));
            b.Positions.resize(size_t(count));
            std::vector<char> seen(size_t(count), 0);
            for (TColumnIndex& p : b.Positions) {
                p = R.I32();
                if (p < 0 || p >= count || seen[size_t(p)]) BadRecord("the column order is not a permutation");
                seen[size_t(p)] = 1;
            }
        }
        if (Version > 4) b.DefaultWidth = R.I32();
        return b;
    }

    // The version: a negative first field is the marker and the version follows; otherwise the
    // stream has none and that field was already the column count.
    static int ReadVersion(TRecordReader& R, TStream& Stream) {
        const int64_t start = Stream.Position();
        const int32_t first = R.I32();
        if (first >= 0) {
            Stream.Seek(start);
            return -1;
        }
        const int32_t version = R.I32();
        if (version > kHeaderStreamVersion) BadRecord("a version newer than this program reads");
        return std::max(version, -1);
    }

    static Header ReadHeader(TRecordReader& R, TStream& Stream, int& Version) {
        Header h;
        Version = ReadVersion(R, Stream);
        h.Block = ReadColumns(R, Version);
        h.AutoSizeIndex = R.I32();
        h.Background = plat::TColor(R.I32());
        h.Height = R.I32();
        h.Options = TLTHeaderOptions::FromBits(uint32_t(R.I32()) & kHeaderOptionBits);
        h.Style = EnumFrom(R.Byte(), TLTHeaderStyle::hsPlates, TLTHeaderStyle::hsThickButtons);
        h.FontColor = plat::TColor(R.I32());
        h.FontHeight = R.I32();
        h.FontName = R.UTF8();
        h.FontPitch = EnumFrom(uint8_t(R.I32() & 0x7F), plat::fpFixed, plat::fpDefault);
        h.FontStyle = plat::TFontStyles::fromBits(uint32_t(R.I32()) & 0x0F);
        if (Version > 0) {
            h.MainColumn = R.I32();
            h.SortColumn = R.I32();
            h.SortDirection = EnumFrom(R.Byte(), TSortDirection::sdDescending, TSortDirection::sdAscending);
        }
        if (Version > 4) {
            h.ParentFont = R.Byte() != 0;
            h.MaxHeight = R.I32();
            h.MinHeight = R.I32();
            h.DefaultHeight = R.I32();
            h.MaxHeightPercent = R.I32();
            h.MaxWidthPercent = R.I32();
            h.MinHeightPercent = R.I32();
            h.MinWidthPercent = R.I32();
        }
        return h;
    }

    // ---- Applying ----

    static void Apply(const Column& r, TLazyTreeColumn& c, int Version) {
        c.SetText(r.Text);
        c.FHint = r.Hint;
        // The limits first, so the width comes back as saved and not as the old limits allow.
        c.FMinWidth = std::max(r.MinWidth, 0);
        c.FMaxWidth = std::max(r.MaxWidth, c.FMinWidth);
        c.SetWidth(r.Width);
        c.SetStyle(r.Style);
        c.SetImageIndex(r.ImageIndex);
        c.SetLayout(r.Layout);
        c.SetMargin(r.Margin);
        c.SetSpacing(r.Spacing);
        if (r.BiDiMode != c.FBiDiMode) c.SetBiDiMode(r.BiDiMode);
        c.SetOptions(r.Options);
        if (Version > 0) {
            c.FTag = r.Tag;
            c.SetAlignment(r.Alignment);
        }
        // Only a colour of its own ends following the tree's.
        if (Version > 1 && r.Color != c.FColor) c.SetColor(r.Color);
        if (Version > 5 && r.Options.Contains(coUseCaptionAlignment)) c.SetCaptionAlignment(r.CaptionAlignment);
    }

    static void Apply(const Columns& b, TLazyTreeColumns& cs, int Version) {
        cs.Clear();
        if (!b.Items.empty()) {
            cs.BeginUpdate();
            for (const Column& r : b.Items) Apply(r, *cs.Add(), Version);
            cs.FPositionToIndex = b.Positions;
            cs.FNeedPositionsFix = false;
            cs.UpdatePositions(true);
            --cs.FUpdateCount;
        }
        if (Version > 4) cs.FDefaultWidth = b.DefaultWidth;
    }

    static void Apply(const Header& r, TLTHeader& h, int Version) {
        const TLTHeaderOptions kept = h.FOptions;
        h.FOptions = {};
        Apply(r.Block, *h.FColumns, Version);
        h.SetAutoSizeIndex(r.AutoSizeIndex);
        h.SetBackground(r.Background);
        h.SetHeight(r.Height);
        h.FOptions = kept;
        h.SetOptions(r.Options);
        h.SetStyle(r.Style);
        plat::TFont font = h.FFont;
        font.SetColor(r.FontColor);
        font.SetHeight(r.FontHeight);
        font.SetName(r.FontName);
        font.SetPitch(r.FontPitch);
        font.SetStyle(r.FontStyle);
        h.FFont.Assign(font);
        // Main and sort columns come from the stream from version 1 on; older streams keep the
        // header's. Either way an index that names no loaded column would be followed when painting
        // and sorting, so it is brought into range.
        const int count = h.FColumns->Count();
        const TColumnIndex main = Version > 0 ? r.MainColumn : h.FMainColumn;
        const TColumnIndex sort = Version > 0 ? r.SortColumn : h.FSortColumn;
        h.SetMainColumn(count == 0 ? NoColumn : std::clamp(main, 0, count - 1));
        h.SetSortColumn(sort >= 0 && sort < count ? sort : NoColumn);
        if (Version > 0) h.SetSortDirection(r.SortDirection);
        if (Version > 4) {
            h.SetParentFont(r.ParentFont);
            h.FMaxHeight = r.MaxHeight;
            h.FMinHeight = r.MinHeight;
            h.FDefaultHeight = r.DefaultHeight;
            auto& k = h.FFixedAreaConstraints;
            k.FMaxHeightPercent = uint8_t(std::clamp(r.MaxHeightPercent, 0, 100));
            k.FMaxWidthPercent = uint8_t(std::clamp(r.MaxWidthPercent, 0, 100));
            k.FMinHeightPercent = uint8_t(std::clamp(r.MinHeightPercent, 0, 100));
            k.FMinWidthPercent = uint8_t(std::clamp(r.MinWidthPercent, 0, 100));
        }
    }

    // Runs Body inside the header's loading state; the tree settles its columns afterwards.
    template <typename Body>
    static void Loading(TLTHeader& h, Body&& body) {
        const bool wasLoading = h.FStates.Contains(hsLoading);
        h.FStates += hsLoading;
        try {
            body();
        } catch (...) {
            if (!wasLoading) h.FStates -= hsLoading;
            throw;
        }
        if (wasLoading) return;
        h.FStates -= hsLoading;
        // Changes made while loading left the positions to be fixed; the order is whole now.
        TLazyTreeColumns& cs = *h.FColumns;
        if (cs.FNeedPositionsFix) {
            cs.FNeedPositionsFix = false;
            cs.UpdatePositions(true);
        }
        if (TBaseLazyTree* tree = h.FOwner) {
            // The header bar takes its loaded height and visibility.
            tree->UpdateHeaderFrame();
            h.Invalidate(nullptr);
            tree->viewport()->update();
            h.DoColumnResize(NoColumn);
        }
    }
};

void TLazyTreeColumn::SaveToStream(TStream& Stream) const {
    TRecordWriter w(Stream);
    THeaderStreamAccess::Write(w, *this);
}

void TLazyTreeColumn::LoadFromStream(TStream& Stream, int Version) {
    TRecordReader r(Stream);
    const THeaderStreamAccess::Column record = THeaderStreamAccess::ReadColumn(r, Version);
    THeaderStreamAccess::Loading(*Header(), [&] { THeaderStreamAccess::Apply(record, *this, Version); });
}

void TLazyTreeColumns::SaveToStream(TStream& Stream) const {
    TRecordWriter w(Stream);
    THeaderStreamAccess::Write(w, *this);
}

void TLazyTreeColumns::LoadFromStream(TStream& Stream, int Version) {
    TRecordReader r(Stream);
    const THeaderStreamAccess::Columns block = THeaderStreamAccess::ReadColumns(r, Version);
    THeaderStreamAccess::Loading(*FHeader, [&] { THeaderStreamAccess::Apply(block, *this, Version); });
}

void TLTHeader::SaveToStream(TStream& Stream) const {
    TRecordWriter w(Stream);
    THeaderStreamAccess::Write(w, *this);
}

void TLTHeader::LoadFromStream(TStream& Stream) {
    TRecordReader r(Stream);
    int version = -1;
    const THeaderStreamAccess::Header record = THeaderStreamAccess::ReadHeader(r, Stream, version);
    THeaderStreamAccess::Loading(*this, [&] { THeaderStreamAccess::Apply(record, *this, version); });
}

void TLTHeader::SetFont(const plat::TFont& Value) {
    FFont.Assign(Value);
    FParentFont = false;
    Invalidate(nullptr);
}

void TLTHeader::SetParentFont(bool Value) {
    if (Value == FParentFont) return;
    FParentFont = Value;
    ParentFontChanged();
}

void TLTHeader::ParentFontChanged() {
    if (!FParentFont || !FOwner) return;
    FFont.Assign(FOwner->Font());
    Invalidate(nullptr);
}
