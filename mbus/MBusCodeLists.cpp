#include "mbus/MBusCodeLists.h"

namespace mbus {

namespace {

const char* const kTypeOfData[] = {
    "Energy (Wh)", "Energy (J)", "Volume (m³)", "Mass (Kg)", "On Time", "Operating Time", "Power (W)",
    "Power (J/h)", "Volume Flow (m³/h)", "Volume Flow Ext. (m³/min)", "Volume Flow Ext. (m³/s)",
    "Mass Flow (Kg/h)", "Flow Temperature (°C)", "Return Temperature (°C)", "Temperature Difference (K)",
    "External Temperature (°C)", "Pressure (bar)", "Averaging Duration ", "Actuality Duration",
    "Type of  Data in VIFE", "Time Point", "VIF is in ASCII", "Unit for H.C.A.", "Fabrication No",
    "(Enhanced) Identification", "Bus Address",
};

const char* const kVife[] = {
    "Not Selected", "Credit of the nominal local legal currency units",
    "Debit of the nominal local legal currency units", "Access Number (transmission count)",
    "Medium (as in fixed header)", "Manufacturer (as in fixed header)", "Parameter set identification",
    "Model/Version", "Hardware Version #", "Firmware Version #", "Software Version #", "Customer Location",
    "Customer", "Access Code User", "Access Code Operator", "Access Code System Operator", "Access Code Developer",
    "Password", "Error flags (binary)", "Error mask", "Digital Output (binary)", "Digital Input (binary)",
    "Baudrate [Baud]", "response delay time [bittimes]", "Retry", "First storage # for cyclic storage",
    "Last storage # for cyclic storage", "Size of storage block", "Storage interval [sec(s)..day(s)]",
    "Storage interval month(s)", "Storage interval year(s)", "Duration since last readout[sec(s)..day(s)]",
    "Start (date/time) of tariff", "Duration of tariff (nn=01..11:min to day)",
    "Period of tariff [sec(s) to day(s)]", "Period of tariff months(s)", "Period of tariff year(s)",
    "dimensionless/ no VIF", "Volts ", "Ampere", "Reset counter", "Comulation counter", "Control signal",
    "Day of week", "Week number", "Time point of day change", "State of parameter activation",
    "Special supplier information", "Duration since last comulation [hour(s)..year(s)]",
    "Operation time battery [hour(s)..year(s)]", "Date and time of battery change", "Energy MWh", "Energy GJ",
    "Volume ", "Mass", "Volume 0,1 feet^3", "Volume 0,1 american gallon", "Volume 1 american gallon",
    "Volume flow 0,001 american gallon/min", "Volume flow 1 american gallon/min",
    "Volume flow 1 american gallon/h", "Power MW", "Power GJ/h", "Flow Temperature", "Return Temperature",
    "Temperature Difference", "External Temperature", "Cold/Warm Temperature Limit °F",
    "Cold/Worm Temperature Limit °C", "Cumul. count max power", "per second", "per minute", "per hour", "per day",
    "per week", "per month", "per year", "per revolution/measurement",
    "increment per input pulse on input channel", "increment per output pulse on output channel", "per liter",
    "per m^3", "per kg", "per K (Kelvin)", "per kWh", "per GJ", "per kW", "per (K*l)(Kelvin*liter) ",
    "per V (Volt)", "per A (Ampere)", "multiplied by sek", "multiplied by sek/V", "multiplied by sek/A",
    "start date(/time) of", "VIF contains uncorrected unit instead of corrected unit",
    "Accumulation only if positive contributions", "Accumulation of abs value only if negative contributions",
    "upper/lower limit value", "# of exceeds of lower/upper limit",
    "Date(/time) of begin/end of first/last lower/upper limit exceed", "Duration of limit exceed",
    "Duration of first/last", "Date(/time) of first/last begin/end", "Multiplicative currection factor",
    "Additive correction constant * unit of VIF (offset)", "Moltiplicative correction factor: 10^3",
    "future value", "next VIFE's and data of this block are manufacturer specific", "None", "Too many DIFE's",
    "Storage number not implemented", "Unit number not implemented", "Tariff number not implemented",
    "Function not implemented", "Data class not implemented", "Data size not implemented", "Too many VIFE's",
    "Illegal VIF-Group", "Illegal VIF-Exponent", "VIF/DIF mismatch", "Unimplemented action",
    "No data available (undefined value)", "Data overflow", "Data underflow", "Data error",
    "Premature end of record ", "Security Key", "Remote control (devicespecific e.g. gas valve)",
    "Operator specific data", "Time point second (0 to 59)", "Data container for wireless M-Bus protocol",
    "Period of nominal data transmissions [sec(s) to day(s)]", "RF level units: dBm",
    "Daylight savings (beginning, ending, deviation) data type K", "Listening window management data type L",
    "Remaining battery life time (days)", "Number times the meter was stopped", "Reactive energy",
    "Apparent energy", "Energy", "Reactive power", "Relative humidity", "Volume", "Phase U-U (volt. to volt.)",
    "Phase U-I (volt. to current)", "Frequency", "Apparent power", "Reserved for alternate non-metric unit system",
    "Value at base conditions", "Value during lower (u= 0), upper (u = 1) limit exceed", "Leakage values",
    "Overflow values",
};

const char* const kFunctionField[] = {
    "Instantaneous Value", "Minimun Value", "Maximum Value", "Value During Error State",
};

const char* const kDimension[] = {"8", "16", "32", "64", "24", "48", "32 Real", "Variable Length"};

const char* const kPostOperation[] = {
    "None", " : 10", " : 100", " : 1000", " : 10000", " : 100000", " : 1000000",
    " * 10", " * 100", " * 1000", " * 10000", " * 100000", " * 1000000",
};

template <size_t N>
QStringList toList(const char* const (&items)[N]) {
    QStringList l;
    l.reserve(qsizetype(N));
    for (const char* s : items) l << QString::fromUtf8(s);
    return l;
}

}  // namespace

const QStringList& Type_Of_Data_Items() {
    static const QStringList l = toList(kTypeOfData);
    return l;
}

const QStringList& VIFE_Items() {
    static const QStringList l = toList(kVife);
    return l;
}

const QStringList& Function_Field_Items() {
    static const QStringList l = toList(kFunctionField);
    return l;
}

const QStringList& Dimension_Items() {
    static const QStringList l = toList(kDimension);
    return l;
}

const QStringList& Post_Operation_Items() {
    static const QStringList l = toList(kPostOperation);
    return l;
}

}  // namespace mbus
