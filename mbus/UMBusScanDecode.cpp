#include "mbus/UMBusScanDecode.h"

#include "mbus/MBusFrames.h"
#include "platform/FormatSettings.h"

#include <algorithm>
#include <array>
#include <cmath>
#include <charconv>
#include <cstring>
#include <deque>
#include <optional>
#include <string>
#include <string_view>
#include <tuple>
#include <utility>

namespace mbus {

namespace {

// ---------------------------------------------------------------------------------------------
// Tables. A row covers the codes lo..hi; with one text it names them all, with several the text
// of code x is texts[x - lo]. The exponent is (x AND expMask) + expOffset, 0 without a mask. The
// code is the same for the whole row unless codeSteps, then code + (x - lo).

struct UnitRow {
    uint8_t lo, hi;
    std::array<const char*, 8> texts;
    uint8_t expMask;
    int8_t expOffset;
    uint16_t code;
    bool codeSteps = false;
};

constexpr uint16_t kNoType = 65535;

// Primary VIFs (x = VIF AND 0x7F); 0x6C/0x6D, 0x7B, 0x7C and 0x7D are handled in code.
const UnitRow kPrimaryVif[] = {
    {0x00, 0x07, {"Energy Wh"}, 7, -3, 0},
    {0x08, 0x0F, {"Energy J"}, 7, 0, 1},
    {0x10, 0x17, {"Volume m3"}, 7, -6, 2},
    {0x18, 0x1F, {"Mass kg"}, 7, -3, 3},
    {0x20, 0x23, {"On Time Seconds", "On Time Minutes", "On Time Hours", "On Time Days"}, 0, 0, 4},
    {0x24, 0x27, {"Operating Time Seconds", "Operating Time Minutes", "Operating Time Hours",
                  "Operating Time Days"}, 0, 0, 5},
    {0x28, 0x2F, {"Power W"}, 7, -3, 6},
    {0x30, 0x37, {"Power J/h"}, 7, 0, 7},
    {0x38, 0x3F, {"Volume Flow m3/h"}, 7, -6, 8},
    {0x40, 0x47, {"Volume Flow ext. m3/min"}, 7, -7, 9},
    {0x48, 0x4F, {"Volume Flow ext. m3/s"}, 7, -9, 10},
    {0x50, 0x57, {"Mass Flow kg/h"}, 7, -3, 11},
    {0x58, 0x5B, {"Flow Temperature \xC2\xB0" "C"}, 3, -3, 12},
    {0x5C, 0x5F, {"Return Temperature \xC2\xB0" "C"}, 3, -3, 13},
    {0x60, 0x63, {"Temperature Difference K"}, 3, -3, 14},
    {0x64, 0x67, {"External Temperature \xC2\xB0" "C"}, 3, -3, 15},
    {0x68, 0x6B, {"Pressure bar"}, 3, -3, 16},
    {0x6E, 0x6E, {"Units for H.C.A."}, 0, 0, 22},
    {0x6F, 0x6F, {""}, 0, 0, kNoType},
    {0x70, 0x73, {"Averaging Duration Seconds", "Averaging Duration Minutes", "Averaging Duration Hours",
                  "Averaging Duration Days"}, 0, 0, 17},
    {0x74, 0x77, {"Actuality Duration Seconds", "Actuality Duration Minutes", "Actuality Duration Hours",
                  "Actuality Duration Days"}, 0, 0, 18},
    {0x78, 0x78, {"Fabrication No"}, 0, 0, 23},
    {0x79, 0x79, {"Identification"}, 0, 0, 24},
    {0x7A, 0x7A, {"Bus Address"}, 0, 0, 25},
    {0x7E, 0x7E, {"Any VIF"}, 0, 0, kNoType},
    {0x7F, 0x7F, {"Manufacturer Specific"}, 0, 0, kNoType},
};

// Extension table after VIF 0xFD (x = first VIFE AND 0x7F); the code is the VIFE list index.
const UnitRow kTableFD[] = {
    {0x00, 0x03, {"Credit of (currency units)"}, 3, -3, 1},
    {0x04, 0x07, {"Debit of (currency units)"}, 3, -3, 2},
    {0x08, 0x08, {"Unique message Identification"}, 0, 0, 3},
    {0x09, 0x09, {"Device Type"}, 0, 0, 4},
    {0x0A, 0x0A, {"Manufacturer"}, 0, 0, 5},
    {0x0B, 0x0B, {"Parameter Set Identification"}, 0, 0, 6},
    {0x0C, 0x0C, {"Model Version"}, 0, 0, 7},
    {0x0D, 0x0D, {"Hardware Version Number"}, 0, 0, 8},
    {0x0E, 0x0E, {"Metrology (Firmware) Version Number"}, 0, 0, 9},
    {0x0F, 0x0F, {"Other Software Version Number"}, 0, 0, 10},
    {0x10, 0x10, {"Customer LOcation"}, 0, 0, 11},
    {0x11, 0x11, {"Customer"}, 0, 0, 12},
    {0x12, 0x15, {"Access Code User", "Access Code Operator", "Access Code System Operator",
                  "Access Code Developer"}, 0, 0, 13, true},
    {0x16, 0x16, {"Password"}, 0, 0, 17},
    {0x17, 0x17, {"Error Flag (Binary)"}, 0, 0, 18},
    {0x18, 0x18, {"Error Mask"}, 0, 0, 19},
    {0x19, 0x19, {"Security Key"}, 0, 0, 126},
    {0x1A, 0x1A, {"Digital Output (Binary)"}, 0, 0, 20},
    {0x1B, 0x1B, {"Digital Input (Binary)"}, 0, 0, 21},
    {0x1C, 0x1C, {"Baudrate [Baud]"}, 0, 0, 22},
    {0x1D, 0x1D, {"Responce Delay Time [Bit-Times]"}, 0, 0, 23},
    {0x1E, 0x1E, {"Retry"}, 0, 0, 24},
    {0x1F, 0x1F, {"Remote Control (Device Specific e.g. Gas Value)"}, 0, 0, 127},
    {0x20, 0x20, {"First Storage Number for Cyclic Storage"}, 0, 0, 25},
    {0x21, 0x21, {"Last Storage Number for Cyclic Storage"}, 0, 0, 26},
    {0x22, 0x22, {"Size of Storage Block"}, 0, 0, 27},
    {0x24, 0x27, {"Storage Interval Second(s)", "Storage Interval Minute(s)", "Storage Interval Hour(s)",
                  "Storage Interval Day(s)"}, 0, 0, 28},
    {0x28, 0x28, {"Storage Interval Month(s)"}, 0, 0, 29},
    {0x29, 0x29, {"Storage Interval Year(s)"}, 0, 0, 30},
    {0x2A, 0x2A, {"Operator Specific Data"}, 0, 0, 128},
    {0x2B, 0x2B, {"Time Point Second (0 to 59)"}, 0, 0, 129},
    {0x2C, 0x2F, {"Duration Since Last Readout Second(s)", "Duration Since Last Readout Minute(s)",
                  "Duration Since Last Readout Hour(s)", "Duration Since Last Readout Day(s)"}, 0, 0, 31},
    {0x30, 0x30, {"Start (Date/Time) of Tariff"}, 0, 0, 32},
    {0x31, 0x33, {"Duration of Tariff Minute(s)", "Duration of Tariff Hour(s)", "Duration of Tariff Day(s)"},
     0, 0, 33},
    {0x34, 0x37, {"Period of Tariff Second(s)", "Period of Tariff Minute(s)", "Period of Tariff Hour(s)",
                  "Period of Tariff Day(s)"}, 0, 0, 34},
    {0x38, 0x38, {"Period of Tariff Month(s)"}, 0, 0, 35},
    {0x39, 0x39, {"Period of Tariff Year(s)"}, 0, 0, 36},
    {0x3A, 0x3A, {"Dimensionless / No VIF"}, 0, 0, 37},
    {0x3B, 0x3B, {"Data Container for Wireless M-Bus Protocol"}, 0, 0, 130},
    {0x3C, 0x3F, {"Period of Nominal Data Transmissions Second(s)",
                  "Period of Nominal Data Transmissions Minute(s)",
                  "Period of Nominal Data Transmissions Hour(s)",
                  "Period of Nominal Data Transmissions Day(s)"}, 0, 0, 131},
    {0x40, 0x4F, {"Electric Units Volts"}, 0x0F, -9, 38},
    {0x50, 0x5F, {"Electric Units A"}, 0x0F, -12, 39},
    {0x60, 0x67, {"Reset Counter", "Cumulation Counter", "Control Signal", "Day of Week", "Week Number",
                  "Time Point of Day Change", "State of Parameter Activation", "Special Supplier Information"},
     0, 0, 40, true},
    {0x68, 0x6B, {"Duration Since Last Cumulation Hour(s)", "Duration Since Last Cumulation Day(s)",
                  "Duration Since Last Cumulation Month(s)", "Duration Since Last Cumulation Year(s)"}, 0, 0, 48},
    {0x6C, 0x6F, {"Operating Time Battery Hour(s)", "Operating Time Battery Day(s)",
                  "Operating Time Battery Month(s)", "Operating Time Battery Year(s)"}, 0, 0, 49},
    {0x70, 0x70, {"Date and Time of Battery Change"}, 0, 0, 50},
    {0x71, 0x71, {"RF Level Units: dBm"}, 0, 0, 132},
    {0x72, 0x72, {"Daylight Savings (Beginning, Ending, Deviation) Data Type K"}, 0, 0, 133},
    {0x73, 0x73, {"Listening Window Management Data Type L"}, 0, 0, 134},
    {0x74, 0x74, {"Remaining Battery Life Time (Days)"}, 0, 0, 135},
    {0x75, 0x75, {"Number Times the Meter Was Stopped"}, 0, 0, 136},
};

// Extension table after VIF 0xFB.
const UnitRow kTableFB[] = {
    {0x00, 0x01, {"Energy MWh"}, 1, -1, 51},
    {0x02, 0x03, {"Reactive Energy kVARh"}, 1, 0, 137},
    {0x04, 0x05, {"Apparent Energy kVAh"}, 1, 0, 138},
    {0x08, 0x09, {"Energy GJ"}, 1, -1, 52},
    {0x0C, 0x0F, {"Energy MCal"}, 3, -1, 139},
    {0x10, 0x11, {"Volume m3"}, 1, 2, 53},
    {0x14, 0x17, {"Reactive Power kVAR"}, 3, -3, 140},
    {0x18, 0x19, {"Volume t"}, 1, 2, 54},
    {0x1A, 0x1B, {"Relative Humidity %"}, 1, -1, 141},
    {0x20, 0x20, {"Volume Feet 3"}, 0, 0, 142},
    {0x21, 0x21, {"Volume 0,1 Feet 3"}, 0, 0, 55},
    {0x22, 0x22, {"Volume 0,1 American Gallon"}, 0, 0, 56},
    {0x23, 0x23, {"Volume 1 American Gallon"}, 0, 0, 57},
    {0x24, 0x24, {"Volume Flow 0,001 American Gallon/min"}, 0, 0, 58},
    {0x25, 0x25, {"Volume Flow 1 American Gallon/min"}, 0, 0, 59},
    {0x26, 0x26, {"Volume Flow 1 American Gallon/h"}, 0, 0, 60},
    {0x28, 0x29, {"Power MW"}, 1, -1, 61},
    {0x2A, 0x2A, {"Phase U-U (Volt. to Volt.)"}, 0, 0, 143},
    {0x2B, 0x2B, {"Phase U-I (Volt. to Current)"}, 0, 0, 144},
    {0x2C, 0x2F, {"Frequency Hz"}, 3, -3, 145},
    {0x30, 0x31, {"Power GJ/h"}, 1, -1, 62},
    {0x34, 0x37, {"Apparent Power kVA"}, 3, -3, 146},
    {0x58, 0x5B, {"Flow Temperature \xC2\xB0" "F"}, 3, -3, 63},
    {0x5C, 0x5F, {"Return Temperature \xC2\xB0" "F"}, 3, -3, 64},
    {0x60, 0x63, {"Temperature Difference \xC2\xB0" "F"}, 3, -3, 65},
    {0x64, 0x67, {"External Temperature \xC2\xB0" "F"}, 3, -3, 66},
    {0x70, 0x73, {"Cold / Warm Temperature Limit \xC2\xB0" "F"}, 3, -3, 67},
    {0x74, 0x77, {"Cold / Warm Temperature Limit \xC2\xB0" "C"}, 3, -3, 68},
    {0x78, 0x7F, {"Cum. Max. of Active Power W"}, 7, -3, 69},
};

// VIFE effects on the value.
enum class VifeEffect : uint8_t { None, Date, Scale, Phase };

struct VifeRow {
    uint8_t lo, hi;
    std::array<const char*, 13> texts;
    uint16_t code;
    bool codeSteps;
    VifeEffect effect = VifeEffect::None;
};

const VifeRow kVifeRows[] = {
    {0x00, 0x07, {" - None", " - Too Many DIFEs", " - Storage Number not Implemented",
                  " - Unit Number not Implemented", " - Tariff Number not Implemented",
                  " - Function not Implemented", " - Data Class not Implemented",
                  " - Data Size not Implemented"}, 108, true},
    {0x0B, 0x0F, {" - Too Many VIFEs", " - Illegal VIF-Group", " - Illegal VIF-Exponent",
                  " - VIF / DIF Mismatch", " - Unimplemented Action"}, 116, true},
    {0x15, 0x18, {" - No Data Available (Undefined Value)", " - Data Overflow", " - Data Underflow",
                  " - Data Error"}, 121, true},
    {0x1C, 0x1C, {" - Premature End of Record"}, 125, false},
    {0x20, 0x27, {" - Per Second", " - Per Minute", " - Per Hour", " - Per Day", " - Per Week",
                  " - Per Month", " - Per Year", " - Per Revolution / Measurement"}, 70, true},
    {0x28, 0x29, {" - Increment per Input Pulse on Input Channel 0",
                  " - Increment per Input Pulse on Input Channel 1"}, 78, false},
    {0x2A, 0x2B, {" - Increment per Output Pulse on Output Channel 0",
                  " - Increment per Output Pulse on Output Channel 1"}, 79, false},
    {0x2C, 0x38, {" - Per Liter", " - Per m3", " - Per kg", " - Per K (Kelvin)", " - Per kWh", " - Per GJ",
                  " - Per kW", " - Per (K*l)(Kelvin * Litre)", " - Per V (Volt)", " - Per (A) (Ampere)",
                  " - Multiplied by s", " - Multiplied by s / V", " - Multiplied by s / A"}, 80, true},
    {0x39, 0x39, {" - Start Date (/Time) of"}, 93, false},
    {0x3A, 0x3A, {" - VIF Contains Uncorrect Unit or Value at Metering Conditions Instead of Converted Unit"},
     94, false},
    {0x3B, 0x3B, {" - Accumulation Only if Positive Contributions (Forward Flow Contribution)"}, 95, false},
    {0x3C, 0x3C, {" - Accumulation of abs Value Only if Negative Contributions (Backward Flow)"}, 96, false},
    {0x3D, 0x3D, {" - Reserved for Alternate non-metric Unit System (according to Annex C)"}, 147, false},
    {0x3E, 0x3E, {" - Value at Base Conditions"}, 148, false},
    {0x40, 0x40, {" - Lower Limit Value"}, 97, false},
    {0x48, 0x48, {" - Upper Limit Value"}, 97, false},
    {0x41, 0x41, {" - # of Exceeds of Lower Limit"}, 98, false},
    {0x49, 0x49, {" - # of Exceeds of Upper Limit"}, 98, false},
    {0x68, 0x68, {" - Value During Lower Limit Exceed"}, 149, false},
    {0x6C, 0x6C, {" - Value During Upper Limit Exceed"}, 149, false},
    {0x69, 0x69, {" - Leakage Values"}, 150, false},
    {0x6D, 0x6D, {" - Overflow Values"}, 151, false},
    {0x6A, 0x6B, {" - Date(/Time) of Begin of First", " - Date(/Time) of End of First"}, 102, false,
     VifeEffect::Date},
    {0x6E, 0x6F, {" - Date(/Time) of Begin of Last", " - Date(/Time) of End of Last"}, 102, false,
     VifeEffect::Date},
    {0x7C, 0x7C, {""}, 0, false, VifeEffect::Phase},
    {0x7D, 0x7D, {" - Multiplicative Cerrection Factor: 10^(3)"}, 105, false, VifeEffect::Scale},
    {0x7E, 0x7E, {" - Future Value"}, 106, false},
    {0x7F, 0x7F, {" - Next VIFEs and Data of This Block Are Manufacturer Specific"}, 107, false},
};

const char* const kPhaseTexts[] = {
    nullptr, " - At Phase L1", " - At Phase L2", " - At Phase L3", " - At Neutral (N)",
    " - Between Phase L1 and L2", " - Between Phase L2 and L3", " - Between Phase L3 and L1",
};
const char kAbsoluteCount[] =
    " - Accumulation of abs. Value for Both Positive and Negative Contribution (Absolute Count)";

// Data-field codes (DIF AND 0x0F), except 13 whose size comes from LVAR.
struct DataFieldRow {
    int8_t bytes;
    const char* dataFieldStr;
    const char* descdim;
};

const DataFieldRow kDataFields[16] = {
    {0, "", "No data"},
    {1, "8 Bit Integer", "8 Bit Integer"},
    {2, "16 Bit Integer", "16 Bit Integer"},
    {3, "24 Bit Integer", "24 Bit Integer"},
    {4, "32 Bit Integer", "32 Bit Integer"},
    {4, "32 Bit Real", "32 Bit real"},
    {6, "48 Bit Integer", "48 Bit Integer"},
    {8, "64 Bit Integer", "64 Bit Integer"},
    {0, "", "Selection for Readout"},
    {1, "2 Digit BCD", "2 digit BCD"},
    {2, "4 Digit BCD", "4 digit BCD"},
    {3, "6 Digit BCD", "6 digit BCD"},
    {4, "8 Digit BCD", "8 digit BCD"},
    {0, "", ""},
    {6, "12 Digit BCD", "12 digit BCD"},
    {0, "Special Function", ""},
};

const char* const kFunctionTexts[4] = {"Istantaneous value", "Maximum value", "Minimum value",
                                       "Value during error state"};

const char* const kWeekdays[8] = {"", "Monday ", "Tuesday ", "Wednesday ", "Thursday ",
                                  "Friday ", "Saturday ", "Sunday "};

const char kNotDecodable[] = "Non analizabile";

// The number of data bytes an LVAR announces, -1 when the walk cannot know it: ASCII text of
// LVAR characters, BCD of LVAR - 0xC0 / 0xD0 bytes, binary of LVAR - 0xE0 bytes, and the long
// binary numbers 0xF0-0xF4 of 4 * (LVAR - 0xEC) bytes (16 to 32).
int lvarBytes(uint8_t lvar) {
    if (lvar <= 0xBF) return lvar;
    if (lvar <= 0xEF) return lvar & 0x0F;
    if (lvar <= 0xF4) return 4 * (lvar - 0xEC);
    return -1;
}

void hexDigits(uint8_t b, char16_t* out) {
    static const char digits[] = "0123456789ABCDEF";
    out[0] = char16_t(digits[b >> 4]);
    out[1] = char16_t(digits[b & 15]);
}

// ---------------------------------------------------------------------------------------------
// The constant texts. Each is made once as UTF-16 in storage that is never freed and handed out
// as a raw-data string, so that an item's copy costs neither an allocation nor a reference count.

class TextPool {
public:
    QString add(const QString& text) {
        store_.emplace_back(reinterpret_cast<const char16_t*>(text.constData()), size_t(text.size()));
        const std::u16string& s = store_.back();
        return QString::fromRawData(reinterpret_cast<const QChar*>(s.data()), qsizetype(s.size()));
    }
    QString add(const char* utf8) { return add(QString::fromUtf8(utf8)); }

private:
    std::deque<std::u16string> store_;  // a deque never moves what it holds
};

// One code of a table, looked up.
struct Unit {
    QString text;
    int exponent = 0;
    uint16_t code = 0;
    bool found = false;
};
using UnitTable = std::array<Unit, 128>;

struct VifeEntry {
    QString text;
    uint16_t code = 0;
    VifeEffect effect = VifeEffect::None;
    int8_t exponent = 0;
};

struct Texts {
    TextPool pool;
    std::array<QString, 256> dollar;       // "$hh"
    std::array<QString, 256> dollarBlank;  // "$hh "
    std::array<QString, 256> hex;          // "hh"
    std::array<QString, 16> dataFieldStr;
    std::array<QString, 16> descdim;
    std::array<QString, 256> lvarDataFieldStr;  // by LVAR
    std::array<QString, 256> lvarDescdim;
    std::array<QString, 4> function;
    QString notDecodable;
    QString zero;
    QString vifInString;
    QString dateG, dateTimeF, timeJ, dateTimeI;
    Unit reserved;
    UnitTable primary, fd, fb;
    std::array<VifeEntry, 128> vife;
    std::array<QString, 8> phase;  // by the VIFE after 0x7C, 1-7
    QString absoluteCount;         // the VIFE 0x10 after 0x7C

