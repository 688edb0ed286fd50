#include "mbus/Aes128.h"

#include <algorithm>
#include <bit>
#include <cstring>

namespace {

constexpr uint8_t xtime(uint8_t b) { return static_cast<uint8_t>((b << 1) ^ ((b & 0x80) ? 0x1B : 0x00)); }

constexpr uint8_t gmul(uint8_t a, uint8_t b) {
    uint8_t r = 0;
    while (b) {
        if (b & 1) r ^= a;
        a = xtime(a);
        b >>= 1;
    }
    return r;
}

struct Tables {
    std::array<uint8_t, 256> sbox{};
    std::array<uint8_t, 256> inv{};
    std::array<uint32_t, 256> te{};  // inner encryption rounds, byte position 0; others by rotation
    std::array<uint32_t, 256> td{};  // inner decryption rounds, likewise
};

// The S-box is the multiplicative inverse in GF(2^8) followed by the affine map; the round tables
// fold SubBytes and (Inv)MixColumns for one byte position.
constexpr Tables makeTables() {
    Tables t;
    std::array<uint8_t, 256> expo{}, logt{};
    uint8_t x = 1;
    for (int i = 0; i < 255; ++i) {
        expo[i] = x;
        logt[x] = static_cast<uint8_t>(i);
        x = gmul(x, 3);
    }
    for (int a = 0; a < 256; ++a) {
        uint8_t invA = a == 0 ? 0 : expo[(255 - logt[a]) % 255];
        uint8_t s = invA;
        for (int r = 1; r <= 4; ++r) s ^= static_cast<uint8_t>((invA << r) | (invA >> (8 - r)));
        s ^= 0x63;
        t.sbox[a] = s;
        t.inv[s] = static_cast<uint8_t>(a);
    }
    for (int a = 0; a < 256; ++a) {
        const uint8_t s = t.sbox[a];
        t.te[a] = (uint32_t(gmul(s, 2)) << 24) | (uint32_t(s) << 16) | (uint32_t(s) << 8) | gmul(s, 3);
        const uint8_t v = t.inv[a];
        t.td[a] = (uint32_t(gmul(v, 14)) << 24) | (uint32_t(gmul(v, 9)) << 16) | (uint32_t(gmul(v, 13)) << 8) |
                  gmul(v, 11);
    }
    return t;
}

constexpr Tables T = makeTables();

inline uint32_t te(uint32_t w, int shift, int rot) { return std::rotr(T.te[(w >> shift) & 0xFF], rot); }
inline uint32_t td(uint32_t w, int shift, int rot) { return std::rotr(T.td[(w >> shift) & 0xFF], rot); }

inline uint32_t load(const uint8_t* p) {
    return (uint32_t(p[0]) << 24) | (uint32_t(p[1]) << 16) | (uint32_t(p[2]) << 8) | p[3];
}
inline void store(uint8_t* p, uint32_t w) {
    p[0] = uint8_t(w >> 24);
    p[1] = uint8_t(w >> 16);
    p[2] = uint8_t(w >> 8);
    p[3] = uint8_t(w);
}

inline uint32_t subWord(uint32_t w) {
    return (uint32_t(T.sbox[w >> 24]) << 24) | (uint32_t(T.sbox[(w >> 16) & 0xFF]) << 16) |
           (uint32_t(T.sbox[(w >> 8) & 0xFF]) << 8) | T.sbox[w & 0xFF];
}

// InvMixColumns of a round-key word: the decryption table undoes the S-box it folds in.
uint32_t invMixColumn(uint32_t w) {
    return T.td[T.sbox[w >> 24]] ^ std::rotr(T.td[T.sbox[(w >> 16) & 0xFF]], 8) ^
           std::rotr(T.td[T.sbox[(w >> 8) & 0xFF]], 16) ^ std::rotr(T.td[T.sbox[w & 0xFF]], 24);
}

void readBlock(TByteStream& s, TAESBlock& block) {
    if (s.Read(block.data(), 16) != 16) throw EAESError(QStringLiteral("Stream read error"));
}

}  // namespace

// --- stream ---------------------------------------------------------------------------------------

int64_t TMemoryByteStream::Read(uint8_t* buffer, int64_t count) {
    const int64_t n = std::clamp<int64_t>(Size() - pos_, 0, std::max<int64_t>(count, 0));
    if (n > 0) std::memcpy(buffer, data_.data() + pos_, size_t(n));
    pos_ += n;
    return n;
}

int64_t TMemoryByteStream::Write(const uint8_t* buffer, int64_t count) {
    if (count <= 0) return 0;
    if (pos_ + count > Size()) data_.resize(size_t(pos_ + count));
    std::memcpy(data_.data() + pos_, buffer, size_t(count));
    pos_ += count;
    return count;
}

