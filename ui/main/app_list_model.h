#pragma once

#include <QAbstractListModel>

namespace tessik {
class AppModel;
}

namespace tessik::ui {

// The installed applications in the model's order: icon and name.
class AppListModel : public QAbstractListModel
{
    Q_OBJECT

public:
    explicit AppListModel(AppModel& model, QObject* parent = nullptr);

    int rowCount(const QModelIndex& parent = {}) const override;
    QVariant data(const QModelIndex& index, int role = Qt::DisplayRole) const override;
    // The row of an application, invalid when it is not listed.
    QModelIndex indexOfApp(const QString& bundleIdentifier) const;

private:
    void rebuild();

    AppModel& m_model;
    QStringList m_foldedNames;
};

} // namespace tessik::ui
