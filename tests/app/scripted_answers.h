// SPDX-License-Identifier: GPL-3.0-or-later
// The start-up questions, message boxes and file dialogs of the main window answered
// from a script, as a test user answers them.
#pragma once

#include <QStringList>

#include "main/main_window.h"

namespace kvtest {

class ScriptedAnswers : public kv::app::StartupQuestions {
  public:
    QStringList files;         // answers to file dialogs, in order; none left is Cancel
    QStringList told;          // messages shown
    QStringList opened;        // documents handed to the desktop
    bool enoughMemory = true;  // answer to the view count question

    bool viewCount(const kv::app::MemoryCheck &) override { return enoughMemory; }
    Detection detection(const QString &, bool found) override {
        return found ? Detection::Ok : Detection::Cancel;
    }
    QString fileName(bool, const QString &, const QString &, const QString &,
                     const QString &) override {
        return files.isEmpty() ? QString() : files.takeFirst();
    }
    void tell(const QString &, const QString &text) override { told << text; }
    void openDocument(const QString &path) override { opened << path; }
};

}  // namespace kvtest
