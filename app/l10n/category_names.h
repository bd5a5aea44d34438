#pragma once

#include "core/catalog/format_category.h"

#include <QList>
#include <QString>

namespace tessik {

// How a category id is named in a language: the catalog's own name in that language, else the translation of its
// "category." key, else the catalog's base name, else "其他格式" translated. The program and the command line share it.
class CategoryNames
{
public:
    static QString name(const QList<FormatCategory>& categories, const QString& categoryID, const QString& language);
};

} // namespace tessik
