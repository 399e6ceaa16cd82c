#include "core/recipestore.h"

#include "core/datafile.h"
#include "core/texts.h"

#include <QDir>
#include <QFileInfo>
#include <QStandardPaths>

namespace zq {
RecipeStore::RecipeStore(const QString &folder)
    : m_folder(folder)
{ }

QString RecipeStore::defaultFolder()
{
    // One folder for the window and zqcli alike, whatever the program's name.
    return QStandardPaths::writableLocation(QStandardPaths::GenericConfigLocation)
        + QStringLiteral("/Lorvant/zqtemp/recipes");
}

QString RecipeStore::pathFor(const QString &name) const
{
    QString file = name;
    // A name may hold anything but a path's separators.
    file.replace(QLatin1Char('/'), QLatin1Char('_')).replace(QLatin1Char('\\'), QLatin1Char('_'));
    return QDir(m_folder).filePath(file + QStringLiteral(".json"));
}

QStringList RecipeStore::names() const
{
    QStringList out;
    const QFileInfoList files = QDir(m_folder).entryInfoList({QStringLiteral("*.json")}, QDir::Files, QDir::Name);
    for (const QFileInfo &f : files) {
        Recipe r;
        QString error;
        if (load(f.absoluteFilePath(), &r, &error))
            out.append(r.name.isEmpty() ? f.completeBaseName() : r.name);
    }
    return out;
}

bool RecipeStore::load(const QString &name, Recipe *recipe, QString *error) const
{
    QString path = name.endsWith(QLatin1String(".json")) && QFileInfo::exists(name) ? name : pathFor(name);
    // A file by hand may carry any name; its recipe's name finds it too.
    if (!QFileInfo::exists(path)) {
        const QFileInfoList files = QDir(m_folder).entryInfoList({QStringLiteral("*.json")}, QDir::Files, QDir::Name);
        for (const QFileInfo &f : files) {
            QByteArray json;
            QString ignored;
            Recipe r;
            if (readFileHead(f.absoluteFilePath(), 1 << 20, &json, &ignored) && recipeFromJson(json, &r, &ignored)
                && r.name == name)
                path = f.absoluteFilePath();
        }
    }
    QByteArray json;
    QString why;
    if (!QFileInfo::exists(path))
        why = words::kNoSuchRecipe;
    else if (readFileHead(path, 1 << 20, &json, &why) && recipeFromJson(json, recipe, &why)) {
        if (recipe->name.isEmpty())
            recipe->name = QFileInfo(path).completeBaseName();
        return true;
    }
    *error = QStringLiteral("%1: %2").arg(QDir::toNativeSeparators(path), why);
    return false;
}

bool RecipeStore::save(const Recipe &recipe, QString *error) const
{
    const QString problem = recipe.problem();
    if (!problem.isEmpty() || recipe.name.trimmed().isEmpty()) {
        *error = problem.isEmpty() ? words::kRecipeNeedsName : problem;
        return false;
    }
    if (!QDir().mkpath(m_folder)) {
        *error = words::kFolderNotMade.arg(QDir::toNativeSeparators(m_folder));
        return false;
    }
    QString why;
    if (writeFileWhole(pathFor(recipe.name), recipeToJson(recipe), &why))
        return true;
    *error = QStringLiteral("%1: %2").arg(QDir::toNativeSeparators(pathFor(recipe.name)), why);
    return false;
}
} // namespace zq
