#include "emulation/frmEmulator.h"

#include "emulation/InteriorEmulatorSlots.h"
#include "platform/CaptionFit.h"
#include "platform/DesignedFont.h"
#include "platform/Timer.h"
#include "platform/Twips.h"

#include <QCheckBox>
#include <QCloseEvent>
#include <QGroupBox>
#include <QLabel>
#include <QPushButton>

namespace vexmoor {

namespace {

template <typename Control> Control* place(Control* control, const char* name, QRect rect)
{
    control->setObjectName(QString::fromLatin1(name));
    control->setGeometry(rect);
    return control;
}

} // namespace

frmEmulator::frmEmulator(InteriorEmulatorSlots& emulatorSlots, Timer& emulatorTimer, QWidget* parent)
    : QWidget(parent, Qt::Window | Qt::MSWindowsFixedSizeDialogHint | Qt::WindowTitleHint | Qt::WindowCloseButtonHint)
    , m_slots(emulatorSlots)
    , m_emulatorTimer(emulatorTimer)
    , m_copyTimer(new Timer(QStringLiteral("Timer1"), 100, true, this))
{
    setObjectName(QStringLiteral("frmEmulator"));
    setWindowTitle(QStringLiteral("CAN-BUS Emulator"));
    setAttribute(Qt::WA_DeleteOnClose);
    buildControls();
    connect(m_copyTimer, &Timer::tick, this, &frmEmulator::copyStates);
    // The emulator runs from the moment the window opens.
    m_emulatorTimer.setEnabled(true);
}

void frmEmulator::buildControls()
{
    const double dpi = Twips::logicalDpiOf(*this);
    auto twips
        = [dpi](int left, int top, int width, int height) { return Twips::toPixels(left, top, width, height, dpi); };

    auto* title = place(new QLabel(QStringLiteral("JEEP JK Rubicon 2010"), this), "Label4", twips(240, 240, 6495, 375));
    title->setFont(DesignedFont::sized(*this, 18, true));
    m_startStopButton = place(new QPushButton(QStringLiteral("STOP Interiour Emulator"), this), "Command3",
                              twips(5160, 120, 2655, 615));
    m_startStopButton->setFont(DesignedFont::sized(*this, 8.25, true));

    auto* buttons = place(new QGroupBox(QStringLiteral("Press && Release Interiour Buttons"), this), "Frame1",
                          twips(120, 840, 7695, 2535));
    auto* stability
        = place(new QPushButton(QStringLiteral("Stability Control"), buttons), "Command1", twips(120, 360, 2055, 375));
    stability->setFont(DesignedFont::sized(*this, 8.25, true));
    m_espLabel = place(new QLabel(QStringLiteral("ESP ON"), buttons), "Label2", twips(2280, 360, 1815, 375));
    m_espLabel->setFont(DesignedFont::sized(*this, 13.5, true));
    m_lockerLabel = place(new QLabel(QStringLiteral("Locker OFF"), buttons), "Label3", twips(2280, 840, 1815, 375));
    m_lockerLabel->setFont(DesignedFont::sized(*this, 13.5, true));
    auto* buttonsNote = place(new QLabel(QStringLiteral("These are representing buttons in the vehicle that are Make "
                                                        "& Brake type buttons"),
                                         buttons),
                              "Label1", twips(120, 2160, 7335, 255));
    buttonsNote->setTextFormat(Qt::PlainText);
    // The locker button belongs to the window and lies over the frame, level with its label.
    auto* locker = place(new QPushButton(QStringLiteral("Diff Locker"), this), "Command2", twips(240, 1680, 2055, 375));
    locker->setFont(DesignedFont::sized(*this, 8.25, true));

    auto* switches = place(new QGroupBox(QStringLiteral("Current State Switch Control"), this), "Frame2",
                           twips(120, 3480, 7695, 2535));
    m_headLightsBox
        = place(new QCheckBox(QStringLiteral("Head Lights ON"), switches), "Check1", twips(120, 360, 4815, 255));
    m_headLightsBox->setFont(DesignedFont::sized(*this, 13.5, true));
    m_headLightsBox->adjustSize();
    auto* switchesNote = place(
        new QLabel(QStringLiteral("These represent switches with a constant state, I.E Switches controlling the "
                                  "head lights"),
                   switches),
        "Label5", twips(120, 2160, 7335, 255));
    auto* closeButton = place(new QPushButton(QStringLiteral("Close && Stop Emulator"), this), "Command4",
                              twips(5880, 6120, 1935, 375));
    setFixedSize(Twips::toPixels(7950, dpi), Twips::toPixels(6615, dpi));
    for (QLabel* note : { buttonsNote, switchesNote })
        CaptionFit::shrinkToFit(*note, note->text(), 0);
    CaptionFit::shrinkToFit(*closeButton, closeButton->text(), 10);

    setTabOrder(stability, locker);
    setTabOrder(locker, m_headLightsBox);
    setTabOrder(m_headLightsBox, closeButton);
    setTabOrder(closeButton, m_startStopButton);
    stability->setFocus();

    connect(stability, &QPushButton::clicked, this, &frmEmulator::pressStabilityControl);
    connect(locker, &QPushButton::clicked, this, &frmEmulator::pressDiffLocker);
    connect(m_headLightsBox, &QCheckBox::clicked, this, &frmEmulator::switchHeadLights);
    connect(m_startStopButton, &QPushButton::clicked, this, &frmEmulator::startOrStop);
    connect(closeButton, &QPushButton::clicked, this, &frmEmulator::close);
}

void frmEmulator::pressStabilityControl()
{
    // The label decides, so the first press after opening only turns "ESP ON" into "ESP OFF".
    if (m_espLabel->text() == QStringLiteral("ESP OFF")) {
        m_espLabel->setText(QStringLiteral("ESP ON"));
        m_espMessage = "<880,1,0,1,>";
    } else {
        m_espLabel->setText(QStringLiteral("ESP OFF"));
        m_espMessage = "<880,1,0,0,>";
    }
}

void frmEmulator::pressDiffLocker()
{
    if (m_lockerLabel->text() == QStringLiteral("Locker OFF")) {
        m_lockerLabel->setText(QStringLiteral("Locker ON"));
        m_lockerMessage = "<881,2,0,1,>";
    } else {
        m_lockerLabel->setText(QStringLiteral("Locker OFF"));
        m_lockerMessage = "<881,2,0,0,>";
    }
}

void frmEmulator::switchHeadLights()
{
    m_headLightsMessage = m_headLightsBox->isChecked() ? "<882,0,0,1,>" : "<882,0,0,0,>";
}

void frmEmulator::startOrStop()
{
    const bool running = m_emulatorTimer.isEnabled();
    m_emulatorTimer.setEnabled(!running);
    m_startStopButton->setText(running ? QStringLiteral("Start Interiour Emulator")
                                       : QStringLiteral("STOP Interiour Emulator"));
}

void frmEmulator::copyStates()
{
    m_slots.txtemuESP = m_espMessage;
    m_slots.txtemuLOCKER = m_lockerMessage;
    m_slots.txtemuHEADLIGHTS = m_headLightsMessage;
}

void frmEmulator::closeEvent(QCloseEvent* event)
{
    // The window is deleted only later; a window opened again before that must be the only one
    // writing the slots.
    m_copyTimer->setEnabled(false);
    m_emulatorTimer.setEnabled(false);
    event->accept();
}

} // namespace vexmoor
