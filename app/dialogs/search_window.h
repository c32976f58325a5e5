// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QAbstractTableModel>
#include <QWidget>
#include <array>
#include <functional>
#include <memory>
#include <vector>

#include "core/program_state.h"
#include "dialogs/search_hits.h"

class QButtonGroup;
class QCheckBox;
class QComboBox;
class QGroupBox;
class QLabel;
class QLineEdit;
class QPushButton;
class QRadioButton;
class QTableView;
class QTimer;

namespace kv::app {

class TriggerWordBox;

// What the search window asks of the program around it.
struct SearchHooks {
    std::function<decltype (&::SearchVdata)()> searchVdata;
    // Caption of the current view's value label of track row `row` at cursor 0 A, 1 B or
    // 2 the trigger cursor.
    std::function<std::string(int cursor, int row)> valueLabel;
    // The current view shows its cursor (0, 1, 2) at the position the state now holds,
    // with the zoom change anchored on it.
    std::function<void(int cursor)> showCursor;
    std::function<void()> openGroupSetup;
    // The current view's decoder annotations whose text holds `needle` (case alike), as
    // hit rows at their first sample.
    std::function<std::vector<HitRow>(const std::string &needle)> annotationHits;
};

// The rows of "Find all": position, time from the trigger, and text. The time is worked
// out when shown, so that it follows the display unit and the trigger cursor.
class HitListModel : public QAbstractTableModel {
    Q_OBJECT
  public:
    HitListModel(std::function<std::string(int32_t)> timeText, QObject *parent);
    int rowCount(const QModelIndex &parent = {}) const override;
    int columnCount(const QModelIndex &parent = {}) const override;
    QVariant data(const QModelIndex &index, int role) const override;
    QVariant headerData(int section, Qt::Orientation o, int role) const override;
    void clear();
    void append(std::vector<HitRow> &&rows);
    const HitRow &row(int r) const { return m_rows[static_cast<size_t>(r)]; }

  private:
    std::function<std::string(int32_t)> m_timeText;
    std::vector<HitRow> m_rows;
};

// frmSearch, "Search data": composes a 24-channel word and moves a cursor of the current
// view to the next or previous sample that matches it, or lists every matching sample.
class SearchWindow : public QWidget {
    Q_OBJECT
  public:
    // Samples "Find all" looks at between two events of the window.
    static constexpr int32_t kFillStep = 4096;

    SearchWindow(ProgramState &state, SearchHooks hooks, QWidget *parent = nullptr);

    // Opening: preset 0 chosen and TextSearch loaded from the search word.
    void opened();
    // The search word after normalising, with the masks it gives.
    SearchMasks normaliseWord();
    void search(int direction);
    void findAll();
    // "Find in annotations": every decoder annotation of the current view whose text holds
    // the text of TextAnnotation, in the same list.
    void findAnnotations();
    bool filling() const;
    HitListModel *hits() const { return m_model; }

  protected:
    void hideEvent(QHideEvent *event) override;

  private:
    QGroupBox *buildPresets();
    QGroupBox *buildSearchFrame();
    QGroupBox *buildGroupFrame();
    QWidget *buildHitList();
    void transfer();
    void groupCheck(bool on);
    void update();
    int chosenCursor() const;
    void moveCursor(int cursor, int32_t position);
    void fillStep();
    void stopFill();
    void hitClicked(const QModelIndex &index);
    void tell(const QString &text, bool fault = false);

    ProgramState &m_state;
    SearchHooks m_hooks;
    TriggerWordBox *m_word = nullptr;  // TextSearch
    QButtonGroup *m_presets = nullptr, *m_cursors = nullptr, *m_radix = nullptr;
    QCheckBox *m_check2 = nullptr;
    QGroupBox *m_frame3 = nullptr;
    std::array<QComboBox *, 4> m_groups{};
    std::array<QLineEdit *, 4> m_values{};
    QLabel *m_status = nullptr;
    QLabel *m_hitCount = nullptr;
    QLineEdit *m_annotationText = nullptr;
    QTableView *m_list = nullptr;
    HitListModel *m_model = nullptr;
    QTimer *m_fill = nullptr;
    std::unique_ptr<SampleHitScan> m_scan;
};

}  // namespace kv::app
