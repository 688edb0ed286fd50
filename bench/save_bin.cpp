// The configuration images of the largest project: 1,024 publications and 1,024 subscriptions with
// long templates, and three certificates. The build is measured beside reading and parsing the two
// project files alone (its floor), and with the two image files written.
#include "gateway/USaveBincc.h"

#include "platform/Files.h"
#include "platform/XmlDoc.h"
#include "shell/UComon.h"

#include <QCoreApplication>
#include <QDir>
#include <QTemporaryDir>
#include <benchmark/benchmark.h>
#include <sys/resource.h>

#include <cstdlib>

namespace {

constexpr int kRows = 1024;

void write(const QString& path, const QByteArray& data) {
    if (!plat::atomicWrite(path, data)) std::abort();
}

QByteArray certificate(const char* label) {
    QByteArray out = QByteArray("-----BEGIN ") + label + "-----\n";
    for (int i = 0; i < 26; ++i) out += QByteArray(64, char('A' + i % 26)) + '\n';
    return out + "-----END " + label + "-----\n";
}

// A project folder holding the largest files the dialogs can write.
class LargestProject {
public:
    LargestProject() {
        if (!dir_.isValid()) std::abort();
        g_ProjectPath = dir_.path();
        Set_Files();
        QDir(dir_.path()).mkdir(QStringLiteral("bin"));
        QDir(dir_.path()).mkdir(QStringLiteral("Certificates"));
        write(dir_.path() + QStringLiteral("/Certificates/server.pem"), certificate("CERTIFICATE"));
        write(dir_.path() + QStringLiteral("/Certificates/client.pem"), certificate("CERTIFICATE"));
        write(dir_.path() + QStringLiteral("/Certificates/client.key"), certificate("PRIVATE KEY"));

        plat::XmlDocument par;
        plat::XmlElement root = par.createRoot(QStringLiteral("Par_Gen"));
        par.appendComment(QStringLiteral("SW_VERSION = 1.003"));
        const std::pair<const char*, const char*> params[] = {
            {"Eth_Conn_Device_Name", "gateway-hall-7"}, {"Eth_Conn_Enable_DNS", "1"},
            {"MQTT_Server_URL", "broker.plant.example"}, {"MQTT_Server_Port", "8883"},
            {"MQTT_Client_ID", "gw-hall-7"}, {"MQTT_Keep_Alive", "60"}, {"MQTT_WillFlag", "1"},
            {"MQTT_Will_Topic_Name", "plant/hall7/status"}, {"MQTT_Will_Message", "offline"},
            {"MQTT_Username", "gateway"}, {"MQTT_Password", "secret"}, {"TLS_Enable", "1"},
            {"TLS_En_Server_Auth", "1"}, {"TLS_Server_Auth_Certificate", "server.pem"},
            {"TLS_En_Client_Auth", "1"}, {"TLS_Client_Auth_Certificate", "client.pem"},
            {"TLS_Client_Auth_Key", "client.key"}, {"NTP_Server_URL", "ntp.plant.example"},
            {"PROFINET_NB_IN", "1438"}, {"PROFINET_NB_OUT", "1438"}, {"WiFi_Type", "1"}};
        for (const auto& [k, v] : params) root.appendTextChild(QString::fromLatin1(k), QString::fromLatin1(v));
        if (!par.save(g_ParGenFile)) std::abort();

        plat::XmlDocument topics;
        plat::XmlElement t = topics.createRoot(QStringLiteral("MQTT_Set_Topic"));
        topics.appendComment(QStringLiteral("SW_VERSION = 1.003"));
        plat::XmlElement pub = t.appendChild(QStringLiteral("MQTT_Publish"));
        for (int i = 0; i < kRows; ++i) {
            plat::XmlElement r = pub.appendChild(QStringLiteral("row"));
            r.setAttribute(QStringLiteral("Topic"), QStringLiteral("plant/hall7/line%1/measure").arg(i));
            r.setAttribute(QStringLiteral("Retained"), QStringLiteral("N"));
            r.setAttribute(QStringLiteral("QoS"), QStringLiteral("1"));
            r.setAttribute(QStringLiteral("DataType"), QStringLiteral("Float"));
            r.setAttribute(QStringLiteral("Dimension"), QStringLiteral("4"));
            r.setAttribute(QStringLiteral("Position"), QString::number(i % 1400));
            r.setAttribute(QStringLiteral("Template"),
                           QStringLiteral("{\"line\":%1,\"ts\":\"$TIMESTAMP$\",\"value\":$VALUE$,\"unit\":\"kWh\","
                                          "\"quality\":\"good\",\"source\":\"profinet\"}")
                               .arg(i));
            r.setAttribute(QStringLiteral("OnChange"), QStringLiteral("Y"));
            r.setAttribute(QStringLiteral("OnCMD"), QStringLiteral("N"));
            r.setAttribute(QStringLiteral("OnTimer"), QStringLiteral("Y"));
            r.setAttribute(QStringLiteral("Time"), QStringLiteral("1000"));
            r.setAttribute(QStringLiteral("Mnemonic"), QStringLiteral("energy line %1").arg(i));
        }
        plat::XmlElement sub = t.appendChild(QStringLiteral("MQTT_Subscribe"));
        for (int i = 0; i < kRows; ++i) {
            plat::XmlElement r = sub.appendChild(QStringLiteral("row"));
            r.setAttribute(QStringLiteral("Topic"), QStringLiteral("plant/hall7/line%1/setpoint").arg(i));
            r.setAttribute(QStringLiteral("QoS"), QStringLiteral("1"));
            r.setAttribute(QStringLiteral("DataType"), QStringLiteral("Int"));
            r.setAttribute(QStringLiteral("Dimension"), QStringLiteral("2"));
            r.setAttribute(QStringLiteral("Position"), QString::number(i % 1400));
            r.setAttribute(QStringLiteral("Template"),
                           QStringLiteral("{\"setpoint\":@I%1.16@,\"mode\":@I%2.8@,\"note\":\"operator setpoint\"}")
                               .arg(8 * (i % 700))
                               .arg(8 * (i % 700) + 16));
            r.setAttribute(QStringLiteral("Mnemonic"), QStringLiteral("setpoint line %1").arg(i));
        }
        t.appendChild(QStringLiteral("MQTT_Options")).appendTextChild(QStringLiteral("Option_Allow_CR_LF"), QStringLiteral("N"));
        if (!topics.save(g_MQTTSetTopicFile)) std::abort();
    }

private:
    QTemporaryDir dir_;
};

LargestProject& project() {
    static LargestProject p;
    return p;
}

void setPeakMemory(benchmark::State& state) {
    rusage u{};
    getrusage(RUSAGE_SELF, &u);
    state.counters["peak_rss_MiB"] = static_cast<double>(u.ru_maxrss) / 1024.0;
}

// The floor: reading and parsing the two project files, nothing built.
void BM_ReadAndParseOnly(benchmark::State& state) {
    project();
    for (auto _ : state) {
        plat::XmlDocument a, b;
        if (!a.load(g_ParGenFile) || !b.load(g_MQTTSetTopicFile)) std::abort();
        benchmark::DoNotOptimize(b.root().child(QStringLiteral("MQTT_Publish")).childElements().size());
    }
}
BENCHMARK(BM_ReadAndParseOnly)->Unit(benchmark::kMillisecond);

// Create_Bin: both images in memory from the project files and certificates.
void BM_BuildImages(benchmark::State& state) {
    project();
    for (auto _ : state) {
        QString error;
        if (!USaveBincc::Create_Bin(&error)) std::abort();
        benchmark::DoNotOptimize(USaveBincc::Bank2_Image().size());
    }
    state.counters["bank2_bytes"] = static_cast<double>(USaveBincc::Bank2_Image().size());
    setPeakMemory(state);
}
BENCHMARK(BM_BuildImages)->Unit(benchmark::kMillisecond);

// The whole step before the dialog: build, then both files written atomically (flushed to disk).
void BM_BuildAndSaveImages(benchmark::State& state) {
    project();
    for (auto _ : state) {
        QString error;
        if (!USaveBincc::Create_Bin(&error) || !USaveBincc::Save_Bin(&error)) std::abort();
    }
    setPeakMemory(state);
}
BENCHMARK(BM_BuildAndSaveImages)->Unit(benchmark::kMillisecond);

}  // namespace

int main(int argc, char** argv) {
    QCoreApplication app(argc, argv);
    benchmark::Initialize(&argc, argv);
    if (benchmark::ReportUnrecognizedArguments(argc, argv)) return 1;
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
