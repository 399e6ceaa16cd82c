#pragma once

#include "core/recipe.h"

#include <QString>
#include <QStringList>

namespace zq {
// What a user fills in about a run.
struct RunFields
{
    QString operatorName;
    QString equipment;
    QString load;
    QString thermocouple;
    QString comment;
};

struct RunNote
{
    int atReading = 0;
    QString text;
};

// Where a run stands: 草稿 until reviewed, 已审核, then 已批准 by another name.
// Any edit after signing withdraws it: back to 草稿.
enum class RunState { Draft, Reviewed, Approved };
// 草稿, 已审核 or 已批准.
QString stateText(RunState state);
struct Signature
{
    QString name;
    QString at; // UTC, ISO 8601
    QString comment;
};
struct Signatures
{
    RunState state = RunState::Draft;
    Signature review;
    Signature approval;
    QString verdict; // the check in force when approved: it stays the run's while the approval stands
};

// The fields a recipe says a process report may not leave empty, by their
// labels ("操作员"); unknown names in the recipe are named as they are.
QStringList missingFields(const Recipe &recipe, const RunFields &fields);

// The recipe a verdict was judged by, as kept with the verdict: the whole
// recipe as one line of JSON (its name alone could since have been edited).
QString judgedRecipeText(const Recipe &recipe);

// "1a2b 3c4d 5e6f 7a8b": the first sixteen hex digits of a SHA-256, in fours.
QString shortFingerprint(const QString &sha256Hex);
} // namespace zq
