#pragma once
// A serial line of the operating system (termios), one object an open device. The serial-port
// component works through this interface only, so tests can stand in a line of their own for
// what a pseudo-terminal cannot show (modem lines, breaks, line errors).
//
// Every operation answers 0 on success or the system's error code (errno); nothing here throws.
#include <QString>
#include <cstddef>
#include <cstdint>
#include <memory>

namespace plat {

// Line events, as masks of one 32-bit word.
constexpr uint32_t EV_RXCHAR = 0x0001;   // bytes arrived in the input queue
constexpr uint32_t EV_RXFLAG = 0x0002;   // the event character arrived
constexpr uint32_t EV_TXEMPTY = 0x0004;  // the output queue ran empty
constexpr uint32_t EV_CTS = 0x0008;      // CTS changed
constexpr uint32_t EV_DSR = 0x0010;      // DSR changed
constexpr uint32_t EV_RLSD = 0x0020;     // carrier detect changed
constexpr uint32_t EV_BREAK = 0x0040;    // a break was received
constexpr uint32_t EV_ERR = 0x0080;      // a framing, overrun or parity error
constexpr uint32_t EV_RING = 0x0100;     // the ring indicator went off

// Line errors since they were last cleared.
constexpr uint32_t CE_RXOVER = 0x0001;    // input buffer overflow
constexpr uint32_t CE_OVERRUN = 0x0002;   // a character was lost by the receiver
constexpr uint32_t CE_RXPARITY = 0x0004;  // parity error
constexpr uint32_t CE_FRAME = 0x0008;     // framing error
constexpr uint32_t CE_BREAK = 0x0010;     // break received

// Modem input lines.
constexpr uint32_t MS_CTS_ON = 0x0010;
constexpr uint32_t MS_DSR_ON = 0x0020;
constexpr uint32_t MS_RING_ON = 0x0040;
constexpr uint32_t MS_RLSD_ON = 0x0080;

enum class SerialParity { None, Odd, Even, Mark, Space };
enum class SerialStopBits { One, OnePointFive, Two };

// The line's settings as a whole: read, changed and written back in one piece.
struct SerialLineSettings {
    uint32_t BaudRate = 9600;
    SerialParity Parity = SerialParity::None;
    int ByteSize = 8;
    SerialStopBits StopBits = SerialStopBits::One;
    // Flow control.
    bool RtsCtsFlow = false;  // hardware handshake on RTS/CTS
    bool DtrDsrFlow = false;  // hardware handshake on DTR/DSR
    bool OutX = false;        // output stops at XOFF, goes on at XON
    bool InX = false;         // XOFF and XON sent as the input queue fills and drains
    // Options.
    bool ParityCheck = false;
    bool DsrSensitivity = false;     // drop bytes while DSR is off
    bool TxContinueOnXoff = false;   // keep sending after XOFF was sent
    bool ErrorCharReplace = false;   // replace bytes with a parity error by ErrorChar
    bool NullStrip = false;          // drop received null bytes
    // Characters.
    uint8_t XonChar = 17;
    uint8_t XoffChar = 19;
    uint8_t ErrorChar = 0;
    uint8_t EofChar = 0;
    uint8_t EvtChar = 0;
    // Input-queue levels for the XON/XOFF input handshake.
    int XonLim = 0;
    int XoffLim = 0;
};

// What the line holds back and how full its queues are.
struct SerialQueueStatus {
    bool CtsHold = false;
    bool DsrHold = false;
    bool RlsdHold = false;
    bool XoffHold = false;
    bool XoffSent = false;
    int InQue = 0;
    int OutQue = 0;
};

enum class SerialEscape { SetDtr, ClrDtr, SetRts, ClrRts, SetBreak, ClrBreak, SetXon, SetXoff };

class SerialLine {
public:
    virtual ~SerialLine() = default;  // closes the device

    // Whether the device is a character device (a serial line can only be one).
    virtual bool isCharacterDevice() const = 0;

    virtual int getSettings(SerialLineSettings& settings) = 0;
    // Writes every setting; one that the line cannot honour fails with EINVAL, and then nothing
    // was changed.
    virtual int setSettings(const SerialLineSettings& settings) = 0;
    // Reads return at once with what has arrived.
    virtual int setImmediateReads() = 0;
    virtual int setupBuffers(int readSize, int writeSize) = 0;

    // Takes up to `size` bytes that have arrived; `got` is 0 when none has.
    virtual int read(void* buffer, size_t size, size_t& got) = 0;
    // Writes all `size` bytes, waiting up to `timeoutMs` for the driver to take them, or until
    // `abortHandle` (a descriptor, -1 for none) becomes readable. `written` is what the driver
    // took; `timedOut` is set when it did not take everything in time. Nothing touches `buffer`
    // after the call returned.
    virtual int write(const void* buffer, size_t size, int timeoutMs, int abortHandle, size_t& written,
                      bool& timedOut) = 0;

    virtual int inQueue(int& count) = 0;
    virtual int outQueue(int& count) = 0;
    virtual int purge(bool input, bool output) = 0;
    virtual int escape(SerialEscape function) = 0;
    virtual int modemStatus(uint32_t& lines) = 0;
    // The line errors (CE_ bits) since the last call, and the queue status.
    virtual int clearErrors(uint32_t& errors, SerialQueueStatus& status) = 0;

    // Blocks until one of the events in `mask` (EV_ bits) happens, or until `stopHandle` (a
    // descriptor) becomes readable; `events` then holds the events (0 when stopped). Only one
    // thread waits at a time.
    virtual int waitEvent(uint32_t mask, int stopHandle, uint32_t& events) = 0;
};

// Opens a device of the system for reading and writing, for this process alone. The result is
// null with `error` set when the device cannot be opened. A device that is not a character device
// is opened, and the caller tells by `isCharacterDevice`.
std::unique_ptr<SerialLine> openSerialLine(const QString& device, int& error);

}  // namespace plat
