#pragma once

#include <QString>

#include <stdexcept>

namespace tessik {

// Why a custom association could not be made; the message is the user-facing text.
class CustomAssociationError : public std::runtime_error
{
public:
    enum class Kind
    {
        invalidExtension,
        unresolvedExtension
    };

    explicit CustomAssociationError(Kind kind);

    Kind kind() const { return m_kind; }
    QString message() const { return QString::fromUtf8(what()); }
    bool operator==(const CustomAssociationError& other) const { return m_kind == other.m_kind; }

    static QString messageFor(Kind kind);

private:
    Kind m_kind;
};

} // namespace tessik
