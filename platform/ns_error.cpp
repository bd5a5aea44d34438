#include "ns_error.h"

namespace tessik::platform {

NSError::NSError(QString domain, qint64 code, QString description, std::shared_ptr<const NSError> underlying,
                 QString filePath)
    : m_domain(std::move(domain)), m_code(code), m_description(std::move(description)),
      m_underlying(std::move(underlying)), m_filePath(std::move(filePath)), m_what(m_description.toUtf8())
{
}

bool NSError::operator==(const NSError& other) const
{
    if (m_domain != other.m_domain || m_code != other.m_code || m_description != other.m_description)
        return false;
    if (!m_underlying || !other.m_underlying)
        return !m_underlying && !other.m_underlying;
    return *m_underlying == *other.m_underlying;
}

} // namespace tessik::platform
