#include "app/frmMain.h"

#include "app/ChangeViewDocks.h"
#include "app/ConnectionControls.h"
#include "app/DbcControls.h"
#include "app/EmulatorControls.h"
#include "app/IgnoreListControls.h"
#include "app/LoggingControls.h"
#include "app/MessageNotesControls.h"
#include "app/OpenLogControls.h"
#include "app/ReplayToolBar.h"
#include "app/RowsPerBusControls.h"
#include "app/SessionControls.h"
#include "app/StatusBarControls.h"
#include "app/TablePlacement.h"
#include "control/CaptureController.h"
#include "control/CaptureMessageBoxes.h"
#include "dialogs/frmAbout.h"
#include "dialogs/frmFind.h"
#include "dialogs/frmOptions.h"
#include "dialogs/frmSketch.h"
#include "platform/Twips.h"
#include "platform/UserMessageBox.h"
#include "serial/frmComSettings.h"
#include "views/Artwork.h"
#include "views/AutoFilterLabel.h"
#include "views/MessageTableModel.h"
#include "views/MessageTableView.h"

#include <QCloseEvent>
#include <QCoreApplication>
#include <QMenuBar>
#include <QStatusBar>

namespace vexmoor {

// The designed client area (const at namespace scope: internal to this file).
constexpr int kClientWidthTwips = 16110;
constexpr int kClientHeightTwips = 9960;

frmMain::frmMain(UserMessageBox& messageBox, SerialPort& port, TimeOfDaySource& clock, QWidget* parent)
    : QMainWindow(parent)
    , m_messageBox(messageBox)
    , m_controller(new CaptureController(port, clock, CaptureController::Upkeep::Run, this))
{
    setObjectName(QStringLiteral("frmMain"));
    setWindowTitle(QStringLiteral("CAN-BUS Vexmoor - By Pemberlowe V1.06"));
    setWindowIcon(Artwork::windowIcon());
    new CaptureMessageBoxes(*m_controller, messageBox, this);
    buildClientArea();
    buildMenus();
    buildControls();
    showAutoFilterThreshold();

    // The designed client area is the room above the status bar.
    const double dpi = Twips::logicalDpiOf(*this);
    resize(Twips::toPixels(kClientWidthTwips, dpi),
           Twips::toPixels(kClientHeightTwips, dpi) + menuBar()->sizeHint().height()
               + statusBar()->sizeHint().height());
}

frmMain::~frmMain()
{
    delete m_tablePlacement;
    closeOtherWindows();
    // The table's model watches the controller's table, and the controller, created first among the
    // window's children, is deleted first: the model goes while the table is still there.
    delete m_tableModel;
}

CaptureSession& frmMain::session()
{
    return m_controller->session();
}

void frmMain::buildClientArea()
{
    auto* background = new QWidget(this);
    background->setObjectName(QStringLiteral("frmMainClientArea"));
    QPalette white = background->palette();
    white.setColor(QPalette::Window, Qt::white);
    background->setPalette(white);
    background->setAutoFillBackground(true);
    background->setMouseTracking(true);
    setCentralWidget(background);

    m_autoFilterLabel = new AutoFilterLabel(*background);
    connect(m_autoFilterLabel, &AutoFilterLabel::clicked, this, [this] {
        if (m_findAction->isEnabled())
            m_findAction->trigger();
    });

    m_tableModel = new MessageTableModel(session().table(), this);
    m_tableModel->setChanges(&session().changes());
    m_tableModel->setClock(m_controller->framesClock());
    m_tableView = new MessageTableView(background);
    m_tableView->setModel(m_tableModel);
    m_notes = new MessageNotesControls(*m_controller, *m_tableView, m_messageBox,
                                       QCoreApplication::applicationDirPath().toStdString(), this);
    connect(m_tableView, &MessageTableView::tableDoubleClicked, m_notes, &MessageNotesControls::open);
    m_tablePlacement = new TablePlacement(*this, *m_tableView);

    m_ignoreLists = new IgnoreListControls(*background, session(), this);
}

QMenu* frmMain::addMenu(const char* name, const QString& caption)
{
    QMenu* menu = menuBar()->addMenu(caption);
    menu->setObjectName(QString::fromLatin1(name));
    menu->menuAction()->setObjectName(QString::fromLatin1(name));
    return menu;
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
    menuBar()->setObjectName(QStringLiteral("frmMainMenuBar"));
    buildFileMenu();

    m_viewMenu = addMenu("MnuView", QStringLiteral("View"));
    connect(addAction(m_viewMenu, "mnuTglIgnoreList", QStringLiteral("Toggle Ignore List")), &QAction::triggered,
            m_ignoreLists, &IgnoreListControls::toggle);

    m_finderMenu = addMenu("MnuFinder", QStringLiteral("Finder/Filter"));
    m_findAction = addAction(m_finderMenu, "MnuToolsFind", QStringLiteral("Find ID/FilterTool"));
    m_findAction->setShortcut(QKeySequence(Qt::CTRL | Qt::Key_F));
    connect(m_findAction, &QAction::triggered, this, &frmMain::showFind);

    buildToolsMenu();
    m_emulator = new EmulatorControls(*addMenu("MnuEmulator", QStringLiteral("Emulator")), *m_controller, this);
    connect(addAction(nullptr, "MnuArduinoSketch", QStringLiteral("Arduino Sketch")), &QAction::triggered, this,
            &frmMain::showSketch);
    connect(addAction(nullptr, "About", QStringLiteral("&About")), &QAction::triggered, this, &frmMain::showAbout);
}

void frmMain::buildFileMenu()
{
    m_fileMenu = addMenu("MnuFile", QStringLiteral("&File"));
    connect(addAction(m_fileMenu, "MnuFileDumData", QStringLiteral("Dump Data to CSV")), &QAction::triggered, this,
            &frmMain::dumpData);
    m_fileMenu->addSeparator()->setObjectName(QStringLiteral("Sep1"));
    connect(addAction(m_fileMenu, "MnuFileExit", QStringLiteral("&Exit")), &QAction::triggered, this, &frmMain::close);
    auto* replayToolBar = new ReplayToolBar(this);
    addToolBar(replayToolBar);
    m_openLog = new OpenLogControls(
        *m_fileMenu, *this, *m_controller, m_messageBox, [this]() -> FileChooser& { return *m_fileChooser; },
        *replayToolBar);
}

void frmMain::buildToolsMenu()
{
    m_toolsMenu = addMenu("Tools", QStringLiteral("&Tools"));
    connect(addAction(m_toolsMenu, "mnuToolsCommConnect", QStringLiteral("Connect To COM")), &QAction::triggered,
            m_controller, &CaptureController::connectToCom);
    connect(addAction(m_toolsMenu, "MnuToolsComSettings", QStringLiteral("Com Settings")), &QAction::triggered, this,
            &frmMain::showComSettings);
    connect(addAction(m_toolsMenu, "MnuToolsOptions", QStringLiteral("Options")), &QAction::triggered, this,
            &frmMain::showOptions);
    m_toolsMenu->addSeparator()->setObjectName(QStringLiteral("sep2"));
    connect(addAction(m_toolsMenu, "MnuToolsClearIDIngoreList", QStringLiteral("Clear ID Ignore List")),
            &QAction::triggered, m_ignoreLists, &IgnoreListControls::clearIdList);
    connect(addAction(m_toolsMenu, "MnuToolsClearIgnore", QStringLiteral("Clear Message  Ignore List")),
            &QAction::triggered, m_ignoreLists, &IgnoreListControls::clearMessageList);
    connect(addAction(m_toolsMenu, "MnuToolsClear", QStringLiteral("&Clear All Data in the List")), &QAction::triggered,
            m_controller, &CaptureController::clearData);
}

void frmMain::buildControls()
{
    const auto chooser = [this]() -> FileChooser& { return *m_fileChooser; };
    statusBar()->setObjectName(QStringLiteral("statusBar"));
    new StatusBarControls(*statusBar(), *m_controller, this);
    new LoggingControls(
        *m_fileMenu, *statusBar(), *m_controller,
        [this] {
            return m_fileChooser->fileToSave(this, QStringLiteral("Start Logging"),
                                             QStringLiteral("candump logs (*.log);;All files (*)"));
        },
        this);
    new DbcControls(*m_fileMenu, *statusBar(), m_controller->dbc(), *m_tableModel, m_messageBox, chooser, *this);
    new ConnectionControls(
        *m_toolsMenu, *m_controller,
        [this](const SourceAddress& last) { return ConnectionControls::askWithDialog(this, last); }, this);
    new ChangeViewDocks(
        *this, *m_viewMenu, *m_controller,
        ChangeViewDocks::Table { *m_tableView, *m_tableModel, [this](int position) { selectRow(position); } },
        m_messageBox, chooser);
    new SessionControls(*this, *m_fileMenu, m_messageBox, chooser);
    new RowsPerBusControls(*m_viewMenu, *m_fileMenu, *m_controller, *m_tableView, m_messageBox, chooser, *this);
}

void frmMain::showAutoFilterThreshold()
{
    m_autoFilterLabel->showThreshold(QString::fromStdString(session().txtAutoFilter().text()));
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
    m_notes->open();
}

void frmMain::setNotesFolder(std::filesystem::path folder)
{
    m_notes->setFolder(std::move(folder));
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
    m_notes->closeWindow();
    delete m_comSettings;
    delete m_find;
    delete m_options;
    delete m_about;
    delete m_sketch;
    m_emulator->closeWindow();
}

void frmMain::resizeEvent(QResizeEvent* event)
{
    QMainWindow::resizeEvent(event);
    m_tablePlacement->place();
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
