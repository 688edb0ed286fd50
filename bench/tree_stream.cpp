// The lazy tree's node stream against QDataStream, on the same tree in the same run: a million
// nodes (1,000 top-level nodes with 999 children each) with 16 bytes of user data each.
// SaveToStream writes the chunked records into a memory stream; the peer walks the same tree and
// writes the same per-node fields (child count, height, states, alignment, check state and type,
// the 16 data bytes) with QDataStream into a QBuffer. LoadFromStream builds the tree again from its
// bytes (the previous nodes are freed outside the timing); the peer reads its fields back into the
// nodes of the tree it wrote. Counters: nodes per second.
#include <benchmark/benchmark.h>

#include <QBuffer>
#include <QDataStream>
#include <QFont>
#include <QGuiApplication>
#include <cstring>

#include "treeview/LazyTreesCore.h"
#include "treeview/LazyTreesStream.h"

namespace {

constexpr int kTop = 1000;
constexpr int kChildren = 999;
constexpr int kNodes = kTop * (kChildren + 1);
constexpr int kDataBytes = 16;

struct Payload {
    uint64_t a, b;
};

void UsePayload(TLazyTreeCore& t) {
    t.SetNodeDataSize(kDataBytes);
    t.OnSaveNode = [](TLazyTreeCore*, PLazyNode n, TStream& s) { s.Write(n->Data(), kDataBytes); };
    t.OnLoadNode = [](TLazyTreeCore*, PLazyNode n, TStream& s) { s.Read(n->Data(), kDataBytes); };
}

// The source tree, built once.
TLazyTreeCore& Source() {
    static TLazyTreeCore* tree = [] {
        // The tree's font starts as the application font; there is no application here.
        QGuiApplication::setFont(QFont(QStringLiteral("DejaVu Sans"), 9));
        auto* t = new TLazyTreeCore;
        UsePayload(*t);
        t->TreeOptions().SetMiscOptions(t->TreeOptions().MiscOptions() - TLTMiscOption::toInitOnSave);
        t->BeginUpdate();
        uint64_t id = 0;
        for (int i = 0; i < kTop; ++i) {
            PLazyNode top = t->AddChild(nullptr);
            *reinterpret_cast<Payload*>(top->Data()) = {++id, ~id};
            for (int j = 0; j < kChildren; ++j) {
                PLazyNode c = t->AddChild(top);
                *reinterpret_cast<Payload*>(c->Data()) = {++id, ~id};
            }
        }
        t->EndUpdate();
        return t;
    }();
    return *tree;
}

QByteArray SavedBytes() {
    static const QByteArray bytes = [] {
        TMemoryStream s;
        Source().SaveToStream(s);
        return s.Data();
    }();
    return bytes;
}

void BM_SaveToStream(benchmark::State& state) {
    TLazyTreeCore& t = Source();
    for (auto _ : state) {
        TMemoryStream s;
        t.SaveToStream(s);
        benchmark::DoNotOptimize(s.Data().constData());
    }
    state.counters["nodes/s"] = benchmark::Counter(double(kNodes), benchmark::Counter::kIsIterationInvariantRate);
}
BENCHMARK(BM_SaveToStream)->Unit(benchmark::kMillisecond);

void BM_LoadFromStream(benchmark::State& state) {
    const QByteArray bytes = SavedBytes();
    TLazyTreeCore t;
    UsePayload(t);
    for (auto _ : state) {
        state.PauseTiming();
        t.Clear();
        TMemoryStream s(bytes);
        state.ResumeTiming();
        t.LoadFromStream(s);
        benchmark::DoNotOptimize(t.RootNode()->TotalCount);
    }
    if (t.RootNode()->TotalCount != uint32_t(kNodes) + 1) state.SkipWithError("the tree did not load whole");
    state.counters["nodes/s"] = benchmark::Counter(double(kNodes), benchmark::Counter::kIsIterationInvariantRate);
}
BENCHMARK(BM_LoadFromStream)->Unit(benchmark::kMillisecond);

// ---- The peer ----

// The same fields of every node in tree order.
template <typename Visit>
void WalkTree(TLazyTreeCore& t, Visit&& visit) {
    for (PLazyNode top = t.RootNode()->FirstChild; top; top = top->NextSibling) {
        visit(top);
        for (PLazyNode c = top->FirstChild; c; c = c->NextSibling) visit(c);
    }
}

void BM_QDataStreamWrite(benchmark::State& state) {
    TLazyTreeCore& t = Source();
    for (auto _ : state) {
        QByteArray bytes;
        QBuffer buffer(&bytes);
        buffer.open(QIODevice::WriteOnly);
        QDataStream out(&buffer);
        out.setByteOrder(QDataStream::LittleEndian);
        out << quint32(t.RootNodeCount());
        WalkTree(t, [&](PLazyNode n) {
            out << quint32(n->ChildCount) << quint32(n->NodeHeight) << quint32(n->States.Bits()) << quint8(n->Align)
                << quint8(n->CheckState) << quint8(n->CheckType);
            out.writeRawData(reinterpret_cast<const char*>(n->Data()), kDataBytes);
        });
        benchmark::DoNotOptimize(bytes.constData());
    }
    state.counters["nodes/s"] = benchmark::Counter(double(kNodes), benchmark::Counter::kIsIterationInvariantRate);
}
BENCHMARK(BM_QDataStreamWrite)->Unit(benchmark::kMillisecond);

void BM_QDataStreamRead(benchmark::State& state) {
    TLazyTreeCore& t = Source();
    QByteArray bytes;
    {
        QBuffer buffer(&bytes);
        buffer.open(QIODevice::WriteOnly);
        QDataStream out(&buffer);
        out.setByteOrder(QDataStream::LittleEndian);
        out << quint32(t.RootNodeCount());
        WalkTree(t, [&](PLazyNode n) {
            out << quint32(n->ChildCount) << quint32(n->NodeHeight) << quint32(n->States.Bits()) << quint8(n->Align)
                << quint8(n->CheckState) << quint8(n->CheckType);
            out.writeRawData(reinterpret_cast<const char*>(n->Data()), kDataBytes);
        });
    }
    for (auto _ : state) {
        QBuffer buffer(&bytes);
        buffer.open(QIODevice::ReadOnly);
        QDataStream in(&buffer);
        in.setByteOrder(QDataStream::LittleEndian);
        quint32 count = 0;
        in >> count;
        WalkTree(t, [&](PLazyNode n) {
            quint32 childCount, height, states;
            quint8 align, checkState, checkType;
            in >> childCount >> height >> states >> align >> checkState >> checkType;
            in.readRawData(reinterpret_cast<char*>(n->Data()), kDataBytes);
            n->ChildCount = childCount;
            n->NodeHeight = uint16_t(height);
            n->States = TLazyNodeStates::FromBits(states);
            n->Align = align;
            n->CheckState = TCheckState(checkState);
            n->CheckType = TCheckType(checkType);
        });
        if (in.status() != QDataStream::Ok) state.SkipWithError("the peer's read failed");
    }
    state.counters["nodes/s"] = benchmark::Counter(double(kNodes), benchmark::Counter::kIsIterationInvariantRate);
}
BENCHMARK(BM_QDataStreamRead)->Unit(benchmark::kMillisecond);

}  // namespace

BENCHMARK_MAIN();
