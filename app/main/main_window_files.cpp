// SPDX-License-Identifier: GPL-3.0-or-later
// The main window's file commands: settings files and data files.
#include <QAction>
#include <QDir>
#include <QFileInfo>
#include <array>
#include <cerrno>

#include "core/capture_parameters.h"
#include "core/data_files.h"
#include "dialogs/parameters_window.h"
#include "main/main_window.h"
#include "main/parameter_panel.h"
#include "timing/timing_view.h"
#include "timing/view_model.h"

namespace kv::app {

QString MainWindow::startupPath(const QString &name) const {
    return QDir(QString::fromStdString(m_state.startupDirectory)).filePath(name);
}

WindowMarks MainWindow::collectMarks() const {
    WindowMarks w;
    const QRect g = geometry();
    w.mainLeft = static_cast<float>(g.x() * 15);
    w.mainTop = static_cast<float>(g.y() * 15);
    w.mainWidth = static_cast<float>(g.width() * 15);
    w.mainHeight = static_cast<float>(g.height() * 15);
    w.form2Left = static_cast<float>(m_form2->x() * 15);
    w.form2Top = static_cast<float>(m_form2->y() * 15);
    w.statusBar = action("mnuViewStatusBar")->isChecked();
    w.time = m_state.displayTime;
    w.sample = m_state.displaySamples;
    w.frequency = m_state.displayFrequency;
    w.internal = action("mnuInternal(0)")->isChecked();
    w.rising = action("mnurising(0)")->isChecked();
    w.falling = action("mnurising(1)")->isChecked();
    w.persistence = m_state.persistence;
    w.stateView = m_state.stateListing;
    for (int v = 0; v < 4; ++v)
        w.viewOpen[v] = m_state.views[static_cast<size_t>(v)].open;
    w.rateListIndex = std::max(rateListIndexOf(m_state.settings.rateCode), 0);
    w.memoryBarValue = m_state.settings.memoryDepthIndex;
    return w;
}

void MainWindow::applyMarks(const WindowMarks &w) {
    setWindowState(Qt::WindowNoState);
    setGeometry(static_cast<int>(w.mainLeft / 15), static_cast<int>(w.mainTop / 15),
                std::max(static_cast<int>(w.mainWidth / 15), 400),
                std::max(static_cast<int>(w.mainHeight / 15), 300));
    m_form2->move(static_cast<int>(w.form2Left / 15), static_cast<int>(w.form2Top / 15));
    action("mnuViewStatusBar")->setChecked(w.statusBar);
    m_state.displayTime = w.time;
    m_state.displaySamples = w.sample;
    m_state.displayFrequency = w.frequency;
    action("displaytime")->setChecked(w.time);
    action("displaysample")->setChecked(w.sample);
    action("displayFrequency")->setChecked(w.frequency);
    action("mnuInternal(0)")->setChecked(w.internal);
    action("mnuInternal(1)")->setChecked(!w.internal);
    action("mnurising(0)")->setChecked(w.rising);
    action("mnurising(1)")->setChecked(w.falling);
    action("data2timing")->setChecked(m_state.data2timing);
    action("data2timingbyauto")->setChecked(m_state.data2timingbyauto);
    action("timingpersistence")->setChecked(w.persistence);
    m_state.persistence = w.persistence;
    action("munsTATEview")->setChecked(w.stateView);
    m_state.stateListing = w.stateView;
    action("mnuAutoSaveSetting")->setChecked(m_state.autoSaveSetting == 1);
    // Record 15 selects the rate, record 16 the memory size, then the depth is applied.
    m_state.settings.rateCode = rateListCode(w.rateListIndex);
    m_state.settings.memoryDepthIndex = static_cast<uint8_t>(w.memoryBarValue);
    m_panel->showSettings();
    m_panel->selectRate(w.rateListIndex);
    applyMemoryDepth(m_state);
    for (int v = 0; v < 4 && v <= m_state.highestViewIndex; ++v) {
        if (m_state.views[static_cast<size_t>(v)].open != w.viewOpen[v]) toggleView(v);
    }
    for (int v = 0; v <= m_state.highestViewIndex; ++v) {
        ViewState &view = m_state.views[static_cast<size_t>(v)];
        applyZoomStep(m_state, v, view.zoomIndex);
        view.pixelsPerSample = pixelsPerSampleOf(view.zoomIndex);
        view.column4 = std::max(view.column4, 3);
        view.column5 = std::max(view.column5, 3);
    }
    for (TimingView *v : m_views)
        v->applyState();
    applyCaptions(false, true);
    updateDistances();
    redrawAllViews();
}

platform::WriteOutcome MainWindow::writeSettings(const QString &path) {
    return writeSettingsFile(path.toStdString(), m_state, collectMarks());
}

bool MainWindow::saveSettings(const QString &path) {
    const platform::WriteOutcome outcome = writeSettings(path);
    if (outcome.ok()) {
        // The user chose to replace a start-up file that was refused: it is ours again.
        if (QFileInfo(path) == QFileInfo(startupPath("KV6830.ini")))
            m_keptSettingsAlternative.clear();
        return true;
    }
    m_questions->tell("Save Setting", "The settings file " + path + " " +
                                          QString::fromStdString(outcome.describe()) + ".");
    return false;
}

MainWindow::SettingsLoad MainWindow::loadSettings(const QString &path, bool defaultName,
                                                  const QString &note) {
    WindowMarks marks = collectMarks();
    bool existed = false;
    const SettingsReadResult r =
        loadSettingsFile(path.toStdString(), defaultName, m_state, marks, &existed);
    if (!existed) return SettingsLoad::Missing;
    const QString why = QString::fromStdString(r.message);
    switch (r.outcome) {
        case SettingsReadResult::Outcome::OtherModel:
            m_questions->tell("KV-6830", why + note);
            return SettingsLoad::Refused;
        case SettingsReadResult::Outcome::Error:
            m_questions->tell("Load Setting",
                              QString("The settings file %1 could not be read (line %2: %3). "
                                      "Nothing was changed.")
                                      .arg(path)
                                      .arg(r.line)
                                      .arg(why) +
                                  note);
            return SettingsLoad::Refused;
        case SettingsReadResult::Outcome::Unreadable:
            m_questions->tell("Load Setting", "The settings file " + path + " " + why +
                                                  ". Nothing was changed." + note);
            return SettingsLoad::Refused;
        case SettingsReadResult::Outcome::HeaderOnly:
            action("mnuAutoSaveSetting")->setChecked(false);
            return SettingsLoad::HeaderOnly;
        case SettingsReadResult::Outcome::Loaded:
            applyMarks(marks);
            refreshSetupWindows();
            return SettingsLoad::Taken;
    }
    return SettingsLoad::Missing;
}

QString MainWindow::chooseSaveName(const QString &title, const QString &filter,
                                   const std::string &extension) {
    const QString typed = m_questions->fileName(true, title, startupPath(""), filter, "");
    if (typed.isEmpty()) return {};
    const QString name = QString::fromStdString(withExtension(typed.toStdString(), extension));
    // The dialog asked about the name as typed; the name with its extension is asked here.
    const QFileInfo file(name);
    if (name != typed && (file.exists() || file.isSymLink()) &&
        !m_questions->confirmReplace(title, name)) {
        return {};
    }
    return name;
}

QString MainWindow::chooseOpenName(const QString &title, const QString &filter,
                                   const std::string &extension) {
    const QString typed = m_questions->fileName(false, title, startupPath(""), filter, "");
    if (typed.isEmpty() || QFileInfo::exists(typed)) return typed;
    const QString name = QString::fromStdString(withExtension(typed.toStdString(), extension));
    return QFileInfo::exists(name) ? name : typed;
}

void MainWindow::buildFileCommands() {
    for (int k = 0; k < 3; ++k) {
        QAction *a = action(QString("mnuLoaddata(%1)").arg(k));
        a->setEnabled(true);
        a->setCheckable(true);
        a->setChecked(true);
    }
    const auto enable = [this](const char *name, auto slot) {
        QAction *a = action(name);
        a->setEnabled(true);
        connect(a, &QAction::triggered, this, slot);
    };
    enable("mnuFileOpen", [this] { openDataFile(); });
    enable("mnuFileSaveAs", [this] { saveDataAs(); });
    enable("mnuFileSave", [this] {
        // Only a name chosen for data is written: never a settings or text file's.
        if (m_state.currentDataFile.empty()) {
            saveDataAs();
            return;
        }
        const QString name = QString::fromStdString(m_state.currentDataFile);
        if (saveDataPair(name)) rememberDataFile(name);
    });
    for (int i = 0; i < 3; ++i) {
        QAction *a = action(QString("menutime(%1)").arg(i));
        a->setEnabled(true);
        a->setCheckable(true);
        connect(a, &QAction::triggered, this, [this, i] { numberedItem(i); });
    }
    enable("mnuSaveTxtCh", [this] { saveTextTable(); });
    enable("mnuLoadSetting", [this] {
        const QString name = chooseOpenName("Load Setting", "Cfg File (*.ini)", "ini");
        if (name.isEmpty()) return;
        m_state.currentFileName = name.toStdString();
        loadSettings(name, false);
    });
    enable("mnuLoaddefaultSetting", [this] {
        QString name = m_questions->fileName(false, "Load Setting", startupPath(""),
                                             "Cfg File (*.INI)", "Default");
        if (name.isEmpty()) name = startupPath("Default");  // a cancelled dialog gives "Default"
        loadSettings(name, false);
    });
    enable("mnuSaveSetting", [this] {
        const QString name = chooseSaveName("Save Setting As", "Cfg File (*.ini)", "ini");
        if (name.isEmpty()) return;
        m_state.currentFileName = name.toStdString();
        saveSettings(name);
    });
    QAction *autoSave = action("mnuAutoSaveSetting");
    autoSave->setEnabled(true);
    autoSave->setCheckable(true);
    connect(autoSave, &QAction::toggled, this,
            [this](bool on) { m_state.autoSaveSetting = on ? 1 : 0; });
}

void MainWindow::openDataFile() {
    const QString name = chooseOpenName("Open", "Osv Files (*.Osv)", "osv");
    if (name.isEmpty()) return;
    if (openDataFileNamed(name)) rememberDataFile(name);
}

bool MainWindow::openDataFileNamed(const QString &name) {
    const std::string companion = companionName(name.toStdString());
    const bool paired = companion != name.toStdString();
    // The file must fit the memory depth in effect once its settings file is loaded;
    // otherwise nothing changes, not even the settings.
    const int depth = (paired ? settingsFileDepth(companion) : std::nullopt)
                          .value_or(m_state.settings.memoryDepthIndex);
    if (const auto problem = dataFileProblem(name.toStdString(), dataRecordLength(depth))) {
        m_questions->tell("Open", QString::fromStdString(*problem));
        return false;
    }
    m_state.currentFileName = name.toStdString();
    m_state.currentDataFile = name.toStdString();
    // The file holds data set 0 of its save; the companion's first "Adjaddr" is that data
    // set's trigger offset and goes with the samples. The other data sets keep the offsets
    // of what they hold.
    const auto offsets = m_state.dataSetRecords;
    const bool taken =
        paired && loadSettings(QString::fromStdString(companion), false) == SettingsLoad::Taken;
    const int32_t fileOffset = m_state.dataSetRecords[0][0];
    const int set = m_state.views[static_cast<size_t>(m_state.currentView)].dataSet;
    for (size_t k = 0; k < offsets.size(); ++k)
        m_state.dataSetRecords[k][0] = offsets[k][0];
    if (taken) m_state.dataSetRecords[static_cast<size_t>(set)][0] = fileOffset;
    return loadDataFile(name);
}

void MainWindow::saveDataAs() {
    const QString name = chooseSaveName("Save Data As", "Osv File (*.Osv)", "osv");
    if (name.isEmpty()) return;
    const QString companion = QString::fromStdString(companionName(name.toStdString()));
    if (companion == name) {
        m_questions->tell("Save Data As", "The data file " + name +
                                              " would be its own settings file; choose a name "
                                              "that does not end in cfg.");
        return;
    }
    // Replacing a data file replaces its settings file too; a settings file beside a new
    // data file may be anyone's.
    const QFileInfo dataInfo(name), settings(companion);
    if (!dataInfo.exists() && (settings.exists() || settings.isSymLink()) &&
        !m_questions->confirmReplace("Save Data As", companion)) {
        return;
    }
    m_state.currentFileName = name.toStdString();
    if (!saveDataPair(name)) return;
    m_state.currentDataFile = name.toStdString();
    rememberDataFile(name);
}

bool MainWindow::saveDataPair(const QString &path) {
    const std::string companion = companionName(path.toStdString());
    // Neither file is written when either would be refused.
    for (const std::string &file : {companion, path.toStdString()}) {
        const platform::WriteOutcome refused = platform::refusalOf(file);
        if (refused.ok()) continue;
        m_questions->tell("Save Data", QString::fromStdString(file + " " + refused.describe()) +
                                           ". Nothing was saved.");
        return false;
    }
    if (!saveSettings(QString::fromStdString(companion))) return false;
    const platform::WriteOutcome outcome = writeDataFile(path);
    if (outcome.ok()) return true;
    m_questions->tell("Save Data", "The data file " + path + " " +
                                       QString::fromStdString(outcome.describe()) + ".");
    return false;
}

bool MainWindow::loadDataFile(const QString &path) {
    auto load = m_render.loadData();
    if (!load) return false;
    const int set = m_state.views[static_cast<size_t>(m_state.currentView)].dataSet;
    std::array<bool, 3> which{};
    std::array<uint8_t *, 3> planes{};
    for (int k = 0; k < 3; ++k) {
        which[static_cast<size_t>(k)] = action(QString("mnuLoaddata(%1)").arg(k))->isChecked();
        planes[static_cast<size_t>(k)] = m_state.capture.plane(set, k);
    }
    const QByteArray file = path.toLocal8Bit();
    if (!loadDataRecords(file.toStdString(), m_state.lastStart, which, planes, load)) {
        m_questions->tell("Open", "The data file " + path + " could not be read.");
        return false;
    }
    redrawAllViews();
    return true;
}

platform::WriteOutcome MainWindow::writeDataFile(const QString &path) {
    auto save = m_render.saveData();
    if (!save) return platform::outcomeOfCode(-1, ENOENT);
    const QByteArray file = path.toLocal8Bit();
    const int32_t code = save(m_state.capture.plane(0, 0), m_state.lastStart, file.constData());
    return platform::outcomeOfCode(code, errno);
}

void MainWindow::numberedItem(int i) {
    QAction *clicked = action(QString("menutime(%1)").arg(i));
    // The click has toggled the mark: a checked item is cleared, an unchecked one is
    // checked alone.
    const bool nowChecked = clicked->isChecked();
    for (int k = 0; k < 3; ++k)
        action(QString("menutime(%1)").arg(k))->setChecked(false);
    clicked->setChecked(nowChecked);
    m_state.saveCounter = 0;
    static const int limits[3] = {10, 100, 1000};
    m_state.saveLimit = 0;
    for (int k = 0; k < 3; ++k) {
        if (action(QString("menutime(%1)").arg(k))->isChecked()) m_state.saveLimit = limits[k];
    }
    m_state.numberedSaveChecked = m_state.saveLimit != 0;
}

bool MainWindow::numberedSave(const std::string &settings, const std::string &dataFile) {
    const QDir dir(QDir::currentPath());
    const QString settingsPath = dir.filePath(QString::fromStdString(settings));
    const QString dataPath = dir.filePath(QString::fromStdString(dataFile));
    platform::WriteOutcome outcome = writeSettings(settingsPath);
    QString failed = settingsPath;
    if (outcome.ok()) {
        outcome = writeDataFile(dataPath);
        failed = dataPath;
    }
    if (!outcome.ok()) {
        // One message; the run stops and the series stays checked, unfinished, so the next
        // run carries on from this number.
        m_state.stopRequest = 1;
        m_questions->tell("Save Data",
                          QString("The numbered save stopped: %1 %2. %3 of %4 files were "
                                  "saved; the series is unfinished and the next run goes on "
                                  "with it.")
                              .arg(failed, QString::fromStdString(outcome.describe()))
                              .arg(m_state.saveCounter)
                              .arg(m_state.saveLimit));
        return false;
    }
    if (m_state.saveCounter + 1 >= m_state.saveLimit) {
        for (int k = 0; k < 3; ++k)
            action(QString("menutime(%1)").arg(k))->setChecked(false);
    }
    return true;
}

void MainWindow::saveTextTable() {
    const QString name = chooseSaveName("Save Ch Data(text format) As", "txt File (*.txt)", "txt");
    if (name.isEmpty()) return;
    m_state.currentFileName = name.toStdString();
    const int set = m_state.views[static_cast<size_t>(m_state.currentView)].dataSet;
    const std::string table =
        textTable(m_state.capture.plane(set, 0), m_state.capture.plane(set, 1),
                  m_state.capture.plane(set, 2), m_state.recordLength,
                  m_state.dataSetRecords[static_cast<size_t>(set)][0], m_state.recordLength);
    const platform::WriteOutcome outcome =
        platform::replaceFile(name.toStdString(), {{table.data(), table.size()}});
    if (!outcome.ok()) {
        m_questions->tell(
            "Save Ch Data(text format) As",
            "The text file " + name + " " + QString::fromStdString(outcome.describe()) + ".");
    }
}

}  // namespace kv::app
