#include "gateway/MQTTTopicFile.h"

namespace topicfile {
namespace {

constexpr Attribute kPublishAttributes[] = {
    {1, "Topic", true, ""},          {2, "Retained", true, ""},     {3, "QoS", true, ""},
    {4, "DataType", false, ""},      {5, "Dimension", false, ""},   {6, "Position", false, ""},
    {7, "IPAddress", false, ""},     {8, "FormatHex", false, "N"},  {9, "InputTemplate", false, ""},
    {10, "Template", false, ""},     {11, "OnChange", false, "N"},  {12, "OnCMD", false, "N"},
    {13, "OnTimer", false, "N"},     {14, "Time", false, ""},       {18, "Mnemonic", true, ""},
};
constexpr Unstored kPublishUnstored[] = {{15, ""}, {16, "N"}, {17, "N"}};

constexpr Attribute kSubscribeAttributes[] = {
    {1, "Topic", true, ""},          {2, "Retained", true, ""},     {3, "QoS", true, ""},
    {4, "DataType", false, ""},      {5, "Dimension", false, ""},   {6, "Position", false, ""},
    {7, "IPAddress", false, ""},     {8, "Port", false, ""},        {9, "EthType", false, ""},
    {10, "InputTemplate", false, ""}, {11, "FormatHex", false, "N"}, {12, "Template", false, ""},
    {15, "Mnemonic", true, ""},
};
constexpr Unstored kSubscribeUnstored[] = {{13, "N"}, {14, "N"}};

const Section kPublish{"MQTT_Publish", kPublishColumns, kPublishAttributes, kPublishUnstored};
const Section kSubscribe{"MQTT_Subscribe", kSubscribeColumns, kSubscribeAttributes, kSubscribeUnstored};

QString latin(const char* s) { return QString::fromLatin1(s); }

// Reads the rows of one section into `rows`; false with `error` at the first malformed row.
bool readSection(const plat::XmlElement& root, const Section& section, std::vector<Row>& rows, int& surplus,
                 QString& error) {
    const plat::XmlElement element = root.child(latin(section.element));
    if (element.isNull()) return true;
    const std::vector<plat::XmlElement> elements = element.childElements(QStringLiteral("row"));
    const size_t kept = std::min(elements.size(), size_t(kMaxRows));
    surplus = int(elements.size() - kept);
    for (size_t i = 0; i < kept; ++i) {
        Row row = emptyRow(section);
        for (const Attribute& a : section.attributes) {
            const QString name = latin(a.name);
            if (!elements[i].hasAttribute(name)) {
                if (a.required) {
                    error = QStringLiteral("Error in \"MQTT_Set_Topic.xml\": section \"%1\", row %2: the attribute "
                                           "\"%3\" is missing")
                                .arg(latin(section.element))
                                .arg(i + 1)
                                .arg(name);
                    return false;
                }
                row[a.column] = latin(a.missing);
            } else {
                row[a.column] = elements[i].attribute(name);
            }
        }
        for (const Unstored& u : section.unstored) row[u.column] = latin(u.text);
        rows.push_back(std::move(row));
    }
    return true;
}

void writeSection(plat::XmlElement& root, const Section& section, const std::vector<Row>& rows) {
    plat::XmlElement element = root.appendChild(latin(section.element));
    for (const Row& row : rows) {
        plat::XmlElement e = element.appendChild(QStringLiteral("row"));
        for (const Attribute& a : section.attributes) e.setAttribute(latin(a.name), row.value(a.column));
    }
}

}  // namespace

const Section& publishSection() { return kPublish; }
const Section& subscribeSection() { return kSubscribe; }

Row emptyRow(const Section& section) {
    Row row;
    row.reserve(section.columns);
    for (int c = 0; c < section.columns; ++c) row.append(QString());
    return row;
}

ReadResult readTopicFile(const QByteArray& bytes) {
    ReadResult result;
    plat::XmlDocument doc;
    QString parseError;
    if (!doc.loadBytes(bytes, &parseError)) {
        result.error = QStringLiteral("Error in \"MQTT_Set_Topic.xml\": %1").arg(parseError);
        return result;
    }
    const plat::XmlElement root = doc.root();
    if (!readSection(root, kPublish, result.tables.publish, result.surplusPublish, result.error)) return result;
    if (!readSection(root, kSubscribe, result.tables.subscribe, result.surplusSubscribe, result.error))
        return result;
    result.tables.allowCrLf =
        root.child(QStringLiteral("MQTT_Options")).child(QStringLiteral("Option_Allow_CR_LF")).text() == u"Y";
    return result;
}

void writeTopicDocument(const Tables& tables, plat::XmlDocument& doc) {
    plat::XmlElement root = doc.createRoot(latin(kRootElement));
    doc.appendComment(latin(kVersionComment));
    writeSection(root, kPublish, tables.publish);
    writeSection(root, kSubscribe, tables.subscribe);
    root.appendChild(QStringLiteral("MQTT_Options"))
        .appendTextChild(QStringLiteral("Option_Allow_CR_LF"), tables.allowCrLf ? QStringLiteral("Y")
                                                                               : QStringLiteral("N"));
}

}  // namespace topicfile
