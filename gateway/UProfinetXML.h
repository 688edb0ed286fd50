#pragma once
// The PROFINET device description (GSDML) of the gateway, written from a fixed template in which
// the station name and the two data-area sizes of "ParGen.xml" are filled in.
#include <QByteArray>
#include <QString>

// Largest data area of either direction the gateway offers; sizes read back are kept in 0..this.
inline constexpr int kProfinetMaxAreaBytes = 1438;

struct ProfinetParam {
    int nbIn = kProfinetMaxAreaBytes;   // PROFINET_NB_IN
    int nbOut = kProfinetMaxAreaBytes;  // PROFINET_NB_OUT
    QString stationName;                // as written into the file: never blank
};

// Reads the sizes and the station name from g_ParGenFile. A missing file or element, or a text
// that is not an integer, gives the defaults (1438, 1438, "SERIAL"); a size outside 0..1438 is
// brought to the nearer bound. Throws plat::Error when the file exists but is not well-formed.
ProfinetParam Read_Profinet_Param();

// The whole file: byte-order mark, then the template's lines, each ended by CR LF.
QByteArray Build_GSDML(const ProfinetParam& param);

// Reads "ParGen.xml" and writes the file at `path`; throws plat::Error when that fails.
void Write_GSDML_File(const QString& path);

// The step after the name dialog: asks for the folder (the project folder first), asks before
// overwriting, writes the file. Errors are shown to the user, never thrown.
void Save_GSDML_File(const QString& fileName);

// Text safe inside an XML attribute value or element, made of ASCII only: markup characters,
// tabs and line ends become entity or character references, every character beyond ASCII a
// numeric character reference; characters XML cannot carry at all become U+FFFD.
QString escapeXmlAscii(const QString& text);
