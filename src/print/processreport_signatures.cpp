// Who reviewed and approved the run, or the mark of a report no one approved.
#include "core/texts.h"
#include "print/sheetflow.h"
#include "print/texts.h"

namespace zq {
namespace {
// Local time to the minute, with its offset as the footer's time has it.
QString signedAt(const QString &utc)
{
    QString at = printedAt(QDateTime::fromString(utc, Qt::ISODateWithMs).toLocalTime());
    return at.remove(16, 3); // the seconds
}

QString signatureLine(const char *meaning, const Signature &s)
{
    QString line = QString::fromUtf8(meaning) + QStringLiteral(": %1, %2").arg(s.name, signedAt(s.at));
    if (!s.comment.trimmed().isEmpty())
        line += sheet::kComment + s.comment.trimmed();
    return line;
}
} // namespace

bool isDraft(const ProcessReport &r)
{
    return r.signatures.state != RunState::Approved;
}

void layoutSignatures(Flow &f, const ProcessReport &r)
{
    if (isDraft(r))
        return;
    f.heading(sheet::kSignatures);
    f.text(0, f.width(), signatureLine(sheet::kReviewed, r.signatures.review), 8);
    f.text(0, f.width(), signatureLine(sheet::kApproved, r.signatures.approval), 8);
    // A later check with another recipe may judge otherwise; the one approved is the run's.
    if (!r.signatures.verdict.isEmpty())
        f.text(0, f.width(), sheet::kVerdictApproved + r.signatures.verdict, 8);
}

void addDraftMarks(Sheet &sheet, const ProcessReport &r)
{
    if (!isDraft(r))
        return;
    for (int page = 0; page < sheet.pages; ++page)
        sheet.items.append({SheetItem::Text, page, QRectF(0, 0, sheet.size.width(), kDraftMark), words::kDraft, 14,
            true, Qt::AlignRight | Qt::AlignVCenter, QColor(190, 0, 0)});
}
} // namespace zq
