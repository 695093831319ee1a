#pragma once

#include "capture/formats/DbcCursor.h"
#include "capture/formats/DbcError.h"
#include "capture/formats/DbcReferences.h"
#include "capture/signals/SignalDatabase.h"

#include <optional>
#include <string_view>

namespace vexmoor {

// Reads a DBC file, as the common tools write it, into a signal database.
//
// Read and held as definitions: VERSION, NS_, BS_, BU_, BO_ with its SG_ lines, CM_ (of the network, a
// node, a message or a signal), VAL_TABLE_, VAL_ (of a signal), BA_DEF_, BA_DEF_DEF_, BA_ (a message's
// GenMsgCycleTime becomes its cycle time), SIG_VALTYPE_, BO_TX_BU_ and SG_MUL_VAL_. Everything else
// (EV_, ENVVAR_DATA_, SGTYPE_, BA_DEF_REL_, BA_REL_, SIG_GROUP_, ... up to its ';') is kept as written,
// and so is Vector's block of signals that belong to no message (BO_ 3221225472).
//
// A file may leave out the opening sections. Line ends may be "\n" or "\r\n". A file with any error
// is refused as a whole.
class DbcReader final {
public:
    struct Result {
        std::optional<SignalDatabase> database; // nothing when the text was refused
        DbcError error;
    };

    static Result read(std::string_view bytes);

private:
    struct Statement {
        std::string_view keyword;
        std::size_t start = 0;
        DbcCursor::Position position;
    };

    explicit DbcReader(std::string_view text);

    void readStatements();
    void readStatement(const Statement& statement);
    void finishMessage();
    void keep(const Statement& statement);
    void hold(DbcReferences::Statement held, const Statement& statement);
    void expectSemicolon(std::string_view after);

    void readVersion(const Statement& statement);
    void readNewSymbols(const Statement& statement);
    void readBitTiming(const Statement& statement);
    void readNodes(const Statement& statement);
    void readMessage(const Statement& statement);
    void readSignal(const Statement& statement);
    void readSignalLayout(SignalDefinition& signal);
    void readSignalScaling(SignalDefinition& signal);
    void readMultiplexIndicator(SignalDefinition& signal);
    void readComment(const Statement& statement);
    void readValueTable(const Statement& statement);
    void readValueDescriptions(const Statement& statement);
    void readAttributeDefinition(const Statement& statement);
    void readAttributeDefault(const Statement& statement);
    void readAttributeValue(const Statement& statement);
    void readAttributeTarget(AttributeObject object, AttributeValue& value);
    void readValueType(const Statement& statement);
    void readTransmitters(const Statement& statement);
    void readMultiplexRanges(const Statement& statement);
    void readUnknown(const Statement& statement);

    DbcReferences::MessageKey readMessageKey(std::string_view what);
    std::vector<ValueDescription> readValueList();
    AttributeText readAttributeText(std::string_view what);
    void expectLineEnd(std::string_view after);

    std::string_view m_text;
    DbcCursor m_cursor;
    SignalDatabase m_database;
    DbcReferences m_references;
    std::optional<MessageDefinition> m_message; // the BO_ whose SG_ lines are being read
    std::optional<std::size_t> m_keptBlockStart; // of a BO_ block kept as written
    std::size_t m_blockEnd = 0;
};

} // namespace vexmoor
