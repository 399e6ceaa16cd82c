// zqcli archive push: a PC's own archive into the shared one.
#include "archive/archive.h"
#include "cli/cli.h"

#include <cstdio>

namespace cli {
int push(zq::Archive &server, const QString &from)
{
    zq::Archive local;
    QString error;
    if (!local.open(from, &error, nullptr, zq::Archive::Access::ReadOnly))
        return fail(error);
    const zq::Archive::PushCount n = local.pushInto(
        server, [](const QString &why) { fail(why); }, &error);
    if (!error.isEmpty())
        return fail(QStringLiteral("%1: %2").arg(from, error));
    std::printf(
        "%d new on the server, %d already there (brought up to date), %d skipped\n", n.added, n.known, n.skipped);
    return n.skipped ? Failed : Done;
}
} // namespace cli
