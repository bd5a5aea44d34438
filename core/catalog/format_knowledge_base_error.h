#pragma once

#include <QString>

#include <stdexcept>

namespace tessik {

// Why a format catalog was refused; the message is the user-facing text.
class FormatKnowledgeBaseError : public std::runtime_error
{
public:
    enum class Kind
    {
        unsupportedSchema,
        fileTooLarge,
        invalidCatalog
    };

    explicit FormatKnowledgeBaseError(Kind kind);

    Kind kind() const { return m_kind; }
    QString message() const { return QString::fromUtf8(what()); }
    static QString messageFor(Kind kind);

private:
    Kind m_kind;
};

} // namespace tessik
