#pragma once

#include <QAccessible>
#include <QHash>
#include <QListView>

namespace tessik::ui {

// The candidate applications of a format as one exclusive choice: arrows move, Space and Return choose as a
// click does, and assistive technology sees each row as a radio button with its checked state.
class CandidateListView : public QListView
{
    Q_OBJECT

public:
    explicit CandidateListView(QWidget* parent = nullptr);
    ~CandidateListView() override;

    void setModel(QAbstractItemModel* model) override;
    // The accessible interface of a row, made once and kept until the rows change.
    QAccessibleInterface* rowInterface(int row);

Q_SIGNALS:
    // The row was chosen with the mouse or the keyboard.
    void chosen(const QModelIndex& index);

protected:
    void keyPressEvent(QKeyEvent* event) override;
    void currentChanged(const QModelIndex& current, const QModelIndex& previous) override;

private:
    void forgetRows();
    void announceChecked(const QModelIndex& topLeft, const QModelIndex& bottomRight, const QList<int>& roles);

    QHash<int, QAccessible::Id> m_rows;
};

} // namespace tessik::ui
