#include "grid/ExGridUnit.h"

#include "controls/ExGridPopups.h"
#include "grid/ExGrid.h"
#include "platform/FormatSettings.h"
#include "platform/Guard.h"

#include <QApplication>
#include <QEvent>
#include <QFileInfo>
#include <QRegularExpression>
#include <QWidget>

QChar GetTimeSeparator() { return plat::formatSettings().timeSeparator; }
QChar GetDateSeparator() { return plat::formatSettings().dateSeparator; }
QChar GetThousandSeparator() { return plat::formatSettings().thousandSeparator; }
QChar GetDecimalSeparator() { return plat::formatSettings().decimalSeparator; }
QString GetShortDateFormat() { return plat::formatSettings().shortDateFormat; }
QString GetShortTimeFormat() { return plat::formatSettings().shortTimeFormat; }
QString GetLongTimeFormat() { return plat::formatSettings().longTimeFormat; }

void MakeWindowTransparent(QWidget* Window) {
    if (Window) Window->setAttribute(Qt::WA_TransparentForMouseEvents, true);
}

int32_t GetFileVersion(const QString& FileName) {
    if (FileName.isEmpty() || FileName.size() > 255) return -1;
    const QFileInfo info(FileName);
    if (!info.exists()) return -1;
    const QString real = info.canonicalFilePath();
    static const QRegularExpression versioned(QStringLiteral(R"(\.so\.(\d{1,5})(?:\.(\d{1,5}))?)"));
    const QRegularExpressionMatch m = versioned.match(QFileInfo(real).fileName());
    if (!m.hasMatch()) return -1;
    const uint32_t major = m.captured(1).toUInt();
    const uint32_t minor = m.capturedLength(2) ? m.captured(2).toUInt() : 0;
    if (major > 0x7FFF || minor > 0xFFFF) return -1;  // no version a 32-bit answer can carry
    return int32_t((major << 16) | minor);
}

// ---------------------------------------------------------------- focus window hook

namespace {

QPointer<TExStringGrid>& focusGrid() {
    static QPointer<TExStringGrid> g;
    return g;
}

// Sees every widget's move and resize in the program; puts the registered grid's focus window back
// around its cell.
class GridMoveHook : public QObject {
protected:
    bool eventFilter(QObject* watched, QEvent* event) override {
        const QEvent::Type t = event->type();
        if ((t == QEvent::Move || t == QEvent::Resize) && watched->isWidgetType() && !busy_) {
            TExStringGrid* g = focusGrid().data();
            if (g && watched != g->FocusWindow()) {
                busy_ = true;
                plat::guarded([g] { g->MoveFocusWindow(); });
                busy_ = false;
            }
        }
        return false;
    }

private:
    bool busy_ = false;
};

}  // namespace

static GridMoveHook*& moveHook() {
    static GridMoveHook* hook = nullptr;
    return hook;
}

void InstallGridMoveHook() {
    GridMoveHook*& hook = moveHook();
    if (hook || !qApp) return;
    hook = new GridMoveHook;
    hook->setParent(qApp);
    qApp->installEventFilter(hook);
    qAddPostRoutine(FinalizeGridUnit);
}

bool GridMoveHookInstalled() { return moveHook() != nullptr; }

void FinalizeGridUnit() {
    if (GridMoveHook*& hook = moveHook()) {
        if (qApp) qApp->removeEventFilter(hook);
        delete hook;
        hook = nullptr;
    }
    GridHintFontName().clear();
}

QString& GridHintFontName() {
    static QString name;
    return name;
}

TExStringGrid* FocusWindowGrid() { return focusGrid().data(); }
void SetFocusWindowGrid(TExStringGrid* Grid) { focusGrid() = Grid; }

// ---------------------------------------------------------------- TCellNode

TCellNode::TCellNode(TExStringGrid* AOwner) : FOwner(AOwner) {}

