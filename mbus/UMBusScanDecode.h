#pragma once
// Decoding of the data records that meters send (wired RSP_UD frames and readable wireless
// telegrams), and the small code tables used for meters: medium names, manufacturer letters and
// BCD values. At the end, the scan engine (TMBusScanDecode) that runs the scans on its own thread.
//
// The decoder is plain functions over bytes: no widget, no shared state. Every read of a
// record is bounded by the bytes given, so a truncated or hostile record ends the walk instead of
// reading past the data.
#include <QChar>
#include <QDateTime>
#include <QString>
#include <cstdint>
#include <span>
#include <vector>

namespace mbus {

// One decoded record: a value of a meter.
struct TVariable_MBus {
    uint32_t dato_A = 0;          // data bytes 0-3, little-endian
    uint32_t dato_B = 0;          // data bytes 4-7, little-endian
    uint8_t dimension = 0;        // data-field code (DIF AND 0x0F)
    uint16_t function_fild = 0;   // 0 instantaneous, 1 maximum, 2 minimum, 3 error state
    uint64_t storage_number = 0;  // DIF bit 6 plus the storage bits of the DIFEs
    uint32_t tarif = 0;           // two bits a DIFE: up to 20 bits with ten DIFEs
    uint16_t device = 0;          // subunit, one bit a DIFE
    uint16_t type_data = 0;       // index in the network editor's type list
    uint16_t scale = 0;           // not set by the decoder
    bool errata = false;          // the record is unusable; sterror says why
    QString sterror;
    int32_t nbyte = 0;            // number of data bytes
    QString descdim;              // data-size text
    int32_t numdife = 0;
    int32_t numvife = 0;          // not set by the decoder
    int32_t numdato = 0;          // not set by the decoder
    int32_t vifvalue = -1;        // the VIF, or the first VIFE after 0xFB / 0xFD
    int32_t PrinVIFE = 0;         // the first VIFE, 0 when there is none
    uint8_t casovif = 0;          // 0 primary, 1 table FD, 2 table FB, 100 manufacturer VIF,
                                  // 101 plain-text VIF, 102 manufacturer data
    uint8_t VIF = 0;
    QString VIFE;                 // "$hh " for every VIFE
    QString DIF;                  // "$hh"
    QString DIFE;                 // "$hh " for every DIFE
    QString totdati;              // the data bytes in hexadecimal, in received order
    QString VIF_ASCII;            // plain-text unit of a 0x7C / 0xFC VIF, in reading order
    QString Description;          // set by the window and the network file
    QString datagiorno;           // date of decoding
    QString tempo;                // time of decoding
    QString icon;                 // not set by the decoder
    int32_t Type_Data_Vife = 0;   // index in the network editor's VIFE list, 0 when none
    QString Desc_Type_Data;       // unit text: VIF text followed by the VIFE texts
    QString ValueStr;             // value as text
    QString FunctionFieldStr;
    QString DataFieldStr;
    bool Enable = true;           // ticked for saving
    bool Real_Wireless_Var = true;  // false for a wireless idle filler
    bool Is_BCD = false;
};

using TVariableList = std::vector<TVariable_MBus>;

// What a decode needs from its caller besides the bytes.
struct TDecodeContext {
    bool Wireless = false;            // idle fillers (DIF 0x2F) become items in a wireless decode
    QDateTime Stamp;                  // time of decoding; an invalid stamp leaves the texts empty
    QString DateFormat = QStringLiteral("dd/MM/yyyy");  // Qt date-format syntax
    QString TimeFormat = QStringLiteral("hh:mm:ss");
    QChar DecimalSeparator = u'.';
    // Stamp in the formats above, shared by every item of the decodes of one moment. Made by
    // Make_Stamp_Texts (Decode_Context_Now does); while both are null each decode makes them from
    // Stamp itself. Call it again after changing Stamp or a format.
    QString DateText;
    QString TimeText;
    void Make_Stamp_Texts();
};

// The context for a decode now, in the user's regional formats, its stamp texts made.
TDecodeContext Decode_Context_Now(bool wireless);

// Walks the records and appends one item per decoded record to list. Returns false when the data
// ended with DIF 0x1F (more records follow in the next frame), else true. Items decoded before a
// record that ends the walk stay in the list; a record cut short by the end of the bytes is added
// with errata set and ends the walk, unless it could never have been an item (selection for
// readout, a special function, "any VIF"), which ends the walk leaving nothing. A variable
// length whose byte count is unknown (LVAR 0xF5-0xFF) ends the walk the same way as a cut record:
// the bytes after it are never read as records.
bool Decode_Records(TVariableList& list, std::span<const uint8_t> records, const TDecodeContext& context);

// CI of an answer that carries variable data records.
constexpr uint8_t CI_Variable_Data = 0x72;

// The records of a meter's answer (a whole long frame) appended to list, as the wired scan reads
// them: a CI 0x72 answer is walked from byte 19 to the byte before its checksum (Decode_Records,
// same result); any other answer gives one item marked unusable with the not-analysable text,
// and true.
bool Decode_Answer_Records(TVariableList& list, std::span<const uint8_t> answer, const TDecodeContext& context);

// Works out the value, unit text and type codes of one record into item (type_data,
// Type_Data_Vife, Desc_Type_Data, ValueStr). vifes are the record's VIFEs (none after a VIF
// without bit 7), data its data bytes (nbyte of them). Text data (LVAR 0-191) is the value in
// reading order, whatever the unit; every other value is the number its data field codes, scaled
// by the unit and the VIFE chain (a plain-text unit too).
void Decode_Value_VIF(uint8_t vif, std::span<const uint8_t> vifes, TVariable_MBus& item, int nbyte,
                      uint8_t lvar, uint8_t dataField, std::span<const uint8_t> data,
                      QChar decimalSeparator = u'.');

// Value of the first n bytes as BCD, least significant byte first; a high nibble 0xF in the last
// byte makes the value negative. n is limited to the bytes given.
int64_t BCD_To_Int64(std::span<const uint8_t> bytes, int n);
int64_t Pow10(int n);
QString Pad2(int n);
QString Medium_Desc(int medium);
QString Man_Letter(int code);
QString Trova_Man(uint16_t code);

// The texts of a value, as the decoder shows them: up to 15 significant digits, the shortest form.
QString Float_To_Str(double value, QChar decimalSeparator = u'.');

// ---------------------------------------------------------------------------------------------
// The scan engine: a worker thread that runs the wired and wireless scan steps through the
// gateway (UDP, or the serial port) and fills the two lists of found meters.

}  // namespace mbus

