// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QMainWindow>
#include <QPointer>
#include <QString>
#include <array>
#include <map>
#include <memory>

#include "core/capture_run.h"
#include "core/device_api.h"
#include "core/program_state.h"
#include "core/render_library.h"
#include "core/settings_file.h"
#include "main/autoset.h"
#include "main/memory_check.h"
#include "main/second_path_api.h"
#include "platform/atomic_file.h"

class QAction;
class QLabel;
class QLineEdit;
class QMdiArea;
class QMenu;
class QProgressBar;
class QTimer;
class QToolBar;
class QMdiSubWindow;

namespace kv::app {
class ColorWindow;
class ParameterPanel;
class ChannelSetupWindow;
class GroupSetupWindow;
class PrintForm;
class PrintPreview;
class ParametersWindow;
class TimingView;
class AnnotationListModel;
class AnnotationListWindow;
}  // namespace kv::app

namespace kv::app {

// The questions start-up asks the user; tests answer them without windows.
class StartupQuestions {
  public:
    enum class Detection { Ok, Retry, Cancel };
    virtual ~StartupQuestions() = default;
    // The view-count window: whether its box is checked after OK.
    virtual bool viewCount(const MemoryCheck &check) = 0;
    virtual Detection detection(const QString &message, bool unitFound) = 0;
    // A file dialog; an empty name means cancelled (what an unanswered one does).
    virtual QString fileName(bool /*save*/, const QString & /*title*/,
                             const QString & /*directory*/, const QString & /*filter*/,
                             const QString & /*initialName*/) {
        return {};
    }
    // A message box with an OK button.
    virtual void tell(const QString & /*title*/, const QString & /*text*/) {}
    // A question with Yes and No; unanswered is No.
    virtual bool ask(const QString & /*title*/, const QString & /*text*/) { return false; }
    // Whether an existing file that no dialog has asked about may be replaced.
    virtual bool confirmReplace(const QString & /*title*/, const QString & /*path*/) {
        return false;
    }
    // The settings could not be saved at exit: whether to leave all the same.
    virtual bool leaveAnyway(const QString & /*text*/) { return true; }
    // Shows a file the program wrote with the desktop's default application.
    virtual void openDocument(const QString & /*path*/) {}
};

// The questions asked with real windows.
class WindowQuestions : public StartupQuestions {
  public:
    explicit WindowQuestions(QWidget *parent) : m_parent(parent) {}
    bool viewCount(const MemoryCheck &check) override;
    Detection detection(const QString &message, bool unitFound) override;
    QString fileName(bool save, const QString &title, const QString &directory,
                     const QString &filter, const QString &initialName) override;
    void tell(const QString &title, const QString &text) override;
    bool ask(const QString &title, const QString &text) override;
    bool confirmReplace(const QString &title, const QString &path) override;
    bool leaveAnyway(const QString &text) override;
    void openDocument(const QString &path) override;

  private:
    QWidget *m_parent;
};

// The program's multiple-document main window.
class MainWindow : public QMainWindow {
    Q_OBJECT
  public:
    MainWindow(DeviceApi &device, StartupQuestions *questions = nullptr, QWidget *parent = nullptr);
    ~MainWindow() override;
    // The render library's second capture path that Autoset uses; before start-up.
    void setSecondPath(SecondPathApi &path);
    Autoset &autoset() { return *m_autoset; }

    // The start-up order; `totalBytes`/`loadPercent` are the memory figures to check
    // (0 means: ask the system).
    void startUp(uint64_t totalBytes = 0, int loadPercent = 0);

