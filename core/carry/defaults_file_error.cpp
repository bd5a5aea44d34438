#include "defaults_file_error.h"

namespace tessik {

namespace {

std::string describe(DefaultsFileError::Kind kind, int line, int entry, const QString& detail)
{
    // For logs and tests; a person reads the localised text L10n makes of the fields.
    QString text = QStringLiteral("defaults file error %1").arg(int(kind));
    if (line > 0)
        text += QStringLiteral(" at line %1").arg(line);
    if (entry > 0)
        text += QStringLiteral(" in entry %1").arg(entry);
    if (!detail.isEmpty())
        text += QStringLiteral(": ") + detail;
    return text.toStdString();
}

} // namespace

DefaultsFileError::DefaultsFileError(Kind kind, int line, int entry, QString detail)
    : std::runtime_error(describe(kind, line, entry, detail)), m_kind(kind), m_line(line), m_entry(entry),
      m_detail(std::move(detail))
{
}

} // namespace tessik
