#pragma once

#include <QWidget>

#include <functional>

class QLineEdit;

namespace vexmoor {

class TextSetting;
class Timer;
class UserMessageBox;

// "Options": the poll, purge and reset intervals, the auto-filter threshold and the minimum
// identifier, each applied at once by its own SET button. The boxes are filled when the window opens.
class frmOptions final : public QWidget {
    Q_OBJECT

public:
    struct Settings {
        Timer& pollTimer;
        Timer& purgeTimer;
        Timer& resetTimer;
        TextSetting& autoFilter;
        TextSetting& minimumId;
        std::function<void()> autoFilterChanged; // the status line reads the threshold again
    };

    frmOptions(Settings settings, UserMessageBox& messageBox, QWidget* parent = nullptr);
    Q_DISABLE_COPY_MOVE(frmOptions)

private:
    QLineEdit* addFrame(const char* frameName, const QString& caption, QRect frameRect, const char* boxName,
                        QRect boxRect, const char* buttonName, QRect buttonRect, const char* labelName, QRect labelRect,
                        const QString& explanation);
    void setInterval(Timer& timer, const QLineEdit& box);

    Settings m_settings;
    UserMessageBox& m_messageBox;
};

} // namespace vexmoor
