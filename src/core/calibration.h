#pragma once

#include <QDate>
#include <QString>
#include <QStringList>
#include <QVector>
#include <optional>

namespace zq {
// A certificate's point: at this temperature the device reads off by the
// negative of `correction`, which is added to a reading there.
struct CalPoint
{
    double temperature = 0;
    double correction = 0;
};

struct Certificate
{
    QString number;
    QDate calibrated;
    QDate due;
    QVector<CalPoint> points; // by temperature

    // Linear between the certificate's points, never beyond the outermost:
    // none outside them.
    std::optional<double> correctionAt(double reading) const;
    bool covers(double temperature) const;
};

// "300:+1.0,900:-1.0": none for anything else, two points at one
// temperature, or a value that is not a finite number.
std::optional<QVector<CalPoint>> parseCalPoints(const QString &text, QString *error);
QString calPointsText(const QVector<CalPoint> &points);

// The types a thermocouple may be: K N S R B J T E.
const QStringList &thermocoupleTypes();
// Why a certificate cannot be registered for a device, in the words both
// front ends show; empty when it can. An instrument has no type.
QString certificateProblem(bool thermocouple, const QString &deviceId, const QString &type, const Certificate &c);

enum class DueState { Ok, DueSoon, Expired };
// Due soon within 30 days of `today`; expired after its due date.
DueState dueState(const Certificate &c, const QDate &today);
QString dueText(DueState state);

// The certificate in force on `day`: the newest calibrated on or before it.
std::optional<Certificate> inForce(const QVector<Certificate> &certificates, const QDate &day);

// What corrects a run's readings: the instrument's and the thermocouple's
// certificates, either of which may be missing.
struct Correction
{
    std::optional<Certificate> instrument;
    std::optional<Certificate> thermocouple;
    bool isEmpty() const { return !instrument && !thermocouple; }
    // The reading corrected by both, or none when it lies outside either
    // certificate's points (then it stays raw, and is marked).
    std::optional<double> apply(double reading) const;
    bool covers(double temperature) const;
    // "已修正：仪表 CAL-I-77，热电偶 CAL-T-12"
    QString text() const;
};

// What a check's readings were judged on, for its record: "已修正：仪表
// CAL-I-77（300:+1,900:-1），…" with each certificate's points, or
// "按原始读数判定（未修正）" without a correction.
QString judgedOnText(const Correction *applied);

// "校准已过期：证书 CAL-T-12 到期于 2026-02-10", one for each certificate
// past its due date on `today`; the certificate is applied all the same.
QStringList expiryWarnings(const Correction &c, const QDate &today);

// A run's curve as the correction makes it, for drawing: a point outside a
// certificate's points stays raw, as the figures take it.
struct Curve;
Curve correctedCurve(Curve curve, const Correction &c);
} // namespace zq
