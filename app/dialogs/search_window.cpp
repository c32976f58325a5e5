// SPDX-License-Identifier: GPL-3.0-or-later
#include "dialogs/search_window.h"

#include <QButtonGroup>
#include <QCheckBox>
#include <QComboBox>
#include <QGridLayout>
#include <QGroupBox>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QTableView>
#include <QTimer>
#include <QVBoxLayout>

#include "core/capture_parameters.h"
#include "main/trigger_word_box.h"
#include "timing/measurements.h"

namespace kv::app {
namespace {

WordLayout searchWordLayout() {
    WordLayout layout;
    layout.length = kSearchWordLength;
    layout.separators[0] = layout.separators[1] = -1;
    layout.dontCare = 'x';
    layout.blank = kBlankSearchWord;
    return layout;
}

}  // namespace

HitListModel::HitListModel(std::function<std::string(int32_t)> timeText, QObject *parent)
    : QAbstractTableModel(parent), m_timeText(std::move(timeText)) {}

int HitListModel::rowCount(const QModelIndex &parent) const {
    return parent.isValid() ? 0 : static_cast<int>(m_rows.size());
}

int HitListModel::columnCount(const QModelIndex &parent) const {
    return parent.isValid() ? 0 : 3;
}

QVariant HitListModel::data(const QModelIndex &index, int role) const {
    if (!index.isValid() || index.row() >= rowCount()) return {};
    const HitRow &r = m_rows[static_cast<size_t>(index.row())];
    if (role == Qt::TextAlignmentRole)
        return index.column() == 2 ? QVariant() : QVariant(Qt::AlignRight | Qt::AlignVCenter);
    if (role != Qt::DisplayRole) return {};
    switch (index.column()) {
        case 0:
            return r.position;
        case 1:
            return QString::fromStdString(m_timeText(r.position));
        default:
            return QString::fromStdString(r.text);
    }
}

QVariant HitListModel::headerData(int section, Qt::Orientation o, int role) const {
    if (o != Qt::Horizontal || role != Qt::DisplayRole) return {};
    const char *names[3] = {"Position", "Time", "D23-D0"};
    return section >= 0 && section < 3 ? QString(names[section]) : QVariant();
}

void HitListModel::clear() {
    beginResetModel();
    m_rows.clear();
    endResetModel();
}

void HitListModel::append(std::vector<HitRow> &&rows) {
    if (rows.empty()) return;
    const int first = rowCount();
    beginInsertRows({}, first, first + static_cast<int>(rows.size()) - 1);
    m_rows.insert(m_rows.end(), std::make_move_iterator(rows.begin()),
                  std::make_move_iterator(rows.end()));
    endInsertRows();
}

SearchWindow::SearchWindow(ProgramState &state, SearchHooks hooks, QWidget *parent)
    : QWidget(parent, Qt::Tool), m_state(state), m_hooks(std::move(hooks)) {
    setObjectName("frmSearch");
    setWindowTitle("Search data");
    auto *layout = new QGridLayout(this);
    layout->addWidget(buildPresets(), 0, 0);
    layout->addWidget(buildSearchFrame(), 0, 1);
    m_check2 = new QCheckBox("Search group", this);
    m_check2->setObjectName("Check2");
    layout->addWidget(m_check2, 1, 0, 1, 2);
    layout->addWidget(buildGroupFrame(), 2, 0, 1, 2);
    m_status = new QLabel(this);
    m_status->setObjectName("lbStatus");
    layout->addWidget(m_status, 3, 0, 1, 2);
    layout->addWidget(buildHitList(), 4, 0, 1, 2);
    connect(m_check2, &QCheckBox::toggled, this, &SearchWindow::groupCheck);
    m_frame3->hide();
    m_fill = new QTimer(this);
    m_fill->setInterval(0);
    connect(m_fill, &QTimer::timeout, this, &SearchWindow::fillStep);
}

QGroupBox *SearchWindow::buildPresets() {
    auto *frame = new QGroupBox("D23--D0", this);
    frame->setObjectName("Frame1");
    auto *grid = new QGridLayout(frame);
    m_presets = new QButtonGroup(this);
    const char *cursorWords[3] = {"Cursor A data", "Cursor B data", "Trigger bar data"};
    for (int i = 0; i < 7; ++i) {
        auto *b = new QRadioButton(
            i < 4 ? kSearchPresets[static_cast<size_t>(i)] : cursorWords[i - 4], frame);
        b->setObjectName(QString("OptData(%1)").arg(i));
        if (i < 4) b->setFont(QFont("Monospace"));
        m_presets->addButton(b, i);
        grid->addWidget(b, i, 0);
    }
    auto *trans = new QPushButton("=>", frame);
    trans->setObjectName("cmdTrans");
    grid->addWidget(trans, 0, 1, 7, 1);
    connect(trans, &QPushButton::clicked, this, &SearchWindow::transfer);
    return frame;
}

QGroupBox *SearchWindow::buildSearchFrame() {
    auto *frame = new QGroupBox("Search data", this);
    frame->setObjectName("Frame2");
    auto *grid = new QGridLayout(frame);
    auto *by = new QLabel("Search by", frame);
    by->setObjectName("lbQualify(1)");
    grid->addWidget(by, 0, 0);
    auto *channels = new QLabel("D23--D0", frame);
    channels->setObjectName("lbQualify(2)");
    grid->addWidget(channels, 0, 1);
    m_word = new TriggerWordBox(frame, searchWordLayout());
    m_word->setObjectName("TextSearch");
    m_word->setToolTip("Edit Trigger word");
    m_word->setWord("xxxxxxxx0000xxxx11111111");
    grid->addWidget(m_word, 1, 0, 1, 3);
    connect(m_word, &QLineEdit::editingFinished, this, [this] { normaliseWord(); });
    m_cursors = new QButtonGroup(this);
    const char *names[3] = {"Cursor A", "Cursor B", "Trigger cursor"};
    for (int i = 0; i < 3; ++i) {
        auto *b = new QRadioButton(names[i], frame);
        b->setObjectName(QString("optVbar(%1)").arg(i));
        m_cursors->addButton(b, i);
        grid->addWidget(b, 2, i);
    }
    m_cursors->button(0)->setChecked(true);
    const char *directions[2] = {"Forward", "Backward"};
    for (int d = 0; d < 2; ++d) {
        auto *b = new QPushButton(directions[d], frame);
        b->setObjectName(QString("cmdSearch(%1)").arg(d));
        grid->addWidget(b, 3, d);
        connect(b, &QPushButton::clicked, this, [this, d] { search(d); });
    }
    return frame;
}

QGroupBox *SearchWindow::buildGroupFrame() {
    m_frame3 = new QGroupBox("Search edit by group", this);
    m_frame3->setObjectName("Frame3");
    auto *grid = new QGridLayout(m_frame3);
    for (int i = 0; i < 4; ++i) {
        auto *combo = new QComboBox(m_frame3);
        combo->setObjectName(QString("Combo4(%1)").arg(i));
        auto *value = new QLineEdit(m_frame3);
        value->setObjectName(QString("Text1(%1)").arg(i));
        m_groups[static_cast<size_t>(i)] = combo;
        m_values[static_cast<size_t>(i)] = value;
        grid->addWidget(combo, i, 0);
        grid->addWidget(value, i, 1);
        connect(combo, &QComboBox::activated, this, [this, i](int g) {
            m_state.searchSlots[static_cast<size_t>(i)].flag = static_cast<uint8_t>(g);
        });
        connect(value, &QLineEdit::textEdited, this, [this, i](const QString &t) {
            m_state.searchSlots[static_cast<size_t>(i)].word = t.toStdString();
        });
    }
    m_radix = new QButtonGroup(this);
    const char *radix[2] = {"Hex", "Decimal"};
    for (int r = 0; r < 2; ++r) {
        auto *b = new QRadioButton(radix[r], m_frame3);
        b->setObjectName(QString("Option1(%1)").arg(r));
        m_radix->addButton(b, r);
        grid->addWidget(b, 4, r);
    }
    connect(m_radix, &QButtonGroup::idClicked, this,
            [this](int r) { m_state.searchOption = static_cast<uint8_t>(r); });
    auto *upate = new QPushButton("Upate", m_frame3);
    upate->setObjectName("Command2");
    grid->addWidget(upate, 5, 0);
    connect(upate, &QPushButton::clicked, this, &SearchWindow::update);
    auto *groupEdit = new QPushButton("Group edit", m_frame3);
    groupEdit->setObjectName("Command4");
    grid->addWidget(groupEdit, 5, 1);
    connect(groupEdit, &QPushButton::clicked, this, [this] {
        if (m_hooks.openGroupSetup) m_hooks.openGroupSetup();
    });
    return m_frame3;
}

QWidget *SearchWindow::buildHitList() {
    auto *box = new QWidget(this);
    auto *layout = new QGridLayout(box);
    layout->setContentsMargins(0, 0, 0, 0);
    auto *findAll = new QPushButton("Find all", box);
    findAll->setObjectName("cmdFindAll");
    layout->addWidget(findAll, 0, 0);
    m_hitCount = new QLabel(box);
    m_hitCount->setObjectName("lbHits");
    layout->addWidget(m_hitCount, 0, 1);
    m_annotationText = new QLineEdit(box);
    m_annotationText->setObjectName("TextAnnotation");
    m_annotationText->setPlaceholderText("decoder annotation text");
    layout->addWidget(m_annotationText, 0, 2);
    auto *findAnnotations = new QPushButton("Find in annotations", box);
    findAnnotations->setObjectName("cmdFindAnnotations");
    layout->addWidget(findAnnotations, 0, 3);
    connect(findAnnotations, &QPushButton::clicked, this, &SearchWindow::findAnnotations);
    connect(m_annotationText, &QLineEdit::returnPressed, this, &SearchWindow::findAnnotations);
    m_model = new HitListModel(
        [this](int32_t position) {
            const ViewState &view = m_state.views[static_cast<size_t>(m_state.currentView)];
            const DisplayUnits units{m_state.displayTime, m_state.displaySamples,
                                     m_state.displayFrequency};
            const uint8_t code = m_state.settings.rateCode;
            return hitTimeText(position, readoutTrigger(m_state, view), units,
                               m_state.samplePeriodPs, code,
                               rangePeriod(code, m_state.samplePeriodPs));
        },
        this);
    m_list = new QTableView(box);
    m_list->setObjectName("lstHits");
    m_list->setModel(m_model);
    m_list->setSelectionBehavior(QAbstractItemView::SelectRows);
    m_list->setSelectionMode(QAbstractItemView::SingleSelection);
    m_list->verticalHeader()->hide();
    m_list->verticalHeader()->setDefaultSectionSize(m_list->fontMetrics().height() + 4);
    m_list->horizontalHeader()->setStretchLastSection(true);
    m_list->setMinimumHeight(160);
    layout->addWidget(m_list, 1, 0, 1, 4);
    connect(findAll, &QPushButton::clicked, this, &SearchWindow::findAll);
    connect(m_list, &QTableView::clicked, this, &SearchWindow::hitClicked);
    return box;
}

void SearchWindow::opened() {
    m_presets->button(0)->setChecked(true);
    m_word->setWord(QString::fromStdString(normalisedSearchWord(m_state.searchPattern)));
    m_status->clear();
}

SearchMasks SearchWindow::normaliseWord() {
    const std::string word = normalisedSearchWord(m_word->text().toStdString());
    m_word->setWord(QString::fromStdString(word));
    return searchMasks(word);
}

void SearchWindow::transfer() {
    const int i = m_presets->checkedId();
    if (i < 0) return;
    if (i < 4) {
        m_word->setWord(kSearchPresets[static_cast<size_t>(i)]);
    } else {
        std::array<std::string, 24> rows;
        for (int j = 23; j >= 0; --j)
            rows[static_cast<size_t>(23 - j)] =
                m_hooks.valueLabel ? m_hooks.valueLabel(i - 4, j) : std::string();
        m_word->setWord(QString::fromStdString(wordFromValueLabels(rows)));
    }
    normaliseWord();
}

void SearchWindow::groupCheck(bool on) {
    m_frame3->setVisible(on);
    if (!on) return;
    for (size_t i = 0; i < 4; ++i) {
        QComboBox *combo = m_groups[i];
        combo->clear();
        for (const std::string &name : m_state.groups.name)
            combo->addItem(QString::fromStdString(name));
        combo->setCurrentIndex(std::clamp<int>(m_state.searchSlots[i].flag, 0, kGroups - 1));
        m_values[i]->setText(QString::fromStdString(m_state.searchSlots[i].word));
    }
    m_radix->button(m_state.searchOption == 1 ? 1 : 0)->setChecked(true);
}

void SearchWindow::update() {
    std::array<int, 4> groups{};
    std::array<std::string, 4> values;
    for (size_t i = 0; i < 4; ++i) {
        groups[i] = m_state.searchSlots[i].flag;
        values[i] = m_state.searchSlots[i].word;
    }
    const ComposedWord composed =
        composeFromGroups(m_state.groups, groups, values, m_state.searchOption == 1 ? 1 : 0);
    if (!composed.error.empty()) return tell(QString::fromStdString(composed.error), true);
    m_state.searchPattern = composed.word;
    m_word->setWord(QString::fromStdString(normalisedSearchWord(composed.word)));
    m_status->clear();
}

int SearchWindow::chosenCursor() const {
    return std::max(m_cursors->checkedId(), 0);
}

void SearchWindow::search(int direction) {
    const SearchMasks masks = normaliseWord();
    const int cursor = chosenCursor();
    const SearchOutcome result = runSearch(
        m_state, m_hooks.searchVdata ? m_hooks.searchVdata() : nullptr, masks, cursor, direction);
    if (!result.found) return tell("not found");
    m_status->clear();
    moveCursor(cursor, result.position);
}

void SearchWindow::moveCursor(int cursor, int32_t position) {
    int32_t &at = cursorPosition(m_state.views[static_cast<size_t>(m_state.currentView)], cursor);
    at = position;
    if (m_hooks.showCursor) m_hooks.showCursor(cursor);
    // The cursors stop short of the record's last samples: say where the hit is when the
    // cursor could not go there.
    if (at != position)
        tell(QString("Found at %1, past the last cursor position %2.").arg(position).arg(at));
}

void SearchWindow::findAll() {
    stopFill();
    m_model->clear();
    const SearchMasks masks = normaliseWord();
    if (m_state.capture.dataSets() == 0) return tell("not found");
    const ViewState &view = m_state.views[static_cast<size_t>(m_state.currentView)];
    const int set = std::clamp(view.dataSet, 0, m_state.capture.dataSets() - 1);
    const int32_t origin = m_state.dataSetRecords[static_cast<size_t>(set)][0];
    const auto plane = [&](int p) { return m_state.capture.plane(set, p) + origin; };
    m_scan =
        std::make_unique<SampleHitScan>(plane(0), plane(1), plane(2), m_state.recordLength, masks);
    m_status->clear();
    m_hitCount->setText("Searching...");
    m_fill->start();
}

void SearchWindow::findAnnotations() {
    stopFill();
    m_model->clear();
    m_status->clear();
    const std::string needle = m_annotationText->text().toStdString();
    if (needle.empty()) return m_hitCount->setText("Type the text to find in the annotations.");
    std::vector<HitRow> rows;
    if (m_hooks.annotationHits) rows = m_hooks.annotationHits(needle);
    if (rows.size() > kMaxHits) rows.resize(kMaxHits);
    const size_t found = rows.size();
    m_model->append(std::move(rows));
    m_hitCount->setText(found == 0
                            ? QString("not found")
                            : QString("%L1 annotations").arg(static_cast<qulonglong>(found)));
}

bool SearchWindow::filling() const {
    return m_fill->isActive();
}

void SearchWindow::fillStep() {
    if (!m_scan) return stopFill();
    std::vector<HitRow> rows;
    const bool done = m_scan->step(kFillStep, rows);
    m_model->append(std::move(rows));
    const QString count = QString("%L1 hits").arg(m_scan->hits());
    if (!done) {
        m_hitCount->setText(QString("Searching... %1 (%2%)").arg(count).arg(m_scan->percent()));
        return;
    }
    m_fill->stop();
    if (m_scan->capped())
        m_hitCount->setText(QString("Stopped at %L1 hits: the list holds the first %L1 only.")
                                .arg(static_cast<qulonglong>(kMaxHits)));
    else if (m_scan->hits() == 0)
        m_hitCount->setText("not found");
    else
        m_hitCount->setText(count);
    m_scan.reset();
}

void SearchWindow::stopFill() {
    m_fill->stop();
    m_scan.reset();
}

void SearchWindow::hitClicked(const QModelIndex &index) {
    if (!index.isValid()) return;
    m_status->clear();
    moveCursor(chosenCursor(), m_model->row(index.row()).position);
}

void SearchWindow::hideEvent(QHideEvent *event) {
    if (m_scan) {
        stopFill();
        m_hitCount->setText(QString("Stopped: %L1 hits so far").arg(m_model->rowCount()));
    }
    QWidget::hideEvent(event);
}

void SearchWindow::tell(const QString &text, bool fault) {
    m_status->setStyleSheet(fault ? "color: #b00000" : "");
    m_status->setText(text);
}

}  // namespace kv::app
