#pragma once

#include "app/model/catalog_display_index.h"
#include "app/model/catalog_loader.h"
#include "app/model/change_history.h"
#include "app/model/restore_plan.h"
#include "app/model/serial_tasks.h"
#include "core/catalog/catalog_suggestion.h"
#include "core/catalog/custom_association.h"
#include "core/catalog/custom_association_store.h"
#include "core/catalog/format_knowledge_base.h"
#include "core/discovery/app_scanner.h"
#include "core/pipeline/change_plan.h"
#include "core/pipeline/failure_report.h"
#include "core/pipeline/sleeper.h"
#include "core/records/association_role.h"
#include "core/records/file_association.h"
#include "core/records/installed_app.h"

#include <QFuture>
#include <QHash>
#include <QList>
#include <QObject>
#include <QPromise>
#include <QThreadPool>

#include <chrono>
#include <memory>
#include <optional>
#include <stop_token>

namespace tessik {

class FormatCatalogUpdater;

// The one observable state of a main window: what is installed and in effect, what the user added, selected and
// staged, and the status shown. Lives on the interface thread; heavy work runs in background tasks on copies and
// comes back as one assignment.
class AppModel : public QObject
{
    Q_OBJECT

public:
    using StringMap = QHash<QString, QString>;
    using OptionalString = std::optional<QString>;
    using OptionalKnowledge = std::optional<FormatKnowledgeBase>;
    using OptionalReport = std::optional<FailureReport>;

private:
    Q_PROPERTY(QList<InstalledApp> apps READ apps NOTIFY appsChanged)
    Q_PROPERTY(QList<FileAssociation> associations READ associations NOTIFY associationsChanged)
    Q_PROPERTY(QList<CustomAssociation> custom READ custom NOTIFY customChanged)
    Q_PROPERTY(OptionalKnowledge knowledge READ knowledge NOTIFY knowledgeChanged)
    Q_PROPERTY(QList<CatalogSuggestion> suggestions READ suggestions NOTIFY suggestionsChanged)
    Q_PROPERTY(CatalogDisplayIndex index READ index NOTIFY indexChanged)
    Q_PROPERTY(StringMap extraTypes READ extraTypes NOTIFY extraTypesChanged)
    Q_PROPERTY(OptionalString selectedApp READ selectedApp WRITE setSelectedApp NOTIFY selectedAppChanged)
    Q_PROPERTY(OptionalString selectedType READ selectedType WRITE setSelectedType NOTIFY selectedTypeChanged)
    Q_PROPERTY(StringMap pending READ pending WRITE setPending NOTIFY pendingChanged)
    Q_PROPERTY(AssociationRole role READ role WRITE setRole NOTIFY roleChanged)
    Q_PROPERTY(QString languageCode READ languageCode WRITE setLanguageCode NOTIFY languageCodeChanged)
    Q_PROPERTY(bool busy READ busy NOTIFY busyChanged)
    Q_PROPERTY(QString busyMessage READ busyMessage NOTIFY busyMessageChanged)
    Q_PROPERTY(OptionalString message READ message NOTIFY messageChanged)
    Q_PROPERTY(OptionalString notice READ notice NOTIFY noticeChanged)
    Q_PROPERTY(OptionalReport failureReport READ failureReport NOTIFY failureReportChanged)

public:
    // Without an updater the process's shared one is used.
    explicit AppModel(FormatCatalogUpdater* updater = nullptr, QObject* parent = nullptr);
    // Stops what is running and waits for the background tasks, so none outlives the model.
    ~AppModel() override;

