#include "views/AnatomyPanel.h"

#include "views/BitGridModel.h"

#include <QAction>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QItemSelectionModel>
#include <QLabel>
#include <QPushButton>
#include <QStandardItemModel>
#include <QStyle>
#include <QTableView>
#include <QVBoxLayout>

#include <algorithm>

namespace vexmoor {

namespace {

QList<QStandardItem*> fieldRow(const ProposedField& field)
{
    const QString description = QString::fromStdString(field.description());
    QList<QStandardItem*> row {
        new QStandardItem(QString::number(field.startBit)),
        new QStandardItem(QString::number(field.length)),
        new QStandardItem(field.byteOrder == ByteOrder::BigEndian ? QStringLiteral("big endian")
                                                                  : QStringLiteral("little endian")),
        // As a DBC writes it: + unsigned, - signed.
        new QStandardItem(field.isSigned ? QStringLiteral("-") : QStringLiteral("+")),
        new QStandardItem(QString::fromUtf8(fieldKindName(field.kind))),
        new QStandardItem(QString::fromStdString(field.detail)),
    };
    // The kind's swatch is the bit view's tint: the table is its legend.
    row[AnatomyPanel::KindColumn]->setData(BitGridModel::fieldKindColor(field.kind), Qt::DecorationRole);
    for (QStandardItem* cell : row) {
        cell->setEditable(false);
        cell->setToolTip(description);
    }
    return row;
}

bool anyMoved(const MessageAnatomy& anatomy)
{
    return std::any_of(anatomy.fields.begin(), anatomy.fields.end(),
                       [](const ProposedField& field) { return field.kind != FieldKind::Constant; });
}

} // namespace

AnatomyPanel::AnatomyPanel(QWidget* parent)
    : QDockWidget(QStringLiteral("Anatomy"), parent)
    , m_heading(new QLabel(this))
    , m_model(new QStandardItemModel(0, ColumnCount, this))
    , m_table(new QTableView(this))
    , m_accept(new QPushButton(QStringLiteral("Accept as Signal"), this))
    , m_acceptAll(new QPushButton(QStringLiteral("Accept All"), this))
{
    setObjectName(QStringLiteral("dockAnatomy"));
    m_heading->setObjectName(QStringLiteral("lblAnatomyIdentifier"));
    m_heading->setWordWrap(true);
    m_model->setHorizontalHeaderLabels({ QStringLiteral("Start"), QStringLiteral("Length"),
                                         QStringLiteral("Byte Order"), QStringLiteral("Signed"), QStringLiteral("Kind"),
                                         QStringLiteral("Detail") });
    m_table->setObjectName(QStringLiteral("tblAnatomyFields"));
    m_table->setModel(m_model);
    m_table->setSelectionBehavior(QAbstractItemView::SelectRows);
    m_table->setSelectionMode(QAbstractItemView::ExtendedSelection);
    m_table->setEditTriggers(QAbstractItemView::NoEditTriggers);
    m_table->verticalHeader()->hide();
    m_table->horizontalHeader()->setSectionResizeMode(QHeaderView::ResizeToContents);
    m_table->horizontalHeader()->setStretchLastSection(true);
    m_table->verticalHeader()->setDefaultSectionSize(m_table->fontMetrics().height() + 8);
    // Every column in sight beside the bit view: the widest captions and cells, each with its margins,
    // the kind's swatch and room for a short detail.
    const int text = m_table->fontMetrics().horizontalAdvance(QStringLiteral("StartLengthlittle endianSignedchecksum"
                                                                             "XOR of nibbles"));
    m_table->setMinimumWidth(text + ColumnCount * 16 + m_table->iconSize().width() + 2 * m_table->frameWidth()
                             + m_table->style()->pixelMetric(QStyle::PM_ScrollBarExtent));
    connect(m_table->selectionModel(), &QItemSelectionModel::selectionChanged, this, &AnatomyPanel::updateButtons);

    m_accept->setObjectName(QStringLiteral("btnAnatomyAccept"));
    m_acceptAll->setObjectName(QStringLiteral("btnAnatomyAcceptAll"));
    m_accept->setToolTip(QStringLiteral("Adds the selected fields to the signal database as signals."));
    m_acceptAll->setToolTip(QStringLiteral("Adds every field that moved to the signal database as signals."));
    connect(m_accept, &QPushButton::clicked, this, &AnatomyPanel::acceptSelected);
    connect(m_acceptAll, &QPushButton::clicked, this, [this] {
        if (m_anatomy)
            emit acceptAllRequested(*m_anatomy);
    });

    auto* content = new QWidget(this);
    auto* layout = new QVBoxLayout(content);
    layout->addWidget(m_heading);
    layout->addWidget(m_table, 1);
    auto* buttons = new QHBoxLayout;
    buttons->addStretch(1);
    buttons->addWidget(m_accept);
    buttons->addWidget(m_acceptAll);
    layout->addLayout(buttons);
    setWidget(content);

    toggleViewAction()->setObjectName(QStringLiteral("mnuViewAnatomy"));
    toggleViewAction()->setText(QStringLiteral("Anatomy"));
    showNothing();
}

void AnatomyPanel::showIdentifier(const QString& key, const QString& busName, const MessageAnatomy* anatomy)
{
    const QString identifier = busName.isEmpty() ? QStringLiteral("CAN_ID %1").arg(key)
                                                 : QStringLiteral("CAN_ID %1 on %2").arg(key, busName);
    if (anatomy == nullptr) {
        m_heading->setText(QStringLiteral("%1: no fields proposed yet").arg(identifier));
    } else if (!anatomy->proposed) {
        // Every field then says why the frames told too little.
        const QString why = anatomy->fields.empty() ? QStringLiteral("no frames")
                                                    : QString::fromStdString(anatomy->fields.front().detail);
        m_heading->setText(QStringLiteral("%1: %2").arg(identifier, why));
    } else {
        m_heading->setText(QStringLiteral("%1: %2 fields from %3 frames")
                               .arg(identifier)
                               .arg(anatomy->fields.size())
                               .arg(anatomy->frames));
    }
    showFields(anatomy != nullptr && anatomy->proposed ? anatomy : nullptr);
}

void AnatomyPanel::showNothing()
{
    m_heading->setText(QStringLiteral("Select a row to see its fields."));
    showFields(nullptr);
}

void AnatomyPanel::showFields(const MessageAnatomy* anatomy)
{
    // The same fields again keep the rows, and the user's selection among them.
    const bool same = anatomy != nullptr && m_anatomy && anatomy->id == m_anatomy->id
        && anatomy->extended == m_anatomy->extended && anatomy->bus == m_anatomy->bus
        && anatomy->fields == m_anatomy->fields;
    m_anatomy = anatomy != nullptr ? std::optional(*anatomy) : std::nullopt;
    if (!same) {
        m_model->removeRows(0, m_model->rowCount());
        for (std::size_t index = 0; m_anatomy && index < m_anatomy->fields.size(); ++index)
            m_model->appendRow(fieldRow(m_anatomy->fields[index]));
    }
    updateButtons();
}

void AnatomyPanel::acceptSelected()
{
    if (!m_anatomy)
        return;
    std::vector<int> fields;
    for (const QModelIndex& row : m_table->selectionModel()->selectedRows()) {
        if (row.row() < static_cast<int>(m_anatomy->fields.size()))
            fields.push_back(row.row());
    }
    std::sort(fields.begin(), fields.end());
    if (!fields.empty())
        emit acceptRequested(*m_anatomy, fields);
}

void AnatomyPanel::updateButtons()
{
    m_accept->setEnabled(m_anatomy && m_table->selectionModel()->hasSelection());
    m_acceptAll->setEnabled(m_anatomy && anyMoved(*m_anatomy));
}

} // namespace vexmoor
