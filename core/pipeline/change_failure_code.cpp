#include "change_failure_code.h"

using namespace Qt::StringLiterals;

namespace tessik {

QString rawValue(ChangeFailureCode code)
{
    switch (code) {
    case ChangeFailureCode::notConfirmed:
        return u"notConfirmed"_s;
    case ChangeFailureCode::writeFailed:
        return u"writeFailed"_s;
    case ChangeFailureCode::readBackFailed:
        return u"readBackFailed"_s;
    }
    return {};
}

std::optional<ChangeFailureCode> changeFailureCodeFromRawValue(const QString& raw)
{
    for (ChangeFailureCode code :
         {ChangeFailureCode::notConfirmed, ChangeFailureCode::writeFailed, ChangeFailureCode::readBackFailed})
        if (rawValue(code) == raw)
            return code;
    return std::nullopt;
}

} // namespace tessik
