// The image builder on arbitrary "ParGen.xml" and "MQTT_Set_Topic.xml" bytes: it never crashes, and
// it either builds two sound images or reports why it did not.
// Input: one byte whose bits 0 and 1 say whether each file exists, then the parameter file's bytes,
// the separator "\n==TOPICS==\n", and the topic file's bytes.
#include "gateway/USaveBincc.h"

#include <QFile>
#include <QTemporaryDir>
#include <cstddef>
#include <cstdint>
#include <cstdlib>

namespace {

uint32_t rd32(const QByteArray& b, qsizetype at) {
    uint32_t v = 0;
    for (int i = 3; i >= 0; --i) v = (v << 8) | static_cast<uint8_t>(b[at + i]);
    return v;
}

// A certificate folder with one file, so bare names can reach the file path too.
const QString& certificates() {
    static QTemporaryDir dir;
    static const QString path = [] {
        QFile f(dir.path() + QStringLiteral("/c.pem"));
        if (!f.open(QIODevice::WriteOnly)) std::abort();
        f.write("-----BEGIN-----\nAAAA\n-----END-----\n");
        return dir.path();
    }();
    return path;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    if (size == 0) return 0;
    const QByteArray all(reinterpret_cast<const char*>(data + 1), static_cast<qsizetype>(size - 1));
    static const QByteArray separator("\n==TOPICS==\n");
    const qsizetype cut = all.indexOf(separator);
    USaveBincc::BuildInput input;
    input.certificatesDir = certificates();
    if (data[0] & 1) input.parGen = cut < 0 ? all : all.left(cut);
    if (data[0] & 2) input.topics = cut < 0 ? QByteArray() : all.mid(cut + separator.size());

    USaveBincc::BuildState state;
    QString error;
    if (USaveBincc::Build_Banks(state, input, &error)) {
        const QByteArray& b1 = state.bank1Image;
        const QByteArray& b2 = state.bank2Image;
        if (b1.size() != USaveBincc::kBank1Size) std::abort();
        uint32_t sum = 0;
        for (int i = 0; i < USaveBincc::kBank1ChecksumOffset; ++i) sum += static_cast<uint8_t>(b1[i]);
        if (rd32(b1, USaveBincc::kBank1ChecksumOffset) != sum) std::abort();
        if (rd32(b1, USaveBincc::kBank1BaseAddressOffset) != USaveBincc::kBank2Base) std::abort();
        if (b2.size() < USaveBincc::kBank2HeaderSize || b2.size() > USaveBincc::kBank2Capacity) std::abort();
        if (b2[USaveBincc::kEmptyTextOffset] != 0) std::abort();
        // Every header pointer stays inside the image.
        for (qsizetype at : {8, 101, 105, 109, 117, 129, 141, 149, 161, 165, 212}) {
            const uint32_t p = rd32(b2, at);
            if (p < USaveBincc::kBank2Base || p - USaveBincc::kBank2Base > static_cast<uint32_t>(b2.size())) std::abort();
        }
    } else {
        if (error.isEmpty()) std::abort();
        if (!state.bank1Image.isEmpty() || !state.bank2Image.isEmpty()) std::abort();
    }
    return 0;
}
