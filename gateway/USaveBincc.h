#pragma once
// Builder of the two configuration images that the updater writes into the gateway:
//  - "bank1.bin": 2048 bytes of general and network parameters, closed by a 32-bit byte sum;
//  - "bank2.bin": the MQTT, TLS and NTP record, laid out for the device address 0x80000 (every
//    pointer in it is that base plus the offset of its target in the file).
// Pure logic: the sources are "ParGen.xml", "MQTT_Set_Topic.xml" and the project's certificate
// files; every integer goes out through explicit little-endian writes. Only Build_Images talks to
// the user, through plat::dialogs().
#include <QByteArray>
#include <QString>
#include <array>
#include <cstdint>
#include <optional>
#include <vector>

namespace USaveBincc {

inline constexpr int kBank1Size = 2048;
inline constexpr int kBank1BaseAddressOffset = 1424;
inline constexpr int kBank1ChecksumOffset = 2044;
inline constexpr uint32_t kBank2Base = 0x80000;
inline constexpr int kBank2Capacity = 524288;  // the device range 0x80000 .. 0xFFFFF
inline constexpr uint32_t kEmptyTextOffset = 220;  // always 0: the target of every empty-text pointer
inline constexpr int kBank2HeaderSize = 221;
inline constexpr int kStringReferenceSize = 12;
inline constexpr int kSubscribeRecordSize = 27;
inline constexpr int kPublishRecordSize = 49;

// ---- The bank-2 record. Texts are kept as the UTF-8 bytes that go into the image. ----

struct TMQTTString {
    QByteArray CString;
    uint32_t Address = 0;  // offset of the text in the image, 0 for an empty text
    int32_t Len = 0;       // UTF-8 byte length, without the closing 0
};

struct TMQTTPacket_WillOption {
    std::array<char, 4> Struct_ID{};
    int32_t Struct_Version = 0;
    TMQTTString TopicName;
    TMQTTString WillMessage;
    uint8_t Retained = 0;
    uint8_t QoS = 0;
};

struct TMQTTPacket_ConnectData {
    std::array<char, 4> Struct_ID{};
    int32_t Struct_Version = 0;
    uint8_t MQTTVersion = 0;
    TMQTTString ClientID;
    uint16_t KeepAliveInterval = 0;
    uint8_t CleanSession = 0;
    uint8_t WillFlag = 0;
    TMQTTPacket_WillOption Will;
    TMQTTString Username;
    TMQTTString Password;
};

struct TMQTTPacket_OnConnectOptions {
    TMQTTString topicName;
    TMQTTString conn_message;
    uint8_t reteined = 0;
    uint8_t qos = 0;
};

struct TMQTT_Subscribe_Data {
    uint32_t Position = 0;
    uint32_t Length = 0;
    uint32_t Type_SubData = 0;
    QByteArray Input_Template;
    uint32_t Input_Template_Add = 0;
    QByteArray Output_Template;
    uint32_t Output_Template_Add = 0;
    uint32_t IP_Address = 0;
    uint16_t Port = 0;
    uint8_t Proto = 0;
};

struct TMQTT_Publish_Data {
    QByteArray Description;
    uint32_t Desc_Add = 0;
    TMQTTString Publish_Topic;
    uint8_t Retained = 0;
    uint32_t QoS = 0;
    QByteArray Input_Template;
    uint32_t Input_Template_Add = 0;
    QByteArray Output_Template;
    uint32_t Output_Template_Add = 0;
    uint32_t Source_IP_Address = 0;
    uint32_t Position = 0;
    uint16_t Length = 0;
    uint16_t Type_Data = 0;
    uint32_t Timer = 0;
    uint32_t Options = 0;  // bit 0 OnChange, bit 1 OnCMD, bit 2 OnTimer
};

struct TMQTT {
    uint32_t Mode = 0;
    uint32_t Time_Poll = 0;
    QByteArray Server_Address;
    uint32_t Server_Address_Add = 0;
    uint16_t Server_Port = 0;
    TMQTTPacket_ConnectData Connect_Data;
    int32_t Topic_Filter_Count = 0;
    std::vector<TMQTTString> Topic_Filters;
    uint32_t Topic_Filters_Add = 0;
    std::vector<int32_t> Topic_Filter_QoS;
    uint32_t Topic_Filter_QoS_Add = 0;
    std::vector<TMQTT_Subscribe_Data> Subscribe_Data;
    uint32_t Subscribe_Data_Add = 0;
    int32_t Publish_Topic_Count = 0;
    std::vector<TMQTT_Publish_Data> Publish_Data;
    uint32_t Publish_Data_Add = 0;
    uint32_t TLS_Flag = 0;
    uint32_t TLS_Server_Authentication = 0;
    QByteArray TLS_Server_Cert;
    uint32_t TLS_Server_Cert_Len = 0;
    uint32_t TLS_Server_Cert_Add = 0;
    uint32_t TLS_Client_Authentication = 0;
    QByteArray TLS_Client_Cert;
    uint32_t TLS_Client_Cert_Len = 0;
    uint32_t TLS_Client_Cert_Add = 0;
    QByteArray TLS_Client_Key;
    uint32_t TLS_Client_Key_Len = 0;
    uint32_t TLS_Client_Key_Add = 0;
    uint32_t TLS_Client_Key_Password = 0;
    QByteArray TLS_Client_Key_Pass;
    uint32_t TLS_Client_Key_Add_Pass = 0;
    QByteArray NTP_Server_Address;
    uint32_t NTP_Server_Address_Add = 0;
    uint32_t NTP_Server_Poll = 0;
    uint8_t onconnectFlag = 0;
    TMQTTPacket_OnConnectOptions onconnect;
    TMQTTString topic_answer_dali;
    QByteArray TLS_CA_Cert;
    uint32_t TLS_CA_Cert_Len = 0;
    uint32_t TLS_CA_Cert_Add = 0;
};

using TBank1 = std::array<uint8_t, kBank1Size>;

// What one build reads. A source that is absent (nullopt) is a file that does not exist.
struct BuildInput {
    std::optional<QByteArray> parGen;  // bytes of "ParGen.xml"
    std::optional<QByteArray> topics;  // bytes of "MQTT_Set_Topic.xml"
    QString certificatesDir;           // the project's "Certificates" folder
};

// Working state of one build: the bank-1 record, the bank-2 record and both finished images.
struct BuildState {
    TBank1 bank1{};
    TMQTT mqtt;
    bool allowCrLf = false;
    uint64_t bank2Length = 0;  // computed with the offsets, before anything is serialised
    QByteArray bank1Image;  // empty until a build succeeds
    QByteArray bank2Image;
};

// ---- Internal operations, in the order Build_Banks runs them (exposed for the tests). ----

void Init_Bank1(TBank1& bank1);
void Init_MQTT(TMQTT& mqtt);
// Fills bank 1 and the parameter fields of the MQTT record; nothing when the file is absent.
// False with `error` when the file is not well-formed.
bool Load_ParGen(BuildState& state, const BuildInput& input, QString* error);
// Fills the topic arrays (when the file is present) and computes every offset of bank 2.
// False with `error` for a malformed topic file.
bool Load_MQTT_Set_Topic(BuildState& state, const BuildInput& input, QString* error);
// Serialises the record; every pointer is `base` + the offset of its target. Returns the length.
qsizetype Write_MQTT_Bank(const TMQTT& mqtt, uint32_t base, QByteArray& out);
// The byte sum of offsets 0 .. 2043, stored at 2044; returns the finished 2048 bytes.
QByteArray Copy_Bank1(TBank1& bank1);

// Builds both images into `state`. On failure the images are left empty and `error` says why.
bool Build_Banks(BuildState& state, const BuildInput& input, QString* error);
// Writes "bank1.bin" then "bank2.bin" into `binDir`, each atomically; stops at the first failure.
bool Save_Banks(const BuildState& state, const QString& binDir, QString* error);

// Reads the two project files when they exist (a file that exists but cannot be read is an error).
bool Read_Input(const QString& parGenFile, const QString& topicFile, const QString& certificatesDir,
                BuildInput& input, QString* error);

// ---- Helpers with rules of their own. ----

// The certificate rule: the text of `name` in `certificatesDir`, read as lines and joined with
// CR LF after every line; `name` itself when no such file exists or when it is not a bare file name.
// A file that exists but cannot be read is an error.
std::optional<QString> Load_Certificate(const QString& name, const QString& certificatesDir, QString* error);
QString Remove_CR_LF(const QString& text, bool allow);
// Field ranges "@<c><bit offset>.<bit count>@" of a subscription template, as the first byte and
// the number of bytes that cover every field. False when the template names no field.
bool Template_Byte_Range(const QString& tmpl, int64_t& firstByte, int64_t& byteCount);
uint32_t DataType_Code(const QString& text);

// ---- The program's build, on the open project (g_ParGenFile, g_MQTTSetTopicFile, g_ProjectPath). ----

// Builds both images into the process-wide buffers.
bool Create_Bin(QString* error = nullptr);
// Writes the images of the last successful Create_Bin into the project's "bin" folder.
bool Save_Bin(QString* error = nullptr);
// The step "Update Device UDP" before its dialog opens: Create_Bin, then Save_Bin. A failure is
// shown as an error box (and returned in `error`); the caller must then not open the dialog.
bool Build_Images(QString* error = nullptr);

// The images of the last successful Create_Bin (empty before one).
const QByteArray& Bank1_Image();
const QByteArray& Bank2_Image();

}  // namespace USaveBincc
