#pragma once

#include "app/l10n/l10n.h"

#include <QDialog>

class QLabel;
class QListWidget;
class QPushButton;

namespace tessik {
class AppModel;
}

namespace tessik::ui {

// The staged changes, one row each ("format → application"), to review and remove one by one; a change kept
// staged after a failure is found here.
class StagedChangesSheet : public QDialog
{
    Q_OBJECT

public:
    explicit StagedChangesSheet(AppModel& model, QWidget* parent = nullptr);

private:
    QString tr(const QString& key, const L10n::Values& values = {}) const;
    void retranslate();
    void fill();
    void removeCurrent();

    AppModel& m_model;
    QLabel* m_title = nullptr;
    QListWidget* m_list = nullptr;
    QPushButton* m_remove = nullptr;
    QPushButton* m_done = nullptr;
};

} // namespace tessik::ui
