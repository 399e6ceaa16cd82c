#include "core/filewrite.h"

#include <QDir>
#include <QFileInfo>
#include <QRandomGenerator>
#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace zq {
namespace {
std::function<int(int fd)> &diskSync()
{
    static std::function<int(int fd)> sync;
    return sync;
}

int syncToDisk(int fd)
{
    if (diskSync())
        return diskSync()(fd);
    return ::fdatasync(fd) == 0 ? 0 : errno;
}

QByteArray local(const QString &path)
{
    return QFile::encodeName(path);
}

// A file of our own beside the target, created exclusively, holding every
// byte on disk. Empty with *code on failure (nothing left behind).
QString writeTemporary(const QString &target, const QByteArray &bytes, mode_t mode, int *code)
{
    const QFileInfo info(target);
    QString temp;
    int fd = -1;
    for (int attempt = 0; attempt < 100 && fd < 0; ++attempt) {
        temp = info.absoluteDir().filePath(QStringLiteral(".%1.%2.part")
                                               .arg(info.fileName())
                                               .arg(QRandomGenerator::global()->generate(), 8, 16, QLatin1Char('0')));
        fd = ::open(local(temp).constData(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, mode);
        if (fd < 0 && errno != EEXIST) {
            *code = errno;
            return QString();
        }
    }
    if (fd < 0) {
        *code = EEXIST;
        return QString();
    }
    qint64 done = 0;
    int failed = 0;
    while (done < bytes.size() && !failed) {
        const ssize_t n = ::write(fd, bytes.constData() + done, size_t(bytes.size() - done));
        if (n < 0 && errno == EINTR)
            continue;
        if (n <= 0)
            failed = n < 0 ? errno : ENOSPC;
        else
            done += n;
    }
    struct stat st
    {
    };
    if (!failed)
        failed = syncToDisk(fd);
    if (!failed && (::fstat(fd, &st) != 0 || st.st_size != bytes.size()))
        failed = errno ? errno : EIO;
    if (::close(fd) != 0 && !failed)
        failed = errno;
    if (failed) {
        ::unlink(local(temp).constData());
        *code = failed;
        return QString();
    }
    return temp;
}

bool refuse(const QString &why, QString *error, int *code)
{
    *error = why;
    if (code)
        *code = 0;
    return false;
}
} // namespace

void setDiskSync(std::function<int(int fd)> sync)
{
    diskSync() = std::move(sync);
}

QString systemReason(int code)
{
    static const std::pair<int, const char *> words[] = {{ENOSPC, "磁盘空间不足"}, {EDQUOT, "超出磁盘配额"},
        {EFBIG, "文件太大，超出允许的大小"}, {EROFS, "文件系统是只读的"}, {EACCES, "没有写入权限"},
        {EPERM, "没有写入权限"}, {ENOENT, "文件夹不存在"}, {ENOTDIR, "路径中有一项不是文件夹"}, {EIO, "读写出错"},
        {EEXIST, "文件已存在"}, {EISDIR, "这是一个文件夹"}, {ENAMETOOLONG, "文件名太长"}};
    QString system = QString::fromLocal8Bit(std::strerror(code));
    for (const auto &[errnum, text] : words)
        if (errnum == code)
            return QStringLiteral("%1 (%2)").arg(QString::fromUtf8(text), system);
    return system;
}

bool writeFileWhole(const QString &path, const QByteArray &bytes, QString *error, WriteMode mode, int *code)
{
    // A link to a file writes the file it names, as an editor would.
    QString target = path;
    if (QFileInfo(path).isSymLink() && QFileInfo(path).exists())
        target = QFileInfo(path).canonicalFilePath();
    struct stat st
    {
    };
    const bool exists = ::lstat(local(target).constData(), &st) == 0;
    if (exists && !S_ISREG(st.st_mode))
        return refuse(QStringLiteral("这不是一个普通文件（而是文件夹、设备、管道或套接字），不会写入"), error, code);
    if (exists && mode == WriteMode::NewOnly) {
        if (code)
            *code = EEXIST;
        *error = systemReason(EEXIST);
        return false;
    }
    int failed = 0;
    const QString temp = writeTemporary(target, bytes, exists ? (st.st_mode & 07777) : 0666, &failed);
    if (!temp.isEmpty()) {
        // Keep the old file's mode: the umask applied at creation may have narrowed it.
        if (exists)
            ::chmod(local(temp).constData(), st.st_mode & 07777);
        const int published = mode == WriteMode::Replace ? ::rename(local(temp).constData(), local(target).constData())
                                                         : ::link(local(temp).constData(), local(target).constData());
        failed = published == 0 ? 0 : errno;
        if (mode == WriteMode::NewOnly || failed)
            ::unlink(local(temp).constData());
    }
    if (failed) {
        if (code)
            *code = failed;
        *error = systemReason(failed);
        return false;
    }
    return true;
}

QString writeNewFile(const std::function<QString(int n)> &nameAt, const QByteArray &bytes, QString *error)
{
    for (int n = 1; n < 10000; ++n) {
        QString path = nameAt(n);
        int code = 0;
        if (writeFileWhole(path, bytes, error, WriteMode::NewOnly, &code))
            return path;
        if (code != EEXIST)
            return QString();
    }
    *error = systemReason(EEXIST);
    return QString();
}
} // namespace zq