    const QList<InstalledApp>& apps() const { return m_apps; }
    const QList<FileAssociation>& associations() const { return m_associations; }
    const QList<CustomAssociation>& custom() const { return m_custom; }
    const OptionalKnowledge& knowledge() const { return m_knowledge; }
    const QList<CatalogSuggestion>& suggestions() const { return m_suggestions; }
    const CatalogDisplayIndex& index() const { return m_index; }
    const StringMap& extraTypes() const { return m_extraTypes; }
    const OptionalString& selectedApp() const { return m_selectedApp; }
    const OptionalString& selectedType() const { return m_selectedType; }
    const StringMap& pending() const { return m_pending; }
    AssociationRole role() const { return m_role; }
    const QString& languageCode() const { return m_languageCode; }
    bool busy() const { return m_busy; }
    // Always a source text; the view translates it.
    const QString& busyMessage() const { return m_busyMessage; }
    const OptionalString& message() const { return m_message; }
    // One translated line on how the last operation ended ("3 formats changed"), kept until the next one.
    const OptionalString& notice() const { return m_notice; }
    const OptionalReport& failureReport() const { return m_failureReport; }
    // False while the custom associations file could not be read: the catalog goes without it, and adding one
    // fails until the file reads again, so it is never overwritten.
    bool customAssociationsReadable() const { return m_customReadable; }

    void setSelectedApp(const OptionalString& bundleIdentifier);
    void setSelectedType(const OptionalString& typeIdentifier);
    void setPending(const StringMap& pending);
    void setRole(AssociationRole role);
    void setLanguageCode(const QString& languageCode);
    // Stages the application as the target of the type, replacing an earlier target; a web scheme is staged (and
    // unstaged) with the other, as the browser is one choice.
    void stage(const QString& typeIdentifier, const QString& bundleIdentifier);
    void unstage(const QString& typeIdentifier);
    // Clears the message and the report it offers to mail.
    void dismissMessage();
    // Clears the message only; the report stays.
    void clearMessage() { setMessage(std::nullopt); }

    // Loading.
    QFuture<void> refresh();
    QFuture<void> reloadCatalog();
    QFuture<void> updateCatalogIfDue();

    // Queries.
    QList<FormatCategory> categoryOptions() const;
    QString categoryID(const QString& typeIdentifier) const;
    QString categoryName(const QString& categoryID) const;
    std::optional<CatalogSuggestion> suggestion(const QString& typeIdentifier, const InstalledApp& app) const;
    std::optional<InstalledApp> currentApp() const;
    std::optional<FileAssociation> currentAssociation() const;
    QStringList currentExtensions() const;
    QString label(const QString& typeIdentifier) const;
    QStringList types(const QString& categoryID, const OptionalString& appID = std::nullopt) const;
    std::optional<FileAssociation> association(const QString& typeIdentifier) const;
    QString description(const QString& typeIdentifier) const;
    QString appName(const OptionalString& bundleIdentifier) const;
    QString defaultName(const QString& typeIdentifier) const;
    bool isManual(const QString& typeIdentifier, const QString& bundleIdentifier) const;
    // For a web scheme, that the browser is chosen for both, or which applications open the two today when they
    // differ; nothing for other types.
    OptionalString linkNote(const QString& typeIdentifier) const;

    // Local additions. Each throws before anything changes: CustomAssociationError for the input, NSError when
    // the custom associations cannot be saved. The future ends when the catalog shows the addition.
    QFuture<void> addFormat(const QString& text, bool forApp);
    QFuture<void> chooseApp(const InstalledApp& app);
    void persist(const CustomAssociation& association);

    // Stages every format the application declares (or was linked to by hand) for the current role, except
    // those it already opens, sets the notice to how many, and returns that count.
    int stageAll(const QString& bundleIdentifier);

    // Applying.
    QFuture<void> applyPending();
    void composeFailureEmail();

    // History. Every run of changes, newest first, read off the interface thread.
    QFuture<ChangeHistory> loadHistory();
    // What putting the snapshot back would do now; nothing when it cannot be planned (the message says why).
    QFuture<std::optional<RestorePlan>> planRestore(const AssociationSnapshot& snapshot);
    // The same for the newest snapshot; nothing, with a message, when there is none.
    QFuture<std::optional<RestorePlan>> planUndo();
    // Puts the handlers back through the whole pipeline, as applying does (its own snapshot, the system's
    // confirmation, verification, a failure report); staged changes stay staged.
    QFuture<void> restore(const RestorePlan& plan);
    // A scan started before the model (CatalogLoader::startScan), which the first refresh takes up instead of
    // scanning again.
    void setStartedScan(CatalogLoader::StartedScan scan) { m_startedScan = std::move(scan); }

