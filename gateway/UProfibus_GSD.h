#pragma once
// The PROFIBUS DP device description (GSD text) of the PROFIBUS slave / MQTT variant, with one
// module of up to 64 bytes per slot, sized from the data areas of "ParGen.xml".
#include <QString>
#include <QStringList>

struct GsdSizes {
    int in = 0;   // what the slave sends to the master: PROFINET_NB_OUT
    int out = 0;  // what the master sends to the slave: PROFINET_NB_IN
};

// Reads both sizes from g_ParGenFile: a missing element or a text that is not an integer gives 0,
// a size outside 0..1438 the nearer bound. Throws plat::Error when the file is not well-formed.
GsdSizes Read_GSD_Sizes();

// The lines of the file, without their line ends.
QStringList Build_GSD_Lines(int in, int out);

// Writes the lines, each ended by CR LF; throws plat::Error when the file cannot be written.
void Write_GSD_File(const QString& path, int in, int out);

// The step: refuses without "ParGen.xml", asks for the file, asks before overwriting, writes.
// Errors are shown to the user, never thrown.
void Save_GSD_File();
