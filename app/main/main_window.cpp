// SPDX-License-Identifier: GPL-3.0-or-later
#include "main/main_window.h"

#include <QAction>
#include <QApplication>
#include <QCloseEvent>
#include <QDesktopServices>
#include <QDir>
#include <QFileDialog>
#include <QFileInfo>
#include <QFormLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QMdiArea>
#include <QMdiSubWindow>
#include <QMenuBar>
#include <QMessageBox>
#include <QProgressBar>
#include <QPushButton>
#include <QStatusBar>
#include <QTimer>
#include <QToolBar>
#include <QUrl>
#include <QVBoxLayout>
#include <cstdio>
#include <tuple>

#include "core/capture_parameters.h"
#include "core/data_files.h"
#include "core/detection.h"
#include "core/trigger_word.h"
#include "dialogs/about_dialog.h"
#include "dialogs/mdi_sdi_dialog.h"
#include "dialogs/parameters_window.h"
#include "dialogs/topmost.h"
#include "main/manual_location.h"
#include "main/parameter_panel.h"
#include "platform/system_info.h"
#include "platform/tick.h"
#include "timing/measurements.h"
#include "timing/timing_view.h"
#include "timing/view_model.h"

namespace kv::app {

bool WindowQuestions::viewCount(const MemoryCheck &check) {
    MdiSdiDialog dialog(m_parent);
    dialog.setTexts(
        QString::fromStdString(check.systemText), QString::fromStdString(check.availableText),
        QString::fromStdString(check.openText), QString::fromStdString(check.checkText));
    dialog.exec();
    return dialog.checked();
}

StartupQuestions::Detection WindowQuestions::detection(const QString &message, bool unitFound) {
    if (unitFound) {
        QMessageBox::information(m_parent, "Reset Hardware", message, QMessageBox::Ok);
        return Detection::Ok;
    }
    const auto answer = QMessageBox::warning(m_parent, "Reset Hardware", message,
                                             QMessageBox::Retry | QMessageBox::Cancel);
    return answer == QMessageBox::Retry ? Detection::Retry : Detection::Cancel;
}

QString WindowQuestions::fileName(bool save, const QString &title, const QString &directory,
                                  const QString &filter, const QString &initialName) {
    const QString start = initialName.isEmpty() ? directory : QDir(directory).filePath(initialName);
    const QString shown = QString::fromStdString(filterForEveryCase(filter.toStdString()));
    return save ? QFileDialog::getSaveFileName(m_parent, title, start, shown)
                : QFileDialog::getOpenFileName(m_parent, title, start, shown);
}

void WindowQuestions::tell(const QString &title, const QString &text) {
    QMessageBox::information(m_parent, title, text);
}

bool WindowQuestions::ask(const QString &title, const QString &text) {
    return QMessageBox::question(m_parent, title, text) == QMessageBox::Yes;
}

bool WindowQuestions::confirmReplace(const QString &title, const QString &path) {
    return QMessageBox::question(
               m_parent, title, path + " already exists.\nDo you want to replace it?",
               QMessageBox::Yes | QMessageBox::No, QMessageBox::No) == QMessageBox::Yes;
}

bool WindowQuestions::leaveAnyway(const QString &text) {
    QMessageBox box(QMessageBox::Warning, "KV-6830", text, QMessageBox::NoButton, m_parent);
    QPushButton *leave = box.addButton("Leave anyway", QMessageBox::DestructiveRole);
    box.setDefaultButton(box.addButton("Stay", QMessageBox::RejectRole));
    box.exec();
    return box.clickedButton() == leave;
}

MainWindow::MainWindow(DeviceApi &device, StartupQuestions *questions, QWidget *parent)
    : QMainWindow(parent), m_device(device), m_render([this](const std::string &why) {
          QMessageBox::critical(this, "KV-6830", QString::fromStdString(why));
      }) {
    setObjectName("MainWindow");
    setWindowTitle("KV-6830");
    if (!questions) {
        m_ownQuestions = std::make_unique<WindowQuestions>(this);
        questions = m_ownQuestions.get();
    }
    m_questions = questions;
    m_mdi = new QMdiArea(this);
    m_mdi->setObjectName("MDIArea");
    // A view taller than the area (the state listing makes them so) is reached by scrolling.
    m_mdi->setVerticalScrollBarPolicy(Qt::ScrollBarAsNeeded);
    m_mdi->setHorizontalScrollBarPolicy(Qt::ScrollBarAsNeeded);
    setCentralWidget(m_mdi);

    RunHooks hooks;
    hooks.setStatus = [this](const std::string &s) {
        const QString text = QString::fromStdString(s);
        if (m_status->text() == text) return;
        m_status->setText(text);
        m_status->setCursorPosition(0);  // a long text shows its beginning
        m_status->setToolTip(text);
    };
    hooks.setCount = [this](const std::string &s) { m_count->setText(QString::fromStdString(s)); };
    hooks.setRunPressed = [this](bool pressed) {
        if (QAction *go = action("go")) go->setChecked(pressed);
    };
    hooks.armTimer3 = [this](int ms) { m_timer3->start(ms); };
    hooks.checkTriggerWord = [this] { m_form2->validateTriggerWord(); };
    hooks.tick = [] { return platform::tickMs(); };
    hooks.setProgress = [this](int percent) {
        if (percent < 0) {
            if (!m_progress->isHidden()) m_progress->hide();
            return;
        }
        if (m_progress->value() != percent) m_progress->setValue(percent);
        if (m_progress->isHidden()) m_progress->show();
    };
    hooks.redrawAllViews = [this] { redrawAllViews(); };
    hooks.autoAssign = [this] { autoAssign(m_state); };
    hooks.numberedSave = [this](const std::string &settings, const std::string &dataFile) {
        return numberedSave(settings, dataFile);
    };
    hooks.unitLost = [this](const std::string &text) {
        m_unitLost = true;
        m_questions->tell("KV-6830", QString::fromStdString(text));
    };
    m_run = std::make_unique<CaptureRun>(m_state, m_device, std::move(hooks));

    buildMenus();
    buildFileCommands();
    buildExportCommands();
    buildPrintCommands();
    buildDecoderCommands();
    buildToolbar();
    buildShortcuts();
    buildRecentFiles();
    buildPanel();
    buildParameters();
    buildTimers();
    buildAutoset();
    QStatusBar *bar = statusBar();
    bar->setObjectName("sbStatusBar");
    m_demoMark = new QLabel("Demonstration mode", bar);
    m_demoMark->setObjectName("DemoMark");
    m_demoMark->setVisible(false);
    bar->addPermanentWidget(m_demoMark);
    m_progress = new QProgressBar(bar);
    m_progress->setObjectName("CaptureProgress");
    m_progress->setRange(0, 100);
    m_progress->setMaximumWidth(200);
    m_progress->hide();
    bar->addWidget(m_progress);
    resize(1100, 760);
}

MainWindow::~MainWindow() = default;

QAction *MainWindow::action(const QString &name) const {
    auto found = m_actions.find(name);
    return found == m_actions.end() ? nullptr : found->second;
}

QAction *MainWindow::item(QMenu *menu, const QString &name, const QString &caption, bool enabled) {
    QAction *a = menu->addAction(caption);
    a->setObjectName(name);
    a->setEnabled(enabled);
    m_actions[name] = a;
    return a;
}

void MainWindow::buildMenus() {
    QMenuBar *bar = menuBar();
    QMenu *file = bar->addMenu("&File");
    file->setObjectName("mnuFile");
    item(file, "mnuFileOpen", "&Load Data...");
    QMenu *loadOption = file->addMenu("Load data &option");
    loadOption->setObjectName("mnuLoaddataoption");
    const char *planes[] = {"Load Data(D&0-D7)", "Load Data(D&8-D15)", "Load Data(D&16-D23)"};
    for (int i = 0; i < 3; ++i)
        item(loadOption, QString("mnuLoaddata(%1)").arg(i), planes[i]);
    item(file, "mnuFileSave", "Save Data ");
    item(file, "mnuFileSaveAs", "Save Data &As...");
    QMenu *after = file->addMenu("Save Data after capture");
    after->setObjectName("mnuFileSaveafter");
    const char *times[] = {"10 times(savedata(0-9).osv)", "100 times(savedata(0-99).osv)",
                           "1000 times(savedata(0-999).osv)"};
    for (int i = 0; i < 3; ++i)
        item(after, QString("menutime(%1)").arg(i), times[i]);
    item(file, "mnuExcel", "Transfer data to &Excel");
    QMenu *text = file->addMenu("Save Data(text format)");
    text->setObjectName("mnuSaveTxt");
    item(text, "mnuSaveTxtCh", "Logic Data(D&23-16)+(D15-8)+(D7-0)");
    file->addSeparator();
    item(file, "mnuLoadSetting", "Load &Setting");
    item(file, "mnuLoaddefaultSetting", "Load  &Default Setting");
    item(file, "mnuSaveSetting", "Save Set&ting As...");
    item(file, "mnuAutoSaveSetting", "&Auto Save Setting");
    file->addSeparator();
    QMenu *print = file->addMenu("&Print...");
    print->setObjectName("mnuFilePrint");
    item(print, "mnuPrintOut(0)", "Print &Screen");
    for (int i = 2; i <= 11; ++i) {
        item(print, QString("mnuPrintOut(%1)").arg(i), QString("&Timing View%1").arg(i - 1));
    }
    print->addSeparator();
    item(print, "mnuPrintRange", "Print &range...");
    item(print, "mnuSaveViewImage", "Save view as &image...");
    item(file, "fileprintsetup", "P&rint Setup...");
    file->addSeparator();
    connect(item(file, "fileexit", "E&xit", true), &QAction::triggered, this, &MainWindow::close);

    QMenu *view = bar->addMenu("&View");
    view->setObjectName("mnuView");
    item(view, "viewcolorname", "&Colors ");
    QAction *parameters = item(view, "Parameter_window", "&Parameters window", true);
    parameters->setCheckable(true);
    connect(parameters, &QAction::triggered, this,
            [this](bool checked) { showParametersWindow(checked); });
    QAction *toolbar = item(view, "viewtoolbar", "Tool&bar", true);
    toolbar->setCheckable(true);
    toolbar->setChecked(true);
    connect(toolbar, &QAction::toggled, this, [this](bool on) { m_toolbar->setVisible(on); });
    QAction *status = item(view, "mnuViewStatusBar", "&Status Bar", true);
    status->setCheckable(true);
    status->setChecked(true);
    connect(status, &QAction::toggled, this, [this](bool on) { statusBar()->setVisible(on); });
    QMenu *units = view->addMenu("S&amples or time");
    units->setObjectName("viewsampletime");
    const char *unitNames[3][2] = {{"displaytime", "Display &Time"},
                                   {"displaysample", "Display &Samples"},
                                   {"displayFrequency", "Display &Frequency"}};
    for (int i = 0; i < 3; ++i) {
        QAction *a = item(units, unitNames[i][0], unitNames[i][1], true);
        a->setCheckable(true);
        connect(a, &QAction::triggered, this, [this, i] { displayUnitItem(i); });
    }
    action("displaytime")->setChecked(true);
    connect(item(view, "mnuSearch", "Search D23-D0 data", true), &QAction::triggered, this,
            &MainWindow::openSearch);
    connect(item(view, "munsTATE", "Group edit", true), &QAction::triggered, this,
            &MainWindow::openGroupSetup);
    connect(item(view, "munsTATETIMING", "Channel/State/Timing setup", true), &QAction::triggered,
            this, &MainWindow::openChannelSetup);
    QAction *listing = item(view, "munsTATEview", "State of logic analyzer", true);
    listing->setCheckable(true);
    connect(listing, &QAction::toggled, this, [this](bool on) {
        m_state.stateListing = on;
        redrawAllViews();
    });
    connect(listing, &QAction::triggered, this, &MainWindow::stateListingSwitch);

    QMenu *timing = bar->addMenu("&Timing");
    timing->setObjectName("mnuTiming");
    QMenu *clock = timing->addMenu("&Clock source");
    clock->setObjectName("Clocksource");
    for (const auto &[name, caption, menu] : {std::tuple{"mnuInternal(0)", "&Internal", clock},
                                              std::tuple{"mnuInternal(1)", "&External", clock},
                                              std::tuple{"mnurising(0)", "&Rising", timing},
                                              std::tuple{"mnurising(1)", "&Falling", timing}}) {
        QAction *a = item(menu, name, caption, true);
        a->setCheckable(true);
        connect(a, &QAction::triggered, this, [this, n = QString(name)] { clockSourceItem(n); });
    }
    action("mnuInternal(0)")->setChecked(true);
    timing->addSeparator();
    QAction *byPoint = item(timing, "data2timing", "Data1-10 to timing by &point", true);
    byPoint->setCheckable(true);
    connect(byPoint, &QAction::triggered, this, [this] { bindingItem(false); });
    QAction *byAuto = item(timing, "data2timingbyauto", "Data1-10 to timing by &auto", true);
    byAuto->setCheckable(true);
    connect(byAuto, &QAction::triggered, this, [this] { bindingItem(true); });
    timing->addSeparator();
    for (int i = 0; i < 10; ++i) {
        const QString caption = i < 9 ? QString("Timing&%1").arg(i + 1) : "Timing1&0";
        QAction *a = item(timing, QString("munTiming(%1)").arg(i), caption);
        a->setCheckable(true);
        connect(a, &QAction::triggered, this, [this, i] { toggleView(i); });
    }
    timing->addSeparator();
    QAction *persistence = item(timing, "timingpersistence", "&Persistence", true);
    persistence->setCheckable(true);
    connect(persistence, &QAction::toggled, this, [this](bool on) { m_state.persistence = on; });
    connect(item(timing, "refreshscreen", "&Refresh Screen", true), &QAction::triggered, this,
            &MainWindow::refreshScreen);
    connect(item(timing, "menureset", "&Reset", true), &QAction::triggered, this,
            &MainWindow::reset);

    QMenu *window = bar->addMenu("&Window");
    window->setObjectName("mnuWindow");
    QMenu *tile = window->addMenu("Tile &windows");
    tile->setObjectName("Tile_windows");
    const struct {
        const char *name, *caption;
        WindowArrangement how;
    } arrangements[] = {
        {"windowCascade", "&Cascade", WindowArrangement::Cascade},
        {"windowTileHorizontal", "&TileHorizontal", WindowArrangement::TileHorizontal},
        {"windowTileVertical", "&TileVertical", WindowArrangement::TileVertical},
        {"windowArrangeIcons", "&ArrangeIcons", WindowArrangement::ArrangeIcons}};
    for (const auto &a : arrangements) {
        const WindowArrangement how = a.how;
        connect(item(tile, a.name, a.caption, true), &QAction::triggered, this,
                [this, how] { arrangeWindows(how); });
    }

    QMenu *help = bar->addMenu("&Help");
    help->setObjectName("mnuHelp");
    connect(item(help, "Help_Topics", "&Help Topics", true), &QAction::triggered, this,
            &MainWindow::openManual);
    connect(item(help, "About_osv", "&About osv...", true), &QAction::triggered, this,
            &MainWindow::about);
    connect(item(help, "Trelwebsite", "&Trel website", true), &QAction::triggered, this,
            &MainWindow::openWebsite);
}

void MainWindow::buildToolbar() {
    m_toolbar = addToolBar("Toolbar");
    m_toolbar->setObjectName("Toolbar1");
    m_toolbar->setToolButtonStyle(Qt::ToolButtonTextOnly);
    const struct {
        const char *key, *text, *tip;
    } buttons[] = {
        {"go", "Run", "Press to start capture data."},
        {"stop", "Stop", "Press to stop capture data."},
        {"Autoset", "Autoset", "Auto. set Parameters to capture data .  depend on Trigger Ch."},
        {"Forcetrig", "Force", "Force trigger"}};
    for (const auto &b : buttons) {
        QAction *a = m_toolbar->addAction(b.text);
        a->setObjectName(b.key);
        a->setData(QString(b.key));
        a->setToolTip(b.tip);
        m_actions[b.key] = a;
        connect(a, &QAction::triggered, this,
                [this, key = QString(b.key)] { toolbarClicked(key); });
    }
    action("go")->setCheckable(true);
}

void MainWindow::buildPanel() {
    auto *panel = new QWidget(this);
    auto *layout = new QHBoxLayout(panel);
    layout->setContentsMargins(4, 2, 4, 2);
    const auto box = [&](const QString &name, const QString &caption) {
        auto *label = new QLabel(caption, panel);
        auto *edit = new QLineEdit(panel);
        edit->setObjectName(name);
        edit->setReadOnly(true);
        edit->setMinimumWidth(160);
        layout->addWidget(label);
        layout->addWidget(edit);
        return edit;
    };
    m_status = box("Text21", "Status");
    m_count = box("Text22", "Count");
    layout->addStretch();
    auto *bar = addToolBar("Panel");
    bar->setObjectName("Panel");
    bar->addWidget(panel);
}

void MainWindow::buildParameters() {
    ParameterHooks hooks;
    hooks.redrawAllViews = [this] { redrawAllViews(); };
    hooks.memoryDepthChanged = [this] { memoryDepthChanged(); };
    hooks.distancesChanged = [this] { updateDistances(); };
    hooks.openParametersWindow = [this] {
        if (!action("Parameter_window")->isChecked()) {
            action("Parameter_window")->setChecked(true);
            showParametersWindow(true);
        }
    };
    m_panel = new ParameterPanel(m_state, hooks, this);
    auto *bar = new QToolBar("Parameters", this);
    bar->setObjectName("ParameterBar");
    bar->addWidget(m_panel);
    addToolBarBreak();
    addToolBar(bar);
    m_form2 = new ParametersWindow(m_state, *m_panel, this);
    m_form2->hide();
    m_panel->setParametersWindow(m_form2);
    connect(m_form2, &ParametersWindow::closed, this,
            [this] { action("Parameter_window")->setChecked(false); });
    connect(m_form2, &ParametersWindow::triggerDelayModeChanged, this,
            [this](bool) { triggerDelayChanged(); });
}

void MainWindow::showParametersWindow(bool show) {
    if (!show) {
        m_form2->hide();
        return;
    }
    m_form2->showSettings();
    m_form2->show();
    placeTopmost(m_form2, -1, 500, 30);
}

void MainWindow::clockSourceItem(const QString &name) {
    const auto check = [this](const char *n, bool on) { action(n)->setChecked(on); };
    if (name == "mnuInternal(0)") {
        check("mnuInternal(0)", true);
        check("mnuInternal(1)", false);
        check("mnurising(0)", false);
        check("mnurising(1)", false);
        m_state.settings.clockSource = 0;
        m_panel->selectRate(std::max(rateListIndexOf(m_state.settings.rateCode), 0));
        m_state.settingsChanged = 1;
    } else if (name == "mnuInternal(1)") {
        // Choosing the edge chooses the external clock; the item alone does nothing.
        check("mnuInternal(1)", m_state.settings.clockSource != 0);
    } else {
        const bool falling = name == "mnurising(1)";
        check("mnurising(0)", !falling);
        check("mnurising(1)", falling);
        check("mnuInternal(1)", true);
        check("mnuInternal(0)", false);
        m_state.settings.clockSource = falling ? 2 : 1;
        m_state.settingsChanged = 1;
    }
    if (m_form2->isVisible()) m_form2->showSettings();
}

void MainWindow::buildTimers() {
    const auto make = [this](const char *name) {
        auto *t = new QTimer(this);
        t->setObjectName(name);
        t->setSingleShot(true);
        return t;
    };
    m_timer1 = make("Timer1");
    m_timer1->setInterval(3000);
    m_timer2 = make("Timer2");
    m_timer3 = make("Timer3");
    m_poll = new QTimer(this);
    m_poll->setObjectName("pollTimer");
    // One polling step at a time; the run says how long the window gets before the next.
    m_poll->setSingleShot(true);
    m_poll->setTimerType(Qt::PreciseTimer);
    connect(m_poll, &QTimer::timeout, this, &MainWindow::runStep);
    connect(m_timer3, &QTimer::timeout, this, [this] { m_run->timer3Fired(); });
    connect(m_timer1, &QTimer::timeout, this, [this] { redrawAllViews(); });
    connect(m_timer2, &QTimer::timeout, this, [this] { redrawAllViews(); });
    m_plugWatch = new QTimer(this);
    m_plugWatch->setObjectName("plugWatch");
    m_plugWatch->setInterval(1000);
    connect(m_plugWatch, &QTimer::timeout, this, &MainWindow::offerPluggedUnit);
}

// A unit plugged in while none works (none found, demonstration, or gone during a run):
// offer to detect it.
void MainWindow::offerPluggedUnit() {
    if (m_run->active() || m_device.unitPlugged1() == 0) return;
    if (m_state.hardwarePresent && !m_unitLost) return;
    if (m_questions->ask("Reset Hardware", "A KV-6830 unit was plugged in. Detect it now?")) {
        reset();
    }
}

void MainWindow::startUp(uint64_t totalBytes, int loadPercent) {
    // 1
    m_state.startupDirectory = QDir::currentPath().toStdString();
    // 2
    detectHardware();
    // 3, 4
    m_state.setDefaultTables();
    m_state.unitBlock[1001] = 0;
    m_state.unitBlock[1006] = 6;
    m_state.unitBlock[1011] = 0;
    m_state.modelName = "KV6830";
    // 5 Memory check
    if (totalBytes == 0) {
        const platform::MemoryStatus status = platform::memoryStatus();
        totalBytes = status.totalBytes;
        loadPercent = status.loadPercent;
    }
    const MemoryCheck check = memoryCheck(totalBytes, loadPercent);
    m_state.highestViewIndex = confirmedViews(check, m_questions->viewCount(check));
    m_state.capture.allocate(m_state.highestViewIndex + 1);
    const QString sets = QString::number(m_state.highestViewIndex + 1);
    action("data2timing")->setText("Data1-" + sets + " to timing by &point");
    action("data2timingbyauto")->setText("Data1-" + sets + " to timing by &auto");
    for (int i = m_state.highestViewIndex + 3; i <= 11; ++i) {
        action(QString("mnuPrintOut(%1)").arg(i))->setVisible(false);
    }
    // 6
    createViews();
    // 7
    rebuildTriggerWordChars(m_state.settings.triggerWord, m_state.triggerWordChars);
    // 8
    showLinkState();
    // 9 A refused default file is kept: this session's settings go elsewhere at exit.
    const QString alternative = QString::fromStdString(freeSettingsName(m_state.startupDirectory));
    const SettingsLoad loaded =
        loadSettings("KV6830.ini", true,
                     "\n\n" + QDir::current().filePath("KV6830.ini") +
                         " is kept as it is. The settings of this session will be saved to " +
                         alternative + " at exit.");
    if (loaded == SettingsLoad::Refused) m_keptSettingsAlternative = alternative;
    loadRecentFiles();
    loadDecoderSettings();
    const bool settingsLoaded = loaded == SettingsLoad::Taken;
    // 8, 10
    m_panel->showSettings();
    m_panel->selectRate(std::max(rateListIndexOf(m_state.settings.rateCode), 0));
    applyMemoryDepth(m_state);
    for (TimingView *v : m_views)
        v->applyState();
    // View 0 opens on a first start; a settings file decides for itself which views open.
    if (!settingsLoaded && !m_views.empty() && !m_state.views[0].open) toggleView(0);
    redrawAllViews();
    // 11
    m_timer2->setInterval(30000);
    m_timer1->start();
    m_timer2->start();
    m_plugWatch->start();  // after detection: no offer over the detection message
}

void MainWindow::detectHardware() {
    const std::string release = platform::osVersion().release;
    for (;;) {
        const DetectionResult r = kv::app::detectHardware(m_state, m_device, release);
        const auto answer =
            m_questions->detection(QString::fromStdString(r.message), r.unitFound());
        if (r.unitFound() || answer == StartupQuestions::Detection::Ok) {
            m_state.demonstration = false;
            showLinkState();
            detectMixedUnit();
            return;
        }
        if (answer == StartupQuestions::Detection::Cancel) {
            startDemonstration(m_state, m_device);
            showLinkState();
            detectMixedUnit();
            return;
        }
    }
}

void MainWindow::showLinkState() {
    // Demonstration mode is marked for as long as it lasts, so that its captures are never
    // taken for a unit's.
    const QString caption = m_state.librarySelector == 1 ? "KV-6830A" : "KV-6830";
    setWindowTitle(m_state.demonstration ? caption + " - Demonstration mode" : caption);
    m_demoMark->setVisible(m_state.demonstration);
}

void MainWindow::toolbarClicked(const QString &key) {
    if (key == "go") {
        if (m_run->active()) {
            action("go")->setChecked(true);  // a run is already going: no second one
            return;
        }
        m_run->run();
        runStep();
    } else if (key == "stop") {
        m_run->stop();
        if (m_run->active()) runStep();  // the run ends now, not at the next poll
    } else if (key == "Forcetrig") {
        m_run->forceTrigger();
    } else if (key == "Autoset") {
        autosetClicked();
    }
}

void MainWindow::runStep() {
    if (m_run->step())
        m_poll->start(m_run->nextStepDelayMs());
    else
        m_poll->stop();
}

void MainWindow::reset() {
    m_state.stopRequest = 1;
    m_unitLost = false;
    detectHardware();
    if (m_form2->isVisible()) m_form2->showSettings();
    if (TimingView *v = view(m_state.currentView)) v->applyState();
    redrawAllViews();
}

void MainWindow::openManual() {
    const std::string program = programDirectory();
    const auto path = findManual(program, m_state.startupDirectory);
    if (!path) {
        QString places;
        for (const std::string &place : manualPlaces(program, m_state.startupDirectory))
            places += "\n" + QDir::cleanPath(QString::fromStdString(place));
        QMessageBox::warning(this, "Help Topics",
                             "The manual manual.htm was not found in:" + places);
        return;
    }
    QDesktopServices::openUrl(QUrl::fromLocalFile(QDir::cleanPath(QString::fromStdString(*path))));
}

void MainWindow::openWebsite() {
    QDesktopServices::openUrl(QUrl(kMakerWebAddress));
}

void MainWindow::about() {
    AboutDialog dialog(m_state.librarySelector == 1 ? "KV-6830A" : "KV-6830", this);
    dialog.exec();
}

QString MainWindow::exitSettingsPath() const {
    if (m_keptSettingsAlternative.isEmpty()) return startupPath("KV6830.ini");
    // The name chosen at start-up, unless something has taken it since.
    if (!QFileInfo(m_keptSettingsAlternative).exists() &&
        !QFileInfo(m_keptSettingsAlternative).isSymLink()) {
        return m_keptSettingsAlternative;
    }
    return QString::fromStdString(freeSettingsName(m_state.startupDirectory));
}

bool MainWindow::shutDown() {
    if (m_shutDown) return true;
    if (!m_state.startupDirectory.empty()) {
        const QString path = exitSettingsPath();
        const platform::WriteOutcome outcome = writeSettings(path);
        if (!outcome.ok() &&
            !m_questions->leaveAnyway("The settings file " + path + " " +
                                      QString::fromStdString(outcome.describe()) +
                                      ".\n\nIf you leave now, the settings of this session "
                                      "are lost.")) {
            return false;
        }
        if (outcome.ok() && !m_keptSettingsAlternative.isEmpty()) {
            m_questions->tell("KV-6830", "The settings of this session were saved to " + path +
                                             "; " + startupPath("KV6830.ini") +
                                             " was left as it was.");
        }
        saveRecentFiles();
        saveDecoderSettings();
    }
    m_shutDown = true;
    m_state.stopRequest = 1;
    m_poll->stop();
    m_device.powerOff1(m_state.portBase);
    return true;
}

void MainWindow::closeEvent(QCloseEvent *event) {
    if (shutDown())
        event->accept();
    else
        event->ignore();
}

}  // namespace kv::app
