#pragma once
// The system's alert sounds go through one replaceable service, so tests record them.
namespace plat {

inline constexpr unsigned MB_OK = 0x00;
inline constexpr unsigned MB_ICONHAND = 0x10;
inline constexpr unsigned MB_ICONQUESTION = 0x20;
inline constexpr unsigned MB_ICONEXCLAMATION = 0x30;
inline constexpr unsigned MB_ICONASTERISK = 0x40;

class BeepService {
public:
    virtual ~BeepService() = default;
    virtual void beep(unsigned type) = 0;
};

void MessageBeep(unsigned type);
// Replaces the service (tests); nullptr restores the real one. The caller keeps ownership.
void setBeepService(BeepService* service);

}  // namespace plat
