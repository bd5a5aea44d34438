#include "layout_inspector.h"

#include <QHBoxLayout>
#include <QLabel>
#include <QPushButton>
#include <QWidget>

#include <gtest/gtest.h>

using namespace Qt::StringLiterals;
using tessik::testing::LayoutInspector;

TEST(LayoutInspector, SeesClippedTextOverlapsAndUntranslatedTexts)
{
    QWidget good;
    auto* row = new QHBoxLayout(&good);
    row->addWidget(new QLabel(u"Tessik"_s));
    row->addWidget(new QPushButton(u"Apply Changes"_s));
    good.resize(400, 60);
    good.show();
    EXPECT_TRUE(LayoutInspector::problems(&good, u"en"_s).isEmpty())
        << qPrintable(LayoutInspector::problems(&good, u"en"_s).join(u'\n'));

    QWidget bad;
    auto* clipped = new QPushButton(u"A button whose text is far too long"_s, &bad);
    clipped->setGeometry(0, 0, 40, 30);
    auto* covering = new QLabel(u"刷新应用与关联"_s, &bad);
    covering->setGeometry(20, 10, 300, 30);
    bad.resize(400, 60);
    bad.show();
    const QStringList problems = LayoutInspector::problems(&bad, u"de"_s);
    EXPECT_EQ(problems.filter(u"needs"_s).size(), 1) << qPrintable(problems.join(u'\n'));
    EXPECT_EQ(problems.filter(u"overlap"_s).size(), 1);
    EXPECT_EQ(problems.filter(u"untranslated"_s).size(), 1);
    EXPECT_TRUE(LayoutInspector::problems(&bad, u"zh"_s).filter(u"untranslated"_s).isEmpty());
}
