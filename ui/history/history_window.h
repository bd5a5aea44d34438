#pragma once

#include "app/l10n/l10n.h"

#include <QFuture>
#include <QWidget>

class QLabel;
class QPushButton;
class QSplitter;
class QTreeView;

namespace tessik {
class AppModel;
}

namespace tessik::ui {

class HistoryChangeModel;
class HistoryListModel;

// Every run of changes, newest first, and what each change of the selected one did; a run can be put back, and
// the last one undone, after a question naming what will change.
class HistoryWindow : public QWidget
{
    Q_OBJECT

public:
    explicit HistoryWindow(AppModel& model, QWidget* parent = nullptr);

    // Reads the history again off the interface thread; the future ends once the lists show it.
    QFuture<void> reload();
    // The latest reading.
    QFuture<void> loaded() const { return m_loaded; }

protected:
    void showEvent(QShowEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;

private:
    QString tr(const QString& key, const L10n::Values& values = {}) const;
    void retranslate();
    void showSelected();
    void updateButtons();

    AppModel& m_model;
    HistoryListModel* m_entries = nullptr;
    HistoryChangeModel* m_changes = nullptr;
    int m_unreadable = 0;
    bool m_loading = false;
    QFuture<void> m_loaded;

    QLabel* m_heading = nullptr;
    QLabel* m_empty = nullptr;
    QSplitter* m_splitter = nullptr;
    QTreeView* m_list = nullptr;
    QLabel* m_summary = nullptr;
    QTreeView* m_table = nullptr;
    QLabel* m_status = nullptr;
    QPushButton* m_restore = nullptr;
    QPushButton* m_undo = nullptr;
    QPushButton* m_close = nullptr;
};

} // namespace tessik::ui
