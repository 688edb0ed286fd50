#include "fieldbus/MQTTTopicTable.h"

namespace mqtttopics {

Topics sectionTopics(const plat::XmlElement& root, const QString& fileName, const char* section) {
    Topics result;
    const QString name = QString::fromLatin1(section);
    const plat::XmlElement table = root.child(name);
    if (table.isNull()) return result;
    const QString topic = QStringLiteral("Topic");
    int firstMissing = 0, missing = 0;
    for (const plat::XmlElement& row : table.childElements(QStringLiteral("row"))) {
        if (!row.hasAttribute(topic)) {
            ++missing;
            if (firstMissing == 0) firstMissing = int(result.topics.size()) + 1;
        }
        result.topics << row.attribute(topic);
    }
    if (missing > 0)
        result.error = QStringLiteral("Error in \"%1\": section \"%2\", row %3: the attribute \"Topic\" is missing (%4 "
                                      "in all). Such a row is listed as an empty topic.")
                           .arg(fileName, name)
                           .arg(firstMissing)
                           .arg(missing == 1 ? QStringLiteral("1 row") : QStringLiteral("%1 rows").arg(missing));
    return result;
}

Topics readTopics(const QByteArray& bytes, const QString& fileName, const char* section) {
    plat::XmlDocument doc;
    QString parseError;
    if (!doc.loadBytes(bytes, &parseError)) return {{}, QStringLiteral("Error in \"%1\": %2").arg(fileName, parseError)};
    return sectionTopics(doc.root(), fileName, section);
}

QString topicFromIndex(const QStringList& topics, int index) {
    return index >= 0 && index < topics.size() ? topics[index] : QString();
}

int indexFromTopic(const QStringList& topics, const QString& topic, int guess) {
    if (guess >= 0 && guess < topics.size() && topics[guess] == topic) return guess;
    return int(topics.indexOf(topic));
}

}  // namespace mqtttopics
