// zqcli archive's options, each said in words, and why a named range
// cannot be kept.
#include "archive/archive.h"
#include "cli/cli.h"

#include <QCommandLineParser>

namespace cli {
namespace {
struct OptionText
{
    const char *name, *value, *words;
};
const OptionText kArchiveOptions[] = {
    {"since", "DATE", "list: runs downloaded (or added) on or after this day, YYYY-MM-DD."},
    {"until", "DATE", "list: runs downloaded (or added) on or before this day, YYYY-MM-DD."},
    {"equipment", "X", "list: only runs of this equipment; set: the furnace or machine the run was made in."},
    {"verdict", "pass|fail", "list: only runs whose last verdict was this."},
    {"state", "draft|reviewed|approved", "list: only runs standing so (草稿, 已审核, 已批准)."},
    {"search", "TEXT", "list: runs whose fields, recipe, hash or notes hold this text."},
    {"operator", "X", "set: who made the run."},
    {"load", "X", "set: what was in the furnace."},
    {"thermocouple", "X", "set: the thermocouple used; a registered one corrects the run's readings."},
    {"instrument", "SERIAL", "set: the registered instrument the run was measured with; it corrects the readings."},
    {"comment", "X", "set: a free comment; approve: the signer's comment."},
    {"reason", "T",
        "set, note, range: why a reviewed or approved run is changed (needed; the change withdraws the signatures)."},
    {"as", "NAME", "approve: the signer's name."},
    {"meaning", "review|approve", "approve: what the signature means; approval needs a review by another name."},
    {"at", "N", "note: the reading the note belongs to, counted from 0."},
    {"text", "T", "note: the note's text."},
    {"first", "N", "range: the range's first reading, counted from 0."},
    {"last", "N", "range: the range's last reading (inclusive)."},
    {"name", "T", "range: the range's name; the same name again moves it."},
    {"from", "LOCAL", "push: the local archive to send from (default: your own)."},
};

} // namespace

void addArchiveOptions(QCommandLineParser &parser)
{
    for (const auto &[name, value, words] : kArchiveOptions)
        parser.addOption(
            QCommandLineOption(QString::fromLatin1(name), QString::fromUtf8(words), QString::fromLatin1(value)));
    parser.addOption(QCommandLineOption(QStringLiteral("format"), QStringLiteral("list: text (default), csv or json."),
        QStringLiteral("F"), QStringLiteral("text")));
}

QString archiveCommands()
{
    return QStringLiteral(
        "The run archive. Commands:\n"
        "  list [--since DATE] [--until DATE] [--equipment X] [--verdict pass|fail] [--search TEXT] "
        "[--format text|csv|json]\n"
        "  import PATH...          files and folders (recursively); each new run counted\n"
        "  sync                    send the local queue to the server and take its runs and history back\n"
        "                          (--archive URL)\n"
        "  push [--from LOCAL]     the local archive's runs, with their fields, verdicts, notes, ranges\n"
        "                          and downloads, into the server's (--archive URL); again adds nothing\n"
        "  check                   every run's history verified: 0 intact, 3 naming each broken row\n"
        "  show FILE|HASH\n"
        "  history FILE|HASH [--format text|json]   every change the run had, oldest first\n"
        "  history instrument:SERIAL|thermocouple:ID   a calibration device's changes\n"
        "  set FILE|HASH [--equipment X] [--operator X] [--load X] [--thermocouple X] [--comment X]\n"
        "                          [--reason T]  (needed once the run is reviewed or approved)\n"
        "                          [--instrument SERIAL]  (a registered instrument and thermocouple\n"
        "                          correct the run's readings: see zqcli calibration)\n"
        "  note FILE|HASH --at N --text T [--reason T]\n"
        "  range FILE|HASH --first N --last N --name T [--reason T]   a named range (the same name moves it)\n"
        "  approve FILE|HASH --as NAME --meaning review|approve [--comment T]   a signature; approval needs\n"
        "                          a review by another name");
}

// Why a named range cannot be kept on this run, or empty when it can.
QString rangeProblem(bool okFirst, bool okLast, const zq::NamedRange &r, int readings)
{
    if (!okFirst || !okLast)
        return QStringLiteral("--first and --last take reading numbers, counted from 0");
    if (r.name.isEmpty())
        return QStringLiteral("--name is needed: the range is kept under a name");
    if (r.first < 0)
        return QStringLiteral("--first %1: readings are counted from 0").arg(r.first);
    if (r.last <= r.first)
        return QStringLiteral("--last %1 must come after --first %2").arg(r.last).arg(r.first);
    if (r.last >= readings)
        return QStringLiteral("--last %1 lies outside the run: it has %2 readings, 0 to %3")
            .arg(r.last)
            .arg(readings)
            .arg(readings - 1);
    return QString();
}

} // namespace cli
