// Reads arbitrary bytes as the MQTT topic file the way the Modbus lists read their publish topics:
// a bounded list, every lookup inside it, and each topic found again at
// the position it was looked up from.
#include "fieldbus/ModbusSchemas.h"

#include <cstddef>
#include <cstdint>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const QByteArray bytes(reinterpret_cast<const char*>(data), static_cast<qsizetype>(size));
    const modbus::PublishTopics read = modbus::readPublishTopics(bytes, QStringLiteral("MQTT_Set_Topic.xml"));
    if (size_t(read.topics.size()) > size) __builtin_trap();
    for (int i = 0; i < read.topics.size(); ++i) {
        const QString& topic = read.topics[i];
        if (modbus::topicFromIndex(read.topics, i) != topic) __builtin_trap();
        if (modbus::indexFromTopic(read.topics, topic, i) != i) __builtin_trap();
        const int first = modbus::indexFromTopic(read.topics, topic, -1);
        if (first < 0 || first > i || read.topics[first] != topic) __builtin_trap();
    }
    if (!modbus::topicFromIndex(read.topics, int(read.topics.size())).isEmpty()) __builtin_trap();
    return 0;
}
