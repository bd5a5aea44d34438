#include "app_model.h"

#include "app/l10n/app_language.h"
#include "app/l10n/category_names.h"
#include "app/l10n/l10n.h"
#include "app/model/background_task.h"
#include "app/model/catalog_loader.h"
#include "app/model/change_applier.h"
#include "app/model/failure_texts.h"
#include "app/update/format_catalog_updater.h"
#include "core/catalog/custom_association_error.h"
#include "core/pipeline/snapshot_store.h"
#include "core/records/url_scheme.h"
#include "core/records/web_browser.h"
#include "core/services/type_resolver.h"
#include "core/support/newest_first.h"
#include "core/support/plain_order.h"
#include "core/support/start_timeline.h"
#include "platform/uniform_type.h"
#include "platform/user_defaults.h"
#include "platform/workspace.h"

#include <QTimer>

#include <algorithm>
#include <utility>

using namespace Qt::StringLiterals;

namespace tessik {
namespace {

const QString processingMessage = u"正在处理…"_s;
const QString refreshingMessage = u"正在刷新…"_s;
// Says it waits for the system to confirm only when the system will ask the user.
QString waitingMessage(const ChangePlan& plan)
{
    const bool asks = platform::Workspace::defaultApplicationChangesNeedConfirmation() &&
                      std::any_of(plan.changes.cbegin(), plan.changes.cend(),
                                  [](const AssociationChange& change) { return change.role == AssociationRole::all; });
    return asks ? u"正在等待 macOS 确认并验证…"_s : u"正在检查更改是否生效…"_s;
}

struct Refreshed
{
    LoadedCatalog loaded;
    CatalogDisplayIndex index;
    std::optional<FormatKnowledgeBase> knowledge;
};

struct Rebuilt
{
    QList<FileAssociation> associations;
    CatalogDisplayIndex index;
};

// A result equal to what the model holds becomes the model's own copy, so that the interface thread, which
// compares again before assigning, finds them the same at once.
template <typename T> void keepIfEqual(T& value, const T& held)
{
    if (value == held)
        value = held;
}

template <typename T>
void assign(T& field, const T& value, QList<void (AppModel::*)()>& changed, void (AppModel::*signal)())
{
    if (field == value)
        return;
    field = value;
    changed.append(signal);
}

// The web browser is one choice: staging either web scheme stages both.
QStringList stagedTogether(const QString& typeIdentifier)
{
    return WebBrowser::isWebScheme(typeIdentifier) ? WebBrowser::schemeIdentifiers() : QStringList{typeIdentifier};
}

} // namespace

AppModel::AppModel(FormatCatalogUpdater* updater, QObject* parent)
    : QObject(parent), m_updater(updater ? *updater : FormatCatalogUpdater::shared()),
      m_sleeper(std::make_shared<MonotonicSleeper>()), m_busyMessage(processingMessage)
{
    const QVariant stored = platform::UserDefaults::objectForKey(AppLanguage::defaultsKey);
    m_languageCode =
        stored.typeId() == QMetaType::QString ? stored.toString() : AppLanguage(AppLanguage::zh).rawValue();
    // One thread is enough to wait for the system; the refresh pool leaves a core to the interface thread.
    m_applyPool.setMaxThreadCount(1);
    m_pool.setMaxThreadCount(std::max(1, QThread::idealThreadCount() - 1));
}

AppModel::~AppModel()
{
    m_stop.request_stop();
    m_applyPool.waitForDone();
    m_pool.waitForDone();
    m_catalogPool->waitForDone();
}

QString AppModel::tr(const QString& key, const StringMap& values) const
{
    return L10n::text(key, m_languageCode, values);
}

// Setters

void AppModel::setSelectedApp(const OptionalString& bundleIdentifier)
{
    if (m_selectedApp == bundleIdentifier)
        return;
    m_selectedApp = bundleIdentifier;
    Q_EMIT selectedAppChanged();
}

void AppModel::setSelectedType(const OptionalString& typeIdentifier)
{
    if (m_selectedType == typeIdentifier)
        return;
    m_selectedType = typeIdentifier;
    Q_EMIT selectedTypeChanged();
}

void AppModel::setPending(const StringMap& pending)
{
    if (m_pending == pending)
        return;
    m_pending = pending;
    setNotice(std::nullopt); // the next action makes the last outcome old news
    Q_EMIT pendingChanged();
}

void AppModel::stage(const QString& typeIdentifier, const QString& bundleIdentifier)
{
    StringMap pending = m_pending;
    for (const QString& type : stagedTogether(typeIdentifier))
        pending.insert(type, bundleIdentifier);
    setPending(pending);
}

void AppModel::unstage(const QString& typeIdentifier)
{
    StringMap pending = m_pending;
    for (const QString& type : stagedTogether(typeIdentifier))
        pending.remove(type);
    setPending(pending);
}

void AppModel::setRole(AssociationRole role)
{
    if (m_role == role)
        return;
    m_role = role;
    Q_EMIT roleChanged();
}

void AppModel::setLanguageCode(const QString& languageCode)
{
    if (m_languageCode == languageCode)
        return;
    m_languageCode = languageCode;
    Q_EMIT languageCodeChanged();
}

void AppModel::setBusy(bool busy, const QString& busyMessage)
{
    if (m_busyMessage != busyMessage) {
        m_busyMessage = busyMessage;
        Q_EMIT busyMessageChanged();
    }
    if (m_busy != busy) {
        m_busy = busy;
        Q_EMIT busyChanged();
    }
}

void AppModel::setMessage(const OptionalString& message)
{
    if (m_message == message)
        return;
    m_message = message;
    Q_EMIT messageChanged();
}

void AppModel::setNotice(const OptionalString& notice)
{
    if (m_notice == notice)
        return;
    m_notice = notice;
    Q_EMIT noticeChanged();
}

void AppModel::setFailureReport(const OptionalReport& report)
{
    if (m_failureReport == report)
        return;
    m_failureReport = report;
    Q_EMIT failureReportChanged();
}

void AppModel::dismissMessage()
{
    setMessage(std::nullopt);
    setFailureReport(std::nullopt);
}

// Loading

QFuture<void> AppModel::refresh()
{
    if (m_busy)
        return QtFuture::makeReadyFuture();
    setBusy(true, refreshingMessage);
    setNotice(std::nullopt);
    return m_catalogTasks.enqueue([this] { return startRefresh(); });
}

QFuture<void> AppModel::startRefresh()
{
    const QList<CustomAssociation> heldCustom = m_custom;
    QList<CustomAssociation> custom = m_custom;
    std::optional<QString> unreadableCustom;
    if (!m_customLoaded) {
        // A damaged file costs the custom associations, not the whole catalog.
        try {
            custom = m_store.load();
        } catch (const std::exception& error) {
            custom.clear();
            unreadableCustom =
                tr(u"无法读取自定义关联文件 {path}：{reason}。修复或移走该文件之前，不能添加自定义关联。"_s,
                   {{u"path"_s, m_store.fileURL().toLocalFile()}, {u"reason"_s, L10n::error(error, m_languageCode)}});
        }
    }

    // The format catalog is read on the pool too: the first refresh happens while the window first shows.
    return runAttempt(m_catalogPool,
                      [custom, current = m_knowledge, pool = m_catalogPool, started = std::exchange(m_startedScan, {}),
                       held = Refreshed{{m_apps, m_suggestions, m_associations}, m_index, {}}] {
                          const FormatKnowledgeBase knowledge = CatalogLoader::chooseKnowledge(current);
                          Refreshed refreshed{CatalogLoader::load(custom, knowledge, pool, started), {}, knowledge};
                          refreshed.index = CatalogDisplayIndex(refreshed.loaded.apps, refreshed.loaded.associations,
                                                                custom, refreshed.loaded.suggestions, knowledge);
                          markStart("display index built");
                          keepIfEqual(refreshed.loaded.apps, held.loaded.apps);
                          keepIfEqual(refreshed.loaded.suggestions, held.loaded.suggestions);
                          keepIfEqual(refreshed.loaded.associations, held.loaded.associations);
                          keepIfEqual(refreshed.index, held.index);
                          return refreshed;
                      })
        .then(this, [this, custom, heldCustom, unreadableCustom](const Attempt<Refreshed>& attempt) {
            markStart("refresh delivered");
            if (attempt.error) {
                setMessage(tr(u"读取失败：{reason}"_s, {{u"reason"_s, L10n::error(attempt.error, m_languageCode)}}));
                setBusy(false, m_busyMessage);
                return;
            }
            const Refreshed& refreshed = *attempt.value;
            // Everything first, then the signals, so that no view pairs new applications with an old index.
            QList<void (AppModel::*)()> changed;
            Refreshed replaced{{m_apps, m_suggestions, m_associations}, m_index};
            // An association stored meanwhile is newer than what this refresh read; its own step, queued behind
            // this one, adds it to the catalog.
            if (m_custom == heldCustom)
                assign(m_custom, custom, changed, &AppModel::customChanged);
            assign(m_apps, refreshed.loaded.apps, changed, &AppModel::appsChanged);
            assign(m_associations, refreshed.loaded.associations, changed, &AppModel::associationsChanged);
            assign(m_suggestions, refreshed.loaded.suggestions, changed, &AppModel::suggestionsChanged);
            assign(m_index, refreshed.index, changed, &AppModel::indexChanged);
            assign(m_knowledge, refreshed.knowledge, changed, &AppModel::knowledgeChanged);
            // Freeing thousands of replaced records would hold up the interface; the pool does it.
            m_catalogPool->start([replaced = std::move(replaced)] {});
            m_customLoaded = !unreadableCustom;
            m_customReadable = !unreadableCustom;
            const OptionalString previousApp = m_selectedApp;
            const OptionalString previousType = m_selectedType;
            repairSelection();
            if (m_selectedApp != previousApp)
                changed.append(&AppModel::selectedAppChanged);
            if (m_selectedType != previousType)
                changed.append(&AppModel::selectedTypeChanged);
            for (const auto signal : changed)
                (this->*signal)();
            dropStagingOfGoneApps();
            if (unreadableCustom)
                setMessage(unreadableCustom);
            setBusy(false, m_busyMessage);
        });
}

// A staged change whose application is gone could never take; it is removed, and the notice says so.
void AppModel::dropStagingOfGoneApps()
{
    StringMap pending = m_pending;
    QStringList gone;
    for (auto it = m_pending.cbegin(); it != m_pending.cend(); ++it) {
        if (m_index.appsByID.contains(it.value()))
            continue;
        pending.remove(it.key());
        gone.append(label(it.key()));
    }
    if (gone.isEmpty())
        return;
    sortPlain(gone);
    setPending(pending);
    setNotice(tr(u"{formats} 的待修改已移除：目标应用已不在此电脑上"_s, {{u"formats"_s, gone.join(u"; "_s)}}));
}

void AppModel::repairSelection()
{
    if (!m_selectedApp && !m_apps.isEmpty())
        m_selectedApp = m_apps.first().id();
    if (!m_selectedType || !m_index.associationsByType.contains(*m_selectedType) ||
        !m_index.labels.contains(*m_selectedType)) {
        m_selectedType = m_index.types.isEmpty() ? OptionalString() : OptionalString(m_index.types.first());
    }
}

QFuture<void> AppModel::reloadCatalog()
{
    return m_catalogTasks.enqueue([this] { return startReload(); });
}

QFuture<void> AppModel::startReload()
{
    if (!m_knowledge)
        return QtFuture::makeReadyFuture();
    return runAttempt(m_catalogPool,
                      [apps = m_apps, custom = m_custom, suggestions = m_suggestions, knowledge = *m_knowledge,
                       held = Rebuilt{m_associations, m_index}] {
                          Rebuilt rebuilt{CatalogLoader::buildAssociations(apps, custom, suggestions), {}};
                          rebuilt.index =
                              CatalogDisplayIndex(apps, rebuilt.associations, custom, suggestions, knowledge);
                          keepIfEqual(rebuilt.associations, held.associations);
                          keepIfEqual(rebuilt.index, held.index);
                          return rebuilt;
                      })
        .then(this, [this](const Attempt<Rebuilt>& attempt) {
            if (attempt.error) {
                setMessage(
                    tr(u"读取关联失败：{reason}"_s, {{u"reason"_s, L10n::error(attempt.error, m_languageCode)}}));
                return;
            }
            QList<void (AppModel::*)()> changed;
            Rebuilt replaced{m_associations, m_index};
            assign(m_associations, attempt.value->associations, changed, &AppModel::associationsChanged);
            assign(m_index, attempt.value->index, changed, &AppModel::indexChanged);
            // Freed on the pool, as after a refresh.
            m_catalogPool->start([replaced = std::move(replaced)] {});
            for (const auto signal : changed)
                (this->*signal)();
        });
}

QFuture<void> AppModel::updateCatalogIfDue()
{
    auto promise = std::make_shared<QPromise<void>>();
    promise->start();
    QFuture<void> future = promise->future();
    m_updater.checkIfDue().then(this, [this, promise](const std::optional<FormatKnowledgeBase>& knowledge) {
        if (!knowledge) {
            promise->finish();
            return;
        }
        installWhenIdle(promise, *knowledge);
    });
    return future;
}

// Waits on the interface thread without blocking it: looks again after each interval while the model is busy.
void AppModel::installWhenIdle(std::shared_ptr<QPromise<void>> promise, FormatKnowledgeBase knowledge)
{
    if (promise->isCanceled()) {
        promise->finish();
        return;
    }
    if (m_busy) {
        QTimer::singleShot(m_busyPollInterval, this,
                           [this, promise, knowledge] { installWhenIdle(promise, knowledge); });
        return;
    }
    m_knowledge = knowledge;
    Q_EMIT knowledgeChanged();
    refresh().then(this, [promise] { promise->finish(); });
}

// Queries

QList<FormatCategory> AppModel::categoryOptions() const
{
    return m_knowledge ? m_knowledge->categories() : QList<FormatCategory>();
}

QString AppModel::categoryID(const QString& typeIdentifier) const
{
    if (const auto found = m_index.categoryByType.constFind(typeIdentifier); found != m_index.categoryByType.cend())
        return *found;
    if (const auto extra = m_extraTypes.constFind(typeIdentifier); extra != m_extraTypes.cend() && m_knowledge)
        if (const auto category = m_knowledge->category({*extra}))
            return category->id;
    return CatalogDisplayIndex::otherCategory;
}

QString AppModel::categoryName(const QString& categoryID) const
{
    return CategoryNames::name(categoryOptions(), categoryID, m_languageCode);
}

std::optional<CatalogSuggestion> AppModel::suggestion(const QString& typeIdentifier, const InstalledApp& app) const
{
    const auto found = m_index.suggestionByTypeAndApp.constFind(CatalogDisplayIndex::key(typeIdentifier, app.id()));
    return found != m_index.suggestionByTypeAndApp.cend() ? std::optional(*found) : std::nullopt;
}

std::optional<InstalledApp> AppModel::currentApp() const
{
    if (!m_selectedApp)
        return std::nullopt;
    const auto found = m_index.appsByID.constFind(*m_selectedApp);
    return found != m_index.appsByID.cend() ? std::optional(*found) : std::nullopt;
}

std::optional<FileAssociation> AppModel::currentAssociation() const
{
    return m_selectedType ? association(*m_selectedType) : std::nullopt;
}

QStringList AppModel::currentExtensions() const
{
    if (const auto current = currentAssociation())
        return current->extensions;
    if (m_selectedType && m_extraTypes.contains(*m_selectedType))
        return {m_extraTypes.value(*m_selectedType)};
    return {};
}

QString AppModel::label(const QString& typeIdentifier) const
{
    if (const auto found = m_index.labels.constFind(typeIdentifier); found != m_index.labels.cend())
        return *found;
    if (const auto extra = m_extraTypes.constFind(typeIdentifier); extra != m_extraTypes.cend())
        return u'.' + *extra;
    return typeIdentifier;
}

QStringList AppModel::types(const QString& categoryID, const OptionalString& appID) const
{
    if (appID)
        return m_index.typesByAppAndCategory.value(*appID).value(categoryID);
    QStringList list = m_index.typesByCategory.value(categoryID);
    QStringList extra;
    for (auto it = m_extraTypes.cbegin(); it != m_extraTypes.cend(); ++it)
        if (!m_index.associationsByType.contains(it.key()) && this->categoryID(it.key()) == categoryID)
            extra.append(it.key());
    if (extra.isEmpty())
        return list;
    list += extra;
    sortPlainBy(list, [this](const QString& type) { return label(type); });
    return list;
}

std::optional<FileAssociation> AppModel::association(const QString& typeIdentifier) const
{
    const auto found = m_index.associationsByType.constFind(typeIdentifier);
    return found != m_index.associationsByType.cend() ? std::optional(*found) : std::nullopt;
}

QString AppModel::description(const QString& typeIdentifier) const
{
    if (const auto scheme = URLScheme::fromIdentifier(typeIdentifier)) {
        if (WebBrowser::isWebScheme(typeIdentifier))
            return tr(u"网页链接"_s);
        if (*scheme == u"mailto"_s)
            return tr(u"电子邮件链接"_s);
        return tr(u"{scheme} 链接"_s, {{u"scheme"_s, *scheme}});
    }
    if (const auto found = m_index.descriptions.constFind(typeIdentifier); found != m_index.descriptions.cend())
        return *found;
    if (const auto type = platform::UTType::typeWithIdentifier(typeIdentifier)) {
        if (const QString text = type->localizedDescription(); !text.isEmpty() && text != typeIdentifier)
            return text;
    }
    // Named by its extension rather than by an identifier no person reads ("dyn.ah62…").
    QString extension = m_extraTypes.value(typeIdentifier);
    if (const auto record = association(typeIdentifier); record && !record->extensions.isEmpty())
        extension = record->extensions.constFirst();
    if (!extension.isEmpty())
        return tr(u"{extension} 文件"_s, {{u"extension"_s, u'.' + extension}});
    return tr(u"自定义格式"_s);
}

QString AppModel::appName(const OptionalString& bundleIdentifier) const
{
    if (!bundleIdentifier)
        return tr(u"未设置"_s);
    const auto found = m_index.appsByID.constFind(*bundleIdentifier);
    return found != m_index.appsByID.cend() ? found->name : *bundleIdentifier;
}

QString AppModel::defaultName(const QString& typeIdentifier) const
{
    const auto record = association(typeIdentifier);
    const auto handler =
        record ? record->defaultHandlers.constFind(m_role) : QHash<AssociationRole, QString>::const_iterator();
    return appName(record && handler != record->defaultHandlers.cend() ? OptionalString(*handler) : std::nullopt);
}

AppModel::OptionalString AppModel::linkNote(const QString& typeIdentifier) const
{
    if (!WebBrowser::isWebScheme(typeIdentifier))
        return std::nullopt;
    const QStringList& schemes = WebBrowser::schemeIdentifiers();
    const auto handler = [this](const QString& type) -> OptionalString {
        const auto record = association(type);
        if (!record || !record->defaultHandlers.contains(AssociationRole::all))
            return std::nullopt;
        return record->defaultHandlers.value(AssociationRole::all);
    };
    const OptionalString http = handler(schemes.first());
    const OptionalString https = handler(schemes.last());
    if (http == https)
        return tr(u"网页浏览器：http: 和 https: 链接一起更改"_s);
    return tr(u"http: 和 https: 链接现在由不同的应用打开：http: {http}，https: {https}；选择后两者一起更改"_s,
              {{u"http"_s, appName(http)}, {u"https"_s, appName(https)}});
}

bool AppModel::isManual(const QString& typeIdentifier, const QString& bundleIdentifier) const
{
    return m_index.manualKeys.contains(CatalogDisplayIndex::key(typeIdentifier, bundleIdentifier));
}

// Local additions

void AppModel::persist(const CustomAssociation& association)
{
    const QList<CustomAssociation> saved = CatalogLoader::persist(m_store, association);
    if (saved == m_custom)
        return;
    m_custom = saved;
    Q_EMIT customChanged();
}

QFuture<void> AppModel::addFormat(const QString& text, bool forApp)
{
    const QString extension = TypeResolver::normalize(text);
    const auto type = TypeResolver().typeIdentifier(extension);
    if (!type)
        throw CustomAssociationError(CustomAssociationError::Kind::unresolvedExtension);
    const auto select = [this, type = *type, extension] {
        StringMap extraTypes = m_extraTypes;
        extraTypes.insert(type, extension);
        if (extraTypes != m_extraTypes) {
            m_extraTypes = extraTypes;
            Q_EMIT extraTypesChanged();
        }
        setSelectedType(type);
    };
    const auto app = forApp ? currentApp() : std::nullopt;
    if (!app) {
        select();
        return QtFuture::makeReadyFuture();
    }
    const CustomAssociation association = CustomAssociation::forExtension(extension, *app);
    persist(association);
    stage(*type, app->id());
    // Selected once the catalog shows the new format, so the selection never points past the index.
    return addLocalAssociation(association).then(this, select);
}

QFuture<void> AppModel::chooseApp(const InstalledApp& app)
{
    if (!m_selectedType)
        return QtFuture::makeReadyFuture();
    const QStringList extensions = currentExtensions();
    const CustomAssociation association = CustomAssociation::forType(
        *m_selectedType, extensions.isEmpty() ? std::nullopt : std::optional(extensions.first()), app);
    persist(association);
    stage(*m_selectedType, app.id());
    return addLocalAssociation(association);
}

QFuture<void> AppModel::addLocalAssociation(const CustomAssociation& association)
{
    return m_catalogTasks.enqueue([this, association] { return startLocalAssociation(association); });
}

QFuture<void> AppModel::startLocalAssociation(const CustomAssociation& association)
{
    if (!m_knowledge)
        return QtFuture::makeReadyFuture();
    QList<InstalledApp> apps = m_apps;
    const auto sameApp = [&association](const InstalledApp& app) { return app.id() == association.app.id(); };
    if (std::none_of(apps.cbegin(), apps.cend(), sameApp))
        apps.append(association.app);

    QList<FileAssociation> associations = m_associations;
    const auto record =
        std::find_if(associations.begin(), associations.end(), [&association](const FileAssociation& a) {
            return a.typeIdentifier == association.typeIdentifier;
        });
    if (record != associations.end()) {
        if (std::none_of(record->capableApps.cbegin(), record->capableApps.cend(), sameApp)) {
            record->capableApps.append(association.app);
            std::stable_sort(record->capableApps.begin(), record->capableApps.end(),
                             [](const InstalledApp& a, const InstalledApp& b) { return plainLess(a.name, b.name); });
        }
        if (!association.fileExtension.isEmpty())
            record->extensions.append(association.fileExtension);
        record->extensions = sortedUniquePlain(record->extensions);
    } else {
        associations.append(
            {association.typeIdentifier,
             association.fileExtension.isEmpty() ? QStringList() : QStringList{association.fileExtension},
             {association.app},
             {},
             {}});
    }

    return runAttempt(m_catalogPool,
                      [apps, associations, custom = m_custom, suggestions = m_suggestions, knowledge = *m_knowledge] {
                          return CatalogDisplayIndex(apps, associations, custom, suggestions, knowledge);
                      })
        .then(this, [this, apps, associations](const Attempt<CatalogDisplayIndex>& attempt) {
            if (attempt.error)
                return;
            QList<void (AppModel::*)()> changed;
            assign(m_apps, apps, changed, &AppModel::appsChanged);
            assign(m_associations, associations, changed, &AppModel::associationsChanged);
            assign(m_index, *attempt.value, changed, &AppModel::indexChanged);
            for (const auto signal : changed)
                (this->*signal)();
        });
}

// Applying

QFuture<void> AppModel::applyPending()
{
    QStringList types = m_pending.keys();
    sortPlain(types);
    QList<ChangeRequest> requests;
    for (const QString& type : types)
        requests.append({type, m_role, m_pending.value(type)});
    return applyRequests(requests, true);
}

QFuture<void> AppModel::applyRequests(const QList<ChangeRequest>& requests, bool fromPending)
{
    if (m_busy)
        return QtFuture::makeReadyFuture();
    setBusy(true, processingMessage);
    setNotice(std::nullopt);
    const auto known = ChangeApplier::knownExtensions(m_associations, m_extraTypes);

    return runAttempt(&m_applyPool, [requests, known] { return ChangeApplier::plan(requests, known); })
        .then(this,
              [this, fromPending](const Attempt<ChangePlan>& attempt) {
                  if (attempt.error) {
                      setMessage(L10n::error(attempt.error, m_languageCode));
                      setBusy(false, m_busyMessage);
                      return QtFuture::makeReadyFuture();
                  }
                  if (attempt.value->changes.isEmpty()) {
                      if (fromPending) {
                          setPending({});
                          setNotice(tr(u"所选应用已是默认应用，无需更改"_s));
                      } else {
                          setNotice(tr(u"快照记录的默认应用都已在使用，无需更改"_s));
                      }
                      setBusy(false, m_busyMessage);
                      return QtFuture::makeReadyFuture();
                  }
                  return apply(*attempt.value, fromPending);
              })
        .unwrap();
}

QFuture<void> AppModel::apply(const ChangePlan& plan, bool fromPending)
{
    setFailureReport(std::nullopt);
    setBusy(true, waitingMessage(plan));
    // Every text of one run in the language it started in, whatever the user chooses meanwhile.
    const QString language = m_languageCode;
    return runAttempt(&m_applyPool,
                      [plan, language, sleeper = m_sleeper, stop = m_stop.get_token()] {
                          return ChangeApplier::execute(
                              plan, stop,
                              [&language](const std::exception& error) { return L10n::error(error, language); },
                              sleeper);
                      })
        .then(this,
              [this, plan, language, fromPending](const Attempt<AppliedChanges>& attempt) {
                  AppliedChanges applied;
                  if (attempt.value) {
                      applied = *attempt.value;
                  } else {
                      applied.plan = plan;
                      applied.executionError = L10n::error(attempt.error, language);
                      applied.report = FailureReport::fromPlan(plan, *applied.executionError);
                  }
                  const FailureTexts::SavedReport saved{applied.reportPath, applied.reportError};
                  if (applied.result) {
                      if (fromPending) {
                          // By type and target: a newer choice for the same type, made meanwhile, stays staged.
                          StringMap pending = m_pending;
                          const auto unstage = [&pending](const AssociationChange& change) {
                              if (pending.value(change.typeIdentifier) == change.targetBundleIdentifier)
                                  pending.remove(change.typeIdentifier);
                          };
                          for (const VerificationResult& verification : applied.result->verificationResults)
                              if (verification.succeeded)
                                  unstage(verification.change);
                          for (const AssociationChange& change : applied.result->plan.changes)
                              if (applied.result->declinedChangeIDs.contains(change.id()))
                                  unstage(change);
                          setPending(pending);
                      }
                      const QString kept = tellOutcome(*applied.result, language);
                      if (!applied.result->failures.isEmpty()) {
                          setFailureReport(applied.report);
                          const QString failed = FailureTexts::failureMessage(*applied.result, saved, language);
                          setMessage(kept.isEmpty() ? failed : kept + u"\n\n"_s + failed);
                      } else if (!kept.isEmpty()) {
                          setMessage(kept);
                      }
                  } else {
                      setFailureReport(applied.report);
                      setMessage(FailureTexts::executionErrorMessage(applied.executionError.value_or(QString()), saved,
                                                                     language));
                  }
                  setBusy(false, m_busyMessage);
                  Q_EMIT historyChanged();
                  return reloadCatalog();
              })
        .unwrap();
}

// Sets the notice, which counts what took, and returns the lines naming each change the system kept as it was,
// which would otherwise pass unnoticed.
QString AppModel::tellOutcome(const ChangeExecutionResult& result, const QString& language)
{
    int changed = 0;
    QStringList kept;
    for (const VerificationResult& verification : result.verificationResults) {
        const AssociationChange& change = verification.change;
        if (verification.succeeded)
            ++changed;
        else if (result.declinedChangeIDs.contains(change.id()))
            kept.append(L10n::text(
                u"{format} 仍由 {app} 打开：系统没有接受此更改"_s, language,
                {{u"format"_s, FailureTexts::subject(change.affectedExtensions, change.typeIdentifier)},
                 {u"app"_s, verification.observedBundleIdentifier ? appName(verification.observedBundleIdentifier)
                                                                  : L10n::text(u"未设置"_s, language)}}));
    }
    setNotice(L10n::text(u"已更改的格式：{count}"_s, language, {{u"count"_s, QString::number(changed)}}));
    return kept.join(u'\n');
}

int AppModel::stageAll(const QString& bundleIdentifier)
{
    const auto app = m_index.appsByID.constFind(bundleIdentifier);
    if (app == m_index.appsByID.cend())
        return 0;
    StringMap pending = m_pending;
    int staged = 0;
    int already = 0;
    QSet<QString> seen;
    for (const QStringList& types : m_index.typesByAppAndCategory.value(bundleIdentifier)) {
        for (const QString& type : types) {
            // A suggestion is the catalog's idea, not something the application declares.
            if (seen.contains(type) ||
                (!app->supportedTypeIdentifiers.contains(type) && !isManual(type, bundleIdentifier)))
                continue;
            seen.insert(type);
            const auto record = association(type);
            if (record && record->defaultHandlers.value(m_role) == bundleIdentifier) {
                ++already;
                pending.remove(type);
            } else {
                ++staged;
                pending.insert(type, bundleIdentifier);
            }
        }
    }
    setPending(pending);
    const StringMap values{
        {u"count"_s, QString::number(staged)}, {u"app"_s, app->name}, {u"already"_s, QString::number(already)}};
    setNotice(already == 0 ? tr(u"已暂存 {count} 种格式改由 {app} 打开"_s, values)
                           : tr(u"已暂存 {count} 种格式改由 {app} 打开，另有 {already} 种已由它打开"_s, values));
    return staged;
}

void AppModel::composeFailureEmail()
{
    if (!m_failureReport)
        return;
    const QUrl url = FailureTexts::failureEmail(*m_failureReport, m_languageCode);
    if (url.isValid() && platform::Workspace::openURL(url)) {
        dismissMessage();
        return;
    }
    setMessage(tr(u"无法打开邮件应用。失败原因已保存在本地。"_s));
}

// History

// Installed as the catalog shows it, so the history and the lists agree; before the first catalog, as the system
// knows it.
SnapshotRestore::InstalledCheck AppModel::installedCheck() const
{
    if (m_index.appsByID.isEmpty())
        return SnapshotRestore::isInstalled;
    return [apps = m_index.appsByID](const QString& bundleIdentifier) { return apps.contains(bundleIdentifier); };
}

QFuture<ChangeHistory> AppModel::loadHistory()
{
    return QtConcurrent::run(&m_pool, [isInstalled = installedCheck()] { return ChangeHistory::load(isInstalled); });
}

QFuture<std::optional<RestorePlan>> AppModel::planRestore(const AssociationSnapshot& snapshot)
{
    const auto known = ChangeApplier::knownExtensions(m_associations, m_extraTypes);
    return runAttempt(&m_pool,
                      [snapshot, known, isInstalled = installedCheck()] {
                          RestorePlan restore{snapshot, SnapshotRestore::of(snapshot, isInstalled), {}};
                          restore.plan = ChangeApplier::plan(restore.restore.requests, known);
                          return restore;
                      })
        .then(this, [this](const Attempt<RestorePlan>& attempt) -> std::optional<RestorePlan> {
            if (attempt.error) {
                setMessage(L10n::error(attempt.error, m_languageCode));
                return std::nullopt;
            }
            return attempt.value;
        });
}

QFuture<std::optional<RestorePlan>> AppModel::planUndo()
{
    return runAttempt(&m_pool,
                      [] {
                          auto snapshots = newestFirst(SnapshotStore());
                          return snapshots.records.isEmpty() ? std::optional<AssociationSnapshot>()
                                                             : std::optional(snapshots.records.constFirst());
                      })
        .then(this,
              [this](const Attempt<std::optional<AssociationSnapshot>>& attempt) {
                  if (attempt.error || !*attempt.value) {
                      setMessage(attempt.error ? L10n::error(attempt.error, m_languageCode)
                                               : tr(u"没有可撤销的更改。"_s));
                      return QtFuture::makeReadyFuture(std::optional<RestorePlan>());
                  }
                  return planRestore(**attempt.value);
              })
        .unwrap();
}

QFuture<void> AppModel::restore(const RestorePlan& plan)
{
    return applyRequests(plan.restore.requests, false);
}

} // namespace tessik
