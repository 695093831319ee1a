#include "capture/ranking/AnatomyDatabase.h"

#include "capture/record/RecordText.h"

#include <map>
#include <utility>

namespace vexmoor {

SignalDatabase AnatomyDatabase::of(const std::vector<MessageAnatomy>& anatomies)
{
    std::map<std::pair<std::uint32_t, bool>, const MessageAnatomy*> chosen;
    for (const MessageAnatomy& anatomy : anatomies) {
        const MessageAnatomy*& kept = chosen[{ anatomy.id, anatomy.extended }];
        if (kept == nullptr || anatomy.frames > kept->frames)
            kept = &anatomy;
    }
    SignalDatabase database;
    for (const auto& [key, anatomy] : chosen) {
        MessageDefinition message;
        std::string hexId;
        record::formatHexId(anatomy->id, anatomy->extended, hexId);
        message.id = anatomy->id;
        message.extended = anatomy->extended;
        message.name = "MSG_" + hexId;
        message.length = anatomy->length;
        message.sender = "Vector__XXX";
        for (const ProposedField& field : anatomy->fields)
            if (field.kind != FieldKind::Constant)
                message.signalDefinitions.push_back(field.toSignal(hexId));
        database.addMessage(std::move(message));
    }
    return database;
}

} // namespace vexmoor
