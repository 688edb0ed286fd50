#pragma once
// The DeviceNet master's two files without any widget: the network list "DNETM_Net.xml" (the slaves
// polled, their node ID and byte counts) and the offsets "DNETM_DefOff.xml" (for every byte of every
// slave, its position in the exchange area or "None", and a mnemonic). Offsets belong to the slaves
// by position: the k-th "Nodo_DNET" is the k-th slave of the network file.
#include "platform/XmlDoc.h"
#include "shell/AccessListFile.h"

#include <QByteArray>
#include <QString>
#include <QStringList>
#include <cstdint>
#include <utility>
#include <vector>

namespace devicenet {

// "DNETM_Net.xml": up to 64 rows in the root "DNET_Net", keyed by the ID; every attribute required.
const accesslist::Schema& networkSchema();
std::vector<accesslist::SectionRules> networkRules();

// One slave of the network with the offset text and the mnemonic of each of its bytes.
struct TSlave_DN {
    int ID = 0;
    int ByteIN = 0;
    int ByteOUT = 0;
    QStringList SL_ByteIN, SL_ByteOUT;      // "None" or a decimal position, one per byte
    QStringList SL_ByteIN_M, SL_ByteOUT_M;  // mnemonics, one per byte
};

inline const QString kNone = QStringLiteral("None");

struct Network {
    std::vector<QStringList> rows;    // per slave: ID, NB_IN, NB_OUT, Mnemonic as written
    std::vector<TSlave_DN> slaves;    // the same slaves, every byte "None" with an empty mnemonic
    QString error;                    // empty when the whole file was read
};

// Every row of the network file, however many. A row without one of its attributes, or whose ID is
// not a number from 0 to 255 or whose byte count is not one from 0 to 65535, stops the reading; the
// slaves before it are kept.
Network readNetwork(const QByteArray& bytes);

// Puts the offsets and mnemonics of the offset file into the slaves: surplus slaves and bytes of
// the file are skipped, slaves and bytes the file lacks keep theirs. A slave without its "ByteIN"
// or "ByteOUT", or a byte without one of its attributes, stops the reading with the message returned.
QString readOffsets(const QByteArray& bytes, std::vector<TSlave_DN>& slaves);

// Writes the root, the version comment and one "Nodo_DNET" per slave.
void writeOffsets(const std::vector<TSlave_DN>& slaves, plat::XmlDocument& doc);

// The first output offset that cannot be sent: one that two output bytes share, or a number outside
// the exchange area. "None" and other texts that are no number send nothing and are passed over;
// input offsets may repeat.
struct OffsetProblem {
    enum Kind : uint8_t { None, Shared, Outside } kind = None;
    int firstID = -1, firstByte = -1;  // Shared: the byte that took the offset first
    int ID = -1, Byte = -1;            // the byte refused
    int offset = -1;
};
// The owner of each exchange-area position during the check: (slave ID, byte number), -1, -1 free.
using OffsetOwners = std::vector<std::pair<int32_t, int32_t>>;
void resetOwners(OffsetOwners& owners, int areaBytes);
// Checks against `owners` as the caller reset them; the area is their size.
OffsetProblem checkOutputOffsets(const std::vector<TSlave_DN>& slaves, OffsetOwners& owners);
// The message of a problem, with the texts of the text table.
QString offsetMessage(const OffsetProblem& problem, int areaBytes);

}  // namespace devicenet
