#include "mime_apps_sandbox.h"
#include "platform/xdg/mime_type_name.h"
#include "platform/xdg/mime_type_table.h"

#include <QMimeDatabase>

#include <gtest/gtest.h>

using namespace Qt::StringLiterals;
using tessik::platform::MimeTypeTable;

namespace {

const QString octetStream = u"application/octet-stream"_s;

// One sandbox for the whole process: the MIME database reads its folders once and re-checks them only now and then.
// It holds the system's database and a package of test types, read from its XML as no cache is built for it.
void enterMimeSandbox()
{
    static const MimeAppsSandbox* sandbox = [] {
        auto* made = new MimeAppsSandbox;
        made->write(made->dataHome() + u"/mime/packages/tessik-test.xml"_s, R"(<?xml version="1.0"?>
<mime-info xmlns="http://www.freedesktop.org/standards/shared-mime-info">
  <mime-type type="application/x-tessik-base"><comment>Tessik base</comment><glob pattern="*.tkb"/></mime-type>
  <mime-type type="text/x-Tessik-Note">
    <comment>Tessik note</comment>
    <sub-class-of type="application/x-tessik-base"/>
    <alias type="text/x-tessik-old-note"/>
    <glob pattern="*.tkn"/><glob pattern="*.TKN"/><glob pattern="*.tknote"/>
  </mime-type>
  <mime-type type="application/x-extension-tkq"><comment>TKQ file</comment><glob pattern="*.tkq"/></mime-type>
  <mime-type type="application/x-tessik-loop"><sub-class-of type="text/x-tessik-loop"/><glob pattern="*.tkl"/></mime-type>
  <mime-type type="text/x-tessik-loop"><sub-class-of type="application/x-tessik-loop"/></mime-type>
  <mime-type type="#x-evil/doc&#10;[Default Applications]&#10;x-scheme-handler/https"><glob pattern="*.tke"/></mime-type>
  <mime-type type="application/x-tessik-victim"><comment>Victim</comment></mime-type>
  <mime-type type="text/x-tessik-hijacker"><alias type="application/x-tessik-victim"/><alias type="text/x-tessik-hijacked"/></mime-type>
  <mime-type type="application/x-tessik-evil-alias"><alias type="text/x-tessik evil"/><glob pattern="*.tka"/></mime-type>
</mime-info>
)");
        return made;
    }();
    sandbox->apply();
}

class MimeTypeTableTest : public ::testing::Test
{
protected:
    MimeTypeTableTest() { enterMimeSandbox(); }

    QString typeFor(const QString& extension, const QString& supertype = octetStream) const
    {
        const auto record = m_table.typeForExtension(extension, supertype);
        return record ? record->identifier : QString();
    }

    MimeTypeTable m_table;
};

} // namespace

TEST_F(MimeTypeTableTest, FindsTypesWhateverTheCaseOrAlias)
{
    for (const QString& name : {u"application/pdf"_s, u"application/x-pdf"_s, u"APPLICATION/PDF"_s, u"Image/PDF"_s}) {
        const auto pdf = m_table.type(name);
        ASSERT_TRUE(pdf) << qPrintable(name);
        EXPECT_EQ(pdf->identifier, u"application/pdf"_s);
        EXPECT_EQ(pdf->mimeTypes, QStringList{u"application/pdf"_s});
        EXPECT_FALSE(pdf->dynamic);
    }

    // Canonical names may have capitals; the input is matched without regard to case all the same.
    EXPECT_EQ(m_table.type(u"text/x-tessik-note"_s)->identifier, u"text/x-Tessik-Note"_s);
    EXPECT_EQ(m_table.type(u"TEXT/X-TESSIK-OLD-NOTE"_s)->identifier, u"text/x-Tessik-Note"_s);
    EXPECT_EQ(m_table.type(u"application/vnd.ms-word.document.macroenabled.12"_s)->identifier,
              u"application/vnd.ms-word.document.macroEnabled.12"_s);

    EXPECT_FALSE(m_table.type(u"application/x-tessik-unknown"_s));
    EXPECT_FALSE(m_table.type(QString()));
}

