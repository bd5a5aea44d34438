#include "application_finder.h"

#include "app/l10n/l10n.h"
#include "app/l10n/platform_texts.h"
#include "cli/terminal_text.h"
#include "core/discovery/app_scanner.h"
#include "platform/workspace.h"

#include <QFileInfo>

#include <algorithm>
#include <vector>

using namespace Qt::StringLiterals;

namespace tessik::cli {
namespace {

// Levenshtein distance over UTF-16 code units, enough to rank near misses of identifiers and names.
qsizetype editDistance(const QString& a, const QString& b)
{
    std::vector<qsizetype> row(b.size() + 1);
    for (qsizetype j = 0; j <= b.size(); ++j)
        row[j] = j;
    for (qsizetype i = 1; i <= a.size(); ++i) {
        qsizetype diagonal = row[0];
        row[0] = i;
        for (qsizetype j = 1; j <= b.size(); ++j) {
            const qsizetype above = row[j];
            row[j] = std::min({row[j] + 1, row[j - 1] + 1, diagonal + (a[i - 1] == b[j - 1] ? 0 : 1)});
            diagonal = above;
        }
    }
    return row[b.size()];
}

QString withoutDesktopSuffix(const QString& id)
{
    return id.endsWith(u".desktop"_s, Qt::CaseInsensitive) ? id.chopped(8) : id;
}

} // namespace

ApplicationFinder::Result ApplicationFinder::find(const QString& name) const
{
    // Identifiers never hold a slash; paths do.
    if (name.contains(u'/')) {
        const auto app = AppScanner().installedApp(QUrl::fromLocalFile(QFileInfo(name).absoluteFilePath()));
        return app ? Result{app} : Result{std::nullopt, true};
    }
    for (const InstalledApp& app : m_installed)
        if (app.bundleIdentifier == name)
            return {app};
    // One Launch Services knows from elsewhere (registered when it was associated from outside the folders).
    if (const auto url = platform::Workspace::urlForApplicationWithBundleIdentifier(name))
        if (auto app = AppScanner().installedApp(*url))
            return {std::move(app)};
    // Launch Services compares bundle identifiers without regard to case; a desktop file ID may lack its suffix.
    QList<InstalledApp> matches;
    for (const InstalledApp& app : m_installed)
        if (withoutDesktopSuffix(app.bundleIdentifier).compare(withoutDesktopSuffix(name), Qt::CaseInsensitive) == 0)
            matches.append(app);
    if (matches.isEmpty()) {
        for (const InstalledApp& app : m_installed)
            if (app.name == name)
                matches.append(app);
    }
    if (matches.isEmpty()) {
        for (const InstalledApp& app : m_installed)
            if (app.name.compare(name, Qt::CaseInsensitive) == 0)
                matches.append(app);
    }
    if (matches.size() == 1)
        return {matches.constFirst()};
    Result result;
    result.ambiguous = !matches.isEmpty();
    for (const InstalledApp& app : matches)
        result.candidates.append(app.bundleIdentifier);
    if (matches.isEmpty())
        result.candidates = closestIdentifiers(name);
    return result;
}

QStringList ApplicationFinder::closestIdentifiers(const QString& name) const
{
    // Identifiers holding what was typed, then near misses of an identifier or a name, but not whatever happens to
    // be least unlike a random word.
    const QString wanted = name.toLower();
    if (wanted.isEmpty())
        return {};
    std::vector<std::pair<qsizetype, QString>> ranked;
    for (const InstalledApp& app : m_installed) {
        const QString id = app.bundleIdentifier.toLower();
        const qsizetype distance =
            id.contains(wanted) ? 0 : std::min(editDistance(wanted, id), editDistance(wanted, app.name.toLower()));
        if (distance <= std::max<qsizetype>(2, wanted.size() / 3))
            ranked.emplace_back(distance, app.bundleIdentifier);
    }
    std::sort(ranked.begin(), ranked.end());
    QStringList closest;
    for (const auto& [distance, id] : ranked)
        if (closest.size() < 3 && !closest.contains(id))
            closest.append(id);
    return closest;
}

QString ApplicationFinder::missText(const Result& result, const QString& name, const QString& language)
{
    if (result.notAnApplicationPath) {
        const L10n::Values path{{u"path"_s, name}};
        return PlatformTexts::isMac() ? L10n::text(u"{path} 处没有应用程序包。"_s, language, path)
                                      : L10n::text(u"{path} 处没有已安装应用的桌面文件。"_s, language, path);
    }
    const L10n::Values values{{u"name"_s, TerminalText::escaped(name)},
                              {u"candidates"_s, TerminalText::escaped(result.candidates.join(u", "_s))}};
    if (result.ambiguous)
        return L10n::text(u"有多个已安装的应用叫“{name}”：{candidates}。请用标识符指明其中一个。"_s, language, values);
    QString text = PlatformTexts::noInstalledApp(name, language);
    if (!result.candidates.isEmpty())
        text += u' ' + L10n::text(u"你是不是要找 {candidates}？"_s, language, values);
    return text;
}

} // namespace tessik::cli
