#pragma once
// The byte streams the node stream reads and writes: a position, a size that can also shrink, and
// reads that say how much arrived. A memory stream keeps its bytes itself; a device stream stands on
// any seekable QIODevice (a file, a buffer). No widget header: the node stream is tested and fuzzed
// without a display.
#include <QByteArray>
#include <cstdint>
#include <stdexcept>
#include <string>

class QIODevice;

// A failure of the stream itself: a read that got fewer bytes than it needed, a write, a seek or a
// size change the device refused.
class EStreamError : public std::runtime_error {
public:
    explicit EStreamError(const std::string& message) : std::runtime_error(message) {}
};

class TStream {
public:
    virtual ~TStream() = default;
    // Reads up to Count bytes; answers how many arrived (0 at the end).
    virtual int64_t Read(void* Buffer, int64_t Count) = 0;
    // Writes all Count bytes at the position or raises EStreamError.
    virtual void Write(const void* Buffer, int64_t Count) = 0;
    virtual int64_t Position() const = 0;
    // A position past the end is allowed; the next write fills the gap.
    virtual void Seek(int64_t Position) = 0;
    virtual int64_t Size() const = 0;
    // Cuts or extends the stream; a position past the new end moves to it.
    virtual void SetSize(int64_t NewSize) = 0;

    // Reads exactly Count bytes or raises EStreamError ("Stream read error").
    void ReadBuffer(void* Buffer, int64_t Count);
};

class TMemoryStream final : public TStream {
public:
    TMemoryStream() = default;
    explicit TMemoryStream(QByteArray Bytes) : data_(std::move(Bytes)) {}
    int64_t Read(void* Buffer, int64_t Count) override;
    void Write(const void* Buffer, int64_t Count) override;
    int64_t Position() const override { return pos_; }
    void Seek(int64_t Position) override;
    int64_t Size() const override { return data_.size(); }
    void SetSize(int64_t NewSize) override;
    const QByteArray& Data() const { return data_; }

private:
    QByteArray data_;
    int64_t pos_ = 0;
};

// The device must be open and random-access; it stays owned by the caller. Shrinking works on files
// and buffers.
class TDeviceStream final : public TStream {
public:
    explicit TDeviceStream(QIODevice& Device) : device_(Device) {}
    int64_t Read(void* Buffer, int64_t Count) override;
    void Write(const void* Buffer, int64_t Count) override;
    int64_t Position() const override;
    void Seek(int64_t Position) override;
    int64_t Size() const override;
    void SetSize(int64_t NewSize) override;

private:
    QIODevice& device_;
};
