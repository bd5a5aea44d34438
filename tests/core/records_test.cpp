#include "core/records/association_role.h"
#include "core/records/file_association.h"
#include "core/records/installed_app.h"
#include "core/records/url_scheme.h"
#include "core/support/plain_order.h"
#include "core/support/strict_json.h"

#include <QJsonArray>

#include <gtest/gtest.h>

using namespace Qt::StringLiterals;
using namespace tessik;

TEST(AssociationRole, DecodesOnlyTheFourRawValues)
{
    EXPECT_EQ(associationRoleFromRawValue(u"viewer"_s), AssociationRole::viewer);
    EXPECT_EQ(associationRoleFromRawValue(u"all"_s), AssociationRole::all);
    EXPECT_FALSE(associationRoleFromRawValue(u"Viewer"_s));
    EXPECT_FALSE(associationRoleFromRawValue(QString()));
    EXPECT_EQ(lsRole(AssociationRole::all), 0xFFFFFFFFu);
    EXPECT_EQ(lsRole(AssociationRole::viewer), 0x2u);
    EXPECT_EQ(lsRole(AssociationRole::editor), 0x4u);
    EXPECT_EQ(lsRole(AssociationRole::shell), 0x8u);
    QStringList raw;
    for (AssociationRole role : allAssociationRoles)
        raw.append(rawValue(role));
    EXPECT_EQ(raw, (QStringList{u"viewer"_s, u"editor"_s, u"shell"_s, u"all"_s}));
}

TEST(InstalledApp, IdentityIsTheBundleIdentifierButEqualityIsMemberwise)
{
    const InstalledApp a{u"Editor"_s, u"com.example.Editor"_s, QUrl::fromLocalFile(u"/Applications/Editor.app"_s), {}};
    InstalledApp b = a;
    b.url = QUrl::fromLocalFile(u"/Users/me/Applications/Editor.app"_s);
    EXPECT_NE(a, b);
    EXPECT_EQ(a.id(), b.id());
    EXPECT_NE(qHash(a), qHash(b));

    FileAssociation association{u"public.plain-text"_s, {u"txt"_s}, {a}, {}, {}};
    EXPECT_TRUE(association.defaultHandlers.isEmpty());
    FileAssociation same = association;
    same.defaultHandlers.insert(AssociationRole::viewer, u"com.example.Editor"_s);
    EXPECT_NE(association, same);
}

TEST(InstalledApp, JsonRoundTripAndStrictDecoding)
{
    const InstalledApp app{u"预览"_s,
                           u"com.apple.Preview"_s,
                           QUrl::fromLocalFile(u"/System/Applications/Pre view.app"_s),
                           {u"com.adobe.pdf"_s, u"public.png"_s}};
    const QJsonObject json = app.toJson();
    EXPECT_EQ(json.keys(), (QStringList{u"bundleIdentifier"_s, u"name"_s, u"supportedTypeIdentifiers"_s, u"url"_s}));
    EXPECT_EQ(json.value(u"url"_s).toString(), u"file:///System/Applications/Pre%20view.app"_s);
    EXPECT_EQ(InstalledApp::fromJson(json), app);

    QJsonObject missing = json;
    missing.remove(u"name"_s);
    try {
        InstalledApp::fromJson(missing);
        FAIL() << "decoding succeeded";
    } catch (const JsonDecodingError& error) {
        EXPECT_TRUE(error.message().contains(u"\"name\""_s)) << qPrintable(error.message());
    }
    QJsonObject mistyped = json;
    mistyped.insert(u"supportedTypeIdentifiers"_s, QJsonArray{1});
    EXPECT_THROW(InstalledApp::fromJson(mistyped), JsonDecodingError);
    mistyped = json;
    mistyped.insert(u"url"_s, u"not a url"_s);
    EXPECT_THROW(InstalledApp::fromJson(mistyped), JsonDecodingError);
}

