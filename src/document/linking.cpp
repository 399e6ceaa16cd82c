// Which instrument and thermocouple a run was measured with, linked by the
// same rules from a download, 记录库's fields and zqcli archive set.
#include "document/texts.h"
#include "document/usecases.h"
#include "link/instrument.h"

namespace zq {

QStringList linkDownloadInstrument(Archive &archive, const QString &sha256, const DownloadResult &download)
{
    const QString &serial = download.instrument;
    if (serial.isEmpty())
        return {};
    QString error;
    Registry registry(archive);
    const std::optional<Device> device = registry.device(Device::Instrument, serial, &error);
    if (!device)
        return {error.isEmpty() ? downloadInstrumentNotRegisteredText(serial) : instrumentNotLinkedText(serial, error)};
    QStringList warnings;
    RunDevices linked = registry.linked(sha256, &error);
    if (linked.instrument.isEmpty() && error.isEmpty()) {
        linked.instrument = serial;
        // A signed run is changed only with a reason, which a download has not.
        if (!registry.link(sha256, linked, &error))
            warnings << instrumentNotLinkedText(serial, error);
    } else if (linked.instrument != serial) {
        warnings << otherInstrumentKeptText(linked.instrument, serial);
    }
    const QDate day = download.ended.date();
    Correction c;
    c.instrument = inForce(device->certificates, day);
    if (!c.instrument)
        warnings << noCertificateOnText(serial, day);
    return warnings + expiryWarnings(c, day);
}

QStringList thermocoupleWarnings(const Device &tc, const RunRow &run, bool linkedAlready)
{
    QStringList warnings;
    const int uses = tc.uses + (linkedAlready ? 0 : 1);
    if (tc.maxUses > 0 && uses > tc.maxUses)
        warnings << thermocoupleWornText(tc.id, uses, tc.maxUses);
    if (tc.maxTemp && run.peak > *tc.maxTemp)
        warnings << thermocoupleTooHotText(run.peak, tc.id, *tc.maxTemp);
    return warnings;
}

bool linkDevices(Archive &archive, const RunRow &run, const DeviceChoice &chosen, const QString &reason,
    QStringList *warnings, QString *error)
{
    Registry registry(archive);
    RunDevices d = registry.linked(run.sha256, error);
    if (!error->isEmpty())
        return false;
    if (chosen.instrument) {
        const QString &instrument = *chosen.instrument;
        if (!instrument.isEmpty() && !registry.device(Device::Instrument, instrument, error)) {
            *error = error->isEmpty() ? instrumentNotRegisteredText(instrument) : *error;
            return false;
        }
        d.instrument = instrument;
    }
    if (chosen.thermocouple) {
        const QString &thermocouple = *chosen.thermocouple;
        const std::optional<Device> tc
            = thermocouple.isEmpty() ? std::nullopt : registry.device(Device::Thermocouple, thermocouple, error);
        if (!error->isEmpty())
            return false;
        // Another thermocouple, even one not registered, is no longer measured
        // with the old one: its certificate no longer applies.
        if (!tc && !thermocouple.isEmpty())
            *warnings << thermocoupleNotRegisteredText(thermocouple);
        if (tc)
            *warnings << thermocoupleWarnings(*tc, run, d.thermocouple == thermocouple);
        d.thermocouple = tc ? thermocouple : QString();
    }
    return registry.link(run.sha256, d, error, reason);
}

} // namespace zq