TEST_F(MimeTypeTableTest, ConformanceIncludesTheImplicitSupertypesAndExtensionsAreListed)
{
    const auto cpp = m_table.type(u"text/x-c++src"_s);
    EXPECT_EQ(cpp->parents, QStringList{u"text/x-csrc"_s});
    EXPECT_EQ(cpp->conformance, (QSet<QString>{u"text/x-c++src"_s, u"text/x-csrc"_s, u"text/plain"_s, octetStream}));
    EXPECT_EQ(m_table.type(u"application/pdf"_s)->conformance, (QSet<QString>{u"application/pdf"_s, octetStream}));

    // A text type with a declared parent that is not text still conforms to plain text.
    const auto note = m_table.type(u"text/x-tessik-note"_s);
    EXPECT_EQ(note->parents, QStringList{u"application/x-tessik-base"_s});
    EXPECT_EQ(note->conformance,
              (QSet<QString>{u"text/x-tessik-note"_s, u"application/x-tessik-base"_s, u"text/plain"_s, octetStream}));

    EXPECT_EQ(m_table.type(u"inode/directory"_s)->conformance, QSet<QString>{u"inode/directory"_s});
    EXPECT_EQ(m_table.type(octetStream)->conformance, QSet<QString>{octetStream});

    // Extensions lower-cased, the preferred first.
    EXPECT_EQ(m_table.type(u"text/x-c++src"_s)->extensions,
              (QStringList{u"cpp"_s, u"cxx"_s, u"cc"_s, u"c"_s, u"c++"_s}));
    EXPECT_EQ(m_table.type(u"application/pdf"_s)->extensions, QStringList{u"pdf"_s});
    EXPECT_EQ(m_table.type(u"application/x-compressed-tar"_s)->extensions, (QStringList{u"tar.gz"_s, u"tgz"_s}));
    EXPECT_EQ(m_table.type(u"text/x-tessik-note"_s)->extensions, (QStringList{u"tkn"_s, u"tknote"_s}));
    EXPECT_TRUE(m_table.type(u"inode/directory"_s)->extensions.isEmpty());
}

TEST_F(MimeTypeTableTest, ResolvesExtensionsWithinASupertype)
{
    const QList<std::tuple<QString, QString, QString>> cases{
        {u"cpp"_s, octetStream, u"text/x-c++src"_s},
        {u"cpp"_s, u"text/plain"_s, u"text/x-c++src"_s},
        {u"cpp"_s, u"image/png"_s, QString()},
        {u"PDF"_s, u"APPLICATION/X-PDF"_s, u"application/pdf"_s},
        {u"tar.gz"_s, octetStream, u"application/x-compressed-tar"_s},
        {u"tknote"_s, u"text/plain"_s, u"text/x-Tessik-Note"_s},
        // Several types claim .ts: the first in the database's order, unless the supertype rules it out.
        {u"ts"_s, octetStream, u"text/vnd.trolltech.linguist"_s},
        {u"ts"_s, u"video/mp2t"_s, u"video/mp2t"_s},
        {QString(), octetStream, QString()},
        // An unclaimed extension falls back on the invented type, which is data and nothing more.
        {u"MKK"_s, octetStream, u"application/x-extension-mkk"_s},
        {u"mkk"_s, u"application/x-extension-mkk"_s, u"application/x-extension-mkk"_s},
        {u"mkk"_s, u"text/plain"_s, QString()}};
    for (const auto& [extension, supertype, expected] : cases)
        EXPECT_EQ(typeFor(extension, supertype), expected) << qPrintable(extension + u' ' + supertype);

    EXPECT_TRUE(m_table.typeForExtension(u"mkk"_s, octetStream)->dynamic);
    const auto invented = m_table.type(u"Application/X-Extension-MKK"_s);
    ASSERT_TRUE(invented);
    EXPECT_TRUE(invented->dynamic);
    EXPECT_EQ(invented->identifier, u"application/x-extension-mkk"_s);
    EXPECT_EQ(invented->extensions, QStringList{u"mkk"_s});
    EXPECT_EQ(invented->mimeTypes, QStringList{u"application/x-extension-mkk"_s});
    EXPECT_EQ(invented->parents, QStringList{octetStream});
    EXPECT_EQ(invented->conformance, (QSet<QString>{u"application/x-extension-mkk"_s, octetStream}));
    EXPECT_TRUE(invented->description.isEmpty());
    EXPECT_EQ(MimeTypeTable::dynamicIdentifier(u"MKK"_s), invented->identifier);
    EXPECT_FALSE(m_table.type(u"application/x-extension-"_s));
    EXPECT_FALSE(m_table.type(u"application/x-extension-a/b"_s));

    // Once the database knows the invented type, it is the database's.
    const auto known = m_table.typeForExtension(u"tkq"_s, octetStream);
    EXPECT_FALSE(known->dynamic);
    EXPECT_EQ(known->description, u"TKQ file"_s);
}

