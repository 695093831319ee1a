#include "app/frmMain.h"

#include "app/ChangedRowsFilter.h"
#include "app/ConnectionControls.h"
#include "app/FrameHistoryControls.h"
#include "app/LoggingControls.h"
#include "app/MarkControls.h"
#include "app/ReplayToolBar.h"
#include "app/SuppressionControls.h"
#include "capture/changes/PlotSignal.h"
#include "capture/ranking/BitRanking.h"
#include "capture/ranking/RankedBit.h"
#include "capture/record/RecordText.h"
#include "control/CaptureController.h"
#include "dialogs/frmAbout.h"
#include "dialogs/frmFind.h"
#include "dialogs/frmMsgName.h"
#include "dialogs/frmOptions.h"
#include "dialogs/frmSketch.h"
#include "emulation/frmEmulator.h"
#include "platform/Twips.h"
#include "platform/UserMessageBox.h"
#include "serial/frmComSettings.h"
#include "sources/LogReplay.h"
#include "views/Artwork.h"
#include "views/AutoFilterLabel.h"
#include "views/BitViewPanel.h"
#include "views/CandidatesPanel.h"
#include "views/IgnoreListBox.h"
#include "views/MarksPanel.h"
#include "views/MessageTableModel.h"
#include "views/MessageTableView.h"
#include "views/PlotPanel.h"

#include <QCloseEvent>
#include <QCoreApplication>
#include <QDockWidget>
#include <QFileInfo>
#include <QLabel>
#include <QMenuBar>
#include <QProgressDialog>
#include <QStatusBar>
#include <QToolBar>

#include <cmath>
#include <cstdint>

