#pragma once

#include "archive/history.h"
#include "archive/rows.h"
#include "core/record.h"
#include "core/runinfo.h"

#include <QDateTime>
#include <QHash>
#include <QSet>
#include <QSqlDatabase>
#include <QSqlQuery>
#include <QString>
#include <QVector>
#include <functional>
#include <optional>

namespace zq {

// The run archive on SQLite: every run in one searchable place. The archive
// is never needed to download, view, save or export: whoever uses it goes on
// without it when it cannot be opened, told once why.
class Archive
{
public:
    static constexpr int kSchemaVersion = 5;
    static QString defaultPath();
    // A shared archive on a PostgreSQL server: "postgresql://user@host:port/db?sslmode=…"
    // (or "postgres://"); a Unix socket folder as "?host=/path". The password
    // comes from ~/.pgpass or PGPASSWORD, never from the program.
    static bool isServerUrl(const QString &pathOrUrl);

    Archive();
    ~Archive();
    Archive(const Archive &) = delete;
    Archive &operator=(const Archive &) = delete;

    // Our files say so in their header (PRAGMA application_id), beside the
    // schema's version in a table.
    static constexpr qint32 kApplicationId = 0x5A515431; // "ZQT1"
    enum class Access { ReadWrite, ReadOnly };

    // Opens (or creates) the archive. Only a file that is no database at all,
    // or opens and fails its integrity check, is moved aside under a
    // time-stamped name and a new archive started; *notice then says so. A
    // file that cannot be read or opened, another program's database and a
    // newer version of ours are refused and left as they are. ReadOnly never
    // writes: it creates, migrates and moves aside nothing.
    // A URL opens the server's archive, connecting within 3 s; the program
    // creates nothing there and refuses a schema it does not know.
    bool open(const QString &path, QString *error, QString *notice = nullptr, Access access = Access::ReadWrite);
    bool isOpen() const;
    bool isServer() const { return m_server; }
    QString path() const { return m_path; }
    // The connection the archive's other parts (the calibration registry) share.
    QString connectionName() const { return m_connection; }
    // What opens this archive again on a connection of another Archive's: a
    // connection serves only the thread that opened it, so the twin is
    // opened on the thread that is to use it, while this one stays open.
    struct Twin
    {
        QString connection;
        QString path;
        bool server = false;
    };
    Twin twin() const { return {m_connection, m_path, m_server}; }
    bool openTwin(const Twin &twin, QString *error);
    // Whether the server answers now, connecting again after it was lost.
    bool reachable(QString *error);

    // Runs waiting for the shared archive, kept in this (local) archive
    // until the server has them: the bytes, where they were, and the
    // download that brought them, if one did.
    struct Queued
    {
        qint64 id = 0;
        QByteArray bytes;
        QString seenAt;
        QDateTime ended; // invalid: not a download
        QString device;
        QString outcome;
        QString host{}; // read back: a queued download was made on this PC
    };
    bool queue(const Queued &run, QString *error);
    QVector<Queued> queued(QString *error) const;
    int queuedCount(QString *error) const;
    bool unqueue(qint64 id, QString *error);
    // One queued run into a server's archive (a duplicate is no error).
    static bool send(Archive &server, const Queued &run, QString *error);
    // A user's fields, or a verdict, waiting for the server the same way.
    struct Edit
    {
        qint64 id = 0;
        QString sha256;
        bool verdict = false; // else the fields
        RunFields fields;
        QString verdictText;
        QString recipe;
    };
    bool queueEdit(const Edit &edit, QString *error);
    QVector<Edit> queuedEdits(QString *error) const;
    bool unqueueEdit(qint64 id, QString *error);
    static bool send(Archive &server, const Edit &edit, QString *error);
    // History rows made here that the shared archive has not got yet, run by
    // run in chain order; a run's arrival here ("added") and the values an
    // older archive found are this archive's own, and stay.
    QVector<HistoryRow> unsentHistory(QString *error) const;
    // Every row of a run that goes to another archive, sent or not.
    QVector<HistoryRow> travellingHistory(const QString &sha256, QString *error) const;
    bool markSent(const HistoryRow &row, QString *error);
    // A row from another archive appended to this one's chain (its own
    // position and predecessor; the change's time and user kept) and its
    // change applied. A row taken before (the same run, content, time and
    // user) is not taken again. A change made where the run was not signed
    // (`signedWhereMade` false) withdraws a signature given here meanwhile.
    bool receive(const HistoryRow &row, QString *error, bool signedWhereMade = false);
    // The server's runs laid into this archive: new ones added, their chain
    // here started with the values they came with; known ones given the
    // server's fields and verdict (what waits in the queues is sent first, so
    // nothing typed here is overwritten), but a run approved here keeps its
    // fields and verdict while that approval stands in the server's chain.
    bool merge(const QVector<RunRow> &rows, QString *error);
    // Every download recorded here (when it ended, the port, the outcome),
    // and another archive's laid into this one: a run brought from the
    // server is then known here as the download it was. A path kept on
    // another PC means nothing here, so it does not come along.
    struct DownloadRow
    {
        QString sha256;
        QString endedAt;
        QString device;
        QString outcome;
        QString keptPath; // where it was kept on the PC that made it
        QString host; // that PC; empty when not known
    };
    // Every download, or a run's only.
    QVector<DownloadRow> downloads(QString *error, const QString &sha256 = QString()) const;
    // Every run of this archive into a server's, with its bytes (from a kept
    // copy or a path where they still lie), downloads, fields, verdict, notes
    // and named ranges; each step one the server takes only once, so pushing
    // again adds nothing. A run whose bytes are nowhere here is skipped, told.
    struct PushCount
    {
        int added = 0;
        int known = 0;
        int skipped = 0;
    };
    // A run's history goes row by row, as the queue sends it.
    PushCount pushInto(Archive &server, const std::function<void(const QString &)> &skipped, QString *error);
    bool mergeDownloads(const QVector<DownloadRow> &rows, QString *error);
    // The .ZQ bytes a server keeps of a run; empty when it has none.
    QByteArray fileBytes(const QString &sha256, QString *error) const;

