#pragma once

#include "app/l10n/l10n.h"

#include <QDialog>

#include <optional>

class QLabel;
class QLineEdit;
class QPushButton;

namespace tessik {
class AppModel;
}

namespace tessik::ui {

// Adds a format by its extension: for the current application (it becomes associated although it does not declare
// the format) or on its own, to be given a default application next.
class AddFormatSheet : public QDialog
{
    Q_OBJECT

public:
    AddFormatSheet(AppModel& model, bool forApp, QWidget* parent = nullptr);

    bool saving() const { return m_saving; }
    std::optional<QString> error() const;

private:
    void add();
    void setSaving(bool saving);
    void retranslate();
    QString tr(const QString& key, const L10n::Values& values = {}) const;

    AppModel& m_model;
    bool m_forApp;
    bool m_saving = false;
    QWidget* m_content;
    QLabel* m_title;
    QLabel* m_explanation;
    QLineEdit* m_input;
    QLabel* m_error;
    QPushButton* m_cancel;
    QPushButton* m_add;
};

} // namespace tessik::ui