#include "mbus/CommObjs.h"
#include "mbus/MBusLink.h"

#include <array>
#include <atomic>
#include <functional>
#include <memory>
#include <mutex>
#include <optional>
#include <string_view>
#include <thread>

namespace mbus {

class TComm;
class TMBusSlaveList;
class TWMBusSlaveList;
struct TSlave_wMBus;
struct TSaveConfXML;

// Every pause and wait of the engine. The production values are the defaults; tests give a tick
// source and a sleep of their own, so that the steps run on virtual time.
struct TScanTiming {
    uint32_t Pause_Primary_Ms = 500;    // before each frame of a primary scan
    uint32_t Pause_Secondary_Ms = 800;  // before each frame of a secondary search
    uint32_t Step_Ms = 40;              // after each step while scanning
    uint32_t Idle_Ms = 10;              // after each pass while idle
    TMBusLink::TickSource Ticks;        // the waits' millisecond counter; empty: the steady clock
    std::function<void(uint32_t ms)> Sleep;  // empty: a sleep that ends at once when the engine ends
};

// What the engine works with besides its settings.
struct TScanEngineSetup {
    TScanTiming Timing;
    // The engine's UDP endpoint; empty: the system's socket on Local_Address.
    std::function<std::unique_ptr<plat::UdpEndpoint>()> Make_Endpoint;
    QString Local_Address;  // empty: every interface
    TMBusSlaveList* Wired_List = nullptr;       // null: g_MBusSlaveList
    TWMBusSlaveList* Wireless_List = nullptr;   // null: g_WMBusSlaveList
};

// Progress of a wired scan: event, address, found, scan type (see Scan_Decode).
using TUpdateSlaveList = std::function<void(int32_t event, int32_t address, int32_t found, int32_t scanType)>;
// A decoded wireless telegram: the meter's index in the wireless list and the meter; with From_DLL
// the meter is not passed (null). Called in the order the telegrams came, one at a time, on the
// listener thread while the radio listens and on the engine's thread for a telegram that came
// among the module's answers; it should only hand the report on, never wait for the engine.
using TUpdateListWirelessSlave = std::function<void(int32_t index, const TSlave_wMBus* meter)>;
// Whether the window's tree row of a wired meter (variable -1) or value is ticked.
using TTickQuery = std::function<bool(int meter, int variable)>;

class TMBusScanDecode {
public:
    enum TScanType { saPrimaryAddress, saSecondaryAddress };
    enum TSelectHard { shEthernet, shSerial };
    enum TMBusType { mtWired, mtWireless };
    // Why a scan ended with FResult 2.
    enum TScanFailure {
        sfNone,
        sfDevice,     // the gateway's analyzer or configuration mode, or its radio module, did not answer as it must
        sfKeyLoad,    // the radio module did not take a key
        sfTransport,  // a send or the port failed; Failure_Message holds the system's text
        sfReport,     // the scan report could not be written
    };

