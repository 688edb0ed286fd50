// Meter frames decoded to their records, against the floor: a minimal loop that only checks each
// frame and walks its DIF/VIF structure without producing anything. Both read the same frames in
// the same run, two sets of 100,000 each: the record sets of the decoding tests, and long frames
// (a heat meter's full answer with its stored values, 229 bytes of records). Each reports frames
// and records per second, heap allocations per record and the peak heap it needed.
#include "mbus/MBusFrames.h"
#include "mbus/UMBusScanDecode.h"

#include <benchmark/benchmark.h>

#include <atomic>
#include <cerrno>
#include <cstdlib>
#include <malloc.h>
#include <string>
#include <vector>

// Heap accounting for the peak figure: every allocation of the process, C and C++ alike (the
// texts of the records are allocated by malloc, not by operator new), goes through here.
extern "C" {
void* __libc_malloc(size_t);
void* __libc_calloc(size_t, size_t);
void* __libc_realloc(void*, size_t);
void __libc_free(void*);
void* __libc_memalign(size_t, size_t);
}

namespace {
std::atomic<int64_t> g_heapNow{0};
std::atomic<int64_t> g_heapPeak{0};
std::atomic<int64_t> g_allocs{0};

void* track(void* p) {
    if (!p) return p;
    g_allocs.fetch_add(1, std::memory_order_relaxed);
    const int64_t now = g_heapNow += int64_t(malloc_usable_size(p));
    int64_t peak = g_heapPeak.load();
    while (now > peak && !g_heapPeak.compare_exchange_weak(peak, now)) {
    }
    return p;
}
void untrack(void* p) {
    if (p) g_heapNow -= int64_t(malloc_usable_size(p));
}
}  // namespace

extern "C" {
void* malloc(size_t n) { return track(__libc_malloc(n)); }
void* calloc(size_t n, size_t m) { return track(__libc_calloc(n, m)); }
void* realloc(void* p, size_t n) {
    untrack(p);
    void* q = __libc_realloc(p, n);
    if (!q && p && n) track(p);  // failed: the old block stays
    return track(q);
}
void free(void* p) {
    untrack(p);
    __libc_free(p);
}
void* memalign(size_t a, size_t n) { return track(__libc_memalign(a, n)); }
void* aligned_alloc(size_t a, size_t n) { return track(__libc_memalign(a, n)); }
int posix_memalign(void** out, size_t a, size_t n) {
    void* p = __libc_memalign(a, n);
    if (!p) return ENOMEM;
    *out = track(p);
    return 0;
}
}

