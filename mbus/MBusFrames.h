#pragma once
// Link-layer frames that the scan sends through the gateway, the tests of the answers it accepts,
// the gateway's own commands and the time-out arithmetic of every wait. Plain functions over
// bytes: nothing here touches a socket.
#include <array>
#include <cstdint>
#include <optional>
#include <span>
#include <string_view>
#include <vector>

namespace mbus {

using TBytes = std::vector<uint8_t>;

// Transport constants.
constexpr uint16_t Port_Wired_Scan = 10000;    // gateway port of the wired scan
constexpr uint32_t Base_Wait_Ms = 400;
constexpr size_t UDP_Receive_Buffer = 8192;    // largest datagram the listener takes
constexpr size_t Answer_Buffer_Size = 2051;    // largest answer the scan keeps

// Primary addresses with a meaning of their own.
constexpr uint8_t Address_Selected = 0xFD;     // the meter chosen by a secondary selection
constexpr uint8_t Address_Broadcast = 0xFF;

// Frame bytes.
constexpr uint8_t Single_Char = 0xE5;
constexpr uint8_t Long_Start = 0x68;
constexpr uint8_t Short_Start = 0x10;
constexpr uint8_t Frame_Stop = 0x16;

// Fixed FCB in the C fields instead of the alternating one.
struct TCFieldSetting {
    bool Fix_C_Field = false;
    uint8_t Fix_C_Field_Value = 0;  // 0 selects the 0x5X form, any other value the 0x7X form
};

// 8-bit arithmetic sum.
uint8_t Frame_Checksum(std::span<const uint8_t> bytes);

TBytes Build_SND_NKE(uint8_t address);
// frameCount is the number of frames already read from this meter: even counts set the FCB.
TBytes Build_REQ_UD2(uint8_t address, int frameCount, TCFieldSetting cField = {});
TBytes Build_App_Reset(uint8_t address, TCFieldSetting cField = {});
// digits A..H, A most significant; a negative digit is the wildcard F.
TBytes Build_Select_Secondary(const std::array<int, 8>& digits, TCFieldSetting cField = {});
// parity: 0 none, 1 even, 2 odd.
TBytes Build_Set_MBus_Serial(uint32_t baudrate, int parity);

// Answers.
bool Is_Single_Char(std::span<const uint8_t> answer);
bool Is_RSP_UD(std::span<const uint8_t> answer);
bool Is_No_Slave(std::span<const uint8_t> answer);
// The whole answer equals the expected text, byte for byte.
bool Text_Answer_Is(std::span<const uint8_t> answer, std::string_view expected);

enum class TAnswerKind { Nothing, Single_Char, RSP_UD, No_Slave, Other };
TAnswerKind Classify_Answer(std::span<const uint8_t> answer);

// Fixed part of an accepted RSP_UD.
struct TRSP_UD_Header {
    uint8_t C = 0;
    uint8_t A = 0;             // primary address
    uint8_t CI = 0;
    uint32_t Ident = 0;        // identification number, BCD digits as one number
    uint16_t Manufacturer = 0;
    uint8_t Version = 0;
    uint8_t Medium = 0;
    uint8_t Access = 0;
    uint8_t Status = 0;
    uint16_t Signature = 0;
};
// The header of an answer that passes Is_RSP_UD; nothing otherwise.
std::optional<TRSP_UD_Header> Read_RSP_UD_Header(std::span<const uint8_t> answer);
// The data records of an accepted RSP_UD (from byte 19 to the byte before the checksum); empty
// for an answer that is not one.
std::span<const uint8_t> RSP_UD_Records(std::span<const uint8_t> answer);

// Whether an answer is one of the M-Bus line's (a single character, an RSP_UD, or the gateway's
// NO_SLAVE), as opposed to a text of the gateway itself.
bool Is_Line_Answer(std::span<const uint8_t> answer);
// Whether an accepted RSP_UD comes from the meter at the primary address asked: its A field is
// that address. The selected meter (253) and the broadcast (255) answer with their own address,
// so any accepted RSP_UD comes from them.
bool RSP_UD_From_Address(std::span<const uint8_t> answer, uint8_t address);
// Whether an accepted RSP_UD comes from a meter the secondary selection matches: each digit A..H
// of its identification number equals the selection's digit, or the selection's digit is a
// wildcard (negative).
bool RSP_UD_Matches_Selection(std::span<const uint8_t> answer, const std::array<int, 8>& digits);

// Gateway commands: the text sent and the exact answer expected.
struct TGatewayCommand {
    std::string_view Sent;
    std::string_view Answer;
};
constexpr TGatewayCommand Cmd_Enable_Analyzer{"Quorim_Enable_Analyzer_Mode", "\n\rAnalyzer_Mode Enabled!\n\r"};
constexpr TGatewayCommand Cmd_Disable_Analyzer{"Quorim_Disable_Analyzer_Mode", "\n\rAnalyzer_Mode Disabled!\n\r"};
constexpr TGatewayCommand Cmd_Enable_Configuration{"Quorim_Enable_Configuration_Mode",
                                                   "\n\rConfiguration_Mode Enabled!\n\r"};
constexpr TGatewayCommand Cmd_Disable_Configuration{"Quorim_Disable_Configuration_Mode",
                                                    "\n\rConfiguration_Mode Disabled!\n\r"};
constexpr std::string_view Cmd_Type_Radio_Module = "Quorim_Type_Radio_Module";
constexpr std::string_view Answer_Telit = "\n\rTELIT\n\r";
constexpr std::string_view Answer_RadioCrafts = "\n\rRADIOCRAFTS\n\r";
constexpr std::string_view Serial_Settings_Prefix = "Quorim_S_M:";
constexpr std::string_view Answer_Serial_Settings = "\n\rDone!";
constexpr std::string_view Answer_No_Slave = "NO_SLAVE\n\r";

enum class TRadioModule { rmTelit, rmRadioCrafts };
// The module named by the answer to Cmd_Type_Radio_Module.
std::optional<TRadioModule> Radio_Module_Of(std::span<const uint8_t> answer);

// Wireless M-Bus modes as the window codes them; the Telit module takes the code itself.
constexpr int32_t wMBus_Mode_S = 1;
constexpr int32_t wMBus_Mode_T = 5;
constexpr int32_t wMBus_Mode_C = 11;
constexpr int32_t wMBus_Mode_N1 = 15;
constexpr int32_t wMBus_Mode_N2 = 17;

// Radio-module answers: the Telit acknowledges a line with exactly "OK\r", the Radiocrafts prompts
// with the single byte '>'.
constexpr std::string_view Answer_Telit_OK = "OK\r";
constexpr uint8_t RC_Prompt = 0x3E;
constexpr size_t RC_Memory_Answer_Size = 257;  // the register memory and its prompt

// Radiocrafts commands, one byte each.
constexpr uint8_t RC_Config = 0x00;
constexpr uint8_t RC_Read_Memory = '0';
constexpr uint8_t RC_Write_Memory = 'M';
constexpr uint8_t RC_End_Memory = 0xFF;
constexpr uint8_t RC_Table_Address = 'B';
constexpr uint8_t RC_Table_Key = 'K';
constexpr uint8_t RC_Table_Flags = 'A';
constexpr uint8_t RC_Exit = 'X';
constexpr int RC_Key_Slots = 64;  // slots 1 .. 64 of the module's key table

// The register pairs of the Radiocrafts configuration for a mode code: 16 bytes.
TBytes Build_RC_Config(int32_t wMBusMode);
// The 8 zero bytes that clear a slot of the Radiocrafts address table.
TBytes Build_RC_Zero();
// A meter's 8-byte address as the Radiocrafts tables hold it: identification number, then
// manufacturer, each least significant byte first, then version and device type.
TBytes Build_RC_Meter_Address(uint32_t id, uint16_t manufacturer, uint8_t version, uint8_t deviceType);
TBytes Build_RC_Key(std::span<const uint8_t, 16> key);

// Waits in milliseconds. addTimeOut is the extra wait of a remote scan (10000) or 0.
uint32_t TimeOut_Text(uint32_t addTimeOut);
uint32_t TimeOut_Radiocrafts_Block(uint32_t addTimeOut);
uint32_t TimeOut_Radiocrafts_Index(uint32_t addTimeOut);
// Short answers (E5, selection, SND_NKE, reset) and RSP_UD at the line speed; a speed below 300
// counts as 300 so that no wait divides by zero.
uint32_t TimeOut_Short(uint32_t baudrate, uint32_t addTimeOut);
uint32_t TimeOut_Long(uint32_t baudrate, uint32_t addTimeOut);
// True when more than timeOut ms passed since startSend, on a 32-bit counter that may wrap.
bool Check_TimeOut(uint32_t now, uint32_t startSend, uint32_t timeOut);

}  // namespace mbus
