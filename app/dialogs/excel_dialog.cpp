// SPDX-License-Identifier: GPL-3.0-or-later
#include "dialogs/excel_dialog.h"

#include <QCheckBox>
#include <QCloseEvent>
#include <QElapsedTimer>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QProgressBar>
#include <QPushButton>
#include <QTimer>
#include <QVBoxLayout>

#include "dialogs/xlsx_workbook.h"

namespace kv::app {
namespace {

constexpr const char *kTitle = "Data Output Option";
// How long one step writes rows before the window gets its turn.
constexpr int kStepMs = 8;

}  // namespace

ExcelDialog::ExcelDialog(ExcelHooks hooks, QWidget *parent)
    : QDialog(parent), m_hooks(std::move(hooks)) {
    setObjectName("frmExcel");
    setWindowTitle(kTitle);
    auto *layout = new QVBoxLayout(this);
    auto *grid = new QGridLayout;
    layout->addLayout(grid);
    static const char *kSections[3] = {"D7-D0", "D15-D8", "D23-D16"};
    static const char *kFormatBoxes[3] = {"ChkA1", "ChkA2", "ChkLA"};
    static const char *kFormats[4] = {"Decimal", "HexDecimal", "Ascii", "Binary"};
    for (int s = 0; s < 3; ++s) {
        auto *section = new QCheckBox(kSections[s], this);
        section->setObjectName(QString("ChkCh(%1)").arg(s));
        m_section[static_cast<size_t>(s)] = section;
        grid->addWidget(section, s, 0);
        for (int k = 0; k < 4; ++k) {
            auto *format = new QCheckBox(kFormats[k], this);
            format->setObjectName(QString("%1(%2)").arg(kFormatBoxes[s]).arg(k));
            m_format[static_cast<size_t>(s)][static_cast<size_t>(k)] = format;
            grid->addWidget(format, s, k + 1);
        }
    }
    auto *buffer = new QGroupBox("Buffer", this);
    buffer->setObjectName("Frame1");
    auto *range = new QHBoxLayout(buffer);
    static const char *kLabels[2] = {"From", "to"};
    static const char *kTexts[2] = {"0", "100"};
    for (int i = 0; i < 2; ++i) {
        range->addWidget(new QLabel(kLabels[i], buffer));
        m_adds[static_cast<size_t>(i)] = new QLineEdit(kTexts[i], buffer);
        m_adds[static_cast<size_t>(i)]->setObjectName(QString("TxtAdds(%1)").arg(i));
        range->addWidget(m_adds[static_cast<size_t>(i)]);
    }
    layout->addWidget(buffer);
    m_progress = new QProgressBar(this);
    m_progress->setObjectName("ExportProgress");
    m_progress->setRange(0, 1);
    m_progress->setValue(0);
    layout->addWidget(m_progress);
    auto *buttons = new QHBoxLayout;
    m_ok = new QPushButton("OK", this);
    m_ok->setObjectName("cmdOk");
    m_abort = new QPushButton("Abort", this);
    m_abort->setObjectName("cmdAbort");
    m_ok->setAutoDefault(false);
    m_abort->setAutoDefault(false);
    buttons->addStretch();
    buttons->addWidget(m_ok);
    buttons->addWidget(m_abort);
    layout->addLayout(buttons);
    m_timer = new QTimer(this);
    m_timer->setSingleShot(true);
    connect(m_timer, &QTimer::timeout, this, &ExcelDialog::step);
    connect(m_ok, &QPushButton::clicked, this, &ExcelDialog::ok);
    connect(m_abort, &QPushButton::clicked, this, [this] {
        if (m_export) m_export->abort();
    });
}

ExcelDialog::~ExcelDialog() = default;

SheetChoice ExcelDialog::choice() const {
    SheetChoice c;
    for (size_t s = 0; s < 3; ++s) {
        c.section[s] = m_section[s]->isChecked();
        for (size_t k = 0; k < 4; ++k)
            c.format[s][k] = m_format[s][k]->isChecked();
    }
    return c;
}

void ExcelDialog::ok() {
    if (m_export) return;
    std::array<qlonglong, 2> value{};
    static const char *kNames[2] = {"From", "to"};
    for (size_t i = 0; i < 2; ++i) {
        bool number = false;
        value[i] = m_adds[i]->text().trimmed().toLongLong(&number);
        if (!number || value[i] < 0) {
            m_hooks.tell(QString("\"%1\" needs a sample number of 0 or more; \"%2\" is none.")
                             .arg(kNames[i], m_adds[i]->text()));
            return;
        }
    }
    const SheetSource source = m_hooks.source();
    const SheetRange range = clipRange(value[0], value[1], source.available);
    m_adds[1]->setText(QString::number(range.last));
    if (range.first > range.last) {
        m_hooks.tell(QString("There are no samples from %1 to %2: the record ends at sample %3.")
                         .arg(range.first)
                         .arg(value[1])
                         .arg(source.available - 1));
        return;
    }
    m_path = m_hooks.chooseFile();
    if (m_path.isEmpty()) return;
    m_workbook = std::make_unique<XlsxWorkbook>();
    if (!m_workbook->problem().empty()) {
        m_hooks.tell("The workbook " + m_path +
                     " was not written: " + QString::fromStdString(m_workbook->problem()) + ".");
        m_workbook.reset();
        return;
    }
    m_export = std::make_unique<SheetExport>(choice(), source, range, *m_workbook);
    m_progress->setRange(0, static_cast<int>(std::max<int64_t>(m_export->rowsTotal(), 1)));
    m_progress->setValue(0);
    if (!m_export->start()) {
        finish();  // no byte chosen: the workbook stays empty
        return;
    }
    m_ok->setEnabled(false);
    m_timer->start(0);
}

void ExcelDialog::step() {
    QElapsedTimer clock;
    clock.start();
    bool more = true;
    while (more && clock.elapsed() < kStepMs)
        more = m_export->writeRow();
    m_progress->setValue(static_cast<int>(m_export->rowsWritten()));
    if (more)
        m_timer->start(0);
    else
        finish();
}

void ExcelDialog::finish() {
    const std::string problem = m_workbook->saveAs(m_path.toStdString());
    m_export.reset();
    m_workbook.reset();
    m_ok->setEnabled(true);
    if (!problem.empty()) {
        m_hooks.tell("The workbook " + m_path + " " + QString::fromStdString(problem) + ".");
        return;
    }
    m_hooks.open(m_path);
}

void ExcelDialog::closeEvent(QCloseEvent *event) {
    // Closing while rows are written is "Abort": the rows so far are saved.
    if (m_export) m_export->abort();
    QDialog::closeEvent(event);
}

void ExcelDialog::reject() {
    if (m_export) m_export->abort();
    QDialog::reject();
}

}  // namespace kv::app
