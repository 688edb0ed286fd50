// Picture bytes come from files, resources and forms: decoding, the GIF frame walk, selecting every
// frame and stepping the animation must end cleanly on any bytes, and the bytes are kept exactly.
#include "controls/PictureContainer.h"

#include <QBuffer>
#include <QByteArray>
#include <algorithm>
#include <cstddef>
#include <cstdint>

namespace {

template <class F>
void tolerate(F&& f) {
    try {
        f();
    } catch (const plat::Error&) {
    }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const QByteArray bytes(reinterpret_cast<const char*>(data), static_cast<qsizetype>(size));
    THTMLPicture picture;
    QBuffer in;
    in.setData(bytes);
    in.open(QIODevice::ReadOnly);
    tolerate([&] { picture.LoadFromStream(&in); });
    if (picture.Data() != bytes || picture.Empty()) __builtin_trap();

    const int frames = picture.FrameCount();
    if (frames > static_cast<int>(size) || (frames >= 0) != picture.IsGIF()) __builtin_trap();
    for (int i = 0; i <= std::min(frames, 64) + 1; ++i) {
        const int time = picture.GetFrameTime(i);
        if ((i >= 1 && i <= frames) != (time >= 0)) __builtin_trap();
    }
    // Every frame of a short animation, and the last of a long one, selected and decoded.
    for (int i = 1; i <= frames; ++i) {
        if (i > 8 && i != frames) continue;
        tolerate([&] { picture.SetFrame(i); });
        if (picture.Frame() != i) __builtin_trap();
        if (!picture.Image().isNull() && picture.Width() != picture.Image().width()) __builtin_trap();
    }
    tolerate([&] { picture.SetFrame(1); });
    for (int i = 0; i < 6; ++i) tolerate([&] { picture.Step(); });
    if (picture.Frame() < 1 || (frames >= 1 && picture.Frame() > frames)) __builtin_trap();

    QByteArray out;
    QBuffer sink(&out);
    sink.open(QIODevice::WriteOnly);
    picture.WriteData(&sink);
    if (out != bytes) __builtin_trap();

    THTMLPicture copy;
    tolerate([&] { copy.Assign(&picture); });
    if (copy.Data() != bytes) __builtin_trap();
    return 0;
}
