#include "core/pipeline/change_planner.h"
#include "core/pipeline/change_planner_error.h"
#include "core/services/association_service_error.h"
#include "scripted_services.h"
#include "temporary_system.h"

#include <gtest/gtest.h>

using namespace Qt::StringLiterals;
using namespace tessik;
using tessik::testing::ScriptedReader;

namespace {

QStringList ids(const ChangePlan& plan)
{
    QStringList result;
    for (const AssociationChange& change : plan.changes)
        result.append(change.id());
    return result;
}

} // namespace

TEST(ChangePlanner, ConflictsAreFoundBeforeAnyRead)
{
    auto reader = std::make_shared<ScriptedReader>();
    const ChangePlanner planner(reader);
    try {
        planner.plan({{u"public.html"_s, AssociationRole::viewer, u"com.a"_s},
                      {u"public.png"_s, AssociationRole::viewer, u"com.a"_s},
                      {u"public.html"_s, AssociationRole::viewer, u"com.b"_s}},
                     {});
        FAIL() << "a conflict was planned";
    } catch (const ChangePlannerError& error) {
        EXPECT_EQ(error.message(), u"同一格式存在不同目标应用：public.html"_s);
    }
    EXPECT_EQ(reader->totalReads(), 0);
}

TEST(ChangePlanner, KeepsFirstAppearancesAndDropsWhatIsInEffect)
{
    auto reader = std::make_shared<ScriptedReader>();
    reader->script(u"t.same"_s, {u"com.example.Target"_s});
    reader->script(u"t.case"_s, {u"com.example.target"_s});
    reader->script(u"t1"_s, {u"com.example.Old"_s});
    const ChangePlan plan = ChangePlanner(reader).plan({{u"t1"_s, AssociationRole::all, u"com.example.Target"_s},
                                                        {u"t2"_s, AssociationRole::all, u"com.example.Target"_s},
                                                        {u"t1"_s, AssociationRole::all, u"com.example.Target"_s},
                                                        {u"t1"_s, AssociationRole::viewer, u"com.example.Target"_s},
                                                        {u"t.same"_s, AssociationRole::all, u"com.example.Target"_s},
                                                        {u"t.case"_s, AssociationRole::all, u"com.example.Target"_s}},
                                                       {});
    EXPECT_EQ(ids(plan), (QStringList{u"t1:all"_s, u"t2:all"_s, u"t1:viewer"_s, u"t.case:all"_s}));
    EXPECT_EQ(plan.changes[0].previousBundleIdentifier, u"com.example.Old"_s);
    EXPECT_FALSE(plan.changes[1].previousBundleIdentifier);
    EXPECT_FALSE(plan.changes[1].toJson().contains(u"previousBundleIdentifier"_s));
    EXPECT_EQ(AssociationChange::fromJson(plan.changes[0].toJson()), plan.changes[0]);
    EXPECT_EQ(reader->reads(u"t1"_s), 2) << "one read per unique type and role";

    EXPECT_TRUE(ChangePlanner(reader).plan({}, {}).changes.isEmpty());
    reader->failOn(u"t2"_s);
    EXPECT_THROW(ChangePlanner(reader).plan({{u"t2"_s, AssociationRole::editor, u"x"_s}}, {}), AssociationServiceError);
}

TEST(ChangePlanner, MergesTheExtensionsOfTheTypeDatabaseAndTheCatalog)
{
    const tessik::testing::TemporarySystem mac; // the Mac's own type table
    auto reader = std::make_shared<ScriptedReader>();
    const ChangePlan plan = ChangePlanner(reader).plan(
        {{u"public.jpeg"_s, AssociationRole::viewer, u"com.example.viewer"_s},
         {u"com.example.unknown"_s, AssociationRole::viewer, u"com.example.viewer"_s}},
        {{u"public.jpeg"_s, {u"jpg"_s, u"jpx"_s, u"JPG"_s}}, {u"com.example.unknown"_s, {u"zz"_s, u"aa"_s}}});
    const QStringList jpeg = plan.changes[0].affectedExtensions;
    EXPECT_TRUE(std::is_sorted(jpeg.begin(), jpeg.end()));
    EXPECT_EQ(jpeg.count(u"jpg"_s), 1);
    EXPECT_TRUE(jpeg.contains(u"jpeg"_s) && jpeg.contains(u"jpx"_s) && jpeg.contains(u"JPG"_s));
    EXPECT_EQ(jpeg.first(), u"JPG"_s) << "upper case sorts first";
    EXPECT_EQ(plan.changes[1].affectedExtensions, (QStringList{u"aa"_s, u"zz"_s}));
}
