#pragma once
// AES-128 for the wireless telegram decoder: the block cipher (table form, equivalent inverse
// cipher for decryption), CMAC over the first bytes of a stream, and CBC decryption from one stream
// into another. Written here so that the program carries no crypto library.
#include "platform/XmlDoc.h"  // plat::Error

#include <array>
#include <cstdint>
#include <span>
#include <vector>

using TAESKey128 = std::array<uint8_t, 16>;
using TAESBlock = std::array<uint8_t, 16>;
using TAESIV = TAESBlock;
// 11 round keys of 4 words, each word's first byte in its most significant bits.
using TAESExpandedKey128 = std::array<uint32_t, 44>;

class EAESError : public plat::Error {
public:
    using plat::Error::Error;
};

// A seekable stream of bytes. Read and Write return the number of bytes actually moved.
class TByteStream {
public:
    virtual ~TByteStream() = default;
    virtual int64_t Read(uint8_t* buffer, int64_t count) = 0;
    virtual int64_t Write(const uint8_t* buffer, int64_t count) = 0;
    virtual int64_t Position() const = 0;
    virtual void Seek(int64_t position) = 0;  // clamped to 0 .. Size()
    virtual int64_t Size() const = 0;
};

// Bytes in memory; writing past the end grows the stream.
class TMemoryByteStream final : public TByteStream {
public:
    TMemoryByteStream() = default;
    explicit TMemoryByteStream(std::span<const uint8_t> bytes) : data_(bytes.begin(), bytes.end()) {}

    int64_t Read(uint8_t* buffer, int64_t count) override;
    int64_t Write(const uint8_t* buffer, int64_t count) override;
    int64_t Position() const override { return pos_; }
    void Seek(int64_t position) override;
    int64_t Size() const override { return static_cast<int64_t>(data_.size()); }

    const std::vector<uint8_t>& Bytes() const { return data_; }

private:
    std::vector<uint8_t> data_;
    int64_t pos_ = 0;
};

void AesExpandKey128(const TAESKey128& key, TAESExpandedKey128& schedule);
void AesInvertKeySchedule(TAESExpandedKey128& schedule);
void AesExpandDecryptionKey128(const TAESKey128& key, TAESExpandedKey128& schedule);

void AesEncryptBlock(const TAESBlock& in, const TAESExpandedKey128& schedule, TAESBlock& out);
void AesDecryptBlock(const TAESBlock& in, const TAESExpandedKey128& schedule, TAESBlock& out);

// out = the first n bytes of partial, then 0x80, then zeros (n is 0..15).
void AesCmacPadBlock(const TAESBlock& partial, int n, TAESBlock& out);
void AesXorBlock(const TAESBlock& a, const TAESBlock& b, TAESBlock& out);
void AesShiftBlockLeft(const TAESBlock& in, TAESBlock& out);
void AesCmacSubkeys(const TAESExpandedKey128& schedule, TAESBlock& k1, TAESBlock& k2);

// CMAC of the first count bytes of the stream, always read from position 0.
void AesCmacStream(TByteStream& stream, int64_t count, const TAESKey128& key, TAESBlock& result);
void AesCmacStreamExpanded(TByteStream& stream, int64_t count, const TAESExpandedKey128& schedule,
                           TAESBlock& result);

// CBC decryption of count bytes from the input's position (count 0: the whole input from its start);
// the plaintext is written at the output's position.
void AesCbcDecryptStream(TByteStream& in, int64_t count, const TAESKey128& key, TByteStream& out,
                         const TAESIV& iv);
void AesCbcDecryptStreamExpanded(TByteStream& in, int64_t count, const TAESExpandedKey128& schedule,
                                 TByteStream& out, const TAESIV& iv);
