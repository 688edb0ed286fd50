// Printing: the layout rules read from the layout data, real PDF files read back by the poppler
// tools (page count, page texts, pictures), previews and draws on images.
#include "grid/ExGrid.h"
#include "grid/ExGridPrintLayout.h"
#include "platform/Clock.h"

#include <QImage>
#include <QPrinter>
#include <QProcess>
#include <QTemporaryDir>
#include <gtest/gtest.h>

namespace {

// Records the export notifications the print cores send.
class TRecordingGrid : public TExStringGrid {
public:
    using TExStringGrid::TExStringGrid;
    std::vector<TGridExportState> states;
    void ExportNotification(TGridExportState AState, int ARow) override {
        if (ARow < 0) states.push_back(AState);
    }
    int count(TGridExportState s) const { return int(std::count(states.begin(), states.end(), s)); }
};

struct PrintFixture {
    QTemporaryDir dir;
    TRecordingGrid g{nullptr};
    explicit PrintFixture(int cols = 4, int rows = 10) {
        SetConfiguratorFormValues(g);
        g.Loaded();
        g.SetColCount(cols);
        g.SetRowCount(rows);
        g.SetFixedRows(1);
        g.SetFixedCols(0);
        for (int c = 0; c < cols; ++c)
            for (int r = 0; r < rows; ++r) g.SetCells(c, r, QStringLiteral("c%1r%2").arg(c).arg(r));
        QPrinter& p = g.Printer();
        p.setOutputFormat(QPrinter::PdfFormat);
        p.setPageSize(QPageSize(QPageSize::A4));
        p.setPageOrientation(QPageLayout::Portrait);
    }
    QString pdf(const QString& name) {
        const QString path = dir.filePath(name);
        g.Printer().setOutputFileName(path);
        return path;
    }
};

QString run(const QString& program, const QStringList& args) {
    QProcess p;
    p.start(program, args);
    if (!p.waitForFinished(120000)) return QString();
    return QString::fromUtf8(p.readAllStandardOutput());
}

int pdfPages(const QString& path) {
    const QString info = run(QStringLiteral("pdfinfo"), {path});
    for (const QString& l : info.split(u'\n'))
        if (l.startsWith(QStringLiteral("Pages:"))) return l.mid(6).trimmed().toInt();
    return -1;
}

// The text of one page (1-based).
QString pdfPageText(const QString& path, int page) {
    return run(QStringLiteral("pdftotext"),
               {QStringLiteral("-layout"), QStringLiteral("-f"), QString::number(page), QStringLiteral("-l"),
                QString::number(page), path, QStringLiteral("-")});
}

}  // namespace

// ---------------------------------------------------------------- rules without a device

