#include "platform/SerialTermios.h"

#include <cerrno>

namespace plat {

namespace {

constexpr tcflag_t Size_Flags[] = {CS5, CS6, CS7, CS8};

struct ParityBits {
    SerialParity parity;
    tcflag_t bits;
};
constexpr ParityBits Parity_Bits[] = {
    {SerialParity::None, 0},
    {SerialParity::Odd, PARENB | PARODD},
    {SerialParity::Even, PARENB},
    {SerialParity::Mark, PARENB | CMSPAR | PARODD},
    {SerialParity::Space, PARENB | CMSPAR},
};

}  // namespace

int termiosFromSettings(const SerialLineSettings& s, termios& t) {
    if (s.ByteSize < 5 || s.ByteSize > 8 || s.StopBits == SerialStopBits::OnePointFive || s.DtrDsrFlow ||
        s.DsrSensitivity || s.TxContinueOnXoff || s.ErrorCharReplace || s.NullStrip)
        return EINVAL;
    t.c_iflag &= ~tcflag_t(IGNBRK | BRKINT | IGNPAR | PARMRK | ISTRIP | INLCR | IGNCR | ICRNL | IXANY | IXON |
                           IXOFF | INPCK);
    t.c_oflag &= ~tcflag_t(OPOST);
    t.c_lflag &= ~tcflag_t(ECHO | ECHONL | ICANON | ISIG | IEXTEN);
    t.c_cflag &= ~Serial_Held_Cflags;
    t.c_cflag |= CREAD | CLOCAL | Size_Flags[s.ByteSize - 5];
    for (const ParityBits& p : Parity_Bits)
        if (p.parity == s.Parity) t.c_cflag |= p.bits;
    if (s.StopBits == SerialStopBits::Two) t.c_cflag |= CSTOPB;
    if (s.RtsCtsFlow) t.c_cflag |= CRTSCTS;
    if (s.OutX) t.c_iflag |= IXON;
    if (s.InX) t.c_iflag |= IXOFF;
    if (s.ParityCheck) t.c_iflag |= INPCK;
    t.c_cc[VSTART] = s.XonChar;
    t.c_cc[VSTOP] = s.XoffChar;
    t.c_cc[VEOF] = s.EofChar;
    return 0;
}

void settingsFromTermios(const termios& t, SerialLineSettings& s) {
    const tcflag_t parity = t.c_cflag & (PARENB | PARODD | CMSPAR);
    s.Parity = SerialParity::None;
    if (t.c_cflag & PARENB)
        for (const ParityBits& p : Parity_Bits)
            if (p.bits == parity) s.Parity = p.parity;
    s.ByteSize = 8;
    for (int i = 0; i < 4; ++i)
        if ((t.c_cflag & CSIZE) == Size_Flags[i]) s.ByteSize = 5 + i;
    s.StopBits = (t.c_cflag & CSTOPB) ? SerialStopBits::Two : SerialStopBits::One;
    s.RtsCtsFlow = t.c_cflag & CRTSCTS;
    s.DtrDsrFlow = false;
    s.OutX = t.c_iflag & IXON;
    s.InX = t.c_iflag & IXOFF;
    s.ParityCheck = t.c_iflag & INPCK;
    s.DsrSensitivity = s.TxContinueOnXoff = s.ErrorCharReplace = s.NullStrip = false;
    s.XonChar = t.c_cc[VSTART];
    s.XoffChar = t.c_cc[VSTOP];
    s.EofChar = t.c_cc[VEOF];
    s.ErrorChar = s.EvtChar = 0;  // termios has neither
}

}  // namespace plat