    ProgramState &state() { return m_state; }
    CaptureRun &captureRun() { return *m_run; }
    QAction *action(const QString &name) const;
    ParameterPanel *panel() const { return m_panel; }
    ParametersWindow *parametersWindow() const { return m_form2; }
    // Hardware detection with its message, Retry looping; Cancel starts demonstration.
    void detectHardware();
    // Settings files: true when written; a failure is told.
    bool saveSettings(const QString &path);
    // Loads a settings file; a refusal is told, followed by `note`.
    enum class SettingsLoad { Missing, Refused, HeaderOnly, Taken };
    SettingsLoad loadSettings(const QString &path, bool defaultName, const QString &note = {});
    // Where the settings go at exit: the start-up folder's KV6830.ini, or another name when
    // that file was refused at start-up and is kept.
    QString exitSettingsPath() const;
    // The one refresh entry point: every open view draws itself.
    void redrawAllViews();
    // munTiming(k): open or close view k.
    void toggleView(int k);
    class TimingView *view(int k) const;
    // munsTATE "Group edit", munsTATETIMING "Channel/State/Timing setup": a fresh window
    // each time, replacing one that is open.
    void openGroupSetup();
    void openChannelSetup();
    GroupSetupWindow *groupSetup() const;
    ChannelSetupWindow *channelSetup() const;
    QMdiSubWindow *viewWindow(int k) const;
    // Every view lays out its track rows again (names, heights, shown rows).
    void layoutAllTrackRows();
    // Open setup windows show the tables anew (after a settings file was loaded).
    void refreshSetupWindows();
    // Printing: frmPrint with the printer, the preview and the colour window.
    PrintForm *printForm() const { return m_printForm; }
    PrintPreview *printPreview() const { return m_preview; }
    ColorWindow *colorWindow() const { return m_colorWindow; }
    // mnuSearch: frmSearch, one instance, modeless (main_window_search.cpp).
    void openSearch();
    class SearchWindow *searchWindow() const {
        return m_search;
    }
    // Protocol decoders (main_window_decoders.cpp): the current view's decoder dialog and
    // annotation list; the list model of view k once its list was opened, for searches.
    void openDecoderDialog();
    void openAnnotationList();
    AnnotationListModel *annotationList(int k) const;
    QString decoderSettingsPath() const;

  protected:
    void closeEvent(QCloseEvent *event) override;

  private:
    void buildMenus();
    void buildToolbar();
    void buildPanel();
    void buildTimers();
    // Autoset: the poll timer, the search for a mixed-signal unit at detection, the button.
    void buildAutoset();
    void detectMixedUnit();
    void autosetClicked();
    QAction *item(QMenu *menu, const QString &name, const QString &caption, bool enabled = false);
    void toolbarClicked(const QString &key);
    void runStep();
    // Saves the settings and switches the unit off; false when the user stays.
    bool shutDown();
    void openManual();
    void openWebsite();
    void about();
    void reset();
    void offerPluggedUnit();
    // The caption and the status bar's mark of demonstration mode.
    void showLinkState();
    void createViews();
    void refreshScreen();
    // munsTATEview: the state listing of every view on or off, with the views' heights.
    void stateListingSwitch(bool on);
    void buildParameters();
    void memoryDepthChanged();
    void triggerDelayChanged();
    void showParametersWindow(bool show);
    void clockSourceItem(const QString &name);
    void updateDistances();
    void synchroniseTrigger();
    void bindingItem(bool byAuto);
    void displayUnitItem(int clicked);
    void applyCaptions(bool byAutoCommand, bool onlyChecked);
    enum class WindowArrangement { Cascade, TileHorizontal, TileVertical, ArrangeIcons };
    // The Window menu's arrangements of the child windows.
    void arrangeWindows(WindowArrangement how);
    void buildFileCommands();
    WindowMarks collectMarks() const;
    void applyMarks(const WindowMarks &marks);
    QString startupPath(const QString &name) const;
    QString chooseSaveName(const QString &title, const QString &filter,
                           const std::string &extension);
    QString chooseOpenName(const QString &title, const QString &filter,
                           const std::string &extension);
    void openDataFile();
    // Load Data without its dialog; true when the samples were read.
    bool openDataFileNamed(const QString &name);
    void saveDataAs();
    bool loadDataFile(const QString &path);
    // Shortcuts of the menu items, and Run, Stop and Force in the Timing menu.
    void buildShortcuts();
    // File > Recent data files, kept beside the settings file.
    void buildRecentFiles();
    void loadRecentFiles();
    void rememberDataFile(const QString &path);
    void openRecentFile(const QString &path);
    void setRecentFiles(std::vector<std::string> list);
    void saveRecentFiles();
    platform::WriteOutcome writeSettings(const QString &path);
    platform::WriteOutcome writeDataFile(const QString &path);
    // The data file and its companion settings file; failures are told.
    bool saveDataPair(const QString &path);
    void numberedItem(int i);
    void saveTextTable();
    bool numberedSave(const std::string &settings, const std::string &dataFile);
    // The workbook export and the files for other tools (main_window_export.cpp).
    void buildExportCommands();
    void showExcelDialog();
    enum class SampleFile { Vcd, VcdChannelsOnly, CsvEverySample, CsvEveryChange };
    void exportSamples(SampleFile kind);
    void importVcd();
    void buildPrintCommands();
    void printSetup();
    void printMenuItem(int index);
    // CmdPrint_Click from the preview, with the title as edited.
    void printPicture(const QString &title);
    void printRange();
    void saveViewImage();
    // A PDF printer that names no file asks for one; empty when cancelled.
    bool pdfTarget(QString &path, const QString &title);
    void showColours();
    void buildDecoderCommands();
    std::array<std::string, 24> channelNames() const;
    void refreshAnnotationList(int k);
    void loadDecoderSettings();
    void saveDecoderSettings();

