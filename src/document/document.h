#pragma once

#include "core/chartview.h"
#include "core/recipe.h"
#include "core/record.h"
#include "core/reference.h"
#include "core/runinfo.h"

#include <QObject>
#include <optional>

namespace zq {

// The open run and all that goes with it: the record, the file it is (its
// bytes' SHA-256 as the archive knows it, and where it lies), the view, the
// group, the stretch selected, the recipe it is judged by, the reference
// laid behind it and its notes. Views observe it and change it only through
// it, so nothing keeps a copy to hold in step.
class Document : public QObject
{
    Q_OBJECT
public:
    using Range = std::optional<std::pair<int, int>>;

    explicit Document(QObject *parent = nullptr);

    const Record &record() const { return m_record; }
    const ChartView &view() const { return m_view; }
    int group() const { return m_view.group; }
    Range range() const { return m_range; }
    const Recipe &recipe() const { return m_recipe; }
    const QVector<RunNote> &notes() const { return m_notes; }
    // The run as the archive knows it; empty when it is in none.
    const QString &sha256() const { return m_sha; }
    // The file it was opened from or kept in; empty for none.
    const QString &path() const { return m_path; }
    // The run on its own axis, and the reference laid on that axis (empty: none).
    const Curve &runCurve() const { return m_runCurve; }
    const Curve &reference() const { return m_reference; }

    // A new run: its identity and notes are those of no archive until told,
    // and the range goes.
    void setRecord(const Record &record, const QString &path = {});
    // The group shown changes what the list and the range index: the range goes.
    void setGroup(int group);
    void setView(const ChartView &view);
    // Record indices of the group shown; a range that cannot be is ignored.
    void selectRange(int first, int last);
    void clearRange();
    void setRecipe(const Recipe &recipe);
    void setReference(const Curve &runCurve, const Curve &reference);
    // Where the archive keeps the run shown, and the notes it holds.
    void setIdentity(const QString &sha256, const QString &path);
    void setNotes(const QVector<RunNote> &notes);

Q_SIGNALS:
    void recordChanged();
    void viewChanged();
    void rangeChanged();
    void recipeChanged();
    void referenceChanged();
    void identityChanged();
    void notesChanged();

private:
    Record m_record;
    ChartView m_view;
    Range m_range;
    Recipe m_recipe;
    QVector<RunNote> m_notes;
    QString m_sha;
    QString m_path;
    Curve m_runCurve;
    Curve m_reference;
};

} // namespace zq
