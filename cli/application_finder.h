#pragma once

#include "core/records/installed_app.h"

#include <QList>
#include <QString>
#include <QStringList>

#include <optional>

namespace tessik::cli {

// Finds the installed application a person names on the command line: by its identifier in any case (on a
// desktop also without ".desktop"), by the path of its bundle or desktop file, or by its displayed name when no
// other installed application has that name.
class ApplicationFinder
{
public:
    explicit ApplicationFinder(QList<InstalledApp> installed) : m_installed(std::move(installed)) {}

    struct Result
    {
        std::optional<InstalledApp> app;
        // When nothing is found: the path named no application.
        bool notAnApplicationPath = false;
        // When nothing is found: the identifiers of every application with the name, or else the closest ones.
        QStringList candidates;
        bool ambiguous = false;
    };

    // An application found by path that is not among the installed ones is returned as well, for the caller to
    // register.
    Result find(const QString& name) const;
    // Why nothing was found, in the language.
    static QString missText(const Result& result, const QString& name, const QString& language);

private:
    QStringList closestIdentifiers(const QString& name) const;

    QList<InstalledApp> m_installed;
};

} // namespace tessik::cli