void TMemoryByteStream::Seek(int64_t position) { pos_ = std::clamp<int64_t>(position, 0, Size()); }

// --- block cipher ----------------------------------------------------------------------------------

void AesExpandKey128(const TAESKey128& key, TAESExpandedKey128& w) {
    for (int i = 0; i < 4; ++i) w[i] = load(key.data() + 4 * i);
    uint8_t rcon = 0x01;
    for (int i = 4; i < 44; ++i) {
        uint32_t t = w[i - 1];
        if (i % 4 == 0) {
            t = subWord(std::rotl(t, 8)) ^ (uint32_t(rcon) << 24);
            rcon = xtime(rcon);
        }
        w[i] = w[i - 4] ^ t;
    }
}

void AesInvertKeySchedule(TAESExpandedKey128& w) {
    for (int i = 4; i < 40; ++i) w[i] = invMixColumn(w[i]);
}

void AesExpandDecryptionKey128(const TAESKey128& key, TAESExpandedKey128& schedule) {
    AesExpandKey128(key, schedule);
    AesInvertKeySchedule(schedule);
}

void AesEncryptBlock(const TAESBlock& in, const TAESExpandedKey128& rk, TAESBlock& out) {
    uint32_t s0 = load(in.data()) ^ rk[0], s1 = load(in.data() + 4) ^ rk[1];
    uint32_t s2 = load(in.data() + 8) ^ rk[2], s3 = load(in.data() + 12) ^ rk[3];
    for (int r = 1; r < 10; ++r) {
        const uint32_t* k = rk.data() + 4 * r;
        const uint32_t t0 = te(s0, 24, 0) ^ te(s1, 16, 8) ^ te(s2, 8, 16) ^ te(s3, 0, 24) ^ k[0];
        const uint32_t t1 = te(s1, 24, 0) ^ te(s2, 16, 8) ^ te(s3, 8, 16) ^ te(s0, 0, 24) ^ k[1];
        const uint32_t t2 = te(s2, 24, 0) ^ te(s3, 16, 8) ^ te(s0, 8, 16) ^ te(s1, 0, 24) ^ k[2];
        const uint32_t t3 = te(s3, 24, 0) ^ te(s0, 16, 8) ^ te(s1, 8, 16) ^ te(s2, 0, 24) ^ k[3];
        s0 = t0, s1 = t1, s2 = t2, s3 = t3;
    }
    auto last = [](uint32_t a, uint32_t b, uint32_t c, uint32_t d) {
        return (uint32_t(T.sbox[a >> 24]) << 24) | (uint32_t(T.sbox[(b >> 16) & 0xFF]) << 16) |
               (uint32_t(T.sbox[(c >> 8) & 0xFF]) << 8) | T.sbox[d & 0xFF];
    };
    store(out.data(), last(s0, s1, s2, s3) ^ rk[40]);
    store(out.data() + 4, last(s1, s2, s3, s0) ^ rk[41]);
    store(out.data() + 8, last(s2, s3, s0, s1) ^ rk[42]);
    store(out.data() + 12, last(s3, s0, s1, s2) ^ rk[43]);
}

void AesDecryptBlock(const TAESBlock& in, const TAESExpandedKey128& rk, TAESBlock& out) {
    uint32_t s0 = load(in.data()) ^ rk[40], s1 = load(in.data() + 4) ^ rk[41];
    uint32_t s2 = load(in.data() + 8) ^ rk[42], s3 = load(in.data() + 12) ^ rk[43];
    for (int r = 9; r >= 1; --r) {
        const uint32_t* k = rk.data() + 4 * r;
        const uint32_t t0 = td(s0, 24, 0) ^ td(s3, 16, 8) ^ td(s2, 8, 16) ^ td(s1, 0, 24) ^ k[0];
        const uint32_t t1 = td(s1, 24, 0) ^ td(s0, 16, 8) ^ td(s3, 8, 16) ^ td(s2, 0, 24) ^ k[1];
        const uint32_t t2 = td(s2, 24, 0) ^ td(s1, 16, 8) ^ td(s0, 8, 16) ^ td(s3, 0, 24) ^ k[2];
        const uint32_t t3 = td(s3, 24, 0) ^ td(s2, 16, 8) ^ td(s1, 8, 16) ^ td(s0, 0, 24) ^ k[3];
        s0 = t0, s1 = t1, s2 = t2, s3 = t3;
    }
    auto last = [](uint32_t a, uint32_t b, uint32_t c, uint32_t d) {
        return (uint32_t(T.inv[a >> 24]) << 24) | (uint32_t(T.inv[(b >> 16) & 0xFF]) << 16) |
               (uint32_t(T.inv[(c >> 8) & 0xFF]) << 8) | T.inv[d & 0xFF];
    };
    store(out.data(), last(s0, s3, s2, s1) ^ rk[0]);
    store(out.data() + 4, last(s1, s0, s3, s2) ^ rk[1]);
    store(out.data() + 8, last(s2, s1, s0, s3) ^ rk[2]);
    store(out.data() + 12, last(s3, s2, s1, s0) ^ rk[3]);
}

