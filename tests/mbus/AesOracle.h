#pragma once
// OpenSSL's libcrypto as an independent oracle for our own AES, and hex helpers for test vectors.
#include <openssl/core_names.h>
#include <openssl/evp.h>
#include <openssl/params.h>

#include <array>
#include <cstdint>
#include <stdexcept>
#include <string>
#include <vector>

namespace aes_oracle {

inline std::vector<uint8_t> hex(const std::string& text) {
    std::vector<uint8_t> out;
    int hi = -1;
    for (char c : text) {
        int v;
        if (c >= '0' && c <= '9') v = c - '0';
        else if (c >= 'a' && c <= 'f') v = c - 'a' + 10;
        else if (c >= 'A' && c <= 'F') v = c - 'A' + 10;
        else continue;  // blanks separate bytes for readability
        if (hi < 0) hi = v;
        else out.push_back(uint8_t(hi * 16 + v)), hi = -1;
    }
    if (hi >= 0) throw std::invalid_argument("odd number of hex digits");
    return out;
}

template <size_t N>
std::array<uint8_t, N> arr(const std::string& text) {
    const auto v = hex(text);
    if (v.size() != N) throw std::invalid_argument("wrong length");
    std::array<uint8_t, N> a{};
    std::copy(v.begin(), v.end(), a.begin());
    return a;
}

// AES-128-CBC without padding; encrypt or decrypt.
inline std::vector<uint8_t> cbc(bool encrypt, const uint8_t* key, const uint8_t* iv, const std::vector<uint8_t>& in) {
    EVP_CIPHER_CTX* ctx = EVP_CIPHER_CTX_new();
    std::vector<uint8_t> out(in.size() + 16);
    int n1 = 0, n2 = 0;
    EVP_CipherInit_ex(ctx, EVP_aes_128_cbc(), nullptr, key, iv, encrypt ? 1 : 0);
    EVP_CIPHER_CTX_set_padding(ctx, 0);
    EVP_CipherUpdate(ctx, out.data(), &n1, in.data(), int(in.size()));
    EVP_CipherFinal_ex(ctx, out.data() + n1, &n2);
    EVP_CIPHER_CTX_free(ctx);
    out.resize(size_t(n1 + n2));
    return out;
}

inline std::array<uint8_t, 16> ecbEncrypt(const uint8_t* key, const uint8_t* block) {
    EVP_CIPHER_CTX* ctx = EVP_CIPHER_CTX_new();
    std::array<uint8_t, 32> out{};
    int n = 0;
    EVP_EncryptInit_ex(ctx, EVP_aes_128_ecb(), nullptr, key, nullptr);
    EVP_CIPHER_CTX_set_padding(ctx, 0);
    EVP_EncryptUpdate(ctx, out.data(), &n, block, 16);
    EVP_CIPHER_CTX_free(ctx);
    std::array<uint8_t, 16> r{};
    std::copy_n(out.begin(), 16, r.begin());
    return r;
}

inline std::array<uint8_t, 16> cmac(const uint8_t* key, const uint8_t* data, size_t len) {
    EVP_MAC* mac = EVP_MAC_fetch(nullptr, "CMAC", nullptr);
    EVP_MAC_CTX* ctx = EVP_MAC_CTX_new(mac);
    char cipher[] = "AES-128-CBC";
    OSSL_PARAM params[] = {OSSL_PARAM_construct_utf8_string(OSSL_MAC_PARAM_CIPHER, cipher, 0), OSSL_PARAM_END};
    std::array<uint8_t, 16> r{};
    size_t outLen = 0;
    EVP_MAC_init(ctx, key, 16, params);
    EVP_MAC_update(ctx, data, len);
    EVP_MAC_final(ctx, r.data(), &outLen, r.size());
    EVP_MAC_CTX_free(ctx);
    EVP_MAC_free(mac);
    if (outLen != 16) throw std::runtime_error("CMAC oracle failed");
    return r;
}

}  // namespace aes_oracle