void TCellNode::repaint() {
    if (FOwner) FOwner->RepaintGrid();
}
void TCellNode::SetNodeType(TNodeType Value) {
    if (FNodeType == Value) return;
    FNodeType = Value;
    repaint();
}
void TCellNode::SetShowTree(bool Value) {
    if (FShowTree == Value) return;
    FShowTree = Value;
    repaint();
}
void TCellNode::SetShowTreeFull(bool Value) {
    if (FShowTreeFull == Value) return;
    FShowTreeFull = Value;
    repaint();
}
void TCellNode::SetNodeIndent(int32_t Value) {
    if (FNodeIndent == Value) return;
    FNodeIndent = Value;
    repaint();
}
void TCellNode::SetTreeColor(TColor Value) {
    if (FTreeColor == Value) return;
    FTreeColor = Value;
    repaint();
}

void TCellNode::Assign(const QObject* Source) {
    const auto* s = dynamic_cast<const TCellNode*>(Source);
    if (!s) return;
    FColor = s->FColor;
    FExpandOne = s->FExpandOne;
    FNodeType = s->FNodeType;
    FNodeColor = s->FNodeColor;
    FNodeIndent = s->FNodeIndent;
    FExpandGlyph.Assign(s->FExpandGlyph);
    FContractGlyph.Assign(s->FContractGlyph);
    FShowTree = s->FShowTree;
    FShowTreeFull = s->FShowTreeFull;
    FTreeColor = s->FTreeColor;
}

// ---------------------------------------------------------------- TColumnSize

TColumnSize::TColumnSize(QObject* AOwner) : FOwner(AOwner) {}

void TColumnSize::SetStretch(bool Value) {
    FStretch = Value;
    auto* g = dynamic_cast<TExStringGrid*>(FOwner.data());
    if (g && g->parentWidget()) g->StretchColumnToFit(FStretchColumn);
}

void TColumnSize::Assign(const QObject* Source) {
    const auto* s = dynamic_cast<const TColumnSize*>(Source);
    if (!s) return;
    FRows = s->FRows;
    FSave = s->FSave;
    FKey = s->FKey;
    FSection = s->FSection;
    FStretch = s->FStretch;
    FStretchColumn = s->FStretchColumn;
    FSynchWithGrid = s->FSynchWithGrid;
    FSynchNormalCellsOnly = s->FSynchNormalCellsOnly;
    FLocation = s->FLocation;
}

// ---------------------------------------------------------------- THTMLSettings

THTMLSettings::THTMLSettings() = default;

void THTMLSettings::Assign(const QObject* Source) {
    const auto* s = dynamic_cast<const THTMLSettings*>(Source);
    if (!s) return;
    FBorderSize = s->FBorderSize;
    FCellSpacing = s->FCellSpacing;
    FCellPadding = s->FCellPadding;
    FSaveColor = s->FSaveColor;
    FSaveFonts = s->FSaveFonts;
    FFooterFile = s->FFooterFile;
    FHeaderFile = s->FHeaderFile;
    FTableStyle = s->FTableStyle;
    FPrefixTag = s->FPrefixTag;
    FSuffixTag = s->FSuffixTag;
    FSummary = s->FSummary;
    FWidth = s->FWidth;
    FXHTML = s->FXHTML;
    FConvertSpecialChars = s->FConvertSpecialChars;
    FAutoPreview = s->FAutoPreview;
    FNonBreakingText = s->FNonBreakingText;
}

// ---------------------------------------------------------------- TPrintSettings

TPrintSettings::TPrintSettings(TExStringGrid* AGrid) : FGrid(AGrid) {}

void TPrintSettings::Assign(const QObject* Source) {
    const auto* s = dynamic_cast<const TPrintSettings*>(Source);
    if (!s) plat::throwInvalidCast();
    const bool keepFixedCellsAlways = FFixedCellsAlways;
#define EX_COPY(T, Name, Default) F##Name = s->F##Name;
    EX_PRINTSETTINGS_FIELDS(EX_COPY)
#undef EX_COPY
    FFixedCellsAlways = keepFixedCellsAlways;
    FTitleLines = s->FTitleLines;
    FFont.Assign(s->FFont);
    FFixedFont.Assign(s->FFixedFont);
    FHeaderFont.Assign(s->FHeaderFont);
    FFooterFont.Assign(s->FFooterFont);
}