namespace {

constexpr size_t kFrames = 100000;

using Bytes = std::vector<uint8_t>;

Bytes hex(const char* text) {
    Bytes out;
    int hi = -1;
    for (const char* c = text; *c; ++c) {
        int v;
        if (*c >= '0' && *c <= '9') v = *c - '0';
        else if (*c >= 'A' && *c <= 'F') v = *c - 'A' + 10;
        else continue;
        if (hi < 0) hi = v;
        else {
            out.push_back(uint8_t(hi << 4 | v));
            hi = -1;
        }
    }
    return out;
}

// Record sets of the frames the tests use.
const char* const kRecordSets[] = {
    "03 13 15 31 00 DA 02 3B 13 01 8B 60 04 37 18 02",                        // the documentation frame
    "04 13 D2 04 00 00 0C 14 78 56 34 F2 02 5B FE FF 05 2B 00 00 C0 3F",     // integers, BCD, real
    "02 6C 1F 3C 04 6D 1E 0E 1F 3C 03 6D 05 10 08 06 6D 05 10 48 1F 3C 00",  // the date and time kinds
    "0D FD 11 03 61 62 63 0D 13 C2 34 12 0D 13 D2 34 12 0D 13 E3 01 02 03",  // variable lengths
    "04 93 F5 7D D2 04 00 00 02 AB FC 01 0A 00 01 FD 9A 3B 01 02 A2 42 1F 3C",  // VIFE chains
    "01 FD 17 05 02 FB 00 0A 00 02 FD 46 E8 03 0D 7C 02 56 6B 02 34 32",     // extension tables, text unit
    "C4 81 52 13 01 00 00 00 0E 04 12 90 78 56 34 12 07 03 01 02 03 04 05 06 07 08 2F 2F",
    "01 13 01 0F 01 02 03 04",                                                // ends in manufacturer data
    "04 FC 03 48 52 25 74 22 15 00 00 02 7C 01 43 FE FF 0B 7C 01 43 56 34 12",  // plain-text units
    "0D 78 0A 45 4C 42 59 43 20 54 53 45 54 0D FD 0B 05 33 2E 31 2E 56",     // text values
    "0D 13 F0 0E 5A 00 00 00 00 00 00 00 00 00 00 00 00 00 00 02 5B 10 00",  // long binary
};

// A long frame: a heat meter's answer with its identification, present values and the energy,
// volume and date stored at the ends of ten periods; 229 bytes of records. Data bytes are
// marked "dd" and filled per frame.
const char kLongFrame[] =
    "0C 78 dd dd dd dd 04 06 dd dd dd dd 04 13 dd dd dd dd 02 59 dd dd 02 5D dd dd 02 61 dd dd "
    "04 2B dd dd dd dd 04 3B dd dd dd dd 04 6D dd dd dd dd 01 FD 17 dd "
    "44 06 dd dd dd dd 44 13 dd dd dd dd 42 6C dd dd "
    "84 01 06 dd dd dd dd 84 01 13 dd dd dd dd 82 01 6C dd dd "
    "C4 01 06 dd dd dd dd C4 01 13 dd dd dd dd C2 01 6C dd dd "
    "84 02 06 dd dd dd dd 84 02 13 dd dd dd dd 82 02 6C dd dd "
    "C4 02 06 dd dd dd dd C4 02 13 dd dd dd dd C2 02 6C dd dd "
    "84 03 06 dd dd dd dd 84 03 13 dd dd dd dd 82 03 6C dd dd "
    "C4 03 06 dd dd dd dd C4 03 13 dd dd dd dd C2 03 6C dd dd "
    "84 04 06 dd dd dd dd 84 04 13 dd dd dd dd 82 04 6C dd dd "
    "C4 04 06 dd dd dd dd C4 04 13 dd dd dd dd C2 04 6C dd dd "
    "0D FD 0B 05 dd dd dd dd dd";

Bytes rspUd(const Bytes& records, uint32_t ident) {
    Bytes f = {0x68, 0, 0, 0x68, 0x08, 0x02, 0x72, uint8_t(ident), uint8_t(ident >> 8), uint8_t(ident >> 16),
               uint8_t(ident >> 24), 0x24, 0x40, 0x01, 0x07, 0x55, 0x00, 0x00, 0x00};
    f.insert(f.end(), records.begin(), records.end());
    const uint8_t l = uint8_t(f.size() - 4);
    f[1] = f[2] = l;
    f.push_back(mbus::Frame_Checksum(std::span<const uint8_t>(f).subspan(4)));
    f.push_back(0x16);
    return f;
}

// The frames of the tests, their values varied so that no two neighbours are alike.
const std::vector<Bytes>& testFrames() {
    static const std::vector<Bytes> all = [] {
        std::vector<Bytes> sets;
        for (const char* s : kRecordSets) sets.push_back(hex(s));
        std::vector<Bytes> v;
        v.reserve(kFrames);
        for (size_t i = 0; i < kFrames; ++i) {
            Bytes rec = sets[i % sets.size()];
            if (rec.size() > 4) rec[rec.size() / 2 + 1] ^= uint8_t(i);  // changes a data or code byte
            v.push_back(rspUd(rec, uint32_t(i)));
        }
        return v;
    }();
    return all;
}

// Long frames, each with its own data bytes: readings that grow from frame to frame, dates and
// digits that stay valid.
const std::vector<Bytes>& longFrames() {
    static const std::vector<Bytes> all = [] {
        Bytes tmpl;
        std::vector<size_t> data;  // positions of the "dd" bytes
        for (const char* c = kLongFrame; *c; ++c) {
            if (*c == ' ') continue;
            if (*c == 'd') {
                data.push_back(tmpl.size());
                tmpl.push_back(0);
                ++c;
                continue;
            }
            tmpl.push_back(hex(std::string(c, 2).c_str())[0]);
            ++c;
        }
        std::vector<Bytes> v;
        v.reserve(kFrames);
        uint32_t seed = 12345;
        for (size_t i = 0; i < kFrames; ++i) {
            Bytes rec = tmpl;
            for (size_t k = 0; k < data.size(); ++k) {
                seed = seed * 1103515245u + 12345u;
                // BCD-safe and date-safe digits: 0x01-0x19 keeps day, month and BCD digits valid.
                rec[data[k]] = uint8_t(1 + (seed >> 16) % 0x19);
            }
            v.push_back(rspUd(rec, uint32_t(i)));
        }
        return v;
    }();
    return all;
}

// The floor: check the frame, then step over each record by its DIF, DIFEs, VIF, VIFEs and
// data size; nothing is built.
constexpr int8_t kSize[16] = {0, 1, 2, 3, 4, 4, 6, 8, 0, 1, 2, 3, 4, -1, 6, 0};

size_t walkOnly(std::span<const uint8_t> frame) {
    if (!mbus::Is_RSP_UD(frame)) return 0;
    const std::span<const uint8_t> r = frame.subspan(19, frame.size() - 21);
    size_t p = 0, n = 0;
    const size_t end = r.size();
    while (p < end) {
        const uint8_t dif = r[p++];
        if (dif == 0x0F || dif == 0x1F) break;
        if (dif == 0x2F) continue;
        bool more = dif & 0x80;
        while (more && p < end) more = r[p++] & 0x80;
        if (p >= end) break;
        const uint8_t vif = r[p++];
        if ((vif & 0x7F) == 0x7C) {
            if (p >= end) break;
            p += r[p] + 1;
        }
        more = vif & 0x80;
        while (more && p < end) more = r[p++] & 0x80;
        int size = kSize[dif & 0x0F];
        if (size < 0) {
            if (p >= end) break;
            const uint8_t lvar = r[p++];
            if (lvar >= 0xF5) break;  // a length no walk can know
            // text length, the byte count of BCD and binary, or the long binary numbers
            size = lvar < 0xC0 ? lvar : lvar < 0xF0 ? (lvar & 0x0F) : 4 * (lvar - 0xEC);
        }
        p += size_t(size);
        ++n;
    }
    return n;
}

// peakHeap: the most heap the run held beyond what it started with (the frames themselves);
// allocs: the allocations of the run.
void report(benchmark::State& state, const std::vector<Bytes>& all, size_t records, int64_t peakHeap,
            int64_t allocs) {
    const double iterations = double(state.iterations());
    state.counters["frames/s"] = benchmark::Counter(double(all.size()) * iterations, benchmark::Counter::kIsRate);
    state.counters["records/s"] = benchmark::Counter(double(records) * iterations, benchmark::Counter::kIsRate);
    state.counters["records/frame"] = double(records) / double(all.size());
    state.counters["allocs/record"] = records ? double(allocs) / (double(records) * iterations) : 0.0;
    state.counters["peak_heap_KiB"] = double(peakHeap) / 1024.0;
    size_t input = 0;
    for (const Bytes& f : all) input += f.size();
    state.counters["frame_bytes_KiB"] = double(input) / 1024.0;
}

void floorWalk(benchmark::State& state, const std::vector<Bytes>& all) {
    g_heapPeak = g_heapNow.load();
    const int64_t base = g_heapNow.load();
    const int64_t allocs = g_allocs.load();
    size_t records = 0;
    for (auto _ : state) {
        records = 0;
        for (const Bytes& f : all) records += walkOnly(f);
        benchmark::DoNotOptimize(records);
    }
    report(state, all, records, g_heapPeak.load() - base, g_allocs.load() - allocs);
}

// stampPerFrame: each frame gets a context of its own moment whose date and time texts the decode
// makes itself; otherwise one context made by Decode_Context_Now serves every frame.
void decodeRecords(benchmark::State& state, const std::vector<Bytes>& all, bool stampPerFrame = false) {
    const mbus::TDecodeContext shared = mbus::Decode_Context_Now(false);
    std::vector<QDateTime> stamps;  // the moments of the frames, made before the clock runs
    for (int i = 0; i < 1024; ++i) stamps.push_back(shared.Stamp.addSecs(i));
    g_heapPeak = g_heapNow.load();
    const int64_t base = g_heapNow.load();
    const int64_t allocs = g_allocs.load();
    size_t records = 0;
    for (auto _ : state) {
        records = 0;
        for (const Bytes& f : all) {
            if (!mbus::Is_RSP_UD(f)) continue;
            mbus::TVariableList list;  // one meter's list, as a scan builds it
            if (stampPerFrame) {
                mbus::TDecodeContext own;
                own.Stamp = stamps[records & 1023];
                mbus::Decode_Records(list, mbus::RSP_UD_Records(f), own);
            } else {
                mbus::Decode_Records(list, mbus::RSP_UD_Records(f), shared);
            }
            records += list.size();
        }
        benchmark::DoNotOptimize(records);
    }
    report(state, all, records, g_heapPeak.load() - base, g_allocs.load() - allocs);
}

void BM_Floor_WalkStructure_TestFrames(benchmark::State& state) { floorWalk(state, testFrames()); }
void BM_Decode_Records_TestFrames(benchmark::State& state) { decodeRecords(state, testFrames()); }
void BM_Decode_Records_TestFrames_StampPerFrame(benchmark::State& state) {
    decodeRecords(state, testFrames(), true);
}
void BM_Floor_WalkStructure_LongFrames(benchmark::State& state) { floorWalk(state, longFrames()); }
void BM_Decode_Records_LongFrames(benchmark::State& state) { decodeRecords(state, longFrames()); }

}  // namespace

BENCHMARK(BM_Floor_WalkStructure_TestFrames)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_Decode_Records_TestFrames)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_Decode_Records_TestFrames_StampPerFrame)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_Floor_WalkStructure_LongFrames)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_Decode_Records_LongFrames)->Unit(benchmark::kMillisecond);

BENCHMARK_MAIN();
