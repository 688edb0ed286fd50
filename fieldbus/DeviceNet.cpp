#include "fieldbus/DeviceNet.h"

#include "platform/IntConv.h"
#include "shell/ULanguage.h"

#include <algorithm>
#include <utility>

namespace devicenet {
namespace {

using namespace accesslist;

const QString kNetworkFile = QStringLiteral("DNETM_Net.xml");
const QString kOffsetFile = QStringLiteral("DNETM_DefOff.xml");

QString fileError(const QString& file, const QString& what) {
    return QStringLiteral("Error in \"%1\": %2").arg(file, what);
}

// An attribute of a row that must have it.
bool attribute(const plat::XmlElement& e, const char* name, QString& value) {
    const pugi::xml_attribute a = e.node().attribute(name);
    if (!a) return false;
    value = QString::fromUtf8(a.value());
    return true;
}

}  // namespace

const Schema& networkSchema() {
    static const Schema schema{"DNETM_Net.xml", "DNET_Net", "1.000", "row", NumberRule::House,
                               {{nullptr, {{"ID"}, {"NB_IN"}, {"NB_OUT"}, {"Mnemonic"}}, 64, 1, KeyTrim::AsIs, 0,
                                 {}, ""}}};
    return schema;
}

std::vector<SectionRules> networkRules() {
    SectionRules rules;
    rules.checks = {inRange(1, 0, 63, 2824), inRange(2, 0, 65535, 2825), inRange(3, 0, 65535, 2826)};
    return {rules};
}

Network readNetwork(const QByteArray& bytes) {
    Network net;
    plat::XmlDocument doc;
    QString parseError;
    if (!doc.loadBytes(bytes, &parseError)) {
        net.error = fileError(kNetworkFile, parseError);
        return net;
    }
    const plat::XmlElement root = doc.root();
    if (root.isNull()) {
        net.error = fileError(kNetworkFile, QStringLiteral("the document has no root element"));
        return net;
    }
    int n = 0;
    for (plat::XmlElement e = root.firstChildElement(); !e.isNull(); e = e.nextSiblingElement()) {
        ++n;
        QStringList row;
        for (const char* name : {"ID", "NB_IN", "NB_OUT", "Mnemonic"}) {
            QString v;
            if (!attribute(e, name, v)) {
                net.error = fileError(kNetworkFile, QStringLiteral("row %1: the attribute \"%2\" is missing")
                                                        .arg(n)
                                                        .arg(QString::fromLatin1(name)));
                return net;
            }
            row << v;
        }
        // Kept whole: an ID or a count outside what the gateway holds is refused, never cut short.
        const struct {
            const char* name;
            int max;
        } numbers[] = {{"ID", 255}, {"NB_IN", 65535}, {"NB_OUT", 65535}};
        int values[3] = {};
        for (int k = 0; k < 3; ++k) {
            const std::optional<int32_t> v = plat::tryStrToInt(row[k]);
            if (!v || *v < 0 || *v > numbers[k].max) {
                net.error = fileError(kNetworkFile, QStringLiteral("row %1: %2 \"%3\" is not a number from 0 to %4")
                                                        .arg(n)
                                                        .arg(QString::fromLatin1(numbers[k].name), row[k])
                                                        .arg(numbers[k].max));
                return net;
            }
            values[k] = *v;
        }
        TSlave_DN s;
        s.ID = values[0];
        s.ByteIN = values[1];
        s.ByteOUT = values[2];
        s.SL_ByteIN = QStringList(s.ByteIN, kNone);
        s.SL_ByteIN_M = QStringList(s.ByteIN, QString());
        s.SL_ByteOUT = QStringList(s.ByteOUT, kNone);
        s.SL_ByteOUT_M = QStringList(s.ByteOUT, QString());
        net.rows.push_back(std::move(row));
        net.slaves.push_back(std::move(s));
    }
    return net;
}

QString readOffsets(const QByteArray& bytes, std::vector<TSlave_DN>& slaves) {
    plat::XmlDocument doc;
    QString parseError;
    if (!doc.loadBytes(bytes, &parseError)) return fileError(kOffsetFile, parseError);
    const plat::XmlElement root = doc.root();
    if (root.isNull()) return fileError(kOffsetFile, QStringLiteral("the document has no root element"));
    size_t k = 0;
    for (plat::XmlElement node = root.firstChildElement(); !node.isNull() && k < slaves.size();
         node = node.nextSiblingElement(), ++k) {
        TSlave_DN& s = slaves[k];
        const struct {
            const char* name;
            int count;
            QStringList* offsets;
            QStringList* mnemonics;
        } sides[] = {{"ByteIN", s.ByteIN, &s.SL_ByteIN, &s.SL_ByteIN_M},
                     {"ByteOUT", s.ByteOUT, &s.SL_ByteOUT, &s.SL_ByteOUT_M}};
        for (const auto& side : sides) {
            const QString sideName = QString::fromLatin1(side.name);
            const plat::XmlElement list = node.child(sideName);
            if (list.isNull())
                return fileError(kOffsetFile,
                                 QStringLiteral("slave %1 has no \"%2\"").arg(k + 1).arg(sideName));
            int i = 0;
            for (plat::XmlElement row = list.firstChildElement(); !row.isNull() && i < side.count;
                 row = row.nextSiblingElement(), ++i) {
                QString offset, mnemonic;
                const char* missing = !attribute(row, "Offset", offset)       ? "Offset"
                                      : !attribute(row, "Mnemonic", mnemonic) ? "Mnemonic"
                                                                              : nullptr;
                if (missing)
                    return fileError(kOffsetFile, QStringLiteral("slave %1, \"%2\" row %3: the attribute \"%4\" is missing")
                                                      .arg(k + 1)
                                                      .arg(sideName)
                                                      .arg(i + 1)
                                                      .arg(QString::fromLatin1(missing)));
                (*side.offsets)[i] = offset;
                (*side.mnemonics)[i] = mnemonic;
            }
        }
    }
    return {};
}

void writeOffsets(const std::vector<TSlave_DN>& slaves, plat::XmlDocument& doc) {
    plat::XmlElement root = doc.createRoot(QStringLiteral("Define_Offset"));
    doc.appendComment(QStringLiteral("SW_VERSION = 1.000"));
    for (const TSlave_DN& s : slaves) {
        pugi::xml_node node = root.node().append_child("Nodo_DNET");
        const std::pair<const QStringList*, const QStringList*> sides[] = {{&s.SL_ByteIN, &s.SL_ByteIN_M},
                                                                           {&s.SL_ByteOUT, &s.SL_ByteOUT_M}};
        const char* names[] = {"ByteIN", "ByteOUT"};
        for (int k = 0; k < 2; ++k) {
            pugi::xml_node list = node.append_child(names[k]);
            const QStringList& offsets = *sides[k].first;
            const QStringList& mnemonics = *sides[k].second;
            for (qsizetype i = 0; i < offsets.size(); ++i) {
                pugi::xml_node row = list.append_child("row");
                row.append_attribute("Offset").set_value(offsets[i].toUtf8().constData());
                row.append_attribute("Mnemonic").set_value(mnemonics.value(i).toUtf8().constData());
            }
        }
    }
}

void resetOwners(OffsetOwners& owners, int areaBytes) { owners.assign(size_t(std::max(areaBytes, 0)), {-1, -1}); }

OffsetProblem checkOutputOffsets(const std::vector<TSlave_DN>& slaves, OffsetOwners& owner) {
    const int areaBytes = int(owner.size());
    for (const TSlave_DN& s : slaves)
        for (int i = 0; i < s.SL_ByteOUT.size(); ++i) {
            const std::optional<int32_t> o = plat::tryStrToInt(s.SL_ByteOUT[i]);
            if (!o) continue;  // "None", empty or no number: the byte is not sent
            OffsetProblem p;
            p.ID = s.ID;
            p.Byte = i;
            p.offset = *o;
            if (*o < 0 || *o >= areaBytes) {
                p.kind = OffsetProblem::Outside;
                return p;
            }
            auto& taken = owner[size_t(*o)];
            if (taken.first >= 0) {
                p.kind = OffsetProblem::Shared;
                p.firstID = taken.first;
                p.firstByte = taken.second;
                return p;
            }
            taken = {s.ID, i};
        }
    return {};
}

QString offsetMessage(const OffsetProblem& p, int areaBytes) {
    const auto n = [](int v) { return QString::number(v); };
    if (p.kind == OffsetProblem::Shared)
        return Text_Table.value(2921) + QStringLiteral("\n\r( ") + Text_Table.value(2922) + n(p.firstID) +
               Text_Table.value(2923) + n(p.firstByte) + Text_Table.value(2924) + n(p.ID) + Text_Table.value(2925) +
               n(p.Byte) + QStringLiteral(")");
    if (p.kind == OffsetProblem::Outside)
        return QStringLiteral("Error in ByteOUT! ID = %1 Byte = %2: the offset %3 is not a byte of MQTT (0 to %4).")
            .arg(p.ID)
            .arg(p.Byte)
            .arg(p.offset)
            .arg(areaBytes - 1);
    return {};
}

}  // namespace devicenet
