#include "mime_apps_sandbox.h"
#include "platform/ns_error.h"
#include "platform/xdg/desktop_entry_index.h"
#include "platform/xdg/key_file_document.h"
#include "platform/xdg/mime_apps_writer.h"
#include "platform/xdg/mime_type_name.h"
#include "platform/xdg/mime_type_table.h"

#include <gtest/gtest.h>
#include <random>

using namespace Qt::StringLiterals;
using namespace tessik::platform;

namespace {

// Damage of the kinds a crashed writer, a careless editor or a hostile program leaves in a file, drawn from a
// fixed seed so that every run sees the same files.
class Mutator
{
public:
    explicit Mutator(unsigned seed) : m_random(seed) {}

    QByteArray mutate(QByteArray bytes)
    {
        static const QList<QByteArray> pieces{"[",
                                              "]",
                                              "=",
                                              ";",
                                              "\\",
                                              "\\q",
                                              "\\s",
                                              "#",
                                              " ",
                                              "\t",
                                              "\v",
                                              "\r",
                                              "\r\r\n",
                                              "\n",
                                              QByteArray(1, '\0'),
                                              "\xff",
                                              "\x01",
                                              "\xef\xbb\xbf",
                                              "\n[]\n",
                                              "\n[Default Applications]\n",
                                              "\n[Added Associations]\n",
                                              "text/plain=",
                                              "application/x-pdf=",
                                              "b.desktop;",
                                              "[de]",
                                              "Encoding=latin1\n"};
        const int edits = 1 + pick(3);
        for (int edit = 0; edit < edits; ++edit) {
            const qsizetype at = pick(int(bytes.size()) + 1);
            switch (pick(5)) {
            case 0:
                bytes.insert(at, pieces.at(pick(int(pieces.size()))));
                break;
            case 1:
                if (at < bytes.size())
                    bytes[at] = char(pick(256));
                break;
            case 2:
                bytes.remove(at, 1 + pick(8));
                break;
            case 3: {
                // A line again, somewhere else.
                const qsizetype start = bytes.lastIndexOf('\n', at - 1) + 1;
                const qsizetype end = bytes.indexOf('\n', at);
                const QByteArray line = bytes.mid(start, end < 0 ? -1 : end - start + 1);
                bytes.insert(pick(int(bytes.size()) + 1), line);
                break;
            }
            default:
                bytes.truncate(at);
            }
        }
        return bytes;
    }

    int pick(int bound) { return bound > 0 ? int(m_random() % unsigned(bound)) : 0; }

private:
    // Its numbers are the same on every standard library, unlike the distributions'.
    std::mt19937 m_random;
};

QString described(unsigned seed, const QByteArray& bytes)
{
    return u"seed %1: %2"_s.arg(seed).arg(QString::fromLatin1(bytes.toPercentEncoding(" #[]=;/")));
}

} // namespace

TEST(XdgMutation, EveryMutatedListIsReadAndWrittenAsGioReadsIt)
{
    MimeAppsSandbox sandbox;
    if (!sandbox.gioDefault(u"text/plain"_s))
        GTEST_SKIP() << "gio is not installed";
    for (const QString& id : {u"a.desktop"_s, u"b.desktop"_s, u"c.desktop"_s, u"d.desktop"_s})
        sandbox.addApplication(u"data1"_s, id);
    const QByteArray original = "# my defaults\n"
                                "[Default Applications]\n"
                                "text/plain=a.desktop;b.desktop;\n"
                                "application/x-pdf=c.desktop;\n"
                                "application/pdf=d.desktop;\n"
                                "\n"
                                "[Added Associations]\n"
                                "text/plain=c.desktop;\n"
                                "application/pdf=a.desktop;d.desktop;\n"
                                "[Removed Associations]\n"
                                "text/plain=a.desktop;\n";
    const QStringList types{u"text/plain"_s, u"application/pdf"_s};
    const auto expectAgreement = [&](const QString& context) {
        for (const QString& type : types) {
            const auto ours = sandbox.lookup().defaultApplication(sandbox.environment, {type});
            EXPECT_EQ(ours ? ours->desktopId : QString(), sandbox.gioDefault(type).value_or(QString()))
                << qPrintable(type) << ", " << qPrintable(context);
        }
    };

    int refused = 0;
    for (unsigned seed = 1; seed <= 40; ++seed) {
        const QByteArray mutated = Mutator(seed).mutate(original);
        sandbox.write(u"home/.config/mimeapps.list"_s, mutated);
        expectAgreement(described(seed, mutated));

        // A list either takes the change so that GLib reads it, or stays as it was.
        try {
            MimeAppsWriter::setDefault(sandbox.environment, u"application/pdf"_s,
                                       {u"application/x-pdf"_s, u"image/pdf"_s}, u"b.desktop"_s);
            sandbox.expectDefault({u"application/pdf"_s}, u"b.desktop"_s);
        } catch (const NSError&) {
            ++refused;
            EXPECT_EQ(sandbox.read(u"home/.config/mimeapps.list"_s), mutated) << qPrintable(described(seed, mutated));
            EXPECT_FALSE(KeyFileDocument::parse(mutated).isWellFormed()) << qPrintable(described(seed, mutated));
        }
    }
    EXPECT_GT(refused, 0) << "the seeds no longer reach a list GLib refuses";
    EXPECT_LT(refused, 40) << "the seeds no longer reach a list GLib reads";
}

