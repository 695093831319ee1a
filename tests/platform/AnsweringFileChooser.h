#pragma once

#include "platform/FileChooser.h"

namespace vexmoor::test {

// Answers every file question with the path set here, and every choice with the next of the answers
// queued here, else with the one set here, else with the first; records what was asked.
class AnsweringFileChooser final : public FileChooser {
public:
    QString fileToOpen(QWidget*, const QString& caption, const QString&) override
    {
        asked.append(caption);
        return openPath;
    }
    QString fileToSave(QWidget*, const QString& caption, const QString&) override
    {
        asked.append(caption);
        return savePath;
    }
    QString choice(QWidget*, const QString& caption, const QString&, const QStringList& choices) override
    {
        asked.append(caption);
        offered = choices;
        offeredEach.append(choices);
        if (!answers.isEmpty())
            return answers.takeFirst();
        return chosen.isEmpty() && !choices.isEmpty() ? choices.first() : chosen;
    }

    QString openPath;
    QString savePath;
    QString chosen;
    QStringList answers;
    QStringList offered;
    QList<QStringList> offeredEach;
    QStringList asked;
};

} // namespace vexmoor::test
