#pragma once

#include "core/analysis.h"
#include "core/analysisformat.h"
#include "core/recipestore.h"
#include "core/reference.h"

#include <QWidget>

class QComboBox;
class QLabel;
class QLineEdit;
class QTableWidget;
class RunChartBox;

// 工艺分析: the figures of the run in the main window against a recipe, the
// verdict, and the recipe to choose, edit and save. It follows every change
// of the record and the group it is given.
class AnalysisWindow : public QWidget
{
    Q_OBJECT
public:
    explicit AnalysisWindow(const zq::RecipeStore &store, QWidget *parent = nullptr);

    void setRun(const zq::Record &record, int group);
    // A recipe by name from the store; false when it does not load (said in the window).
    bool chooseRecipe(const QString &name);
    zq::Recipe recipe() const { return m_recipe; }
    const zq::Analysis &analysis() const { return m_analysis; }
    QString verdictText() const;
    // The figures as tab-separated text, as 复制 puts them on the clipboard.
    QString figuresTsv() const;
    void copyFigures();
    bool saveRecipe();

    // The selected stretch (record indices); none clears it.
    void setRange(std::optional<std::pair<int, int>> range);
    std::optional<std::pair<int, int>> range() const { return m_range; }
    // The record indices the main chart shows, framed on the whole run.
    void setViewSpan(int first, int last);
    // Another run's readings (group 0) as the reference.
    void setReferenceRecord(const zq::Record &record, const QString &name);
    void useSchedule();
    void clearReference();
    // The reference on the run's axis; empty for none, or when it cannot be laid.
    const zq::Curve &placedReference() const { return m_placed.curve; }
    const zq::Curve &runCurve() const { return m_run; }
    const zq::Placed &placed() const { return m_placed; }
    zq::Alignment alignment() const;
    // The line above a process report's title.
    QString company() const;
    void setCompany(const QString &text);

    QComboBox *recipeBox = nullptr;
    RunChartBox *wholeRun = nullptr;
    QComboBox *referenceBox = nullptr;
    QComboBox *alignBox = nullptr;
    QLineEdit *alignValue = nullptr;
    QLabel *rangeLabel = nullptr;
    QLabel *verdictLabel = nullptr;
    QLabel *problemLabel = nullptr;
    QTableWidget *figures = nullptr;

Q_SIGNALS:
    // The recipe the fields now describe (for the chart's band and thresholds).
    void recipeChanged(const zq::Recipe &recipe);
    // A verdict given (PASS or FAIL) for the run, with the recipe's name.
    void judged(const QString &verdict, const QString &recipe);
    void rangeChosen(int first, int last);
    void rangeCleared();
    void viewRequested(int index);
    // 参考曲线…: the user wants to choose a file.
    void referenceWanted();
    // The reference as laid now (empty: none), for the main chart.
    void referencePlaced(const zq::Curve &reference);
    // 工艺报告…, with every reading on the following pages or not.
    void processReportWanted(bool readings);

private:
    void buildForm(class QFormLayout *form);
    // 工艺报告…, 附全部读数 and the company line.
    void buildReportRow(class QBoxLayout *layout);
    void fillFields(const zq::Recipe &recipe);
    void readFields();
    void update();
    QLayout *buildRunPart();
    void placeReference();
    QVector<zq::FigureRow> extraRows() const;
    void showWholeRun();

    const zq::RecipeStore &m_store;
    zq::Record m_record;
    int m_group = 0;
    zq::Recipe m_recipe;
    zq::Analysis m_analysis;
    QLineEdit *m_name = nullptr;
    QLineEdit *m_setpoint = nullptr;
    QLineEdit *m_below = nullptr;
    QLineEdit *m_above = nullptr;
    QLineEdit *m_thresholds = nullptr;
    QLineEdit *m_minSoak = nullptr;
    QLineEdit *m_maxOvershoot = nullptr;
    QLineEdit *m_maxHeat = nullptr;
    QLineEdit *m_maxCool = nullptr;
    QLineEdit *m_minPeak = nullptr;
    QLineEdit *m_maxPeak = nullptr;
    QLineEdit *m_rateWindow = nullptr;
    QLineEdit *m_interval = nullptr;
    QLineEdit *m_schedule = nullptr;
    class QCheckBox *m_followSchedule = nullptr;
    QLineEdit *m_company = nullptr;
    std::optional<std::pair<int, int>> m_range;
    std::optional<std::pair<int, int>> m_viewSpan;
    zq::Curve m_run;
    zq::Record m_referenceRecord;
    bool m_useSchedule = false;
    zq::Placed m_placed;
};
