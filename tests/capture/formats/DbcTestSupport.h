#pragma once

#include "capture/formats/DbcReader.h"
#include "capture/signals/SignalDatabase.h"

#include <gtest/gtest.h>

#include <string_view>

namespace vexmoor::test {

// A file in the form the writer gives, with every statement the reader reads and one it keeps.
inline constexpr std::string_view kFullDbc = R"(VERSION "1.2"

NS_ :
	CM_
	BA_DEF_

BS_:

BU_: ECU1 ECU2

VAL_TABLE_ Gears 0 "P" 1 "R" ;

BO_ 256 Engine: 8 ECU1
 SG_ Speed : 0|16@1+ (0.1,0) [0|6553.5] "km/h" ECU2
 SG_ Temperature : 23|12@0- (0.5,-40) [-40|100] "°C" ECU1,ECU2
 SG_ Mode M : 56|4@1+ (1,0) [0|15] "" Vector__XXX
 SG_ Pressure m1 : 60|4@1+ (1,0) [0|15] "bar" Vector__XXX

BO_ 2147484160 Body: 16 Vector__XXX
 SG_ Level : 0|32@1- (1,0) [0|0] "" ECU1
 SG_ Energy : 64|64@1- (1e-05,0) [0|0] "" ECU1

BO_TX_BU_ 256 : ECU1,ECU2;

CM_ "Network note";
CM_ BU_ ECU1 "Engine controller";
CM_ BO_ 256 "Engine state";
CM_ SG_ 256 Speed "Vehicle speed";

BA_DEF_ BO_ "GenMsgCycleTime" INT 0 65535;
BA_DEF_ SG_ "Kind" ENUM "a","b";
BA_DEF_ "BusType" STRING;

BA_DEF_DEF_ "GenMsgCycleTime" 0;

BA_ "BusType" "CAN";
BA_ "Kind" SG_ 256 Speed 1;
BA_ "GenMsgCycleTime" BO_ 256 100;

VAL_ 256 Mode 0 "Idle" 1 "Run" ;

SIG_VALTYPE_ 2147484160 Level : 1;
SIG_VALTYPE_ 2147484160 Energy : 2;

SG_MUL_VAL_ 256 Pressure Mode 1-1, 3-5;

EV_ Env: 0 [0|1] "" 0 1 DUMMY_NODE_VECTOR0 Vector__XXX;
)";

// The database the text holds; an empty one, and a failure, when the reader refuses it.
inline SignalDatabase readDbc(std::string_view text)
{
    auto result = DbcReader::read(text);
    if (!result.database) {
        ADD_FAILURE() << result.error.text();
        return {};
    }
    return std::move(*result.database);
}

// What the file defines, leaving out how it was written (encoding, line ends, opening sections).
inline void expectSameDefinitions(const SignalDatabase& actual, const SignalDatabase& expected)
{
    EXPECT_EQ(actual.messages(), expected.messages());
    EXPECT_EQ(actual.version, expected.version);
    EXPECT_EQ(actual.nodes, expected.nodes);
    EXPECT_EQ(actual.comments, expected.comments);
    EXPECT_EQ(actual.valueTables, expected.valueTables);
    EXPECT_EQ(actual.attributeDefinitions, expected.attributeDefinitions);
    EXPECT_EQ(actual.attributeDefaults, expected.attributeDefaults);
    EXPECT_EQ(actual.attributeValues, expected.attributeValues);
    EXPECT_EQ(actual.multiplexValueRanges, expected.multiplexValueRanges);
    EXPECT_EQ(actual.keptStatements, expected.keptStatements);
}

} // namespace vexmoor::test
