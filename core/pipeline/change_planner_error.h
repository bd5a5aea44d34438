#pragma once

#include <QString>

#include <stdexcept>

namespace tessik {

// Two staged wishes for one type and role name different applications.
class ChangePlannerError : public std::runtime_error
{
public:
    explicit ChangePlannerError(const QString& typeIdentifier);

    const QString& typeIdentifier() const { return m_typeIdentifier; }
    QString message() const { return QString::fromUtf8(what()); }

private:
    QString m_typeIdentifier;
};

} // namespace tessik
