#pragma once
// Records the events of a tree as short texts, naming nodes by their path of indexes
// ("nil", "root", "0", "0.1"), so a test compares an event order as a list of strings.
#include <QString>
#include <QStringList>

#include "treeview/LazyTreesCore.h"

inline QString NodeName(TLazyTreeCore* tree, PLazyNode n) {
    if (!n) return QStringLiteral("nil");
    if (n == tree->RootNode()) return QStringLiteral("root");
    QStringList parts;
    for (PLazyNode p = n; p != tree->RootNode(); p = p->Parent) parts.prepend(QString::number(p->Index));
    return parts.join(u'.');
}

inline QString ReasonName(TChangeReason r) {
    static const char* names[] = {"crIgnore",    "crAccumulated", "crChildAdded", "crChildDeleted",
                                  "crNodeAdded", "crNodeCopied",  "crNodeMoved"};
    return QString::fromLatin1(names[static_cast<int>(r)]);
}

struct EventLog {
    QStringList events;

    void Attach(TLazyTreeCore& tree) {
        tree.OnInitNode = [this](TLazyTreeCore* t, PLazyNode parent, PLazyNode node, TLazyNodeInitStates&) {
            events << QStringLiteral("InitNode(%1,%2)").arg(NodeName(t, parent), NodeName(t, node));
        };
        tree.OnFreeNode = [this](TLazyTreeCore* t, PLazyNode node) {
            events << QStringLiteral("FreeNode(%1)").arg(NodeName(t, node));
        };
        tree.OnStructureChange = [this](TLazyTreeCore* t, PLazyNode node, TChangeReason reason) {
            events << QStringLiteral("StructureChange(%1,%2)").arg(NodeName(t, node), ReasonName(reason));
        };
        tree.OnUpdating = [this](TLazyTreeCore*, TLTUpdateState state) {
            static const char* names[] = {"usBegin", "usBeginSynch", "usSynch", "usUpdate", "usEnd", "usEndSynch"};
            events << QStringLiteral("Updating(%1)").arg(QLatin1String(names[static_cast<int>(state)]));
        };
    }
};
