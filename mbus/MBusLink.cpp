#include "mbus/MBusLink.h"

#include <algorithm>
#include <chrono>

namespace mbus {

bool TAnswerSlot::Store(std::span<const uint8_t> datagram, bool markArrived) {
    if (datagram.size() > Capacity) return false;
    std::lock_guard lock(mutex_);
    std::copy(datagram.begin(), datagram.end(), Ans_Array.begin());
    Ans_Len = datagram.size();
    if (markArrived) Arrived = true;
    return true;
}

void TAnswerSlot::Clear_Arrived() {
    std::lock_guard lock(mutex_);
    Arrived = false;
}

bool TAnswerSlot::Answer_Arrived() const {
    std::lock_guard lock(mutex_);
    return Arrived;
}

TAnswerSlot::TAnswer TAnswerSlot::Read() const {
    std::lock_guard lock(mutex_);
    return TAnswer{Arrived, TBytes(Ans_Array.begin(), Ans_Array.begin() + std::ptrdiff_t(Ans_Len))};
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
}

bool TMBusLink::Is_Open() const {
    return endpoint_->isOpen();
}

uint16_t TMBusLink::Local_Port() const {
    return endpoint_->localPort();
}

void TMBusLink::Set_IP_Address(const QString& address) {
    std::lock_guard lock(routeMutex_);
    ipAddress_ = address;
}

QString TMBusLink::IP_Address() const {
    std::lock_guard lock(routeMutex_);
    return ipAddress_;
}

void TMBusLink::Send_Command(std::string_view text, uint16_t port) {
    Send_Command(std::span<const uint8_t>(reinterpret_cast<const uint8_t*>(text.data()), text.size()), port);
}

void TMBusLink::Send_Command(std::span<const uint8_t> bytes, uint16_t port) {
    slot_.Clear_Arrived();
    endpoint_->send(IP_Address(), port, bytes);
    sent();
}

void TMBusLink::Mark_Sent() {
    slot_.Clear_Arrived();
    sent();
}

void TMBusLink::sent() {
    Start_Send_ = ticks_();
}

bool TMBusLink::Check_TimeOut() const {
    return mbus::Check_TimeOut(ticks_(), Start_Send_, TimeOut_Calc);
}

void TMBusLink::Set_Wireless_Receive(std::optional<TRadioModule> module, TelegramHandler handler) {
    std::lock_guard lock(routeMutex_);
    receiveModule_ = module;
    telegramHandler_ = std::move(handler);
}

void TMBusLink::On_UDP_Read(std::span<const uint8_t> datagram) {
    std::optional<TRadioModule> module;
    TelegramHandler handler;
    {
        std::lock_guard lock(routeMutex_);
        module = receiveModule_;
        handler = telegramHandler_;
    }
    if (!slot_.Store(datagram, !module)) {
        ++dropped_;
        return;
    }
    if (module && handler && Is_Wireless_Telegram(datagram, *module)) handler(datagram, *module);
}

}  // namespace mbus
