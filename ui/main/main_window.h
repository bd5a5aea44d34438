#pragma once

#include "app/l10n/l10n.h"
#include "app/model/app_model.h"
#include "app/model/explanation_loader.h"

#include <QMainWindow>
#include <QPointer>
#include <QTimer>

#include <functional>

class QAbstractButton;
class QButtonGroup;
class QComboBox;
class QLabel;
class QLineEdit;
class QListView;
class QMessageBox;
class QProgressBar;
class QPushButton;
class QStackedWidget;
class QToolButton;
class QTreeView;

namespace tessik {
class FormatCatalogUpdater;
}

namespace tessik::ui {

class AppFormatModel;
class AppListModel;
class CandidateListView;
class ElidedLabel;
class CandidateModel;
class FormatTreeModel;
class SearchFilterProxy;

// The one main window: the catalog by application or by format, staging, applying, and the model's messages.
// It owns the window's AppModel.
class MainWindow : public QMainWindow
{
    Q_OBJECT

public:
    // Without an updater the model uses the process's shared one.
    explicit MainWindow(FormatCatalogUpdater* updater = nullptr, QWidget* parent = nullptr);
    ~MainWindow() override;

    AppModel& model() { return m_model; }
    bool byApp() const { return m_byApp; }
    void setByApp(bool byApp);
    // What the window shows first: the view, and the application (by application) or the content type (by
    // format) to select; a selection the catalog lacks gives way to the first row once it is loaded.
    void showFirst(bool byApp, const std::optional<QString>& selection);
    // Off for a run that only renders the window: no request leaves the machine.
    void setCatalogUpdatesEnabled(bool enabled) { m_catalogUpdates = enabled; }
    // Why the selected format's default is what it is, as the format detail shows it.
    const ExplanationLoader& explanations() const { return *m_explanations; }

Q_SIGNALS:
    // The add-format sheet is wanted, for the selected application when `forApp`.
    void addFormatRequested(bool forApp);
    // The app chooser sheet is wanted for the selected format.
    void chooseAppRequested();

protected:
    void showEvent(QShowEvent* event) override;

private:
    QString tr(const QString& key, const L10n::Values& values = {}) const;

    QWidget* buildHeader();
    QWidget* buildSidebar();
    QWidget* buildAppDetail();
    QWidget* buildFormatDetail();
    QWidget* buildBottomBar();

    void retranslate();
    void fillCategoryPickers();
    void setCategory(const QString& category);
    void filter(const std::function<void()>& change);
    void showSelectedApp();
    void showSelectedType();
    void updateDetail();
    void updateReason();
    void updateBottomBar();
    void updateAlert();
    void showStagedChanges();
    void chooseRole(AssociationRole role);

    AppModel m_model;
    bool m_byApp = true;
    bool m_started = false;
    bool m_catalogUpdates = true;
    bool m_syncing = false;
    QString m_category = QStringLiteral("all");
    QTimer m_updateTimer;
    ExplanationLoader* m_explanations = nullptr;

    AppListModel* m_appList = nullptr;
    FormatTreeModel* m_formatTree = nullptr;
    AppFormatModel* m_appFormats = nullptr;
    CandidateModel* m_candidates = nullptr;
    SearchFilterProxy* m_appListProxy = nullptr;
    SearchFilterProxy* m_formatTreeProxy = nullptr;
    SearchFilterProxy* m_appFormatsProxy = nullptr;

    QWidget* m_content = nullptr;
    QButtonGroup* m_viewMode = nullptr;
    QToolButton* m_byAppButton = nullptr;
    QToolButton* m_byFormatButton = nullptr;
    QComboBox* m_rolePicker = nullptr;
    QToolButton* m_refreshButton = nullptr;

    QLineEdit* m_sidebarSearch = nullptr;
    QStackedWidget* m_sidebarPages = nullptr;
    QListView* m_appListView = nullptr;
    QComboBox* m_sidebarCategory = nullptr;
    QTreeView* m_formatTreeView = nullptr;
    QPushButton* m_sidebarAddFormat = nullptr;

    QStackedWidget* m_detailPages = nullptr;
    QLabel* m_placeholder = nullptr;
    QWidget* m_appDetail = nullptr;
    QLabel* m_appIcon = nullptr;
    QLabel* m_appName = nullptr;
    QLabel* m_appSubtitle = nullptr;
    QLineEdit* m_detailSearch = nullptr;
    QPushButton* m_detailAddFormat = nullptr;
    QComboBox* m_detailCategory = nullptr;
    QTreeView* m_appFormatView = nullptr;
    QLabel* m_appFormatsEmpty = nullptr;
    QLabel* m_appCaption = nullptr;

    QWidget* m_formatDetail = nullptr;
    ElidedLabel* m_formatLabel = nullptr;
    QLabel* m_formatDescription = nullptr;
    QLabel* m_formatDefault = nullptr;
    QLabel* m_formatReason = nullptr;
    QLabel* m_candidatesHeading = nullptr;
    QPushButton* m_chooseOtherApp = nullptr;
    CandidateListView* m_candidateView = nullptr;
    QLabel* m_candidatesEmpty = nullptr;
    QLabel* m_formatCaption = nullptr;

    QProgressBar* m_busyIndicator = nullptr;
    QLabel* m_status = nullptr;
    QPushButton* m_stagedButton = nullptr;
    ElidedLabel* m_notice = nullptr;
    QPushButton* m_cancel = nullptr;
    QPushButton* m_apply = nullptr;

    QPointer<QMessageBox> m_alert;
    QPointer<QWidget> m_focusBeforeBusy;
};

} // namespace tessik::ui
