#include "mbus/Aes128.h"
#include "tests/mbus/AesOracle.h"

#include <gtest/gtest.h>

#include <random>

using aes_oracle::arr;
using aes_oracle::hex;

namespace {

std::vector<uint8_t> toVec(const TAESBlock& b) { return {b.begin(), b.end()}; }

// A stream that takes at most `limit` bytes in total, to show short writes.
class ShortWriteStream final : public TByteStream {
public:
    explicit ShortWriteStream(int64_t limit) : limit_(limit) {}
    int64_t Read(uint8_t*, int64_t) override { return 0; }
    int64_t Write(const uint8_t* b, int64_t n) override {
        const int64_t k = std::min(n, limit_ - int64_t(bytes.size()));
        bytes.insert(bytes.end(), b, b + k);
        return k;
    }
    int64_t Position() const override { return int64_t(bytes.size()); }
    void Seek(int64_t) override {}
    int64_t Size() const override { return int64_t(bytes.size()); }
    std::vector<uint8_t> bytes;

private:
    int64_t limit_;
};

// A stream that claims more bytes than it can deliver.
class ShortReadStream final : public TByteStream {
public:
    int64_t Read(uint8_t* b, int64_t n) override { return n > 0 ? std::min<int64_t>(n, 5) : 0; }
    int64_t Write(const uint8_t*, int64_t n) override { return n; }
    int64_t Position() const override { return 0; }
    void Seek(int64_t) override {}
    int64_t Size() const override { return 32; }
};

const std::string kSp800Key = "2b7e151628aed2a6abf7158809cf4f3c";
const std::string kSp800Plain =
    "6bc1bee22e409f96e93d7e117393172a ae2d8a571e03ac9c9eb76fac45af8e51"
    "30c81c46a35ce411e5fbc1191a0a52ef f69f2445df4f9b17ad2b417be66c3710";

}  // namespace

