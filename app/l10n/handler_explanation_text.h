#pragma once

#include "platform/handler_explanation.h"

#include <QString>
#include <QStringList>

#include <functional>

namespace tessik {

// A handler's explanation in words, in the user's language: the one line the window shows under the current
// default, and the lines the command line prints. The program and the command line share it.
class HandlerExplanationText
{
public:
    struct Names
    {
        // An application's name as the user knows it; its identifier when not given.
        std::function<QString(const QString& bundleIdentifier)> app;
        // A content type as the user knows it; its identifier when not given.
        std::function<QString(const QString& typeIdentifier)> type;
        // The user's home folder, which paths show as "~".
        QString home;
    };
    // Identifiers as they are, and this machine's home folder.
    static Names identifiers();

    // What decided the handler of the type asked about, then what was passed over before it.
    static QString line(const platform::HandlerExplanation& explanation, const QString& askedType, const Names& names,
                        const QString& language);
    // What decided, alone.
    static QString decision(const platform::HandlerExplanation& explanation, const QString& askedType,
                            const Names& names, const QString& language);
    // One line per entry passed over, with where it was named.
    static QStringList passedOverLines(const platform::HandlerExplanation& explanation, const Names& names,
                                       const QString& language);
    // The path with the home folder shown as "~".
    static QString displayPath(const QString& path, const QString& home);

private:
    static QString passedOver(const platform::HandlerExplanation::PassedOver& entry, const Names& names,
                              const QString& language);
};

} // namespace tessik
