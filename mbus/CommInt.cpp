#include "mbus/CommInt.h"

#include "platform/Guard.h"

#include <QCoreApplication>
#include <QMetaObject>
#include <cerrno>

namespace mbus {

ECommError::ECommError(const QString& message, int errorCode)
    : plat::Error(message + QStringLiteral(" (Error: %1) ").arg(errorCode)), FErrorCode(errorCode) {}

void RaiseCommError(const QString& message, int errorCode) {
    throw ECommError(message, errorCode);
}

namespace {

const QString Msg_Already_Open = QStringLiteral("Port already assigned (open)");
const QString Msg_Not_Open = QStringLiteral("Port not open, unable to complete operation");

constexpr uint32_t Baud_Values[] = {110,   300,   600,   1200,   2400,   4800,   9600,   14400,   19200,
                                    38400, 56000, 57600, 115200, 128000, 256000, 1500000, 3000000};
static_assert(std::size(Baud_Values) == br3000000 + 1);

constexpr uint32_t Event_Masks[] = {plat::EV_BREAK, plat::EV_CTS,    plat::EV_DSR,
                                    plat::EV_ERR,   plat::EV_RING,   plat::EV_RLSD,
                                    plat::EV_RXCHAR, plat::EV_RXFLAG, plat::EV_TXEMPTY};
static_assert(std::size(Event_Masks) == evTxEmpty + 1);

constexpr plat::SerialParity Parities[] = {plat::SerialParity::None, plat::SerialParity::Odd,
                                           plat::SerialParity::Even, plat::SerialParity::Mark,
                                           plat::SerialParity::Space};
constexpr plat::SerialStopBits Stop_Bits[] = {plat::SerialStopBits::One, plat::SerialStopBits::OnePointFive,
                                              plat::SerialStopBits::Two};

// Each option and the flag it sets in the line settings.
constexpr bool plat::SerialLineSettings::*Option_Flags[] = {
    &plat::SerialLineSettings::ParityCheck, &plat::SerialLineSettings::DsrSensitivity,
    &plat::SerialLineSettings::TxContinueOnXoff, &plat::SerialLineSettings::ErrorCharReplace,
    &plat::SerialLineSettings::NullStrip};
static_assert(std::size(Option_Flags) == coNullStrip + 1);

}  // namespace

uint32_t BaudRateValue(TBaudrate rate) {
    return Baud_Values[rate];
}

uint32_t EventMaskOf(TCommEventTypes events) {
    uint32_t mask = 0;
    for (int e = evBreak; e <= evTxEmpty; ++e)
        if (events.Contains(TCommEventType(e))) mask |= Event_Masks[e];
    return mask;
}

// ---------------------------------------------------------------------------------------------

void TCommEventChars::Set(uint8_t TCommEventChars::*field, uint8_t value) {
    if (this->*field == value) return;
    const uint8_t old = this->*field;
    this->*field = value;
    if (FOwner) FOwner->Reapply([&] { this->*field = old; });
}

void TCommEventChars::Assign(const TCommEventChars& source) {
    if (&source == this) return;
    const TCommEventChars old = *this;
    FXonChar = source.FXonChar;
    FXoffChar = source.FXoffChar;
    FErrorChar = source.FErrorChar;
    FEofChar = source.FEofChar;
    FEvtChar = source.FEvtChar;
    if (FXonChar == old.FXonChar && FXoffChar == old.FXoffChar && FErrorChar == old.FErrorChar &&
        FEofChar == old.FEofChar && FEvtChar == old.FEvtChar)
        return;
    if (FOwner)
        FOwner->Reapply([&] {
            FXonChar = old.FXonChar;
            FXoffChar = old.FXoffChar;
            FErrorChar = old.FErrorChar;
            FEofChar = old.FEofChar;
            FEvtChar = old.FEvtChar;
        });
}

// ---------------------------------------------------------------------------------------------

TCommEventThread::TCommEventThread(plat::SerialLine* handle, uint32_t eventMask, TCommEvent onSignal)
    : FHandle(handle), FEventMask(eventMask), FOnSignal(std::move(onSignal)) {
    FThread = std::thread([this] { Execute(); });
}

TCommEventThread::~TCommEventThread() {
    Stop();
}

void TCommEventThread::Stop() {
    if (!FThread.joinable()) return;
    FTerminated = true;
    FEvent.SetEvent();
    FThread.join();
}

void TCommEventThread::Execute() {
    while (!FTerminated) {
        uint32_t status = 0;
        const int error = FHandle->waitEvent(FEventMask, FEvent.Handle(), status);
        if (FTerminated) break;
        if (error != 0) {
            // The line cannot be watched any more: nothing further to report until Close.
            FEvent.WaitFor(INFINITE);
            break;
        }
        if (status != 0 && FOnSignal) FOnSignal(this, status);
    }
    FHandle->purge(true, true);
}

// ---------------------------------------------------------------------------------------------

// The hand-over of line events to the user-interface thread. The event thread adds its masks to
// `pending` and posts one call while none is waiting, so it never blocks on the user-interface
// thread and a busy user-interface thread gets the events merged. A post carries the number of
// the opening it belongs to; Close clears the number, so a post from before Close finds nothing.
struct TCustomComm::Gate {
    TCustomComm* comm = nullptr;    // null once the component is gone
    std::recursive_mutex dispatch;  // held while handlers run; Close waits for it
    std::mutex pendingMutex;
    std::atomic<uint64_t> openGeneration{0};  // 0 while closed
    uint64_t lastGeneration = 0;
    uint32_t pending = 0;
};

void TCustomComm::Deliver(const std::shared_ptr<Gate>& gate, uint64_t generation) {
    std::lock_guard dispatchLock(gate->dispatch);
    uint32_t status;
    {
        std::lock_guard lock(gate->pendingMutex);
        if (!gate->comm || gate->openGeneration != generation) return;
        status = gate->pending;
        gate->pending = 0;
    }
    if (status != 0) plat::guarded([&] { gate->comm->DispatchCommEvents(gate->comm, status); });
}

void TCustomComm::SignalCommEvent(const std::shared_ptr<Gate>& gate, uint64_t generation, uint32_t status) {
    {
        std::lock_guard lock(gate->pendingMutex);
        if (gate->openGeneration != generation) return;
        const bool posted = gate->pending != 0;
        gate->pending |= status;
        if (posted) return;
    }
    QCoreApplication* ui = QCoreApplication::instance();
    if (!ui) return;
    QMetaObject::invokeMethod(
        ui,
        [weak = std::weak_ptr<Gate>(gate), generation] {
            if (const auto gate = weak.lock()) Deliver(gate, generation);
        },
        Qt::QueuedConnection);
}

// ---------------------------------------------------------------------------------------------

TCustomComm::TCustomComm(QObject* owner) : QObject(owner), FGate(std::make_shared<Gate>()) {
    FGate->comm = this;
}

TCustomComm::~TCustomComm() {
    Close();
    std::lock_guard dispatchLock(FGate->dispatch);
    std::lock_guard lock(FGate->pendingMutex);
    FGate->comm = nullptr;
}

void TCustomComm::Open() {
    if (Enabled()) RaiseCommError(Msg_Already_Open, -1);
    try {
        OpenDevice();
        FIOEvent.ResetEvent();
        uint64_t generation;
        {
            std::lock_guard lock(FGate->pendingMutex);
            generation = ++FGate->lastGeneration;
            FGate->openGeneration = generation;
            FGate->pending = 0;
        }
        FEventThread = std::make_unique<TCommEventThread>(
            FHandle.get(), EventMaskOf(FMonitorEvents),
            [gate = FGate, generation](TCommEventThread*, uint32_t status) {
                SignalCommEvent(gate, generation, status);
            });
        ApplyTimeouts();
        ApplyLineSettings();
        if (const int error = FHandle->setupBuffers(FReadBufSize, FWriteBufSize))
            RaiseCommError(QStringLiteral("Error initializing Read/Write Buffers"), error);
    } catch (...) {
        // No half-open port: whatever was opened is closed again.
        Close();
        throw;
    }
}

void TCustomComm::OpenDevice() {
    int error = 0;
    std::unique_ptr<plat::SerialLine> line = plat::openSerialLine(FDeviceName, error);
    if (!line) RaiseCommError(QStringLiteral("Error accessing specified device"), error);
    if (!line->isCharacterDevice()) {
        line.reset();
        RaiseCommError(QStringLiteral("Invalid device handle, access denied"), -1);
    }
    FHandle = std::move(line);
}

void TCustomComm::Close() {
    if (!FHandle && !FEventThread) return;
    {
        // Waits for handlers running on the user-interface thread; then nothing more is delivered.
        std::lock_guard dispatchLock(FGate->dispatch);
        std::lock_guard lock(FGate->pendingMutex);
        FGate->openGeneration = 0;
        FGate->pending = 0;
    }
    StopEventThread();
    FIOEvent.SetEvent();  // a write waiting for room on another thread gives up
    {
        std::lock_guard lock(FCriticalSection);
        CloseDevice();
    }
    FIOEvent.ResetEvent();
}

void TCustomComm::StopEventThread() {
    if (!FEventThread) return;
    FEventThread->Stop();
    FEventThread.reset();
}

void TCustomComm::CloseDevice() {
    FHandle.reset();
}

int TCustomComm::Write(const void* buffer, int count) {
    std::lock_guard lock(FCriticalSection);
    const QString message = QStringLiteral("Write error");
    if (!FHandle) RaiseCommError(message, EBADF);
    if (count < 0 || (count > 0 && !buffer)) RaiseCommError(message, EINVAL);
    size_t written = 0;
    bool timedOut = false;
    if (const int error = FHandle->write(buffer, size_t(count), FWriteTimeout, FIOEvent.Handle(), written, timedOut))
        RaiseCommError(message, error);
    return timedOut ? -1 : int(written);
}

int TCustomComm::Read(void* buffer, int count) {
    std::lock_guard lock(FCriticalSection);
    const QString message = QStringLiteral("Read error");
    if (!FHandle) RaiseCommError(message, EBADF);
    if (count < 0 || (count > 0 && !buffer)) RaiseCommError(message, EINVAL);
    size_t got = 0;
    if (const int error = FHandle->read(buffer, size_t(count), got)) RaiseCommError(message, error);
    return int(got);
}

// The queue counts leave the line's error flags alone, so the next event still reports them.
int TCustomComm::InQueCount() {
    std::lock_guard lock(FCriticalSection);
    int count = 0;
    if (!FHandle || FHandle->inQueue(count) != 0) return -1;
    return count;
}

int TCustomComm::OutQueCount() {
    std::lock_guard lock(FCriticalSection);
    int count = 0;
    if (!FHandle || FHandle->outQueue(count) != 0) return -1;
    return count;
}

void TCustomComm::PurgeIn() {
    std::lock_guard lock(FCriticalSection);
    if (FHandle) FHandle->purge(true, false);
}

void TCustomComm::PurgeOut() {
    std::lock_guard lock(FCriticalSection);
    if (FHandle) FHandle->purge(false, true);
}

void TCustomComm::ApplyEscapeFunction(plat::SerialEscape function) {
    std::lock_guard lock(FCriticalSection);
    if (!FHandle) RaiseCommError(Msg_Not_Open, -1);
    if (const int error = FHandle->escape(function))
        RaiseCommError(QStringLiteral("EscapeCommFunction failure"), error);
}

void TCustomComm::SetDTRState(bool state) {
    ApplyEscapeFunction(state ? plat::SerialEscape::SetDtr : plat::SerialEscape::ClrDtr);
}

void TCustomComm::SetRTSState(bool state) {
    ApplyEscapeFunction(state ? plat::SerialEscape::SetRts : plat::SerialEscape::ClrRts);
}

void TCustomComm::SetBREAKState(bool state) {
    std::lock_guard lock(FCriticalSection);
    ApplyEscapeFunction(state ? plat::SerialEscape::SetBreak : plat::SerialEscape::ClrBreak);
    FHandle->purge(true, true);
}

void TCustomComm::SetXONState(bool state) {
    ApplyEscapeFunction(state ? plat::SerialEscape::SetXon : plat::SerialEscape::SetXoff);
}

namespace {

bool modemLine(std::unique_ptr<plat::SerialLine>& handle, TCriticalSection& section, uint32_t line) {
    std::lock_guard lock(section);
    uint32_t lines = 0;
    return handle && handle->modemStatus(lines) == 0 && (lines & line);
}

bool holdFlag(std::unique_ptr<plat::SerialLine>& handle, TCriticalSection& section,
              bool plat::SerialQueueStatus::*flag) {
    std::lock_guard lock(section);
    uint32_t errors = 0;
    plat::SerialQueueStatus status;
    return handle && handle->clearErrors(errors, status) == 0 && status.*flag;
}

}  // namespace

bool TCustomComm::CTS() { return modemLine(FHandle, FCriticalSection, plat::MS_CTS_ON); }
bool TCustomComm::DSR() { return modemLine(FHandle, FCriticalSection, plat::MS_DSR_ON); }
bool TCustomComm::RING() { return modemLine(FHandle, FCriticalSection, plat::MS_RING_ON); }
bool TCustomComm::RLSD() { return modemLine(FHandle, FCriticalSection, plat::MS_RLSD_ON); }
bool TCustomComm::CtsHold() { return holdFlag(FHandle, FCriticalSection, &plat::SerialQueueStatus::CtsHold); }
bool TCustomComm::DsrHold() { return holdFlag(FHandle, FCriticalSection, &plat::SerialQueueStatus::DsrHold); }
bool TCustomComm::RlsdHold() { return holdFlag(FHandle, FCriticalSection, &plat::SerialQueueStatus::RlsdHold); }
bool TCustomComm::XoffHold() { return holdFlag(FHandle, FCriticalSection, &plat::SerialQueueStatus::XoffHold); }
bool TCustomComm::XOffSent() { return holdFlag(FHandle, FCriticalSection, &plat::SerialQueueStatus::XoffSent); }

// ---------------------------------------------------------------------------------------------

void TCustomComm::ApplyTimeouts() {
    std::lock_guard lock(FCriticalSection);
    if (!FHandle) return;
    if (const int error = FHandle->setImmediateReads())
        RaiseCommError(QStringLiteral("Error updating CommTimeouts"), error);
}

void TCustomComm::ApplyLineSettings() {
    std::lock_guard lock(FCriticalSection);
    if (!FHandle) return;
    const QString message = QStringLiteral("Error updating DataControlBlock");
    plat::SerialLineSettings dcb;
    if (const int error = FHandle->getSettings(dcb)) RaiseCommError(message, error);
    dcb.BaudRate = BaudRateValue(FBaudRate);
    dcb.Parity = Parities[FParity];
    dcb.StopBits = Stop_Bits[FStopbits];
    dcb.ByteSize = 4 + int(FDatabits);
    dcb.XonChar = FEventChars.XonChar();
    dcb.XoffChar = FEventChars.XoffChar();
    dcb.ErrorChar = FEventChars.ErrorChar();
    dcb.EofChar = FEventChars.EofChar();
    dcb.EvtChar = FEventChars.EvtChar();
    dcb.XonLim = dcb.XoffLim = FReadBufSize / 4;
    ApplyFlowControl(dcb);
    for (int o = coParityCheck; o <= coNullStrip; ++o) dcb.*Option_Flags[o] = FOptions.Contains(TCommOption(o));
    if (const int error = FHandle->setSettings(dcb)) RaiseCommError(message, error);
    FDCB = dcb;
}

// The adding choices start from what the line reports, so an earlier choice stays until fcNone.
void TCustomComm::ApplyFlowControl(plat::SerialLineSettings& dcb) const {
    switch (FFlowControl) {
        case fcNone:
            dcb.RtsCtsFlow = dcb.DtrDsrFlow = dcb.OutX = dcb.InX = false;
            for (bool plat::SerialLineSettings::*flag : Option_Flags) dcb.*flag = false;
            break;
        case fcCTS: dcb.RtsCtsFlow = true; break;
        case fcDTR: dcb.DtrDsrFlow = true; break;
        case fcSoftware: dcb.OutX = dcb.InX = true; break;
        case fcDefault: break;
    }
}

void TCustomComm::Reapply(const std::function<void()>& undo) {
    if (!Enabled()) return;
    try {
        ApplyLineSettings();
    } catch (...) {
        // The line keeps what it had, and so does the property.
        undo();
        try {
            ApplyLineSettings();
        } catch (...) {
        }
        throw;
    }
}

template <typename T>
void TCustomComm::SetOpenRefused(T& field, const T& value) {
    if (field == value) return;
    if (Enabled()) RaiseCommError(Msg_Already_Open, -1);
    field = value;
}

template <typename T>
void TCustomComm::SetReapplied(T& field, const T& value) {
    if (field == value) return;
    const T old = field;
    field = value;
    Reapply([&] { field = old; });
}

void TCustomComm::SetDeviceName(const QString& value) { SetOpenRefused(FDeviceName, value); }
void TCustomComm::SetReadBufSize(int value) { SetOpenRefused(FReadBufSize, value); }
void TCustomComm::SetWriteBufSize(int value) { SetOpenRefused(FWriteBufSize, value); }
void TCustomComm::SetMonitorEvents(TCommEventTypes value) { SetOpenRefused(FMonitorEvents, value); }
void TCustomComm::SetBaudRate(TBaudrate value) { SetReapplied(FBaudRate, value); }
void TCustomComm::SetParity(TParity value) { SetReapplied(FParity, value); }
void TCustomComm::SetStopbits(TStopbits value) { SetReapplied(FStopbits, value); }
void TCustomComm::SetDatabits(TDatabits value) { SetReapplied(FDatabits, value); }
void TCustomComm::SetOptions(TCommOptions value) { SetReapplied(FOptions, value); }
void TCustomComm::SetFlowControl(TFlowControl value) { SetReapplied(FFlowControl, value); }

// ---------------------------------------------------------------------------------------------

void TCustomComm::DispatchCommEvents(QObject* sender, uint32_t status) {
    if (!FHandle) return;
    // A handler may close (or free) the component: no handler runs after that.
    const std::shared_ptr<Gate> gate = FGate;
    const uint64_t generation = gate->openGeneration;
    const auto stillOpen = [&] { return generation != 0 && gate->openGeneration == generation && gate->comm; };
    uint32_t errors = 0;
    plat::SerialQueueStatus comstat;
    {
        std::lock_guard lock(FCriticalSection);
        if (FHandle->clearErrors(errors, comstat) != 0) FHandle->inQueue(comstat.InQue);
    }
    struct Step {
        uint32_t event;
        TNotifyEvent TCustomComm::*notify;  // null: OnError or OnRxChar
    };
    static constexpr Step Order[] = {
        {plat::EV_BREAK, &TCustomComm::OnBreak}, {plat::EV_CTS, &TCustomComm::OnCts},
        {plat::EV_DSR, &TCustomComm::OnDsr},     {plat::EV_ERR, nullptr},
        {plat::EV_RING, &TCustomComm::OnRing},   {plat::EV_RLSD, &TCustomComm::OnRlsd},
        {plat::EV_RXCHAR, nullptr},              {plat::EV_RXFLAG, &TCustomComm::OnRxFlag},
        {plat::EV_TXEMPTY, &TCustomComm::OnTxEmpty},
    };
    for (const Step& step : Order) {
        if (!(status & step.event) || !stillOpen()) continue;
        if (step.notify) {
            if (this->*step.notify) (this->*step.notify)(this);
        } else if (step.event == plat::EV_ERR) {
            if (OnError) OnError(this, int(errors));
        } else if (OnRxChar && comstat.InQue > 0) {
            OnRxChar(this, comstat.InQue);
        }
    }
    Q_UNUSED(sender);
}

}  // namespace mbus
