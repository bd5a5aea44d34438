#pragma once

#include "app/l10n/l10n.h"
#include "core/records/installed_app.h"

#include <QDialog>

#include <functional>
#include <optional>

class QAbstractItemModel;
class QLabel;
class QLineEdit;
class QListView;
class QPushButton;

namespace tessik {
class AppModel;
}

namespace tessik::ui {

class AppListModel;
class SearchFilterProxy;

// Picks any application, listed or browsed to, as the handler of the selected format.
class AppChooserSheet : public QDialog
{
    Q_OBJECT

public:
    // Asks the user for an application and answers once, without blocking; nothing when cancelled.
    using Picker = std::function<void(QWidget* parent, std::function<void(const std::optional<QString>&)> answer)>;

    AppChooserSheet(AppModel& model, QWidget* parent = nullptr);

    // For tests; an empty picker restores the file dialog.
    static void setPicker(Picker picker);
    // A window-modal panel opened at the first application folder: the system's own where it picks applications,
    // else one that offers only applications (bundles as items on a Mac, desktop files otherwise).
    static void pickWithFileDialog(QWidget* parent, std::function<void(const std::optional<QString>&)> answer);

    bool saving() const { return m_saving; }
    std::optional<QString> error() const;
    QAbstractItemModel* rows() const;

private:
    void choose(const InstalledApp& app);
    void browse();
    void browsed(const std::optional<QString>& path);
    void setSaving(bool saving);
    void retranslate();
    QString tr(const QString& key, const L10n::Values& values = {}) const;

    AppModel& m_model;
    bool m_saving = false;
    AppListModel* m_apps;
    SearchFilterProxy* m_filter;
    QWidget* m_content;
    QLabel* m_title;
    QLineEdit* m_search;
    QListView* m_list;
    QLabel* m_error;
    QPushButton* m_browse;
    QPushButton* m_cancel;
};

} // namespace tessik::ui
