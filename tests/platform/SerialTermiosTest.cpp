// The serial line's settings written into termios and read back, without a device.
#include "platform/SerialTermios.h"

#include <gtest/gtest.h>

#include <cerrno>
#include <cstring>
#include <tuple>

using namespace plat;

namespace {

// A terminal as the system hands it out: line editing, echo, CR/LF translation, XON/XOFF.
termios cookedTerminal() {
    termios t{};
    t.c_iflag = ICRNL | IXON | IXANY | ISTRIP | BRKINT;
    t.c_oflag = OPOST | ONLCR;
    t.c_cflag = CS7 | PARENB | CSTOPB | CRTSCTS | HUPCL;
    t.c_lflag = ISIG | ICANON | ECHO | ECHOE | IEXTEN;
    return t;
}

TEST(SerialTermios, EachSettingSetsItsBits) {
    const struct {
        const char* what;
        void (*set)(SerialLineSettings&);
        tcflag_t cflag;  // of CSIZE, parity, stop bits, RTS/CTS
        tcflag_t iflag;  // of XON/XOFF and parity check
    } cases[] = {
        {"8N1, nothing else", [](SerialLineSettings&) {}, CS8, 0},
        {"odd parity", [](SerialLineSettings& s) { s.Parity = SerialParity::Odd; }, CS8 | PARENB | PARODD, 0},
        {"even parity", [](SerialLineSettings& s) { s.Parity = SerialParity::Even; }, CS8 | PARENB, 0},
        {"mark parity", [](SerialLineSettings& s) { s.Parity = SerialParity::Mark; },
         CS8 | PARENB | PARODD | CMSPAR, 0},
        {"space parity", [](SerialLineSettings& s) { s.Parity = SerialParity::Space; }, CS8 | PARENB | CMSPAR, 0},
        {"5 data bits", [](SerialLineSettings& s) { s.ByteSize = 5; }, CS5, 0},
        {"6 data bits", [](SerialLineSettings& s) { s.ByteSize = 6; }, CS6, 0},
        {"7 data bits", [](SerialLineSettings& s) { s.ByteSize = 7; }, CS7, 0},
        {"2 stop bits", [](SerialLineSettings& s) { s.StopBits = SerialStopBits::Two; }, CS8 | CSTOPB, 0},
        {"RTS/CTS", [](SerialLineSettings& s) { s.RtsCtsFlow = true; }, CS8 | CRTSCTS, 0},
        {"XON/XOFF both ways", [](SerialLineSettings& s) { s.OutX = s.InX = true; }, CS8, IXON | IXOFF},
        {"XON/XOFF on output only", [](SerialLineSettings& s) { s.OutX = true; }, CS8, IXON},
        {"parity check", [](SerialLineSettings& s) { s.ParityCheck = true; }, CS8, INPCK},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        SerialLineSettings s;
        c.set(s);
        s.XonChar = 0x31;
        s.XoffChar = 0x32;
        s.EofChar = 0x33;
        termios t = cookedTerminal();
        ASSERT_EQ(termiosFromSettings(s, t), 0);
        EXPECT_EQ(t.c_cflag & Serial_Held_Cflags, c.cflag);
        EXPECT_EQ(t.c_iflag & (Serial_Held_Iflags | IXANY), c.iflag);
        // Always a binary line that receives, whatever the terminal was.
        EXPECT_EQ(t.c_iflag & (ICRNL | ISTRIP | BRKINT), 0u);
        EXPECT_EQ(t.c_oflag & OPOST, 0u);
        EXPECT_EQ(t.c_lflag & (ISIG | ICANON | ECHO | IEXTEN), 0u);
        EXPECT_EQ(t.c_cflag & (CREAD | CLOCAL), tcflag_t(CREAD | CLOCAL));
        EXPECT_TRUE(t.c_cflag & HUPCL);  // what the settings do not speak of stays
        EXPECT_EQ(std::tuple(t.c_cc[VSTART], t.c_cc[VSTOP], t.c_cc[VEOF]), std::tuple(0x31, 0x32, 0x33));
    }
}

// Every expressible combination reads back as it was written.
TEST(SerialTermios, SettingsReadBackAsWritten) {
    for (int parity = 0; parity < 5; ++parity)
        for (int size = 5; size <= 8; ++size)
            for (SerialStopBits stop : {SerialStopBits::One, SerialStopBits::Two})
                for (int flow = 0; flow < 16; ++flow) {
                    SerialLineSettings s;
                    s.Parity = SerialParity(parity);
                    s.ByteSize = size;
                    s.StopBits = stop;
                    s.RtsCtsFlow = flow & 1;
                    s.OutX = flow & 2;
                    s.InX = flow & 4;
                    s.ParityCheck = flow & 8;
                    s.XonChar = uint8_t(parity + 1);
                    s.XoffChar = uint8_t(size);
                    s.EofChar = uint8_t(flow);
                    termios t = cookedTerminal();
                    ASSERT_EQ(termiosFromSettings(s, t), 0);
                    SerialLineSettings back;
                    back.XonLim = s.XonLim;
                    settingsFromTermios(t, back);
                    EXPECT_EQ(std::tuple(back.Parity, back.ByteSize, back.StopBits, back.RtsCtsFlow, back.OutX,
                                         back.InX, back.ParityCheck, back.XonChar, back.XoffChar, back.EofChar),
                              std::tuple(s.Parity, s.ByteSize, s.StopBits, s.RtsCtsFlow, s.OutX, s.InX,
                                         s.ParityCheck, s.XonChar, s.XoffChar, s.EofChar))
                        << parity << ' ' << size << ' ' << flow;
                }
}

TEST(SerialTermios, WhatTermiosCannotExpressIsRefusedAndChangesNothing) {
    const struct {
        const char* what;
        void (*set)(SerialLineSettings&);
    } cases[] = {
        {"4 data bits", [](SerialLineSettings& s) { s.ByteSize = 4; }},
        {"9 data bits", [](SerialLineSettings& s) { s.ByteSize = 9; }},
        {"1.5 stop bits", [](SerialLineSettings& s) { s.StopBits = SerialStopBits::OnePointFive; }},
        {"DTR/DSR handshake", [](SerialLineSettings& s) { s.DtrDsrFlow = true; }},
        {"DSR sensitivity", [](SerialLineSettings& s) { s.DsrSensitivity = true; }},
        {"sending on after XOFF", [](SerialLineSettings& s) { s.TxContinueOnXoff = true; }},
        {"error character", [](SerialLineSettings& s) { s.ErrorCharReplace = true; }},
        {"null stripping", [](SerialLineSettings& s) { s.NullStrip = true; }},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        SerialLineSettings s;
        c.set(s);
        const termios before = cookedTerminal();
        termios t = before;
        EXPECT_EQ(termiosFromSettings(s, t), EINVAL);
        EXPECT_EQ(std::memcmp(&t, &before, sizeof t), 0);
    }
}

}  // namespace
