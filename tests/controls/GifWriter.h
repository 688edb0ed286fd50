#pragma once
// Small GIF89a files written by hand, so the frame tests know every byte: a 4-colour global table
// (black, red, green, blue), one graphic control extension and one image a frame, each image one
// colour. The image data is LZW with a clear code before every second pixel, so the codes stay 3
// bits wide and no compressor is needed.
#include <QByteArray>
#include <algorithm>
#include <cstdint>
#include <vector>

namespace gifwriter {

struct Frame {
    uint16_t delay;  // hundredths of a second
    uint16_t left, top, width, height;
    uint8_t color;  // 0 black, 1 red, 2 green, 3 blue
};

inline void put16(QByteArray& out, uint16_t v) {
    out.append(char(v & 0xFF));
    out.append(char(v >> 8));
}

inline QByteArray imageData(int pixels, uint8_t color) {
    std::vector<int> codes;
    for (int i = 0; i < pixels; ++i) {
        if (i % 2 == 0) codes.push_back(4);  // clear
        codes.push_back(color);
    }
    codes.push_back(5);  // end of information
    QByteArray bits;
    uint32_t acc = 0;
    int n = 0;
    for (int code : codes) {
        acc |= uint32_t(code) << n;
        n += 3;
        while (n >= 8) {
            bits.append(char(acc & 0xFF));
            acc >>= 8;
            n -= 8;
        }
    }
    if (n > 0) bits.append(char(acc & 0xFF));
    QByteArray out;
    out.append(char(2));  // minimum code size
    for (qsizetype p = 0; p < bits.size(); p += 255) {
        const qsizetype len = std::min<qsizetype>(255, bits.size() - p);
        out.append(char(len));
        out.append(bits.mid(p, len));
    }
    out.append(char(0));
    return out;
}

inline QByteArray makeGif(uint16_t screenWidth, uint16_t screenHeight, const std::vector<Frame>& frames) {
    QByteArray out("GIF89a");
    put16(out, screenWidth);
    put16(out, screenHeight);
    out.append(char(0xF1));  // global table of 4 colours
    out.append(char(0));     // background colour
    out.append(char(0));     // aspect
    const unsigned char table[] = {0, 0, 0, 255, 0, 0, 0, 255, 0, 0, 0, 255};
    out.append(reinterpret_cast<const char*>(table), sizeof table);
    for (const Frame& f : frames) {
        out.append("\x21\xF9\x04", 3);
        out.append(char(0x04));  // leave the frame in place
        put16(out, f.delay);
        out.append(char(0));  // no transparent colour
        out.append(char(0));
        out.append(char(0x2C));
        put16(out, f.left);
        put16(out, f.top);
        put16(out, f.width);
        put16(out, f.height);
        out.append(char(0));  // no local table, not interlaced
        out.append(imageData(f.width * f.height, f.color));
    }
    out.append(char(0x3B));
    return out;
}

// The three-frame animation of the tests: a red screen, a green patch, a blue patch.
inline QByteArray threeFrameGif() {
    return makeGif(8, 6, {{30, 0, 0, 8, 6, 1}, {10, 2, 1, 3, 2, 2}, {20, 4, 2, 2, 3, 3}});
}

}  // namespace gifwriter
