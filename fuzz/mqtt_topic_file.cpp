// Reads arbitrary bytes as the topic file; what reads cleanly must write and read back unchanged.
#include "gateway/MQTTTopicFile.h"

#include <cstddef>
#include <cstdint>

namespace {

bool wellShaped(const std::vector<topicfile::Row>& rows, int columns) {
    if (rows.size() > size_t(topicfile::kMaxRows)) return false;
    for (const topicfile::Row& r : rows)
        if (r.size() != columns) return false;
    return true;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const QByteArray bytes(reinterpret_cast<const char*>(data), static_cast<qsizetype>(size));
    const topicfile::ReadResult read = topicfile::readTopicFile(bytes);
    if (!wellShaped(read.tables.publish, topicfile::kPublishColumns) ||
        !wellShaped(read.tables.subscribe, topicfile::kSubscribeColumns))
        __builtin_trap();
    if (!read.error.isEmpty()) return 0;

    plat::XmlDocument doc;
    topicfile::writeTopicDocument(read.tables, doc);
    const topicfile::ReadResult again = topicfile::readTopicFile(doc.toBytes());
    if (!again.error.isEmpty() || again.surplusPublish != 0 || again.surplusSubscribe != 0) __builtin_trap();
    if (again.tables.publish != read.tables.publish || again.tables.subscribe != read.tables.subscribe ||
        again.tables.allowCrLf != read.tables.allowCrLf)
        __builtin_trap();
    return 0;
}