TEST(ExGridPrintLayoutRules, BandsFitNumbersAndSlots) {
    // Band fill: 100 + 20 spacing per column, limit 400: three columns fit; one wider column still
    // makes a band of its own; the repeated fixed width counts first.
    const std::vector<int> w{100, 100, 100, 100, 1000, 100};
    struct Case {
        const char* name;
        int start, last, limit, fixed, end, used;
    } cases[] = {
        {"three fit", 0, 5, 400, 0, 2, 360},
        {"all fit", 0, 3, 10000, 0, 3, 480},
        {"too wide alone", 4, 5, 400, 0, 4, 1020},
        {"fixed columns first", 0, 5, 400, 120, 1, 360},
    };
    for (const Case& c : cases) {
        const TPrintBandFill f = FillPrintBand(w, 20, c.start, c.last, c.limit, c.fixed);
        EXPECT_EQ(f.End, c.end) << c.name;
        EXPECT_EQ(f.Used, c.used) << c.name;
    }
    // Fit: S 1200, F 200, room 700 -> 0.5; held by the mode; a custom refusal keeps 1.
    const auto yes = [](double&) { return true; };
    EXPECT_DOUBLE_EQ(PrintFitFactor(fpAlways, 700, 1200, 200, yes), 0.5);
    EXPECT_DOUBLE_EQ(PrintFitFactor(fpShrink, 700, 1200, 200, yes), 0.5);
    EXPECT_DOUBLE_EQ(PrintFitFactor(fpShrink, 2200, 1200, 200, yes), 1.0) << "shrink never enlarges";
    EXPECT_DOUBLE_EQ(PrintFitFactor(fpGrow, 700, 1200, 200, yes), 1.0) << "grow never reduces";
    EXPECT_DOUBLE_EQ(PrintFitFactor(fpGrow, 2200, 1200, 200, yes), 2.0);
    double asked = 0;
    EXPECT_DOUBLE_EQ(PrintFitFactor(fpCustom, 700, 1200, 200,
                                    [&](double& f) {
                                        asked = f;
                                        return false;
                                    }),
                     1.0);
    EXPECT_DOUBLE_EQ(asked, 0.5);
    EXPECT_DOUBLE_EQ(PrintFitFactor(fpCustom, 700, 1200, 200,
                                    [](double& f) {
                                        f = 0.75;
                                        return true;
                                    }),
                     0.75);
    EXPECT_EQ(PrintFontHeight(10, 0.5), -17);
    EXPECT_EQ(PrintFontHeight(10, 1.0), -35);
    // Page numbers: bands, totals, offsets, and a fast print without a total.
    EXPECT_EQ(PrintPageNumberText(3, 4, 2, 1, 9, true, 0, "/", 0), "2-1");
    EXPECT_EQ(PrintPageNumberText(1, 3, 3, 1, 7, true, 0, "/", 0), "3/7");
    EXPECT_EQ(PrintPageNumberText(1, 3, 3, 1, 7, true, 0, "/", 10), "3/17");
    EXPECT_EQ(PrintPageNumberText(1, 3, 3, 1, 2147483647, false, 0, "/", 10), "3");
    EXPECT_EQ(PrintPageNumberText(1, 1, 1, 1, 1, true, 0, "/", 0), "1") << "a single page shows no total";
    EXPECT_EQ(PrintPageNumberText(1, 3, 3, 1, 7, true, 100, "", 0), "103");
    // Slots: a left item goes in front, right and centre items behind.
    TPrintSlotTexts s;
    PutPrintSlotItem(s, ppTopLeft, "12:00");
    PutPrintSlotItem(s, ppTopLeft, "Title");
    PutPrintSlotItem(s, ppBottomRight, "a");
    PutPrintSlotItem(s, ppBottomRight, "b");
    PutPrintSlotItem(s, ppNone, "lost");
    EXPECT_EQ(s[psTopLeft], "Title 12:00 ");
    EXPECT_EQ(s[psBottomRight], " a b");
    EXPECT_TRUE(s[psTopCenter].isEmpty());
}

// ---------------------------------------------------------------- PDF files

TEST(ExGridPrint, PageCountsAndPageNumbersInThePdf) {
    struct Case {
        const char* name;
        int cols, colWidth;
        bool fast;
        int maxOffset;
        int page;
        QString expect, absent;
    } cases[] = {
        {"one band, total", 3, 0, false, 0, 3, "3/7", ""},
        {"one band, total offset", 3, 0, false, 10, 3, "3/17", ""},
        {"fast print, no total", 3, 0, true, 0, 3, "3", "3/"},
    };
    for (const Case& c : cases) {
        PrintFixture f(c.cols, 21);
        TPrintSettings& ps = f.g.PrintSettings();
        ps.SetPageNr(ppBottomRight);
        ps.SetPageNumSep("/");
        ps.SetPagePrefix("Page");
        ps.SetMaxPagesOffset(c.maxOffset);
        f.g.SetFastPrint(c.fast);
        // Three rows a page: 21 body rows make seven pages.
        int onPage = 0;
        f.g.OnPrintNewPage = [&](QObject*, int32_t, bool& NewPage) {
            if (++onPage == 3) {
                NewPage = true;
                onPage = 0;
            }
        };
        f.g.OnPrintStart = [&](QObject*, int32_t, int32_t&, int32_t&) { onPage = 0; };
        const QString path = f.pdf("pages.pdf");
        f.g.Print();
        const int pages = pdfPages(path);
        EXPECT_EQ(pages, 7) << c.name;
        if (!c.fast) {
            EXPECT_EQ(f.g.PrintNrOfPages(), pages) << c.name;
        }
        const QString text = pdfPageText(path, c.page);
        EXPECT_TRUE(text.contains("Page " + c.expect)) << c.name << ": " << text.toStdString();
        if (!c.absent.isEmpty()) EXPECT_FALSE(text.contains(c.absent)) << c.name;
    }
}