TEST_F(MimeTypeTableTest, CameraRawExtensionsThatTheDatabaseKnows)
{
    // shared-mime-info 2.2 has no types for 3fr, fff, iiq, rwl and srw.
    const QStringList known{u"arw"_s, u"cr2"_s, u"cr3"_s, u"crw"_s, u"dng"_s, u"nef"_s,
                            u"nrw"_s, u"orf"_s, u"pef"_s, u"raf"_s, u"rw2"_s};
    const QString raw = MimeTypeTable::cameraRawImageIdentifier();
    for (const QString& extension : known) {
        const auto type = m_table.typeForExtension(extension, raw);
        ASSERT_TRUE(type) << qPrintable(extension);
        EXPECT_TRUE(type->conformance.contains(raw)) << qPrintable(extension);
        EXPECT_NE(type->identifier, raw);
        EXPECT_TRUE(type->extensions.contains(extension));
    }
    for (const QString& extension : {u"3fr"_s, u"fff"_s, u"iiq"_s, u"rwl"_s, u"srw"_s}) {
        EXPECT_FALSE(m_table.typeForExtension(extension, raw)) << qPrintable(extension);
        EXPECT_TRUE(m_table.typeForExtension(extension, MimeTypeTable::dataIdentifier())->dynamic);
    }
}

TEST_F(MimeTypeTableTest, DescriptionsFollowTheDefaultLocale)
{
    const QLocale before;
    QLocale::setDefault(QLocale(u"en"_s));
    EXPECT_EQ(m_table.type(u"application/pdf"_s)->description, u"PDF document"_s);
    QLocale::setDefault(QLocale(u"de"_s));
    EXPECT_EQ(m_table.type(u"application/pdf"_s)->description, u"PDF-Dokument"_s);
    QLocale::setDefault(before);
}

TEST_F(MimeTypeTableTest, AnyPackageInTheUsersDatabaseIsSurvived)
{
    // Two types that subclass each other.
    const auto loop = m_table.type(u"application/x-tessik-loop"_s);
    ASSERT_TRUE(loop);
    EXPECT_EQ(loop->conformance, (QSet<QString>{u"application/x-tessik-loop"_s, u"text/x-tessik-loop"_s, octetStream}));
    EXPECT_EQ(m_table.type(u"text/x-tessik-loop"_s)->conformance,
              (QSet<QString>{u"text/x-tessik-loop"_s, u"application/x-tessik-loop"_s, u"text/plain"_s, octetStream}));
    EXPECT_EQ(typeFor(u"tkl"_s), u"application/x-tessik-loop"_s);

    // A name that is no MIME type name is neither a type nor an alias; its extension is as good as unclaimed.
    EXPECT_FALSE(m_table.type(u"#x-evil/doc\n[Default Applications]\nx-scheme-handler/https"_s));
    EXPECT_EQ(typeFor(u"tke"_s), u"application/x-extension-tke"_s);
    EXPECT_FALSE(m_table.type(u"text/x-tessik evil"_s));
    EXPECT_EQ(m_table.type(u"application/x-tessik-evil-alias"_s)->identifier, u"application/x-tessik-evil-alias"_s);

    // An alias never takes over a name that is a type of its own.
    EXPECT_EQ(m_table.type(u"application/x-tessik-victim"_s)->description, u"Victim"_s);
    EXPECT_EQ(m_table.canonicalSpelling(u"application/x-tessik-victim"_s), u"application/x-tessik-victim"_s);
    EXPECT_EQ(m_table.aliases(u"text/x-tessik-hijacker"_s), QStringList{u"text/x-tessik-hijacked"_s});
    EXPECT_EQ(m_table.canonicalSpelling(u"text/x-tessik-hijacked"_s), u"text/x-tessik-hijacker"_s);
    EXPECT_EQ(m_table.canonicalSpelling(u"application/x-pdf"_s), u"application/pdf"_s);
    EXPECT_EQ(m_table.canonicalSpelling(u"Application/X-PDF"_s), u"Application/X-PDF"_s) << "case matters in lists";
    // What an application declares is the database's type in any spelling.
    EXPECT_EQ(m_table.declaredType(u"Application/X-PDF"_s), u"application/pdf"_s);
    EXPECT_EQ(m_table.declaredType(u"text/x-tessik-hijacked"_s), u"text/x-tessik-hijacker"_s);
    EXPECT_EQ(m_table.declaredType(u"APPLICATION/X-TESSIK-VICTIM"_s), u"application/x-tessik-victim"_s);
    EXPECT_EQ(m_table.declaredType(u"image/X-Tessik-Unknown"_s), u"image/X-Tessik-Unknown"_s);

    // The rule for names leaves out nothing of the system's own database.
    for (const QMimeType& mime : QMimeDatabase().allMimeTypes()) {
        if (mime.name().contains(u"tessik"_s) || mime.name().contains(u"evil"_s))
            continue;
        EXPECT_TRUE(tessik::platform::MimeTypeName::isValid(mime.name())) << qPrintable(mime.name());
        for (const QString& alias : mime.aliases())
            EXPECT_TRUE(tessik::platform::MimeTypeName::isValid(alias)) << qPrintable(alias);
    }
}