    Texts() {
        for (int b = 0; b < 256; ++b) {
            char t[4] = {'$', 0, 0, ' '};
            static const char digits[] = "0123456789ABCDEF";
            t[1] = digits[b >> 4];
            t[2] = digits[b & 15];
            dollar[b] = pool.add(QString::fromLatin1(t, 3));
            dollarBlank[b] = pool.add(QString::fromLatin1(t, 4));
            hex[b] = pool.add(QString::fromLatin1(t + 1, 2));
        }
        for (int i = 0; i < 16; ++i) {
            dataFieldStr[i] = pool.add(kDataFields[i].dataFieldStr);
            descdim[i] = pool.add(kDataFields[i].descdim);
        }
        for (int lvar = 0; lvar < 256; ++lvar) {
            const int n = lvarBytes(uint8_t(lvar));
            QString a, b;
            if (lvar <= 0xBF) {
                a = QStringLiteral("Variable Length - ASCII String with %1characters").arg(n);
                b = QStringLiteral("Variable length: ASCII string with %1 characters").arg(n);
            } else if (lvar <= 0xCF) {
                a = QStringLiteral("Variable Length - Positive BCD Number with %1 digits").arg(2 * n);
                b = QStringLiteral("Variable length: Positive BCD number with %1 *2 digits").arg(n);
            } else if (lvar <= 0xDF) {
                a = QStringLiteral("Variable Length - Negative BCD Number with %1 digits").arg(2 * n);
                b = QStringLiteral("Variable length: Negative BCD number with %1 *2 digits").arg(n);
            } else if (n >= 0) {
                a = QStringLiteral("Variable Length - Binary Number with %1 Bytes").arg(n);
                b = QStringLiteral("Variable length: Binary number with %1 bytes").arg(n);
            } else {
                a = QStringLiteral("Variable Length - Reserved");
                b = QStringLiteral("Variable length: Reserved");
            }
            lvarDataFieldStr[lvar] = pool.add(a);
            lvarDescdim[lvar] = pool.add(b);
        }
        for (int i = 0; i < 4; ++i) function[i] = pool.add(kFunctionTexts[i]);
        notDecodable = pool.add(kNotDecodable);
        zero = pool.add("0");
        vifInString = pool.add("Vif in following String");
        dateG = pool.add("Time Point Date (Type G)");
        dateTimeF = pool.add("Time Point Date and Time (Type F)");
        timeJ = pool.add("Time Point Extended Time Point (Type J)");
        dateTimeI = pool.add("Time Point Extended Date and Time Point (Type I)");
        reserved = Unit{pool.add("Reserved"), 0, 0, false};
        expand(kPrimaryVif, primary);
        expand(kTableFD, fd);
        expand(kTableFB, fb);
        buildVife();
        for (int y = 1; y < 8; ++y) phase[y] = pool.add(kPhaseTexts[y]);
        absoluteCount = pool.add(kAbsoluteCount);
    }

    // A table expanded to all 128 codes.
    template <size_t N>
    void expand(const UnitRow (&rows)[N], UnitTable& t) {
        t.fill(reserved);
        for (const UnitRow& r : rows) {
            for (int x = r.lo; x <= r.hi; ++x) {
                Unit& u = t[x];
                u.text = pool.add(r.texts[r.texts[1] ? x - r.lo : 0]);
                u.exponent = r.expMask ? (x & r.expMask) + r.expOffset : 0;
                u.code = r.codeSteps ? uint16_t(r.code + (x - r.lo)) : r.code;
                u.found = true;
            }
        }
    }

