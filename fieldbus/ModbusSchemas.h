#pragma once
// The files and row rules of the Modbus master and Modbus TCP master lists, and the gateway's MQTT
// publish topics their read rules are tied to, without any widget: the windows, the tests, the
// benchmark and the fuzzer all read them here.
#include "fieldbus/MQTTTopicTable.h"
#include "shell/AccessListFile.h"

#include <QByteArray>
#include <QString>
#include <QStringList>
#include <vector>

namespace modbus {

// Bytes of the exchange area both lists map into: positions 0 to 1499.
inline constexpr int kAreaBytes = 1500;

// "ModbusM_SetAccess.xml": "Modbus_Read" and "Modbus_Write", 512 rows each, keyed by the slave id.
const accesslist::Schema& masterSchema();
// "ModbusTCPM_SetAccess.xml": the same rules behind the server's IP address and port, no version
// comment.
const accesslist::Schema& tcpMasterSchema();

// The rules of both pages; `nbyteOut` bounds the write rules' positions and the end of their data.
std::vector<accesslist::SectionRules> masterRules(int nbyteIn, int nbyteOut);
std::vector<accesslist::SectionRules> tcpMasterRules(int nbyteIn, int nbyteOut);

// True when the text is NOT a valid address: empty, or a part before the first, second or third
// "." or the remainder after the third is not an integer from 0 to 255 (the house conversion).
bool Check_IP_Address(const QString& IP_Address);

// Where each list keeps its columns (real column indexes).
struct Columns {
    int type;               // Type, in both grids
    int readTopic;          // the index-topic column of the read grid
    int readPosition;       // Position, then Start Bit: hidden in the topic mode
    int writePosition;      // Position of the write grid, Start Bit after it
    bool numberedTopics;    // topic items read "1 - topic"
};
inline constexpr Columns kMasterColumns{3, 12, 8, 10, true};
inline constexpr Columns kTcpMasterColumns{5, 14, 10, 12, false};

// The "Topic" of each row of the "MQTT_Publish" section of the MQTT topic file, in document order;
// the lookups between a topic's position and its text.
using PublishTopics = mqtttopics::Topics;
PublishTopics readPublishTopics(const QByteArray& bytes, const QString& fileName);
using mqtttopics::indexFromTopic;
using mqtttopics::topicFromIndex;

}  // namespace modbus
