#include "core/runinfo.h"
#include "core/texts.h"

#include <QJsonDocument>

namespace zq {
QStringList missingFields(const Recipe &recipe, const RunFields &f)
{
    const std::pair<const char *, std::pair<const QString *, const char *>> known[] = {
        {"operator", {&f.operatorName, "操作员"}}, {"equipment", {&f.equipment, "设备"}}, {"load", {&f.load, "工件"}},
        {"thermocouple", {&f.thermocouple, "热电偶"}}, {"comment", {&f.comment, "备注"}}};
    QStringList missing;
    for (const QString &name : recipe.requiredFields) {
        bool found = false;
        for (const auto &[key, field] : known)
            if (name == QLatin1String(key)) {
                found = true;
                if (field.first->trimmed().isEmpty())
                    missing << QString::fromUtf8(field.second);
            }
        // A field this program does not have can never be filled.
        if (!found)
            missing << name;
    }
    return missing;
}

QString stateText(RunState state)
{
    return state == RunState::Approved ? words::kApproved
        : state == RunState::Reviewed  ? words::kReviewed
                                       : words::kDraft;
}

QString judgedRecipeText(const Recipe &recipe)
{
    return QString::fromUtf8(QJsonDocument::fromJson(recipeToJson(recipe)).toJson(QJsonDocument::Compact));
}

QString shortFingerprint(const QString &sha256Hex)
{
    QStringList groups;
    for (int i = 0; i < 16 && i < sha256Hex.size(); i += 4)
        groups << sha256Hex.mid(i, 4);
    return groups.join(QLatin1Char(' '));
}
} // namespace zq
