#pragma once

#include "core/recipe.h"

#include <QString>
#include <QStringList>

namespace zq {
// Recipes as files, one JSON file each, in the user's config folder
// (~/.config/Lorvant/zqtemp/recipes, shared by the window and zqcli) unless
// another is given.
class RecipeStore
{
public:
    explicit RecipeStore(const QString &folder = defaultFolder());
    static QString defaultFolder();
    QString folder() const { return m_folder; }

    // The recipes' names, in order; files that do not load are left out.
    QStringList names() const;
    // By name, or by the path of a .json file; false with the file and why.
    bool load(const QString &name, Recipe *recipe, QString *error) const;
    bool save(const Recipe &recipe, QString *error) const;
    QString pathFor(const QString &name) const;

private:
    QString m_folder;
};
} // namespace zq
