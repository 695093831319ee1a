#include "views/MarksPanel.h"

#include "capture/ranking/BitRanking.h"
#include "capture/ranking/MarksFile.h"
#include "platform/FileChooser.h"
#include "platform/OutputFile.h"
#include "platform/UserMessageBox.h"
#include "views/MarksModel.h"

#include <QAction>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QPushButton>
#include <QTableView>
#include <QVBoxLayout>

#include <filesystem>

namespace vexmoor {

namespace {

const QString kFilter = QStringLiteral("Marks (*.marks);;All files (*)");

std::filesystem::path toPath(const QString& path)
{
    return std::filesystem::path(path.toStdU16String());
}

} // namespace

MarksPanel::MarksPanel(BitRanking& ranking, UserMessageBox& messageBox, std::function<FileChooser&()> chooser,
                       QWidget* parent)
    : QDockWidget(QStringLiteral("Marks"), parent)
    , m_ranking(ranking)
    , m_messageBox(messageBox)
    , m_chooser(std::move(chooser))
    , m_model(new MarksModel(ranking, this))
    , m_table(new QTableView(this))
{
    setObjectName(QStringLiteral("dockMarks"));
    m_table->setObjectName(QStringLiteral("tblMarks"));
    m_table->setModel(m_model);
    m_table->setSelectionBehavior(QAbstractItemView::SelectRows);
    m_table->setSelectionMode(QAbstractItemView::SingleSelection);
    m_table->setEditTriggers(QAbstractItemView::DoubleClicked | QAbstractItemView::EditKeyPressed
                             | QAbstractItemView::AnyKeyPressed);
    m_table->verticalHeader()->hide();
    m_table->horizontalHeader()->setSectionResizeMode(MarksModel::Number, QHeaderView::ResizeToContents);
    m_table->horizontalHeader()->setSectionResizeMode(MarksModel::Time, QHeaderView::ResizeToContents);
    m_table->horizontalHeader()->setStretchLastSection(true);

    auto* content = new QWidget(this);
    auto* layout = new QVBoxLayout(content);
    layout->setContentsMargins(4, 2, 4, 2);
    layout->addWidget(m_table, 1);
    layout->addWidget(buildButtons());
    setWidget(content);

    toggleViewAction()->setObjectName(QStringLiteral("mnuViewMarks"));
    toggleViewAction()->setText(QStringLiteral("Marks"));
    connect(&m_refreshTimer, &QTimer::timeout, this, &MarksPanel::refresh);
}

QWidget* MarksPanel::buildButtons()
{
    auto* buttons = new QWidget(this);
    auto* row = new QHBoxLayout(buttons);
    row->setContentsMargins(0, 0, 0, 0);
    auto addButton = [&](const char* name, const QString& caption, void (MarksPanel::*command)()) {
        auto* button = new QPushButton(caption, buttons);
        button->setObjectName(QString::fromLatin1(name));
        connect(button, &QPushButton::clicked, this, command);
        row->addWidget(button);
    };
    addButton("btnMarksDelete", QStringLiteral("Delete"), &MarksPanel::deleteSelected);
    row->addStretch(1);
    addButton("btnMarksLoad", QStringLiteral("Load..."), &MarksPanel::load);
    addButton("btnMarksSave", QStringLiteral("Save..."), &MarksPanel::save);
    return buttons;
}

void MarksPanel::refresh()
{
    m_model->refresh();
}

void MarksPanel::deleteSelected()
{
    refresh();
    const QModelIndexList selected = m_table->selectionModel()->selectedRows();
    if (!selected.isEmpty())
        m_model->removeMark(selected.first().row());
}

void MarksPanel::load()
{
    const QString title = QStringLiteral("Load Marks");
    const QString path = m_chooser().fileToOpen(this, title, kFilter);
    if (path.isEmpty())
        return;
    // A file with a line that is no mark changes nothing: half a drive's marks would rank wrongly.
    const MarksFile::Parsed parsed = MarksFile::read(toPath(path));
    if (!parsed.error.empty()) {
        m_messageBox.show(QString::fromStdString(parsed.error), title, UserMessageBox::Icon::Error);
        return;
    }
    replaceMarks(parsed.marks);
    if (parsed.marks.size() > BitRanking::kMaxMarks)
        m_messageBox.show(QStringLiteral("Only the first %1 of the file's %2 marks were loaded.")
                              .arg(BitRanking::kMaxMarks)
                              .arg(parsed.marks.size()),
                          title, UserMessageBox::Icon::None);
}

void MarksPanel::replaceMarks(const std::vector<Mark>& marks)
{
    // Mark by mark rather than BitRanking::clear(): that would also forget the flips heard, and the
    // loaded marks are counted against them.
    while (!m_ranking.marks().empty())
        m_ranking.removeMark(m_ranking.marks().size() - 1);
    for (const Mark& mark : marks) {
        if (!m_ranking.addMark(mark.timeUs, mark.note))
            break;
    }
    refresh();
}

void MarksPanel::save()
{
    const QString title = QStringLiteral("Save Marks");
    const QString path = m_chooser().fileToSave(this, title, kFilter);
    if (path.isEmpty())
        return;
    const QString error = OutputFile::write(path, OutputFile::Mode::ReplaceWhole, MarksFile::text(m_ranking.marks()));
    if (!error.isEmpty())
        m_messageBox.show(QStringLiteral("cannot write %1: %2").arg(path, error), title, UserMessageBox::Icon::Error);
}

void MarksPanel::showEvent(QShowEvent* event)
{
    QDockWidget::showEvent(event);
    refresh();
    m_refreshTimer.start(kRefreshIntervalMs);
}

void MarksPanel::hideEvent(QHideEvent* event)
{
    QDockWidget::hideEvent(event);
    m_refreshTimer.stop();
}

} // namespace vexmoor
