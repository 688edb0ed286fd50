#pragma once
// How the serial line's settings are written in a termios structure (all but the speed).
#include "platform/SerialLine.h"

#include <termios.h>

namespace plat {

// The bits a line must hold after the settings were written; a line that drops any of them
// (a pseudo-terminal has no parity and only 8 data bits) did not take the settings.
constexpr tcflag_t Serial_Held_Cflags = CSIZE | PARENB | PARODD | CMSPAR | CSTOPB | CRTSCTS;
constexpr tcflag_t Serial_Held_Iflags = IXON | IXOFF | INPCK;

// Writes the settings into `t` as a binary line: no echo, no line editing, no translation of any
// byte. A setting termios cannot express gives EINVAL and leaves `t` as it was.
int termiosFromSettings(const SerialLineSettings& settings, termios& t);
// Reads the settings of `t`; what termios has no place for reads as off, the speed is not touched.
void settingsFromTermios(const termios& t, SerialLineSettings& settings);

}  // namespace plat