    // Creates the transports and starts the thread, parked until Event_Run is signalled.
    explicit TMBusScanDecode(TScanEngineSetup setup = {});
    // Ends the thread (no step runs after this returns), then closes the endpoint and the port.
    ~TMBusScanDecode();
    TMBusScanDecode(const TMBusScanDecode&) = delete;
    TMBusScanDecode& operator=(const TMBusScanDecode&) = delete;

    // Wired scan. False, and nothing changed, while a scan runs. Opens the transport: throws
    // plat::SocketError or ECommError when it cannot.
    bool Start_Scan(TScanType ScanT, TSelectHard SelHard, const QString& IP_COM, int32_t Baud, int32_t Par,
                    bool AppReset, bool SNDNKE, int32_t CutAfter, bool FixCField, uint8_t FixCFieldValue,
                    bool RemoteTimeout, TUpdateSlaveList Proc_Slave_List);
    // Wireless scan: listens on the UDP port given. False while a scan runs. Throws as Start_Scan.
    bool Start_Scan_Wireless(TSelectHard SelHard, const QString& IP_COM, uint16_t Port, int32_t wMBus_Mode,
                             int32_t wMBus_Radio_Channel, bool RemoteTimeout, TUpdateListWirelessSlave Proc_Wireless,
                             bool FromDLL);
    void Stop_Scan();
    void Abort_Scan();
    // A meter's key, from the user: taken only while the radio module listens, and then loaded into
    // the module at once (listening resumes after it). The meter is the index in the wireless list.
    // With a Radiocrafts module a meter without a slot of the module's key table gets the next free
    // one; false when none is left. False, and nothing changed, when the key was not taken.
    bool Insert_Wireless_Key(int32_t index, const std::array<uint8_t, 16>& key);

    // The found meters into the network file, and the scan reports (MBusScanSave.h).
    bool Save_XML_Conf_Wired(const TSaveConfXML& DataIn, bool Check_BCD, const TTickQuery& ticked = {});
    bool Save_XML_Conf_Wireless(const TSaveConfXML& DataIn, bool Check_BCD);
    void Save_XML_File_DLL();
    void Save_Wireless_XML_File_DLL();

    // One pass of the thread while scanning: one step under the step lock, then the step pause.
    // An exception inside the step closes the scan with FResult 2.
    void Step_Once();
    // One step of the wired scan.
    void Scan_Decode();
    // One step of the wireless scan.
    void Scan_Decode_Wireless();

    // The radio module of the scan listening (on) or not. While it listens, every whole telegram is
    // decoded on the listener thread into the wireless list and reported to the callback given
    // at the start of the scan; anything else is dropped. Turned on, it first decodes the telegrams
    // that came while a step waited, in order.
    void Wireless_Listen(bool on);
    // Whole telegrams of the scan's radio module told apart from its answers (on) or not: a
    // telegram that a waiting step meets is decoded and reported as if heard while listening.
    void Wireless_Route(bool on);

    // Sends a command or the frame built last to the gateway, over the transport of the scan.
    void Send_Command(std::string_view text, uint16_t port);
    void Send_Command(uint16_t port);

    // The local UDP port the engine's endpoint is bound to, 0 while inactive.
    uint16_t Bound_Port() const;

