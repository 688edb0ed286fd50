#pragma once
// Line speeds in bits per second of any value, through the kernel's second termios structure.
// Kept apart because its header cannot share a file with <termios.h>.
#include <cstdint>

namespace plat::serial_speed {

// The speed the line sends at. Answers 0 or errno.
int read(int fd, uint32_t& baud);
// Sets both directions to `baud`, whether or not it has a B constant. Answers 0 or errno.
int writeAny(int fd, uint32_t baud);

}  // namespace plat::serial_speed
