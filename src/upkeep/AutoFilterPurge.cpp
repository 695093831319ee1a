#include "upkeep/AutoFilterPurge.h"

#include "capture/record/BusyFlag.h"
#include "capture/record/DecimalText.h"
#include "capture/record/IgnoreList.h"
#include "capture/record/MessageTable.h"
#include "capture/record/TextSetting.h"

#include <optional>

namespace vexmoor {

namespace {

// What a pass that removed nothing saw: while the table and the threshold stay so, another pass
// would remove nothing either.
struct QuietPass {
    std::uint64_t tableRevision = 0;
    double threshold = 0;
};

} // namespace

AutoFilterPurge::AutoFilterPurge(MessageTable& table, IgnoreList& idIgnoreList, const TextSetting& threshold)
    : m_table(table)
    , m_idIgnoreList(idIgnoreList)
    , m_threshold(threshold)
{
}

void AutoFilterPurge::tick()
{
    // A tick that falls due during this tick's own yields would purge the table under its feet.
    if (m_running)
        return;
    const BusyFlag running(m_running);

    std::optional<QuietPass> quiet;
    for (int pass = 0; pass < kPasses; ++pass) {
        if (m_yield)
            m_yield();
        const int bound = m_table.rowCount();
        // A pass over a table and threshold that the last pass left unchanged would remove nothing.
        if (quiet && quiet->tableRevision == m_table.revision() && quiet->threshold == m_threshold.number())
            continue;
        if (purgePass(bound))
            quiet.reset();
        else
            quiet = QuietPass { m_table.revision(), m_threshold.number() };
    }
}

bool AutoFilterPurge::purgePass(int bound)
{
    bool removed = false;
    // The bound stays as the pass found it; indexes past the end of a table that shrank come to nothing.
    for (int index = 1; index <= bound; ++index) {
        if (!m_table.hasRow(index))
            continue;
        const double changeCount = decimal::leadingNumber(m_table.cell(index, MessageColumn::ChangeCount));
        if (m_threshold.number() < changeCount) {
            m_idIgnoreList.append(m_table.canId(index));
            m_table.removeRow(index);
            removed = true;
        }
    }
    return removed;
}

} // namespace vexmoor
