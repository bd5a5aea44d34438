#include "mime_subclasses.h"

#include <QFile>

using namespace Qt::StringLiterals;

namespace tessik::platform {
namespace {

// Far beyond any real database; a bigger file is not one.
constexpr qint64 maximumFileSize = 4 * 1024 * 1024;

} // namespace

MimeSubclasses& MimeSubclasses::shared()
{
    static MimeSubclasses subclasses;
    return subclasses;
}

std::optional<QStringList> MimeSubclasses::parents(const XdgEnvironment& environment, const QString& type)
{
    QMutexLocker locker(&m_mutex);
    refresh(environment);
    if (!m_found)
        return std::nullopt;
    return m_parents.value(type);
}

void MimeSubclasses::refresh(const XdgEnvironment& environment)
{
    QStringList files{environment.dataHome + u"/mime/subclasses"_s};
    for (const QString& folder : environment.dataDirs)
        files.append(folder + u"/mime/subclasses"_s);
    const bool current = files == m_files && std::all_of(m_stamps.begin(), m_stamps.end(),
                                                         [](const FileStamp& stamp) { return stamp.isCurrent(); });
    if (current)
        return;

    m_files = files;
    m_stamps.clear();
    m_parents.clear();
    m_found = false;
    for (const QString& path : files) {
        FileStamp stamp;
        const std::optional<QByteArray> contents = FileStamp::read(path, maximumFileSize, stamp);
        m_stamps.push_back(stamp);
        if (!contents)
            continue;
        m_found = true;
        for (const QByteArray& line : contents->split('\n')) {
            const QList<QByteArray> fields = line.simplified().split(' ');
            if (fields.size() != 2 || line.startsWith('#'))
                continue;
            QStringList& list = m_parents[QString::fromUtf8(fields[0])];
            if (const QString parent = QString::fromUtf8(fields[1]); !list.contains(parent))
                list.append(parent);
        }
    }
}

} // namespace tessik::platform
