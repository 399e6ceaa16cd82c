#pragma once

#include "core/analysis.h"
#include "core/analysisformat.h"
#include "core/recipestore.h"
#include "core/reference.h"
#include "document/document.h"
#include "print/processreport.h"
#include "window/figurestable.h"

#include <QWidget>

class QComboBox;
class QLabel;
class QLineEdit;
class RunChartBox;

// 工艺分析: the figures of the open run against a recipe, the verdict, and
// the recipe to choose, edit and save. It follows the document: its run,
// group, view and range; the recipe it edits is the document's.
class AnalysisWindow : public QWidget
{
    Q_OBJECT
public:
    AnalysisWindow(const zq::RecipeStore &store, zq::Document &document, QWidget *parent = nullptr);

    // The certificates the archive links the run to: the check uses the
    // readings they correct unless 用原始读数 is ticked.
    void setCalibration(const zq::ReportCalibration &calibration);
    zq::ReportCalibration calibration() const;
    // The certificates the check applies now; none when it judges raw.
    const zq::Correction *correction() const;
    // A recipe by name from the store, applied; false when it does not load
    // (said in the window, and the window is left with no recipe).
    // kNoRecipe empties the fields.
    bool chooseRecipe(const QString &name);
    static const QString kNoRecipe;
    const zq::Recipe &recipe() const { return m_doc.recipe(); }
    const zq::Analysis &analysis() const { return m_analysis; }
    // The banner's text: PASS, FAIL and what failed, or 无结论 and why.
    QString verdictText() const;
    // Fields that do not parse, named; empty when every field says something.
    QString fieldProblem() const;
    // PASS or FAIL for the run as the fields stand; none when there is no verdict.
    std::optional<bool> verdict() const;
    // 记录结论: the verdict goes with the run, with the recipe it was judged by.
    void recordVerdict();
    // The verdict shown is the one recorded: the button says so until it changes.
    void markRecorded();
    // The figures as tab-separated text, as 复制 puts them on the clipboard.
    QString figuresTsv() const;
    void copyFigures();
    bool saveRecipe();

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
    QLabel *verdictLabel = nullptr; // the banner above everything
    class QPushButton *recordButton = nullptr;
    QLabel *problemLabel = nullptr;
    FiguresTable *figures = nullptr;
    class QCheckBox *rawBox = nullptr; // 用原始读数
    QLabel *calibrationLabel = nullptr;

Q_SIGNALS:
    // A verdict the user asked to record (PASS or FAIL), with the recipe it was judged by.
    void judged(const QString &verdict, const zq::Recipe &recipe);
    // A recipe from the store applied or saved: the one to open with next time.
    void recipeUsed(const QString &name);
    void viewRequested(int index);
    // 参考曲线…: the user wants to choose a file.
    void referenceWanted();
    // 工艺报告…, with every reading on the following pages or not.
    void processReportWanted(bool readings);

private:
    void buildForm(class QFormLayout *form);
    // 工艺报告…, 附全部读数 and the company line.
    void buildReportRow(class QBoxLayout *layout);
    void fillFields(const zq::Recipe &recipe);
    void listRecipes();
    void readFields();
    void update();
    void showVerdict();
    QWidget *buildBanner();
    QLayout *buildRunPart();
    void placeReference();
    QVector<zq::FigureRow> extraRows() const;
    void showWholeRun();
    QWidget *buildCalibrationRow();
    void showCalibration();

    // A new run (or group) comes with no certificates until setCalibration gives its own.
    void runChanged();
    void viewChanged();

    const zq::RecipeStore &m_store;
    zq::Document &m_doc;
    int m_group = -1; // the group last judged
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
    QStringList m_unparsed; // the fields that do not parse, by name
    QString m_recorded; // the verdict and recipe last recorded for this run
    zq::Curve m_run;
    zq::Record m_referenceRecord;
    bool m_useSchedule = false;
    zq::Placed m_placed;
    zq::ReportCalibration m_calibration;
};
