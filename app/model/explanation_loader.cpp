#include "explanation_loader.h"

#include "background_task.h"
#include "core/services/launch_services_association_reader.h"

namespace tessik {

ExplanationLoader::ExplanationLoader(QObject* parent) : QObject(parent)
{
    m_pool.setMaxThreadCount(1);
}

ExplanationLoader::~ExplanationLoader()
{
    m_pool.waitForDone();
}

void ExplanationLoader::request(const QString& typeIdentifier, AssociationRole role)
{
    const bool same = m_asked && typeIdentifier == m_type && role == m_role;
    if (same && !m_stale)
        return;
    if (!same)
        m_explanation.reset();
    m_asked = true;
    m_stale = false;
    m_loading = true;
    m_type = typeIdentifier;
    m_role = role;
    const quint64 generation = ++m_generation;
    runAttempt(&m_pool,
               [typeIdentifier, role] {
                   return LaunchServicesAssociationReader().explainDefaultHandler(typeIdentifier, role);
               })
        .then(this, [this, generation](const Attempt<platform::HandlerExplanation>& attempt) {
            if (generation != m_generation)
                return;
            m_loading = false;
            m_explanation = attempt.value;
            Q_EMIT changed();
        });
}

std::optional<platform::HandlerExplanation> ExplanationLoader::explanation(const QString& typeIdentifier,
                                                                           AssociationRole role) const
{
    if (!m_asked || typeIdentifier != m_type || role != m_role)
        return std::nullopt;
    return m_explanation;
}

} // namespace tessik
