// SPDX-License-Identifier: GPL-3.0-or-later
// The main window's exports: the workbook of frmExcel, and VCD and CSV files for other tools.
#include <QAction>
#include <QDesktopServices>
#include <QMenu>
#include <QUrl>
#include <fstream>
#include <sstream>

#include "core/data_set_export.h"
#include "dialogs/excel_dialog.h"
#include "dialogs/topmost.h"
#include "interop/csv_writer.h"
#include "interop/vcd_reader.h"
#include "interop/vcd_writer.h"
#include "main/main_window.h"
#include "main/voltage_text.h"

namespace kv::app {

void WindowQuestions::openDocument(const QString &path) {
    QDesktopServices::openUrl(QUrl::fromLocalFile(path));
}

void MainWindow::buildExportCommands() {
    QAction *excel = action("mnuExcel");
    excel->setEnabled(true);
    connect(excel, &QAction::triggered, this, [this] { showExcelDialog(); });

    // The files for other tools follow the workbook in the File menu.
    auto *file = findChild<QMenu *>("mnuFile");
    auto *menu = new QMenu("VCD and CSV", file);
    menu->setObjectName("mnuOtherTools");
    const QList<QAction *> items = file->actions();
    const qsizetype at = items.indexOf(excel);
    file->insertMenu(at + 1 < items.size() ? items[at + 1] : nullptr, menu);
    const auto add = [&](const char *name, const char *caption, auto slot) {
        QAction *a = item(menu, name, caption, true);
        connect(a, &QAction::triggered, this, slot);
    };
    add("mnuExportVcd", "Export Data as &VCD...", [this] { exportSamples(SampleFile::Vcd); });
    add("mnuExportVcdChannels", "Export Data as VCD, &channels only...",
        [this] { exportSamples(SampleFile::VcdChannelsOnly); });
    add("mnuExportCsv", "Export Data as CSV, one row per &sample...",
        [this] { exportSamples(SampleFile::CsvEverySample); });
    add("mnuExportCsvChanges", "Export Data as CSV, one row per c&hange...",
        [this] { exportSamples(SampleFile::CsvEveryChange); });
    add("mnuImportVcd", "&Import VCD...", [this] { importVcd(); });
}

void MainWindow::showExcelDialog() {
    if (!m_excel) {
        ExcelHooks hooks;
        hooks.source = [this] {
            SheetSource source;
            const int set = m_state.views[static_cast<size_t>(m_state.currentView)].dataSet;
            for (int p = 0; p < 3; ++p)
                source.planes[static_cast<size_t>(p)] = m_state.capture.plane(set, p);
            source.available = m_state.recordLength;
            source.origin = m_state.dataSetRecords[static_cast<size_t>(set)][0];
            // The unit has no analog inputs: zero levels 0 and range code 0 on both.
            source.zeroLevel = {0, 0};
            source.verticalScale = {verticalScale(1, 0, 400), verticalScale(2, 0, 400)};
            return source;
        };
        hooks.chooseFile = [this] {
            return chooseSaveName("Data Output Option", "Excel Workbook (*.xlsx)", "xlsx");
        };
        hooks.tell = [this](const QString &text) { m_questions->tell("Data Output Option", text); };
        hooks.open = [this](const QString &path) { m_questions->openDocument(path); };
        m_excel = new ExcelDialog(std::move(hooks), this);
        m_excel->setWindowModality(Qt::ApplicationModal);
    }
    placeTopmost(m_excel, -1, 400, 200);
    m_excel->show();
    m_excel->raise();
    m_excel->activateWindow();
}

void MainWindow::exportSamples(SampleFile kind) {
    const bool vcd = kind == SampleFile::Vcd || kind == SampleFile::VcdChannelsOnly;
    const QString title = vcd ? "Export Data as VCD" : "Export Data as CSV";
    const QString name = vcd ? chooseSaveName(title, "VCD File (*.vcd)", "vcd")
                             : chooseSaveName(title, "CSV File (*.csv)", "csv");
    if (name.isEmpty()) return;
    const interop::SampleSet samples = currentSampleSet(m_state);
    std::ostringstream text;
    if (vcd) {
        interop::VcdOptions options;
        options.groupVectors = kind == SampleFile::Vcd;
        interop::writeVcd(text, samples, options);
    } else {
        interop::writeCsv(text, samples,
                          kind == SampleFile::CsvEverySample ? interop::CsvRows::EverySample
                                                             : interop::CsvRows::EveryChange);
    }
    const std::string content = text.str();
    const platform::WriteOutcome outcome =
        platform::replaceFile(name.toStdString(), {{content.data(), content.size()}});
    if (!outcome.ok()) {
        m_questions->tell(
            title, "The file " + name + " " + QString::fromStdString(outcome.describe()) + ".");
    }
}

void MainWindow::importVcd() {
    const QString name = chooseOpenName("Import VCD", "VCD Files (*.vcd)", "vcd");
    if (name.isEmpty()) return;
    std::ifstream in(name.toStdString(), std::ios::binary);
    if (!in) {
        m_questions->tell("Import VCD", "The file " + name + " could not be opened.");
        return;
    }
    std::array<std::string, interop::kChannels> names;
    for (size_t n = 0; n < names.size(); ++n)
        names[n] = m_state.channelNames[n];
    const interop::VcdImport file =
        interop::readVcd(in, names, std::max<int64_t>(1, std::llround(m_state.samplePeriodPs)),
                         m_state.recordLength);
    if (!file.ok) {
        m_questions->tell("Import VCD", "The file " + name + " was not imported (" +
                                            QString::fromStdString(file.error) +
                                            "). Nothing was changed.");
        return;
    }
    takeImport(m_state, file);
    redrawAllViews();
    const std::string notes = importNotes(m_state, file);
    if (!notes.empty())
        m_questions->tell("Import VCD",
                          "The file " + name + " was imported.\n" + QString::fromStdString(notes));
}

}  // namespace kv::app