TEST(ExGridPrint, ThreeBandsNumberPagesWithinTheirBand) {
    PrintFixture f(3, 6);
    TPrintSettings& ps = f.g.PrintSettings();
    ps.SetPageNr(ppTopRight);
    ps.SetUseFixedWidth(true);
    ps.SetFixedWidth(1500);  // 15 cm a column: one column a band on A4
    int onPage = 0;
    f.g.OnPrintNewPage = [&](QObject*, int32_t, bool& NewPage) {
        if (++onPage == 3) {
            NewPage = true;
            onPage = 0;
        }
    };
    f.g.OnPrintStart = [&](QObject*, int32_t, int32_t&, int32_t&) { onPage = 0; };
    std::vector<int> pageEvents;
    f.g.OnPrintPage = [&](QObject*, plat::TCanvas&, int32_t PageNr, int32_t, int32_t) { pageEvents.push_back(PageNr); };
    const QString path = f.pdf("bands.pdf");
    f.g.Print();
    const TPrintLayout& L = f.g.PrintLayout();
    ASSERT_EQ(L.Bands.size(), 3u);
    EXPECT_EQ(pdfPages(path), f.g.PrintNrOfPages());
    EXPECT_EQ(pdfPages(path), 6);
    EXPECT_TRUE(pdfPageText(path, 1).contains("1-1"));
    EXPECT_TRUE(pdfPageText(path, 2).contains("2-1"));
    EXPECT_TRUE(pdfPageText(path, 3).contains("1-2"));
    EXPECT_TRUE(pdfPageText(path, 3).contains("c1r1")) << "the second band prints the second column";
    // The first page of every later band hears OnPrintPage twice: once started, once as the band starts.
    EXPECT_EQ(pageEvents, (std::vector<int>{1, 2, 3, 3, 4, 5, 5, 6}));
    // Centred bands: the 15 cm column sits in the middle of the page.
    const TPrintBand& b = L.Bands[1];
    EXPECT_EQ(b.Left[1], (L.PageWidth - b.Used) / 2);
}

TEST(ExGridPrint, CenteredOrFromTheLeftMargin) {
    for (bool centred : {true, false}) {
        PrintFixture f(2, 3);
        TPrintSettings& ps = f.g.PrintSettings();
        ps.SetCentered(centred);
        ps.SetLeftSize(150);
        ps.SetUseFixedWidth(true);
        ps.SetFixedWidth(500);
        QImage img(400, 560, QImage::Format_RGB32);
        img.fill(Qt::white);
        plat::TCanvas cv(&img);
        f.g.PrintPreview(cv, plat::TRect(0, 0, 400, 560));
        const TPrintLayout& L = f.g.PrintLayout();
        ASSERT_EQ(L.Bands.size(), 1u);
        const TPrintBand& b = L.Bands[0];
        EXPECT_EQ(b.Used, 1000);
        if (centred)
            EXPECT_EQ(b.Left[0], (L.PageWidth - 1000) / 2) << "LeftSize is ignored";
        else
            EXPECT_EQ(b.Left[0], 150);
        EXPECT_EQ(b.Left[1] - b.Left[0], 500);
        EXPECT_EQ(b.Left[2] - b.Left[1], 500);
    }
}

TEST(ExGridPrint, FitFactorScalesColumnsAndFonts) {
    struct Case {
        const char* name;
        TFitToPage mode;
        int fixedWidth;
        bool allow;
        bool below1, above1;
    } cases[] = {
        {"shrink reduces wide columns", fpShrink, 3000, true, true, false},
        {"shrink never enlarges", fpShrink, 100, true, false, false},
        {"grow enlarges narrow columns", fpGrow, 100, true, false, true},
        {"grow never reduces", fpGrow, 3000, true, false, false},
        {"custom refused keeps 1", fpCustom, 3000, false, false, false},
        {"custom allowed", fpCustom, 3000, true, true, false},
    };
    for (const Case& c : cases) {
        PrintFixture f(2, 3);
        TPrintSettings& ps = f.g.PrintSettings();
        ps.SetFitToPage(c.mode);
        ps.SetUseFixedWidth(true);
        ps.SetFixedWidth(c.fixedWidth);
        bool asked = false;
        f.g.OnFitToPage = [&](QObject*, double&, bool& Allow) {
            asked = true;
            Allow = c.allow;
        };
        QImage img(400, 560, QImage::Format_RGB32);
        plat::TCanvas cv(&img);
        f.g.PrintPreview(cv, plat::TRect(0, 0, 400, 560));
        const double fac = f.g.PrintLayout().Factor;
        EXPECT_EQ(fac < 1.0, c.below1) << c.name;
        EXPECT_EQ(fac > 1.0, c.above1) << c.name;
        EXPECT_EQ(asked, c.mode == fpCustom) << c.name;
        EXPECT_EQ(f.g.PrintLayout().Widths[0], int(std::lround(c.fixedWidth * fac))) << c.name;
    }
    // The factor scales the printed fonts while cells print.
    PrintFixture f(2, 3);
    f.g.PrintSettings().SetFitToPage(fpCustom);
    f.g.OnFitToPage = [](QObject*, double& F, bool&) { F = 0.5; };
    std::vector<int> heights;
    f.g.OnCustomCellDraw = [&](QObject*, QPainter*, int32_t, int32_t, TGridDrawState, const QRect&, bool Printing) {
        if (Printing) heights.push_back(f.g.MapFontHeight(10));
    };
    QImage img(400, 560, QImage::Format_RGB32);
    plat::TCanvas cv(&img);
    f.g.PrintPreview(cv, plat::TRect(0, 0, 400, 560));
    ASSERT_FALSE(heights.empty());
    EXPECT_EQ(heights.front(), -17);
    EXPECT_EQ(f.g.MapFontHeight(10), -35) << "the factor is 1 again after the cells";
    EXPECT_EQ(TExStringGrid::MapFontSize(35), 9);
}