namespace vexmoor {

namespace {

constexpr int kClientWidthTwips = 16110;
constexpr int kClientHeightTwips = 9960;
constexpr int kClosedSourceMessageMs = 5000;

void paintWhite(QWidget& widget)
{
    QPalette palette = widget.palette();
    palette.setColor(QPalette::Window, Qt::white);
    widget.setPalette(palette);
    widget.setAutoFillBackground(true);
}

// What the shown docks take of the window beside and across the client area, which shrinks by as much:
// measured from the client area itself, and nothing while no dock is docked and shown. A dock being
// shown is not yet visible when the window lays the client area out for it: it counts once not hidden.
QSize dockedShare(const QMainWindow& window, int barsHeight)
{
    bool besideShown = false;
    bool acrossShown = false;
    for (QDockWidget* dock : window.findChildren<QDockWidget*>()) {
        if (dock->isHidden() || dock->isFloating())
            continue;
        const Qt::DockWidgetArea area = window.dockWidgetArea(dock);
        (area == Qt::LeftDockWidgetArea || area == Qt::RightDockWidgetArea ? besideShown : acrossShown) = true;
    }
    const QWidget* client = window.centralWidget();
    const int width = besideShown ? window.width() - client->width() : 0;
    const int height = acrossShown ? window.height() - barsHeight - client->height() : 0;
    return { std::max(0, width), std::max(0, height) };
}

} // namespace

frmMain::frmMain(UserMessageBox& messageBox, SerialPort& port, TimeOfDaySource& clock, QWidget* parent)
    : QMainWindow(parent)
    , m_messageBox(messageBox)
    , m_controller(new CaptureController(port, messageBox, clock, CaptureController::Upkeep::Run, this))
    , m_notesFolder(QCoreApplication::applicationDirPath().toStdString())
{
    setObjectName(QStringLiteral("frmMain"));
    setWindowTitle(QStringLiteral("CAN-BUS Vexmoor - By Pemberlowe V1.06"));
    setWindowIcon(Artwork::windowIcon());
    buildControls();
    buildMenus();
    buildStatusBar();
    new LoggingControls(
        *findChild<QMenu*>(QStringLiteral("MnuFile")), *statusBar(), *m_controller,
        [this] {
            return m_fileChooser->fileToSave(this, QStringLiteral("Start Logging"),
                                             QStringLiteral("candump logs (*.log);;All files (*)"));
        },
        this);
    new ConnectionControls(
        *findChild<QMenu*>(QStringLiteral("Tools")), *m_controller,
        [this](const SourceAddress& last) { return ConnectionControls::askWithDialog(this, last); }, this);
    auto* suppression = new SuppressionControls(
        *findChild<QMenu*>(QStringLiteral("MnuView")), *statusBar(), session().changes(), *m_tableModel,
        [controller = m_controller] { return controller->framesNowUs(); }, this);
    new ChangedRowsFilter(*findChild<QMenu*>(QStringLiteral("MnuView")), *statusBar(), *m_tableView, *m_tableModel,
                          *suppression, this);
    m_bitView = new BitViewPanel(
        session().changes(), suppression->mask(), [controller = m_controller] { return controller->framesNowUs(); },
        this);
    addDockWidget(Qt::BottomDockWidgetArea, m_bitView);
    m_bitView->hide();
    m_bitView->follow(*m_tableView, *m_tableModel);
    findChild<QMenu*>(QStringLiteral("MnuView"))->addAction(m_bitView->toggleViewAction());
    m_plot = PlotPanel::addTo(*this, *findChild<QMenu*>(QStringLiteral("MnuView")), session().plotted(),
                              [controller = m_controller] { return controller->framesNowUs(); });
    m_plot->showHistoryOf(session().history());
    connect(m_bitView, &BitViewPanel::plotRequested, m_plot, &PlotPanel::addSignal);
    buildMarking(*m_plot, *suppression);
    new FrameHistoryControls(*findChild<QMenu*>(QStringLiteral("MnuView")), session().history(), this);
    showAutoFilterThreshold();

    // The designed client area is the room above the status bar.
    const double dpi = Twips::logicalDpiOf(*this);
    resize(Twips::toPixels(kClientWidthTwips, dpi),
           Twips::toPixels(kClientHeightTwips, dpi) + menuBar()->sizeHint().height()
               + statusBar()->sizeHint().height());
}

frmMain::~frmMain()
{
    closeOtherWindows();
    // The table's model watches the controller's table, and the controller, created first among the
    // window's children, is deleted first: the model goes while the table is still there.
    delete m_tableModel;
}

CaptureSession& frmMain::session()
{
    return m_controller->session();
}

void frmMain::buildMarking(PlotPanel& plot, SuppressionControls& suppression)
{
    QMenu& view = *findChild<QMenu*>(QStringLiteral("MnuView"));
    auto* marking = new MarkControls(*this, view, *m_controller, session().ranking());
    connect(marking, &MarkControls::markTaken, this, &frmMain::markTaken);
    connect(&plot, &PlotPanel::markRequested, marking, &MarkControls::takeMark);
    plot.showMarksOf(session().ranking());

    m_marks = new MarksPanel(
        session().ranking(), m_messageBox, [this]() -> FileChooser& { return *m_fileChooser; }, this);
    m_candidates = new CandidatesPanel(session().ranking(), suppression.mask(), this);
    // Beside the table, out of the way of the bit view and the plot below it.
    for (QDockWidget* dock : std::initializer_list<QDockWidget*> { m_marks, m_candidates }) {
        addDockWidget(Qt::RightDockWidgetArea, dock);
        dock->hide();
        view.addAction(dock->toggleViewAction());
    }
    connect(&suppression, &SuppressionControls::maskChanged, m_candidates, &CandidatesPanel::suppressionChanged);
    connect(m_candidates, &CandidatesPanel::candidateChosen, this, &frmMain::showCandidate);
}

void frmMain::markTaken(std::size_t count)
{
    m_marks->refresh();
    // Each panel comes up once it has something to show: the marks with the first, the candidates
    // with the second, when a bit can first be told from chance.
    if (count == 1)
        m_marks->show();
    if (count == 2) {
        m_candidates->show();
        // The candidates are what the user reads; the marks need a few rows.
        resizeDocks({ m_marks, m_candidates }, { 1, 2 }, Qt::Vertical);
    }
    m_plot->refresh();
}

int frmMain::positionOf(std::uint32_t id, bool extended) const
{
    for (int row = 0; row < m_tableModel->rowCount(); ++row) {
        const auto identifier = m_tableModel->identifierOfRow(row);
        if (identifier && identifier->id == id && identifier->extended == extended)
            return row + 1;
    }
    return 0;
}

void frmMain::showCandidate(const RankedBit& candidate)
{
    m_tableModel->refresh();
    m_plot->addSignal(PlotSignal::ofBit(candidate.id, candidate.extended, candidate.byte, candidate.bit));
    const int position = positionOf(candidate.id, candidate.extended);
    if (position == 0) {
        std::string hexId;
        record::formatHexId(candidate.id, candidate.extended, hexId);
        m_candidates->showMessage(QStringLiteral("CAN_ID %1 is no longer in the table; its bit is plotted from now on.")
                                      .arg(QString::fromStdString(hexId)));
        return;
    }
    selectRow(position);
    m_tableView->scrollTo(m_tableModel->index(position - 1, 0));
    m_bitView->show();
    m_bitView->raise();
}

void frmMain::buildControls()
{
    auto* background = new QWidget(this);
    background->setObjectName(QStringLiteral("frmMainClientArea"));
    paintWhite(*background);
    background->setMouseTracking(true);
    setCentralWidget(background);

    m_autoFilterLabel = new AutoFilterLabel(*background);
    connect(m_autoFilterLabel, &AutoFilterLabel::clicked, this, [this] {
        if (auto* find = findChild<QAction*>(QStringLiteral("MnuToolsFind")); find->isEnabled())
            find->trigger();
    });

    m_tableModel = new MessageTableModel(session().table(), this);
    m_tableModel->setChanges(&session().changes());
    m_tableModel->setClock([controller = m_controller] { return controller->framesNowUs(); });
    m_tableView = new MessageTableView(background);
    m_tableView->setModel(m_tableModel);
    connect(m_tableView, &MessageTableView::tableDoubleClicked, this, &frmMain::openMessageNotes);

    m_messageIgnoreListBox = new IgnoreListBox("List1", session().List1(), QRect(4440, 2040, 2895, 4515), background);
    m_idIgnoreListBox = new IgnoreListBox("List2", session().List2(), QRect(7560, 2040, 2655, 4515), background);
    // The lists follow the table's refresh: entries arrive with records, not with user actions.
    auto* listRefresh = new QTimer(this);
    connect(listRefresh, &QTimer::timeout, this, [this] {
        m_messageIgnoreListBox->refresh();
        m_idIgnoreListBox->refresh();
    });
    listRefresh->start(MessageTableModel::kRefreshIntervalMs);

    m_replayToolBar = new ReplayToolBar(this);
    addToolBar(m_replayToolBar);
    // A tool bar that comes or goes moves the client area without resizing the window.
    background->installEventFilter(this);
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
    addSeparator(file, "sepOpenLog");
    connect(addAction(file, "mnuFileOpenLog", QStringLiteral("Open Log...")), &QAction::triggered, this,
            &frmMain::openLog);

    QMenu* view = addMenu("MnuView", QStringLiteral("View"));
    connect(addAction(view, "mnuTglIgnoreList", QStringLiteral("Toggle Ignore List")), &QAction::triggered, this,
            &frmMain::toggleIgnoreLists);

    QMenu* finder = addMenu("MnuFinder", QStringLiteral("Finder/Filter"));
    QAction* find = addAction(finder, "MnuToolsFind", QStringLiteral("Find ID/FilterTool"));
    find->setShortcut(QKeySequence(Qt::CTRL | Qt::Key_F));
    connect(find, &QAction::triggered, this, &frmMain::showFind);

    QMenu* tools = addMenu("Tools", QStringLiteral("&Tools"));
    connect(addAction(tools, "mnuToolsCommConnect", QStringLiteral("Connect To COM")), &QAction::triggered,
            m_controller, &CaptureController::connectToCom);
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
            [this] {
                session().clear();
                m_controller->tableCleared();
            });

