#pragma once

#include <QAbstractListModel>

namespace tessik::ui {

// The languages of the picker, in their order, each named in itself; the code is the user role.
class LanguageListModel : public QAbstractListModel
{
    Q_OBJECT

public:
    static constexpr int CodeRole = Qt::UserRole + 1;

    using QAbstractListModel::QAbstractListModel;

    int rowCount(const QModelIndex& parent = {}) const override;
    QVariant data(const QModelIndex& index, int role = Qt::DisplayRole) const override;
    // The row of the code, or -1 for a code that is none of ours.
    int row(const QString& code) const;
};

} // namespace tessik::ui
