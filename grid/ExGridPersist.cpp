// The grid's layout between runs: the column-states string, column widths and order in an INI file
// or the per-user store, the visual-properties file and the print-settings section. Whatever is read
// is checked whole before the grid changes; what the grid writes always reads back.
#include "controls/ExUtil.h"
#include "grid/ExGrid.h"
#include "platform/Files.h"
#include "platform/IniFile.h"
#include "platform/IntConv.h"

#include <QHash>
#include <algorithm>
#include <functional>
#include <optional>
#include <variant>

namespace {

constexpr int kMaxColWidth = 32767;

// ---- the column stores: an INI file or the per-user store, by ColumnSize.Location

class ColumnStore {
public:
    ColumnStore(TColumnSizeLocation Location, const QString& Key, const QString& Section) : FSection(Section) {
        if (Location == clIniFile)
            FStore.emplace<plat::TIniFile>(Key);
        else
            FStore.emplace<plat::TUserSettings>(Key, Section);
    }
    bool exists(const QString& Name) const {
        if (auto* ini = std::get_if<plat::TIniFile>(&FStore)) return ini->ValueExists(FSection, Name);
        return std::get<plat::TUserSettings>(FStore).ValueExists(Name);
    }
    int read(const QString& Name, int Default) const {
        if (auto* ini = std::get_if<plat::TIniFile>(&FStore)) return ini->ReadInteger(FSection, Name, Default);
        return std::get<plat::TUserSettings>(FStore).ReadInteger(Name, Default);
    }
    void write(const QString& Name, int Value) {
        if (auto* ini = std::get_if<plat::TIniFile>(&FStore))
            ini->WriteInteger(FSection, Name, Value);
        else
            std::get<plat::TUserSettings>(FStore).WriteInteger(Name, Value);
    }
    void flush() {
        if (auto* ini = std::get_if<plat::TIniFile>(&FStore))
            ini->UpdateFile();
        else
            std::get<plat::TUserSettings>(FStore).Flush();
    }

private:
    QString FSection;
    std::variant<std::monostate, plat::TIniFile, plat::TUserSettings> FStore;
};

// A list of integers separated by ",", each within [Min, Max]; nothing when any is not.
std::optional<std::vector<int>> intList(QStringView Text, int Min, int Max) {
    std::vector<int> out;
    if (Text.isEmpty()) return out;
    for (QStringView part : Text.split(u',')) {
        const std::optional<int32_t> v = plat::tryStrToInt(part);
        if (!v || *v < Min || *v > Max) return std::nullopt;
        out.push_back(*v);
    }
    return out;
}

// True when the values are distinct and each in [0, N).
bool distinctBelow(const std::vector<int>& Values, int N) {
    std::vector<bool> seen(size_t(std::max(N, 0)), false);
    for (int v : Values) {
        if (v < 0 || v >= N || seen[size_t(v)]) return false;
        seen[size_t(v)] = true;
    }
    return true;
}

// ---- colours by identifier

struct ColorName {
    TColor color;
    const char* name;
};
constexpr ColorName kColorNames[] = {
    {plat::clBlack, "clBlack"}, {plat::clMaroon, "clMaroon"}, {plat::clGreen, "clGreen"},
    {plat::clOlive, "clOlive"}, {plat::clNavy, "clNavy"}, {plat::clPurple, "clPurple"},
    {plat::clTeal, "clTeal"}, {plat::clGray, "clGray"}, {plat::clSilver, "clSilver"},
    {plat::clRed, "clRed"}, {plat::clLime, "clLime"}, {plat::clYellow, "clYellow"},
    {plat::clBlue, "clBlue"}, {plat::clFuchsia, "clFuchsia"}, {plat::clAqua, "clAqua"},
    {plat::clWhite, "clWhite"}, {plat::clMoneyGreen, "clMoneyGreen"}, {plat::clSkyBlue, "clSkyBlue"},
    {plat::clCream, "clCream"}, {plat::clMedGray, "clMedGray"}, {plat::clActiveBorder, "clActiveBorder"},
    {plat::clActiveCaption, "clActiveCaption"}, {plat::clAppWorkSpace, "clAppWorkSpace"},
    {plat::clBackground, "clBackground"}, {plat::clBtnFace, "clBtnFace"}, {plat::clBtnHighlight, "clBtnHighlight"},
    {plat::clBtnShadow, "clBtnShadow"}, {plat::clBtnText, "clBtnText"}, {plat::clCaptionText, "clCaptionText"},
    {0x20000000, "clDefault"}, {plat::clGrayText, "clGrayText"}, {plat::clHighlight, "clHighlight"},
    {plat::clHighlightText, "clHighlightText"}, {plat::clInactiveBorder, "clInactiveBorder"},
    {plat::clInactiveCaption, "clInactiveCaption"}, {plat::clInactiveCaptionText, "clInactiveCaptionText"},
    {plat::clInfoBk, "clInfoBk"}, {plat::clInfoText, "clInfoText"}, {plat::clMenu, "clMenu"},
    {plat::clMenuText, "clMenuText"}, {plat::clNone, "clNone"}, {plat::clScrollBar, "clScrollBar"},
    {plat::cl3DDkShadow, "cl3DDkShadow"}, {plat::cl3DLight, "cl3DLight"}, {plat::clWindow, "clWindow"},
    {plat::clWindowFrame, "clWindowFrame"}, {plat::clWindowText, "clWindowText"},
};

QString colorText(TColor c) {
    for (const ColorName& n : kColorNames)
        if (n.color == c) return QString::fromLatin1(n.name);
    return u'$' + QStringLiteral("%1").arg(c, 8, 16, QChar(u'0')).toUpper();
}

// Empty (or missing): none; an identifier; else a number, the conversion error when it is none.
TColor colorValue(const QString& v) {
    if (v.isEmpty()) return plat::clNone;
    for (const ColorName& n : kColorNames)
        if (v.compare(QLatin1String(n.name), Qt::CaseInsensitive) == 0) return n.color;
    const std::optional<int32_t> i = plat::tryStrToInt(v);
    if (!i) throw EConvertError(QStringLiteral("'%1' is not a valid integer value").arg(v));
    return TColor(uint32_t(*i));
}

int intValue(const QString& v) {
    const std::optional<int32_t> i = plat::tryStrToInt(v);
    if (!i) throw EConvertError(QStringLiteral("'%1' is not a valid integer value").arg(v));
    return *i;
}

constexpr const char* kStyleNames[] = {"fsBold", "fsItalic", "fsUnderline", "fsStrikeOut"};

QString styleText(plat::TFontStyles s) {
    QStringList names;
    for (int i = 0; i < 4; ++i)
        if (s.contains(plat::TFontStyle(i))) names.append(QString::fromLatin1(kStyleNames[i]));
    return names.join(u',');
}

plat::TFontStyles styleValue(const QString& v) {
    plat::TFontStyles s;
    for (int i = 0; i < 4; ++i)
        if (v.contains(QLatin1String(kStyleNames[i]))) s.include(plat::TFontStyle(i));
    return s;
}

// ---- the visual-properties table

enum Kind : uint8_t { kColor, kBool, kInt, kFont, kEnum };

struct Prop {
    const char* key;
    Kind kind;
    // The value as the file holds it, and applying a value read (present: the line exists).
    std::function<QString(TExStringGrid&)> get;
    std::function<void(TExStringGrid&, const QString&, bool)> set;
    // For fonts.
    std::function<plat::TFont(TExStringGrid&)> font;
    std::function<void(TExStringGrid&, const plat::TFont&)> setFont;
};

template <class G, class S>
Prop color(const char* key, G g, S s) {
    return {key, kColor, [g](TExStringGrid& x) { return colorText(g(x)); },
            [s](TExStringGrid& x, const QString& v, bool) { s(x, colorValue(v)); }, {}, {}};
}
template <class G, class S>
Prop boolean(const char* key, G g, S s) {
    return {key, kBool, [g](TExStringGrid& x) { return g(x) ? QStringLiteral("true") : QStringLiteral("false"); },
            [s](TExStringGrid& x, const QString& v, bool) { s(x, v.toUpper() == QLatin1String("TRUE")); }, {}, {}};
}
template <class G, class S>
Prop integer(const char* key, G g, S s) {
    return {key, kInt, [g](TExStringGrid& x) { return QString::number(g(x)); },
            [s](TExStringGrid& x, const QString& v, bool) { s(x, intValue(v)); }, {}, {}};
}
// Names in declaration order; a value matching none leaves the setting.
template <class G, class S>
Prop enumeration(const char* key, QStringList names, G g, S s) {
    return {key, kEnum, [g, names](TExStringGrid& x) { return names.value(int(g(x))); },
            [s, names](TExStringGrid& x, const QString& v, bool present) {
                if (!present) return;
                for (int i = 0; i < names.size(); ++i)
                    if (names[i].toUpper() == v.toUpper()) {
                        s(x, i);
                        return;
                    }
            },
            {}, {}};
}
template <class G, class S>
Prop fontGroup(const char* key, G g, S s) {
    return {key, kFont, {}, {}, g, s};
}

#define GRID_COLOR(Key, Name) \
    color(Key, [](TExStringGrid& g) { return g.Name(); }, [](TExStringGrid& g, TColor c) { g.Set##Name(c); })
#define OBJ_COLOR(Key, Obj, Name) \
    color(Key, [](TExStringGrid& g) { return g.Obj().Name(); }, [](TExStringGrid& g, TColor c) { g.Obj().Set##Name(c); })
#define OBJ_BOOL(Key, Obj, Name) \
    boolean(Key, [](TExStringGrid& g) { return g.Obj().Name(); }, [](TExStringGrid& g, bool b) { g.Obj().Set##Name(b); })
#define OBJ_INT(Key, Obj, Name) \
    integer(Key, [](TExStringGrid& g) { return int(g.Obj().Name()); }, [](TExStringGrid& g, int i) { g.Obj().Set##Name(i); })

// In writing order.
const std::vector<Prop>& visualProps() {
    static const std::vector<Prop> props = [] {
        const QStringList controlStyles{QStringLiteral("csClassic"), QStringLiteral("csFlat"), QStringLiteral("csWinXP"),
                                        QStringLiteral("csUnused"),  QStringLiteral("csVEZ"),  QStringLiteral("csGlyph"),
                                        QStringLiteral("csTheme")};
        QStringList looks;
        for (int l = glStandard; l <= glCustom; ++l) looks.append(TExStringGrid::LookName(TGridLook(l)));
        std::vector<Prop> p;
        p.push_back(GRID_COLOR("Color", Color));
        p.push_back(GRID_COLOR("HintColor", HintColor));
        p.push_back(GRID_COLOR("SelectionColor", SelectionColor));
        p.push_back(GRID_COLOR("SelectionColorTo", SelectionColorTo));
        p.push_back(GRID_COLOR("SelectionMirrorColor", SelectionMirrorColor));
        p.push_back(GRID_COLOR("SelectionMirrorColorTo", SelectionMirrorColorTo));
        p.push_back(GRID_COLOR("SelectionTextColor", SelectionTextColor));
        p.push_back(GRID_COLOR("URLColor", URLColor));
        p.push_back(boolean("URLShow", [](TExStringGrid& g) { return g.URLShow(); },
                            [](TExStringGrid& g, bool b) { g.SetURLShow(b); }));
        p.push_back(boolean("URLShowInText", [](TExStringGrid& g) { return g.URLShowInText(); },
                            [](TExStringGrid& g, bool b) { g.SetURLShowInText(b); }));
        p.push_back(GRID_COLOR("ScrollColor", ScrollColor));
        p.push_back(GRID_COLOR("ActiveRowColor", ActiveRowColor));
        p.push_back(boolean("ActiveRowShow", [](TExStringGrid& g) { return g.ActiveRowShow(); },
                            [](TExStringGrid& g, bool b) { g.SetActiveRowShow(b); }));
        p.push_back(boolean("ActiveCellShow", [](TExStringGrid& g) { return g.ActiveCellShow(); },
                            [](TExStringGrid& g, bool b) { g.SetActiveCellShow(b); }));
        p.push_back(fontGroup("Font", [](TExStringGrid& g) { return plat::TFont(g.Font()); },
                              [](TExStringGrid& g, const plat::TFont& f) { g.Font().Assign(f); }));
        p.push_back(GRID_COLOR("ActiveCellColor", ActiveCellColor));
        p.push_back(GRID_COLOR("ActiveCellColorTo", ActiveCellColorTo));
        p.push_back(fontGroup("ActiveCellFont", [](TExStringGrid& g) { return plat::TFont(g.ActiveCellFont()); },
                              [](TExStringGrid& g, const plat::TFont& f) { g.SetActiveCellFont(f); }));
        p.push_back(fontGroup("FixedFont", [](TExStringGrid& g) { return plat::TFont(g.FixedFont()); },
                              [](TExStringGrid& g, const plat::TFont& f) { g.SetFixedFont(f); }));
        p.push_back(OBJ_COLOR("Balloon.BackgroundColor", Balloon, BackgroundColor));
        p.push_back(OBJ_COLOR("Balloon.TextColor", Balloon, TextColor));
        p.push_back(integer("Balloon.Transparency", [](TExStringGrid& g) { return int(g.Balloon().Transparency()); },
                            [](TExStringGrid& g, int i) { g.Balloon().SetTransparency(uint8_t(i)); }));
        p.push_back(OBJ_COLOR("Bands.PrimaryColor", Bands, PrimaryColor));
        p.push_back(OBJ_COLOR("Bands.SecondaryColor", Bands, SecondaryColor));
        p.push_back(OBJ_BOOL("Bands.Active", Bands, Active));
        p.push_back(OBJ_COLOR("SortSettings.IndexColor", SortSettings, IndexColor));
        p.push_back(OBJ_COLOR("FloatingFooter.Color", FloatingFooter, Color));
        p.push_back(OBJ_INT("ControlLook.CheckSize", ControlLook, CheckSize));
        p.push_back(OBJ_COLOR("ControlLook.Color", ControlLook, Color));
        p.push_back(OBJ_COLOR("ControlLook.CommentColor", ControlLook, CommentColor));
        p.push_back(enumeration("ControlLook.ControlStyle", controlStyles,
                                [](TExStringGrid& g) { return g.ControlLook().ControlStyle(); },
                                [](TExStringGrid& g, int i) { g.ControlLook().SetControlStyle(TControlStyle(i)); }));
        p.push_back(OBJ_COLOR("ControlLook.FixedGradientFrom", ControlLook, FixedGradientFrom));
        p.push_back(OBJ_COLOR("ControlLook.FixedGradientTo", ControlLook, FixedGradientTo));
        p.push_back(OBJ_INT("ControlLook.RadioSize", ControlLook, RadioSize));
        p.push_back(OBJ_BOOL("ControlLook.FlatButton", ControlLook, FlatButton));
        p.push_back(OBJ_COLOR("ControlLook.ProgressBorderColor", ControlLook, ProgressBorderColor));
        p.push_back(OBJ_BOOL("ControlLook.ProgressXP", ControlLook, ProgressXP));
        p.push_back(enumeration("Look", looks, [](TExStringGrid& g) { return g.Look(); },
                                [](TExStringGrid& g, int i) { g.SetLook(TGridLook(i)); }));
        p.push_back(OBJ_COLOR("SearchFooter.Color", SearchFooter, Color));
        p.push_back(OBJ_COLOR("SearchFooter.ColorTo", SearchFooter, ColorTo));
        p.push_back(OBJ_COLOR("Grouping.HeaderColor", Grouping, HeaderColor));
        p.push_back(OBJ_COLOR("Grouping.HeaderColorTo", Grouping, HeaderColorTo));
        p.push_back(OBJ_COLOR("Grouping.HeaderTextColor", Grouping, HeaderTextColor));
        p.push_back(OBJ_BOOL("Grouping.HeaderUnderline", Grouping, HeaderUnderline));
        p.push_back(OBJ_COLOR("Grouping.HeaderLineColor", Grouping, HeaderLineColor));
        p.push_back(OBJ_INT("Grouping.HeaderLineWidth", Grouping, HeaderLineWidth));
        p.push_back(OBJ_COLOR("Grouping.SummaryColor", Grouping, SummaryColor));
        p.push_back(OBJ_COLOR("Grouping.SummaryColorTo", Grouping, SummaryColorTo));
        p.push_back(OBJ_COLOR("Grouping.SummaryTextColor", Grouping, SummaryTextColor));
        p.push_back(OBJ_BOOL("Grouping.SummaryLine", Grouping, SummaryLine));
        p.push_back(OBJ_COLOR("Grouping.SummaryLineColor", Grouping, SummaryLineColor));
        p.push_back(OBJ_INT("Grouping.SummaryLineWidth", Grouping, SummaryLineWidth));
        p.push_back(GRID_COLOR("GridLineColor", GridLineColor));
        p.push_back(GRID_COLOR("GridFixedLineColor", GridFixedLineColor));
        p.push_back(OBJ_INT("BackGround.Top", BackGround, Top));
        p.push_back(OBJ_INT("BackGround.Left", BackGround, Left));
        p.push_back(enumeration("BackGround.Display",
                                {QStringLiteral("bdTile"), QStringLiteral("bdFixed"), QStringLiteral("bdGradientHorz"),
                                 QStringLiteral("bdGradientVert")},
                                [](TExStringGrid& g) { return g.BackGround().Display(); },
                                [](TExStringGrid& g, int i) { g.BackGround().SetDisplay(TBackGroundDisplay(i)); }));
        p.push_back(enumeration("BackGround.Cells",
                                {QStringLiteral("bcNormal"), QStringLiteral("bcFixed"), QStringLiteral("bcAll")},
                                [](TExStringGrid& g) { return g.BackGround().Cells(); },
                                [](TExStringGrid& g, int i) { g.BackGround().SetCells(TBackGroundCells(i)); }));
        p.push_back(OBJ_COLOR("BackGround.Color", BackGround, Color));
        p.push_back(OBJ_COLOR("BackGround.ColorTo", BackGround, ColorTo));
        return p;
    }();
    return props;
}

#undef GRID_COLOR
#undef OBJ_COLOR
#undef OBJ_BOOL
#undef OBJ_INT

// Reading applies the grid line colours before the grouping keys; writing puts them after.
std::vector<const Prop*> readingOrder() {
    std::vector<const Prop*> order;
    for (const Prop& p : visualProps()) order.push_back(&p);
    auto at = [&](const char* key) {
        return std::find_if(order.begin(), order.end(), [&](const Prop* p) { return qstrcmp(p->key, key) == 0; });
    };
    auto line = at("GridLineColor");
    std::rotate(at("Grouping.HeaderColor"), line, line + 2);
    return order;
}

}  // namespace

// ---------------------------------------------------------------- column states

void TExStringGrid::applyColumnOrder(const std::vector<int>& Order) {
    // Where each column stands in the order, as the order list ResetColumnOrder sorts by.
    std::vector<int> inverse(Order.size());
    for (size_t i = 0; i < Order.size(); ++i) inverse[size_t(Order[i])] = int(i);
    FColumnOrder = inverse;
    if (!FColumnOrder.empty()) ResetColumnOrder();
    FColumnOrder = Order;
}

QString TExStringGrid::ColumnStatesToString() {
    const int n = ColCount() + NumHiddenColumns();
    QStringList widths, order, visible;
    for (int i = 0; i < n; ++i) widths.append(QString::number(i < ColCount() ? ColWidths(i) : DefaultColWidth()));
    // The recorded order, made whole: entries that no longer name a column go, columns it does not
    // name follow in their own order.
    std::vector<int> o;
    std::vector<bool> seen(size_t(n), false);
    for (int v : FColumnOrder)
        if (v >= 0 && v < n && !seen[size_t(v)]) {
            seen[size_t(v)] = true;
            o.push_back(v);
        }
    for (int v = 0; v < n; ++v)
        if (!seen[size_t(v)]) o.push_back(v);
    for (int v : o) order.append(QString::number(v));
    for (int i = 0; i < n; ++i) visible.append(IsHiddenColumn(i) ? QStringLiteral("0") : QStringLiteral("1"));
    return QString::number(n) + u'#' + widths.join(u',') + u'#' + order.join(u',') + u'#' + visible.join(u',');
}

void TExStringGrid::StringToColumnStates(const QString& Value) {
    if (!Value.contains(u'#')) return;
    const QStringList f = Value.split(u'#');
    if (f.size() > 4) return;
    const std::optional<int32_t> count = plat::tryStrToInt(f[0]);
    if (!count || *count < 1) return;
    const int n = *count;
    const std::optional<std::vector<int>> widths = intList(f.value(1), 0, kMaxColWidth);
    if (!widths || int(widths->size()) != n) return;
    std::optional<std::vector<int>> order = intList(f.value(2), -1, n - 1);
    if (!order || int(order->size()) > n) return;
    std::erase(*order, -1);
    if (!distinctBelow(*order, n)) return;
    std::vector<bool> hide;
    const QString flags = f.value(3);
    for (QStringView v : QStringView(flags).split(u',', Qt::SkipEmptyParts)) {
        if (v != u"0" && v != u"1") return;
        hide.push_back(v == u"0");
    }
    if (!hide.empty() && int(hide.size()) != n) return;
    // Only what the grid can hide: real columns below 512, and never every column.
    for (size_t c = 512; c < hide.size(); ++c)
        if (hide[c]) return;
    if (!hide.empty() && std::find(hide.begin(), hide.end(), false) == hide.end()) return;

    BeginUpdate();
    try {
        FColumnOrder.clear();
        UnHideColumnsAll();
        SetColCount(n);
        if (!order->empty()) {
            // The columns the order does not name keep their places after those it does.
            std::vector<int> whole = *order;
            std::vector<bool> named(size_t(n), false);
            for (int v : whole) named[size_t(v)] = true;
            for (int v = 0; v < n; ++v)
                if (!named[size_t(v)]) whole.push_back(v);
            applyColumnOrder(whole);
            FColumnOrder = *order;
        }
        for (int c = int(hide.size()) - 1; c >= 0; --c)
            if (hide[size_t(c)]) HideColumn(c);
        const bool stretch = FColumnSize->Stretch();
        FColumnSize->SetStretch(false);
        if (stretch && ColCount() > 0) {
            const int sc = FColumnSize->StretchColumn();
            SetDefaultColWidth(ColWidths(sc >= 0 && sc < ColCount() ? sc : ColCount() - 1));
        }
        for (int i = 0; i < ColCount() && i < n; ++i) SetColWidths(i, (*widths)[size_t(i)]);
        FColumnSize->SetStretch(stretch);
    } catch (...) {
        EndUpdate();
        throw;
    }
    EndUpdate();
}

// ---------------------------------------------------------------- column widths and order

void TExStringGrid::SaveColSizes() {
    if (FColumnSize->Key().isEmpty() || FColumnSize->Section().isEmpty() || IsDesignTime()) return;
    ColumnStore store(FColumnSize->Location(), FColumnSize->Key(), FColumnSize->Section());
    for (int i = 0; i < ColCount(); ++i) store.write(QStringLiteral("Col%1").arg(i), ColWidths(i));
    store.flush();
}

void TExStringGrid::LoadColSizes() {
    if (FColumnSize->Key().isEmpty() || FColumnSize->Section().isEmpty() || IsDesignTime()) return;
    ColumnStore store(FColumnSize->Location(), FColumnSize->Key(), FColumnSize->Section());
    std::vector<int> widths(static_cast<size_t>(ColCount()));
    for (int i = 0; i < ColCount(); ++i) {
        widths[size_t(i)] = store.read(QStringLiteral("Col%1").arg(i), ColWidths(i));
        if (widths[size_t(i)] < 0 || widths[size_t(i)] > kMaxColWidth) return;
    }
    for (int i = 0; i < ColCount(); ++i)
        if (ColWidths(i) != widths[size_t(i)]) SetColWidths(i, widths[size_t(i)]);
    store.flush();
}

void TExStringGrid::SaveColPositions() {
    if (FColumnSize->Key().isEmpty() || FColumnSize->Section().isEmpty() || IsDesignTime() || FColumnOrder.empty())
        return;
    ColumnStore store(FColumnSize->Location(), FColumnSize->Key(), FColumnSize->Section());
    for (size_t i = 0; i < FColumnOrder.size(); ++i) store.write(QStringLiteral("Pos%1").arg(i), FColumnOrder[i]);
    store.flush();
}

void TExStringGrid::LoadColPositions() {
    if (FColumnSize->Key().isEmpty() || FColumnSize->Section().isEmpty() || IsDesignTime()) return;
    ColumnStore store(FColumnSize->Location(), FColumnSize->Key(), FColumnSize->Section());
    if (store.read(QStringLiteral("Pos0"), -1) == -1) return;
    std::vector<int> order;
    for (int i = 0; i < AllColCount(); ++i) {
        const int v = store.read(QStringLiteral("Pos%1").arg(i), -1);
        if (v != -1) order.push_back(v);
    }
    // The n entries must be the columns 0 .. n - 1, each once.
    if (!distinctBelow(order, int(order.size()))) return;
    std::vector<int> hidden;
    for (int c = 0; c < AllColCount(); ++c)
        if (IsHiddenColumn(c)) hidden.push_back(c);
    BeginUpdate();
    UnHideColumnsAll();
    applyColumnOrder(order);
    for (int c : hidden) HideColumn(c);
    EndUpdate();
    store.flush();
}

// ---------------------------------------------------------------- visual properties

void TExStringGrid::SaveVisualProps(const QString& FileName) {
    QString text;
    auto line = [&](const QString& key, const QString& value) { text += key + u'=' + value + QStringLiteral("\r\n"); };
    for (const Prop& p : visualProps()) {
        const QString key = QString::fromLatin1(p.key);
        if (p.kind != kFont) {
            line(key, p.get(*this));
            continue;
        }
        const plat::TFont f = p.font(*this);
        line(key + QStringLiteral(".Color"), colorText(f.Color()));
        line(key + QStringLiteral(".Style"), styleText(f.Style()));
        line(key + QStringLiteral(".Size"), QString::number(f.Size()));
        line(key + QStringLiteral(".Name"), f.Name());
    }
    if (!plat::atomicWrite(FileName, QByteArray("\xEF\xBB\xBF") + text.toUtf8()))
        throw EExGridError(QStringLiteral("Cannot Create ") + FileName);
}

void TExStringGrid::LoadVisualProps(const QString& FileName) {
    const std::optional<QByteArray> bytes = plat::fileExists(FileName) ? plat::readFile(FileName) : std::nullopt;
    if (!bytes) throw EExGridError(QStringLiteral("Cannot open file ") + FileName);
    QHash<QString, QString> values;
    const QString text = plat::decodeText(*bytes);
    for (QStringView l : QStringView(text).split(u'\n')) {
        if (l.endsWith(u'\r')) l.chop(1);
        const qsizetype eq = l.indexOf(u'=');
        if (eq < 0) continue;
        const QString name = l.left(eq).toString().toUpper();
        if (!values.contains(name)) values.insert(name, l.mid(eq + 1).toString());
    }
    auto value = [&](const QString& key, bool& present) {
        const auto it = values.constFind(key.toUpper());
        present = it != values.constEnd();
        return present ? *it : QString();
    };
    for (const Prop* p : readingOrder()) {
        const QString key = QString::fromLatin1(p->key);
        bool present = false;
        if (p->kind != kFont) {
            const QString v = value(key, present);
            p->set(*this, v, present);
            continue;
        }
        // One key at a time, so a bad size leaves the colour and style already applied.
        plat::TFont f = p->font(*this);
        f.SetColor(colorValue(value(key + QStringLiteral(".Color"), present)));
        p->setFont(*this, f);
        f.SetStyle(styleValue(value(key + QStringLiteral(".Style"), present)));
        p->setFont(*this, f);
        f.SetSize(intValue(value(key + QStringLiteral(".Size"), present)));
        p->setFont(*this, f);
        f.SetName(value(key + QStringLiteral(".Name"), present));
        p->setFont(*this, f);
    }
}

// ---------------------------------------------------------------- print settings

void TExStringGrid::SavePrintSettings(const QString& Key, const QString& Section) {
    plat::TIniFile ini(Key);
    const TPrintSettings& ps = *FPrintSettings;
    auto i = [&](const char* k, int v) { ini.WriteInteger(Section, QString::fromLatin1(k), v); };
    auto y = [&](const char* k, bool v) { ini.WriteString(Section, QString::fromLatin1(k), v ? QStringLiteral("Y") : QStringLiteral("N")); };
    auto s = [&](const char* k, const QString& v) { ini.WriteString(Section, QString::fromLatin1(k), v); };
    i("ColumnSpacing", ps.ColumnSpacing());
    i("RowSpacing", ps.RowSpacing());
    i("TitleSpacing", ps.TitleSpacing());
    i("FixedHeight", ps.FixedHeight());
    i("FixedWidth", ps.FixedWidth());
    y("Centered", ps.Centered());
    y("NoAutoSize", ps.NoAutoSize());
    y("UseFixedHeight", ps.UseFixedHeight());
    y("UseFixedWidth", ps.UseFixedWidth());
    y("RepeatFixedRows", ps.RepeatFixedRows());
    y("RepeatFixedCols", ps.RepeatFixedCols());
    y("UseDisplFont", ps.UseDisplayFont());
    y("UseDefOrientation", ps.UseDefaultOrientation());
    i("Borders", ps.Borders());
    i("BorderColor", int(ps.BorderColor()));
    i("BorderStyle", ps.BorderStyle());
    i("Date", ps.Date());
    i("PageNr", ps.PageNr());
    i("Title", ps.Title());
    i("Time", ps.Time());
    s("DateFormat", ps.DateFormat());
    s("TitleText", ps.TitleText());
    i("FooterSize", ps.FooterSize());
    i("HeaderSize", ps.HeaderSize());
    i("LeftSize", ps.LeftSize());
    i("RightSize", ps.RightSize());
    i("FitToPage", ps.FitToPage());
    for (const auto& [prefix, font] : {std::pair{"Font", &ps.Font()}, std::pair{"HeaderFont", &ps.HeaderFont()},
                                       std::pair{"FooterFont", &ps.FooterFont()}}) {
        const QString p = QString::fromLatin1(prefix);
        ini.WriteString(Section, p + QStringLiteral("Name"), font->Name());
        ini.WriteInteger(Section, p + QStringLiteral("Size"), font->Size());
        ini.WriteInteger(Section, p + QStringLiteral("Style"), int(font->Style().bits()));
        ini.WriteInteger(Section, p + QStringLiteral("Color"), int(font->Color()));
    }
    s("PageNumSep", ps.PageNumSep());
    s("PageSuffix", ps.PageSuffix());
    s("PagePrefix", ps.PagePrefix());
    i("Orientation", ps.Orientation());
    // Every line ends in the two characters "\n"; the value stays one line of the file.
    QString lines;
    for (const QString& l : ps.TitleLines()) lines += QString(l).remove(u'\r').remove(u'\n') + QStringLiteral("\\n");
    s("TitleLines", lines);
    y("PrintGraphics", ps.PrintGraphics());
    ini.UpdateFile();
}

void TExStringGrid::LoadPrintSettings(const QString& Key, const QString& Section) {
    const plat::TIniFile ini(Key);
    TPrintSettings& ps = *FPrintSettings;
    auto i = [&](const char* k, int d) { return ini.ReadInteger(Section, QString::fromLatin1(k), d); };
    auto s = [&](const char* k, const QString& d) { return ini.ReadString(Section, QString::fromLatin1(k), d); };
    auto y = [&](const char* k, const char* d) { return s(k, QString::fromLatin1(d)) == QLatin1String("Y"); };
    ps.SetColumnSpacing(i("ColumnSpacing", 20));
    ps.SetRowSpacing(i("RowSpacing", 20));
    ps.SetTitleSpacing(i("TitleSpacing", 20));
    ps.SetFixedHeight(i("FixedHeight", 0));
    ps.SetFixedWidth(i("FixedWidth", 0));
    ps.SetCentered(y("Centered", "Y"));
    ps.SetNoAutoSize(y("NoAutoSize", "N"));
    ps.SetUseFixedHeight(y("UseFixedHeight", "N"));
    ps.SetUseFixedWidth(y("UseFixedWidth", "N"));
    ps.SetRepeatFixedRows(y("RepeatFixedRows", "N"));
    ps.SetRepeatFixedCols(y("RepeatFixedCols", "N"));
    ps.SetUseDisplayFont(y("UseDisplFont", "N"));
    ps.SetUseDefaultOrientation(y("UseDefOrientation", "N"));
    ps.SetPrintGraphics(y("PrintGraphics", "N"));
    if (const int v = i("Borders", 0); v >= 0 && v <= pbCustom) ps.SetBorders(TPrintBorders(v));
    if (const int v = i("BorderStyle", 0); v >= 0 && v <= psInsideFrame) ps.SetBorderStyle(TPenStyle(v));
    ps.SetBorderColor(TColor(uint32_t(i("BorderColor", 0))));
    auto position = [&](const char* k) {
        const int v = i(k, 0);
        return v >= 1 && v <= 6 ? TPrintPosition(v) : ppNone;
    };
    ps.SetDate(position("Date"));
    ps.SetPageNr(position("PageNr"));
    ps.SetTitle(position("Title"));
    ps.SetTime(position("Time"));
    if (const int v = i("FitToPage", 0); v >= 0 && v <= fpCustom) ps.SetFitToPage(TFitToPage(v));
    ps.SetDateFormat(s("DateFormat", QString()));
    ps.SetTitleText(s("TitleText", QString()));
    ps.SetPageNumSep(s("PageNumSep", QString()));
    ps.SetPageSuffix(s("PageSuffix", QString()));
    ps.SetPagePrefix(s("PagePrefix", QString()));
    ps.SetFooterSize(i("FooterSize", 100));
    ps.SetHeaderSize(i("HeaderSize", 100));
    ps.SetLeftSize(i("LeftSize", 100));
    ps.SetRightSize(i("RightSize", 100));
    auto font = [&](const char* prefix, const plat::TFont& current) {
        const QString p = QString::fromLatin1(prefix);
        plat::TFont f(current);
        f.SetName(ini.ReadString(Section, p + QStringLiteral("Name"), QStringLiteral("Arial")));
        f.SetSize(ini.ReadInteger(Section, p + QStringLiteral("Size"), 10));
        // Styles are added to those the font has; none is taken away.
        const int bits = ini.ReadInteger(Section, p + QStringLiteral("Style"), 0);
        plat::TFontStyles st = f.Style();
        for (int b = 0; b < 4; ++b)
            if (bits & (1 << b)) st.include(plat::TFontStyle(b));
        f.SetStyle(st);
        f.SetColor(TColor(uint32_t(ini.ReadInteger(Section, p + QStringLiteral("Color"), 0))));
        return f;
    };
    ps.SetFont(font("Font", ps.Font()));
    ps.SetHeaderFont(font("HeaderFont", ps.HeaderFont()));
    ps.SetFooterFont(font("FooterFont", ps.FooterFont()));
    QString lines = s("TitleLines", QString());
    lines.replace(QStringLiteral("\\n"), QStringLiteral("\n"));
    QStringList list = lines.split(u'\n');
    if (!list.isEmpty() && list.last().isEmpty()) list.removeLast();
    ps.SetTitleLines(list);
    if (const int v = i("Orientation", 0); v == 0 || v == 1) ps.SetOrientation(TPrinterOrientation(v));
}