    QMenu* emulator = addMenu("MnuEmulator", QStringLiteral("Emulator"));
    QAction* emulation = addAction(emulator, "MnuFileToggleEmulation", QStringLiteral("&Turn Emulation On"));
    emulation->setCheckable(true);
    connect(emulation, &QAction::triggered, this, &frmMain::toggleEmulation);
    connect(addAction(emulator, "MnuEmulatorSendSample", QStringLiteral("Send Random Sample Message")),
            &QAction::triggered, m_controller, &CaptureController::sendRandomSample);
    connect(addAction(emulator, "MnuSendUnimplemented", QStringLiteral("Send (Unimplemented)")), &QAction::triggered,
            m_controller, &CaptureController::sendUnimplemented);
    connect(addAction(emulator, "mnuEmuInteriour", QStringLiteral("Interiour Controls")), &QAction::triggered, this,
            &frmMain::showInteriorEmulator);

    connect(addAction(nullptr, "MnuArduinoSketch", QStringLiteral("Arduino Sketch")), &QAction::triggered, this,
            &frmMain::showSketch);
    connect(addAction(nullptr, "About", QStringLiteral("&About")), &QAction::triggered, this, &frmMain::showAbout);
}

void frmMain::buildStatusBar()
{
    QStatusBar* bar = statusBar();
    bar->setObjectName(QStringLiteral("statusBar"));
    auto* source = new QLabel(m_controller->activeSourceDescription(), bar);
    source->setObjectName(QStringLiteral("statusSource"));
    bar->addWidget(source, 1);
    // One source at a time: the bar says which one went when another took its place.
    connect(m_controller, &CaptureController::sourceClosed, bar, [bar](const QString& closed) {
        bar->showMessage(QStringLiteral("Closed %1").arg(closed), kClosedSourceMessageMs);
    });
    auto* replay = new QLabel(bar);
    replay->setObjectName(QStringLiteral("statusReplay"));
    replay->hide();
    bar->addPermanentWidget(replay);
    connect(m_controller, &CaptureController::replayStatusChanged, replay, [replay](const QString& text) {
        replay->setText(text);
        replay->setVisible(!text.isEmpty());
    });
    auto* rate = new QLabel(bar);
    rate->setObjectName(QStringLiteral("statusRate"));
    bar->addPermanentWidget(rate);
    auto showRate = [rate](double framesPerSecond) {
        rate->setText(QStringLiteral("%1 frames/s").arg(std::lround(framesPerSecond)));
    };
    showRate(m_controller->frameRate());
    connect(m_controller, &CaptureController::sourceChanged, source, &QLabel::setText);
    connect(m_controller, &CaptureController::frameRateChanged, rate, showRate);
}

