// An output folder asked for by name is made when missing, as mkdir -p
// would, and said so: a newcomer's `--out-dir csv/` works the first time.
#include "cli/cli.h"

#include <QDir>
#include <QFileInfo>
#include <cstdio>

namespace cli {
bool makeOutDir(const QString &dir)
{
    if (QFileInfo(dir).isDir())
        return true;
    if (QFileInfo::exists(dir) || !QDir().mkpath(dir)) {
        fail(QStringLiteral("%1: the folder could not be made%2")
                 .arg(dir, QFileInfo::exists(dir) ? QStringLiteral(" (a file has that name)") : QString()));
        return false;
    }
    std::fprintf(stderr, "zqcli: made the folder %s\n", qPrintable(dir));
    return true;
}
} // namespace cli