namespace {
// The rows a page of the last layout printed, repeated fixed rows marked by minus one minus the row.
std::vector<int> rowsOf(const TPrintPage& p) {
    std::vector<int> out;
    for (const TPrintRowStep& r : p.Rows) out.push_back(r.Repeated ? -1 - r.Row : r.Row);
    return out;
}
}  // namespace

TEST(ExGridPrint, RepeatedFixedRowsSelectedRowsAndBreaks) {
    const auto preview = [](PrintFixture& f) {
        QImage img(400, 560, QImage::Format_RGB32);
        plat::TCanvas cv(&img);
        f.g.PrintPreview(cv, plat::TRect(0, 0, 400, 560));
    };
    {
        // Fixed rows repeat on every page after the first.
        PrintFixture f(2, 7);
        f.g.PrintSettings().SetRepeatFixedRows(true);
        f.g.OnPrintNewPage = [](QObject*, int32_t ARow, bool& NewPage) { NewPage = ARow == 4; };
        preview(f);
        const auto& P = f.g.PrintLayout().Pages;
        ASSERT_EQ(P.size(), 2u);
        EXPECT_EQ(rowsOf(P[0]), (std::vector<int>{0, 1, 2, 3}));
        EXPECT_EQ(rowsOf(P[1]), (std::vector<int>{-1, 4, 5, 6}));
        // Rows follow each other by their advance.
        EXPECT_EQ(P[1].Rows[1].Y, P[1].Rows[0].Y - P[1].Rows[0].Advance);
    }
    {
        // ...and on the first page too when the rectangle starts below them.
        PrintFixture f(2, 7);
        f.g.PrintSettings().SetRepeatFixedRows(true);
        QImage img(400, 560, QImage::Format_RGB32);
        plat::TCanvas cv(&img);
        f.g.PrintPreviewRect(cv, plat::TRect(0, 0, 400, 560), plat::TGridRect{0, 3, 1, 5});
        ASSERT_EQ(f.g.PrintLayout().Pages.size(), 1u);
        EXPECT_EQ(rowsOf(f.g.PrintLayout().Pages[0]), (std::vector<int>{-1, 3, 4, 5}));
    }
    for (bool always : {false, true}) {
        // A disjunct selection prints its rows only; the fixed rows with FixedCellsAlways.
        PrintFixture f(2, 10);
        f.g.MouseActions().SetDisjunctRowSelect(true);
        f.g.SetRowSelect(3, true);
        f.g.SetRowSelect(7, true);
        f.g.PrintSettings().SetFixedCellsAlways(always);
        QImage img(400, 560, QImage::Format_RGB32);
        plat::TCanvas cv(&img);
        f.g.PrintPreviewSelectedRows(cv, plat::TRect(0, 0, 400, 560));
        ASSERT_EQ(f.g.PrintLayout().Pages.size(), 1u);
        EXPECT_EQ(rowsOf(f.g.PrintLayout().Pages[0]), always ? (std::vector<int>{0, 3, 7}) : (std::vector<int>{3, 7}));
    }
    {
        // Cancel stops after the current page.
        PrintFixture f(2, 10);
        f.g.OnPrintNewPage = [](QObject*, int32_t, bool& NewPage) { NewPage = true; };
        int cancels = 0;
        f.g.OnPrintCancel = [&](QObject*, int32_t PageNr, bool& Cancel) {
            ++cancels;
            Cancel = PageNr == 2;
        };
        const QString path = f.pdf("cancel.pdf");
        f.g.Print();
        EXPECT_EQ(f.g.PrintLayout().Pages.size(), 2u);
        EXPECT_EQ(cancels, 2);
        EXPECT_EQ(pdfPages(path), 2);
    }
}

