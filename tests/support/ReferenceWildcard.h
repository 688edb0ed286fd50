#pragma once
// The wildcard rules of the grid's filter as a plain character walk that tries every tail after a
// star: slow, but a direct reading of the rules, so tests and the fuzzer compare the real matcher
// with it (small inputs only).
#include <QStringView>

namespace testing_support {

inline bool referenceWildcardWalk(QStringView p, QStringView v) {
    bool invert = false;
    qsizetype i = 0, j = 0;
    while (true) {
        if (i < p.size() && (p[i] == u'!' || p[i] == u'"')) {
            invert = invert || p[i] == u'!';
            ++i;
            continue;
        }
        if (i < p.size() && p[i] == u'*') {
            while (i < p.size() && p[i] == u'*') ++i;
            bool any = false;
            for (qsizetype k = v.size(); k >= j && !any; --k) any = referenceWildcardWalk(p.mid(i), v.mid(k));
            return any != invert;
        }
        if (i == p.size()) return (j == v.size()) != invert;
        if (j == v.size()) return invert;
        if (p[i] != u'?' && p[i] != v[j]) return invert;
        ++i;
        ++j;
    }
}

}  // namespace testing_support
