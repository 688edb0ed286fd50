#pragma once
// The file and row rules of the MQTT access list, without any widget: which bytes of the exchange
// area, read as which data type, feed each publish topic, and where each subscribed value goes.
#include "shell/AccessListFile.h"

#include <vector>

namespace mqttaccess {

// Bytes of the exchange area: positions 0 to 1439.
inline constexpr int kAreaBytes = 1440;
inline constexpr int kRows = 1024;

// Columns of both grids (real indexes).
inline constexpr int kEnable = 1, kTopic = 2, kDataType = 3, kDimension = 4, kPosition = 5, kTemplate = 6,
                     kMnemonic = 7;

// "MQTT_Set_Access.xml": "MQTT_Publish" and "MQTT_Subscribe", 1024 rows each, keyed by the topic,
// which the file keeps as its position in the topic table (`Index_Topic`). Every attribute has a
// default, so no row stops the reading.
const accesslist::Schema& schema();

// The rules of both pages: a row is checked only when its Enable cell, upper-cased but not trimmed,
// reads "Y".
std::vector<accesslist::SectionRules> rules();

}  // namespace mqttaccess
