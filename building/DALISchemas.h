#pragma once
// The DALI gateway's two files without any widget: the devices present on the bus
// ("DALI_Access.xml", three text elements per short address) and the set-access rules with their
// chain of functions ("DALI2_Access.xml", a list file of two sections), the item lists of their
// drop-downs, the rules of both lists and their "%d" messages.
#include "shell/AccessListFile.h"

#include <QByteArray>
#include <QChar>
#include <QString>
#include <QStringList>
#include <optional>
#include <vector>

namespace plat {
class XmlDocument;
}

namespace dali {

inline constexpr int kDevices = 64;       // short addresses 0 .. 63
inline constexpr int kRuleRows = 256;
inline constexpr int kFunctionRows = 250;
inline constexpr int kMaxPosition = 1440;  // the last index of the data area a rule may name

// Drop-down items, in the order the lists show them.
const QStringList& dimmingModes();   // "Normal", "Start Break"
const QStringList& recallLevels();   // "None", then the two recall items
const QStringList& deviceOrSensor(); // "Device", "Sensor"
const QStringList& deviceTypes();
const QStringList& sensorTypes();
const QStringList& numBytes();       // "1", "2"
const QStringList& functions();
const QStringList& conditions();
const QStringList& events();
const QStringList& channels();       // the 64 channels, the 16 groups and the broadcast

// The recall level a text stands for: one of the two recall items as it is, anything else "None".
QString Check_ReCall_Level(const QString& text);

// One device row of "DALI_Access.xml" as read: what the file gives, nothing where its element is
// missing.
struct DeviceRead {
    bool enable = false;  // "1" only; any other text or no element: not present
    std::optional<bool> minMax;
    std::optional<QString> recall;  // already passed through Check_ReCall_Level
};
struct DevicesRead {
    std::vector<DeviceRead> devices;  // kDevices entries, also after an error
    QString error;                    // empty when the document could be read
};
DevicesRead readDevices(const QByteArray& bytes);

// A device row as the window holds it: Enable and Min-Max Value as check texts, the recall text.
struct DeviceRow {
    QString enable;
    QString minMax;
    QString recall;
};
// The root, the version comment and the 64 x 3 elements.
void writeDevices(const std::vector<DeviceRow>& rows, plat::XmlDocument& doc);

// "DALI2_Access.xml": section 0 the functions (key Function), section 1 the rules (key Dev/Sen).
const accesslist::Schema& rulesSchema();
enum FunctionColumn { fFunction = 1, fCondition, fValue, fChannel, fVal, fNextFunction, fMnemonic };
enum RuleColumn {
    rEnable = 1, rDevSen, rType, rChannelNumber, rInstance, rCommand, rTimeSend, rTimeOut, rFunction, rPosition,
    rNumBytes, rMnemonic
};

// The condition an event of the Value column needs, or nothing for a value of no event group.
std::optional<QString> conditionForEvent(const QString& value);

// The rules of both lists: the functions (their conditions and values, then every Next Function
// against the number of functions), then the enabled rules. `separator` is the decimal separator of
// the values.
std::vector<accesslist::SectionRules> rules(const accesslist::Rows& functionRows, QChar separator);

// Text n of the text table. The entries 4960 .. 4966 (two headers of the functions, their hints and
// the messages of the event groups) are blank in the built-in table: until a language file gives
// them, they are English texts of the window's own.
QString text(int n);

// A message text whose "%d" are replaced in turn by the row and the limit; nothing else in it has
// a meaning, so a language file may hold any text.
QString formatMessage(const QString& text, int row, std::optional<int64_t> limit);

}  // namespace dali