// --- CMAC ------------------------------------------------------------------------------------------

void AesCmacPadBlock(const TAESBlock& partial, int n, TAESBlock& out) {
    n = std::clamp(n, 0, 15);
    TAESBlock r{};
    std::copy_n(partial.begin(), n, r.begin());
    r[size_t(n)] = 0x80;
    out = r;
}

void AesXorBlock(const TAESBlock& a, const TAESBlock& b, TAESBlock& out) {
    for (size_t i = 0; i < 16; ++i) out[i] = a[i] ^ b[i];
}

void AesShiftBlockLeft(const TAESBlock& in, TAESBlock& out) {
    TAESBlock r{};
    for (size_t i = 0; i < 16; ++i) r[i] = uint8_t((in[i] << 1) | (i < 15 ? in[i + 1] >> 7 : 0));
    out = r;
}

void AesCmacSubkeys(const TAESExpandedKey128& schedule, TAESBlock& k1, TAESBlock& k2) {
    TAESBlock l{};
    AesEncryptBlock(l, schedule, l);
    const bool l1 = l[0] & 0x80;
    AesShiftBlockLeft(l, k1);
    if (l1) k1[15] ^= 0x87;
    const bool k11 = k1[0] & 0x80;
    AesShiftBlockLeft(k1, k2);
    if (k11) k2[15] ^= 0x87;
}

void AesCmacStream(TByteStream& stream, int64_t count, const TAESKey128& key, TAESBlock& result) {
    TAESExpandedKey128 schedule;
    AesExpandKey128(key, schedule);
    AesCmacStreamExpanded(stream, count, schedule, result);
}

void AesCmacStreamExpanded(TByteStream& stream, int64_t count, const TAESExpandedKey128& schedule,
                           TAESBlock& result) {
    // A MAC over bytes the stream does not hold would cover whatever happened to be in the buffer.
    if (count < 0 || count > stream.Size()) throw EAESError(QStringLiteral("Stream read error"));
    TAESBlock k1, k2;
    AesCmacSubkeys(schedule, k1, k2);
    const int64_t n = std::max<int64_t>((count + 15) / 16, 1);
    const bool complete = count > 0 && count % 16 == 0;

    TAESBlock last{};
    stream.Seek((n - 1) * 16);
    const int64_t tail = complete ? 16 : count % 16;
    if (stream.Read(last.data(), tail) != tail) throw EAESError(QStringLiteral("Stream read error"));
    if (complete) {
        AesXorBlock(last, k1, last);
    } else {
        AesCmacPadBlock(last, int(tail), last);
        AesXorBlock(last, k2, last);
    }

    stream.Seek(0);
    TAESBlock x{}, block;
    for (int64_t i = 0; i < n - 1; ++i) {
        readBlock(stream, block);
        AesXorBlock(x, block, x);
        AesEncryptBlock(x, schedule, x);
    }
    AesXorBlock(x, last, x);
    AesEncryptBlock(x, schedule, result);
}

// --- CBC -------------------------------------------------------------------------------------------

void AesCbcDecryptStream(TByteStream& in, int64_t count, const TAESKey128& key, TByteStream& out,
                         const TAESIV& iv) {
    TAESExpandedKey128 schedule;
    AesExpandDecryptionKey128(key, schedule);
    AesCbcDecryptStreamExpanded(in, count, schedule, out, iv);
}

void AesCbcDecryptStreamExpanded(TByteStream& in, int64_t count, const TAESExpandedKey128& schedule,
                                 TByteStream& out, const TAESIV& iv) {
    int64_t todo;
    if (count != 0) {
        todo = std::min(count, in.Size() - in.Position());
    } else {
        in.Seek(0);
        todo = in.Size();
    }
    if (todo <= 0) return;
    if (todo % 16 != 0) throw EAESError(QStringLiteral("Invalid buffer size for decryption"));

    TAESBlock chain = iv, cipher, plain;
    for (int64_t done = 0; done < todo; done += 16) {
        readBlock(in, cipher);
        AesDecryptBlock(cipher, schedule, plain);
        AesXorBlock(plain, chain, plain);
        if (out.Write(plain.data(), 16) != 16) throw EAESError(QStringLiteral("Stream write error"));
        chain = cipher;
    }
}
