#pragma once
// The largest single heap block asked for, on any thread, while a probe lives. A test that guards
// against a huge allocation (a picture decoded before its size is checked, a file read before its
// size is) bounds this instead of timing the work. It counts through AddressSanitizer's allocation
// hooks, which the test build always has; a build without them reports Available() false.
#include <atomic>
#include <cstddef>

#if defined(__has_feature)
#if __has_feature(address_sanitizer)
#define TESTING_SUPPORT_ALLOCATION_HOOKS 1
#endif
#endif
#if defined(__SANITIZE_ADDRESS__) && !defined(TESTING_SUPPORT_ALLOCATION_HOOKS)
#define TESTING_SUPPORT_ALLOCATION_HOOKS 1
#endif

#ifdef TESTING_SUPPORT_ALLOCATION_HOOKS
#include <sanitizer/allocator_interface.h>
#endif

namespace testing_support {

class AllocationProbe {
public:
    AllocationProbe() {
        installed();
        largest_ = 0;
        armed_ = true;
    }
    ~AllocationProbe() { armed_ = false; }
    AllocationProbe(const AllocationProbe&) = delete;
    AllocationProbe& operator=(const AllocationProbe&) = delete;

    static bool Available() { return installed(); }
    std::size_t Largest() const { return largest_; }

private:
    // Called inside every allocation: it must neither allocate nor lock.
    static void onMalloc(const volatile void*, std::size_t size) {
        if (!armed_.load(std::memory_order_relaxed)) return;
        std::size_t seen = largest_.load(std::memory_order_relaxed);
        while (size > seen && !largest_.compare_exchange_weak(seen, size, std::memory_order_relaxed)) {
        }
    }
    static void onFree(const volatile void*) {}

    // The hooks cannot be removed again: they are installed once and stay idle while no probe lives.
    static bool installed() {
#ifdef TESTING_SUPPORT_ALLOCATION_HOOKS
        static const bool done = __sanitizer_install_malloc_and_free_hooks(&onMalloc, &onFree) != 0;
        return done;
#else
        return false;
#endif
    }

    static inline std::atomic<bool> armed_{false};
    static inline std::atomic<std::size_t> largest_{0};
};

}  // namespace testing_support
