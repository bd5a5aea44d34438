#include "candidate_model.h"

#include "app/model/app_model.h"
#include "item_roles.h"
#include "plain_text.h"
#include "row_badges.h"
#include "ui/icons/app_icon_cache.h"

#include <QGuiApplication>
#include <QIcon>

namespace tessik::ui {

CandidateModel::CandidateModel(AppModel& model, QObject* parent) : QAbstractListModel(parent), m_model(model)
{
    connect(&m_model, &AppModel::selectedTypeChanged, this, &CandidateModel::rebuild);
    connect(&m_model, &AppModel::indexChanged, this, &CandidateModel::rebuild);
    for (auto signal : {&AppModel::pendingChanged, &AppModel::roleChanged, &AppModel::languageCodeChanged})
        connect(&m_model, signal, this, &CandidateModel::repaint);
    rebuild();
}

void CandidateModel::rebuild()
{
    const std::optional<FileAssociation> association = m_model.currentAssociation();
    const QString type = m_model.selectedType().value_or(QString());
    const QList<InstalledApp> apps = association ? association->capableApps : QList<InstalledApp>();
    // The same candidates of the same format (a new handler, a new refresh of the same catalog) repaint in place.
    if (type == m_type && apps == m_apps) {
        if (!m_apps.isEmpty())
            Q_EMIT dataChanged(index(0), index(int(m_apps.size()) - 1));
        return;
    }
    beginResetModel();
    m_type = type;
    m_apps = apps;
    endResetModel();
}

void CandidateModel::repaint()
{
    if (!m_apps.isEmpty())
        Q_EMIT dataChanged(index(0), index(int(m_apps.size()) - 1), {RadioRole, BadgesRole});
}

int CandidateModel::rowCount(const QModelIndex& parent) const
{
    return parent.isValid() ? 0 : int(m_apps.size());
}

QVariant CandidateModel::data(const QModelIndex& index, int role) const
{
    if (!checkIndex(index, CheckIndexOption::IndexIsValid | CheckIndexOption::ParentIsInvalid))
        return {};
    const InstalledApp& app = m_apps.at(index.row());
    switch (role) {
    case Qt::DisplayRole:
        return app.name;
    case Qt::ToolTipRole:
        return PlainText::asRichText(app.name);
    case Qt::DecorationRole:
        return QIcon(AppIconCache::icon(app, 28, qApp->devicePixelRatio()));
    case IdentifierRole:
        return app.bundleIdentifier;
    case SecondaryTextRole:
        return app.bundleIdentifier;
    case RadioRole: {
        const auto staged = m_model.pending().constFind(m_type);
        if (staged != m_model.pending().cend())
            return *staged == app.bundleIdentifier;
        const std::optional<FileAssociation> association = m_model.association(m_type);
        return association && association->defaultHandlers.value(m_model.role()) == app.bundleIdentifier;
    }
    case BadgesRole:
        return RowBadges::candidate(m_model, m_type, app);
    default:
        return {};
    }
}

void CandidateModel::choose(const QModelIndex& index)
{
    if (checkIndex(index, CheckIndexOption::IndexIsValid | CheckIndexOption::ParentIsInvalid) && !m_type.isEmpty())
        m_model.stage(m_type, m_apps.at(index.row()).bundleIdentifier);
}

} // namespace tessik::ui