    void buildVife() {
        std::array<QString, 128> text;
        text.fill(QStringLiteral(" - Reserved"));
        auto& t = vife;
        for (const VifeRow& r : kVifeRows) {
            for (int x = r.lo; x <= r.hi; ++x) {
                text[x] = QString::fromUtf8(r.texts[r.texts[1] ? x - r.lo : 0]);
                t[x].code = r.codeSteps ? uint16_t(r.code + (x - r.lo)) : r.code;
                t[x].effect = r.effect;
            }
        }
        // Limit-exceed dates: bit 3 upper, bit 2 last, bit 0 end.
        for (int x : {0x42, 0x43, 0x46, 0x47, 0x4A, 0x4B, 0x4E, 0x4F}) {
            text[x] = QStringLiteral(" - Date(/Time) of %1 of %2 %3 Limit Exceed")
                          .arg(x & 1 ? u"End" : u"Begin", x & 4 ? u"Last" : u"First", x & 8 ? u"Upper" : u"Lower");
            t[x].code = 99;
            t[x].effect = VifeEffect::Date;
        }
        // Limit-exceed durations: bits 0-1 unit, bit 2 last, bit 3 upper.
        for (int x = 0x50; x <= 0x5F; ++x) {
            text[x] = QStringLiteral(" - Duration %1 of %2 %3 Limit Exceed")
                          .arg(Pad2(x & 3), x & 4 ? u"Last" : u"First", x & 8 ? u"Upper" : u"Lower");
            t[x].code = 100;
        }
        for (int x = 0x60; x <= 0x67; ++x) {
            text[x] = QStringLiteral(" - Duration %1 of %2").arg(Pad2(x & 3), x & 4 ? u"Last" : u"First");
            t[x].code = 101;
        }
        for (int x = 0x70; x <= 0x77; ++x) {
            t[x].exponent = int8_t((x & 7) - 6);
            text[x] = QStringLiteral(" - Moltiplicative Correction Factor: 10^(%1)").arg(t[x].exponent);
            t[x].code = 103;
            t[x].effect = VifeEffect::Scale;
        }
        for (int x = 0x78; x <= 0x7B; ++x) {
            t[x].exponent = int8_t((x & 3) - 3);
            text[x] = QStringLiteral(" - Additive Correction Constant: 10^(%1) * Unit of VIF").arg(t[x].exponent);
            t[x].code = 104;
            t[x].effect = VifeEffect::Scale;
        }
        t[0x7D].exponent = 3;
        for (int x = 0; x < 128; ++x) t[x].text = pool.add(text[x]);
    }
};

// Never destroyed: the items of the meter lists hold its texts until the program ends.
const Texts& texts() {
    static const Texts* const t = new Texts;
    return *t;
}

// ---------------------------------------------------------------------------------------------
// Building texts: each is written into a buffer and becomes one string, one allocation.

class TextBuf {
public:
    void put(char16_t c) {
        if (n_ < buf_.size()) buf_[n_++] = c;
    }
    void put(QStringView s) {
        for (QChar c : s) put(c.unicode());
    }
    void putLatin1(const char* s) {
        for (; *s; ++s) put(char16_t(uint8_t(*s)));
    }
    // n in decimal, with a leading "0" when it has one digit.
    void put2(int n) {
        char d[12];
        const auto r = std::to_chars(d, d + sizeof d, n);
        if (r.ptr - d == 1) put(u'0');
        for (const char* c = d; c < r.ptr; ++c) put(char16_t(*c));
    }
    QString str() const { return QString(reinterpret_cast<const QChar*>(buf_.data()), qsizetype(n_)); }

private:
    std::array<char16_t, 64> buf_;
    size_t n_ = 0;
};

void putDateG(TextBuf& b, uint8_t b0, uint8_t b1) {
    b.put2(b0 & 0x1F);
    b.put(u'/');
    b.put2(b1 & 0x0F);
    b.put(u'/');
    b.put2((b0 >> 5) + ((b1 >> 1) & 0x78));
}

void putTimeHMS(TextBuf& b, uint8_t h, uint8_t m, uint8_t s) {
    b.put2(h & 0x1F);
    b.put(u':');
    b.put2(m & 0x3F);
    b.put(u':');
    b.put2(s & 0x3F);
}

// Date or time text of the data by its data-field code; nothing when the code has none. desc
// points at the constant unit text of the kind.
bool dateText(uint8_t dataField, std::span<const uint8_t> d, const QString*& desc, QString& value) {
    const Texts& tx = texts();
    TextBuf b;
    switch (dataField) {
    case 2:
        if (d.size() < 2) return false;
        desc = &tx.dateG;
        putDateG(b, d[0], d[1]);
        break;
    case 4:
        if (d.size() < 4) return false;
        desc = &tx.dateTimeF;
        putDateG(b, d[2], d[3]);
        b.put(u' ');
        b.put2(d[1] & 0x1F);
        b.put(u':');
        b.put2(d[0] & 0x3F);
        break;
    case 3:
        if (d.size() < 3) return false;
        desc = &tx.timeJ;
        putTimeHMS(b, d[2], d[1], d[0]);
        break;
    case 6:
        if (d.size() < 6) return false;
        desc = &tx.dateTimeI;
        b.putLatin1(kWeekdays[d[2] >> 5]);
        putDateG(b, d[3], d[4]);
        b.put(u' ');
        putTimeHMS(b, d[2], d[1], d[0]);
        break;
    default:
        return false;
    }
    value = b.str();
    return true;
}

// Bytes as Latin-1 characters, the last byte first: meters send text last character first.
QString reversedText(std::span<const uint8_t> bytes) {
    QString s(qsizetype(bytes.size()), Qt::Uninitialized);
    QChar* out = s.data();
    for (size_t i = 0; i < bytes.size(); ++i) out[i] = QChar(bytes[bytes.size() - 1 - i]);
    return s;
}

// Bytes in hexadecimal, two digits each, each optionally followed by a blank; "$" before each
// when dollar is set.
QString hexText(std::span<const uint8_t> bytes, bool dollar, bool blank) {
    const qsizetype each = 2 + (dollar ? 1 : 0) + (blank ? 1 : 0);
    QString s(qsizetype(bytes.size()) * each, Qt::Uninitialized);
    char16_t* out = reinterpret_cast<char16_t*>(s.data());
    for (uint8_t b : bytes) {
        if (dollar) *out++ = u'$';
        hexDigits(b, out);
        out += 2;
        if (blank) *out++ = u' ';
    }
    return s;
}

// ---------------------------------------------------------------------------------------------
// Raw values.

uint64_t littleEndian(std::span<const uint8_t> d, size_t n) {
    uint64_t v = 0;
    n = std::min(n, d.size());
    for (size_t i = n; i-- > 0;) v = (v << 8) | d[i];
    return v;
}

int64_t signExtend(uint64_t v, int bits) {
    const uint64_t sign = uint64_t(1) << (bits - 1);
    return int64_t((v ^ sign) - sign);
}

struct RawValue {
    bool isFloat = false;
    int64_t integer = 0;
    double real = 0;
};

RawValue rawValue(uint8_t dataField, uint8_t lvar, std::span<const uint8_t> d) {
    RawValue r;
    switch (dataField) {
    case 1: r.integer = signExtend(littleEndian(d, 1), 8); break;
    case 2: r.integer = signExtend(littleEndian(d, 2), 16); break;
    case 3: r.integer = signExtend(littleEndian(d, 3), 24); break;
    case 4: r.integer = signExtend(littleEndian(d, 4), 32); break;
    case 6: r.integer = signExtend(littleEndian(d, 6), 48); break;
    case 7: r.integer = int64_t(littleEndian(d, 8)); break;
    case 5: {
        const uint32_t bits = uint32_t(littleEndian(d, 4));
        float f;
        std::memcpy(&f, &bits, sizeof f);
        r.isFloat = true;
        r.real = f;
        break;
    }
    case 9: r.integer = BCD_To_Int64(d, 1); break;
    case 10: r.integer = BCD_To_Int64(d, 2); break;
    case 11: r.integer = BCD_To_Int64(d, 3); break;
    case 12: r.integer = BCD_To_Int64(d, 4); break;
    case 14: r.integer = BCD_To_Int64(d, 6); break;
    case 13:
        if (lvar >= 192 && lvar <= 201) r.integer = BCD_To_Int64(d, lvar - 192);
        else if (lvar >= 208 && lvar <= 217) r.integer = -BCD_To_Int64(d, lvar - 208);
        break;
    default: break;
    }
    return r;
}

double scaled(double v, int exponent) {
    if (exponent >= 0) return v * std::pow(10.0, exponent);
    return v / std::pow(10.0, -exponent);
}

// A value as its significant digits (no trailing zeros) and the decimal exponent of the first:
// digits "12565" with exponent 1 is 12.565.
struct Decimal {
    bool negative = false;
    std::array<char, 24> digits{};
    size_t count = 0;
    int exponent = 0;
};

// Up to 15 significant digits of a double, rounded.
Decimal decimalOf(double value) {
    Decimal d;
    char buf[48];
    const auto res = std::to_chars(buf, buf + sizeof buf - 1, value, std::chars_format::scientific, 14);
    *res.ptr = 0;  // [-]d.dddddddddddddde[+-]xx
    const char* s = buf;
    d.negative = *s == '-';
    if (d.negative) ++s;
    for (; *s && *s != 'e'; ++s)
        if (*s != '.') d.digits[d.count++] = *s;
    d.exponent = std::atoi(s + 1);
    while (d.count > 1 && d.digits[d.count - 1] == '0') --d.count;
    return d;
}

// The text of a value, as Float_To_Str shows it.
QString decimalText(const Decimal& d, QChar separator) {
    TextBuf b;
    const std::string_view digits(d.digits.data(), d.count);
    auto putDigits = [&](std::string_view s) {
        for (char c : s) b.put(char16_t(c));
    };
    if (d.negative) b.put(u'-');
    if (d.exponent >= 15 || d.exponent < -5) {
        b.put(char16_t(digits[0]));
        if (digits.size() > 1) {
            b.put(separator.unicode());
            putDigits(digits.substr(1));
        }
        b.put(u'E');
        char e[8];
        const auto r = std::to_chars(e, e + sizeof e, d.exponent);
        putDigits(std::string_view(e, size_t(r.ptr - e)));
    } else if (d.exponent >= 0) {
        const size_t intDigits = size_t(d.exponent) + 1;
        if (digits.size() <= intDigits) {
            putDigits(digits);
            for (size_t i = digits.size(); i < intDigits; ++i) b.put(u'0');
        } else {
            putDigits(digits.substr(0, intDigits));
            b.put(separator.unicode());
            putDigits(digits.substr(intDigits));
        }
    } else {
        b.put(u'0');
        b.put(separator.unicode());
        for (int i = -d.exponent - 1; i > 0; --i) b.put(u'0');
        putDigits(digits);
    }
    return b.str();
}

// The text of integer times 10^exponent. An integer of at most 15 digits scaled by an exactly
// representable power of ten shows, through a double rounded to 15 digits, exactly its own
// digits; those are taken directly, anything else goes through the double.
QString scaledIntegerText(int64_t integer, int exponent, QChar separator) {
    constexpr uint64_t kLimit = 1000000000000000ULL;  // 10^15
    const uint64_t magnitude = integer < 0 ? 0 - uint64_t(integer) : uint64_t(integer);
    if (integer == 0) return texts().zero;
    if (magnitude >= kLimit || exponent < -22 || exponent > 22)
        return Float_To_Str(scaled(double(integer), exponent), separator);
    Decimal d;
    d.negative = integer < 0;
    char buf[24];
    const auto r = std::to_chars(buf, buf + sizeof buf, magnitude);
    size_t n = size_t(r.ptr - buf);
    d.exponent = int(n) - 1 + exponent;
    while (n > 1 && buf[n - 1] == '0') --n;
    std::memcpy(d.digits.data(), buf, n);
    d.count = n;
    return decimalText(d, separator);
}

}  // namespace

// -----------------------------------------------------------------------------------------------

int64_t Pow10(int n) {
    if (n < 0) return 0;
    if (n > 18) return INT64_MAX;
    int64_t v = 1;
    while (n-- > 0) v *= 10;
    return v;
}

QString Pad2(int n) {
    QString s = QString::number(n);
    if (s.size() == 1) s.prepend(u'0');
    return s;
}

int64_t BCD_To_Int64(std::span<const uint8_t> bytes, int n) {
    if (n <= 0) return 0;
    const size_t count = std::min(size_t(n), bytes.size());
    if (count == 0) return 0;
    bool negative = false;
    uint64_t v = 0;
    for (size_t i = count; i-- > 0;) {
        uint8_t hi = bytes[i] >> 4;
        const uint8_t lo = bytes[i] & 0x0F;
        if (i == count - 1 && hi == 0x0F) {
            negative = true;
            hi = 0;
        }
        v = v * 100 + hi * 10 + lo;
    }
    return negative ? -int64_t(v) : int64_t(v);
}

QString Medium_Desc(int medium) {
    static const char* const kLow[16] = {
        "Other", "Oil", "Electricity", "Gas", "Heat (outlet)", "Steam", "Hot Water", "Water",
        "Heat Cost Allocator.", "Compressed Air", "Cooling load meter (outlet)", "Cooling load meter (inlet)",
        "Heat (inlet) ", "Heat/Cooling load meter", "Bus/System", "Unknown Medium"};
    static const char* const kHigh[4] = {"Cold Water", "Dual Water", "Pressure", "A/D Converter"};
    if (medium >= 0 && medium < 16) return QString::fromLatin1(kLow[medium]);
    if (medium >= 22 && medium <= 25) return QString::fromLatin1(kHigh[medium - 22]);
    return QStringLiteral("Other");
}

QString Man_Letter(int code) {
    if (code >= 65 && code <= 90) return QString(QChar(code));
    return QStringLiteral("?");
}

QString Trova_Man(uint16_t code) {
    return Man_Letter(((code >> 10) & 0x1F) + 64) + Man_Letter(((code >> 5) & 0x1F) + 64) +
           Man_Letter((code & 0x1F) + 64);
}

QString Float_To_Str(double value, QChar decimalSeparator) {
    if (std::isnan(value)) return QStringLiteral("NAN");
    if (std::isinf(value)) return value < 0 ? QStringLiteral("-INF") : QStringLiteral("INF");
    if (value == 0) return texts().zero;
    return decimalText(decimalOf(value), decimalSeparator);
}

void Decode_Value_VIF(uint8_t vif, std::span<const uint8_t> vifes, TVariable_MBus& item, int nbyte, uint8_t lvar,
                      uint8_t dataField, std::span<const uint8_t> data, QChar decimalSeparator) {
    const Texts& tx = texts();
    const uint8_t x = vif & 0x7F;
    data = data.first(std::min(data.size(), size_t(std::max(nbyte, 0))));
    // The unit text is the table text followed by a text for each VIFE; the parts are joined once.
    std::array<const QString*, 12> parts;
    size_t nparts = 0;
    const QString* desc = nullptr;
    QString text;  // a text value in place of the number
    bool hasText = false;
    int exponent = 0;
    int typeVife = 0;
    size_t firstInterpreted = 0;  // index of the first VIFE read as a modifier

    // Text data is the value whatever the unit; it arrives last character first.
    if (dataField == 13 && lvar <= 0xBF) {
        text = reversedText(data);
        hasText = true;
    }

    if (x == 0x6C || x == 0x6D) {
        item.type_data = 20;
        if (!hasText) hasText = dateText(dataField, data, desc, text);
    } else if (x == 0x7C) {
        // The unit is the record's own text (VIF_ASCII); the value is the number as usual.
        item.type_data = 21;
        desc = &tx.vifInString;
    } else if (x == 0x7B || x == 0x7D) {
        item.type_data = 19;
        // The extension table is keyed by the first VIFE; a VIF without bit 7 has none, so the
        // lookup falls to its reserved entry rather than a byte of an earlier record.
        const Unit& u = vifes.empty() ? tx.reserved : (x == 0x7B ? tx.fb : tx.fd)[vifes[0] & 0x7F];
        desc = &u.text;
        exponent = u.exponent;
        typeVife = u.code;
        firstInterpreted = 1;
    } else {
        const Unit& u = tx.primary[x];
        item.type_data = u.found ? u.code : kNoType;
        if (u.found) desc = &u.text;
        exponent = u.exponent;
    }
    if (desc) parts[nparts++] = desc;

    // Modifier VIFEs: never after the manufacturer VIF 0xFF; for 0xFB / 0xFD from the second on.
    if (vif != 0xFF) {
        size_t i = firstInterpreted;
        bool more = i == 0 ? (vif & 0x80) != 0 : (vifes.size() > 0 && (vifes[0] & 0x80));
        while (more && i < vifes.size()) {
            const uint8_t v = vifes[i] & 0x7F;
            more = (vifes[i] & 0x80) != 0;
            ++i;
            const VifeEntry& e = tx.vife[v];
            if (e.effect == VifeEffect::Phase) {
                if (i < vifes.size()) {
                    const uint8_t y = vifes[i] & 0x7F;
                    more = (vifes[i] & 0x80) != 0;
                    ++i;
                    if (y >= 1 && y <= 7) parts[nparts++] = &tx.phase[y];
                    else if (y == 16) parts[nparts++] = &tx.absoluteCount;
                }
                continue;
            }
            parts[nparts++] = &e.text;
            if (typeVife == 0 && e.code != 0) typeVife = e.code;
            if (e.effect == VifeEffect::Scale) exponent += e.exponent;
            if (e.effect == VifeEffect::Date && !hasText && (dataField == 2 || dataField == 4)) {
                const QString* ignored = nullptr;
                hasText = dateText(dataField, data, ignored, text);
            }
        }
    }

    item.Type_Data_Vife = typeVife;
    if (nparts == 0) {
        item.Desc_Type_Data = QString();
    } else if (nparts == 1) {
        item.Desc_Type_Data = *parts[0];
    } else {
        qsizetype total = 0;
        for (size_t k = 0; k < nparts; ++k) total += parts[k]->size();
        QString joined;
        joined.reserve(total);
        for (size_t k = 0; k < nparts; ++k) joined += *parts[k];
        item.Desc_Type_Data = std::move(joined);
    }
    if (hasText) {
        item.ValueStr = std::move(text);
        return;
    }
    const RawValue raw = rawValue(dataField, lvar, data);
    item.ValueStr = raw.isFloat ? Float_To_Str(scaled(raw.real, exponent), decimalSeparator)
                                : scaledIntegerText(raw.integer, exponent, decimalSeparator);
}

namespace {

// A date or time in a format of numbers and separators only (d, dd, M, MM, yy, yyyy; h, hh, H,
// HH, m, mm, s, ss, between characters that are no letters or quotes), written directly; any
// other format, or a year outside 1000-9999, goes to Qt. Formatting through Qt costs more than
// decoding a frame.
std::optional<QString> numericStamp(QStringView format, int year, int month, int day, int hour, int minute,
                                    int second, bool isDate) {
    if (format.size() > 30) return std::nullopt;  // the text, at most twice as long, must fit the buffer
    TextBuf b;
    for (qsizetype i = 0; i < format.size();) {
        const char16_t c = format[i].unicode();
        qsizetype run = 1;
        while (i + run < format.size() && format[i + run].unicode() == c) ++run;
        int value = -1;
        if (isDate) {
            if (c == u'd' && run <= 2) value = day;
            else if (c == u'M' && run <= 2) value = month;
            else if (c == u'y' && run == 4 && year >= 1000 && year <= 9999) value = year;
            else if (c == u'y' && run == 2 && year >= 1000 && year <= 9999) value = year % 100;
        } else {
            if ((c == u'h' || c == u'H') && run <= 2) value = hour;
            else if (c == u'm' && run <= 2) value = minute;
            else if (c == u's' && run <= 2) value = second;
        }
        if (value >= 0) {
            if (run == 4) {
                b.put2(value);
            } else {
                if (run == 2 || value >= 10) b.put(char16_t(u'0' + value / 10));
                b.put(char16_t(u'0' + value % 10));
            }
            i += run;
            continue;
        }
        if (QChar(c).isLetter() || c == u'\'') return std::nullopt;
        for (qsizetype k = 0; k < run; ++k) b.put(c);
        i += run;
    }
    return b.str();
}

// The stamp texts of a decode: the context's own, or made now.
std::pair<QString, QString> stampTexts(const TDecodeContext& c) {
    if (!c.DateText.isNull() || !c.TimeText.isNull()) return {c.DateText, c.TimeText};
    if (!c.Stamp.isValid()) return {};
    const QDate d = c.Stamp.date();
    const QTime t = c.Stamp.time();
    std::optional<QString> date = numericStamp(c.DateFormat, d.year(), d.month(), d.day(), 0, 0, 0, true);
    std::optional<QString> time = numericStamp(c.TimeFormat, 0, 0, 0, t.hour(), t.minute(), t.second(), false);
    return {date ? std::move(*date) : d.toString(c.DateFormat), time ? std::move(*time) : t.toString(c.TimeFormat)};
}

}  // namespace

TDecodeContext Decode_Context_Now(bool wireless) {
    const plat::FormatSettings fs = plat::formatSettings();
    TDecodeContext c;
    c.Wireless = wireless;
    c.Stamp = QDateTime::currentDateTime();
    c.DateFormat = fs.shortDateFormat;
    c.TimeFormat = QStringLiteral("hh") + fs.timeSeparator + QStringLiteral("mm") + fs.timeSeparator +
                   QStringLiteral("ss");
    c.DecimalSeparator = fs.decimalSeparator;
    c.Make_Stamp_Texts();
    return c;
}

void TDecodeContext::Make_Stamp_Texts() {
    DateText = QString();
    TimeText = QString();
    std::tie(DateText, TimeText) = stampTexts(*this);
}

namespace {

// Where the parts of one record lie, found from its structure alone.
struct RecordFrame {
    enum class Kind : uint8_t {
        Record,      // a whole record: an item
        Filler,      // DIF 0x2F: an item of a wireless decode only
        PassedOver,  // another special-function DIF: no item, the walk goes on
        Stop,        // the walk ends without an item
        StopMore,    // DIF 0x1F: the walk ends, more records follow in the next frame
        Unusable,    // an item marked unusable, and the walk ends
    };
    Kind kind = Kind::Record;
    uint8_t dif = 0;
    size_t difeAt = 0;
    uint8_t numdife = 0;
    bool difesWhole = false;
    bool hasVif = false;
    uint8_t vif = 0;
    bool hasText = false;  // the plain-text unit of VIF 0x7C / 0xFC
    size_t textAt = 0;
    size_t textLen = 0;
    size_t vifeAt = 0;
    uint8_t nvife = 0;
    bool hasLvar = false;
    uint8_t lvar = 0;
    size_t dataAt = 0;
    int nbyte = 0;
    size_t next = 0;  // the byte after the record
};

RecordFrame frameRecord(std::span<const uint8_t> r, size_t p) {
    using Kind = RecordFrame::Kind;
    RecordFrame f;
    const size_t end = r.size();
    f.dif = r[p++];
    const uint8_t dataField = f.dif & 0x0F;
    auto done = [&](Kind kind) {
        f.kind = kind;
        f.next = p;
        return f;
    };
    // A record cut short by the end of the bytes is kept as unusable, except a special function,
    // which is never an item, whole or cut short.
    auto cut = [&] { return done(dataField == 0x0F ? Kind::Stop : Kind::Unusable); };

    if (f.dif == 0x0F) return done(Kind::Stop);  // manufacturer data: not decodable
    if (f.dif == 0x1F) return done(Kind::StopMore);
    if (f.dif == 0x2F) return done(Kind::Filler);
    // Selection for readout and the reserved special functions end the walk without an item,
    // whatever follows them, so nothing after the DIF is read.
    if (dataField == 8 || (dataField == 0x0F && f.dif <= 0x7F)) return done(Kind::Stop);

    f.difeAt = p;
    bool more = (f.dif & 0x80) != 0;
    while (more) {
        if (p >= end) return cut();
        if (f.numdife == 10) return done(Kind::Unusable);  // an eleventh: the record cannot be delimited
        more = (r[p++] & 0x80) != 0;
        ++f.numdife;
    }
    f.difesWhole = true;

    if (p >= end) return cut();
    f.hasVif = true;
    f.vif = r[p++];
    // "Any VIF" ends the walk without an item, however its extensions would go on; a special
    // function DIF is passed over before its VIF counts.
    if ((f.vif & 0x7F) == 0x7E && dataField != 0x0F) return done(Kind::Stop);
    // A plain-text unit (VIF 0x7C / 0xFC): its length byte and text come right after the VIF,
    // before any VIFE, as meters send it ("FC 03 'HR%' 74": the text names the unit, the VIFE
    // scales the number).
    if ((f.vif & 0x7F) == 0x7C) {
        if (p >= end) return cut();
        const size_t len = r[p++];
        if (len > end - p) return cut();
        f.hasText = true;
        f.textAt = p;
        f.textLen = len;
        p += len;
    }
    f.vifeAt = p;
    more = (f.vif & 0x80) != 0;
    while (more) {
        if (p >= end) return cut();
        if (f.nvife == 10) return done(Kind::Unusable);
        more = (r[p++] & 0x80) != 0;
        ++f.nvife;
    }
    if (dataField == 0x0F) return done(Kind::PassedOver);

    int nbyte = kDataFields[dataField].bytes;
    if (dataField == 13) {
        if (p >= end) return cut();
        f.hasLvar = true;
        f.lvar = r[p++];
        nbyte = lvarBytes(f.lvar);
        // A length the walk cannot know: nothing after this record can be read.
        if (nbyte < 0) return done(Kind::Unusable);
    }
    if (size_t(nbyte) > end - p) return cut();
    f.dataAt = p;
    f.nbyte = nbyte;
    p += size_t(nbyte);
    return done(Kind::Record);
}

bool isItem(RecordFrame::Kind kind, bool wireless) {
    using Kind = RecordFrame::Kind;
    return kind == Kind::Record || kind == Kind::Unusable || (kind == Kind::Filler && wireless);
}

bool endsWalk(RecordFrame::Kind kind) {
    using Kind = RecordFrame::Kind;
    return kind == Kind::Stop || kind == Kind::StopMore || kind == Kind::Unusable;
}

// The item of a framed record, filled with everything its frame holds.
void fillItem(TVariable_MBus& item, const RecordFrame& f, std::span<const uint8_t> r, const QString& date,
              const QString& time, QChar decimalSeparator) {
    using Kind = RecordFrame::Kind;
    const Texts& tx = texts();
    const uint8_t dataField = f.dif & 0x0F;
    item.datagiorno = date;
    item.tempo = time;
    item.dimension = dataField;
    item.function_fild = (f.dif >> 4) & 3;
    item.FunctionFieldStr = tx.function[item.function_fild];
    item.DIF = tx.dollar[f.dif];
    item.DataFieldStr = tx.dataFieldStr[dataField];
    if (f.kind == Kind::Filler) {
        item.Real_Wireless_Var = false;
        return;
    }

    // DIFEs: subunit, tariff and storage bits, the first DIFE lowest.
    const std::span<const uint8_t> difes = r.subspan(f.difeAt, f.numdife);
    item.numdife = f.numdife;
    if (f.numdife == 1) item.DIFE = tx.dollarBlank[difes[0]];
    else if (f.numdife > 1) item.DIFE = hexText(difes, true, true);
    if (f.difesWhole) {
        uint64_t storage = 0;
        uint32_t tariff = 0;
        uint16_t subunit = 0;
        for (size_t k = 0; k < difes.size(); ++k) {
            const uint8_t b = difes[k];
            storage |= uint64_t(b & 0x0F) << (4 * k);
            tariff |= uint32_t((b >> 4) & 3) << (2 * k);
            subunit |= uint16_t((b >> 6) & 1) << k;
        }
        item.storage_number = storage * 2 + ((f.dif >> 6) & 1);
        item.tarif = tariff;
        item.device = subunit;
    }

    if (f.hasVif) item.VIF = f.vif;
    if (f.hasText) item.VIF_ASCII = reversedText(r.subspan(f.textAt, f.textLen));
    const std::span<const uint8_t> vifes = r.subspan(f.vifeAt, f.nvife);
    if (f.nvife == 1) item.VIFE = tx.dollarBlank[vifes[0]];
    else if (f.nvife > 1) item.VIFE = hexText(vifes, true, true);
    item.PrinVIFE = f.nvife ? vifes[0] : 0;
    item.descdim = tx.descdim[dataField];
    if (f.hasLvar) {
        item.DataFieldStr = tx.lvarDataFieldStr[f.lvar];
        item.descdim = tx.lvarDescdim[f.lvar];
    }

    if (f.kind == Kind::Unusable) {
        item.errata = true;
        item.nbyte = 0;  // none of its data bytes can be trusted
        item.sterror = tx.notDecodable;
        return;
    }

    // A whole record: its data, class and value.
    item.nbyte = f.nbyte;
    const std::span<const uint8_t> data = r.subspan(f.dataAt, size_t(f.nbyte));
    if (data.size() == 1) item.totdati = tx.hex[data[0]];
    else if (!data.empty()) item.totdati = hexText(data, false, false);
    item.dato_A = uint32_t(littleEndian(data, 4));
    if (data.size() > 4) item.dato_B = uint32_t(littleEndian(data.subspan(4), 4));

    const uint8_t vif = f.vif;
    if ((vif & 0x7F) == 0x7C) {
        item.casovif = 101;
    } else if ((vif & 0x7F) == 0x7F) {
        item.casovif = 100;
    } else if (vif == 0xFB || vif == 0xFD) {
        item.casovif = vif == 0xFB ? 2 : 1;
        item.vifvalue = item.PrinVIFE;
    } else if (vif < 0x7B || (vif >= 0x80 && vif <= 0xFA)) {
        item.casovif = 0;
        item.vifvalue = vif;
    }
    item.Is_BCD = (dataField >= 9 && dataField <= 12) || dataField == 14;

    Decode_Value_VIF(vif, vifes, item, f.nbyte, f.lvar, dataField, data, decimalSeparator);
}

}  // namespace

bool Decode_Records(TVariableList& list, std::span<const uint8_t> records, const TDecodeContext& context) {
    using Kind = RecordFrame::Kind;
    const size_t end = records.size();

    // The structure first, so that the list grows once.
    size_t items = 0;
    bool moreFollow = false;
    for (size_t p = 0; p < end;) {
        const RecordFrame f = frameRecord(records, p);
        if (isItem(f.kind, context.Wireless)) ++items;
        moreFollow = f.kind == Kind::StopMore;
        if (endsWalk(f.kind)) break;
        p = f.next;
    }
    if (items == 0) return !moreFollow;
    list.reserve(list.size() + items);

    const auto [date, time] = stampTexts(context);
    for (size_t p = 0; p < end;) {
        const RecordFrame f = frameRecord(records, p);
        if (isItem(f.kind, context.Wireless))
            fillItem(list.emplace_back(), f, records, date, time, context.DecimalSeparator);
        if (endsWalk(f.kind)) break;
        p = f.next;
    }
    return !moreFollow;
}

bool Decode_Answer_Records(TVariableList& list, std::span<const uint8_t> answer, const TDecodeContext& context) {
    // Only variable data is a sequence of records: any other answer walked as one would give
    // made-up values.
    if (Is_RSP_UD(answer) && answer[6] == CI_Variable_Data)
        return Decode_Records(list, RSP_UD_Records(answer), context);
    TVariable_MBus& item = list.emplace_back();
    std::tie(item.datagiorno, item.tempo) = stampTexts(context);
    item.errata = true;
    item.sterror = texts().notDecodable;
    return true;
}

}  // namespace mbus