TEST(ExGridPrint, StartNotificationRangesAndTheDrawnPage) {
    {
        // A refused range prints nothing and sends no end notification.
        PrintFixture f(2, 5);
        f.g.OnPrintStart = [](QObject*, int32_t, int32_t& From, int32_t&) { From = 0; };
        const QString path = f.pdf("none.pdf");
        f.g.Print();
        EXPECT_FALSE(QFile::exists(path));
        EXPECT_EQ(f.g.count(esExportStart), 1);
        EXPECT_EQ(f.g.count(esExportDone), 0);
        // A preview still sends it, and draws nothing.
        QImage img(400, 560, QImage::Format_RGB32);
        img.fill(Qt::white);
        QImage blank = img;
        plat::TCanvas cv(&img);
        f.g.PrintPreview(cv, plat::TRect(0, 0, 400, 560));
        cv.Release();
        EXPECT_EQ(f.g.count(esExportDone), 1);
        EXPECT_FALSE(f.g.IsPrintPreview());
        EXPECT_EQ(img, blank);
    }
    {
        // PreviewPage 3: pages 1 and 2 are laid out, only page 3 is drawn.
        PrintFixture f(2, 10);
        f.g.PrintSettings().SetPageNr(ppTopLeft);
        f.g.PrintSettings().SetBorders(pbAround);
        f.g.OnPrintNewPage = [](QObject*, int32_t ARow, bool& NewPage) { NewPage = ARow % 3 == 0; };
        std::vector<int> drawnPages, donePages;
        f.g.OnPrintPage = [&](QObject*, plat::TCanvas&, int32_t PageNr, int32_t, int32_t) { drawnPages.push_back(PageNr); };
        f.g.OnPrintPageDone = [&](QObject*, plat::TCanvas&, int32_t, int32_t, int32_t LastPage, int32_t, int32_t) {
            donePages.push_back(LastPage);
        };
        f.g.SetPreviewPage(3);
        EXPECT_EQ(f.g.PreviewPage(), 3);
        QImage img(400, 560, QImage::Format_RGB32);
        img.fill(Qt::white);
        plat::TCanvas cv(&img);
        f.g.PrintPreview(cv, plat::TRect(0, 0, 400, 560));
        cv.Release();
        const TPrintLayout& L = f.g.PrintLayout();
        ASSERT_EQ(L.Pages.size(), 4u);
        for (const TPrintPage& p : L.Pages) EXPECT_EQ(p.Drawn, p.Number == 3) << p.Number;
        ASSERT_FALSE(L.Cells.empty());
        for (const TPrintCellBox& c : L.Cells) EXPECT_EQ(c.Page, 3);
        EXPECT_EQ(rowsOf(L.Pages[2]), (std::vector<int>{6, 7, 8}));
        EXPECT_EQ(donePages, (std::vector<int>{3}));
        EXPECT_EQ(drawnPages, (std::vector<int>{3}));
        EXPECT_TRUE(L.Pages[2].Slots[psTopLeft].contains("3/4"));
        // Something was drawn: the frame of page 3.
        int dark = 0;
        for (int y = 0; y < img.height(); ++y)
            for (int x = 0; x < img.width(); ++x) dark += qGray(img.pixel(x, y)) < 128;
        EXPECT_GT(dark, 100);
    }
    {
        // Drawing on a canvas: page 1 only, no start or end notification.
        PrintFixture f(2, 40);
        f.g.OnPrintNewPage = [](QObject*, int32_t ARow, bool& NewPage) { NewPage = ARow % 3 == 0; };
        QImage img(400, 560, QImage::Format_RGB32);
        img.fill(Qt::white);
        plat::TCanvas cv(&img);
        f.g.PrintDraw(cv, plat::TRect(0, 0, 400, 560));
        EXPECT_TRUE(f.g.states.empty());
        for (const TPrintCellBox& c : f.g.PrintLayout().Cells) EXPECT_EQ(c.Page, 1);
        EXPECT_FALSE(f.g.PrintLayout().Cells.empty());
    }
}

