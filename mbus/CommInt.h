#pragma once
// The serial-port component: opens a serial line, applies its settings, reads and writes under a
// critical section, and runs one event thread an open port whose line events reach the handlers
// on the user-interface thread.
#include "mbus/CommObjs.h"
#include "platform/SerialLine.h"
#include "platform/XmlDoc.h"  // plat::Error

#include <QObject>
#include <QString>
#include <atomic>
#include <cstdint>
#include <functional>
#include <initializer_list>
#include <memory>
#include <mutex>
#include <thread>

namespace mbus {

// A failure of the serial port. The message ends in " (Error: n) " with the system's error code,
// or -1 for the component's own refusals.
class ECommError : public plat::Error {
public:
    ECommError(const QString& message, int errorCode);
    int ErrorCode() const { return FErrorCode; }

private:
    int FErrorCode;
};

[[noreturn]] void RaiseCommError(const QString& message, int errorCode);

enum TBaudrate : uint8_t {
    br110, br300, br600, br1200, br2400, br4800, br9600, br14400, br19200, br38400, br56000, br57600,
    br115200, br128000, br256000, br1500000, br3000000
};
enum TParity : uint8_t { paNone, paOdd, paEven, paMark, paSpace };
enum TStopbits : uint8_t { sb10, sb15, sb20 };
enum TDatabits : uint8_t { da4, da5, da6, da7, da8 };
enum TFlowControl : uint8_t { fcNone, fcCTS, fcDTR, fcSoftware, fcDefault };
enum TCommOption : uint8_t { coParityCheck, coDsrSensitivity, coIgnoreXOff, coErrorChar, coNullStrip };
enum TCommEventType : uint8_t { evBreak, evCts, evDsr, evError, evRing, evRlsd, evRxChar, evRxFlag, evTxEmpty };

// The bits per second of each TBaudrate.
uint32_t BaudRateValue(TBaudrate rate);

// A set of the values of a small enumeration.
template <typename E, int Count>
class TEnumSet {
public:
    constexpr TEnumSet() = default;
    constexpr TEnumSet(std::initializer_list<E> values) {
        for (E v : values) Include(v);
    }
    static constexpr TEnumSet All() {
        TEnumSet s;
        s.FBits = (1u << Count) - 1;
        return s;
    }
    constexpr bool Contains(E v) const { return FBits & (1u << v); }
    constexpr void Include(E v) { FBits |= 1u << v; }
    constexpr void Exclude(E v) { FBits &= ~(1u << v); }
    constexpr bool Empty() const { return FBits == 0; }
    constexpr bool operator==(const TEnumSet&) const = default;

private:
    uint32_t FBits = 0;
};

using TCommOptions = TEnumSet<TCommOption, 5>;
using TCommEventTypes = TEnumSet<TCommEventType, 9>;

// The union of the line's event masks (EV_ bits) of a set of event types.
uint32_t EventMaskOf(TCommEventTypes events);

class TCustomComm;
class TCommEventThread;

using TNotifyEvent = std::function<void(TCustomComm* Sender)>;
using TCommRxCharEvent = std::function<void(TCustomComm* Sender, int Count)>;
using TCommErrorEvent = std::function<void(TCustomComm* Sender, int Errors)>;
using TCommEvent = std::function<void(TCommEventThread* Sender, uint32_t Status)>;

// The five special characters of the line. Each change re-applies the owner's line settings.
class TCommEventChars {
public:
    explicit TCommEventChars(TCustomComm* owner) : FOwner(owner) {}

    uint8_t XonChar() const { return FXonChar; }
    uint8_t XoffChar() const { return FXoffChar; }
    uint8_t ErrorChar() const { return FErrorChar; }
    uint8_t EofChar() const { return FEofChar; }
    uint8_t EvtChar() const { return FEvtChar; }
    void SetXonChar(uint8_t value) { Set(&TCommEventChars::FXonChar, value); }
    void SetXoffChar(uint8_t value) { Set(&TCommEventChars::FXoffChar, value); }
    void SetErrorChar(uint8_t value) { Set(&TCommEventChars::FErrorChar, value); }
    void SetEofChar(uint8_t value) { Set(&TCommEventChars::FEofChar, value); }
    void SetEvtChar(uint8_t value) { Set(&TCommEventChars::FEvtChar, value); }
    // Copies the five characters and re-applies the line settings once.
    void Assign(const TCommEventChars& source);

private:
    void Set(uint8_t TCommEventChars::*field, uint8_t value);

    TCustomComm* FOwner;
    uint8_t FXonChar = 17;
    uint8_t FXoffChar = 19;
    uint8_t FErrorChar = 0;
    uint8_t FEofChar = 0;
    uint8_t FEvtChar = 0;
};

// The thread of one open port: waits for the monitored line events and hands each mask to
// OnSignal. It ends when told to stop; its owner joins it.
class TCommEventThread {
public:
    // Starts at once. Throws std::system_error when no thread or event can be made.
    TCommEventThread(plat::SerialLine* handle, uint32_t eventMask, TCommEvent onSignal);
    ~TCommEventThread();  // stops and joins
    TCommEventThread(const TCommEventThread&) = delete;
    TCommEventThread& operator=(const TCommEventThread&) = delete;

    void Stop();  // asks the thread to leave its loop and waits until it has
    uint32_t EventMask() const { return FEventMask; }

private:
    void Execute();

    plat::SerialLine* FHandle;
    uint32_t FEventMask;
    TSimpleEvent FEvent;  // signalled to stop
    TCommEvent FOnSignal;
    std::atomic<bool> FTerminated{false};
    std::thread FThread;
};

class TCustomComm : public QObject {
    Q_OBJECT
public:
    explicit TCustomComm(QObject* owner = nullptr);
    ~TCustomComm() override;  // closes the port

