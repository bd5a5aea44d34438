#pragma once

#include "app/l10n/l10n.h"
#include "platform/bundle.h"

#include <QWidget>

class QComboBox;
class QGroupBox;
class QLabel;
class QPushButton;

namespace tessik::ui {

class LanguageListModel;

// The settings window: the interface language, which every open window follows at once, and a feedback mail.
class SettingsWindow : public QWidget
{
    Q_OBJECT

public:
    // The bundle whose version the feedback mail reports.
    explicit SettingsWindow(QWidget* parent = nullptr, platform::Bundle bundle = platform::Bundle::mainBundle());

    // Prepares the feedback mail in the default mail application; an alert says when it cannot.
    void composeFeedback();
    // The "mailto" draft composeFeedback hands over.
    QUrl feedbackMail() const;
    // While the main window is busy the language stays as it is.
    void setBusy(bool busy);

protected:
    void keyPressEvent(QKeyEvent* event) override;

private:
    void retranslate();
    QString tr(const QString& key, const L10n::Values& values = {}) const;

    platform::Bundle m_bundle;
    LanguageListModel* m_languages;
    QLabel* m_heading;
    QGroupBox* m_languageGroup;
    QComboBox* m_language;
    QGroupBox* m_feedbackGroup;
    QLabel* m_feedbackText;
    QPushButton* m_compose;
    QPushButton* m_close;
};

} // namespace tessik::ui
