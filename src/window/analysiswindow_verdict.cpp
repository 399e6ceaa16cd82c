// The analysis window's verdict: the banner at its top, and 记录结论, which
// records it with the run. Nothing is recorded while the fields are edited.
#include "core/analysisformat.h"
#include "window/analysiswindow.h"

#include <QHBoxLayout>
#include <QLabel>
#include <QPushButton>

namespace {
// Banner backgrounds; the text on each is white.
const QColor kPassColour(0, 128, 0);
const QColor kFailColour(190, 0, 0);
const QColor kNoVerdictColour(110, 110, 110);
QString recordKey(const QString &verdict, const zq::Recipe &recipe)
{
    return verdict + QLatin1Char('\n') + QString::fromUtf8(zq::recipeToJson(recipe));
}
} // namespace

QWidget *AnalysisWindow::buildBanner()
{
    auto *banner = new QWidget(this);
    auto *row = new QHBoxLayout(banner);
    row->setContentsMargins(0, 0, 0, 0);
    verdictLabel = new QLabel(banner);
    verdictLabel->setObjectName(QStringLiteral("verdict"));
    verdictLabel->setWordWrap(true);
    QFont big = verdictLabel->font();
    big.setPointSizeF(big.pointSizeF() * 1.6);
    big.setBold(true);
    verdictLabel->setFont(big);
    recordButton = new QPushButton(QStringLiteral("记录结论"), banner);
    recordButton->setObjectName(QStringLiteral("recordVerdict"));
    recordButton->setToolTip(QStringLiteral("把这个结论和判定所用的配方记入记录库"));
    row->addWidget(verdictLabel, 1);
    row->addWidget(recordButton);
    connect(recordButton, &QPushButton::clicked, this, &AnalysisWindow::recordVerdict);
    return banner;
}

std::optional<bool> AnalysisWindow::verdict() const
{
    if (!m_doc.record().holdsData() || !m_unparsed.isEmpty())
        return std::nullopt;
    return m_analysis.pass;
}

QString AnalysisWindow::verdictText() const
{
    return verdictLabel->text();
}

void AnalysisWindow::showVerdict()
{
    const std::optional<bool> pass = verdict();
    QString text;
    if (pass) {
        text = zq::verdictText(m_analysis);
    } else {
        const QString why = !m_doc.record().holdsData() ? QStringLiteral("没有读数")
            : !m_unparsed.isEmpty()                     ? fieldProblem()
            : !m_analysis.problem.isEmpty()             ? m_analysis.problem
            : !m_doc.recipe().problem().isEmpty()       ? m_doc.recipe().problem()
            : !problemLabel->text().isEmpty()           ? problemLabel->text()
                                                        : QStringLiteral("配方没有判据");
        text = QStringLiteral("无结论：") + why;
    }
    const QColor back = !pass ? kNoVerdictColour : *pass ? kPassColour : kFailColour;
    verdictLabel->setText(text);
    verdictLabel->setStyleSheet(
        QStringLiteral("QLabel { color: white; background: %1; padding: 6px 10px; }").arg(back.name()));
    recordButton->setEnabled(pass.has_value());
    recordButton->setText(
        pass && m_recorded == recordKey(text, m_doc.recipe()) ? QStringLiteral("已记录") : QStringLiteral("记录结论"));
}

void AnalysisWindow::markRecorded()
{
    m_recorded = recordKey(verdictText(), m_doc.recipe());
    showVerdict();
}

void AnalysisWindow::recordVerdict()
{
    if (const std::optional<bool> pass = verdict())
        Q_EMIT judged(*pass ? QStringLiteral("PASS") : QStringLiteral("FAIL"), m_doc.recipe());
}
