#include "dialogs/frmOptions.h"

#include "capture/record/DecimalText.h"
#include "capture/record/TextSetting.h"
#include "platform/Timer.h"
#include "platform/Twips.h"
#include "platform/UserMessageBox.h"

#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>

#include <limits>

namespace vexmoor {

namespace {

QString textOf(const TextSetting& setting)
{
    return QString::fromStdString(setting.text());
}

} // namespace

frmOptions::frmOptions(Settings settings, UserMessageBox& messageBox, QWidget* parent)
    : QWidget(parent, Qt::Window)
    , m_settings(std::move(settings))
    , m_messageBox(messageBox)
{
    setObjectName(QStringLiteral("frmOptions"));
    setWindowTitle(QStringLiteral("Options"));
    setAttribute(Qt::WA_DeleteOnClose);
    const double dpi = Twips::logicalDpiOf(*this);
    auto twips
        = [dpi](int left, int top, int width, int height) { return Twips::toPixels(left, top, width, height, dpi); };

    QLineEdit* pollBox = addFrame("Frame1", QStringLiteral("COM Port Read Interval "), twips(120, 120, 5655, 1215),
                                  "Text1", twips(120, 240, 3615, 285), "Command1", twips(3960, 240, 1575, 375),
                                  "Label1", twips(120, 720, 5175, 375),
                                  QStringLiteral("The Lower the value the faster it reads sacrificing accuracy."));
    QLineEdit* purgeBox = addFrame(
        "Frame2", QStringLiteral("Screen Cleanup Interval"), twips(120, 1440, 5655, 1335), "Text2",
        twips(120, 360, 3615, 285), "Command2", twips(3960, 360, 1575, 375), "Label2", twips(120, 840, 5295, 375),
        QStringLiteral("How often the screen gets rid of CAN-IDs with a zero count, and Inaccurate information."));
    QLineEdit* resetBox = addFrame("Frame3", QStringLiteral("Reset \"Data Changed\" Interval"),
                                   twips(120, 2880, 5655, 1335), "Text3", twips(120, 360, 3615, 285), "Command3",
                                   twips(3960, 360, 1575, 375), "Label3", twips(120, 840, 4575, 375),
                                   QStringLiteral("The time it takes to reset all \"Data Changed\" Notifications"));
    QLineEdit* autoFilterBox = addFrame(
        "Frame4", QStringLiteral("Auto filter"), twips(120, 4320, 5655, 1695), "Text4", twips(120, 960, 3615, 285),
        "Command5", twips(3960, 960, 1575, 375), "Label5", twips(120, 240, 5055, 615),
        QStringLiteral("Automatically drop CAN-IDs from the list when it reached a change count of the below value "
                       "(Will be removed on next screen cleanup)"));
    QLineEdit* minimumBox = addFrame("Frame5", QStringLiteral("Minimum ID"), twips(120, 6240, 5655, 1335), "Text5",
                                     twips(120, 720, 3615, 285), "Command6", twips(3960, 720, 1575, 375), "Label6",
                                     twips(120, 240, 5055, 615),
                                     QStringLiteral("Only show message IDs greater than the the specified value"));

    auto* note = new QLabel(QStringLiteral("1000 units = 1 Second"), this);
    note->setObjectName(QStringLiteral("Label4"));
    note->setGeometry(twips(120, 7680, 5655, 375));
    auto* closeButton = new QPushButton(QStringLiteral("Close"), this);
    closeButton->setObjectName(QStringLiteral("Command4"));
    closeButton->setGeometry(twips(4200, 7680, 1575, 495));
    resize(Twips::toPixels(5850, dpi), Twips::toPixels(8265, dpi));

    pollBox->setText(QString::number(m_settings.pollTimer.interval()));
    purgeBox->setText(QString::number(m_settings.purgeTimer.interval()));
    resetBox->setText(QString::number(m_settings.resetTimer.interval()));
    autoFilterBox->setText(textOf(m_settings.autoFilter));
    minimumBox->setText(textOf(m_settings.minimumId));

    auto button = [this](const char* name) { return findChild<QPushButton*>(QString::fromLatin1(name)); };
    connect(button("Command1"), &QPushButton::clicked, this,
            [this, pollBox] { setInterval(m_settings.pollTimer, *pollBox); });
    connect(button("Command2"), &QPushButton::clicked, this,
            [this, purgeBox] { setInterval(m_settings.purgeTimer, *purgeBox); });
    connect(button("Command3"), &QPushButton::clicked, this,
            [this, resetBox] { setInterval(m_settings.resetTimer, *resetBox); });
    connect(button("Command5"), &QPushButton::clicked, this, [this, autoFilterBox] {
        m_settings.autoFilter.setText(autoFilterBox->text().toStdString());
        if (m_settings.autoFilterChanged)
            m_settings.autoFilterChanged();
    });
    connect(button("Command6"), &QPushButton::clicked, this,
            [this, minimumBox] { m_settings.minimumId.setText(minimumBox->text().toStdString()); });
    connect(closeButton, &QPushButton::clicked, this, &frmOptions::close);
}

QLineEdit* frmOptions::addFrame(const char* frameName, const QString& caption, QRect frameRect, const char* boxName,
                                QRect boxRect, const char* buttonName, QRect buttonRect, const char* labelName,
                                QRect labelRect, const QString& explanation)
{
    auto* frame = new QGroupBox(caption, this);
    frame->setObjectName(QString::fromLatin1(frameName));
    frame->setGeometry(frameRect);
    auto* box = new QLineEdit(frame);
    box->setObjectName(QString::fromLatin1(boxName));
    box->setGeometry(boxRect);
    auto* button = new QPushButton(QStringLiteral("SET"), frame);
    button->setObjectName(QString::fromLatin1(buttonName));
    button->setGeometry(buttonRect);
    auto* label = new QLabel(explanation, frame);
    label->setObjectName(QString::fromLatin1(labelName));
    label->setGeometry(labelRect);
    label->setWordWrap(true);
    return box;
}

void frmOptions::setInterval(Timer& timer, const QLineEdit& box)
{
    const auto interval = decimal::readWholeNumberSetting(box.text().toStdString(), 0, std::numeric_limits<int>::max());
    if (interval.status != decimal::WholeNumberSetting::Status::Valid) {
        m_messageBox.show(QStringLiteral("'%1' is not a valid interval in milliseconds: give a whole number from 0 "
                                         "to 2147483647 (1000 units = 1 second).")
                              .arg(box.text()),
                          windowTitle(), UserMessageBox::Icon::Error);
        return;
    }
    timer.setInterval(static_cast<int>(interval.value));
}

} // namespace vexmoor
