#include "mbus/MBusFrames.h"

#include <algorithm>

namespace mbus {

namespace {

uint8_t cFieldSendUd(TCFieldSetting s) {
    return s.Fix_C_Field && s.Fix_C_Field_Value == 0 ? 0x53 : 0x73;
}

// A long frame around the bytes from C on: start, two equal L fields, start, body, checksum, stop.
TBytes longFrame(std::initializer_list<uint8_t> body) {
    TBytes f;
    f.reserve(body.size() + 6);
    f.push_back(Long_Start);
    f.push_back(uint8_t(body.size()));
    f.push_back(uint8_t(body.size()));
    f.push_back(Long_Start);
    f.insert(f.end(), body.begin(), body.end());
    f.push_back(Frame_Checksum(std::span<const uint8_t>(f).subspan(4)));
    f.push_back(Frame_Stop);
    return f;
}

TBytes shortFrame(uint8_t c, uint8_t a) {
    return {Short_Start, c, a, uint8_t(c + a), Frame_Stop};
}

uint8_t digitNibble(int d) {
    return d < 0 ? 0x0F : uint8_t(d & 0x0F);
}

uint32_t lineSpeed(uint32_t baudrate) {
    return std::max<uint32_t>(baudrate, 300);
}

}  // namespace

uint8_t Frame_Checksum(std::span<const uint8_t> bytes) {
    uint8_t sum = 0;
    for (uint8_t b : bytes) sum = uint8_t(sum + b);
    return sum;
}

TBytes Build_SND_NKE(uint8_t address) {
    return shortFrame(0x40, address);
}

TBytes Build_REQ_UD2(uint8_t address, int frameCount, TCFieldSetting cField) {
    uint8_t c;
    if (cField.Fix_C_Field) c = cField.Fix_C_Field_Value != 0 ? 0x7B : 0x5B;
    else c = frameCount % 2 == 0 ? 0x7B : 0x5B;
    return shortFrame(c, address);
}

TBytes Build_App_Reset(uint8_t address, TCFieldSetting cField) {
    return longFrame({cFieldSendUd(cField), address, 0x50});
}

TBytes Build_Select_Secondary(const std::array<int, 8>& d, TCFieldSetting cField) {
    auto pair = [&](int hi, int lo) { return uint8_t(digitNibble(d[hi]) << 4 | digitNibble(d[lo])); };
    // Identification number least significant byte first, then wildcard manufacturer, version, medium.
    return longFrame({cFieldSendUd(cField), Address_Selected, 0x52, pair(6, 7), pair(4, 5), pair(2, 3), pair(0, 1),
                      0xFF, 0xFF, 0xFF, 0xFF});
}

TBytes Build_Set_MBus_Serial(uint32_t baudrate, int parity) {
    TBytes f(Serial_Settings_Prefix.begin(), Serial_Settings_Prefix.end());
    for (int shift = 24; shift >= 0; shift -= 8) f.push_back(uint8_t(baudrate >> shift));
    f.push_back(',');
    static const uint8_t kParityCode[3] = {0, 2, 1};  // none, even, odd
    f.push_back(parity >= 0 && parity <= 2 ? kParityCode[parity] : 0);
    return f;
}

bool Is_Single_Char(std::span<const uint8_t> a) {
    return a.size() == 1 && a[0] == Single_Char;
}

bool Is_RSP_UD(std::span<const uint8_t> a) {
    const size_t n = a.size();
    if (n <= 21) return false;
    if (a[0] != Long_Start || a[3] != Long_Start || a[1] != a[2] || a[n - 1] != Frame_Stop) return false;
    return Frame_Checksum(a.subspan(4, n - 6)) == a[n - 2];
}

bool Text_Answer_Is(std::span<const uint8_t> a, std::string_view expected) {
    return std::equal(a.begin(), a.end(), expected.begin(), expected.end(),
                      [](uint8_t b, char c) { return b == uint8_t(c); });
}

bool Is_No_Slave(std::span<const uint8_t> a) {
    return Text_Answer_Is(a, Answer_No_Slave);
}

TAnswerKind Classify_Answer(std::span<const uint8_t> a) {
    if (a.empty()) return TAnswerKind::Nothing;
    if (Is_Single_Char(a)) return TAnswerKind::Single_Char;
    if (Is_No_Slave(a)) return TAnswerKind::No_Slave;
    if (Is_RSP_UD(a)) return TAnswerKind::RSP_UD;
    return TAnswerKind::Other;
}

std::optional<TRSP_UD_Header> Read_RSP_UD_Header(std::span<const uint8_t> a) {
    if (!Is_RSP_UD(a)) return std::nullopt;
    TRSP_UD_Header h;
    h.C = a[4];
    h.A = a[5];
    h.CI = a[6];
    h.Ident = uint32_t(a[7]) | uint32_t(a[8]) << 8 | uint32_t(a[9]) << 16 | uint32_t(a[10]) << 24;
    h.Manufacturer = uint16_t(a[11] | a[12] << 8);
    h.Version = a[13];
    h.Medium = a[14];
    h.Access = a[15];
    h.Status = a[16];
    h.Signature = uint16_t(a[17] | a[18] << 8);
    return h;
}

std::span<const uint8_t> RSP_UD_Records(std::span<const uint8_t> a) {
    if (!Is_RSP_UD(a)) return {};
    return a.subspan(19, a.size() - 21);
}

bool Is_Line_Answer(std::span<const uint8_t> a) {
    return Is_Single_Char(a) || Is_No_Slave(a) || Is_RSP_UD(a);
}

bool RSP_UD_From_Address(std::span<const uint8_t> a, uint8_t address) {
    if (!Is_RSP_UD(a)) return false;
    return address == Address_Selected || address == Address_Broadcast || a[5] == address;
}

bool RSP_UD_Matches_Selection(std::span<const uint8_t> a, const std::array<int, 8>& digits) {
    const std::optional<TRSP_UD_Header> h = Read_RSP_UD_Header(a);
    if (!h) return false;
    for (size_t d = 0; d < digits.size(); ++d) {
        const int nibble = int(h->Ident >> (4 * (7 - d))) & 0x0F;
        if (digits[d] >= 0 && digits[d] != nibble) return false;
    }
    return true;
}

std::optional<TRadioModule> Radio_Module_Of(std::span<const uint8_t> a) {
    if (Text_Answer_Is(a, Answer_Telit)) return TRadioModule::rmTelit;
    if (Text_Answer_Is(a, Answer_RadioCrafts)) return TRadioModule::rmRadioCrafts;
    return std::nullopt;
}

TBytes Build_RC_Config(int32_t wMBusMode) {
    uint8_t mode = 0x03;  // S, and any code the module does not know
    switch (wMBusMode) {
    case wMBus_Mode_T: mode = 0x01; break;
    case wMBus_Mode_C: mode = 0x0A; break;
    case wMBus_Mode_N1: mode = 0x11; break;
    case wMBus_Mode_N2: mode = 0x10; break;
    default: break;
    }
    return {0x03, mode, 0x04, 0x00, 0x05, 0x01, 0x12, 0x01, 0x16, 0x17, 0x3A, 0x01, 0x3D, 0x02, 0x37, 0x01};
}

TBytes Build_RC_Zero() {
    return TBytes(8, 0x00);
}

TBytes Build_RC_Meter_Address(uint32_t id, uint16_t manufacturer, uint8_t version, uint8_t deviceType) {
    return {uint8_t(id), uint8_t(id >> 8), uint8_t(id >> 16), uint8_t(id >> 24),
            uint8_t(manufacturer), uint8_t(manufacturer >> 8), version, deviceType};
}

TBytes Build_RC_Key(std::span<const uint8_t, 16> key) {
    return TBytes(key.begin(), key.end());
}

uint32_t TimeOut_Text(uint32_t addTimeOut) {
    return addTimeOut + 1000;
}

uint32_t TimeOut_Radiocrafts_Block(uint32_t addTimeOut) {
    return addTimeOut + 500;
}

uint32_t TimeOut_Radiocrafts_Index(uint32_t addTimeOut) {
    return addTimeOut + 100;
}

uint32_t TimeOut_Short(uint32_t baudrate, uint32_t addTimeOut) {
    return 330000 / lineSpeed(baudrate) + Base_Wait_Ms + addTimeOut + 50;
}

uint32_t TimeOut_Long(uint32_t baudrate, uint32_t addTimeOut) {
    return 3245000 / lineSpeed(baudrate) + Base_Wait_Ms + addTimeOut + 50;
}

bool Check_TimeOut(uint32_t now, uint32_t startSend, uint32_t timeOut) {
    return uint32_t(now - startSend) > timeOut;
}

}  // namespace mbus
