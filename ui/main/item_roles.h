#pragma once

#include <Qt>

namespace tessik::ui {

// What a row shows beyond its text, as item data: the delegates paint it and the tests read it.
enum ItemRole
{
    // The bundle identifier of an application row or the type identifier of a format row.
    IdentifierRole = Qt::UserRole + 1,
    // True on a category heading.
    SectionRole,
    // The texts a search matches against, already folded (SearchFilterProxy::fold).
    SearchTextRole,
    // The category id of a format row.
    CategoryRole,
    // The translated badge texts, in the order they are drawn.
    BadgesRole,
    // The line under the name: a type's description, an application's bundle identifier.
    SecondaryTextRole,
    // The name of the current default application of a format row.
    DefaultNameRole,
    // True on the candidate that will be the default: the staged one, else the current one.
    RadioRole,
};

} // namespace tessik::ui
