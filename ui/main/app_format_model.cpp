#include "app_format_model.h"

#include "app/l10n/l10n.h"
#include "app/model/app_model.h"
#include "item_roles.h"
#include "plain_text.h"
#include "row_badges.h"

using namespace Qt::StringLiterals;

namespace tessik::ui {

AppFormatModel::AppFormatModel(AppModel& model, QObject* parent) : CategoryTreeModel(model, 2, parent)
{
    connect(&m_model, &AppModel::selectedAppChanged, this, &AppFormatModel::rebuild);
    connect(&m_model, &AppModel::pendingChanged, this, [this] { repaintRows({Qt::CheckStateRole}); });
    connect(&m_model, &AppModel::roleChanged, this, [this] { repaintRows({Qt::DisplayRole, DefaultNameRole}); });
    connect(&m_model, &AppModel::languageCodeChanged, this, [this] { Q_EMIT headerDataChanged(Qt::Horizontal, 0, 1); });
    rebuild();
}

void AppFormatModel::prepare()
{
    m_app = m_model.currentApp();
}

std::optional<QString> AppFormatModel::appID() const
{
    if (!m_app)
        return u""_s; // no application: no formats
    return m_app->bundleIdentifier;
}

QVariant AppFormatModel::headerData(int section, Qt::Orientation orientation, int role) const
{
    if (orientation != Qt::Horizontal || role != Qt::DisplayRole || section < 0 || section > 1)
        return {};
    return section == 0 ? L10n::text(u"格式"_s, m_model.languageCode())
                        : L10n::text(u"当前默认应用"_s, m_model.languageCode());
}

QVariant AppFormatModel::typeData(const QString& typeIdentifier, int column, int role) const
{
    if (column == 1)
        return role == Qt::DisplayRole   ? QVariant(m_model.defaultName(typeIdentifier))
               : role == Qt::ToolTipRole ? QVariant(PlainText::asRichText(m_model.defaultName(typeIdentifier)))
                                         : QVariant();
    switch (role) {
    case Qt::CheckStateRole:
        return m_app && m_model.pending().value(typeIdentifier) == m_app->bundleIdentifier ? Qt::Checked
                                                                                           : Qt::Unchecked;
    case BadgesRole:
        return m_app ? RowBadges::formatRow(m_model, typeIdentifier, *m_app) : QStringList();
    case DefaultNameRole:
        return m_model.defaultName(typeIdentifier);
    case SecondaryTextRole:
        return m_model.description(typeIdentifier);
    default:
        return CategoryTreeModel::typeData(typeIdentifier, column, role);
    }
}

bool AppFormatModel::setData(const QModelIndex& index, const QVariant& value, int role)
{
    const QString type = typeAt(index);
    if (role != Qt::CheckStateRole || type.isEmpty() || index.column() != 0 || !m_app)
        return false;
    if (value.value<Qt::CheckState>() == Qt::Checked)
        m_model.stage(type, m_app->bundleIdentifier);
    else if (m_model.pending().value(type) == m_app->bundleIdentifier)
        m_model.unstage(type); // another application's staging stays
    return true;
}

Qt::ItemFlags AppFormatModel::flags(const QModelIndex& index) const
{
    Qt::ItemFlags flags = CategoryTreeModel::flags(index);
    if (index.column() == 0 && !typeAt(index).isEmpty())
        flags |= Qt::ItemIsUserCheckable;
    return flags;
}

} // namespace tessik::ui
