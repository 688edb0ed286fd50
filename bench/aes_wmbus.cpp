// Our AES-128 CBC decryption and wireless telegram decoding, each beside OpenSSL's AES-128-CBC on
// the same bytes in the same run.
#include "mbus/Aes128.h"
#include "mbus/UWMBusDecode.h"

#include <benchmark/benchmark.h>
#include <openssl/evp.h>

#include <random>

namespace {

const TAESKey128 kKey = {0x01, 0x02, 0x03, 0x04, 0x05, 0x06, 0x07, 0x08,
                         0x09, 0x0A, 0x0B, 0x0C, 0x0D, 0x0E, 0x0F, 0x11};

std::vector<uint8_t> randomBytes(size_t n, unsigned seed) {
    std::mt19937 rng(seed);
    std::vector<uint8_t> v(n);
    for (auto& b : v) b = uint8_t(rng());
    return v;
}

void opensslCbcDecrypt(EVP_CIPHER_CTX* ctx, const uint8_t* key, const uint8_t* iv, const uint8_t* in, int n,
                       uint8_t* out) {
    int n1 = 0, n2 = 0;
    EVP_DecryptInit_ex(ctx, EVP_aes_128_cbc(), nullptr, key, iv);
    EVP_CIPHER_CTX_set_padding(ctx, 0);
    EVP_DecryptUpdate(ctx, out, &n1, in, n);
    EVP_DecryptFinal_ex(ctx, out + n1, &n2);
}

void opensslCbcEncrypt(const uint8_t* key, const uint8_t* iv, std::vector<uint8_t>& data) {
    EVP_CIPHER_CTX* ctx = EVP_CIPHER_CTX_new();
    std::vector<uint8_t> out(data.size() + 16);
    int n1 = 0, n2 = 0;
    EVP_EncryptInit_ex(ctx, EVP_aes_128_cbc(), nullptr, key, iv);
    EVP_CIPHER_CTX_set_padding(ctx, 0);
    EVP_EncryptUpdate(ctx, out.data(), &n1, data.data(), int(data.size()));
    EVP_EncryptFinal_ex(ctx, out.data() + n1, &n2);
    EVP_CIPHER_CTX_free(ctx);
    std::copy_n(out.begin(), data.size(), data.begin());
}

void BM_CbcDecrypt_Ours(benchmark::State& state) {
    const auto n = size_t(state.range(0));
    const auto data = randomBytes(n, 1);
    const TAESIV iv{};
    TMemoryByteStream in(data), out;
    for (auto _ : state) {
        in.Seek(0);
        out.Seek(0);
        AesCbcDecryptStream(in, int64_t(n), kKey, out, iv);
        benchmark::DoNotOptimize(out.Bytes().data());
    }
    state.SetBytesProcessed(int64_t(state.iterations()) * int64_t(n));
}

void BM_CbcDecrypt_OpenSSL(benchmark::State& state) {
    const auto n = size_t(state.range(0));
    const auto data = randomBytes(n, 1);
    const TAESIV iv{};
    std::vector<uint8_t> out(n + 16);
    EVP_CIPHER_CTX* ctx = EVP_CIPHER_CTX_new();
    for (auto _ : state) {
        opensslCbcDecrypt(ctx, kKey.data(), iv.data(), data.data(), int(n), out.data());
        benchmark::DoNotOptimize(out.data());
    }
    EVP_CIPHER_CTX_free(ctx);
    state.SetBytesProcessed(int64_t(state.iterations()) * int64_t(n));
}

BENCHMARK(BM_CbcDecrypt_Ours)->Arg(32)->Arg(4096)->Arg(1 << 20);
BENCHMARK(BM_CbcDecrypt_OpenSSL)->Arg(32)->Arg(4096)->Arg(1 << 20);

// Mode 5 telegrams behind an extended link layer, from 16 meters, each with its key set: a volume,
// a date and time and the error flags, as a gas meter sends them.
struct Telegrams {
    std::vector<std::vector<uint8_t>> datagrams;
    static constexpr int kPayloadAt = 18, kPayloadLen = 32;

    Telegrams() {
        const std::vector<uint8_t> plain = {0x2F, 0x2F, 0x0C, 0x14, 0x27, 0x04, 0x85, 0x02, 0x04, 0x6D, 0x32,
                                            0x37, 0x1F, 0x15, 0x02, 0xFD, 0x17, 0x00, 0x00, 0x2F, 0x2F, 0x2F,
                                            0x2F, 0x2F, 0x2F, 0x2F, 0x2F, 0x2F, 0x2F, 0x2F, 0x2F, 0x2F};
        for (uint8_t i = 0; i < 16; ++i) {
            std::vector<uint8_t> t = {0x00, 0x44, 0x93, 0x15, uint8_t(0x10 + i), 0x56, 0x34, 0x12, 0x33, 0x03,
                                      0x8C, 0x20, 0x2A, 0x7A, uint8_t(0x40 + i), 0x00, 0x20, 0x05};
            TAESIV iv;
            std::copy_n(t.begin() + 2, 8, iv.begin());
            std::fill(iv.begin() + 8, iv.end(), t[14]);
            std::vector<uint8_t> cipher = plain;
            opensslCbcEncrypt(kKey.data(), iv.data(), cipher);
            t.insert(t.end(), cipher.begin(), cipher.end());
            t[0] = uint8_t(t.size() - 1);
            t.push_back(0x00);  // Telit trailer
            t.push_back(0x50);
            datagrams.push_back(std::move(t));
        }
    }
};

void BM_Telegrams_Ours(benchmark::State& state) {
    const Telegrams set;
    mbus::TWMBusSlaveList list;
    const QDateTime now = QDateTime::currentDateTime();
    for (const auto& d : set.datagrams) list.Set_Key(mbus::Decode_Wireless_Frame(list, mbus::TRadioModule::rmTelit, d, now), kKey);
    size_t i = 0;
    for (auto _ : state) {
        const int index = mbus::Decode_Wireless_Frame(list, mbus::TRadioModule::rmTelit, set.datagrams[i++ % 16], now);
        benchmark::DoNotOptimize(index);
    }
    if (list.Snapshot(0)->Cripted) state.SkipWithError("telegrams were not decrypted");
    state.SetItemsProcessed(int64_t(state.iterations()));
}

void BM_Telegrams_OpenSSL(benchmark::State& state) {
    const Telegrams set;
    EVP_CIPHER_CTX* ctx = EVP_CIPHER_CTX_new();
    uint8_t out[Telegrams::kPayloadLen + 16];
    size_t i = 0;
    for (auto _ : state) {
        const auto& d = set.datagrams[i++ % 16];
        TAESIV iv;
        std::copy_n(d.begin() + 2, 8, iv.begin());
        std::fill(iv.begin() + 8, iv.end(), d[14]);
        opensslCbcDecrypt(ctx, kKey.data(), iv.data(), d.data() + Telegrams::kPayloadAt, Telegrams::kPayloadLen, out);
        benchmark::DoNotOptimize(out);
    }
    EVP_CIPHER_CTX_free(ctx);
    state.SetItemsProcessed(int64_t(state.iterations()));
}

BENCHMARK(BM_Telegrams_Ours);
BENCHMARK(BM_Telegrams_OpenSSL);

}  // namespace

BENCHMARK_MAIN();
