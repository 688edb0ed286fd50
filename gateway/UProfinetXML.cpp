#include "gateway/UProfinetXML.h"

#include "platform/Files.h"
#include "platform/Guard.h"
#include "platform/IntConv.h"
#include "platform/UserDialogs.h"
#include "platform/XmlDoc.h"
#include "shell/UComon.h"
#include "shell/ULanguage.h"

#include <QFileInfo>
#include <algorithm>

namespace {

// The gateway's PROFINET vendor and device identifiers.
constexpr const char* kVendorId = "0x0F73";
constexpr const char* kDeviceId = kProfinetDeviceId;  // the updater's parameter file carries it too

constexpr int kTextOverwrite = 3411;

// The engineering tool shows these for the identifiers the template refers to.
struct ExternalText {
    const char* id;
    const char* value;
    bool valueFirst;  // the last entries carry their attributes the other way round
};

constexpr ExternalText kTexts[] = {
    {"IDT_INFO_Device", "Quorim Gateways", false},
    {"IDT_NAME_DAP1", "MQXDevice", false},
    {"IDT_INFO_DAP1", "Profinet MQX Adapter", false},
    {"IDT_SUBSLOT_1", "Subslot 1", false},
    {"IDT_SUBSLOT_Interface", "Interface", false},
    {"IDT_SUBSLOT_Port1", "Port 1", false},
    {"IDT_SUBSLOT_Port2", "Port 2", false},
    {"IDT_RECORD_NAME_Head", "Parameters of head module", false},
    {"IDT_REF_Power", "Percent power", false},
    {"IDT_NAME_VS1", "Submodule V1", false},
    {"IDT_INFO_VS1", "Description of submodule V1", false},
    {"IDT_NAME_IS", "I", false},
    {"IDT_NAME_PS1", "P1", false},
    {"IDT_NAME_PS2", "P2", false},
    {"IDT_NAME_M1", "Module", false},
    {"IDT_INFO_M1", "device MQX", false},
    {"IDT_NAME_FAP", "FAP for MQX", false},
    {"IDT_INFO_FAP", "Description of FAP for MQX", false},
    {"IDT_RECORD_NAME_SlotCluster", "Parameters of the FAP", false},
    {"IDT_REF_SlotClusterBegin", "Beginning of slot cluster", false},
    {"IDT_NAME_M_PB1", "MQX Device ", false},
    {"IDT_INFO_M_PB1", "Description of MQX", false},
    {"IDT_NAME_S_PB1", "Module of a MQX", false},
    {"IDT_INFO_S_PB1", "Description of module of a MQX", false},
    {"IDT_PB_Input", "Digital input MQX", false},
    {"IDT_PB_InputBit0", "Digital input bit MQX", false},
    {"IDT_NAME_S1", "Submodule 1", false},
    {"IDT_INFO_S1", "Description of submodule 1", false},
    {"IDT_Input_1", "Input byte", false},
    {"IDT_Output_1", "Output word", false},
    {"IDT_CATEGORY_DI", "Digital Input", false},
    {"IDT_INFO_DI", "Description of digital input", false},
    {"IDT_CATEGORY_DO", "Digital output", false},
    {"IDT_INFO_DO", "Description of digital output", false},
    {"IDT_NAME_M1_IDT_REF_channel", "Canale x", false},
    {"IDT_REF_reaction_to_cpu_stop", "Reaction to CPU STOP", false},
    {"IDT_NAME_M1_Base_Parameters", "Base Parameters", false},
    {"IDT_ASSIGN_do_set_substitude_values", "Output substitute value", true},
    {"IDT_ASSIGN_do_values_will_hold", "Keep last value", true},
    {"IDT_ASSIGN_do_continue_counting", "Continue operation", true},
};

// The document; each {NAME} is filled in by Build_GSDML in one pass, so a substituted value is
// never scanned again for names.
constexpr const char* kTemplate = R"GSDML(<?xml version="1.0" encoding="iso-8859-1"?>
<!-- A fieldbus integration example. -->
<ISO15745Profile xmlns="http://www.profibus.com/GSDML/2003/11/DeviceProfile" xmlns:xsi="http://www.w3.org/2001/XMLSchema-instance" xsi:schemaLocation="http://www.profibus.com/GSDML/2003/11/DeviceProfile ..\xsd\GSDML-DeviceProfile-v2.31.xsd">
	<ProfileHeader>
		<ProfileIdentification>PROFINET Device Profile</ProfileIdentification>
		<ProfileRevision>1.00</ProfileRevision>
		<ProfileName>Device Profile for PROFINET Devices</ProfileName>
		<ProfileSource>PROFIBUS Nutzerorganisation e. V. (PNO)</ProfileSource>
		<ProfileClassID>Device</ProfileClassID>
		<ISO15745Reference>
			<ISO15745Part>4</ISO15745Part>
			<ISO15745Edition>1</ISO15745Edition>
			<ProfileTechnology>GSDML</ProfileTechnology>
		</ISO15745Reference>
	</ProfileHeader>
	<ProfileBody>
		<DeviceIdentity VendorID="{VENDOR_ID}" DeviceID="{DEVICE_ID}">
			<InfoText TextId="IDT_INFO_Device"/>
			<VendorName Value="Quorim"/>
		</DeviceIdentity>
		<DeviceFunction>
			<Family MainFamily="Gateway" ProductFamily="KG73632"/>
		</DeviceFunction>
		<ApplicationProcess>
			<DeviceAccessPointList>
				<DeviceAccessPointItem PNIO_Version="V2.3" RequiredSchemaVersion="V2.25" ID="IDD_1" PhysicalSlots="0..4" ModuleIdentNumber="0x00000001" MinDeviceInterval="64" ImplementationType="{STATION}" DNS_CompatibleName="{STATION}" FixedInSlots="0" ObjectUUID_LocalIndex="1" MultipleWriteSupported="true" MaxSupportedRecordSize="8192" ParameterizationSpeedupSupported="true" PowerOnToCommReady="350" DeviceAccessSupported="true" SharedDeviceSupported="true" CheckDeviceID_Allowed="false" NameOfStationNotTransferable="true">
					<ModuleInfo>
						<Name TextId="IDT_NAME_DAP1"/>
						<InfoText TextId="IDT_INFO_DAP1"/>
						<VendorName Value="Quorim"/>
						<OrderNumber Value="KG73632"/>
					</ModuleInfo>
					<SubslotList>
						<SubslotItem SubslotNumber="0" TextId="IDT_SUBSLOT_1"/>
						<SubslotItem SubslotNumber="32768" TextId="IDT_SUBSLOT_Interface"/>
						<SubslotItem SubslotNumber="32769" TextId="IDT_SUBSLOT_Port1"/>
						<SubslotItem SubslotNumber="32770" TextId="IDT_SUBSLOT_Port2"/>
					</SubslotList>
					<IOConfigData MaxInputLength="1440" MaxOutputLength="1440" MaxDataLength="2880"/>
					<UseableModules>
						<ModuleItemRef ModuleItemTarget="IDM_1" FixedInSlots="1"/>
					</UseableModules>
					<VirtualSubmoduleList>
						<VirtualSubmoduleItem ID="IDS_V1" SubmoduleIdentNumber="0x00000000">
							<IOData IOPS_Length="1" IOCS_Length="1"/>
							<ModuleInfo>
								<Name TextId="IDT_NAME_VS1"/>
								<InfoText TextId="IDT_INFO_VS1"/>
							</ModuleInfo>
						</VirtualSubmoduleItem>
					</VirtualSubmoduleList>
					<SystemDefinedSubmoduleList>
						<InterfaceSubmoduleItem ID="IDS_I" SubmoduleIdentNumber="0x00000001" SubslotNumber="32768" TextId="IDT_NAME_IS" SupportedRT_Classes="RT_CLASS_1" SupportedProtocols="SNMP;LLDP" SupportedMibs="MIB2">
							<ApplicationRelations>
								<TimingProperties SendClock="32" ReductionRatio="1 2 4 8 16 32 64 128 256 512"/>
							</ApplicationRelations>
						</InterfaceSubmoduleItem>
						<PortSubmoduleItem ID="IDS_P1" SubmoduleIdentNumber="0x00000002" SubslotNumber="32769" TextId="IDT_NAME_PS1" MaxPortRxDelay="350" MaxPortTxDelay="160"/>
						<PortSubmoduleItem ID="IDS_P2" SubmoduleIdentNumber="0x00000002" SubslotNumber="32770" TextId="IDT_NAME_PS2" MaxPortRxDelay="350" MaxPortTxDelay="160"/>
					</SystemDefinedSubmoduleList>
					<!-- This element tells the engineering tool that the DAP supports fieldbus integration (slot clusters). -->
					<!-- <FieldbusIntegrationSlots MaxSupported="127" Range="100..9999"/> -->
				</DeviceAccessPointItem>
			</DeviceAccessPointList>
			<ModuleList>
				<!-- The "normal" module carrying the FAP. -->
				<ModuleItem ID="IDM_1" ModuleIdentNumber="0x00000001">
					<ModuleInfo>
						<Name TextId="IDT_NAME_M1"/>
						<InfoText TextId="IDT_INFO_M1"/>
						<OrderNumber Value="12345-0040-M"/>
					</ModuleInfo>
					<VirtualSubmoduleList>
						<VirtualSubmoduleItem ID="IDM_1" SubmoduleIdentNumber="0x00000001">
							<IOData IOPS_Length="1" IOCS_Length="1">
								<Input>
									<DataItem DataType="OctetString" Length="{NB_OUT}" TextId="IDT_Input_1"/>
								</Input>
								<Output>
									<DataItem DataType="OctetString" Length="{NB_IN}" TextId="IDT_Output_1"/>
								</Output>
							</IOData>
							<RecordDataList>
								<ParameterRecordDataItem Index="128" Length="2">
									<Name TextId="IDT_NAME_M1_IDT_REF_channel"/>
									<Const ByteOffset="0" Data="0x00,0x00"/>
									<Ref TextId="IDT_REF_reaction_to_cpu_stop" Visible="true" DataType="BitArea" ByteOffset="0" BitOffset="0" BitLength="2" DefaultValue="2" AllowedValues="0..2" ValueItemTarget="IDV_reaction_to_cpu_stop" ID="IDT_REF_reaction_to_cpu_stop"/>
									<MenuList>
										<MenuItem ID="IDT_NAME_M1_IDT_REF_channel">
											<Name TextId="IDT_NAME_M1_IDT_REF_channel"/>
											<MenuRef MenuTarget="IDT_NAME_M1_Base_Parameters"/>
										</MenuItem>
										<MenuItem ID="IDT_NAME_M1_Base_Parameters">
											<Name TextId="IDT_NAME_M1_Base_Parameters"/>
											<ParameterRef ParameterTarget="IDT_REF_reaction_to_cpu_stop"/>
										</MenuItem>
									</MenuList>
								</ParameterRecordDataItem>
							</RecordDataList>
							<ModuleInfo>
								<Name TextId="IDT_NAME_M1"/>
								<InfoText TextId="IDT_INFO_M1"/>
							</ModuleInfo>
						</VirtualSubmoduleItem>
					</VirtualSubmoduleList>
				</ModuleItem>
			</ModuleList>
			<ValueList>
				<ValueItem ID="IDV_reaction_to_cpu_stop">
					<Assignments>
						<Assign TextId="IDT_ASSIGN_do_set_substitude_values" Content="0"/>
						<Assign TextId="IDT_ASSIGN_do_values_will_hold" Content="1"/>
						<Assign TextId="IDT_ASSIGN_do_continue_counting" Content="2"/>
					</Assignments>
				</ValueItem>
			</ValueList>
			<CategoryList>
				<CategoryItem ID="IDC_DI" TextId="IDT_CATEGORY_DI">
					<InfoText TextId="IDT_INFO_DI"/>
				</CategoryItem>
				<CategoryItem ID="IDC_DO" TextId="IDT_CATEGORY_DO">
					<InfoText TextId="IDT_INFO_DO"/>
				</CategoryItem>
			</CategoryList>
			<ExternalTextList>
				<PrimaryLanguage>
{TEXTS}
				</PrimaryLanguage>
			</ExternalTextList>
		</ApplicationProcess>
	</ProfileBody>
</ISO15745Profile>)GSDML";

