#include "ui/shell/program_options.h"

#include <gtest/gtest.h>

using namespace Qt::StringLiterals;
using tessik::ui::ProgramOptions;

TEST(ProgramOptions, ReadsWhatToShowAndRefusesWhatItCannot)
{
    QString error;
    const auto options = ProgramOptions::parse({u"tessik"_s, u"--system-root"_s, u"/tmp/x"_s, u"--language"_s, u"ja"_s,
                                                u"--by-format"_s, u"--select"_s, u"public.jpeg"_s, u"--screenshot"_s,
                                                u"/tmp/a.png"_s, u"--sheet"_s, u"choose-app"_s},
                                               error);
    ASSERT_TRUE(options) << qPrintable(error);
    EXPECT_EQ(options->systemRoot, u"/tmp/x"_s);
    EXPECT_EQ(options->language, u"ja"_s);
    EXPECT_TRUE(options->byFormat);
    EXPECT_EQ(options->select, u"public.jpeg"_s);
    EXPECT_EQ(options->sheet, ProgramOptions::Sheet::chooseApp);

    for (const QStringList& bad : {QStringList{u"--language"_s, u"pt"_s}, QStringList{u"--sheet"_s, u"settings"_s},
                                   QStringList{u"--screenshot"_s, u"a.png"_s, u"--sheet"_s, u"about"_s},
                                   QStringList{u"--nonsense"_s}, QStringList{u"stray"_s}}) {
        error.clear();
        EXPECT_FALSE(ProgramOptions::parse(QStringList{u"tessik"_s} + bad, error)) << qPrintable(bad.join(u' '));
        EXPECT_FALSE(error.isEmpty());
    }
}
