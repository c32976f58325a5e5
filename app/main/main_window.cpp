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
#include <QStatusBar>
#include <QTimer>
#include <QToolBar>
#include <QUrl>
#include <QVBoxLayout>
#include <cstdio>
#include <tuple>

#include "dialogs/about_dialog.h"
#include "dialogs/mdi_sdi_dialog.h"
#include "dialogs/parameters_window.h"
#include "dialogs/topmost.h"
#include "main/capture_parameters.h"
#include "main/data_files.h"
#include "main/detection.h"
#include "main/parameter_panel.h"
#include "main/trigger_word.h"
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
    return save ? QFileDialog::getSaveFileName(m_parent, title, start, filter)
                : QFileDialog::getOpenFileName(m_parent, title, start, filter);
}

void WindowQuestions::tell(const QString &title, const QString &text) {
    QMessageBox::information(m_parent, title, text);
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
    setCentralWidget(m_mdi);

    RunHooks hooks;
    hooks.setStatus = [this](const std::string &s) {
        const QString text = QString::fromStdString(s);
        if (m_status->text() != text) m_status->setText(text);
    };
    hooks.setCount = [this](const std::string &s) { m_count->setText(QString::fromStdString(s)); };
    hooks.setRunPressed = [this](bool pressed) {
        if (QAction *go = action("go")) go->setChecked(pressed);
    };
    hooks.armTimer3 = [this](int ms) { m_timer3->start(ms); };
    hooks.checkTriggerWord = [this] { m_form2->validateTriggerWord(); };
    hooks.tick = [] { return platform::tickMs(); };
    hooks.redrawAllViews = [this] { redrawAllViews(); };
    hooks.autoAssign = [this] { autoAssign(m_state); };
    hooks.numberedSave = [this](const std::string &settings, const std::string &dataFile) {
        numberedSave(settings, dataFile);
    };
    m_run = std::make_unique<CaptureRun>(m_state, m_device, std::move(hooks));

    buildMenus();
    buildFileCommands();
    buildToolbar();
    buildPanel();
    buildParameters();
    buildTimers();
    QStatusBar *bar = statusBar();
    bar->setObjectName("sbStatusBar");
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
    for (int i = 1; i <= 10; ++i) {
        item(print, QString("mnuPrintOut(%1)").arg(i), QString("&Timing View%1").arg(i));
    }
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
    item(view, "mnuSearch", "Search D23-D0 data");
    item(view, "munsTATE", "Group edit");
    item(view, "munsTATETIMING", "Channel/State/Timing setup");
    QAction *listing = item(view, "munsTATEview", "State of logic analyzer", true);
    listing->setCheckable(true);
    connect(listing, &QAction::toggled, this, [this](bool on) {
        m_state.stateListing = on;
        redrawAllViews();
    });

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
    connect(item(tile, "windowCascade", "&Cascade", true), &QAction::triggered, m_mdi,
            &QMdiArea::cascadeSubWindows);
    connect(item(tile, "windowTileHorizontal", "&TileHorizontal", true), &QAction::triggered, m_mdi,
            &QMdiArea::tileSubWindows);
    connect(item(tile, "windowTileVertical", "&TileVertical", true), &QAction::triggered, m_mdi,
            &QMdiArea::tileSubWindows);
    connect(item(tile, "windowArrangeIcons", "&ArrangeIcons", true), &QAction::triggered, m_mdi,
            &QMdiArea::cascadeSubWindows);

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
    // The one-shot capture through the render library's second capture path is not
    // part of this build yet.
    action("Autoset")->setEnabled(false);
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

void MainWindow::memoryDepthChanged() {
    applyMemoryDepth(m_state);
    const int minimum = minimumZoomIndex(m_state.settings.memoryDepthIndex);
    for (int v = 0; v <= m_state.highestViewIndex; ++v) {
        ViewState &view = m_state.views[static_cast<size_t>(v)];
        if (view.zoomIndex < minimum) {
            applyZoomStep(m_state, v, minimum);
            view.pixelsPerSample = pixelsPerSampleOf(minimum);
        }
    }
    for (TimingView *v : m_views)
        v->applyState();
    redrawAllViews();
}

void MainWindow::triggerDelayChanged() {
    if (m_state.triggerDelayMode) applyMemoryDepth(m_state);
    for (TimingView *v : m_views)
        v->applyState();
    redrawAllViews();
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
    m_poll->setInterval(5);  // a polling step every 5 ms: live window, idle processor
    connect(m_poll, &QTimer::timeout, this, &MainWindow::runStep);
    connect(m_timer3, &QTimer::timeout, this, [this] { m_run->timer3Fired(); });
    connect(m_timer1, &QTimer::timeout, this, [this] { redrawAllViews(); });
    connect(m_timer2, &QTimer::timeout, this, [this] { redrawAllViews(); });
}

void MainWindow::startUp(uint64_t totalBytes, int loadPercent) {
    // 1
    m_state.startupDirectory = QDir::currentPath().toStdString();
    // 2
    detectHardware();
    // 3, 4
    m_state.setDefaultTables();
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
    for (int i = m_state.highestViewIndex + 2; i <= 10; ++i) {
        action(QString("mnuPrintOut(%1)").arg(i))->setVisible(false);
    }
    // 6
    createViews();
    // 7
    rebuildTriggerWordChars(m_state.settings.triggerWord, m_state.triggerWordChars);
    // 8
    setWindowTitle(m_state.librarySelector == 1 ? "KV-6830A" : "KV-6830");
    // 9
    loadSettings("KV6830.ini", true);
    // 8, 10
    m_panel->showSettings();
    m_panel->selectRate(std::max(rateListIndexOf(m_state.settings.rateCode), 0));
    applyMemoryDepth(m_state);
    for (TimingView *v : m_views)
        v->applyState();
    if (!m_views.empty() && !m_state.views[0].open) toggleView(0);
    redrawAllViews();
    // 11
    m_timer2->setInterval(30000);
    m_timer1->start();
    m_timer2->start();
}

void MainWindow::createViews() {
    for (int k = 0; k <= m_state.highestViewIndex; ++k) {
        ViewHooks hooks;
        hooks.redrawAllViews = [this] { redrawAllViews(); };
        hooks.updateDistances = [this] { updateDistances(); };
        hooks.synchroniseTrigger = [this] { synchroniseTrigger(); };
        hooks.openParametersWindow = [this] {
            action("Parameter_window")->setChecked(true);
            showParametersWindow(true);
        };
        auto *v = new TimingView(m_state, m_render, k, hooks);
        v->setToolTip(QString("Timing view %1").arg(k));
        QMdiSubWindow *sub = m_mdi->addSubWindow(v);
        sub->setObjectName(QString("TimingWindow(%1)").arg(k));
        sub->hide();
        connect(v, &TimingView::closedByUser, this, [this](int i) {
            if (m_state.views[static_cast<size_t>(i)].open) toggleView(i);
        });
        m_views.push_back(v);
        m_subWindows.push_back(sub);
        action(QString("munTiming(%1)").arg(k))->setEnabled(true);
    }
    for (int k = m_state.highestViewIndex + 1; k < 10; ++k) {
        action(QString("munTiming(%1)").arg(k))->setVisible(false);
    }
}

TimingView *MainWindow::view(int k) const {
    return k >= 0 && k < static_cast<int>(m_views.size()) ? m_views[static_cast<size_t>(k)]
                                                          : nullptr;
}

void MainWindow::toggleView(int k) {
    TimingView *v = view(k);
    if (!v) return;
    const uint8_t busy = m_state.busy;
    m_state.busy = 33;
    ViewState &state = m_state.views[static_cast<size_t>(k)];
    state.open = !state.open;
    action(QString("munTiming(%1)").arg(k))->setChecked(state.open);
    m_state.currentView = k;
    QMdiSubWindow *sub = m_subWindows[static_cast<size_t>(k)];
    if (state.open) {
        v->initialiseLayout();
        applyMemoryDepth(m_state);
        applyZoomStep(m_state, k, state.zoomIndex);
        v->applyState();
        sub->show();
        v->show();
    } else {
        sub->hide();
    }
    if (state.open) updateDistances();
    redrawAllViews();
    m_state.busy = busy;
    applyCaptions(false, true);
    m_mdi->tileSubWindows();
}

void MainWindow::applyCaptions(bool byAutoCommand, bool onlyChecked) {
    std::vector<bool> checked;
    if (onlyChecked) {
        for (int i = 0; i <= m_state.highestViewIndex; ++i) {
            checked.push_back(m_state.views[static_cast<size_t>(i)].open);
        }
    }
    const std::vector<std::string> captions = applyCaptionRule(m_state, byAutoCommand, checked);
    for (int i = 0; i <= m_state.highestViewIndex; ++i) {
        if (!captions[static_cast<size_t>(i)].empty()) {
            action(QString("munTiming(%1)").arg(i))
                ->setText(QString::fromStdString(captions[static_cast<size_t>(i)]));
        }
    }
}

void MainWindow::bindingItem(bool byAuto) {
    bool &mine = byAuto ? m_state.data2timingbyauto : m_state.data2timing;
    bool &other = byAuto ? m_state.data2timing : m_state.data2timingbyauto;
    mine = !mine;
    if (mine) other = false;
    action("data2timing")->setChecked(m_state.data2timing);
    action("data2timingbyauto")->setChecked(m_state.data2timingbyauto);
    applyCaptions(byAuto, false);
    synchroniseTrigger();
    redrawAllViews();
}

void MainWindow::displayUnitItem(int clicked) {
    DisplayUnits units{m_state.displayTime, m_state.displaySamples, m_state.displayFrequency};
    units = toggleUnit(units, clicked);
    m_state.displayTime = units.time;
    m_state.displaySamples = units.samples;
    m_state.displayFrequency = units.frequency;
    action("displaytime")->setChecked(units.time);
    action("displaysample")->setChecked(units.samples);
    action("displayFrequency")->setChecked(units.frequency);
    updateDistances();
}

void MainWindow::updateDistances() {
    const int current = m_state.currentView;
    for (TimingView *v : m_views)
        v->updateDistanceReadouts();
    m_state.currentView = current;
}

void MainWindow::synchroniseTrigger() {
    if (!m_state.data2timing) return;
    const ViewState &from = m_state.views[static_cast<size_t>(m_state.currentView)];
    for (int v = 0; v <= m_state.highestViewIndex; ++v) {
        if (v == m_state.currentView) continue;
        ViewState &to = m_state.views[static_cast<size_t>(v)];
        if (m_state.triggerDelayMode)
            to.triggerDelay = from.triggerDelay;
        else
            to.triggerCursor = from.triggerCursor;
        if (TimingView *w = view(v)) w->applyState();
    }
}

void MainWindow::redrawAllViews() {
    const uint8_t busy = m_state.busy;
    m_state.busy = 33;
    const int current = m_state.currentView;
    for (TimingView *v : m_views) {
        if (!m_state.views[static_cast<size_t>(v->index())].open) continue;
        m_state.currentView = v->index();
        v->draw();
    }
    m_state.currentView = current;
    m_state.busy = busy;
}

void MainWindow::refreshScreen() {
    if (TimingView *v = view(m_state.currentView)) v->clearPicture();
    redrawAllViews();
}

void MainWindow::detectHardware() {
    const std::string release = platform::osVersion().release;
    for (;;) {
        const DetectionResult r = kv::app::detectHardware(m_state, m_device, release);
        const auto answer =
            m_questions->detection(QString::fromStdString(r.message), r.unitFound());
        if (r.unitFound() || answer == StartupQuestions::Detection::Ok) return;
        if (answer == StartupQuestions::Detection::Cancel) {
            startDemonstration(m_state, m_device);
            statusBar()->showMessage(m_state.demonstration ? "Demonstration mode" : "No unit");
            return;
        }
    }
}

void MainWindow::toolbarClicked(const QString &key) {
    if (key == "go") {
        if (m_run->active()) {
            action("go")->setChecked(true);  // a run is already going: no second one
            return;
        }
        m_run->run();
        m_poll->start();
        runStep();
    } else if (key == "stop") {
        m_run->stop();
    } else if (key == "Forcetrig") {
        m_run->forceTrigger();
    }
}

void MainWindow::runStep() {
    if (!m_run->step()) m_poll->stop();
}

void MainWindow::reset() {
    m_state.stopRequest = 1;
    detectHardware();
    if (m_form2->isVisible()) m_form2->showSettings();
    if (TimingView *v = view(m_state.currentView)) v->applyState();
    redrawAllViews();
}

void MainWindow::openManual() {
    const QString path =
        QDir(QString::fromStdString(m_state.startupDirectory)).filePath("manual.htm");
    if (!QFileInfo::exists(path)) {
        QMessageBox::warning(this, "Help Topics", "The manual " + path + " was not found.");
        return;
    }
    QDesktopServices::openUrl(QUrl::fromLocalFile(path));
}

void MainWindow::openWebsite() {
    QDesktopServices::openUrl(QUrl(kMakerWebAddress));
}

void MainWindow::about() {
    AboutDialog dialog(m_state.librarySelector == 1 ? "KV-6830A" : "KV-6830", this);
    dialog.exec();
}

void MainWindow::shutDown() {
    if (m_shutDown) return;
    m_shutDown = true;
    m_state.stopRequest = 1;
    m_poll->stop();
    m_device.powerOff1(m_state.portBase);
    if (!m_state.startupDirectory.empty()) saveSettings(startupPath("KV6830.ini"), true);
}

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

void MainWindow::loadSettings(const QString &path, bool defaultName) {
    WindowMarks marks = collectMarks();
    bool existed = false;
    const SettingsReadResult r =
        loadSettingsFile(path.toStdString(), defaultName, m_state, marks, &existed);
    if (!existed) return;
    switch (r.outcome) {
        case SettingsReadResult::Outcome::OtherModel:
            m_questions->tell("KV-6830", QString::fromStdString(r.message));
            return;
        case SettingsReadResult::Outcome::Error:
            m_questions->tell("Load Setting",
                              QString("The settings file %1 could not be read (line %2: %3). "
                                      "Nothing was changed.")
                                  .arg(path)
                                  .arg(r.line)
                                  .arg(QString::fromStdString(r.message)));
            return;
        case SettingsReadResult::Outcome::HeaderOnly:
            action("mnuAutoSaveSetting")->setChecked(false);
            return;
        case SettingsReadResult::Outcome::Loaded:
            applyMarks(marks);
            return;
    }
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

void MainWindow::closeEvent(QCloseEvent *event) {
    shutDown();
    event->accept();
}

}  // namespace kv::app