TEST(ExGridPrint, TallRowAloneAndCutAndWideGrids) {
    {
        PrintFixture f(2, 4);
        f.g.PrintSettings().SetNoAutoSizeRow(true);
        // Row 2 is one and a half pages high.
        f.g.SetRowHeights(2, int(297 * 1.5 / 25.4 * 96));
        const QString path = f.pdf("tall.pdf");
        f.g.Print();
        const TPrintLayout& L = f.g.PrintLayout();
        ASSERT_EQ(L.Pages.size(), 3u);
        EXPECT_EQ(rowsOf(L.Pages[0]), (std::vector<int>{0, 1}));
        EXPECT_EQ(rowsOf(L.Pages[1]), (std::vector<int>{2}));
        EXPECT_TRUE(L.Pages[1].Cut);
        EXPECT_EQ(rowsOf(L.Pages[2]), (std::vector<int>{3}));
        // Its cell boxes end at the footer reserve, inside the page.
        for (const TPrintCellBox& c : L.CellsOfPage(2))
            if (c.Row == 2) EXPECT_GE(c.Rect.Bottom, L.PageHeight);
        EXPECT_EQ(pdfPages(path), 3);
    }
    {
        PrintFixture f(600, 2);
        f.g.PrintSettings().SetFitToPage(fpNever);
        const QString path = f.pdf("wide.pdf");
        f.g.Print();
        const TPrintLayout& L = f.g.PrintLayout();
        ASSERT_FALSE(L.Bands.empty());
        EXPECT_EQ(L.Bands.back().End, 599);
        EXPECT_EQ(f.g.GetPrintColWidth(599), L.Widths[599]);
        EXPECT_GT(f.g.GetPrintColWidth(599), 0);
        EXPECT_TRUE(pdfPageText(path, pdfPages(path)).contains("c599r1"));
    }
}

