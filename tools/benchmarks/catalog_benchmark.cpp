#include "catalog_benchmark.h"

#include "core/catalog/association_catalog_builder.h"
#include "core/catalog/format_knowledge_base.h"
#include "core/discovery/app_scanner.h"
#include "core/services/launch_services_association_reader.h"
#include "median.h"
#include "platform/emulated/bundle_cache.h"
#include "platform/system_root.h"
#include "systemwriter/synthetic_system.h"

#include <QElapsedTimer>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QRandomGenerator>
#include <QTemporaryDir>

#include <algorithm>
#include <stdexcept>
#include <sys/resource.h>
#include <vector>

using namespace Qt::StringLiterals;

namespace tessik::tools {
namespace {

long peakKilobytes()
{
    rusage usage{};
    getrusage(RUSAGE_SELF, &usage);
    return usage.ru_maxrss;
}

// The shipped categories with recommendations for a third of the synthetic applications, so that suggestions
// have real work to do.
FormatKnowledgeBase syntheticKnowledge(int appCount, unsigned seed)
{
    const FormatKnowledgeBase shipped = FormatKnowledgeBase::bundled();
    QStringList pool;
    QJsonArray categories;
    for (const FormatCategory& category : shipped.categories()) {
        categories.append(category.toJson());
        pool += category.extensions;
    }
    pool.removeDuplicates();
    QRandomGenerator random(seed);
    QJsonArray apps;
    for (const AppFormatRecommendation& app : shipped.apps())
        apps.append(app.toJson());
    for (int i = 0; i < appCount && apps.size() < 1000; i += 3) {
        QStringList formats;
        for (int f = 0; f < 20; ++f)
            formats.append(pool[random.bounded(pool.size())]);
        formats.removeDuplicates();
        apps.append(QJsonObject{{u"name"_s, u"Synthetic %1"_s.arg(i)},
                                {u"aliases"_s, QJsonArray()},
                                {u"bundleIdentifiers"_s, QJsonArray{u"com.synthetic.app%1"_s.arg(i)}},
                                {u"formats"_s, QJsonArray::fromStringList(formats.mid(0, 15))},
                                {u"conditionalFormats"_s, QJsonArray::fromStringList(formats.mid(15))},
                                {u"source"_s, u"https://example.com/synthetic"_s}});
    }
    return FormatKnowledgeBase::decode(
        QJsonDocument(QJsonObject{{u"schemaVersion"_s, 1}, {u"categories"_s, categories}, {u"apps"_s, apps}})
            .toJson(QJsonDocument::Compact));
}

} // namespace

CatalogBenchmark::Result CatalogBenchmark::run(int appCount, unsigned seed, int repetitions)
{
    QTemporaryDir root;
    if (!root.isValid())
        throw std::runtime_error("cannot create a temporary folder");
    SyntheticSystem::write(root.path(), appCount, seed);
    platform::setSystemRoot(root.path());
    const FormatKnowledgeBase knowledge = syntheticKnowledge(appCount, seed);

    Result result;
    result.peakKilobytesAfterWriting = peakKilobytes();
    std::vector<double> scans, suggesting, building;
    const AssociationCatalogBuilder builder(std::make_shared<LaunchServicesAssociationReader>());
    for (int round = 0; round < repetitions; ++round) {
        platform::clearBundleCache();
        QElapsedTimer timer;
        timer.start();
        const QList<InstalledApp> apps = AppScanner().scan();
        scans.push_back(timer.nsecsElapsed() / 1e6);

        timer.start();
        const QList<CatalogSuggestion> suggestions = knowledge.suggestions(apps);
        suggesting.push_back(timer.nsecsElapsed() / 1e6);

        timer.start();
        const QList<FileAssociation> catalog = builder.build(apps, {}, suggestions);
        building.push_back(timer.nsecsElapsed() / 1e6);

        result.apps = int(apps.size());
        result.suggestions = int(suggestions.size());
        result.associations = int(catalog.size());
    }
    result.scanMs = median(scans);
    result.suggestionsMs = median(suggesting);
    result.buildMs = median(building);
    result.peakKilobytes = peakKilobytes();
    platform::setSystemRoot({});
    return result;
}

} // namespace tessik::tools
