#include "app/frmMain.h"

#include "app/Artwork.h"
#include "app/IgnoreListModel.h"
#include "app/MessageTableModel.h"
#include "app/MessageTableView.h"
#include "dialogs/frmAbout.h"
#include "dialogs/frmFind.h"
#include "dialogs/frmMsgName.h"
#include "dialogs/frmOptions.h"
#include "dialogs/frmSketch.h"
#include "emulation/SampleGenerator.h"
#include "emulation/frmEmulator.h"
#include "platform/Timer.h"
#include "platform/Twips.h"
#include "platform/UserMessageBox.h"
#include "serial/frmComSettings.h"

#include <QCloseEvent>
#include <QCoreApplication>
#include <QLabel>
#include <QListView>
#include <QMenuBar>
#include <QMouseEvent>

#include <algorithm>
#include <cstdint>

namespace vexmoor {

namespace {

constexpr int kClientWidthTwips = 16110;
constexpr int kClientHeightTwips = 9960;

void paintWhite(QWidget& widget)
{
    QPalette palette = widget.palette();
    palette.setColor(QPalette::Window, Qt::white);
    widget.setPalette(palette);
    widget.setAutoFillBackground(true);
}

QListView* makeIgnoreListBox(const char* name, QWidget* parent)
{
    auto* list = new QListView(parent);
    list->setObjectName(QString::fromLatin1(name));
    QPalette palette = list->palette();
    palette.setColor(QPalette::Base, Qt::black);
    palette.setColor(QPalette::Text, Qt::white);
    list->setPalette(palette);
    list->setEditTriggers(QAbstractItemView::NoEditTriggers);
    list->setUniformItemSizes(true);
    list->hide();
    return list;
}

} // namespace

frmMain::frmMain(UserMessageBox& messageBox, SerialPort& port, TimeOfDaySource& clock, QWidget* parent)
    : QMainWindow(parent)
    , m_messageBox(messageBox)
    , m_port(port)
    , m_session(clock)
    , m_timer1(new Timer(QStringLiteral("Timer1"), 100, false, this))
    , m_timer2(new Timer(QStringLiteral("Timer2"), 300, false, this))
    , m_timer3(new Timer(QStringLiteral("Timer3"), 5000, true, this))
    , m_timer4(new Timer(QStringLiteral("Timer4"), 10000, true, this))
    , m_interiorEmulatorTimer(new Timer(QStringLiteral("tmrInteriourEmulator"), 100, false, this))
    , m_connection(port, *m_timer2, *m_timer3, messageBox)
    , m_poll(port, m_session.assembly())
    , m_purge(m_session.table(), m_session.List2(), m_session.txtAutoFilter())
    , m_reset(m_session.table())
    , m_notesFolder(QCoreApplication::applicationDirPath().toStdString())
{
    setObjectName(QStringLiteral("frmMain"));
    setWindowTitle(QStringLiteral("CAN-BUS Vexmoor - By Pemberlowe V1.06"));
    setWindowIcon(Artwork::windowIcon());
    buildControls();
    buildMenus();
    wireTimers();
    showAutoFilterThreshold();

    const double dpi = Twips::logicalDpiOf(*this);
    resize(Twips::toPixels(kClientWidthTwips, dpi),
           Twips::toPixels(kClientHeightTwips, dpi) + menuBar()->sizeHint().height());
}

frmMain::~frmMain()
{
    closeOtherWindows();
    m_session.assembly().setYieldHook({});
    m_purge.setYieldHook({});
}

void frmMain::buildControls()
{
    auto* background = new QWidget(this);
    background->setObjectName(QStringLiteral("frmMainClientArea"));
    paintWhite(*background);
    background->setMouseTracking(true);
    background->installEventFilter(this);
    setCentralWidget(background);

    const double dpi = Twips::logicalDpiOf(*this);
    m_autoFilterLabel = new QLabel(background);
    m_autoFilterLabel->setObjectName(QStringLiteral("lblAutofilter"));
    m_autoFilterLabel->setGeometry(Twips::toPixels(120, 120, 3135, 255, dpi));
    paintWhite(*m_autoFilterLabel);
    m_autoFilterLabel->setCursor(Qt::PointingHandCursor);
    m_autoFilterLabel->setMouseTracking(true);
    m_autoFilterLabel->installEventFilter(this);

    m_tableModel = new MessageTableModel(m_session.table(), this);
    m_tableView = new MessageTableView(background);
    m_tableView->setModel(m_tableModel);
    connect(m_tableView, &MessageTableView::tableDoubleClicked, this, &frmMain::openMessageNotes);

    m_messageIgnoreListBox = makeIgnoreListBox("List1", background);
    m_messageIgnoreListBox->setGeometry(Twips::toPixels(4440, 2040, 2895, 4515, dpi));
    m_messageIgnoreModel = new IgnoreListModel(m_session.List1(), this);
    m_messageIgnoreListBox->setModel(m_messageIgnoreModel);
    m_idIgnoreListBox = makeIgnoreListBox("List2", background);
    m_idIgnoreListBox->setGeometry(Twips::toPixels(7560, 2040, 2655, 4515, dpi));
    m_idIgnoreModel = new IgnoreListModel(m_session.List2(), this);
    m_idIgnoreListBox->setModel(m_idIgnoreModel);
    // The lists follow the table's refresh: entries arrive with records, not with user actions.
    auto* listRefresh = new QTimer(this);
    connect(listRefresh, &QTimer::timeout, this, &frmMain::refreshIgnoreLists);
    listRefresh->start(MessageTableModel::kRefreshIntervalMs);
}

QAction* frmMain::addAction(QMenu* menu, const char* name, const QString& caption)
{
    auto* action = new QAction(caption, this);
    action->setObjectName(QString::fromLatin1(name));
    if (menu != nullptr)
        menu->addAction(action);
    else
        menuBar()->addAction(action);
    return action;
}

void frmMain::buildMenus()
{
    auto* menus = menuBar();
    menus->setObjectName(QStringLiteral("frmMainMenuBar"));
    auto addMenu = [&](const char* name, const QString& caption) {
        QMenu* menu = menus->addMenu(caption);
        menu->setObjectName(QString::fromLatin1(name));
        menu->menuAction()->setObjectName(QString::fromLatin1(name));
        return menu;
    };
    auto addSeparator
        = [](QMenu* menu, const char* name) { menu->addSeparator()->setObjectName(QString::fromLatin1(name)); };

    QMenu* file = addMenu("MnuFile", QStringLiteral("&File"));
    connect(addAction(file, "MnuFileDumData", QStringLiteral("Dump Data to CSV")), &QAction::triggered, this,
            &frmMain::dumpData);
    addSeparator(file, "Sep1");
    connect(addAction(file, "MnuFileExit", QStringLiteral("&Exit")), &QAction::triggered, this, &frmMain::close);

    QMenu* view = addMenu("MnuView", QStringLiteral("View"));
    connect(addAction(view, "mnuTglIgnoreList", QStringLiteral("Toggle Ignore List")), &QAction::triggered, this,
            &frmMain::toggleIgnoreLists);

    QMenu* finder = addMenu("MnuFinder", QStringLiteral("Finder/Filter"));
    QAction* find = addAction(finder, "MnuToolsFind", QStringLiteral("Find ID/FilterTool"));
    find->setShortcut(QKeySequence(Qt::CTRL | Qt::Key_F));
    connect(find, &QAction::triggered, this, &frmMain::showFind);

    QMenu* tools = addMenu("Tools", QStringLiteral("&Tools"));
    connect(addAction(tools, "mnuToolsCommConnect", QStringLiteral("Connect To COM")), &QAction::triggered, this,
            &frmMain::connectToCom);
    connect(addAction(tools, "MnuToolsComSettings", QStringLiteral("Com Settings")), &QAction::triggered, this,
            &frmMain::showComSettings);
    connect(addAction(tools, "MnuToolsOptions", QStringLiteral("Options")), &QAction::triggered, this,
            &frmMain::showOptions);
    addSeparator(tools, "sep2");
    connect(addAction(tools, "MnuToolsClearIDIngoreList", QStringLiteral("Clear ID Ignore List")), &QAction::triggered,
            this, &frmMain::clearIdIgnoreList);
    connect(addAction(tools, "MnuToolsClearIgnore", QStringLiteral("Clear Message  Ignore List")), &QAction::triggered,
            this, &frmMain::clearMessageIgnoreList);
    connect(addAction(tools, "MnuToolsClear", QStringLiteral("&Clear All Data in the List")), &QAction::triggered, this,
            &frmMain::clearAllData);

    QMenu* emulator = addMenu("MnuEmulator", QStringLiteral("Emulator"));
    QAction* emulation = addAction(emulator, "MnuFileToggleEmulation", QStringLiteral("&Turn Emulation On"));
    emulation->setCheckable(true);
    connect(emulation, &QAction::triggered, this, &frmMain::toggleEmulation);
    connect(addAction(emulator, "MnuEmulatorSendSample", QStringLiteral("Send Random Sample Message")),
            &QAction::triggered, this, &frmMain::sendRandomSample);
    connect(addAction(emulator, "MnuSendUnimplemented", QStringLiteral("Send (Unimplemented)")), &QAction::triggered,
            this, &frmMain::sendUnimplemented);
    connect(addAction(emulator, "mnuEmuInteriour", QStringLiteral("Interiour Controls")), &QAction::triggered, this,
            &frmMain::showInteriorEmulator);

    connect(addAction(nullptr, "MnuArduinoSketch", QStringLiteral("Arduino Sketch")), &QAction::triggered, this,
            &frmMain::showSketch);
    connect(addAction(nullptr, "About", QStringLiteral("&About")), &QAction::triggered, this, &frmMain::showAbout);
}

void frmMain::wireTimers()
{
    m_session.assembly().setYieldHook([this] { m_scanYield(); });
    m_purge.setYieldHook([] { QCoreApplication::processEvents(QEventLoop::AllEvents); });
    connect(m_timer2, &Timer::tick, this, [this] { m_poll.tick(); });
    connect(m_timer3, &Timer::tick, this, [this] { m_purge.tick(); });
    connect(m_timer4, &Timer::tick, this, [this] { m_reset.tick(); });
    connect(m_timer1, &Timer::tick, this,
            [this] { m_session.ingest(SampleGenerator(*m_random).makeRecord(SampleGenerator::kEmulationTick)); });
    connect(m_interiorEmulatorTimer, &Timer::tick, this, &frmMain::ingestInteriorSlots);
}

void frmMain::showAutoFilterThreshold()
{
    m_autoFilterLabel->setText(QStringLiteral("Auto Filter CAN-IDs on ")
                               + QString::fromStdString(m_session.txtAutoFilter().text()) + QStringLiteral(" counts"));
    // The label keeps its place; it grows to the right when the host's font needs more room.
    const int placedWidth = Twips::toPixels(3135, Twips::logicalDpiOf(*this));
    m_autoFilterLabel->resize(std::max(placedWidth, m_autoFilterLabel->sizeHint().width()),
                              m_autoFilterLabel->height());
}

void frmMain::connectToCom()
{
    m_connection.connectToCom();
}

void frmMain::clearAllData()
{
    m_session.table().clear();
}

void frmMain::toggleIgnoreLists()
{
    const bool show = m_messageIgnoreListBox->isHidden();
    for (QListView* list : { m_messageIgnoreListBox, m_idIgnoreListBox }) {
        list->setVisible(show);
        // Drawn above the table, inside whose area they stand.
        if (show)
            list->raise();
    }
}

void frmMain::clearIdIgnoreList()
{
    m_session.List2().clear();
    m_idIgnoreModel->refresh();
}

void frmMain::clearMessageIgnoreList()
{
    m_session.List1().clear();
    m_messageIgnoreModel->refresh();
}

void frmMain::dumpData()
{
    m_messageBox.show(QStringLiteral("Not Implemented yet"), QStringLiteral("Note!"), UserMessageBox::Icon::None);
}

template <typename Window, typename... Arguments>
void frmMain::showSingle(QPointer<Window>& window, Arguments&&... arguments)
{
    // A window closed a moment ago may still wait for its deletion; it is gone for the user.
    if (window.isNull() || !window->isVisible())
        window = new Window(std::forward<Arguments>(arguments)...);
    window->showNormal();
    window->raise();
    window->activateWindow();
}

void frmMain::showComSettings()
{
    showSingle(m_comSettings, m_connection);
}

void frmMain::showFind()
{
    showSingle(m_find, m_session.table(), [this](int position) { selectRow(position); });
}

void frmMain::showOptions()
{
    showSingle(m_options,
               frmOptions::Settings { *m_timer2, *m_timer3, *m_timer4, m_session.txtAutoFilter(), m_session.txtMinID(),
                                      [this] { showAutoFilterThreshold(); } },
               m_messageBox);
}

void frmMain::toggleEmulation()
{
    // The timer's flag decides; the menu entry only mirrors it with its check mark.
    const bool on = !m_timer1->isEnabled();
    m_timer1->setEnabled(on);
    findChild<QAction*>(QStringLiteral("MnuFileToggleEmulation"))->setChecked(on);
}

void frmMain::sendRandomSample()
{
    m_session.ingest(SampleGenerator(*m_random).makeRecord(SampleGenerator::kRandomSample));
}

void frmMain::sendUnimplemented()
{
    m_session.ingest(SampleGenerator(*m_random).makeRecord(SampleGenerator::kUnimplemented));
}

void frmMain::showInteriorEmulator()
{
    showSingle(m_emulator, m_emulatorSlots, *m_interiorEmulatorTimer);
}

void frmMain::ingestInteriorSlots()
{
    // Handed over as they stand, an empty slot included: ingestion drops an empty record.
    for (const std::string* record :
         { &m_emulatorSlots.txtemuESP, &m_emulatorSlots.txtemuLOCKER, &m_emulatorSlots.txtemuHEADLIGHTS })
        m_session.ingest(*record);
}

void frmMain::showAbout()
{
    showSingle(m_about);
}

void frmMain::showSketch()
{
    showSingle(m_sketch);
}

void frmMain::openMessageNotes()
{
    if (m_notes.isNull() || !m_notes->isVisible()) {
        auto* notes
            = new frmMsgName(m_session.table(), m_session.List1(), m_session.List2(), m_messageBox, m_notesFolder);
        m_notes = notes;
        m_session.ingestion().setNotesLog(notes);
        // A closed window is deleted a moment later, perhaps after its successor took its place.
        MessageNotesLog* log = notes;
        connect(notes, &QObject::destroyed, this, [this, log] {
            if (m_session.ingestion().notesLog() == log)
                m_session.ingestion().setNotesLog(nullptr);
        });
    }
    m_notes->showNormal();
    m_notes->raise();
    m_notes->activateWindow();
    // Each step on its own: without a selected row the window opens with the captions it has.
    const int position = m_tableView->selectedPosition();
    if (!m_session.table().hasRow(position))
        return;
    m_notes->showRow(position);
    if (position <= INT16_MAX)
        m_session.state().NotesRowIndex = static_cast<std::int16_t>(position);
}

void frmMain::selectRow(int position)
{
    // The row may be newer than the view's last refresh.
    m_tableModel->refresh();
    m_tableView->selectionModel()->select(m_tableModel->index(position - 1, 0),
                                          QItemSelectionModel::ClearAndSelect | QItemSelectionModel::Rows);
}

void frmMain::closeOtherWindows()
{
    // Deleted rather than closed: the run is ending and none of their own closing applies.
    if (!m_notes.isNull())
        m_session.ingestion().setNotesLog(nullptr);
    delete m_notes;
    delete m_comSettings;
    delete m_find;
    delete m_options;
    delete m_about;
    delete m_sketch;
    delete m_emulator;
}

void frmMain::refreshIgnoreLists()
{
    m_messageIgnoreModel->refresh();
    m_idIgnoreModel->refresh();
}

void frmMain::resizeEvent(QResizeEvent* event)
{
    QMainWindow::resizeEvent(event);
    placeTable();
}

void frmMain::placeTable()
{
    // The table follows the window's outer size (frame, title and menu bar included). Each of the
    // four assignments stands on its own: a size that would come out negative keeps its last value.
    const double dpi = Twips::logicalDpiOf(*this);
    const QSize outer = frameGeometry().size();
    const int outerWidthTwips = static_cast<int>(outer.width() * 1440.0 / dpi);
    const int outerHeightTwips = static_cast<int>(outer.height() * 1440.0 / dpi);
    m_tableGeometry.moveLeft(Twips::toPixels(10, dpi));
    m_tableGeometry.moveTop(Twips::toPixels(480, dpi));
    if (outerWidthTwips - 220 >= 0)
        m_tableGeometry.setWidth(Twips::toPixels(outerWidthTwips - 220, dpi));
    if (outerHeightTwips - 1590 >= 0)
        m_tableGeometry.setHeight(Twips::toPixels(outerHeightTwips - 1590, dpi));
    m_tableView->setGeometry(m_tableGeometry);
}

void frmMain::setLabelHovered(bool hovered)
{
    QPalette palette = m_autoFilterLabel->palette();
    palette.setColor(QPalette::WindowText, hovered ? QColor(0, 0, 255) : QColor(Qt::black));
    m_autoFilterLabel->setPalette(palette);
    QFont font = m_autoFilterLabel->font();
    font.setUnderline(hovered);
    m_autoFilterLabel->setFont(font);
}

bool frmMain::eventFilter(QObject* watched, QEvent* event)
{
    if (event->type() == QEvent::MouseMove) {
        if (watched == m_autoFilterLabel) {
            setLabelHovered(true);
            // A label passes mouse moves on to its parent, the background, which would undo this at once.
            return true;
        }
        if (watched == centralWidget())
            setLabelHovered(false);
    } else if (watched == m_autoFilterLabel
               && (event->type() == QEvent::MouseButtonPress || event->type() == QEvent::MouseButtonRelease)) {
        noteLabelClick(*static_cast<QMouseEvent*>(event));
    }
    return QMainWindow::eventFilter(watched, event);
}

void frmMain::noteLabelClick(const QMouseEvent& event)
{
    // A click is a left-button press and its release, both on the label.
    if (event.button() != Qt::LeftButton)
        return;
    if (event.type() == QEvent::MouseButtonPress) {
        m_labelPressed = true;
    } else if (event.type() == QEvent::MouseButtonRelease) {
        const bool clicked = m_labelPressed && m_autoFilterLabel->rect().contains(event.position().toPoint());
        m_labelPressed = false;
        if (auto* find = findChild<QAction*>(QStringLiteral("MnuToolsFind")); clicked && find->isEnabled())
            find->trigger();
    }
}

void frmMain::closeEvent(QCloseEvent* event)
{
    // The run ends at once: the other windows go without their own closing, nothing is saved.
    closeOtherWindows();
    for (Timer* timer : { m_timer1, m_timer2, m_timer3, m_timer4, m_interiorEmulatorTimer })
        timer->setEnabled(false);
    event->accept();
    QCoreApplication::quit();
}

} // namespace vexmoor
