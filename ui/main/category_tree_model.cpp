#include "category_tree_model.h"

#include "app/model/app_model.h"
#include "item_roles.h"
#include "plain_text.h"
#include "search_filter_proxy.h"

#include <algorithm>
#include <utility>

using namespace Qt::StringLiterals;

namespace tessik::ui {

// A heading's internal id is 0; a format row's is its heading's row + 1.
CategoryTreeModel::CategoryTreeModel(AppModel& model, int columns, QObject* parent)
    : QAbstractItemModel(parent), m_model(model), m_columns(columns)
{
    for (auto signal : {&AppModel::indexChanged, &AppModel::extraTypesChanged, &AppModel::knowledgeChanged,
                        &AppModel::languageCodeChanged})
        connect(&m_model, signal, this, &CategoryTreeModel::rebuild);
}

void CategoryTreeModel::rebuild()
{
    prepare();
    QList<Section> sections;
    QStringList ids;
    for (const FormatCategory& category : m_model.categoryOptions())
        if (!ids.contains(category.id))
            ids.append(category.id);
    for (const QString& id : {CatalogDisplayIndex::linksCategory, CatalogDisplayIndex::otherCategory})
        if (!ids.contains(id))
            ids.append(id);
    const std::optional<QString> app = appID();
    for (const QString& id : ids) {
        Section section{id, m_model.categoryName(id), m_model.types(id, app), {}};
        if (section.types.isEmpty())
            continue;
        for (const QString& type : section.types) {
            section.searchTexts.append({SearchFilterProxy::fold(m_model.label(type)),
                                        SearchFilterProxy::fold(m_model.description(type)),
                                        SearchFilterProxy::fold(type)});
            section.shown.append(shownData(type));
        }
        sections.append(section);
    }
    // The same rows (as after changes were applied, which move only handlers) are repainted where they are, so
    // the views keep their place and do not lay out the whole tree again.
    const auto sameRows = [](const Section& a, const Section& b) { return a.id == b.id && a.types == b.types; };
    if (std::equal(sections.cbegin(), sections.cend(), m_sections.cbegin(), m_sections.cend(), sameRows)) {
        const QList<Section> old = std::exchange(m_sections, sections);
        // Only rows that show something else: a tree view measures every row it is told of again.
        for (int row = 0; row < m_sections.size(); ++row) {
            const QModelIndex heading = index(row, 0);
            if (m_sections.at(row).name != old.at(row).name)
                Q_EMIT dataChanged(heading, index(row, m_columns - 1));
            const QList<QVariantList>& shown = m_sections.at(row).shown;
            for (int first = 0; first < shown.size(); ++first) {
                if (shown.at(first) == old.at(row).shown.at(first))
                    continue;
                int last = first;
                while (last + 1 < shown.size() && shown.at(last + 1) != old.at(row).shown.at(last + 1))
                    ++last;
                Q_EMIT dataChanged(index(first, 0, heading), index(last, m_columns - 1, heading));
                first = last;
            }
        }
        return;
    }
    beginResetModel();
    m_sections = sections;
    endResetModel();
}

// What a view paints of a format row, to tell the rows a rebuild changed.
QVariantList CategoryTreeModel::shownData(const QString& typeIdentifier) const
{
    static const int roles[] = {Qt::DisplayRole, Qt::ToolTipRole, Qt::CheckStateRole,
                                BadgesRole,      DefaultNameRole, SecondaryTextRole};
    QVariantList shown;
    for (int column = 0; column < m_columns; ++column)
        for (const int role : roles)
            shown.append(typeData(typeIdentifier, column, role));
    return shown;
}

void CategoryTreeModel::repaintRows(const QList<int>& roles)
{
    for (int row = 0; row < m_sections.size(); ++row) {
        const QModelIndex heading = index(row, 0);
        const int count = m_sections.at(row).types.size();
        Q_EMIT dataChanged(index(0, 0, heading), index(count - 1, m_columns - 1, heading), roles);
    }
}

QModelIndex CategoryTreeModel::index(int row, int column, const QModelIndex& parent) const
{
    if (!hasIndex(row, column, parent))
        return {};
    if (!parent.isValid())
        return createIndex(row, column, quintptr(0));
    return createIndex(row, column, quintptr(parent.row() + 1));
}

QModelIndex CategoryTreeModel::parent(const QModelIndex& child) const
{
    if (!child.isValid() || child.internalId() == 0)
        return {};
    return createIndex(int(child.internalId() - 1), 0, quintptr(0));
}

int CategoryTreeModel::rowCount(const QModelIndex& parent) const
{
    if (!parent.isValid())
        return int(m_sections.size());
    if (parent.internalId() != 0 || parent.column() != 0)
        return 0;
    return int(m_sections.at(parent.row()).types.size());
}

int CategoryTreeModel::columnCount(const QModelIndex&) const
{
    return m_columns;
}

QString CategoryTreeModel::typeAt(const QModelIndex& index) const
{
    if (!index.isValid() || index.internalId() == 0)
        return {};
    return m_sections.at(int(index.internalId() - 1)).types.at(index.row());
}

QModelIndex CategoryTreeModel::indexOfType(const QString& typeIdentifier) const
{
    for (int row = 0; row < m_sections.size(); ++row) {
        const qsizetype position = m_sections.at(row).types.indexOf(typeIdentifier);
        if (position >= 0)
            return index(int(position), 0, index(row, 0));
    }
    return {};
}

QVariant CategoryTreeModel::data(const QModelIndex& index, int role) const
{
    if (!checkIndex(index, CheckIndexOption::IndexIsValid))
        return {};
    if (index.internalId() == 0) {
        const Section& section = m_sections.at(index.row());
        if (role == SectionRole)
            return true;
        if (index.column() != 0)
            return {};
        switch (role) {
        case Qt::DisplayRole:
            return section.name;
        case IdentifierRole:
        case CategoryRole:
            return section.id;
        default:
            return {};
        }
    }
    const Section& section = m_sections.at(int(index.internalId() - 1));
    const QString& type = section.types.at(index.row());
    if (index.column() == 0) {
        switch (role) {
        case SectionRole:
            return false;
        case IdentifierRole:
            return type;
        case CategoryRole:
            return section.id;
        case SearchTextRole:
            return section.searchTexts.at(index.row());
        default:
            break;
        }
    }
    return typeData(type, index.column(), role);
}

QVariant CategoryTreeModel::typeData(const QString& typeIdentifier, int column, int role) const
{
    if (column == 0 && role == Qt::DisplayRole)
        return m_model.label(typeIdentifier);
    if (column == 0 && role == Qt::ToolTipRole)
        return PlainText::asRichText(m_model.label(typeIdentifier));
    return {};
}

Qt::ItemFlags CategoryTreeModel::flags(const QModelIndex& index) const
{
    if (!index.isValid())
        return Qt::NoItemFlags;
    if (index.internalId() == 0)
        return Qt::NoItemFlags; // a heading: the keyboard passes over it
    return Qt::ItemIsEnabled | Qt::ItemIsSelectable | Qt::ItemNeverHasChildren;
}

} // namespace tessik::ui