    // For tests: how verification waits, and how often a catalog update looks whether the model is still busy.
    void setSleeper(std::shared_ptr<Sleeper> sleeper) { m_sleeper = std::move(sleeper); }
    void setBusyPollInterval(std::chrono::milliseconds interval) { m_busyPollInterval = interval; }
    // For tests: the pool the catalog's background work runs on, which a test can hold to order events; none
    // is the model's own.
    void setCatalogPool(QThreadPool* pool) { m_catalogPool = pool ? pool : &m_pool; }

Q_SIGNALS:
    void appsChanged();
    void associationsChanged();
    void customChanged();
    void knowledgeChanged();
    void suggestionsChanged();
    void indexChanged();
    void extraTypesChanged();
    void selectedAppChanged();
    void selectedTypeChanged();
    void pendingChanged();
    void roleChanged();
    void languageCodeChanged();
    void busyChanged();
    void busyMessageChanged();
    void messageChanged();
    void noticeChanged();
    void failureReportChanged();
    // A run of changes ended, so the history has a new entry.
    void historyChanged();

private:
    // Plans and applies the requests; `fromPending` unstages what took or was declined.
    SnapshotRestore::InstalledCheck installedCheck() const;
    QFuture<void> applyRequests(const QList<ChangeRequest>& requests, bool fromPending);
    QFuture<void> apply(const ChangePlan& plan, bool fromPending);
    QFuture<void> startRefresh();
    QFuture<void> startReload();
    QFuture<void> addLocalAssociation(const CustomAssociation& association);
    QFuture<void> startLocalAssociation(const CustomAssociation& association);
    void dropStagingOfGoneApps();
    QString tellOutcome(const ChangeExecutionResult& result, const QString& language);
    void installWhenIdle(std::shared_ptr<QPromise<void>> promise, FormatKnowledgeBase knowledge);
    QString tr(const QString& key, const StringMap& values = {}) const;

    void setBusy(bool busy, const QString& busyMessage);
    void setMessage(const OptionalString& message);
    void setNotice(const OptionalString& notice);
    void setFailureReport(const OptionalReport& report);
    void repairSelection();

    FormatCatalogUpdater& m_updater;
    CustomAssociationStore m_store;
    std::shared_ptr<Sleeper> m_sleeper;
    std::chrono::milliseconds m_busyPollInterval{250};
    // Applying may verify for a minute; its own pool keeps refreshes running meanwhile.
    QThreadPool m_pool;
    QThreadPool* m_catalogPool = &m_pool;
    QThreadPool m_applyPool;
    std::stop_source m_stop;
    // Refreshes, reloads and local additions change the catalog; one after another, each computes from what
    // the one before it left, so none assigns a result computed from inputs that changed meanwhile.
    SerialTasks m_catalogTasks;
    // The custom associations were read from the store; later refreshes keep the list in memory.
    bool m_customLoaded = false;
    std::optional<CatalogLoader::StartedScan> m_startedScan;
    bool m_customReadable = true;

    QList<InstalledApp> m_apps;
    QList<FileAssociation> m_associations;
    QList<CustomAssociation> m_custom;
    OptionalKnowledge m_knowledge;
    QList<CatalogSuggestion> m_suggestions;
    CatalogDisplayIndex m_index;
    StringMap m_extraTypes;
    OptionalString m_selectedApp;
    OptionalString m_selectedType;
    StringMap m_pending;
    AssociationRole m_role = AssociationRole::all;
    QString m_languageCode;
    bool m_busy = false;
    QString m_busyMessage;
    OptionalString m_message;
    OptionalString m_notice;
    OptionalReport m_failureReport;
};

} // namespace tessik
