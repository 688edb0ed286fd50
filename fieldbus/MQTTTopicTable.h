#pragma once
// What the access lists read of the gateway's MQTT topic file, without any widget: the "Topic" of
// each row of its publish or subscribe table, in document order, and the lookups between a topic's
// position in its table (what a list file keeps) and its text (what a cell shows).
#include "platform/XmlDoc.h"

#include <QByteArray>
#include <QString>
#include <QStringList>

namespace mqtttopics {

inline constexpr const char* kPublish = "MQTT_Publish";
inline constexpr const char* kSubscribe = "MQTT_Subscribe";

// The topics of one table. A row without "Topic" keeps its place as an empty topic, so that later
// positions stay right, and is reported in `error` (the first such row, and how many there are);
// so is a file that cannot be read, which gives no topics.
struct Topics {
    QStringList topics;
    QString error;
};

// The table `section` under the root of a topic file already read; a file without it lists none.
Topics sectionTopics(const plat::XmlElement& root, const QString& fileName, const char* section);
// The same from the file's bytes.
Topics readTopics(const QByteArray& bytes, const QString& fileName, const char* section);

// Entry `index` of the list, empty when out of range.
QString topicFromIndex(const QStringList& topics, int index);
// `guess` when it is a valid position whose entry equals `topic` exactly, else the first position
// that does, -1 when none.
int indexFromTopic(const QStringList& topics, const QString& topic, int guess = -1);

}  // namespace mqtttopics
