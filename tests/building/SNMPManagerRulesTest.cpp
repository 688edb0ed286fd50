// The SNMP manager list's rules as one table, without a window: eight valid requests, each case
// changing some cells of some rows, and the exact message the user reads.
#include "building/SNMPManagerSchema.h"
#include "shell/ULanguage.h"
#include "tests/building/BuildingTestSupport.h"

#include <gtest/gtest.h>

namespace {

using namespace snmpmanager;
using accesslist::Row;
using accesslist::Rows;

// Row i + 1: a valid version-2 request for its own object of the same agent.
Rows validRows() {
    Rows rows;
    for (int i = 0; i < 8; ++i) {
        Row r = accesslist::resetRow(schema().sections[0]);
        r[cIPAddress] = QStringLiteral("192.168.1.10");
        r[cVersion] = QStringLiteral("2");
        r[cCommunity] = QStringLiteral("Corvex");
        r[cOID] = QStringLiteral("1.3.6.1.2.1.1.%1.0").arg(i + 1);
        r[cType] = QStringLiteral("Int");
        r[cMode] = QStringLiteral("Get");
        r[cOnChange] = r[cOnCommand] = r[cCancel] = QStringLiteral("N");
        r[cOnTimer] = QStringLiteral("Y");
        r[cTime] = QStringLiteral("1000");
        r[cPosition] = QString::number(i * 4);
        r[cNumBytes] = QStringLiteral("4");
        r[cConversion] = QStringLiteral("None");
        rows.push_back(r);
    }
    return rows;
}

struct Change {
    int row;
    int column;
    const char* text;
};

// A version-3 request with valid credentials of the given security level, in row 1.
std::vector<Change> v3(const char* level, const char* authMode = "", const char* privMode = "") {
    return {{1, cVersion, "3"},           {1, cUser, "operator"},   {1, cAuthPass, "Auth1234"},
            {1, cPrivPass, "Priv1234"},   {1, cSecurityLevel, level}, {1, cAuthMode, authMode},
            {1, cPrivMode, privMode}};
}

std::vector<Change> plus(std::vector<Change> a, std::initializer_list<Change> b) {
    a.insert(a.end(), b);
    return a;
}

TEST(SNMPManagerRules, OneTableOfRequests) {
    Load_Default_Language();
    struct Case {
        const char* name;
        std::vector<Change> changes;
        const char* message;  // empty: the list passes
    } cases[] = {
        {"valid list", {}, ""},
        {"version 2 without user and passwords", {{1, cUser, ""}, {1, cAuthPass, ""}, {1, cPrivPass, ""}}, ""},
        {"version 3 without a user", {{1, cVersion, "3"}}, "Error row 1!! User string can not be empty"},
        {"user too long", plus(v3("Auth Priv", "SHA", "AES"), {{1, cUser, "operatoroperator"}}),
         "Error row 1!! User string is too much length"},
        {"user with a blank", plus(v3("Auth Priv", "SHA", "AES"), {{1, cUser, "op 1"}}),
         "Error row 1!! User string can contains only number and letters"},
        {"short passwords count without authentication",
         plus(v3("NoAuth NoPriv"), {{1, cAuthPass, "Auth123"}, {1, cPrivPass, "Priv123"}}),
         "Error row 1!! Auth Pass string must have at least 8 characters"},
        {"short privacy password", plus(v3("Auth Priv", "SHA", "AES"), {{1, cPrivPass, "Priv123"}}),
         "Error row 1!! Priv Pass string must have at least 8 characters"},
        {"no security level", v3(""), "Error row 1!! Security Level must be selected"},
        {"no authentication without its mode", v3("NoAuth NoPriv"), ""},
        {"authentication without its mode", v3("Auth NoPriv"), "Error row 1!! Auth Mode must be selected"},
        {"authentication with its mode", v3("Auth NoPriv", "MD5"), ""},
        {"privacy without its mode", v3("Auth Priv", "SHA"), "Error row 1!! Priv Mode must be selected"},
        {"privacy without the authentication mode", v3("Auth Priv", "", "DES"),
         "Error row 1!! Auth Mode must be selected"},
        {"timer of 0 ms", {{2, cTime, "0"}}, "Error row 2!! Time must be between 1 and 100000000 ms"},
        {"no timer, no time", {{2, cOnTimer, "N"}, {2, cTime, ""}}, ""},
        {"1025 bytes", {{3, cNumBytes, "1025"}}, "Error row 3!! Number bytes must be between 0 and 1024"},
        {"1024 bytes", {{3, cNumBytes, "1024"}}, ""},
        {"no conversion", {{4, cConversion, " "}}, "Error row 4!! Conversion not selected"},
        {"address of three parts", {{5, cIPAddress, "192.168.1"}},
         "Error row 5!! IP Address must be a valid TCP IP Address (Ex. 192.168.1.125)"},
        {"address part of 256", {{5, cIPAddress, "192.168.1.256"}},
         "Error row 5!! IP Address must be a valid TCP IP Address (Ex. 192.168.1.125)"},
        {"OID starting with a dot", {{6, cOID, ".1.3.6"}}, "Error row 6!! OID string cannot start with a \".\""},
        {"OID with two dots", {{6, cOID, "1.3..6"}},
         "Error row 6!! OID string cannot contains two or more consecutive \".\""},
        {"OID ending with a dot", {{6, cOID, "1.3.6."}}, "Error row 6!! OID string cannot finish with a \".\""},
        {"OID with a letter", {{6, cOID, "1.3.a"}}, "Error row 6!! OID string can contains only number and \".\""},
        {"OID component beyond 32 bits", {{6, cOID, "1.3.4294967296"}},
         "Error row 6!! OID string cannot contains number major of $FFFFFFFF between two \".\""},
        {"OID of 62 characters", {{6, cOID, "11.3.6.1.4.1.99999.1.1.1.1.1.1.1.1.1.1.1.1.1.1.1.1.1.1.1.1.1.1"}},
         "Error row 6!! OID string is too much length"},
        {"rows 3 and 7 ask for the same object", {{7, cOID, "1.3.6.1.2.1.1.3.0"}},
         "Error in rows 3 and 7!! Same IP Address, Version and OID used"},
        {"the earliest row with a twin is told first, with its first twin",
         {{8, cOID, "1.3.6.1.2.1.1.2.0"}, {4, cOID, "1.3.6.1.2.1.1.3.0"}, {5, cOID, "1.3.6.1.2.1.1.3.0"},
          {6, cOID, "1.3.6.1.2.1.1.2.0"}},
         "Error in rows 2 and 6!! Same IP Address, Version and OID used"},
        {"a disabled first row leaves its twins to pair with each other",
         {{1, cEnable, "N"}, {4, cOID, "1.3.6.1.2.1.1.1.0"}, {6, cOID, "1.3.6.1.2.1.1.1.0"}},
         "Error in rows 4 and 6!! Same IP Address, Version and OID used"},
        {"compared trimmed", {{7, cOID, "1.3.6.1.2.1.1.3.0"}, {7, cIPAddress, " 192.168.1.10 "}},
         "Error in rows 3 and 7!! Same IP Address, Version and OID used"},
        {"another version is another request", {{7, cOID, "1.3.6.1.2.1.1.3.0"}, {7, cVersion, "1"}}, ""},
        {"row 7 disabled", {{7, cOID, "1.3.6.1.2.1.1.3.0"}, {7, cEnable, "N"}}, ""},
        {"a disabled row is not checked", {{5, cEnable, "N"}, {5, cIPAddress, "bad"}, {5, cNumBytes, "x"}}, ""},
        {"the first failing row is told", {{2, cNumBytes, "2000"}, {1, cConversion, ""}},
         "Error row 1!! Conversion not selected"},
        {"a row check comes before a pair", {{7, cOID, "1.3.6.1.2.1.1.3.0"}, {8, cTime, ""}},
         "Error row 8!! Time must be between 1 and 100000000 ms"},
        {"rows after the list's end are not checked", {{6, cIPAddress, ""}, {6, cOID, ""}, {6, cEnable, "Y"},
                                                        {6, cType, ""}, {6, cMode, ""}, {6, cTime, ""},
                                                        {6, cPosition, ""}, {6, cNumBytes, ""}, {6, cConversion, ""},
                                                        {6, cCommunity, ""}, {6, cVersion, ""}, {6, cOnTimer, "N"},
                                                        {7, cIPAddress, ""}, {7, cOID, ""}, {7, cType, ""},
                                                        {7, cMode, ""}, {7, cTime, ""}, {7, cPosition, ""},
                                                        {7, cNumBytes, ""}, {7, cConversion, ""},
                                                        {7, cCommunity, ""}, {7, cVersion, ""}, {7, cOnTimer, "N"},
                                                        {8, cIPAddress, ""}, {8, cOID, ""}, {8, cType, ""},
                                                        {8, cMode, ""}, {8, cTime, ""}, {8, cPosition, ""},
                                                        {8, cNumBytes, ""}, {8, cConversion, ""},
                                                        {8, cCommunity, ""}, {8, cVersion, ""}, {8, cOnTimer, "N"}},
         ""},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        Rows rows = validRows();
        for (const Change& ch : c.changes) rows[size_t(ch.row - 1)][ch.column] = QString::fromUtf8(ch.text);
        const accesslist::Problem p = accesslist::validate(schema(), {rows}, rules());
        EXPECT_EQ(accesslist::problemMessage(schema(), p, 4037, {}), QString::fromUtf8(c.message));
    }
}

TEST(SNMPManagerFile, AMissingAttributeTakesItsDefault) {
    const accesslist::ReadResult read = accesslist::readList(
        schema(), "<SNMP_Manager_Access><row IP_Address=\"10.0.0.1\" OID=\"1.3.6\"/></SNMP_Manager_Access>");
    ASSERT_TRUE(read.error.isEmpty()) << read.error.toStdString();
    ASSERT_EQ(read.sections[0].size(), 1u);
    const Row& r = read.sections[0][0];
    EXPECT_EQ(r.size(), 23);
    EXPECT_EQ(r[cEnable], QStringLiteral("Y"));
    EXPECT_EQ(r[cConversion], QStringLiteral("None"));
    for (int c : {cOnChange, cOnCommand, cOnTimer, cCancel}) EXPECT_EQ(r[c], QStringLiteral("N")) << c;
    for (int c : {cVersion, cTime, cNumBytes, cUser, cMnemonic}) EXPECT_TRUE(r[c].isEmpty()) << c;
}

}  // namespace
