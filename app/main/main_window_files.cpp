// The main window's file commands: settings files and data files.
#include <QAction>
#include <QDir>
#include <cstdio>

#include "dialogs/parameters_window.h"
#include "main/capture_parameters.h"
#include "main/data_files.h"
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

bool MainWindow::saveSettings(const QString &path, bool atExit) {
    const std::string error = saveSettingsFile(path.toStdString(), m_state, collectMarks());
    if (error.empty()) return true;
    const QString text = "The settings could not be written to " + path + ": " +
                         QString::fromStdString(error) + ". The previous file is unchanged.";
    if (atExit)
        std::fprintf(stderr, "kv6830: %s\n", text.toLocal8Bit().constData());
    else
        m_questions->tell("Save Setting", text);
    return false;
}

bool MainWindow::loadSettings(const QString &path, bool defaultName) {
    WindowMarks marks = collectMarks();
    bool existed = false;
    const SettingsReadResult r =
        loadSettingsFile(path.toStdString(), defaultName, m_state, marks, &existed);
    if (!existed) return false;
    switch (r.outcome) {
        case SettingsReadResult::Outcome::OtherModel:
            m_questions->tell("KV-6830", QString::fromStdString(r.message));
            return false;
        case SettingsReadResult::Outcome::Error:
            m_questions->tell("Load Setting",
                              QString("The settings file %1 could not be read (line %2: %3). "
                                      "Nothing was changed.")
                                  .arg(path)
                                  .arg(r.line)
                                  .arg(QString::fromStdString(r.message)));
            return false;
        case SettingsReadResult::Outcome::HeaderOnly:
            action("mnuAutoSaveSetting")->setChecked(false);
            return false;
        case SettingsReadResult::Outcome::Loaded:
            applyMarks(marks);
            return true;
    }
    return false;
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
    enable("mnuFileOpen", [this] {
        const QString name =
            m_questions->fileName(false, "Open", startupPath(""), "Osv Files (*.Osv)", "");
        if (name.isEmpty()) return;
        m_state.currentFileName = name.toStdString();
        loadSettings(QString::fromStdString(companionName(name.toStdString())), false);
        loadDataFile(name);
    });
    enable("mnuFileSaveAs", [this] {
        const QString name =
            m_questions->fileName(true, "Save Data As", startupPath(""), "Osv File (*.Osv)", "");
        if (name.isEmpty()) return;
        m_state.currentFileName = name.toStdString();
        if (saveSettings(QString::fromStdString(companionName(name.toStdString())))) {
            saveDataFile(name);
        }
    });
    enable("mnuFileSave", [this] {
        if (m_state.currentFileName.empty()) {
            action("mnuFileSaveAs")->trigger();
            return;
        }
        const QString name = QString::fromStdString(m_state.currentFileName);
        if (saveSettings(QString::fromStdString(companionName(m_state.currentFileName)))) {
            saveDataFile(name);
        }
    });
    for (int i = 0; i < 3; ++i) {
        QAction *a = action(QString("menutime(%1)").arg(i));
        a->setEnabled(true);
        a->setCheckable(true);
        connect(a, &QAction::triggered, this, [this, i] { numberedItem(i); });
    }
    enable("mnuSaveTxtCh", [this] { saveTextTable(); });
    enable("mnuLoadSetting", [this] {
        const QString name =
            m_questions->fileName(false, "Load Setting", startupPath(""), "Cfg File (*.ini)", "");
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
        const QString name =
            m_questions->fileName(true, "Save Setting As", startupPath(""), "Cfg File (*.ini)", "");
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

void MainWindow::loadDataFile(const QString &path) {
    auto load = m_render.loadData();
    if (!load) return;
    const int set = m_state.views[static_cast<size_t>(m_state.currentView)].dataSet;
    const QByteArray file = path.toLocal8Bit();
    for (int k = 0; k < 3; ++k) {
        if (!action(QString("mnuLoaddata(%1)").arg(k))->isChecked()) continue;
        if (load(m_state.capture.plane(set, k), m_state.lastStart, file.constData(), k) != 0) {
            m_questions->tell("Open", "The data file " + path + " could not be read.");
            break;
        }
    }
    redrawAllViews();
}

bool MainWindow::saveDataFile(const QString &path) {
    auto save = m_render.saveData();
    if (!save) return false;
    const QByteArray file = path.toLocal8Bit();
    if (save(m_state.capture.plane(0, 0), m_state.lastStart, file.constData()) != 0) {
        m_questions->tell("Save Data", "The data file " + path +
                                           " could not be written. Any previous file of that "
                                           "name is unchanged.");
        return false;
    }
    return true;
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

void MainWindow::numberedSave(const std::string &settings, const std::string &dataFile) {
    const QDir dir(QDir::currentPath());
    saveSettings(dir.filePath(QString::fromStdString(settings)));
    saveDataFile(dir.filePath(QString::fromStdString(dataFile)));
    if (m_state.saveCounter + 1 >= m_state.saveLimit) {
        for (int k = 0; k < 3; ++k)
            action(QString("menutime(%1)").arg(k))->setChecked(false);
    }
}

void MainWindow::saveTextTable() {
    const QString name = m_questions->fileName(true, "Save Ch Data(text format) As",
                                               startupPath(""), "txt File (*.txt)", "");
    if (name.isEmpty()) return;
    m_state.currentFileName = name.toStdString();
    const int set = m_state.views[static_cast<size_t>(m_state.currentView)].dataSet;
    const std::string table =
        textTable(m_state.capture.plane(set, 0), m_state.capture.plane(set, 1),
                  m_state.capture.plane(set, 2), m_state.recordLength,
                  m_state.dataSetRecords[static_cast<size_t>(set)][0], m_state.recordLength);
    const std::string error = writeFileAtomically(name.toStdString(), table);
    if (!error.empty()) {
        m_questions->tell(
            "Save Ch Data(text format) As",
            "The text file " + name + " could not be written: " + QString::fromStdString(error));
    }
}

}  // namespace kv::app