void frmMain::showAutoFilterThreshold()
{
    m_autoFilterLabel->showThreshold(QString::fromStdString(session().txtAutoFilter().text()));
}

void frmMain::toggleIgnoreLists()
{
    const bool show = m_messageIgnoreListBox->isHidden();
    for (IgnoreListBox* list : { m_messageIgnoreListBox, m_idIgnoreListBox }) {
        list->setVisible(show);
        // Drawn above the table, inside whose area they stand.
        if (show)
            list->raise();
    }
}

void frmMain::clearIdIgnoreList()
{
    session().List2().clear();
    m_idIgnoreListBox->refresh();
}

void frmMain::clearMessageIgnoreList()
{
    session().List1().clear();
    m_messageIgnoreListBox->refresh();
}

void frmMain::dumpData()
{
    m_messageBox.show(QStringLiteral("Not Implemented yet"), QStringLiteral("Note!"), UserMessageBox::Icon::None);
}

void frmMain::openLog()
{
    const QString title = QStringLiteral("Open Log");
    const QString path
        = m_fileChooser->fileToOpen(this, title, QStringLiteral("Logs (*.log *.csv *.txt);;All files (*)"));
    if (path.isEmpty())
        return;
    // A file that is no log is refused before any question, and the table stays as it is.
    const LogReplay::Preview preview = LogReplay::preview(path);
    if (!preview.error.isEmpty()) {
        m_messageBox.show(preview.error, title, UserMessageBox::Icon::Error);
        return;
    }
    // Asked only when clearing takes something in sight. Otherwise the data is cleared as the default
    // answer would: the flips of frames that made no row (ignored, or below the minimum identifier)
    // must not mix with the log's in the ranking.
    const bool clearFirst
        = !holdsDataInSight() || m_messageBox.askYesNo(QStringLiteral("Clear the table first?"), title, true);
    const QStringList paces = { QStringLiteral("At once"), QStringLiteral("In time") };
    const QString pace = m_fileChooser->choice(this, title, QStringLiteral("Replay the log:"), paces);
    if (!paces.contains(pace))
        return;
    const QString allInterfaces = QStringLiteral("All interfaces");
    QString interfaceName;
    if (preview.interfaces.size() > 1) {
        interfaceName = m_fileChooser->choice(this, title, QStringLiteral("Replay the frames of:"),
                                              QStringList { allInterfaces } + preview.interfaces);
        if (interfaceName.isEmpty())
            return;
        if (interfaceName == allInterfaces)
            interfaceName.clear();
    }
    const auto mode = pace == paces.first() ? LogReplay::Mode::AtOnce : LogReplay::Mode::InTime;
    if (!m_controller->openLog(path, mode, interfaceName))
        return;
    // Only now, with the log open: the replay hands nothing on before the next turn of the event loop.
    if (clearFirst)
        findChild<QAction*>(QStringLiteral("MnuToolsClear"))->trigger();
    LogReplay& replay = *m_controller->replay();
    if (mode == LogReplay::Mode::InTime) {
        m_replayToolBar->follow(replay);
        return;
    }
    auto* progress = new QProgressDialog(QStringLiteral("Replaying %1").arg(QFileInfo(path).fileName()),
                                         QStringLiteral("Cancel"), 0, 100, this);
    progress->setObjectName(QStringLiteral("logProgress"));
    progress->setWindowTitle(title);
    progress->setWindowModality(Qt::NonModal);
    progress->setAutoClose(false);
    progress->setAutoReset(false);
    progress->setAttribute(Qt::WA_DeleteOnClose);
    connect(&replay, &LogReplay::progressed, progress, [progress](qint64 read, qint64 size) {
        progress->setValue(size > 0 ? static_cast<int>(read * 100 / size) : 100);
    });
    connect(progress, &QProgressDialog::canceled, &replay, &LogReplay::stop);
    connect(&replay, &LogReplay::finished, progress, &QWidget::close);
    progress->show();
}

