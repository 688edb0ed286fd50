#pragma once
// Decoding of the data records that meters send (wired RSP_UD frames and readable wireless
// telegrams), and the small code tables used for meters: medium names, manufacturer letters and
// BCD values.
//
// Everything here is a plain function over bytes: no widget, no shared state. Every read of a
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

}  // namespace mbus
