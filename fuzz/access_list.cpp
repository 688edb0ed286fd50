// Reads arbitrary bytes as an access-list file under each list's schema (the first byte picks the
// schema): the rows read are shaped as the schema says, the rules run over them, and what reads
// cleanly writes and reads back unchanged.
#include "building/BACnetClientSchema.h"
#include "building/BACnetSchema.h"
#include "building/DALISchemas.h"
#include "building/DMXSchema.h"
#include "building/KNXSchema.h"
#include "building/NMEASchemas.h"
#include "building/SNMPManagerSchema.h"
#include "building/SNMPSchema.h"
#include "fieldbus/CANSchemas.h"
#include "fieldbus/CANopenSchemas.h"
#include "fieldbus/DeviceNet.h"
#include "fieldbus/J1939Schemas.h"
#include "fieldbus/MQTTAccessSchema.h"
#include "fieldbus/ModbusSchemas.h"

#include <cstddef>
#include <cstdint>

namespace {

struct Member {
    const accesslist::Schema& (*schema)();
    std::vector<accesslist::SectionRules> (*rules)(int, int);
};

// Every list that keeps its rows in a list file; later lists add theirs here.
const Member kMembers[] = {
    {&canopen::pdoSchema, &canopen::pdoRules},
    {&canopen::sdoClientSchema, &canopen::sdoClientRules},
    {&canopen::sdoServerSchema, &canopen::sdoServerRules},
    {&nmea::receiveSchema, [](int, int) { return nmea::receiveRules(nmea::kAreaBytes); }},
    {&nmea::transmitSchema, [](int, int) { return nmea::transmitRules(nmea::kAreaBytes); }},
    {&dmx::defaultValuesSchema, [](int, int) { return dmx::defaultValuesRules(); }},
    {&modbus::masterSchema, &modbus::masterRules},
    {&modbus::tcpMasterSchema, &modbus::tcpMasterRules},
    {&j1939::receiveSchema, [](int in, int) { return j1939::receiveRules(in); }},
    {&j1939::transmitSchema, [](int, int out) { return j1939::transmitRules(out); }},
    {&devicenet::networkSchema, [](int, int) { return devicenet::networkRules(); }},
    {&knx::schema, [](int area, int) { return knx::rules(area, u','); }},
    {&snmp::schema, [](int, int) {
         static QStringList checked;  // outlives the rules
         return snmp::rules(&checked);
     }},
    {&snmpmanager::schema, [](int, int) { return snmpmanager::rules(); }},
    {&dali::rulesSchema, [](int, int) { return dali::rules({}, u','); }},
    {&mqttaccess::schema, [](int, int) { return mqttaccess::rules(); }},
    {&can::receiveSchema, [](int in, int) { return can::receiveRules(in); }},
    {&can::transmitSchema, [](int, int out) { return can::transmitRules(out); }},
    {&bacnet::schema, [](int, int) { return bacnet::rules(bacnet::kRows); }},
    {[]() -> const accesslist::Schema& { return bacnetclient::schema(bacnetclient::kIP); },
     [](int, int) { return bacnetclient::rules(bacnetclient::kIP); }},
    {[]() -> const accesslist::Schema& { return bacnetclient::schema(2); }, [](int, int) { return bacnetclient::rules(2); }},
};

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    if (size == 0) return 0;
    const Member& m = kMembers[data[0] % std::size(kMembers)];
    const accesslist::Schema& schema = m.schema();
    const QByteArray bytes(reinterpret_cast<const char*>(data + 1), static_cast<qsizetype>(size - 1));
    const accesslist::ReadResult read = accesslist::readList(schema, bytes);
    if (read.sections.size() != schema.sections.size() || read.surplus.size() != schema.sections.size())
        __builtin_trap();
    for (size_t s = 0; s < schema.sections.size(); ++s) {
        if (read.sections[s].size() > size_t(schema.sections[s].capacity) || read.surplus[s] < 0) __builtin_trap();
        for (const accesslist::Row& r : read.sections[s])
            if (r.size() != schema.sections[s].columns()) __builtin_trap();
    }
    const accesslist::Problem problem = accesslist::validate(schema, read.sections, m.rules(1440, 1440));
    if (problem.kind != accesslist::Problem::None &&
        // A check of the whole list may come without a row.
        (size_t(problem.section) >= read.sections.size() || problem.row < (problem.failure.wholeList ? 0 : 1) ||
         size_t(problem.row) > read.sections[size_t(problem.section)].size()))
        __builtin_trap();
    if (!read.error.isEmpty()) return 0;

    plat::XmlDocument doc;
    accesslist::writeList(schema, read.sections, doc);
    const accesslist::ReadResult again = accesslist::readList(schema, doc.toBytes());
    if (!again.error.isEmpty()) __builtin_trap();
    for (size_t s = 0; s < schema.sections.size(); ++s) {
        // Only the row list is written: the rows up to the first empty key.
        const accesslist::Rows& before = read.sections[s];
        const int kept = accesslist::rowListLength(schema.sections[s], before);
        if (again.sections[s] != accesslist::Rows(before.begin(), before.begin() + kept)) __builtin_trap();
    }
    return 0;
}
