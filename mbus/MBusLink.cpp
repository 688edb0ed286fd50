#include "mbus/MBusLink.h"

#include <algorithm>
#include <chrono>

namespace mbus {

bool TAnswerQueue::Push(std::span<const uint8_t> datagram) {
    if (datagram.size() > Datagram_Size) return false;
    if (count_ == Capacity) {
        head_ = (head_ + 1) % Capacity;
        --count_;
        ++overflowed_;
    }
    slots_[(head_ + count_) % Capacity].assign(datagram.begin(), datagram.end());
    ++count_;
    return true;
}

bool TAnswerQueue::Pop(TBytes& out) {
    if (count_ == 0) return false;
    const TBytes& slot = slots_[head_];
    out.assign(slot.begin(), slot.end());
    head_ = (head_ + 1) % Capacity;
    --count_;
    return true;
}

bool Is_Wireless_Telegram(std::span<const uint8_t> d, TRadioModule module) {
    if (d.empty()) return false;
    const size_t expected = size_t(d[0]) + (module == TRadioModule::rmTelit ? 3 : 1);
    return d.size() == expected;
}

TMBusLink::TMBusLink(std::unique_ptr<plat::UdpEndpoint> endpoint, TickSource ticks)
    : endpoint_(std::move(endpoint)), ticks_(std::move(ticks)) {
    if (!ticks_) {
        ticks_ = [] {
            using namespace std::chrono;
            return uint32_t(duration_cast<milliseconds>(steady_clock::now().time_since_epoch()).count());
        };
    }
}

TMBusLink::~TMBusLink() {
    Close();
}

void TMBusLink::Open(uint16_t localPort) {
    endpoint_->open(localPort, [this](std::span<const uint8_t> d) { On_UDP_Read(d); });
}

void TMBusLink::Close() {
    if (endpoint_) endpoint_->close();
    // The listener is joined: nothing arrives any more.
    std::lock_guard lock(mutex_);
    TBytes forgotten;
    while (queue_.Pop(forgotten)) {
    }
}

bool TMBusLink::Is_Open() const {
    return endpoint_->isOpen();
}

uint16_t TMBusLink::Local_Port() const {
    return endpoint_->localPort();
}

void TMBusLink::Set_IP_Address(const QString& address) {
    std::lock_guard lock(mutex_);
    ipAddress_ = address;
}

QString TMBusLink::IP_Address() const {
    std::lock_guard lock(mutex_);
    return ipAddress_;
}

void TMBusLink::Send_Command(std::string_view text, uint16_t port) {
    Send_Command(std::span<const uint8_t>(reinterpret_cast<const uint8_t*>(text.data()), text.size()), port);
}

void TMBusLink::Send_Command(std::span<const uint8_t> bytes, uint16_t port) {
    Settle();
    endpoint_->send(IP_Address(), port, bytes);
    sent();
}

void TMBusLink::Mark_Sent() {
    Settle();
    sent();
}

void TMBusLink::sent() {
    Start_Send_ = ticks_();
}

bool TMBusLink::Check_TimeOut() const {
    return mbus::Check_TimeOut(ticks_(), Start_Send_, TimeOut_Calc);
}

void TMBusLink::routeOrDrop(const TBytes& d, std::optional<TRadioModule> module, const TelegramHandler& handler) {
    if (module && handler && Is_Wireless_Telegram(d, *module)) handler(d, *module);
    else ++stale_;
}

template <typename Done>
void TMBusLink::drainQueue(Done done) {
    // One datagram at a time, the handler outside the lock: the listener keeps queueing meanwhile,
    // and what it queues is handled in its turn.
    TBytes d;
    for (;;) {
        std::optional<TRadioModule> module;
        TelegramHandler handler;
        {
            std::lock_guard lock(mutex_);
            if (!queue_.Pop(d)) {
                done();
                return;
            }
            module = routeModule_;
            if (module) handler = telegramHandler_;
        }
        routeOrDrop(d, module, handler);
    }
}

void TMBusLink::Settle() {
    drainQueue([] {});
}

void TMBusLink::On_UDP_Read(std::span<const uint8_t> datagram) {
    std::optional<TRadioModule> module;
    TelegramHandler handler;
    {
        std::lock_guard lock(mutex_);
        if (!listening_) {
            if (!queue_.Push(datagram)) ++dropped_;
            return;
        }
        if (datagram.size() > TAnswerQueue::Datagram_Size) {
            ++dropped_;
            return;
        }
        module = routeModule_;
        handler = telegramHandler_;
        ++handling_;
    }
    struct Done {
        TMBusLink& link;
        ~Done() {
            {
                std::lock_guard lock(link.mutex_);
                --link.handling_;
            }
            link.handled_.notify_all();
        }
    } done{*this};
    if (module && handler && Is_Wireless_Telegram(datagram, *module)) handler(datagram, *module);
    else ++stale_;
}

std::optional<TBytes> TMBusLink::Next_Answer(const StaleTest& stale) {
    TBytes d;
    for (;;) {
        std::optional<TRadioModule> module;
        TelegramHandler handler;
        {
            std::lock_guard lock(mutex_);
            if (!queue_.Pop(d)) return std::nullopt;
            module = routeModule_;
            if (module) handler = telegramHandler_;
        }
        // A telegram among the module's answers was heard all the same: it is decoded, never
        // taken for the answer.
        if (module && Is_Wireless_Telegram(d, *module)) {
            routeOrDrop(d, module, handler);
            continue;
        }
        if (stale && stale(d)) {
            ++stale_;
            continue;
        }
        return d;
    }
}

size_t TMBusLink::Queued() const {
    std::lock_guard lock(mutex_);
    return queue_.Size();
}

uint64_t TMBusLink::Overflowed_Datagrams() const {
    std::lock_guard lock(mutex_);
    return queue_.Overflowed();
}

void TMBusLink::Set_Telegram_Route(std::optional<TRadioModule> module, TelegramHandler handler) {
    std::lock_guard lock(mutex_);
    routeModule_ = module;
    telegramHandler_ = std::move(handler);
}

void TMBusLink::Set_Listening(bool on) {
    if (!on) {
        std::unique_lock lock(mutex_);
        listening_ = false;
        handled_.wait(lock, [this] { return handling_ == 0; });
        return;
    }
    // What was queued before is handled first; the switch is made with the queue found empty
    // under the lock, so no datagram overtakes another.
    drainQueue([this] { listening_ = true; });
}

void TMBusLink::Set_Wireless_Receive(std::optional<TRadioModule> module, TelegramHandler handler) {
    Set_Telegram_Route(module, std::move(handler));
    Set_Listening(module.has_value());
}

}  // namespace mbus
