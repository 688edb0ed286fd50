#pragma once
// Loopback addresses for tests that stand up a fake peer on a fixed port. Every test program has
// its own pair, so programs running at the same time never meet on a port: the fake peer listens
// on 127.0.0.(2k+1), the program's own endpoint binds 127.0.0.(2k+2). All of 127/8 is loopback.
#include <QString>
#include <string_view>

namespace testing_support {

struct LoopbackPair {
    std::string_view program;
    int k;
};

// One row a test program; add a row with a new k for a new program.
inline constexpr LoopbackPair Loopback_Pairs[] = {
    {"test_mbus", 1},
};

inline int loopbackK(std::string_view program) {
    for (const LoopbackPair& p : Loopback_Pairs)
        if (p.program == program) return p.k;
    return -1;
}

// The fake peer's address of the program, empty when the program has no row.
inline QString loopbackPeer(std::string_view program) {
    const int k = loopbackK(program);
    return k < 0 ? QString() : QStringLiteral("127.0.0.%1").arg(2 * k + 1);
}

// The address the program's own endpoint binds, empty when the program has no row.
inline QString loopbackOwn(std::string_view program) {
    const int k = loopbackK(program);
    return k < 0 ? QString() : QStringLiteral("127.0.0.%1").arg(2 * k + 2);
}

}  // namespace testing_support
