#pragma once

#include <QString>

namespace zq {
class Archive;

// What a local archive holds for the server: runs, and the user's edits of
// runs (their history rows, and edits an older version queued as values).
struct Pending
{
    int runs = 0;
    int edits = 0;
    int total() const { return runs + edits; }
};
Pending pendingFor(const Archive &local, QString *error);

// The local queue sent to the server, the one way the window and zqcli both
// use: runs first (an edit needs its run there), then edits queued as values
// (older than any row) in the order queued, then each run's history rows in
// chain order. A row leaves the queue only once the server has it; a send
// that fails stops the drain there (false, *error says why) and leaves that
// row and the rest queued. An edit or row of a run the server does not hold
// yet stays queued and the drain goes on.
struct Drained
{
    Pending sent;
    Pending left;
};
bool drainQueue(Archive &local, Archive &server, Drained *drained, QString *error);

// The server laid into the local archive, the one way the window and zqcli
// both take it: each chain (a run's, a device's) as the server holds it,
// kept beside this PC's own; then its runs (fields and verdict), its
// devices and certificates this PC lacks, and downloads.
bool pullFrom(Archive &local, Archive &server, QString *error);

// What --archive names, one meaning for the window and zqcli: a file is the
// archive itself; a server's URL is the shared archive, beside a local file
// (the user's own unless `local` names one) that keeps what the server has
// not yet got. Empty: the user's own file, no server.
struct ArchivePlace
{
    QString local;
    QString server; // empty: no shared archive
};
ArchivePlace archivePlace(const QString &pathOrUrl, const QString &local = {});
} // namespace zq
