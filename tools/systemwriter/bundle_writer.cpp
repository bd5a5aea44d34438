#include "bundle_writer.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QStringEncoder>

#include <stdexcept>

using namespace Qt::StringLiterals;

namespace tessik::tools {
namespace {

void writeFile(const QString& path, const QByteArray& data)
{
    QDir().mkpath(QFileInfo(path).absolutePath());
    QFile file(path);
    if (!file.open(QIODevice::WriteOnly | QIODevice::Truncate) || file.write(data) != data.size())
        throw std::runtime_error("cannot write " + path.toStdString());
}

QString quoted(QString text)
{
    text.replace(u'\\', u"\\\\"_s).replace(u'"', u"\\\""_s).replace(u'\n', u"\\n"_s);
    return u'"' + text + u'"';
}

} // namespace

QString BundleWriter::write(const BundleDescription& bundle) const
{
    const QString path = QDir::isAbsolutePath(bundle.path) ? bundle.path : m_root + u'/' + bundle.path;
    const QString contents = path + u"/Contents"_s;
    writeFile(contents + u"/Info.plist"_s,
              bundle.rawInfoPlist ? *bundle.rawInfoPlist : platform::PropertyList::write(bundle.info, bundle.format));
    for (auto it = bundle.localizedStrings.cbegin(); it != bundle.localizedStrings.cend(); ++it)
        writeFile(contents + u"/Resources/"_s + it.key() + u".lproj/InfoPlist.strings"_s, stringsFile(it.value()));
    const QString icon = bundle.info.value(u"CFBundleIconFile"_s).toString();
    if (!icon.isEmpty() && !bundle.icon.isEmpty())
        writeFile(contents + u"/Resources/"_s + (icon.endsWith(u".icns"_s) ? icon : icon + u".icns"_s), bundle.icon);
    return path;
}

QByteArray BundleWriter::stringsFile(const QVariantMap& entries)
{
    QString text = u"/* Localized versions of Info.plist keys */\n\n"_s;
    for (auto it = entries.cbegin(); it != entries.cend(); ++it)
        text += quoted(it.key()) + u" = "_s + quoted(it.value().toString()) + u";\n"_s;
    QStringEncoder encoder(QStringConverter::Utf16LE, QStringConverter::Flag::WriteBom);
    return encoder(text);
}

} // namespace tessik::tools
