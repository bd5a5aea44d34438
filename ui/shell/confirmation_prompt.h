#pragma once

#include "app/l10n/l10n.h"
#include "platform/workspace.h"

#include <QMessageBox>
#include <QObject>
#include <QPointer>

#include <memory>

class QMessageBox;
class QWidget;

namespace tessik::ui {

// Answers the system's question before an application becomes the default for all roles: the background thread
// that asks waits while a window-modal question is open on the interface thread.
class ConfirmationPrompt : public QObject
{
    Q_OBJECT

public:
    explicit ConfirmationPrompt(QObject* parent = nullptr);
    // Shuts down and removes the handler.
    ~ConfirmationPrompt() override;

    // Makes this the workspace's confirmation handler.
    void install();
    // The window the questions are modal to.
    void setWindow(QWidget* window) { m_window = window; }
    // Answers no to every open question and to every later one, so no thread is left waiting.
    void shutdown();

    // For tests: the question on screen, if any.
    QMessageBox* openQuestion() const { return m_open; }

    // The question as the user reads it.
    static QString text(const platform::DefaultApplicationQuestion& question, const QString& language);

Q_SIGNALS:
    void questionShown(QMessageBox* box);

private:
    struct State;
    struct Question;

    void show(const platform::DefaultApplicationQuestion& question, std::shared_ptr<Question> pending);

    std::shared_ptr<State> m_state;
    QPointer<QWidget> m_window;
    QPointer<QMessageBox> m_open;
};

} // namespace tessik::ui
