#pragma once

#include <QString>

#include <exception>
#include <memory>

namespace tessik::platform {

inline const QString NSCocoaErrorDomain = QStringLiteral("NSCocoaErrorDomain");
inline const QString NSOSStatusErrorDomain = QStringLiteral("NSOSStatusErrorDomain");
inline const QString NSPOSIXErrorDomain = QStringLiteral("NSPOSIXErrorDomain");
inline constexpr int NSUserCancelledError = 3072;
inline constexpr int NSFileNoSuchFileError = 4;
inline constexpr int NSFileReadUnknownError = 256;
inline constexpr int NSFileReadNoPermissionError = 257;
inline constexpr int NSFileReadNoSuchFileError = 260;
inline constexpr int NSFileWriteUnknownError = 512;
inline constexpr int userCanceledErr = -128;
// A desktop's setting of higher precedence than the user's own list still decides the default; the error names its
// file.
inline const QString TessikDesktopErrorDomain = QStringLiteral("TessikDesktopErrorDomain");
inline constexpr int TessikOverriddenDefaultError = 1;
// The system did not answer a change it confirms with the user within the time allowed; whether it took is unknown.
inline const QString TessikWorkspaceErrorDomain = QStringLiteral("TessikWorkspaceErrorDomain");
inline constexpr int TessikConfirmationUnansweredError = 1;

// An error as the platform reports it: domain, code, description and the error it wraps, if any.
// Thrown unchanged where the platform's own error must reach the caller.
class NSError : public std::exception
{
public:
    NSError(QString domain, qint64 code, QString description, std::shared_ptr<const NSError> underlying = {},
            QString filePath = {});

    const QString& domain() const { return m_domain; }
    qint64 code() const { return m_code; }
    const QString& localizedDescription() const { return m_description; }
    // The error stored under NSUnderlyingErrorKey of the user-information map.
    const NSError* underlyingError() const { return m_underlying.get(); }
    // The file the error is about (NSFilePathErrorKey), or empty.
    const QString& filePath() const { return m_filePath; }

    const char* what() const noexcept override { return m_what.constData(); }

    bool operator==(const NSError& other) const;

private:
    QString m_domain;
    qint64 m_code = 0;
    QString m_description;
    std::shared_ptr<const NSError> m_underlying;
    QString m_filePath;
    QByteArray m_what;
};

} // namespace tessik::platform