    ProgramState m_state;
    DeviceApi &m_device;
    std::unique_ptr<StartupQuestions> m_ownQuestions;
    StartupQuestions *m_questions;
    std::unique_ptr<CaptureRun> m_run;
    std::unique_ptr<SecondPathApi> m_ownSecondPath;
    std::unique_ptr<Autoset> m_autoset;
    QTimer *m_autosetPoll = nullptr;
    std::map<QString, QAction *> m_actions;
    RenderLibrary m_render;
    ParameterPanel *m_panel = nullptr;
    ParametersWindow *m_form2 = nullptr;
    class ExcelDialog *m_excel = nullptr;  // frmExcel, made when first shown
    QPointer<GroupSetupWindow> m_groupSetup;
    QPointer<ChannelSetupWindow> m_channelSetup;
    PrintForm *m_printForm = nullptr;
    PrintPreview *m_preview = nullptr;
    ColorWindow *m_colorWindow = nullptr;
    class SearchWindow *m_search = nullptr;
    std::vector<class TimingView *> m_views;
    std::vector<QMdiSubWindow *> m_subWindows;
    QMdiArea *m_mdi = nullptr;
    QToolBar *m_toolbar = nullptr;
    QLineEdit *m_status = nullptr;       // Text21
    QLineEdit *m_count = nullptr;        // Text22
    QLabel *m_demoMark = nullptr;        // shown while in demonstration mode
    QProgressBar *m_progress = nullptr;  // long captures
    QTimer *m_timer1 = nullptr;
    QTimer *m_timer2 = nullptr;
    QTimer *m_timer3 = nullptr;
    QTimer *m_poll = nullptr;
    QTimer *m_plugWatch = nullptr;
    bool m_unitLost = false;  // a run found that the unit no longer answers
    bool m_shutDown = false;
    std::vector<std::string> m_recentFiles;
    QMenu *m_recentMenu = nullptr;
    bool m_recentChanged = false;  // the list is written at exit when it changed
    // Set when the start-up KV6830.ini was refused: the exit save goes here instead.
    QString m_keptSettingsAlternative;
    std::vector<QPointer<AnnotationListWindow>> m_annotationLists;
};

}  // namespace kv::app
