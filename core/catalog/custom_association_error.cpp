#include "custom_association_error.h"

using namespace Qt::StringLiterals;

namespace tessik {

CustomAssociationError::CustomAssociationError(Kind kind)
    : std::runtime_error(messageFor(kind).toStdString()), m_kind(kind)
{
}

QString CustomAssociationError::messageFor(Kind kind)
{
    switch (kind) {
    case Kind::invalidExtension:
        return u"请输入单个扩展名，例如 mkk 或 .mkk，不要输入路径或分隔符。"_s;
    case Kind::unresolvedExtension:
        return u"无法解析此扩展名对应的文件类型。"_s;
    }
    Q_UNREACHABLE();
    return {};
}

} // namespace tessik