TEST(Orders, IdentifiersSortByScalarValueAndNamesIgnoreCase)
{
    QStringList identifiers{u"public.b"_s, u"Public.a"_s, u"public.a"_s, u"\U0001F600"_s, u"\uFF21"_s};
    sortPlain(identifiers);
    EXPECT_EQ(identifiers, (QStringList{u"Public.a"_s, u"public.a"_s, u"public.b"_s, u"\uFF21"_s, u"\U0001F600"_s}));
    // Composed and decomposed forms are the same text.
    EXPECT_EQ(comparePlain(u"caf\u00e9"_s, u"cafe\u0301"_s), 0);
    EXPECT_EQ(sortedUniquePlain({u"jpg"_s, u"jpeg"_s, u"jpg"_s}), (QStringList{u"jpeg"_s, u"jpg"_s}));

    // One extension spelled composed and decomposed is one extension, whatever order the spellings come in.
    const QString composed = u"caf\u00e9"_s, decomposed = u"cafe\u0301"_s;
    EXPECT_EQ(sortedUniquePlain({decomposed, u"jpg"_s, composed}), (QStringList{composed, u"jpg"_s}));
    EXPECT_EQ(sortedUniquePlain({composed, decomposed}), QStringList{composed});
    EXPECT_EQ(sortedUniquePlain({decomposed, decomposed}), QStringList{decomposed});

    QList<InstalledApp> apps{{u"zebra"_s, u"z"_s, {}, {}}, {u"Apple"_s, u"a"_s, {}, {}}, {u"banana"_s, u"b"_s, {}, {}}};
    sortByName(apps);
    EXPECT_EQ(apps[0].name, u"Apple"_s);
    EXPECT_EQ(apps[1].name, u"banana"_s);
    EXPECT_EQ(apps[2].name, u"zebra"_s);
}

TEST(Orders, EqualNamesSortByIdentifierThenLocationWhateverTheInputOrder)
{
    const QList<InstalledApp> expected{{u"EDITOR"_s, u"com.a"_s, QUrl(u"file:///a/Editor.app"_s), {}},
                                       {u"editor"_s, u"com.a"_s, QUrl(u"file:///z/Editor.app"_s), {}},
                                       {u"Editor"_s, u"com.b"_s, QUrl(u"file:///b/Editor.app"_s), {}},
                                       {u"Editors"_s, u"com.0"_s, QUrl(u"file:///0/Editors.app"_s), {}}};
    std::vector<int> order{0, 1, 2, 3};
    do {
        QList<InstalledApp> apps;
        for (int i : order)
            apps.append(expected[i]);
        sortByName(apps);
        EXPECT_EQ(apps, expected);
    } while (std::next_permutation(order.begin(), order.end()));
}

TEST(URLScheme, IdentifierIsTheCanonicalNameWithAColonAndNothingElse)
{
    EXPECT_EQ(URLScheme::identifier(u"HTTPS"_s), u"https:"_s);
    EXPECT_EQ(URLScheme::identifier(u"x-man-page"_s), u"x-man-page:"_s);
    EXPECT_EQ(URLScheme::identifier(u"svn+ssh"_s), u"svn+ssh:"_s);
    for (const QString& bad : {u""_s, u"1password"_s, u"-x"_s, u"ht tp"_s, u"mail:to"_s, u"zoom/mtg"_s, u"é"_s})
        EXPECT_FALSE(URLScheme::identifier(bad)) << bad.toStdString();

    EXPECT_EQ(URLScheme::fromIdentifier(u"mailto:"_s), u"mailto"_s);
    EXPECT_FALSE(URLScheme::fromIdentifier(u"Mailto:"_s));
    EXPECT_FALSE(URLScheme::fromIdentifier(u"mailto"_s));
    EXPECT_FALSE(URLScheme::fromIdentifier(u":"_s));
    EXPECT_FALSE(URLScheme::isIdentifier(u"public.jpeg"_s));
    EXPECT_FALSE(URLScheme::isIdentifier(u"x-scheme-handler/https"_s));
}
