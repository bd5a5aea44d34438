#pragma once

#include "core/records/installed_app.h"

#include <QStringList>

namespace tessik {
class AppModel;
}

namespace tessik::ui {

// Which badges a row carries, translated into the model's language.
class RowBadges
{
public:
    // "需扩展" or "推荐" when the catalog suggests the application for a type it does not declare itself.
    static QStringList suggestion(const AppModel& model, const QString& typeIdentifier, const InstalledApp& app);
    // A format row of an application's detail: "手动添加", then the suggestion badge.
    static QStringList formatRow(const AppModel& model, const QString& typeIdentifier, const InstalledApp& app);
    // A candidate of a format: "手动添加" or else the suggestion badge; then "待设为默认" or else "当前默认".
    static QStringList candidate(const AppModel& model, const QString& typeIdentifier, const InstalledApp& app);
};

} // namespace tessik::ui
