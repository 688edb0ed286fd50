#pragma once
// Shared program state: the program's folders and identity, the open project and the paths of its
// files, the settings of the last run, the row clipboard of the table helpers; and the small parsers
// every dialog uses to check what the user typed. All of it lives on the user-interface thread.
#include "platform/Clock.h"

#include <QList>
#include <QObject>
#include <QString>
#include <QStringList>
#include <cstdint>
#include <functional>
#include <memory>
#include <vector>

// Folders and identity.
inline QString g_AppPath;
inline QString g_MasterPath;
inline QString g_ProjectsRootPath;
inline QString g_LanguagePath;
inline QString g_MainTitle;
inline QString g_SWCode;
inline QString g_SWDescription;

inline constexpr const char* kSoftwareCode = "KS73632";
inline constexpr const char* kSoftwareDescription = "PROFINET / MQTT - Converter";
inline constexpr const char* kUpdateCheckCode = "KS73632";  // the code the version check sends
inline constexpr const char* kMainTitle = "Quorim - Configurator KS73632 - PROFINET / MQTT ";
inline constexpr const char* kDefaultIPAddress = "192.168.2.205";

// Project and run-time settings.
inline QString g_ProjectName;
inline QString g_ProjectPath;  // empty: no project open
inline QString g_LastIPAddress = QString::fromLatin1(kDefaultIPAddress);
inline int g_UpdateOption = 0;
inline uint8_t g_UpdateReadBack = 1;
inline QString g_LanguageName = QStringLiteral("English");
inline uint8_t g_EnableInternet = 0;
inline uint8_t g_EnableUpdate = 0;
inline uint8_t g_EnableJumpFieldTables = 0;
inline uint8_t g_DoubleClickAutoSize = 0;
inline QString g_EDEImportPath;

// Paths of the project's files, set by Set_Files.
inline QString g_ParGenFile;
inline QString g_MQTTSetTopicFile;
inline QString g_MBusFile;
inline QString g_ModbusMSetAccessFile;
inline QString g_ModbusTCPMSetAccessFile;
inline QString g_MQTTSetAccessFile;
inline QString g_CANRecFramesFile;
inline QString g_CANSendFramesFile;
inline QString g_SDOServerCANopenFile;
inline QString g_SDOClientCANopenFile;
inline QString g_PDOCANopenFile;
inline QString g_DNETMNetFile;
inline QString g_DNETMDefOffFile;
inline QString g_J1939RecFramesFile;
inline QString g_J1939SendFramesFile;
inline QString g_NMEARecFramesFile;
inline QString g_NMEASendFramesFile;
inline QString g_DMXDefaultValuesFile;
inline QString g_KNXSetAccessFile;
inline QString g_SNMPTrapFile;
inline QString g_SNMPManagerFile;
inline QString g_BACnetSlaveSetAccessFile;
inline QString g_DALIAccessFile;
inline QString g_DALI2AccessFile;
inline QString g_BACnetMasterAccessFile;

struct ProjectFile {
    QString* variable;
    const char* fileName;
};
// The 25 project files in the order Set_Files assigns them.
const std::vector<ProjectFile>& projectFiles();

// Recomputes every project file path from g_ProjectPath.
void Set_Files();

// Sets the program folders from the program's own folder (no trailing separator).
void Set_App_Folders(const QString& appPath);

// Shared lists, kept for the whole run.
inline QStringList g_RowClipboard;
inline std::vector<uint8_t> g_RowClipboardIsCheck;
inline QStringList g_MIBReadDescriptions;
inline QStringList g_MIBWriteDescriptions;

// Build identity.
int Get_Device_Protocols(QString& protocol1, QString& protocol2);
int Get_Scan_Device_Code();
int Get_Scan_Form_Type();
int BACnet_No_Units();

