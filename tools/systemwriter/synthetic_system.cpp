#include "synthetic_system.h"

#include "platform/emulated/type_database.h"
#include "system_root_writer.h"

#include <QRandomGenerator>
#include <QSet>

using namespace Qt::StringLiterals;

namespace tessik::tools {
namespace {

const QStringList firstWords{u"Quick"_s, u"Bright"_s, u"Silent"_s, u"Nimble"_s, u"Clear"_s, u"Swift"_s,
                             u"Amber"_s, u"Cobalt"_s, u"Lunar"_s,  u"Polar"_s,  u"Maple"_s, u"Cedar"_s};
const QStringList secondWords{u"Edit"_s, u"View"_s,    u"Studio"_s, u"Player"_s, u"Reader"_s, u"Notes"_s,
                              u"Lens"_s, u"Archive"_s, u"Draw"_s,   u"Code"_s,   u"Sheets"_s, u"Frame"_s};
const QStringList roles{u"Editor"_s, u"Viewer"_s, u"Editor"_s, u"Viewer"_s, u"Shell"_s, u"None"_s};
const QStringList ranks{u"Default"_s, u"Alternate"_s, u"Owner"_s, QString(), u"Alternate"_s, u"None"_s};

struct TypeChoice
{
    QString identifier;
    QStringList extensions;
};

QList<TypeChoice> typePool()
{
    QList<TypeChoice> pool;
    for (const auto& type : platform::TypeDatabase::system()->declaredTypes())
        if (!type->extensions.isEmpty())
            pool.append({type->identifier, type->extensions});
    // Formats no system type knows, as real machines have plenty of.
    for (int i = 0; i < 200; ++i)
        pool.append({u"com.synthetic.format%1"_s.arg(i), {u"sf%1"_s.arg(i)}});
    return pool;
}

} // namespace

SyntheticSystem::Summary SyntheticSystem::write(const QString& root, int appCount, quint32 seed)
{
    QRandomGenerator random(seed);
    const SystemRootWriter writer(root);
    writer.setPreferredLanguages({u"zh-Hans"_s, u"en"_s});
    const QList<TypeChoice> pool = typePool();
    const QStringList folders{u"Applications"_s,
                              u"Applications"_s,
                              u"Applications"_s,
                              u"Applications/Utilities"_s,
                              u"Applications/Tools/Media"_s,
                              u"System/Applications"_s,
                              u"home/Applications"_s};

    Summary summary;
    QSet<QString> identifiers;
    QList<QPair<QString, QStringList>> installed;
    for (int i = 0; i < appCount; ++i) {
        const QString name =
            u"%1 %2 %3"_s
                .arg(firstWords[random.bounded(firstWords.size())], secondWords[random.bounded(secondWords.size())])
                .arg(i);
        // A few copies of an earlier application, as when one is installed twice.
        const bool copy = i > 0 && random.bounded(50) == 0;
        const QString identifier =
            copy ? installed[random.bounded(installed.size())].first : u"com.synthetic.app%1"_s.arg(i);
        BundleDescription bundle;
        bundle.path = folders[random.bounded(folders.size())] + u'/' + name + u".app"_s;
        bundle.format =
            random.bounded(10) < 4 ? platform::PropertyList::Format::Binary : platform::PropertyList::Format::Xml;
        bundle.info = {
            {u"CFBundleIdentifier"_s, identifier},
            {u"CFBundleName"_s, name},
            {u"CFBundleExecutable"_s, name},
            {u"CFBundlePackageType"_s, u"APPL"_s},
            {u"CFBundleShortVersionString"_s, u"%1.%2"_s.arg(1 + random.bounded(9)).arg(random.bounded(20))}};
        if (random.bounded(5) == 0)
            bundle.localizedStrings.insert(u"zh-Hans"_s, {{u"CFBundleDisplayName"_s, u"合成应用 %1"_s.arg(i)}});

        QVariantList documentTypes;
        QStringList declared;
        const int entries = random.bounded(9);
        for (int e = 0; e < entries; ++e) {
            QVariantList types;
            QVariantList extensions;
            const int typeCount = 1 + random.bounded(3);
            for (int t = 0; t < typeCount; ++t) {
                const TypeChoice& choice = pool[random.bounded(pool.size())];
                types.append(choice.identifier);
                declared.append(choice.identifier);
                for (const QString& extension : choice.extensions)
                    extensions.append(extension);
            }
            QVariantMap entry{{u"CFBundleTypeName"_s, u"Document %1"_s.arg(e)},
                              {u"CFBundleTypeRole"_s, roles[random.bounded(roles.size())]},
                              {u"CFBundleTypeExtensions"_s, extensions}};
            if (random.bounded(8) != 0)
                entry.insert(u"LSItemContentTypes"_s, types);
            if (const QString rank = ranks[random.bounded(ranks.size())]; !rank.isEmpty())
                entry.insert(u"LSHandlerRank"_s, rank);
            documentTypes.append(entry);
        }
        if (!documentTypes.isEmpty())
            bundle.info.insert(u"CFBundleDocumentTypes"_s, documentTypes);
        writer.addBundle(bundle);
        identifiers.insert(identifier);
        installed.append({identifier, declared});
        ++summary.bundles;
    }

    for (int h = 0; h < appCount / 10; ++h) {
        const auto& [identifier, declared] = installed[random.bounded(installed.size())];
        if (declared.isEmpty())
            continue;
        writer.setHandler(declared[random.bounded(declared.size())],
                          allAssociationRoles[random.bounded(int(allAssociationRoles.size()))], identifier);
        ++summary.handlers;
    }
    summary.distinctIdentifiers = int(identifiers.size());
    return summary;
}

} // namespace tessik::tools
