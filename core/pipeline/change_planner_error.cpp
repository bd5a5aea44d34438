#include "change_planner_error.h"

using namespace Qt::StringLiterals;

namespace tessik {

ChangePlannerError::ChangePlannerError(const QString& typeIdentifier)
    : std::runtime_error(u"同一格式存在不同目标应用：%1"_s.arg(typeIdentifier).toStdString()),
      m_typeIdentifier(typeIdentifier)
{
}

} // namespace tessik