bool frmMain::holdsDataInSight()
{
    return session().table().rowCount() > 0 || !session().ranking().marks().empty()
        || session().plotted().originUs().has_value();
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
    showSingle(m_comSettings, m_controller->connection());
}

void frmMain::showFind()
{
    showSingle(m_find, session().table(), [this](int position) { selectRow(position); });
}

void frmMain::showOptions()
{
    CaptureController& capture = *m_controller;
    showSingle(m_options,
               frmOptions::Settings { capture.pollTimer(), capture.purgeTimer(), capture.resetTimer(),
                                      session().txtAutoFilter(), session().txtMinID(),
                                      [this] { showAutoFilterThreshold(); } },
               m_messageBox);
}

void frmMain::toggleEmulation()
{
    // The timer's flag decides; the menu entry only mirrors it with its check mark.
    const bool on = !m_controller->isEmulating();
    m_controller->setEmulation(on);
    findChild<QAction*>(QStringLiteral("MnuFileToggleEmulation"))->setChecked(on);
}

void frmMain::showInteriorEmulator()
{
    showSingle(m_emulator, m_controller->emulatorSlots(), m_controller->interiorEmulatorTimer());
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
            = new frmMsgName(session().table(), session().List1(), session().List2(), m_messageBox, m_notesFolder);
        m_notes = notes;
        session().ingestion().setNotesLog(notes);
        // A closed window is deleted a moment later, perhaps after its successor took its place.
        MessageNotesLog* log = notes;
        connect(notes, &QObject::destroyed, this, [this, log] {
            if (session().ingestion().notesLog() == log)
                session().ingestion().setNotesLog(nullptr);
        });
    }
    m_notes->showNormal();
    m_notes->raise();
    m_notes->activateWindow();
    // Each step on its own: without a selected row the window opens with the captions it has.
    const int position = m_tableView->selectedPosition();
    if (!session().table().hasRow(position))
        return;
    m_notes->showRow(position);
    if (position <= INT16_MAX)
        session().state().NotesRowIndex = static_cast<std::int16_t>(position);
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
        session().ingestion().setNotesLog(nullptr);
    delete m_notes;
    delete m_comSettings;
    delete m_find;
    delete m_options;
    delete m_about;
    delete m_sketch;
    delete m_emulator;
}

void frmMain::resizeEvent(QResizeEvent* event)
{
    QMainWindow::resizeEvent(event);
    placeTable();
}

void frmMain::placeTable()
{
    // The table follows the window's outer size (frame, title and menu bar included) less what the
    // bars below the menu take: the status bar, the shown tool bars and shown docks. Each of the
    // four assignments stands on its own: a size that would come out negative keeps its last value.
    const double dpi = Twips::logicalDpiOf(*this);
    const int statusBarHeight = statusBar()->isHidden() ? 0 : statusBar()->height();
    const int toolBarHeight = topToolBarsHeight();
    const QSize outer = frameGeometry().size() - QSize(0, statusBarHeight + toolBarHeight)
        - dockedShare(*this, menuBar()->height() + statusBarHeight + toolBarHeight);
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

int frmMain::topToolBarsHeight() const
{
    // The tool bars keep to one row at the top: the tallest shown one gives its height.
    int height = 0;
    for (const QToolBar* bar : findChildren<QToolBar*>(Qt::FindDirectChildrenOnly)) {
        if (!bar->isHidden() && !bar->isFloating() && toolBarArea(bar) == Qt::TopToolBarArea)
            height = std::max(height, bar->height());
    }
    return height;
}

bool frmMain::eventFilter(QObject* watched, QEvent* event)
{
    if (watched == centralWidget() && event->type() == QEvent::Resize)
        placeTable();
    return QMainWindow::eventFilter(watched, event);
}

void frmMain::closeEvent(QCloseEvent* event)
{
    // The run ends at once: the other windows go without their own closing, nothing is saved but
    // the rest of a running log.
    closeOtherWindows();
    m_controller->stopTimers();
    m_controller->stopLogging();
    event->accept();
    QCoreApplication::quit();
}

} // namespace vexmoor