// A reference grid printed to PDF and turned into low-resolution pictures: the coloured fill, a
// border on a cell edge and nothing outside the page frame. CONF_PRINT_PICTURES names a folder to
// keep the PDF and the pictures in for looking at them.
TEST(ExGridPrint, ReferenceGridPictures) {
    PrintFixture f(7, 12);
    TExStringGrid& g = f.g;
    g.SetFixedCols(1);
    TPrintSettings& ps = g.PrintSettings();
    ps.SetUseFixedWidth(true);
    ps.SetFixedWidth(600);  // three bands of two columns beside the fixed one on A4
    ps.SetRepeatFixedCols(true);
    ps.SetRepeatFixedRows(true);
    ps.SetBorders(pbAround);
    ps.SetPrintGraphics(true);
    ps.SetTitle(ppTopCenter);
    ps.SetTitleText("Reference grid");
    ps.SetPageNr(ppBottomRight);
    ps.SetDate(ppTopLeft);
    g.SetCells(2, 2, "merged over two columns and two rows");
    g.MergeCells(2, 2, 2, 2);
    g.AddRotated(3, 0, 90, "Turned");
    g.SetCells(1, 4, "<b>bold</b> and <i>italic</i>");
    g.SetCells(1, 5, "{\\rtf1\\ansi {\\b Rich} text\\par}");
    g.AddCheckBox(1, 6, true, false);
    plat::TBitmap* bmp = g.CreateBitmap(1, 7, false, 0, 0);
    bmp->SetSize(16, 16);
    bmp->Canvas().Brush().SetColor(0x00FF00);
    bmp->Canvas().FillRect(plat::TRect(0, 0, 16, 16));
    bmp->Canvas().Release();
    g.SetColors(1, 3, 0x0000FF);  // red (0x00BBGGRR)
    g.SetColors(4, 8, 0xFF0000);  // blue, in the second band
    g.OnGetCellPrintBorder = [](QObject*, int32_t ARow, int32_t ACol, QPen& Pen, TCellBorders& Borders) {
        // The frame alone draws no cell lines: rows 9 and 10 ask for their own.
        if (ARow == 9) {
            Borders = TCellBorders{cbTop, cbLeft, cbRight, cbBottom};
            Pen.setStyle(ACol % 2 ? Qt::DashLine : Qt::DotLine);
        }
        if (ARow == 10) {
            Borders = TCellBorders{cbBottom};
            Pen.setWidth(2);
            Pen.setColor(Qt::darkGreen);
        }
    };
    const QString keep = qEnvironmentVariable("CONF_PRINT_PICTURES");
    const QString folder = keep.isEmpty() ? f.dir.path() : keep;
    const QString path = folder + "/reference.pdf";
    g.Printer().setOutputFileName(path);
    g.Print();
    const TPrintLayout& L = g.PrintLayout();
    ASSERT_EQ(L.Bands.size(), 3u);
    const int pages = pdfPages(path);
    ASSERT_EQ(pages, int(L.Pages.size()));
    run(QStringLiteral("pdftoppm"), {QStringLiteral("-r"), QStringLiteral("30"), QStringLiteral("-png"), path,
                                     folder + "/page"});
    // 30 dots per inch: one dot is 254/30 tenths of a millimetre.
    const double dot = 254.0 / 30.0;
    for (int p = 1; p <= pages; ++p) {
        QImage img(QStringLiteral("%1/page-%2.png").arg(folder).arg(p));
        if (img.isNull()) img.load(QStringLiteral("%1/page-%2.png").arg(folder).arg(p, 2, 10, QChar(u'0')));
        ASSERT_FALSE(img.isNull()) << p;
        const TPrintPage& page = L.Pages[size_t(p - 1)];
        const TPrintBand& band = L.Bands[size_t(page.Band - 1)];
        // The printable area starts at the printer's margins.
        const QMarginsF m = g.Printer().pageLayout().marginsPoints();
        const int ox = int(std::lround(m.left() / 72.0 * 30)), oy = int(std::lround(m.top() / 72.0 * 30));
        const auto px = [&](int x) { return ox + int(std::lround(x / dot)); };
        const auto py = [&](int y) { return oy + int(std::lround(-y / dot)); };
        // Nothing outside the frame of the table, save the header and footer lines.
        const int x0 = px(band.RepeatFixedCols ? band.Left[0] : band.Left[size_t(band.Start)]) - 2;
        const int x1 = px(band.Left[size_t(band.End) + 1]) + 2;
        const int yt = py(-page.HeaderReserve - ps.TitleSpacing()) - 2, yb = py(page.FrameBottom) + 2;
        int outside = 0;
        for (int y = yt; y < yb && y < img.height(); ++y)
            for (int x = 0; x < img.width(); ++x)
                if ((x < x0 || x > x1) && qGray(img.pixel(x, y)) < 200) ++outside;
        EXPECT_EQ(outside, 0) << "page " << p;
        for (int y = yb + 1; y < py(L.PageHeight + page.FooterReserve) - 2 && y < img.height(); ++y)
            for (int x = 0; x < img.width(); ++x) EXPECT_GE(qGray(img.pixel(x, y)), 200) << p << " " << x << "," << y;
        // The frame's left edge is dark along the rows.
        const int midY = (py(page.Rows.front().Y) + yb) / 2;
        int dark = 0;
        for (int x = x0; x <= x0 + 4; ++x) dark += qGray(img.pixel(x, midY)) < 160;
        EXPECT_GT(dark, 0) << "frame on page " << p;
    }
    // The coloured fills, inside their cells' boxes.
    const auto colourIn = [&](int pageNo, int col, int row, auto test) {
        QImage img(QStringLiteral("%1/page-%2.png").arg(folder).arg(pageNo));
        const QMarginsF m = g.Printer().pageLayout().marginsPoints();
        const int ox = int(std::lround(m.left() / 72.0 * 30)), oy = int(std::lround(m.top() / 72.0 * 30));
        for (const TPrintCellBox& c : L.CellsOfPage(pageNo))
            if (c.Col == col && c.Row == row) {
                const int cx = ox + int(std::lround((c.Rect.Left + c.Rect.Right) / 2 / dot));
                const int cy = oy + int(std::lround(-(c.Rect.Top + c.Rect.Bottom) / 2 / dot));
                return test(img.pixel(cx, cy - 1)) || test(img.pixel(cx, cy + 1));
            }
        return false;
    };
    EXPECT_TRUE(colourIn(1, 1, 3, [](QRgb c) { return qRed(c) > 200 && qGreen(c) < 80 && qBlue(c) < 80; }));
    // Row 10's green bottom line lies on its cells' lower edge.
    {
        QImage img(QStringLiteral("%1/page-1.png").arg(folder));
        const QMarginsF m = g.Printer().pageLayout().marginsPoints();
        const int ox = int(std::lround(m.left() / 72.0 * 30)), oy = int(std::lround(m.top() / 72.0 * 30));
        bool found = false;
        for (const TPrintCellBox& c : L.CellsOfPage(1))
            if (c.Col == 1 && c.Row == 10) {
                const int cx = ox + int(std::lround((c.Rect.Left + c.Rect.Right) / 2 / dot));
                const int by = oy + int(std::lround(-c.Rect.Bottom / dot));
                for (int y = by - 1; y <= by + 1; ++y) {
                    const QRgb p = img.pixel(cx, y);
                    found = found || (qGreen(p) > qRed(p) + 30 && qGreen(p) > qBlue(p) + 30);
                }
            }
        EXPECT_TRUE(found);
    }
    EXPECT_TRUE(colourIn(2, 4, 8, [](QRgb c) { return qBlue(c) > 200 && qRed(c) < 80 && qGreen(c) < 80; }));
}

