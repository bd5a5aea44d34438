#include "ui_benchmark.h"

#include "app/model/app_model.h"
#include "app/update/format_catalog_updater.h"
#include "peak_memory.h"
#include "platform/emulated/application_registry.h"
#include "platform/emulated/bundle_cache.h"
#include "platform/system_root.h"
#include "platform/workspace.h"
#include "plist_floor.h"
#include "stall_watch.h"
#include "systemwriter/synthetic_system.h"
#include "ui/main/main_window.h"
#include "ui/settings/language_setting.h"

#include <QAbstractItemModel>
#include <QCoreApplication>
#include <QElapsedTimer>
#include <QEvent>
#include <QEventLoop>
#include <QLineEdit>
#include <QListView>
#include <QPromise>
#include <QTemporaryDir>
#include <QTest>
#include <QThread>
#include <QTimer>
#include <QTreeView>

#include <algorithm>
#include <memory>
#include <stdexcept>
#include <vector>

using namespace Qt::StringLiterals;

namespace tessik::tools {
namespace {

constexpr int stagedChanges = 20;
constexpr int patienceMs = 120000;

// Tells of each paint of a widget, before the widget paints.
class PaintProbe : public QObject
{
public:
    PaintProbe(QWidget* widget, std::function<void()> painting) : QObject(widget), m_painting(std::move(painting))
    {
        widget->installEventFilter(this);
    }

protected:
    bool eventFilter(QObject* watched, QEvent* event) override
    {
        if (event->type() == QEvent::Paint)
            m_painting();
        return QObject::eventFilter(watched, event);
    }

private:
    std::function<void()> m_painting;
};

// Runs the event loop until `finish` is called, and gives up after a long while.
class Wait
{
public:
    Wait()
    {
        QTimer::singleShot(patienceMs, &m_loop, [this] { m_loop.exit(1); });
    }
    void run(const char* what)
    {
        if (m_loop.exec() != 0)
            throw std::runtime_error(std::string("timed out waiting for ") + what);
    }
    // Once the event being handled, a paint among them, is done.
    void finishAfterThis(QElapsedTimer& clock, double& milliseconds)
    {
        if (m_finishing)
            return;
        m_finishing = true;
        QTimer::singleShot(0, &m_loop, [this, &clock, &milliseconds] {
            milliseconds = clock.nsecsElapsed() / 1e6;
            m_loop.quit();
        });
    }
    QEventLoop& loop() { return m_loop; }

private:
    QEventLoop m_loop;
    bool m_finishing = false;
};

double median(std::vector<double> values)
{
    std::sort(values.begin(), values.end());
    return values[values.size() / 2];
}

double slowest(const std::vector<double>& values)
{
    return *std::max_element(values.cbegin(), values.cend());
}

template <typename T> T* child(QWidget& window, const QString& name)
{
    T* widget = window.findChild<T*>(name);
    if (!widget)
        throw std::runtime_error("the main window has no " + name.toStdString());
    return widget;
}

struct Started
{
    std::unique_ptr<ui::MainWindow> window;
    double ms = 0;
    double longestStallMs = 0;
};

// From creating the window until the application list has painted the first non-empty catalog, with nothing read
// before; the stall watch runs from the moment the window is shown, when its first refresh starts.
Started start(FormatCatalogUpdater& updater)
{
    platform::clearBundleCache();
    platform::ApplicationRegistry::shared().invalidate();

    Started started;
    Wait wait;
    QElapsedTimer clock;
    clock.start();
    started.window = std::make_unique<ui::MainWindow>(&updater);
    AppModel& model = started.window->model();
    bool assigned = false;
    QObject::connect(&model, &AppModel::indexChanged, &wait.loop(),
                     [&] { assigned = assigned || !model.index().appsByID.isEmpty(); });
    auto* list = child<QListView>(*started.window, u"appList"_s);
    new PaintProbe(list->viewport(), [&] {
        if (assigned)
            wait.finishAfterThis(clock, started.ms);
    });
    StallWatch stalls;
    started.window->show();
    stalls.start();
    wait.run("the painted catalog");
    started.longestStallMs = stalls.stop();
    if (model.busy())
        throw std::runtime_error("the catalog was painted before the refresh ended");
    return started;
}

// From a keystroke in the sidebar's search until the filtered list has changed and the view has repainted.
double keystroke(QLineEdit& search, QTreeView& view, Qt::Key key)
{
    Wait wait;
    bool changed = false;
    const auto change = [&] { changed = true; };
    QAbstractItemModel* rows = view.model();
    std::vector<QMetaObject::Connection> connections{
        QObject::connect(rows, &QAbstractItemModel::layoutChanged, &wait.loop(), change),
        QObject::connect(rows, &QAbstractItemModel::rowsInserted, &wait.loop(), change),
        QObject::connect(rows, &QAbstractItemModel::rowsRemoved, &wait.loop(), change),
        QObject::connect(rows, &QAbstractItemModel::modelReset, &wait.loop(), change)};
    QElapsedTimer clock;
    double ms = 0;
    PaintProbe probe(view.viewport(), [&] {
        if (changed)
            wait.finishAfterThis(clock, ms);
    });
    clock.start();
    QTest::keyClick(&search, key);
    if (!changed)
        throw std::runtime_error("a keystroke left the format list as it was");
    wait.run("the filtered list");
    view.viewport()->removeEventFilter(&probe);
    for (const auto& connection : connections)
        QObject::disconnect(connection);
    return ms;
}

// Stages the first listed types that an application other than their current default can open.
int stage(AppModel& model, int count)
{
    const CatalogDisplayIndex& index = model.index();
    int staged = 0;
    for (const QString& type : index.types) {
        const FileAssociation association = index.associationsByType.value(type);
        const QString current = association.defaultHandlers.value(model.role());
        const auto other =
            std::find_if(association.capableApps.cbegin(), association.capableApps.cend(),
                         [&current](const InstalledApp& app) { return app.bundleIdentifier != current; });
        if (other == association.capableApps.cend())
            continue;
        model.stage(type, other->bundleIdentifier);
        if (++staged == count)
            break;
    }
    return staged;
}

// From the apply until the model has reloaded the catalog it changed.
StallWatch::Timed apply(AppModel& model)
{
    const StallWatch::Timed applied = StallWatch::untilFinished([&model] { return model.applyPending(); }, "the apply");
    if (model.message())
        throw std::runtime_error("the apply failed: " + model.message()->toStdString());
    if (!model.pending().isEmpty())
        throw std::runtime_error("the apply left changes staged");
    return applied;
}

} // namespace

UiBenchmark::Result UiBenchmark::run(int appCount, unsigned seed, int repetitions)
{
    QTemporaryDir root;
    if (!root.isValid())
        throw std::runtime_error("cannot create a temporary folder");
    const auto summary = SyntheticSystem::write(root.path(), appCount, seed);
    platform::setSystemRoot(root.path());
    ui::LanguageSetting::shared().setOverride(u"zh"_s);
    platform::Workspace::setConfirmationHandler([](const auto&) { return true; });

    Result result;
    result.bundles = summary.bundles;
    QThreadPool pool;
    pool.setMaxThreadCount(std::max(1, QThread::idealThreadCount() - 1));
    result.threads = pool.maxThreadCount();
    const PlistFloor::Times floor = PlistFloor::measure(pool, summary.bundles, 3 * repetitions);
    result.floorSerialMs = floor.serialMs;
    result.floorPoolMs = floor.poolMs;

    // No server: nothing leaves the machine.
    FormatCatalogUpdater updater{FormatCatalogUpdater::Configuration{}};
    std::unique_ptr<ui::MainWindow> window;
    std::vector<double> starts, refreshStalls;
    for (int round = 0; round < repetitions; ++round) {
        window.reset();
        Started started = start(updater);
        starts.push_back(started.ms);
        refreshStalls.push_back(started.longestStallMs);
        window = std::move(started.window);
    }
    result.startMs = median(starts);
    result.slowestStartMs = slowest(starts);
    result.refreshStallMs = median(refreshStalls);
    result.worstRefreshStallMs = slowest(refreshStalls);
    AppModel& model = window->model();
    result.apps = int(model.apps().size());
    result.types = int(model.index().types.size());

    window->setByApp(false);
    auto& search = *child<QLineEdit>(*window, u"sidebarSearch"_s);
    auto& formats = *child<QTreeView>(*window, u"formatTree"_s);
    // As a person looks for JPEG images; each key narrows or widens the list: "j", "jp", "jpg", and back.
    const Qt::Key keys[] = {Qt::Key_J, Qt::Key_P, Qt::Key_G, Qt::Key_Backspace, Qt::Key_Backspace, Qt::Key_Backspace};
    std::vector<double> keystrokes;
    for (int round = 0; round < repetitions; ++round)
        for (const Qt::Key key : keys)
            keystrokes.push_back(keystroke(search, formats, key));
    result.keystrokes = int(keystrokes.size());
    result.keystrokeMs = median(keystrokes);
    result.slowestKeystrokeMs = slowest(keystrokes);

    std::vector<double> applies, applyStalls, applyStallWork;
    for (int round = 0; round < repetitions; ++round) {
        result.staged = stage(model, stagedChanges);
        if (result.staged < stagedChanges)
            throw std::runtime_error("the catalog has too few types to stage");
        const StallWatch::Timed applied = apply(model);
        applies.push_back(applied.ms);
        applyStalls.push_back(applied.longestStallMs);
        applyStallWork.push_back(applied.longestStallWorkMs);
    }
    // The same watch for as long, with nothing to do: the gaps the machine's own load makes.
    std::vector<double> idleStalls;
    for (int round = 0; round < repetitions; ++round)
        idleStalls.push_back(StallWatch::untilFinished(
                                 [ms = applies[size_t(round)]] {
                                     auto done = std::make_shared<QPromise<void>>();
                                     done->start();
                                     QTimer::singleShot(int(ms), qApp, [done] { done->finish(); });
                                     return done->future();
                                 },
                                 "the idle wait")
                                 .longestStallMs);
    result.idleStallMs = median(idleStalls);
    result.applyMs = median(applies);
    result.applyStallMs = median(applyStalls);
    result.worstApplyStallMs = slowest(applyStalls);
    result.applyStallWorkMs = median(applyStallWork);
    result.worstApplyStallWorkMs = slowest(applyStallWork);

    result.peakKilobytes = peakResidentKilobytes();
    window.reset();
    platform::Workspace::setConfirmationHandler({});
    ui::LanguageSetting::shared().setOverride(std::nullopt);
    platform::setSystemRoot({});
    return result;
}

} // namespace tessik::tools