    // The run these bytes are (added when new); empty on failure.
    QString addRun(const QByteArray &fileBytes, const QString &seenAt, bool *isNew, QString *error);
    // A download made on this PC, which the record names (hostName).
    bool recordDownload(const QString &sha256, const QDateTime &ended, const QString &device, const QString &outcome,
        const QString &keptPath, QString *error);
    // A download as another archive recorded it, its PC and all.
    bool recordDownload(const DownloadRow &download, QString *error);
    // This PC's name, as download records give it.
    static QString hostName();
    // `judgedOn` says what the readings were corrected by, or that they were
    // judged raw (judgedOnText), kept in the check's history row.
    bool setVerdict(const QString &sha256, const QString &verdict, const QString &recipe, QString *error,
        const QString &judgedOn = QString());
    // Each field changed leaves a history row with its old and new value.
    bool setFields(const QString &sha256, const RunFields &fields, QString *error, const QString &reason = QString());
    // A note or a named range on a signed run, like a field, needs a reason and withdraws the signatures.
    bool addNote(const QString &sha256, const RunNote &note, QString *error, const QString &reason = QString());
    // The same note (reading and text) is never added twice.
    bool addNoteOnce(const QString &sha256, const RunNote &note, QString *error);
    bool saveRange(const QString &sha256, const NamedRange &range, QString *error, const QString &reason = QString());

    QVector<RunRow> list(const RunFilter &filter, QString *error) const;
    // The same runs as an executed query, for a view that fetches as it
    // scrolls: sha256, the run's own time (ISO), type, readings, peak,
    // equipment, load, operator, verdict, comment, file name, added time (ISO),
    // RunState as a number, ordered by the column given (1-based, negative: descending).
    QSqlQuery browse(const RunFilter &filter, int orderBy, QString *error) const;
    QStringList equipments(QString *error) const;
    // Where these bytes can still be found: kept copies first, then the paths
    // they were seen at, each checked to hold the same bytes.
    QString findFile(const QString &sha256, QString *error) const;
    std::optional<RunRow> run(const QString &sha256OrPrefix, QString *error) const;
    QVector<RunNote> notes(const QString &sha256, QString *error) const;
    QVector<NamedRange> ranges(const QString &sha256, QString *error) const;
    Provenance provenance(const QByteArray &fileBytes, const QString &path, QString *error) const;
    // The same in the words a report prints: "下载于 … 自 …，未改动",
    // "下载不完整：…", "下载后已改动", "档案中无此文件", or that it is known
    // but never downloaded.
    QString provenanceWords(const QByteArray &fileBytes, const QString &path, QString *error) const;

    static QString sha256Of(const QByteArray &bytes);

    // Every change a run had, oldest first; and where any run's chain breaks
    // (here, and in the server's chains kept here). Where this PC keeps the
    // server's chain of the run: that chain, then rows not yet sent to it.
    QVector<HistoryRow> history(const QString &sha256, QString *error) const;
    // Rows per run: a server's own chains, or the server's kept on this PC.
    QHash<QString, int> chainLengths(QString *error) const;
    // The server's rows kept here as they are there; one kept already stays.
    bool mirror(const QVector<HistoryRow> &rows, QString *error);
    QVector<ChainBreak> checkHistory(QString *error) const;
    // A signature with its meaning; approval needs a standing review by
    // another name. Fields of a signed run change only with a reason, and
    // the change withdraws the signatures.
    enum class Meaning { Review, Approve };
    bool sign(const QString &sha256, const QString &name, Meaning meaning, const QString &comment, QString *error);
    // Where the run stands and who signed it; a run the archive lacks is 草稿.
    Signatures signatures(const QString &sha256, QString *error) const;

private:
    // The registry's changes go into the history as the runs' do.
    friend class Registry;
    bool migrate(QString *error);
    bool startHistories(QString *error);
    // A change and its history row commit together or not at all.
    bool beginWrite(QString *error);
    bool endWrite(bool ok, QString *error);
    bool appendHistory(const HistoryRow &change, QString *error);
    // Writers of one run's chain on a server take turns until they commit.
    bool lockChain(const QString &sha256, QString *error);
    // The mark of rows sent to a server, started on a local file.
    bool startSending(QString *error);
    bool startMirror(QString *error);
    // What counts and states are read from: a table of (sha256, seq, what, new_value).
    QString historySource() const;
    QVector<HistoryRow> chain(const QString &table, const QString &sha256, QString *error) const;
    QVector<ChainBreak> breaksIn(const QString &table, QString *error) const;
    // Runs whose standing approval was signed here: a pull keeps their fields and verdict.
    QSet<QString> approvedHere(QString *error) const;
    bool applyRow(const HistoryRow &row, QString *error);
    bool withdrawnBy(const HistoryRow &row, bool signedWhereMade, QString *error);
    bool settleVerdict(const HistoryRow &row, QString *error);
    // A signed run changed: refused without a reason, else back to 草稿.
    bool withdrawSignatures(const QString &sha256, const QString &reason, QString *error);
    bool openFile(const QString &path, QString *error, QString *notice, Access access);
    bool adopt(bool readOnly, QString *error);
    bool openServer(const QString &text, QString *error);
    QString m_connection;
    QString m_path;
    bool m_server = false;
};
} // namespace zq