TEST(ExGridPrint, HeaderAndFooterSlotsAndTitles) {
    plat::setLocalNowSource([] { return QDateTime(QDate(2026, 3, 4), QTime(5, 6, 7)); });
    struct Reset {
        ~Reset() { plat::setLocalNowSource(nullptr); }
    } reset;
    {
        // Items in the order time, date, page number, title: in front in a left slot, behind in a right one.
        PrintFixture f(2, 3);
        TPrintSettings& ps = f.g.PrintSettings();
        ps.SetTime(ppTopLeft);
        ps.SetDate(ppTopLeft);
        ps.SetPageNr(ppBottomRight);
        ps.SetPagePrefix("Page");
        ps.SetDateFormat("yyyy-mm-dd");
        ps.SetTitle(ppBottomRight);
        ps.SetTitleText("Report");
        QImage img(400, 560, QImage::Format_RGB32);
        plat::TCanvas cv(&img);
        f.g.PrintPreview(cv, plat::TRect(0, 0, 400, 560));
        const TPrintPage& p = f.g.PrintLayout().Pages.at(0);
        EXPECT_EQ(p.Slots[psTopLeft], "2026-03-04 05:06 ");
        EXPECT_EQ(p.Slots[psBottomRight], " Page 1  Report");
        EXPECT_TRUE(p.Slots[psTopCenter].isEmpty());
    }
    {
        // Plain title lines: the first joins the slot, the others print under it.
        PrintFixture f(2, 3);
        TPrintSettings& ps = f.g.PrintSettings();
        ps.SetTitle(ppTopCenter);
        ps.SetTitleLines({"First title line", "Second title line"});
        const QString path = f.pdf("lines.pdf");
        f.g.Print();
        const TPrintLayout& L = f.g.PrintLayout();
        EXPECT_EQ(L.Pages.at(0).Slots[psTopCenter], "First title line");
        EXPECT_EQ(L.HtmlTitleHeight, 0);
        // The reserve holds the second line: the rows start below both.
        EXPECT_EQ(L.Pages[0].HeaderReserve, L.TextHeight8 + 2 * L.HeaderHeight);
        const QString text = pdfPageText(path, 1);
        EXPECT_LT(text.indexOf("First title line"), text.indexOf("Second title line"));
        EXPECT_LT(text.indexOf("Second title line"), text.indexOf("c0r0"));
    }
    {
        // HTML title lines render apart, and the rows start below them on every page.
        PrintFixture f(2, 8);
        TPrintSettings& ps = f.g.PrintSettings();
        ps.SetTitle(ppTopLeft);
        ps.SetTitleLines({"<b>Bold</b> ", "title"});
        f.g.OnPrintNewPage = [](QObject*, int32_t ARow, bool& NewPage) { NewPage = ARow == 4; };
        const QString path = f.pdf("html.pdf");
        f.g.Print();
        const TPrintLayout& L = f.g.PrintLayout();
        ASSERT_EQ(L.Pages.size(), 2u);
        EXPECT_GT(L.HtmlTitleHeight, 0);
        for (const TPrintPage& p : L.Pages) {
            EXPECT_TRUE(p.Slots[psTopLeft].isEmpty());
            EXPECT_EQ(p.Rows.front().Y, -p.HeaderReserve - ps.TitleSpacing() - L.HtmlTitleHeight);
        }
        EXPECT_TRUE(pdfPageText(path, 2).contains("Bold title"));
    }
}

TEST(ExGridPrint, MaxColumnTextLengthCountsLinesWhenMultiLine) {
    PrintFixture f(2, 3);
    f.g.SetCells(1, 1, "ab\nabcdefg");
    f.g.SetCells(1, 2, "abcd");
    f.g.SetMultilinecells(true);
    EXPECT_EQ(f.g.MaxColumnTextLength(1), 7);
    f.g.SetMultilinecells(false);
    EXPECT_EQ(f.g.MaxColumnTextLength(1), 10);
    EXPECT_EQ(f.g.MaxColumnTextLength(0), 4) << "c0r0";
}