// =============================================================================================
// The scan engine.

#include "mbus/CommInt.h"
#include "mbus/MBusMeters.h"
#include "mbus/MBusScanSave.h"

#include <chrono>

namespace mbus {

namespace {

constexpr int32_t Last_Primary_Address = 250;
constexpr int Step_Close_Wired = 200;
constexpr int Step_Close_Wireless = 500;
constexpr int Step_First_Digit = 108;  // digit X has its step at 108 + 2X and its wait one after
constexpr int Step_Read_Selected = 124;

int Digit_Step_Of(int digit) {
    return Step_First_Digit + 2 * digit;
}

TBytes Text_Bytes(std::string_view text) {
    return TBytes(text.begin(), text.end());
}

// What waiting steps of the wired scan leave for stale: the gateway's texts are never answered by
// the line, a wait for E5 takes nothing else, and a selection is never answered by a long frame.
bool Stale_For_Gateway_Text(std::span<const uint8_t> d) {
    return Is_Line_Answer(d);
}

bool Stale_For_Single_Char(std::span<const uint8_t> d) {
    return !Is_Single_Char(d);
}

bool Stale_For_Selection(std::span<const uint8_t> d) {
    return Is_RSP_UD(d);
}

}  // namespace

TMBusScanDecode::TMBusScanDecode(TScanEngineSetup setup)
    : FTiming(std::move(setup.Timing)),
      FWiredList(setup.Wired_List ? setup.Wired_List : &g_MBusSlaveList),
      FWirelessList(setup.Wireless_List ? setup.Wireless_List : &g_WMBusSlaveList) {
    if (!FTiming.Ticks) {
        FTiming.Ticks = [] {
            using namespace std::chrono;
            return uint32_t(duration_cast<milliseconds>(steady_clock::now().time_since_epoch()).count());
        };
    }
    Event_Run = std::make_unique<TEvent>(true, false, QStringLiteral("EVENT_SCAN_DECODE_MBUS"));
    Event_Run->ResetEvent();
    std::unique_ptr<plat::UdpEndpoint> endpoint =
        setup.Make_Endpoint ? setup.Make_Endpoint() : plat::createUdpEndpoint(setup.Local_Address);
    UDP_Server = std::make_unique<TMBusLink>(std::move(endpoint), FTiming.Ticks);
    // The port's own line settings never change: the M-Bus speed is sent to the gateway instead.
    Comm = std::make_unique<TComm>();
    Comm->SetBaudRate(br115200);
    Comm->SetDatabits(da8);
    Comm->SetFlowControl(fcNone);
    Comm->SetParity(paNone);
    Comm->SetStopbits(sb10);
    Comm->SetReadBufSize(4096);
    Comm->SetWriteBufSize(4096);
    FThread = std::thread([this] { Execute(); });
}

TMBusScanDecode::~TMBusScanDecode() {
    FExit = true;
    FExitGate.SetEvent();
    Event_Run->SetEvent();
    if (FThread.joinable()) FThread.join();
    // The listener is joined here, so nothing touches the meter lists after this.
    UDP_Server->Close();
    Comm->Close();
}

void TMBusScanDecode::Execute() {
    while (!FExit) {
        Event_Run->WaitFor(INFINITE);
        if (FExit) break;
        if (FInScan) {
            Step_Once();
        } else {
            Sleep_For(FTiming.Idle_Ms);
        }
    }
}

void TMBusScanDecode::Step_Once() {
    {
        std::unique_lock lock(FStepLock);
        if (!FInScan) return;
        FStepHeld = &lock;
        // Nothing leaves the thread: a failed send or port closes the scan as a failure.
        std::optional<QString> failed;
        try {
            if (MBusType == mtWireless) Scan_Decode_Wireless();
            else Scan_Decode();
        } catch (const plat::Error& e) {
            failed = e.message();
        } catch (const std::exception& e) {
            failed = QString::fromLocal8Bit(e.what());
        } catch (...) {
            failed = QString();
        }
        if (failed) {
            try {
                Step_Failed(*failed);
            } catch (...) {
                FInScan = false;
            }
        }
        FStepHeld = nullptr;
    }
    Sleep_For(FTiming.Step_Ms);
}

void TMBusScanDecode::Sleep_For(uint32_t ms) {
    if (FTiming.Sleep) FTiming.Sleep(ms);
    else if (!FExit) FExitGate.WaitFor(ms);
}

void TMBusScanDecode::Pause(uint32_t ms) {
    // Inside a step: the lock is let go while pausing, so requests from the window never wait
    // for a pause.
    std::unique_lock<std::recursive_mutex>* held = FStepHeld;
    if (held) held->unlock();
    Sleep_For(ms);
    if (held) held->lock();
}

void TMBusScanDecode::Fail(TScanFailure why, const QString& message) {
    // The first cause is the one the user is told; what fails while closing follows from it.
    if (Failure == sfNone) {
        Failure_Message = message;
        Failure = why;
    }
    FResult = 2;
}

void TMBusScanDecode::Step_Failed(const QString& message) {
    Fail(sfTransport, message);
    const int close = MBusType == mtWireless ? Step_Close_Wireless : Step_Close_Wired;
    const int step = Step_Scan;
    if (step < close || step > close + 3) {
        Step_Scan = close;
    } else if (step < close + 3) {
        Step_Scan = close + 1;  // the attempts go on counting, so the switch-off ends
    } else {
        Close_Transport();
        FInScan = false;
    }
}

bool TMBusScanDecode::Start_Scan(TScanType ScanT, TSelectHard SelHard, const QString& IP_COM, int32_t Baud,
                                 int32_t Par, bool AppReset, bool SNDNKE, int32_t CutAfter, bool FixCField,
                                 uint8_t FixCFieldValue, bool RemoteTimeout, TUpdateSlaveList Proc_Slave_List) {
    if (FInScan) return false;
    std::lock_guard lock(FStepLock);
    if (FInScan) return false;
    Update_Slave_List = std::move(Proc_Slave_List);
    MBusType = mtWired;
    ScanType = ScanT;
    Select_Hardware = SelHard;
    ComPort.clear();
    IP_Address.clear();
    if (SelHard == shSerial) ComPort = IP_COM;
    else IP_Address = IP_COM;
    Baudrate = Baud;
    Parity = Par;
    App_Reset = AppReset;
    SND_NKE = SNDNKE;
    Cut_After = CutAfter;
    Fix_C_Field = FixCField;
    Fix_C_Field_Value = FixCFieldValue;
    Add_TimeOut = RemoteTimeout ? 10000 : 0;
    // A wireless scan cut short may have left the radio's route on.
    Wireless_Listen(false);
    Wireless_Route(false);
    Failure = sfNone;
    Failure_Message.clear();
    if (SelHard == shSerial) {
        Comm->Close();  // left open by a scan that was cut short
        Comm->SetDeviceName(ComPort);
        Comm->Open();
    } else {
        UDP_Server->Set_IP_Address(IP_Address);
        if (!UDP_Server->Is_Open()) {
            // The port a wireless scan bound is kept while it can be had; a wired scan needs no
            // port of its own, so when it cannot, the system picks one.
            try {
                UDP_Server->Open(FBinding.value_or(0));
            } catch (const plat::SocketError&) {
                if (!FBinding) throw;
                FBinding.reset();
                UDP_Server->Open(0);
            }
        }
    }
    Step_Scan = 0;
    FStopScan = false;
    FAbortScan = false;
    FInScan = true;
    return true;
}

bool TMBusScanDecode::Start_Scan_Wireless(TSelectHard SelHard, const QString& IP_COM, uint16_t Port,
                                          int32_t wMBus_Mode, int32_t wMBus_Radio_Channel, bool RemoteTimeout,
                                          TUpdateListWirelessSlave Proc_Wireless, bool FromDLL) {
    if (FInScan) return false;
    std::lock_guard lock(FStepLock);
    if (FInScan) return false;
    UpdateListWirelessSlave = std::move(Proc_Wireless);
    MBusType = mtWireless;
    Select_Hardware = SelHard;
    IP_Address = IP_COM;
    wMBusMode = wMBus_Mode;
    wMBusRadioChannel = wMBus_Radio_Channel;
    Port_Wireless = Port;
    Add_TimeOut = RemoteTimeout ? 10000 : 0;
    Wireless_Listen(false);
    Wireless_Route(false);
    From_DLL = FromDLL;
    Failure = sfNone;
    Failure_Message.clear();
    if (SelHard == shSerial) {
        Comm->Close();
        Comm->SetDeviceName(ComPort);
        Comm->Open();
    } else {
        UDP_Server->Set_IP_Address(IP_Address);
        // A binding on the port is kept; any other is replaced by one on the port.
        if (FBinding != Port) {
            FBinding.reset();
            UDP_Server->Close();
        }
        if (!UDP_Server->Is_Open()) {
            // A port that cannot be bound leaves no binding behind: the next scan binds as if
            // this one had never been asked for.
            FBinding.reset();
            UDP_Server->Open(Port);
            FBinding = Port;
        }
    }
    Step_Scan = 0;
    FStopScan = false;
    FAbortScan = false;
    FInScan = true;
    return true;
}

void TMBusScanDecode::Stop_Scan() {
    std::lock_guard lock(FStepLock);
    FStopScan = true;
}

void TMBusScanDecode::Abort_Scan() {
    std::lock_guard lock(FStepLock);
    FAbortScan = true;
}

void TMBusScanDecode::Wireless_Route(bool on) {
    if (!on) {
        UDP_Server->Set_Telegram_Route(std::nullopt);
        return;
    }
    // The handler works on its own copies: the window may start another scan meanwhile.
    UDP_Server->Set_Telegram_Route(
        RadioModule, [list = FWirelessList, proc = UpdateListWirelessSlave, dll = From_DLL](
                         std::span<const uint8_t> telegram, TRadioModule module) {
            Decode_Wireless_Frame(*list, module, telegram, QDateTime::currentDateTime(),
                                  [&](int index, const TSlave_wMBus& meter) {
                                      if (proc) proc(index, dll ? nullptr : &meter);
                                  });
        });
}

void TMBusScanDecode::Wireless_Listen(bool on) {
    Wireless_Receive_Message = on;
    if (on) {
        Wireless_Route(true);
        UDP_Server->Set_Listening(true);
        return;
    }
    // Switching off waits for a telegram being decoded on the listener thread. Inside a step the
    // step lock is let go meanwhile, as in a pause, so that its report may ask for a stop.
    std::unique_lock<std::recursive_mutex>* held =
        std::this_thread::get_id() == FThread.get_id() ? FStepHeld : nullptr;
    if (held) held->unlock();
    UDP_Server->Set_Listening(false);
    if (held) held->lock();
}

uint16_t TMBusScanDecode::Bound_Port() const {
    return UDP_Server->Is_Open() ? UDP_Server->Local_Port() : 0;
}

bool TMBusScanDecode::Save_XML_Conf_Wired(const TSaveConfXML& DataIn, bool Check_BCD, const TTickQuery& ticked) {
    return mbus::Save_XML_Conf_Wired(*FWiredList, DataIn, Check_BCD, ticked);
}

bool TMBusScanDecode::Save_XML_Conf_Wireless(const TSaveConfXML& DataIn, bool Check_BCD) {
    return mbus::Save_XML_Conf_Wireless(*FWirelessList, DataIn, Check_BCD);
}

void TMBusScanDecode::Save_XML_File_DLL() {
    mbus::Save_XML_File_DLL(*FWiredList, SaveXMLFile);
}

void TMBusScanDecode::Save_Wireless_XML_File_DLL() {
    mbus::Save_Wireless_XML_File_DLL(*FWirelessList, SaveXMLFile);
}

// ---------------------------------------------------------------------------------------------
// Transport.

void TMBusScanDecode::Send_Command(std::string_view text, uint16_t port) {
    Req_Array = Text_Bytes(text);
    Send_Command(port);
}

void TMBusScanDecode::Send_Command(uint16_t port) {
    if (Select_Hardware == shSerial) {
        if (Comm->Write(Req_Array.data(), int(Req_Array.size())) != int(Req_Array.size()))
            RaiseCommError(QStringLiteral("Write error"), -1);
        UDP_Server->Mark_Sent();
    } else {
        UDP_Server->Send_Command(std::span<const uint8_t>(Req_Array), port);
    }
}

void TMBusScanDecode::Set_Wait(uint32_t ms) {
    UDP_Server->Set_TimeOut(ms);
}

bool TMBusScanDecode::Timed_Out() const {
    return UDP_Server->Check_TimeOut();
}

std::optional<TBytes> TMBusScanDecode::Answer(const TMBusLink::StaleTest& stale) {
    return UDP_Server->Next_Answer(stale);
}

TCFieldSetting TMBusScanDecode::C_Field() const {
    return TCFieldSetting{Fix_C_Field, Fix_C_Field_Value};
}

void TMBusScanDecode::Close_Transport() {
    if (Select_Hardware == shSerial) Comm->Close();
    else UDP_Server->Close();
}

// ---------------------------------------------------------------------------------------------
// The wired scan.

void TMBusScanDecode::Notify_Slave_List(int32_t event, int32_t address, int32_t found, int32_t scanType) {
    if (!Update_Slave_List) return;
    try {
        Update_Slave_List(event, address, found, scanType);
    } catch (...) {
        // The window's trouble never ends the scan.
    }
}

int TMBusScanDecode::Add_Wired_Slave(int index, std::span<const uint8_t> answer, bool& last) {
    TVariableList values;
    last = Decode_Answer_Records(values, answer, Decode_Context_Now(false));
    return FWiredList->Locked([&](TMBusMeters& meters) {
        if (index < 0 || index >= int(meters.size())) {
            const std::optional<TRSP_UD_Header> h = Read_RSP_UD_Header(answer);
            auto meter = std::make_unique<TSlave_MBus>();
            if (h) {
                meter->Primary_Addresss = h->A;
                meter->Secondary_Addresss = QStringLiteral("%1").arg(h->Ident, 2, 16, QChar(u'0')).toUpper();
                meter->Manufacture = h->Manufacturer;
                meter->Version = h->Version;
                meter->Medium = h->Medium;
                meter->Status = h->Status;
                meter->descmedium = Medium_Desc(h->Medium);
                meter->descManufacture = Trova_Man(h->Manufacturer);
            }
            meters.push_back(std::move(meter));
            index = int(meters.size()) - 1;
        }
        TVariableList& list = meters[size_t(index)]->List_Var;
        list.insert(list.end(), std::make_move_iterator(values.begin()), std::make_move_iterator(values.end()));
        return index;
    });
}

void TMBusScanDecode::End_Wired_Scan() {
    Close_Transport();
    if (!SaveXMLFile.isEmpty()) {
        try {
            Save_XML_File_DLL();
        } catch (...) {
            Fail(sfReport);  // the report could not be written: not a clean end
        }
    }
    if (Enable_Send_In_Last_Step) Notify_Slave_List(3, 0, 0, Type_To_Send_In_Last_Step);
    // Last, so that a scan seen ended has made all its reports.
    FInScan = false;
}

void TMBusScanDecode::Scan_Decode() {
    if (FAbortScan) Step_Scan = Step_Close_Wired;
    const uint32_t baud = uint32_t(std::max(Baudrate, 0));
    const uint32_t addTimeOut = uint32_t(std::max(Add_TimeOut, 0));
    const int step = Step_Scan;
    switch (step) {
    case 0:
        Enable_Send_In_Last_Step = false;
        FResult = 1;
        if (Select_Hardware == shSerial) {
            // No answer ever comes back over the serial port: the scan cannot find any meter.
            Fail(sfDevice);
            Type_To_Send_In_Last_Step = ScanType == saSecondaryAddress ? 2 : 1;
            Enable_Send_In_Last_Step = true;
            Step_Scan = Step_Close_Wired;
            return;
        }
        Set_Wait(TimeOut_Text(addTimeOut));
        Send_Command(Cmd_Enable_Analyzer.Sent, Port_Wired_Scan);
        Step_Scan = 1;
        return;
    case 1: {
        if (const auto a = Answer(Stale_For_Gateway_Text)) {
            if (Text_Answer_Is(*a, Cmd_Enable_Analyzer.Answer)) {
                ID_Dev_Primary = -1;
                Step_Scan = 300;
            } else {
                Fail(sfDevice);
                Step_Scan = Step_Close_Wired;
            }
        }
        if (Timed_Out()) {
            Fail(sfDevice);
            Step_Scan = Step_Close_Wired;
        }
        return;
    }
    case 300:
        FResult = 1;
        Set_Wait(TimeOut_Text(addTimeOut));
        Req_Array = Build_Set_MBus_Serial(baud, Parity);
        Send_Command(Port_Wired_Scan);
        Step_Scan = 301;
        return;
    case 301: {
        if (const auto a = Answer(Stale_For_Gateway_Text)) {
            if (Text_Answer_Is(*a, Answer_Serial_Settings)) {
                Step_Scan = ScanType == saSecondaryAddress ? 100 : 2;
            } else {
                Fail(sfDevice);
                Step_Scan = Step_Close_Wired;
            }
        }
        if (Timed_Out()) {
            Fail(sfDevice);
            Step_Scan = Step_Close_Wired;
        }
        return;
    }
    case 2:
        Set_Wait(TimeOut_Short(baud, addTimeOut));
        ID_Dev_Primary = -1;
        Notify_Slave_List(1, 0, 0, 1);
        Pause(FTiming.Pause_Primary_Ms);
        Req_Array = Build_SND_NKE(Address_Broadcast);
        Send_Command(Port_Wired_Scan);
        Step_Scan = 3;
        return;
    case 3:
        if (Answer() || Timed_Out()) Step_Scan = 4;
        return;
    case 4:
        Set_Wait(TimeOut_Short(baud, addTimeOut));
        Num_Frame_Read = 0;
        ++ID_Dev_Primary;
        if (ID_Dev_Primary > Last_Primary_Address || FStopScan) {
            Type_To_Send_In_Last_Step = 1;
            Enable_Send_In_Last_Step = true;
            FResult = 1;
            Step_Scan = Step_Close_Wired;
        } else {
            Step_Scan = App_Reset ? 5 : SND_NKE ? 7 : 9;
        }
        return;
    case 5:
        Pause(FTiming.Pause_Primary_Ms);
        Req_Array = Build_App_Reset(uint8_t(ID_Dev_Primary), C_Field());
        Send_Command(Port_Wired_Scan);
        Step_Scan = 6;
        return;
    case 6:
        if (Answer(Stale_For_Single_Char) || Timed_Out()) Step_Scan = SND_NKE ? 7 : 9;
        return;
    case 7:
        Pause(FTiming.Pause_Primary_Ms);
        Req_Array = Build_SND_NKE(uint8_t(ID_Dev_Primary));
        Send_Command(Port_Wired_Scan);
        Step_Scan = 8;
        return;
    case 8:
        if (Answer(Stale_For_Single_Char) || Timed_Out()) Step_Scan = 9;
        return;
    case 9:
        Set_Wait(TimeOut_Long(baud, addTimeOut));
        Pause(FTiming.Pause_Primary_Ms);
        Req_Array = Build_REQ_UD2(uint8_t(ID_Dev_Primary), Num_Frame_Read, C_Field());
        Send_Command(Port_Wired_Scan);
        Step_Scan = 10;
        return;
    case 10: {
        ID_Dev_Found = false;
        // Only the address asked answers here: a long frame from another address came after its
        // own wait, and a single character or NO_SLAVE never answers REQ_UD2.
        const uint8_t asked = uint8_t(ID_Dev_Primary);
        const auto a = Answer([asked](std::span<const uint8_t> d) {
            return Is_Single_Char(d) || Is_No_Slave(d) || (Is_RSP_UD(d) && !RSP_UD_From_Address(d, asked));
        });
        // A meter that gave at least one frame was found, whatever its later frames did.
        const int32_t read = Num_Frame_Read > 0 ? 1 : 0;
        if (a) {
            if (Is_RSP_UD(*a)) {
                bool last = true;
                Index_Device = Add_Wired_Slave(Num_Frame_Read == 0 ? -1 : Index_Device, *a, last);
                ++Num_Frame_Read;
                if (last || Num_Frame_Read >= Cut_After) {
                    ID_Dev_Found = true;
                    Notify_Slave_List(2, ID_Dev_Primary, 1, 1);
                    Step_Scan = 4;
                    return;
                }
                Step_Scan = 9;
            } else {
                Notify_Slave_List(2, ID_Dev_Primary, read, 1);
                Step_Scan = 4;
                return;
            }
        }
        if (!ID_Dev_Found && Timed_Out()) {
            Notify_Slave_List(2, ID_Dev_Primary, Num_Frame_Read > 0 ? 1 : 0, 1);
            Step_Scan = 4;
        }
        return;
    }
    case 100:
        Set_Wait(TimeOut_Short(baud, addTimeOut));
        Notify_Slave_List(1, 0, 0, 2);
        Step_Scan = SND_NKE ? 101 : App_Reset ? 103 : 105;
        return;
    case 101:
        Pause(FTiming.Pause_Secondary_Ms);
        Req_Array = Build_SND_NKE(Address_Selected);
        Send_Command(Port_Wired_Scan);
        Step_Scan = 102;
        return;
    case 102:
        if (Answer(Stale_For_Single_Char) || Timed_Out()) Step_Scan = App_Reset ? 103 : 105;
        return;
    case 103:
        Pause(FTiming.Pause_Secondary_Ms);
        Req_Array = Build_App_Reset(Address_Broadcast, C_Field());
        Send_Command(Port_Wired_Scan);
        Step_Scan = 104;
        return;
    case 104:
        if (Answer(Stale_For_Single_Char) || Timed_Out()) Step_Scan = 105;
        return;
    case 105:
        Pause(FTiming.Pause_Secondary_Ms);
        Req_Array = Build_SND_NKE(Address_Broadcast);
        Send_Command(Port_Wired_Scan);
        Step_Scan = 106;
        return;
    case 106:
        if (Answer() || Timed_Out()) Step_Scan = 107;
        return;
    case 107:
        Index_Digit.fill(-1);
        Step_Scan = Step_First_Digit;
        return;
    case Step_Read_Selected:
        Set_Wait(TimeOut_Long(baud, addTimeOut));
        Pause(FTiming.Pause_Secondary_Ms);
        Req_Array = Build_REQ_UD2(Address_Selected, Num_Frame_Read, C_Field());
        Send_Command(Port_Wired_Scan);
        Step_Scan = 125;
        return;
    case 125:
        Read_Selected();
        return;
    case 200:
        Count_Disable_Analyzer = 0;
        FAbortScan = false;
        Step_Scan = 201;
        return;
    case 201:
        if (Select_Hardware == shSerial || Count_Disable_Analyzer >= 3) {
            Step_Scan = 203;
            return;
        }
        ++Count_Disable_Analyzer;
        Set_Wait(TimeOut_Text(addTimeOut));
        Step_Scan = 202;
        Send_Command(Cmd_Disable_Analyzer.Sent, Port_Wired_Scan);
        return;
    case 202: {
        if (const auto a = Answer(Stale_For_Gateway_Text))
            Step_Scan = Text_Answer_Is(*a, Cmd_Disable_Analyzer.Answer) ? 203 : 201;
        if (Timed_Out()) Step_Scan = 201;
        return;
    }
    case 203:
        End_Wired_Scan();
        return;
    default:
        if (step >= Step_First_Digit && step <= Step_First_Digit + 15) {
            const int digit = (step - Step_First_Digit) / 2;
            if ((step - Step_First_Digit) % 2 == 0) Digit_Step(digit);
            else Selection_Wait(digit);
            return;
        }
        // A step outside the table: nothing sensible follows, so the scan closes.
        Fail(sfDevice);
        Step_Scan = Step_Close_Wired;
        return;
    }
}

void TMBusScanDecode::Digit_Step(int digit) {
    if (FStopScan) {
        Step_Scan = Step_Close_Wired;
        return;
    }
    ++Index_Digit[size_t(digit)];
    for (size_t later = size_t(digit) + 1; later < Index_Digit.size(); ++later) Index_Digit[later] = -1;
    if (Index_Digit[size_t(digit)] > 9) {
        if (digit == 0) {
            Type_To_Send_In_Last_Step = 2;
            Enable_Send_In_Last_Step = true;
            Step_Scan = Step_Close_Wired;
        } else {
            Step_Scan = Digit_Step_Of(digit - 1);
        }
        return;
    }
    Pause(FTiming.Pause_Secondary_Ms);
    std::array<int, 8> digits{};
    std::copy(Index_Digit.begin(), Index_Digit.end(), digits.begin());
    Req_Array = Build_Select_Secondary(digits, C_Field());
    Send_Command(Port_Wired_Scan);
    Step_Scan = Digit_Step_Of(digit) + 1;
}

void TMBusScanDecode::Selection_Wait(int digit) {
    if (Timed_Out()) {
        Step_Scan = Digit_Step_Of(digit);
        return;
    }
    const auto a = Answer(Stale_For_Selection);
    if (!a) return;
    if (Is_Single_Char(*a)) {
        Num_Frame_Read = 0;
        Sec_Add_Next_Step = Digit_Step_Of(digit);
        Step_Scan = Step_Read_Selected;
    } else if (Is_No_Slave(*a) || digit == 7) {
        Step_Scan = Digit_Step_Of(digit);
    } else {
        // Several meters answered: refine under the current value of this digit.
        Step_Scan = Digit_Step_Of(digit + 1);
    }
}

void TMBusScanDecode::Read_Selected() {
    ID_Dev_Found = false;
    const uint32_t shortWait = TimeOut_Short(uint32_t(std::max(Baudrate, 0)), uint32_t(std::max(Add_TimeOut, 0)));
    const auto reportFound = [&] {
        const QString id = FWiredList->Locked([&](TMBusMeters& meters) {
            return Index_Device >= 0 && Index_Device < int(meters.size()) ? meters[size_t(Index_Device)]->Secondary_Addresss
                                                                          : QString();
        });
        Notify_Slave_List(2, int32_t(id.toUInt(nullptr, 16)), 1, 2);
    };
    if (Timed_Out()) {
        Set_Wait(shortWait);
        Step_Scan = Sec_Add_Next_Step;
        // A meter that gave at least one frame was found, whatever its later frames did.
        if (Num_Frame_Read > 0) reportFound();
        return;
    }
    // Only a meter the selection matches answers here; a single character or NO_SLAVE answers a
    // selection, never REQ_UD2.
    std::array<int, 8> selection{};
    std::copy(Index_Digit.begin(), Index_Digit.end(), selection.begin());
    const auto a = Answer([&selection](std::span<const uint8_t> d) {
        return Is_Single_Char(d) || Is_No_Slave(d) || (Is_RSP_UD(d) && !RSP_UD_Matches_Selection(d, selection));
    });
    if (!a) return;
    if (Is_RSP_UD(*a)) {
        bool last = true;
        Index_Device = Add_Wired_Slave(Num_Frame_Read == 0 ? -1 : Index_Device, *a, last);
        ++Num_Frame_Read;
        if (last || Num_Frame_Read >= Cut_After) {
            Set_Wait(shortWait);
            Step_Scan = Sec_Add_Next_Step;
            ID_Dev_Found = true;
            reportFound();
        } else {
            Step_Scan = Step_Read_Selected;
        }
        return;
    }
    Set_Wait(shortWait);
    if (Sec_Add_Next_Step < Digit_Step_Of(7)) Sec_Add_Next_Step += 2;
    Step_Scan = Sec_Add_Next_Step;
}

// ---------------------------------------------------------------------------------------------
// The wireless scan: the gateway in its configuration mode passes every command to its radio
// module, which is configured, then left listening; a key from the user interrupts listening to
// load it into the module. A scan over the serial port has no way to the radio module and ends as
// a failure.

namespace {

constexpr int Step_Telit_Listening = 134;
constexpr int Step_Telit_Key = 200;
constexpr int Step_RC_Listening = 320;
constexpr int Step_RC_Key = 400;
constexpr int Step_RC_Exit = 318;

bool Is_N_Mode(int32_t mode) {
    return mode == wMBus_Mode_N1 || mode == wMBus_Mode_N2;
}

// The Telit configuration: each line is sent by its step and acknowledged in the step after it.
// In the N modes the line after a marked one is left out.
struct TelitLine {
    int Step;
    const char* Text;  // "#m": the mode code, "#c": the channel index
    bool Skip_Next_In_N;
};

const TelitLine kTelitConfig[] = {
    {100, "+++", false},        {102, "ATR\r", false},       {104, "ATS400=#m\r", false},
    {106, "ATS401=0\r", false}, {108, "ATS402=191\r", false}, {110, "ATS420=#c\r", true},
    {112, "ATS421=0\r", false}, {114, "ATS422=3\r", false},  {116, "ATS430=5\r", false},
    {118, "ATS431=5\r", false}, {120, "ATS440=0\r", false},  {122, "ATS441=0\r", true},
    {124, "ATS442=0\r", false}, {126, "ATS452=0\r", false},  {128, "ATS453=0\r", true},
    {130, "ATS454=0\r", false}, {132, "ATO\r", false},
};

const TelitLine* Telit_Config_Line(int step) {
    for (const TelitLine& l : kTelitConfig)
        if (l.Step == step) return &l;
    return nullptr;
}

std::string Telit_Register(int reg, int value) {
    return "ATS" + std::to_string(reg) + "=" + std::to_string(value) + "\r";
}

}  // namespace

void TMBusScanDecode::End_Wireless_Scan() {
    Wireless_Listen(false);
    // Telegrams that came after the last answer are still heard before the line closes.
    UDP_Server->Settle();
    Wireless_Route(false);
    Close_Transport();
    if (!SaveXMLFile.isEmpty()) {
        try {
            Save_Wireless_XML_File_DLL();
        } catch (...) {
            Fail(sfReport);
        }
    }
    FInScan = false;
}

void TMBusScanDecode::Wireless_Failed() {
    const int step = Step_Scan;
    const bool keyLoad = (step >= Step_Telit_Key && step <= 221) || (step >= Step_RC_Key && step <= 419);
    Fail(keyLoad ? sfKeyLoad : sfDevice);
    Step_Scan = Step_Close_Wireless;
}

void TMBusScanDecode::Send_Text_Wait(std::string_view text, uint32_t wait) {
    Set_Wait(wait);
    Send_Command(text, Port_Wireless);
}

void TMBusScanDecode::Send_Bytes_Wait(TBytes bytes, uint32_t wait) {
    Set_Wait(wait);
    Req_Array = std::move(bytes);
    Send_Command(Port_Wireless);
}

bool TMBusScanDecode::Is_Listening_Step() const {
    const int step = Step_Scan;
    return RadioModule == TRadioModule::rmTelit ? step == Step_Telit_Listening : step == Step_RC_Listening;
}

std::optional<TMBusScanDecode::TKeyMeter> TMBusScanDecode::Key_Meter() {
    return FWirelessList->Locked([&](TWMBusMeters& meters) -> std::optional<TKeyMeter> {
        if (Wireless_Key_Index < 0 || Wireless_Key_Index >= int(meters.size())) return std::nullopt;
        const TSlave_wMBus& m = *meters[size_t(Wireless_Key_Index)];
        return TKeyMeter{m.ALA_Manufacturer, m.ALA_Address, m.ALA_Version, m.ALA_DeviceType, m.Key,
                         m.RadioCrafts_Ind_Tab_Decript};
    });
}

bool TMBusScanDecode::Insert_Wireless_Key(int32_t index, const std::array<uint8_t, 16>& key) {
    // Under the step lock: the step machine cannot move between the test of the step and the
    // switch to key loading, so the answer says exactly whether the key will be loaded.
    std::lock_guard lock(FStepLock);
    if (!FInScan || MBusType != mtWireless || FStopScan || FAbortScan || !Is_Listening_Step()) return false;
    const bool radioCrafts = RadioModule == TRadioModule::rmRadioCrafts;
    const bool taken = FWirelessList->Locked([&](TWMBusMeters& meters) {
        if (index < 0 || index >= int(meters.size())) return false;
        TSlave_wMBus& m = *meters[size_t(index)];
        // A slot only for a key that is taken: refusals never use up the module's table.
        if (radioCrafts && m.RadioCrafts_Ind_Tab_Decript < 0) {
            if (Index_RadioCrafts_Position_Used > RC_Key_Slots) return false;
            m.RadioCrafts_Ind_Tab_Decript = Index_RadioCrafts_Position_Used++;
        }
        return FWirelessList->Set_Key(index, key);
    });
    if (!taken) return false;
    Wireless_Key = key;
    Wireless_Key_Index = index;
    Index_Key_Send = 0;
    Step_Scan = radioCrafts ? Step_RC_Key : Step_Telit_Key;
    return true;
}

void TMBusScanDecode::Telit_Step(int step) {
    const uint32_t wait = TimeOut_Text(uint32_t(std::max(Add_TimeOut, 0)));
    if (step % 2 == 1) {
        const int sent = step - 1;
        const auto a = Answer();
        if (!a) {
            if (Timed_Out()) Wireless_Failed();
            return;
        }
        if (!Text_Answer_Is(*a, Answer_Telit_OK)) {
            Wireless_Failed();
            return;
        }
        if (const TelitLine* l = Telit_Config_Line(sent)) {
            if (sent == 132) {
                // The step first: a key given while the telegrams that came meanwhile are
                // decoded is taken.
                Step_Scan = Step_Telit_Listening;
                Wireless_Listen(true);
            } else {
                Step_Scan = sent + (l->Skip_Next_In_N && Is_N_Mode(wMBusMode) ? 4 : 2);
            }
        } else if (sent == 216) {
            Index_Key_Send = 0;
            Step_Scan = 218;
        } else if (sent == 218) {
            ++Index_Key_Send;
            Step_Scan = Index_Key_Send < 16 ? 218 : 220;
        } else if (sent == 220) {
            Index_Key_Send = 0;
            Step_Scan = 132;  // back to the data mode, listening
        } else {
            Step_Scan = sent + 2;
        }
        return;
    }
    std::string line;
    if (const TelitLine* l = Telit_Config_Line(step)) {
        line = l->Text;
        if (const size_t p = line.find("#m"); p != std::string::npos) line.replace(p, 2, std::to_string(wMBusMode));
        if (const size_t p = line.find("#c"); p != std::string::npos)
            line.replace(p, 2, std::to_string(wMBusRadioChannel));
    } else if (step == Step_Telit_Key) {
        Wireless_Listen(false);
        line = "+++";
    } else if (step == 220) {
        line = "ATS460=5\r";
    } else if (step == 218) {
        if (Index_Key_Send < 0 || Index_Key_Send >= 16) {
            Wireless_Failed();
            return;
        }
        line = Telit_Register(470 + Index_Key_Send, Wireless_Key[size_t(Index_Key_Send)]);
    } else {
        const std::optional<TKeyMeter> m = Key_Meter();
        if (!m) {
            Wireless_Failed();  // the meter left the list
            return;
        }
        switch (step) {
        case 202: line = Telit_Register(461, m->Manufacturer & 0xFF); break;
        case 204: line = Telit_Register(462, m->Manufacturer >> 8); break;
        case 206:
        case 208:
        case 210:
        case 212: {
            const int byte = (step - 206) / 2;
            line = Telit_Register(463 + byte, int(m->Address >> (8 * byte)) & 0xFF);
            break;
        }
        case 214: line = Telit_Register(467, m->Version); break;
        case 216: line = Telit_Register(468, m->DeviceType); break;
        default: Wireless_Failed(); return;
        }
    }
    Send_Text_Wait(line, wait);
    Step_Scan = step + 1;
}

void TMBusScanDecode::RadioCrafts_Step(int step) {
    const uint32_t addTimeOut = uint32_t(std::max(Add_TimeOut, 0));
    const uint32_t wait = TimeOut_Text(addTimeOut);
    const uint32_t indexWait = TimeOut_Radiocrafts_Index(addTimeOut);
    const auto send = [&](TBytes bytes, uint32_t ms, int next) {
        Send_Bytes_Wait(std::move(bytes), ms);
        Step_Scan = next;
    };
    // The module's answer: accepted goes to next; a wrong one or none fails the scan.
    const auto expect = [&](const std::function<bool(const TBytes&)>& accepted, int next) {
        if (const auto a = Answer()) {
            if (accepted(*a)) Step_Scan = next;
            else Wireless_Failed();
            return;
        }
        if (Timed_Out()) Wireless_Failed();
    };
    const auto prompt = [&](int next) {
        expect([](const TBytes& b) { return b.size() == 1 && b[0] == RC_Prompt; }, next);
    };
    const auto firstPrompt = [&](int next) {
        expect([](const TBytes& b) { return !b.empty() && b[0] == RC_Prompt; }, next);
    };
    const auto anyOrTimeOut = [&](int next) {
        if (Answer() || Timed_Out()) Step_Scan = next;
    };

    // Key loading writes three tables of the module in the same way: the command, its prompt, the
    // slot, any answer, the data, and the prompt after the data.
    if (step >= 402 && step <= 419) {
        const int table = (step - 402) / 6;
        const int phase = (step - 402) % 6;
        const std::optional<TKeyMeter> m = Key_Meter();
        if (!m || m->Slot < 1 || m->Slot > 255) {
            Wireless_Failed();
            return;
        }
        static constexpr uint8_t kCommands[3] = {RC_Table_Address, RC_Table_Key, RC_Table_Flags};
        switch (phase) {
        case 0: send({kCommands[table]}, wait, step + 1); return;
        case 1: prompt(step + 1); return;
        case 2: send({uint8_t(m->Slot)}, indexWait, step + 1); return;
        case 3: anyOrTimeOut(step + 1); return;
        case 4: {
            TBytes data = table == 0   ? Build_RC_Meter_Address(m->Address, m->Manufacturer, m->Version, m->DeviceType)
                          : table == 1 ? Build_RC_Key(std::span<const uint8_t, 16>(m->Key))
                                       : TBytes{0x00, 0x40};
            send(std::move(data), wait, step + 1);
            return;
        }
        default:
            if (table < 2) firstPrompt(step + 1);
            else prompt(Step_RC_Exit);  // leave the menu and listen again
            return;
        }
    }

    switch (step) {
    case 300:
        Index_RadioCrafts_Position_Used = 1;
        send({RC_Config}, wait, 301);
        return;
    case 301: prompt(302); return;
    case 302: send({RC_Read_Memory}, wait, 303); return;
    case 303:
        expect([](const TBytes& b) { return b.size() == RC_Memory_Answer_Size && b.back() == RC_Prompt; }, 304);
        return;
    case 304: send({RC_Write_Memory}, wait, 305); return;
    case 305: prompt(306); return;
    case 306: send(Build_RC_Config(wMBusMode), TimeOut_Radiocrafts_Block(addTimeOut), 307); return;
    case 307: anyOrTimeOut(308); return;
    case 308: send({RC_End_Memory}, wait, 309); return;
    case 309:
        Index_RadioCrafts_Erase_Position = 0;
        prompt(310);
        return;
    // Slots 1 to 63 of the address table are cleared.
    case 310:
        if (Index_RadioCrafts_Erase_Position >= 63) Step_Scan = Step_RC_Exit;
        else send({RC_Table_Address}, wait, 311);
        return;
    case 311: prompt(313); return;
    case 313:
        if (Index_RadioCrafts_Erase_Position >= 64) {
            Step_Scan = Step_RC_Exit;
        } else {
            ++Index_RadioCrafts_Erase_Position;
            Step_Scan = 314;
        }
        return;
    case 314: send({uint8_t(Index_RadioCrafts_Erase_Position)}, indexWait, 315); return;
    case 315: anyOrTimeOut(316); return;
    case 316: send(Build_RC_Zero(), wait, 317); return;
    case 317: firstPrompt(310); return;
    case Step_RC_Exit: send({RC_Exit}, wait, 319); return;
    case 319:
        Step_Scan = Step_RC_Listening;
        Wireless_Listen(true);
        return;
    case Step_RC_Listening: return;
    case Step_RC_Key:
        Wireless_Listen(false);
        send({RC_Config}, wait, 401);
        return;
    case 401: prompt(402); return;
    default: Wireless_Failed(); return;
    }
}

void TMBusScanDecode::Scan_Decode_Wireless() {
    // A stop or abort closes the scan from any step but the closing ones, which are on their way.
    if ((FAbortScan || FStopScan) && (Step_Scan < Step_Close_Wireless || Step_Scan > Step_Close_Wireless + 3))
        Step_Scan = Step_Close_Wireless;
    const uint32_t addTimeOut = uint32_t(std::max(Add_TimeOut, 0));
    const int step = Step_Scan;
    if (step >= 100 && step < Step_Telit_Listening) return Telit_Step(step);
    if (step == Step_Telit_Listening) return;
    if (step >= Step_Telit_Key && step <= 221) return Telit_Step(step);
    if (step >= 300 && step <= 419) return RadioCrafts_Step(step);
    switch (step) {
    case 0:
        Wireless_Listen(false);
        Wireless_Route(false);  // the module is not known yet
        FResult = 1;
        if (Select_Hardware == shSerial) {
            Wireless_Failed();  // nothing reaches the radio module over the serial port
            return;
        }
        Send_Text_Wait(Cmd_Enable_Configuration.Sent, TimeOut_Text(addTimeOut));
        Step_Scan = 1;
        return;
    case 1: {
        if (const auto a = Answer()) {
            if (Text_Answer_Is(*a, Cmd_Enable_Configuration.Answer)) Step_Scan = 2;
            else Wireless_Failed();
        } else if (Timed_Out()) {
            Wireless_Failed();
        }
        return;
    }
    case 2:
        FResult = 1;
        Send_Text_Wait(Cmd_Type_Radio_Module, TimeOut_Text(addTimeOut));
        Step_Scan = 3;
        return;
    case 3: {
        if (const auto a = Answer()) {
            const std::optional<TRadioModule> module = Radio_Module_Of(*a);
            if (!module) {
                Wireless_Failed();
                return;
            }
            RadioModule = *module;
            // From now on a telegram among the module's answers is told apart and heard.
            Wireless_Route(true);
            Step_Scan = RadioModule == TRadioModule::rmTelit ? 100 : 300;
        } else if (Timed_Out()) {
            Wireless_Failed();
        }
        return;
    }
    case 500:
        // A scan stopped while listening: the gateway's answer must reach the step, not the
        // telegram decoder.
        Wireless_Listen(false);
        Count_Disable_Analyzer = 0;
        FAbortScan = false;
        FStopScan = false;
        Step_Scan = 501;
        return;
    case 501:
        if (Select_Hardware == shSerial || Count_Disable_Analyzer >= 3) {
            Step_Scan = 503;
            return;
        }
        ++Count_Disable_Analyzer;
        Set_Wait(TimeOut_Text(addTimeOut));
        Step_Scan = 502;
        Send_Command(Cmd_Disable_Configuration.Sent, Port_Wireless);
        return;
    case 502: {
        if (const auto a = Answer()) Step_Scan = Text_Answer_Is(*a, Cmd_Disable_Configuration.Answer) ? 503 : 501;
        if (Timed_Out()) Step_Scan = 501;
        return;
    }
    case 503:
        End_Wireless_Scan();
        return;
    default:
        // A step outside the table has nothing sensible to follow: the scan closes as a failure.
        Wireless_Failed();
        return;
    }
}

}  // namespace mbus
