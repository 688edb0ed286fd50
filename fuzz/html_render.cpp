// Cell texts and hints with mini-HTML come from users, files, the clipboard and project XML: laying
// them out, measuring, hit-testing and drawing must end on any text, never read outside it, and
// agree with themselves (the same text measures the same; a hit lies inside what was measured).
#include "controls/ExHTMLRender.h"
#include "controls/PictureContainer.h"
#include "platform/Bitmap.h"
#include "platform/ImageList.h"

#include <QApplication>
#include <QBuffer>
#include <QImage>
#include <cstddef>
#include <cstdint>
#include "fuzz/QtFuzzApp.h"

namespace {

struct Fixture {
    TPictureContainer container;
    plat::TImageList images{16, 16};
    Fixture() {
        QImage img(16, 16, QImage::Format_RGB32);
        img.fill(Qt::green);
        QByteArray bytes;
        QBuffer buffer(&bytes);
        buffer.open(QIODevice::WriteOnly);
        img.save(&buffer, "PNG");
        buffer.close();
        buffer.open(QIODevice::ReadOnly);
        TPictureItem& item = container.Items().Add();
        item.SetName(QStringLiteral("LOGO"));
        item.Picture().LoadFromStream(&buffer);
        plat::TBitmap strip;
        strip.SetSize(32, 16);
        images.Add(strip);
    }
};

}  // namespace

extern "C" int LLVMFuzzerInitialize(int* argc, char*** argv) {
    fuzzqt::StartApplication(argc, argv);
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    static Fixture fixture;
    THTMLPictureCache cache;  // URL pictures found by this text only
    const QString text = QString::fromUtf8(reinterpret_cast<const char*>(data), static_cast<qsizetype>(size));
    QImage image(120, 60, QImage::Format_RGB32);
    image.fill(Qt::white);
    plat::TCanvas canvas(&image);

    THTMLRenderIn in;
    in.Text = text;
    in.Rect = plat::TRect{2, 2, 118, 58};
    in.Images = &fixture.images;
    in.Container = &fixture.container;
    in.PictureCache = &cache;
    in.WordWrap = size % 2 == 0;
    in.FocusLink = 0;
    in.HoverLink = 1;

    // Measuring.
    THTMLRenderIn measure = in;
    measure.MeasureOnly = true;
    THTMLRenderOut m0, m1, m2;
    // The first measuring of characters the font lacks finds their fallback font and may differ
    // by a few pixels; from then on the same text measures the same.
    RenderHTML(canvas, measure, m0);
    RenderHTML(canvas, measure, m1);
    RenderHTML(canvas, measure, m2);
    if (m1.XSize != m2.XSize || m1.YSize != m2.YSize || m1.StripVal != m2.StripVal) __builtin_trap();
    if (m1.XSize < 0 || m1.YSize <= 0) __builtin_trap();
    if (m1.StripVal.size() > 2 * text.size() + 1) __builtin_trap();

    // Hit-testing at points inside the measured box.
    const int w = std::min(m1.XSize, 1000), h = std::min(m1.YSize, 1000);
    for (const auto& [fx, fy] : {std::pair{1, 1}, std::pair{2, 3}, std::pair{3, 1}}) {
        THTMLRenderIn hit = in;
        hit.HitTestOnly = true;
        hit.X = in.Rect.Left + 1 + w * fx / 4;
        hit.Y = in.Rect.Top + h * fy / 4;
        THTMLRenderOut out;
        out.ControlID = QStringLiteral("c");
        const bool found = RenderHTML(canvas, hit, out);
        if (found && out.AnchorVal == QLatin1StringView("ctrl") && out.ControlRect.Width() < 0) __builtin_trap();
        if (out.MouseLink > out.HyperLinks) __builtin_trap();
    }

    // Drawing, plainly and as printing, selected.
    THTMLRenderOut drawn;
    RenderHTML(canvas, in, drawn);
    in.Print = true;
    in.Selected = true;
    in.ResFactor = 2.5;
    RenderHTML(canvas, in, drawn);
    canvas.Release();
    return 0;
}