    // Fields. The step lock guards the settings, the step number and the requests between the
    // user-interface thread and the engine's thread; the flags are also atomic for polling.
    std::atomic<bool> FExit{false};
    std::atomic<bool> FInScan{false};
    std::atomic<int32_t> FResult{-1};
    // Why the last scan failed (sfNone while FResult is not 2); the text of a transport failure.
    // Written by the engine's thread before the scan ends, read once FInScan is false.
    std::atomic<int32_t> Failure{sfNone};
    QString Failure_Message;
    std::atomic<bool> FStopScan{false};
    std::atomic<bool> FAbortScan{false};
    TRadioModule RadioModule = TRadioModule::rmTelit;
    TScanType ScanType = saPrimaryAddress;
    TSelectHard Select_Hardware = shEthernet;
    QString IP_Address;
    QString ComPort;
    int32_t Baudrate = 2400;
    int32_t Parity = 1;
    bool App_Reset = false;
    bool SND_NKE = false;
    int32_t Cut_After = 0;
    bool Fix_C_Field = false;
    uint8_t Fix_C_Field_Value = 0;
    int32_t wMBusMode = 0;
    int32_t wMBusRadioChannel = 0;
    std::atomic<int32_t> Step_Scan{0};
    std::unique_ptr<TMBusLink> UDP_Server;  // answer queue, waits and the UDP endpoint
    std::unique_ptr<TComm> Comm;
    TBytes Req_Array;
    int32_t ID_Dev_Primary = -1;
    bool ID_Dev_Found = false;
    int32_t Num_Frame_Read = 0;
    std::array<int32_t, 8> Index_Digit{-1, -1, -1, -1, -1, -1, -1, -1};  // Index_A .. Index_H
    int32_t Index_Device = -1;
    int32_t Sec_Add_Next_Step = 0;
    int32_t Count_Disable_Analyzer = 0;
    uint16_t Port_Wireless = 0;
    bool Wireless_Receive_Message = false;
    std::array<uint8_t, 16> Wireless_Key{};  // the key being loaded
    int32_t Wireless_Key_Index = -1;          // its meter in the wireless list
    int32_t Index_Key_Send = 0;               // key byte being sent (Telit)
    bool From_DLL = false;
    bool Enable_Send_In_Last_Step = false;
    int32_t Type_To_Send_In_Last_Step = 0;
    int32_t Index_RadioCrafts_Erase_Position = 0;  // Radiocrafts key-table slot being cleared
    int32_t Index_RadioCrafts_Position_Used = 1;   // next free Radiocrafts key-table slot
    int32_t Add_TimeOut = 0;
    std::unique_ptr<TEvent> Event_Run;  // the run gate: the thread steps only while signalled
    TMBusType MBusType = mtWired;
    TUpdateSlaveList Update_Slave_List;
    TUpdateListWirelessSlave UpdateListWirelessSlave;
    QString SaveXMLFile;  // when set at the end of a scan, the scan report is written there

private:
    void Execute();
    void Sleep_For(uint32_t ms);
    void Pause(uint32_t ms);  // a pause inside a step
    void Set_Wait(uint32_t ms);
    bool Timed_Out() const;
    // The answer the current wait takes: the oldest datagram since the send that is not stale by
    // the step's test; telegrams of the routed module are decoded on the way.
    std::optional<TBytes> Answer(const TMBusLink::StaleTest& stale = {});
    TCFieldSetting C_Field() const;
    void Fail(TScanFailure why, const QString& message = {});
    void Step_Failed(const QString& message);
    void Close_Transport();
    // The wired scan's pieces.
    int Add_Wired_Slave(int index, std::span<const uint8_t> answer, bool& last);
    void Notify_Slave_List(int32_t event, int32_t address, int32_t found, int32_t scanType);
    void Digit_Step(int digit);
    void Selection_Wait(int digit);
    void Read_Selected();
    void End_Wired_Scan();
    void End_Wireless_Scan();
    // The wireless scan's pieces.
    void Wireless_Failed();
    void Send_Text_Wait(std::string_view text, uint32_t wait);
    void Send_Bytes_Wait(TBytes bytes, uint32_t wait);
    bool Is_Listening_Step() const;
    struct TKeyMeter {
        uint16_t Manufacturer;
        uint32_t Address;
        uint8_t Version;
        uint8_t DeviceType;
        std::array<uint8_t, 16> Key;
        int32_t Slot;
    };
    std::optional<TKeyMeter> Key_Meter();
    void Telit_Step(int step);
    void RadioCrafts_Step(int step);

    TScanTiming FTiming;
    TMBusSlaveList* FWiredList;
    TWMBusSlaveList* FWirelessList;
    std::optional<uint16_t> FBinding;  // the UDP port a wireless scan bound; none: the system's choice
    std::recursive_mutex FStepLock;  // a callback may ask for a stop from inside a step
    std::unique_lock<std::recursive_mutex>* FStepHeld = nullptr;  // the step's hold on FStepLock, for its pauses
    TSimpleEvent FExitGate;  // signalled when the engine ends: pauses end at once
    std::thread FThread;
};

}  // namespace mbus