TEST(XdgMutation, MutatedDesktopEntriesAndCachesAreInstalledAsGioInstallsThem)
{
    MimeAppsSandbox sandbox;
    if (!sandbox.gioDefault(u"text/plain"_s))
        GTEST_SKIP() << "gio is not installed";
    sandbox.setVariable("PATH", QFile::encodeName(sandbox.path(u"bin"_s)));
    const QByteArray program = QFile::encodeName(sandbox.writeProgram(u"bin/tessik-app"_s));
    const QByteArray original = "[Desktop Entry]\n"
                                "Type=Application\n"
                                "Name=App\n"
                                "Name[de]=Programm\n"
                                "Exec=" +
                                program +
                                " %f\n"
                                "TryExec=tessik-app\n"
                                "MimeType=text/plain;\n"
                                "\n"
                                "[Desktop Action New]\n"
                                "Name=New\n";
    QByteArray cache = "[MIME Cache]\ntext/plain=";
    for (unsigned seed = 1; seed <= 60; ++seed) {
        const QString id = u"m%1.desktop"_s.arg(seed);
        sandbox.write(u"data1/applications/"_s + id, Mutator(seed).mutate(original));
        cache += id.toUtf8() + ';';
    }
    sandbox.write(u"data1/applications/mimeinfo.cache"_s, cache + '\n');
    const auto installedIds = [] {
        QStringList ids = DesktopEntryIndex::current()->installedIds();
        ids.sort();
        return ids;
    };
    const QStringList installed = installedIds();
    EXPECT_EQ(installed, sandbox.gioRegistered(u"text/plain"_s));
    EXPECT_GT(installed.size(), 0);
    EXPECT_LT(installed.size(), 60);

    // The cache that lists them, damaged in its turn: the same applications count for both.
    const QByteArray listed = cache + "\nimage/png=m1.desktop;m2.desktop;\n";
    for (unsigned seed = 100; seed < 115; ++seed) {
        const QByteArray mutated = Mutator(seed).mutate(listed);
        sandbox.write(u"data1/applications/mimeinfo.cache"_s, mutated);
        QStringList ours = sandbox.lookup().associatedIds(sandbox.environment, {u"text/plain"_s});
        ours.removeIf([&](const QString& id) { return !installed.contains(id); });
        ours.sort();
        EXPECT_EQ(ours, sandbox.gioRegistered(u"text/plain"_s)) << qPrintable(described(seed, mutated));
    }
}

TEST(XdgMutation, MutatedMimePackagesNeverLeakABadNameOrLoopForever)
{
    MimeAppsSandbox sandbox;
    // Types made of names good and bad, each subclassing and aliasing others at random, cycles and all.
    const QList<QByteArray> names{
        "application/x-tessik-a", "text/x-tessik-b",          "text/plain",   "application/x-tessik-c+xml",
        "text/x-tessik d",        "x-evil/doc&#10;[Default]", "application/", "image/x-tessik-e;f",
        "application/pdf",        "text/x-tessik-g"};
    Mutator random(7);
    for (int package = 0; package < 12; ++package) {
        QByteArray xml = "<?xml version=\"1.0\"?>\n"
                         "<mime-info xmlns=\"http://www.freedesktop.org/standards/shared-mime-info\">\n";
        for (int type = 0; type < 3; ++type) {
            xml += "<mime-type type=\"" + names.at(random.pick(int(names.size()))) + "\"><comment>T</comment>";
            for (int link = random.pick(3); link > 0; --link)
                xml += "<sub-class-of type=\"" + names.at(random.pick(int(names.size()))) + "\"/>";
            if (random.pick(3) == 0)
                xml += "<alias type=\"" + names.at(random.pick(int(names.size()))) + "\"/>";
            xml += "<glob pattern=\"*.tk" + QByteArray::number(random.pick(6)) + "\"/></mime-type>\n";
        }
        xml += "</mime-info>\n";
        sandbox.write(sandbox.dataHome() + u"/mime/packages/p%1.xml"_s.arg(package), Mutator(package).mutate(xml));
    }

    const MimeTypeTable table;
    for (const QByteArray& name : names) {
        const auto record = table.type(QString::fromUtf8(name).replace(u"&#10;"_s, u"\n"_s));
        if (!record)
            continue;
        EXPECT_TRUE(MimeTypeName::isValid(record->identifier)) << record->identifier.toStdString();
        for (const QString& conforming : record->conformance)
            EXPECT_TRUE(MimeTypeName::isValid(conforming)) << conforming.toStdString();
    }
    for (int extension = 0; extension < 6; ++extension) {
        const auto record = table.typeForExtension(u"tk%1"_s.arg(extension), MimeTypeTable::dataIdentifier());
        ASSERT_TRUE(record);
        EXPECT_TRUE(MimeTypeName::isValid(record->identifier)) << record->identifier.toStdString();
    }
}
