#include "document/document.h"

namespace zq {

Document::Document(QObject *parent)
    : QObject(parent)
{ }

void Document::setRecord(const Record &record, const QString &path)
{
    m_record = record;
    m_range.reset();
    m_sha.clear();
    m_path = path;
    m_notes.clear();
    Q_EMIT recordChanged();
}

void Document::setGroup(int group)
{
    if (group == m_view.group)
        return;
    m_view.group = group;
    m_range.reset();
    Q_EMIT viewChanged();
}

void Document::setView(const ChartView &view)
{
    const bool regrouped = view.group != m_view.group;
    m_view = view;
    if (regrouped)
        m_range.reset();
    Q_EMIT viewChanged();
}

void Document::selectRange(int first, int last)
{
    if (!m_record.holdsData() || first < 0 || last <= first || last >= m_record.count(m_view.group))
        return;
    if (m_range && m_range->first == first && m_range->second == last)
        return;
    m_range = std::pair{first, last};
    Q_EMIT rangeChanged();
}

void Document::clearRange()
{
    if (!m_range)
        return;
    m_range.reset();
    Q_EMIT rangeChanged();
}

void Document::setRecipe(const Recipe &recipe)
{
    m_recipe = recipe;
    Q_EMIT recipeChanged();
}

void Document::setReference(const Curve &runCurve, const Curve &reference)
{
    m_runCurve = runCurve;
    m_reference = reference;
    Q_EMIT referenceChanged();
}

void Document::setIdentity(const QString &sha256, const QString &path)
{
    m_sha = sha256;
    if (!path.isEmpty())
        m_path = path;
    Q_EMIT identityChanged();
}

void Document::setNotes(const QVector<RunNote> &notes)
{
    m_notes = notes;
    Q_EMIT notesChanged();
}

} // namespace zq