bool isXmlChar(char32_t c) {
    return c == 0x9 || c == 0xA || c == 0xD || (c >= 0x20 && c <= 0xD7FF) || (c >= 0xE000 && c <= 0xFFFD) ||
           (c >= 0x10000 && c <= 0x10FFFF);
}

QString textLine(const ExternalText& t) {
    const QString id = escapeXmlAscii(QString::fromLatin1(t.id));
    const QString value = escapeXmlAscii(QString::fromUtf8(t.value));
    if (t.valueFirst)
        return QStringLiteral("\t\t\t\t\t<Text Value=\"%1\" TextId=\"%2\"/>").arg(value, id);
    return QStringLiteral("\t\t\t\t\t<Text TextId=\"%1\" Value=\"%2\"/>").arg(id, value);
}

// An area size as the file may hold it: the house integer rule, then kept within the gateway's bounds.
int readAreaSize(const plat::XmlElement& root, const char* element) {
    const QString text = root.child(QString::fromLatin1(element)).text();
    const int v = plat::strToIntDef(text, kProfinetMaxAreaBytes);
    return std::clamp(v, 0, kProfinetMaxAreaBytes);
}

}  // namespace

QString escapeXmlAscii(const QString& text) {
    QString out;
    out.reserve(text.size());
    const QList<uint> codes = text.toUcs4();  // a lone surrogate comes out as U+FFFD
    for (const uint u : codes) {
        const char32_t c = static_cast<char32_t>(u);
        switch (c) {
        case U'&': out += QLatin1String("&amp;"); continue;
        case U'<': out += QLatin1String("&lt;"); continue;
        case U'>': out += QLatin1String("&gt;"); continue;
        case U'"': out += QLatin1String("&quot;"); continue;
        case U'\'': out += QLatin1String("&apos;"); continue;
        default: break;
        }
        if (!isXmlChar(c)) {
            out += QLatin1String("&#65533;");
        } else if (c < 0x20 || c >= 0x7F) {
            // Tab and line ends as references too: an attribute would otherwise read them back as blanks.
            out += QLatin1String("&#") + QString::number(static_cast<uint>(c)) + u';';
        } else {
            out += QChar(static_cast<char16_t>(c));
        }
    }
    return out;
}