    // Opens DeviceName, starts the event thread and applies the settings. Throws ECommError; a
    // failure leaves the port closed.
    void Open();
    // Stops the event thread, then closes the device. No handler runs after it returned, not even
    // for an event that came before. Nothing when closed.
    void Close();
    bool Enabled() const { return FHandle != nullptr; }

    // Writes `count` bytes: the count, or -1 when the driver did not take them within
    // WriteTimeout (what it took is not recalled). Throws ECommError "Write error".
    int Write(const void* buffer, int count);
    // Takes up to `count` bytes that have arrived, 0 when none has. Throws ECommError "Read error".
    int Read(void* buffer, int count);

    int InQueCount();   // -1 when closed
    int OutQueCount();  // -1 when closed
    void PurgeIn();
    void PurgeOut();

    void SetDTRState(bool state);
    void SetRTSState(bool state);
    void SetBREAKState(bool state);  // then purges both ways
    void SetXONState(bool state);

    // Line status; false when closed. The hold flags have no counterpart on termios and read false
    // on the system's lines.
    bool CTS();
    bool DSR();
    bool RING();
    bool RLSD();
    bool CtsHold();
    bool DsrHold();
    bool RlsdHold();
    bool XoffHold();
    bool XOffSent();

    // Refused while open.
    const QString& DeviceName() const { return FDeviceName; }
    void SetDeviceName(const QString& value);
    int ReadBufSize() const { return FReadBufSize; }
    void SetReadBufSize(int value);
    int WriteBufSize() const { return FWriteBufSize; }
    void SetWriteBufSize(int value);
    TCommEventTypes MonitorEvents() const { return FMonitorEvents; }
    void SetMonitorEvents(TCommEventTypes value);

    // Taken at the next read or write.
    int ReadTimeout() const { return FReadTimeout; }
    void SetReadTimeout(int value) { FReadTimeout = value; }
    int WriteTimeout() const { return FWriteTimeout; }
    void SetWriteTimeout(int value) { FWriteTimeout = value; }

    // Applied to an open line at once; a value the line refuses is not kept.
    TBaudrate BaudRate() const { return FBaudRate; }
    void SetBaudRate(TBaudrate value);
    TParity Parity() const { return FParity; }
    void SetParity(TParity value);
    TStopbits Stopbits() const { return FStopbits; }
    void SetStopbits(TStopbits value);
    TDatabits Databits() const { return FDatabits; }
    void SetDatabits(TDatabits value);
    TCommOptions Options() const { return FOptions; }
    void SetOptions(TCommOptions value);
    TFlowControl FlowControl() const { return FFlowControl; }
    void SetFlowControl(TFlowControl value);
    TCommEventChars& EventChars() { return FEventChars; }
    const TCommEventChars& EventChars() const { return FEventChars; }
    void SetEventChars(const TCommEventChars& value) { FEventChars.Assign(value); }

    // Run on the user-interface thread.
    TNotifyEvent OnBreak;
    TNotifyEvent OnCts;
    TNotifyEvent OnDsr;
    TCommErrorEvent OnError;
    TNotifyEvent OnRing;
    TNotifyEvent OnRlsd;
    TCommRxCharEvent OnRxChar;
    TNotifyEvent OnRxFlag;
    TNotifyEvent OnTxEmpty;

protected:
    // Opens the device into FHandle: "Error accessing specified device" with the system's code
    // when it cannot, "Invalid device handle, access denied" when it is no character device.
    virtual void OpenDevice();
    void CloseDevice();
    void ApplyLineSettings();
    void ApplyFlowControl(plat::SerialLineSettings& settings) const;
    void ApplyTimeouts();
    void ApplyEscapeFunction(plat::SerialEscape function);
    void StopEventThread();
    // Calls the handlers of the events in `status`, in a fixed order.
    void DispatchCommEvents(QObject* sender, uint32_t status);

    std::unique_ptr<plat::SerialLine> FHandle;

private:
    friend class TCommEventChars;
    struct Gate;

    template <typename T>
    void SetOpenRefused(T& field, const T& value);
    template <typename T>
    void SetReapplied(T& field, const T& value);
    // Re-applies after a change and puts the change back when the line refuses it.
    void Reapply(const std::function<void()>& undo);
    // On the event thread: adds the events to what waits for the user-interface thread.
    static void SignalCommEvent(const std::shared_ptr<Gate>& gate, uint64_t generation, uint32_t status);
    // On the user-interface thread: runs the handlers of what waits.
    static void Deliver(const std::shared_ptr<Gate>& gate, uint64_t generation);

    QString FDeviceName = QStringLiteral("Com2");
    int FReadTimeout = 1000;
    int FWriteTimeout = 1000;
    int FReadBufSize = 4096;
    int FWriteBufSize = 2048;
    TCommEventTypes FMonitorEvents = TCommEventTypes::All();
    TBaudrate FBaudRate = br9600;
    TParity FParity = paNone;
    TStopbits FStopbits = sb10;
    TDatabits FDatabits = da8;
    TCommEventChars FEventChars{this};
    TCommOptions FOptions;
    TFlowControl FFlowControl = fcDefault;

    std::unique_ptr<TCommEventThread> FEventThread;
    TSimpleEvent FIOEvent;  // set while closing: a write waiting for room gives up
    TCriticalSection FCriticalSection;
    plat::SerialLineSettings FDCB;  // what was applied last
    std::shared_ptr<Gate> FGate;     // hands events to the user-interface thread
};

class TComm : public TCustomComm {
    Q_OBJECT
public:
    using TCustomComm::TCustomComm;
};

}  // namespace mbus
