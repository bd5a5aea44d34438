#pragma once

#include "core/records/association_role.h"
#include "platform/handler_explanation.h"

#include <QObject>
#include <QString>
#include <QThreadPool>

#include <optional>

namespace tessik {

// Asks the system, off the interface thread, why a type's handler in a role is what it is. Only the answer to the
// latest question is kept; an earlier answer stays shown for the same question until the new one arrives.
class ExplanationLoader : public QObject
{
    Q_OBJECT

public:
    explicit ExplanationLoader(QObject* parent = nullptr);
    ~ExplanationLoader() override;

    // Asks again when the question differs from the last one or the answer is stale.
    void request(const QString& typeIdentifier, AssociationRole role);
    // The system may answer otherwise now (after a refresh or an apply): the next request asks again.
    void invalidate() { m_stale = true; }

    // The latest answer, when it is for this question; nothing when none has arrived or it could not be told.
    std::optional<platform::HandlerExplanation> explanation(const QString& typeIdentifier, AssociationRole role) const;
    bool isLoading() const { return m_loading; }

Q_SIGNALS:
    // An answer arrived.
    void changed();

private:
    QThreadPool m_pool;
    quint64 m_generation = 0;
    QString m_type;
    AssociationRole m_role = AssociationRole::all;
    bool m_asked = false;
    bool m_stale = false;
    bool m_loading = false;
    std::optional<platform::HandlerExplanation> m_explanation;
};

} // namespace tessik
