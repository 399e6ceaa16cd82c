// Recipes come from files people write by hand, durations and numbers from
// the command line and the analysis window's fields: none may crash, and a
// recipe taken must be one the check can use and write back the same.
#include "core/analysis.h"
#include "core/recipe.h"
#include "core/record.h"

#include <QByteArray>
#include <QString>
#include <cstdint>
#include <cstdlib>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    const QByteArray bytes(reinterpret_cast<const char *>(data), int(size));
    const QString text = QString::fromUtf8(bytes);
    if (const std::optional<zq::Span> span = zq::parseSpan(text)) {
        // What was taken is shown as it was written, and reads back the same.
        const std::optional<zq::Span> again = zq::parseSpan(span->text());
        if (!again || again->amount != span->amount || again->readings != span->readings || span->amount < 0)
            std::abort();
    }
    if (const std::optional<zq::Rate> rate = zq::parseRate(text); rate && !(rate->value >= 0))
        std::abort();
    QString why;
    zq::parseSchedule(text, &why);
    zq::Recipe recipe;
    QString error;
    if (!zq::recipeFromJson(bytes, &recipe, &error))
        return 0;
    if (!recipe.problem().isEmpty())
        std::abort();
    zq::Recipe back;
    if (!zq::recipeFromJson(zq::recipeToJson(recipe), &back, &error)
        || zq::recipeToJson(back) != zq::recipeToJson(recipe))
        std::abort();
    // Whatever was taken can be judged by.
    zq::analyze(zq::Record::sequence(QVector<int16_t>{20, 400, 850, 851, 849, 850, 600}), recipe);
    return 0;
}
