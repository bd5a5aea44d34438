#include "format_knowledge_base_error.h"

using namespace Qt::StringLiterals;

namespace tessik {

FormatKnowledgeBaseError::FormatKnowledgeBaseError(Kind kind)
    : std::runtime_error(messageFor(kind).toStdString()), m_kind(kind)
{
}

QString FormatKnowledgeBaseError::messageFor(Kind kind)
{
    switch (kind) {
    case Kind::unsupportedSchema:
        return u"格式目录版本不受支持。"_s;
    case Kind::fileTooLarge:
        return u"格式目录文件过大。"_s;
    case Kind::invalidCatalog:
        return u"格式目录内容无效。"_s;
    }
    Q_UNREACHABLE();
    return {};
}

} // namespace tessik
