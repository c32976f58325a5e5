// SPDX-License-Identifier: GPL-3.0-or-later
// Protocol decoders: the View menu's decoder dialog and annotation list, and the decoder
// settings file beside the settings file.
#include <QAction>
#include <QFileInfo>
#include <QMenu>
#include <QPointer>
#include <fstream>
#include <sstream>

#include "decode/decoder_settings.h"
#include "dialogs/annotation_list.h"
#include "dialogs/decoder_dialog.h"
#include "main/main_window.h"
#include "platform/atomic_file.h"
#include "timing/timing_view.h"
#include "timing/view_decoding.h"

namespace kv::app {

namespace {
const char *const kDecoderSettingsName = "KV6830-decoders.ini";
}

void MainWindow::buildDecoderCommands() {
    auto *view = findChild<QMenu *>("mnuView");
    if (!view) return;
    view->addSeparator();
    connect(item(view, "mnuDecoders", "Protocol &decoders...", true), &QAction::triggered, this,
            [this] { openDecoderDialog(); });
    connect(item(view, "mnuAnnotations", "&Annotation list", true), &QAction::triggered, this,
            [this] { openAnnotationList(); });
}

std::array<std::string, 24> MainWindow::channelNames() const {
    std::array<std::string, 24> names{};
    for (size_t n = 0; n < 24; ++n)
        names[n] = m_state.channelNames[n];
    return names;
}

void MainWindow::openDecoderDialog() {
    TimingView *v = view(m_state.currentView);
    if (!v) return;
    if (std::string why = decode::initialise(); !why.empty()) {
        m_questions->tell("Protocol decoders", QString::fromStdString(why));
        return;
    }
    DecoderDialog dialog(channelNames(), v->decoding()->stacks(), this);
    dialog.setWindowTitle(QString("Protocol decoders - Timing%1").arg(m_state.currentView + 1));
    if (dialog.exec() != QDialog::Accepted) return;
    v->decoding()->setStacks(dialog.stacks());
    v->draw();
}

void MainWindow::openAnnotationList() {
    const int k = m_state.currentView;
    TimingView *v = view(k);
    if (!v) return;
    if (m_annotationLists.size() <= static_cast<size_t>(k))
        m_annotationLists.resize(static_cast<size_t>(k) + 1);
    QPointer<AnnotationListWindow> &list = m_annotationLists[static_cast<size_t>(k)];
    if (!list) {
        AnnotationListWindow::Hooks hooks;
        hooks.exportCsv = [this, k] {
            const QString name = chooseSaveName("Export Annotations", "CSV File (*.csv)", "csv");
            if (name.isEmpty()) return;
            const std::string content =
                annotationListCsv(m_annotationLists[static_cast<size_t>(k)]->model().entries());
            const platform::WriteOutcome outcome =
                platform::replaceFile(name.toStdString(), {{content.data(), content.size()}});
            if (!outcome.ok())
                m_questions->tell(
                    "Export Annotations",
                    "The file " + name + " " + QString::fromStdString(outcome.describe()) + ".");
        };
        hooks.showSample = [this, v](int64_t sample) {
            const int set = std::clamp(m_state.views[static_cast<size_t>(v->index())].dataSet, 0,
                                       m_state.capture.dataSets() - 1);
            const int32_t offset = m_state.dataSetRecords[static_cast<size_t>(set)][0];
            m_state.views[static_cast<size_t>(v->index())].cursorA =
                std::clamp(static_cast<int32_t>(sample) - offset, 0,
                           std::max(m_state.views[static_cast<size_t>(v->index())].barMax, 0));
            redrawAllViews();
        };
        list = new AnnotationListWindow(std::move(hooks), this);
        list->setWindowTitle(QString("Annotations - Timing%1").arg(k + 1));
        connect(v->decoding(), &ViewDecoding::decoded, list,
                [this, k] { refreshAnnotationList(k); });
    }
    refreshAnnotationList(k);
    list->show();
    list->raise();
}

void MainWindow::refreshAnnotationList(int k) {
    if (static_cast<size_t>(k) >= m_annotationLists.size() ||
        !m_annotationLists[static_cast<size_t>(k)])
        return;
    TimingView *v = view(k);
    const ViewState &vs = m_state.views[static_cast<size_t>(k)];
    const int set = std::clamp(vs.dataSet, 0, m_state.capture.dataSets() - 1);
    const int32_t offset = m_state.dataSetRecords[static_cast<size_t>(set)][0];
    const int64_t period = std::max<int64_t>(1, std::llround(m_state.samplePeriodPs));
    m_annotationLists[static_cast<size_t>(k)]->model().setEntries(
        annotationEntries(v->decoding()->annotations(), offset + vs.triggerCursor, period));
}

AnnotationListModel *MainWindow::annotationList(int k) const {
    if (static_cast<size_t>(k) >= m_annotationLists.size() ||
        !m_annotationLists[static_cast<size_t>(k)])
        return nullptr;
    return &m_annotationLists[static_cast<size_t>(k)]->model();
}

QString MainWindow::decoderSettingsPath() const {
    return startupPath(kDecoderSettingsName);
}

void MainWindow::loadDecoderSettings() {
    std::ifstream in(decoderSettingsPath().toStdString());
    if (!in) return;
    if (std::string why = decode::initialise(); !why.empty()) {
        m_questions->tell("Protocol decoders", QString::fromStdString(why));
        return;
    }
    decode::DecoderSettingsRead read = decode::readDecoderSettings(in);
    for (auto &[k, stacks] : read.views)
        if (TimingView *v = view(k)) v->decoding()->setStacks(std::move(stacks));
    if (!read.problems.empty()) {
        QString text = decoderSettingsPath() + ": these lines were not taken:";
        for (const auto &p : read.problems)
            text += "\n" + QString::fromStdString(p);
        m_questions->tell("Protocol decoders", text);
    }
}

void MainWindow::saveDecoderSettings() {
    decode::ViewDecoders views;
    for (size_t k = 0; k < m_views.size(); ++k)
        if (!m_views[k]->decoding()->stacks().empty())
            views[static_cast<int>(k)] = m_views[k]->decoding()->stacks();
    const QString path = decoderSettingsPath();
    // No decoders and no file: nothing to keep.
    if (views.empty() && !QFileInfo::exists(path)) return;
    std::ostringstream out;
    decode::writeDecoderSettings(out, views);
    const std::string content = out.str();
    const platform::WriteOutcome outcome =
        platform::replaceFile(path.toStdString(), {{content.data(), content.size()}});
    if (!outcome.ok())
        m_questions->tell("Protocol decoders", "The decoder settings file " + path + " " +
                                                   QString::fromStdString(outcome.describe()) +
                                                   ".");
}

}  // namespace kv::app
