#pragma once

#include "app/l10n/l10n.h"
#include "app/model/staged_import.h"

#include <QDialog>

class QLabel;
class QListWidget;
class QPushButton;

namespace tessik {
class AppModel;
}

namespace tessik::ui {

// What an import staged, to review and apply at once or later from the bottom bar, and what it set aside and why.
class ImportSheet : public QDialog
{
    Q_OBJECT

public:
    ImportSheet(AppModel& model, QString fileName, StagedImport::Outcome outcome, QWidget* parent = nullptr);

private:
    QString tr(const QString& key, const L10n::Values& values = {}) const;
    void retranslate();
    void fill();

    AppModel& m_model;
    QString m_fileName;
    StagedImport::Outcome m_outcome;
    QLabel* m_title = nullptr;
    QLabel* m_summary = nullptr;
    QListWidget* m_staged = nullptr;
    QLabel* m_skippedTitle = nullptr;
    QListWidget* m_skipped = nullptr;
    QPushButton* m_apply = nullptr;
    QPushButton* m_done = nullptr;
};

} // namespace tessik::ui
