#pragma once
// The library lock of the lazy tree unit: every load of a shared image list holds it.
#include <mutex>

class TCriticalSection {
public:
    void Enter() { mutex_.lock(); }
    void Leave() { mutex_.unlock(); }

private:
    std::mutex mutex_;
};
