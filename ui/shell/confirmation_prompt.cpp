#include "confirmation_prompt.h"

#include "app/model/failure_texts.h"
#include "core/services/type_resolver.h"
#include "ui/main/plain_text.h"
#include "ui/settings/language_setting.h"

#include <QMessageBox>
#include <QMutex>
#include <QPushButton>
#include <QThread>

#include <future>

using namespace Qt::StringLiterals;

namespace tessik::ui {

struct ConfirmationPrompt::Question
{
    std::promise<bool> answer;
    bool answered = false;
};

// Shared with the handler, which may outlive the prompt inside the workspace.
struct ConfirmationPrompt::State
{
    QMutex mutex;
    bool closed = false;
    ConfirmationPrompt* prompt = nullptr;
    QList<std::shared_ptr<Question>> pending;

    void answer(const std::shared_ptr<Question>& question, bool accepted)
    {
        QMutexLocker locker(&mutex);
        if (question->answered)
            return;
        question->answered = true;
        question->answer.set_value(accepted);
        pending.removeOne(question);
    }
};

ConfirmationPrompt::ConfirmationPrompt(QObject* parent) : QObject(parent), m_state(std::make_shared<State>())
{
    m_state->prompt = this;
}

ConfirmationPrompt::~ConfirmationPrompt()
{
    shutdown();
    platform::Workspace::setConfirmationHandler({});
}

QString ConfirmationPrompt::text(const platform::DefaultApplicationQuestion& question, const QString& language)
{
    const QString format = FailureTexts::subject(TypeResolver().extensions(question.contentType), question.contentType);
    return L10n::text(u"要让“{app}”成为 {format} 的默认打开方式吗？"_s, language,
                      {{u"app"_s, question.applicationName}, {u"format"_s, format}});
}

void ConfirmationPrompt::install()
{
    platform::Workspace::setConfirmationHandler(
        [state = m_state, thread = thread()](const platform::DefaultApplicationQuestion& question) {
            // Waiting here on the interface thread would freeze the very loop that shows the question.
            if (QThread::currentThread() == thread)
                return false;
            auto pending = std::make_shared<Question>();
            std::future<bool> answer = pending->answer.get_future();
            {
                QMutexLocker locker(&state->mutex);
                if (state->closed)
                    return false;
                state->pending.append(pending);
                // The prompt cannot go away while the mutex is held: shutdown takes it first.
                QMetaObject::invokeMethod(
                    state->prompt, [prompt = state->prompt, question, pending] { prompt->show(question, pending); },
                    Qt::QueuedConnection);
            }
            return answer.get();
        });
}

void ConfirmationPrompt::show(const platform::DefaultApplicationQuestion& question, std::shared_ptr<Question> pending)
{
    {
        QMutexLocker locker(&m_state->mutex);
        if (m_state->closed || pending->answered)
            return;
    }
    const QString language = LanguageSetting::shared().code();
    auto* box =
        new QMessageBox(QMessageBox::Question, u"Tessik"_s, text(question, language), QMessageBox::NoButton, m_window);
    box->setObjectName(u"confirmation"_s);
    box->setTextFormat(Qt::PlainText);
    box->setAttribute(Qt::WA_DeleteOnClose);
    box->setWindowModality(Qt::WindowModal);
    if (!question.contentTypeDescription.isEmpty())
        box->setInformativeText(PlainText::asRichText(question.contentTypeDescription));
    QPushButton* decline = box->addButton(L10n::text(u"取消"_s, language), QMessageBox::RejectRole);
    decline->setObjectName(u"decline"_s);
    QPushButton* confirm = box->addButton(L10n::text(u"设为默认"_s, language), QMessageBox::AcceptRole);
    confirm->setObjectName(u"confirm"_s);
    box->setDefaultButton(decline);
    box->setEscapeButton(decline);
    const std::weak_ptr<State> state = m_state;
    connect(box, &QMessageBox::finished, this, [this, box, confirm, state, pending] {
        m_open = nullptr;
        if (const auto alive = state.lock())
            alive->answer(pending, box->clickedButton() == confirm);
    });
    // Closed any other way (the window went away), it is a no.
    connect(box, &QObject::destroyed, this, [state, pending] {
        if (const auto alive = state.lock())
            alive->answer(pending, false);
    });
    m_open = box;
    box->open();
    Q_EMIT questionShown(box);
}

void ConfirmationPrompt::shutdown()
{
    QList<std::shared_ptr<Question>> pending;
    {
        QMutexLocker locker(&m_state->mutex);
        m_state->closed = true;
        pending = m_state->pending;
    }
    for (const auto& question : pending)
        m_state->answer(question, false);
    if (m_open)
        m_open->close();
}

} // namespace tessik::ui