ProfinetParam Read_Profinet_Param() {
    ProfinetParam p;
    QString name;
    if (plat::fileExists(g_ParGenFile)) {
        plat::XmlDocument doc;
        QString error;
        if (!doc.load(g_ParGenFile, &error)) throw plat::Error(error);
        const plat::XmlElement root = doc.root();
        p.nbIn = readAreaSize(root, "PROFINET_NB_IN");
        p.nbOut = readAreaSize(root, "PROFINET_NB_OUT");
        name = root.child(QStringLiteral("PROFINET_NAME_STA")).text();
    }
    // A blank name is no name for the engineering tool; any other is kept exactly, blanks included.
    p.stationName = TrimCtl(name).isEmpty() ? QStringLiteral("SERIAL") : name;
    return p;
}

QByteArray Build_GSDML(const ProfinetParam& param) {
    QString texts;
    for (const ExternalText& t : kTexts) {
        if (!texts.isEmpty()) texts += u'\n';
        texts += textLine(t);
    }
    const QString station = escapeXmlAscii(param.stationName);
    const QString values[][2] = {
        {QStringLiteral("STATION"), station},
        {QStringLiteral("NB_IN"), QString::number(param.nbIn)},
        {QStringLiteral("NB_OUT"), QString::number(param.nbOut)},
        {QStringLiteral("VENDOR_ID"), QString::fromLatin1(kVendorId)},
        {QStringLiteral("DEVICE_ID"), QString::fromLatin1(kDeviceId)},
        {QStringLiteral("TEXTS"), texts},
    };

    const QString tpl = QString::fromLatin1(kTemplate);
    QString doc;
    doc.reserve(tpl.size() + texts.size() + 64);
    qsizetype i = 0;
    while (i < tpl.size()) {
        const qsizetype open = tpl.indexOf(u'{', i);
        if (open < 0) {
            doc += QStringView(tpl).mid(i);
            break;
        }
        doc += QStringView(tpl).mid(i, open - i);
        const qsizetype close = tpl.indexOf(u'}', open);
        const QStringView key = QStringView(tpl).mid(open + 1, close - open - 1);
        const auto* hit = std::find_if(std::begin(values), std::end(values), [&](const QString(&v)[2]) { return v[0] == key; });
        Q_ASSERT(hit != std::end(values));
        doc += (*hit)[1];
        i = close + 1;
    }

    // Every character is ASCII by now, so the iso-8859-1 the declaration names and the UTF-8 the
    // byte-order mark announces read the same text.
    QByteArray out("\xEF\xBB\xBF");
    const QStringList lines = doc.split(u'\n');
    for (const QString& line : lines) {
        out += line.toLatin1();
        out += "\r\n";
    }
    return out;
}

void Write_GSDML_File(const QString& path) {
    const ProfinetParam param = Read_Profinet_Param();
    QString error;
    if (!plat::atomicWrite(path, Build_GSDML(param), &error))
        throw plat::Error(QStringLiteral("Error! The file %1 could not be written: %2").arg(path, error));
}

void Save_GSDML_File(const QString& fileName) {
    plat::guarded([&] {
        const QString filter = QStringLiteral("PROFINET XML (*.xml) (%1)").arg(fileName);
        const std::optional<QString> chosen = plat::dialogs().saveFile(QString(), g_ProjectPath, fileName, filter);
        if (!chosen) return;
        // Only the folder is taken from the dialog: the name is the one composed by the name dialog.
        const QString path = QFileInfo(*chosen).absolutePath() + u'/' + fileName;
        if (plat::fileExists(path) && plat::dialogs().questionYesNo(Text_Table.value(kTextOverwrite)) != plat::Answer::Yes)
            return;
        Write_GSDML_File(path);
    });
}