// Parsers. None shows a message: the caller turns the result into its own.
bool Check_IP_Parts(const QString& text, QString& p1, QString& p2, QString& p3, QString& p4);
bool Split_IP_Address(const QString& text, uint8_t& b1, uint8_t& b2, uint8_t& b3, uint8_t& b4);  // true on error
bool Split_IP_Port(const QString& text, uint8_t& b1, uint8_t& b2, uint8_t& b3, uint8_t& b4, uint16_t& port);
int Check_KNX_Address(const QString& text, bool group, bool allowZero);  // 0 valid, 1 invalid
bool Check_No_Point(const QString& text);
int Check_OID(const QString& text);
int Check_SNMP_User_Password(const QString& text, bool allowShort);
int Get_SNMP_Security_Level(const QString& text);
QChar Get_Decimal_Separator();
bool Str_To_Float_Sep(const QString& text, QChar separator, float& value);
// Serial devices present, in ascending order (on this platform: device paths such as
// "/dev/ttyUSB0"). The caller owns the list.
QStringList Get_COM_Port_List();
// Whether a serial device whose open failed with `openError` (0: it opened) is there: a device
// held by another program is; one the user may not open counts only when the kernel reports a
// port behind it in its class folder `sysTtyEntry` (for example "/sys/class/tty/ttyS0"), since
// the fixed serial device names exist whether or not a port does.
bool Serial_Port_Present(int openError, const QString& sysTtyEntry);

// Blanks and control characters removed at both ends.
QString TrimCtl(const QString& text);

// The maker's web server: the links and the version check use it. One place, so tests can point
// the version check at a server of their own.
inline QString g_MakerWebServer = QStringLiteral("http://www.quorim.example");

// Row operations shared by every table dialog. Row 0 (headers) and column 0 (row titles) are never
// touched; a row's data cells are columns 1 .. ColCount + NumHiddenColumns - 1, hidden ones included.
// The routines never change RowCount. Refusals are shown as error boxes.
class TExStringGrid;
class TExColumnGrid;
class QChar;

void Delete_Row_Grid(int row, TExColumnGrid& grid);
// Refused (error box, nothing moves) while the last row is in use, whose content would be lost.
void Insert_Row_Grid(int row, TExColumnGrid& grid, bool flag);
void Copy_Row_Grid(TExColumnGrid& grid, int row);
void Paste_Row_Grid(TExColumnGrid& grid, int row, bool copyFlag);
// The same for string grids whose cells may carry check boxes (copied as "Y"/"N") and read-only marks.
void Delete_Row_Check_Grid(int row, TExStringGrid& grid, bool flag);
void Insert_Row_Check_Grid(int row, TExStringGrid& grid, bool flag);
void Copy_Row_Check_Grid(TExStringGrid& grid, int row);
void Paste_Row_Check_Grid(TExStringGrid& grid, int row, bool copyFlag);
// Key handler: with the option on, Enter moves to the next cell and is consumed (key set to 0).
void Grid_Enter_Next_Cell(TExStringGrid& grid, QChar& key);
// Double-click handler: with the option on, a double-click on the header row sizes that column.
void Grid_Auto_Size_Col(TExStringGrid& grid, int row, int column);
// Edits table cell (real column `col`, row `row`) in a window of its own, such as the template
// editor: the cell's own in-place editor closes first, so that a text typed into it reaches the cell
// before the window reads it and no editor stays open over the cell to write its older text back
// later. `edit` gets the cell's text and returns true with the text the cell takes; false leaves the
// cell as it was.
bool Edit_Cell_In_Window(TExStringGrid& grid, int col, int row, const std::function<bool(QString& text)>& edit);
// The header row as high as its texts need, each wrapped at its blanks into its column's width, and
// never lower than the other rows: a header longer than its column is shown whole, the widths stay.
// A window calls it once it has set (or relabelled) its headers.
void Fit_Header_Row(TExStringGrid& grid);
// What a table dialog's form stores for a grid it has just made: the values every form stores and
// column sizing by mouse; a string grid that takes typing also stores editing (a column grid switches
// editing on cell by cell). The dialog then sets its own columns and calls Loaded().
void Set_Table_Grid_Form(TExStringGrid& grid, bool editing = false);

// The gateway's PROFINET device identifier: the device description and the updater's parameter
// file carry the same number.
inline constexpr const char* kProfinetDeviceId = "0x3632";

// Starts a program and waits for its end (polling every 10 ms, at most g_StartProgramCapMs), without
// processing window messages. A program that cannot be started, or that still runs when the wait
// ends, is reported; its exit code is not interpreted.
void Start_Program(const QString& NomeSW, const QString& Parameter, int tipo);
inline qint64 g_StartProgramCapMs = 150000;
// The clock of that wait; null: the real one. Tests drive it.
inline plat::Clock* g_StartProgramClock = nullptr;