TEST(Aes128, PublishedBlockVectorsEncryptAndDecryptBack) {
    struct Case {
        const char* name;
        std::string key, plain, cipher;
    } cases[] = {
        {"FIPS-197 appendix B", "2b7e151628aed2a6abf7158809cf4f3c", "3243f6a8885a308d313198a2e0370734",
         "3925841d02dc09fbdc118597196a0b32"},
        {"FIPS-197 appendix C.1", "000102030405060708090a0b0c0d0e0f", "00112233445566778899aabbccddeeff",
         "69c4e0d86a7b0430d8cdb78070b4c55a"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        TAESExpandedKey128 enc, dec;
        AesExpandKey128(arr<16>(c.key), enc);
        AesExpandDecryptionKey128(arr<16>(c.key), dec);
        TAESBlock out;
        AesEncryptBlock(arr<16>(c.plain), enc, out);
        EXPECT_EQ(toVec(out), hex(c.cipher));
        AesDecryptBlock(out, dec, out);
        EXPECT_EQ(toVec(out), hex(c.plain));
    }
}

TEST(Aes128, KeyScheduleMatchesFips197AppendixA1) {
    TAESExpandedKey128 w;
    AesExpandKey128(arr<16>(kSp800Key), w);
    EXPECT_EQ(w[4], 0xa0fafe17u);
    EXPECT_EQ(w[23], 0x11f915bcu);
    EXPECT_EQ(w[43], 0xb6630ca6u);
    // The decryption schedule keeps the first and last round keys and changes the inner ones.
    TAESExpandedKey128 d = w;
    AesInvertKeySchedule(d);
    for (int i : {0, 1, 2, 3, 40, 41, 42, 43}) EXPECT_EQ(d[i], w[i]) << i;
    for (int i = 4; i < 40; ++i) EXPECT_NE(d[i], w[i]) << i;
}

TEST(Aes128, CbcDecryptsSp800_38aExample) {
    const auto cipher = hex(
        "7649abac8119b246cee98e9b12e9197d 5086cb9b507219ee95db113a917678b2"
        "73bed6b8e3c1743b7116e69e22229516 3ff1caa1681fac09120eca307586e1a7");
    TMemoryByteStream in(cipher), out;
    AesCbcDecryptStream(in, int64_t(cipher.size()), arr<16>(kSp800Key), out,
                        arr<16>("000102030405060708090a0b0c0d0e0f"));
    EXPECT_EQ(out.Bytes(), hex(kSp800Plain));
}

TEST(Aes128, CmacSubkeysAndTagsOfRfc4493) {
    TAESExpandedKey128 w;
    AesExpandKey128(arr<16>(kSp800Key), w);
    TAESBlock k1, k2;
    AesCmacSubkeys(w, k1, k2);
    EXPECT_EQ(toVec(k1), hex("fbeed618357133667c85e08f7236a8de"));
    EXPECT_EQ(toVec(k2), hex("f7ddac306ae266ccf90bc11ee46d513b"));

    const auto message = hex(kSp800Plain);
    struct Case {
        size_t len;
        std::string tag;
    } cases[] = {
        {0, "bb1d6929e95937287fa37d129b756746"},
        {16, "070a16b46b4d4144f79bdd9dd04a287c"},
        {40, "dfa66747de9ae63030ca32611497c827"},
        {64, "51f0bebf7e3b9d92fc49741779363cfe"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.len);
        TMemoryByteStream s(std::span(message.data(), c.len));
        s.Seek(s.Size());  // the MAC reads from the start whatever the position
        TAESBlock tag;
        AesCmacStream(s, int64_t(c.len), arr<16>(kSp800Key), tag);
        EXPECT_EQ(toVec(tag), hex(c.tag));
    }
}

TEST(Aes128, CmacCoversOnlyTheCountedBytes) {
    const auto message = hex(kSp800Plain);
    TMemoryByteStream s(std::span(message.data(), 32));
    TAESBlock tag;
    AesCmacStream(s, 16, arr<16>(kSp800Key), tag);
    EXPECT_EQ(toVec(tag), hex("070a16b46b4d4144f79bdd9dd04a287c"));
    // A count beyond the stream would MAC bytes that are not there.
    EXPECT_THROW(AesCmacStream(s, 33, arr<16>(kSp800Key), tag), EAESError);
}

TEST(Aes128, BlockHelpers) {
    TAESBlock out;
    AesCmacPadBlock(arr<16>("0102030405060708090a0b0c0d0e0f10"), 3, out);
    EXPECT_EQ(toVec(out), hex("01020380000000000000000000000000"));
    AesCmacPadBlock(arr<16>("0102030405060708090a0b0c0d0e0f10"), 0, out);
    EXPECT_EQ(toVec(out), hex("80000000000000000000000000000000"));
    AesCmacPadBlock(arr<16>("0102030405060708090a0b0c0d0e0f10"), 15, out);
    EXPECT_EQ(toVec(out), hex("0102030405060708090a0b0c0d0e0f80"));
    AesShiftBlockLeft(arr<16>("80000000000000000000000000000181"), out);
    EXPECT_EQ(toVec(out), hex("00000000000000000000000000000302"));
    AesXorBlock(arr<16>("ff00ff00ff00ff00ff00ff00ff00ff00"), arr<16>("0f0f0f0f0f0f0f0f0f0f0f0f0f0f0f0f"), out);
    EXPECT_EQ(toVec(out), hex("f00ff00ff00ff00ff00ff00ff00ff00f"));
}

TEST(Aes128, CbcStreamCountAndPositionRules) {
    const auto key = arr<16>(kSp800Key);
    const auto iv = arr<16>("000102030405060708090a0b0c0d0e0f");
    const auto plain = hex(kSp800Plain);
    const auto cipher = aes_oracle::cbc(true, key.data(), iv.data(), plain);

    {
        SCOPED_TRACE("count 0 at the stream's end decrypts the whole stream");
        TMemoryByteStream in(cipher), out;
        in.Seek(in.Size());
        AesCbcDecryptStream(in, 0, key, out, iv);
        EXPECT_EQ(out.Bytes(), plain);
    }
    {
        SCOPED_TRACE("a count starts at the current position and is cut at the end");
        TMemoryByteStream in(cipher), out;
        in.Seek(32);
        // The block before the position is the chaining value of the first block decrypted.
        TAESIV chain;
        std::copy_n(cipher.begin() + 16, 16, chain.begin());
        AesCbcDecryptStream(in, 1000, key, out, chain);
        EXPECT_EQ(out.Bytes(), std::vector<uint8_t>(plain.begin() + 32, plain.end()));
    }
    {
        SCOPED_TRACE("the output is written at its position");
        TMemoryByteStream in(std::span(cipher.data(), 16));
        TMemoryByteStream out(hex("aabb"));
        out.Seek(2);
        AesCbcDecryptStream(in, 16, key, out, iv);
        std::vector<uint8_t> expected = hex("aabb");
        expected.insert(expected.end(), plain.begin(), plain.begin() + 16);
        EXPECT_EQ(out.Bytes(), expected);
    }
    {
        SCOPED_TRACE("nothing to decrypt has no effect");
        TMemoryByteStream in(cipher), out;
        in.Seek(in.Size());
        AesCbcDecryptStream(in, 16, key, out, iv);
        EXPECT_EQ(out.Size(), 0);
        TMemoryByteStream empty;
        AesCbcDecryptStream(empty, 0, key, out, iv);
        EXPECT_EQ(out.Size(), 0);
    }
}

TEST(Aes128, CbcErrorsCarryTheirMessages) {
    const auto key = arr<16>(kSp800Key);
    const TAESIV iv{};
    auto message = [](auto&& f) {
        try {
            f();
        } catch (const EAESError& e) {
            return std::string(e.what());
        }
        return std::string("no error");
    };
    {
        TMemoryByteStream in(std::vector<uint8_t>(20, 0x11)), out;
        EXPECT_EQ(message([&] { AesCbcDecryptStream(in, 0, key, out, iv); }),
                  "Invalid buffer size for decryption");
        EXPECT_EQ(out.Size(), 0) << "nothing is written";
    }
    {
        TMemoryByteStream in(std::vector<uint8_t>(48, 0x11));
        ShortWriteStream out(20);
        EXPECT_EQ(message([&] { AesCbcDecryptStream(in, 48, key, out, iv); }), "Stream write error");
        EXPECT_EQ(out.bytes.size(), 20u) << "the blocks written before the error stay";
    }
    {
        ShortReadStream in;
        TMemoryByteStream out;
        EXPECT_EQ(message([&] { AesCbcDecryptStream(in, 0, key, out, iv); }), "Stream read error");
    }
}

TEST(Aes128, AgreesWithOpenSslOnRandomKeysAndLengths) {
    std::mt19937 rng(20261210);
    std::uniform_int_distribution<int> byte(0, 255);
    std::uniform_int_distribution<int> blocks(0, 24), extra(0, 15), len(0, 200);
    for (int i = 0; i < 500; ++i) {
        SCOPED_TRACE(i);
        TAESKey128 key;
        TAESIV iv;
        for (auto& b : key) b = uint8_t(byte(rng));
        for (auto& b : iv) b = uint8_t(byte(rng));

        TAESExpandedKey128 enc, dec;
        AesExpandKey128(key, enc);
        AesExpandDecryptionKey128(key, dec);
        TAESBlock block, out;
        for (auto& b : block) b = uint8_t(byte(rng));
        AesEncryptBlock(block, enc, out);
        ASSERT_EQ(out, aes_oracle::ecbEncrypt(key.data(), block.data()));
        AesDecryptBlock(out, dec, out);
        ASSERT_EQ(out, block);

        std::vector<uint8_t> data(size_t(blocks(rng)) * 16);
        for (auto& b : data) b = uint8_t(byte(rng));
        TMemoryByteStream in(data), plain;
        AesCbcDecryptStream(in, 0, key, plain, iv);
        ASSERT_EQ(plain.Bytes(), aes_oracle::cbc(false, key.data(), iv.data(), data));

        std::vector<uint8_t> msg(size_t(len(rng)) + size_t(extra(rng)));
        for (auto& b : msg) b = uint8_t(byte(rng));
        TMemoryByteStream ms(msg);
        TAESBlock tag;
        AesCmacStream(ms, int64_t(msg.size()), key, tag);
        ASSERT_EQ(tag, aes_oracle::cmac(key.data(), msg.data(), msg.size()));
    }
}
