#include "language_list_model.h"

#include "app/l10n/app_language.h"

namespace tessik::ui {

int LanguageListModel::rowCount(const QModelIndex& parent) const
{
    return parent.isValid() ? 0 : int(AppLanguage::allCases().size());
}

QVariant LanguageListModel::data(const QModelIndex& index, int role) const
{
    if (!checkIndex(index, CheckIndexOption::IndexIsValid | CheckIndexOption::ParentIsInvalid))
        return {};
    const AppLanguage language = AppLanguage::allCases().at(index.row());
    switch (role) {
    case Qt::DisplayRole:
        return language.name();
    case CodeRole:
        return language.rawValue();
    default:
        return {};
    }
}

int LanguageListModel::row(const QString& code) const
{
    const auto language = AppLanguage::fromRawValue(code);
    return language ? int(AppLanguage::allCases().indexOf(*language)) : -1;
}

} // namespace tessik::ui
