#pragma once

#include <QAbstractItemModel>
#include <QStringList>
#include <QVariant>

#include <optional>

namespace tessik {
class AppModel;
}

namespace tessik::ui {

// Formats under their category headings, in the catalog's category order followed by "other": the tree both format
// lists share. Headings are the top level, formats their children. Rebuilt when the catalog changes: the model is
// reset only when its rows are others, else only the rows that show something else are repainted. The staged
// changes and the role only repaint rows.
class CategoryTreeModel : public QAbstractItemModel
{
    Q_OBJECT

public:
    QModelIndex index(int row, int column, const QModelIndex& parent = {}) const override;
    QModelIndex parent(const QModelIndex& child) const override;
    int rowCount(const QModelIndex& parent = {}) const override;
    int columnCount(const QModelIndex& parent = {}) const override;
    QVariant data(const QModelIndex& index, int role = Qt::DisplayRole) const override;
    Qt::ItemFlags flags(const QModelIndex& index) const override;

    // The row of a type, invalid when it is not listed.
    QModelIndex indexOfType(const QString& typeIdentifier) const;

protected:
    CategoryTreeModel(AppModel& model, int columns, QObject* parent);

    // Called before each rebuild, to take what the rows need from the model.
    virtual void prepare() {}
    // The application whose formats are listed; none lists every format.
    virtual std::optional<QString> appID() const = 0;
    // Data of a format row beyond what every format row has.
    virtual QVariant typeData(const QString& typeIdentifier, int column, int role) const;
    // The type of a format row; empty for a heading.
    QString typeAt(const QModelIndex& index) const;
    void rebuild();
    // Every format row changed its data for the roles.
    void repaintRows(const QList<int>& roles);

    AppModel& m_model;

private:
    struct Section
    {
        QString id;
        QString name;
        QStringList types;
        QList<QStringList> searchTexts;
        // What each row showed when the section was built.
        QList<QVariantList> shown;
    };
    QVariantList shownData(const QString& typeIdentifier) const;

    int m_columns;
    QList<Section> m_sections;
};

} // namespace tessik::ui
