// Reads arbitrary bytes as the DeviceNet network file and the offset file, as the offset editor
// does when it is shown (the first two bytes give the length of the network part): every slave is
// shaped as its counts say, the check of the output offsets names a byte that exists, and what the
// editor writes reads back unchanged.
#include "fieldbus/DeviceNet.h"

#include <algorithm>
#include <cstddef>
#include <cstdint>

namespace {

bool shaped(const devicenet::TSlave_DN& s) {
    return s.ID >= 0 && s.ID <= 255 && s.ByteIN >= 0 && s.ByteIN <= 65535 && s.ByteOUT >= 0 && s.ByteOUT <= 65535 &&
           s.SL_ByteIN.size() == s.ByteIN && s.SL_ByteIN_M.size() == s.ByteIN && s.SL_ByteOUT.size() == s.ByteOUT &&
           s.SL_ByteOUT_M.size() == s.ByteOUT;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    if (size < 2) return 0;
    const size_t split = std::min<size_t>(size - 2, size_t(data[0]) | size_t(data[1]) << 8);
    const auto* bytes = reinterpret_cast<const char*>(data + 2);
    const QByteArray networkBytes(bytes, qsizetype(split));
    const QByteArray offsetBytes(bytes + split, qsizetype(size - 2 - split));

    devicenet::Network net = devicenet::readNetwork(networkBytes);
    if (net.rows.size() != net.slaves.size()) __builtin_trap();
    for (size_t i = 0; i < net.slaves.size(); ++i)
        if (net.rows[i].size() != 4 || !shaped(net.slaves[i])) __builtin_trap();
    const std::vector<devicenet::TSlave_DN> fresh = net.slaves;
    devicenet::readOffsets(offsetBytes, net.slaves);
    for (const devicenet::TSlave_DN& s : net.slaves)
        if (!shaped(s)) __builtin_trap();

    devicenet::OffsetOwners owners;
    devicenet::resetOwners(owners, 1440);
    const devicenet::OffsetProblem p = devicenet::checkOutputOffsets(net.slaves, owners);
    if (p.kind != devicenet::OffsetProblem::None) {
        const bool known = std::any_of(net.slaves.begin(), net.slaves.end(), [&](const devicenet::TSlave_DN& s) {
            return s.ID == p.ID && p.Byte >= 0 && p.Byte < s.ByteOUT;
        });
        if (!known) __builtin_trap();
        if (p.kind == devicenet::OffsetProblem::Shared && (p.offset < 0 || p.offset >= 1440)) __builtin_trap();
        if (devicenet::offsetMessage(p, 1440).isEmpty()) __builtin_trap();
    }

    plat::XmlDocument doc;
    devicenet::writeOffsets(net.slaves, doc);
    std::vector<devicenet::TSlave_DN> again = fresh;
    if (!devicenet::readOffsets(doc.toBytes(), again).isEmpty()) __builtin_trap();
    for (size_t i = 0; i < again.size(); ++i) {
        const devicenet::TSlave_DN& a = again[i];
        const devicenet::TSlave_DN& b = net.slaves[i];
        if (a.SL_ByteIN != b.SL_ByteIN || a.SL_ByteIN_M != b.SL_ByteIN_M || a.SL_ByteOUT != b.SL_ByteOUT ||
            a.SL_ByteOUT_M != b.SL_ByteOUT_M)
            __builtin_trap();
    }
    return 0;
}
