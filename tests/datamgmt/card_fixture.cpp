#include "card_fixture.h"

#include <QDir>
#include <QFile>
#include <fcntl.h>
#include <sys/mount.h>
#include <unistd.h>
#include <vector>

namespace korvane::test {

std::string Native(const QString& path)
{
    return QFile::encodeName(path).toStdString();
}

QString NormalName(int i)
{
    return QStringLiteral("2023%1.MP4").arg(qint64(101120000) + i, 10, 10, QLatin1Char('0'));
}

QString EventName(int i)
{
    return QLatin1Char('G') + NormalName(i);
}

void WriteFile(const QString& path, std::int64_t size, int seed)
{
    QFile f(path);
    if (!f.open(QIODevice::WriteOnly | QIODevice::Truncate))
        qFatal("cannot write %s", qPrintable(path));
    QByteArray block(64 * 1024, Qt::Uninitialized);
    std::uint32_t x = 2654435761u * std::uint32_t(seed + 1);
    for (char& c : block) {
        x = x * 1103515245u + 12345u;
        c = char(x >> 24);
    }
    for (std::int64_t left = size; left > 0;) {
        const qint64 n = qMin<std::int64_t>(left, block.size());
        f.write(block.constData(), n);
        left -= n;
    }
}

void WriteSparse(const QString& path, std::int64_t size)
{
    const int fd = ::open(Native(path).c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
    if (fd < 0 || ::ftruncate(fd, size - 1) != 0 || ::pwrite(fd, "x", 1, size - 1) != 1)
        qFatal("cannot write %s", qPrintable(path));
    ::close(fd);
}

QByteArray ReadAll(const QString& path)
{
    QFile f(path);
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
}

QStringList Entries(const QString& folder)
{
    QStringList names = QDir(folder).entryList(QDir::AllEntries | QDir::Hidden | QDir::System | QDir::NoDotAndDotDot);
    names.sort();
    return names;
}

Card Card::Make(const QString& root, int normal, int event)
{
    Card card;
    card.folder = root + QStringLiteral("/card");
    card.outside = root + QStringLiteral("/outside.txt");
    QDir().mkpath(card.folder);
    for (int i = 0; i < normal; ++i) {
        card.recordings << NormalName(i);
        WriteFile(card.folder + QLatin1Char('/') + NormalName(i), 1000 + 37 * i, i);
    }
    for (int i = 0; i < event; ++i) {
        card.recordings << EventName(i);
        WriteFile(card.folder + QLatin1Char('/') + EventName(i), 5000 + 11 * i, 1000 + i);
    }
    WriteFile(card.folder + QStringLiteral("/notes.txt"), 10);
    QDir().mkpath(card.folder + QLatin1Char('/') + NormalName(99999));
    WriteFile(card.outside, 20);
    QFile::link(card.outside, card.folder + QStringLiteral("/link.txt"));
    return card;
}

SmallTmpfs::SmallTmpfs(const QString& where, std::int64_t bytes, bool readOnly)
    : path_(where)
{
    QDir().mkpath(where);
    const std::string options = "size=" + std::to_string(bytes);
    mounted_ = ::mount("tmpfs", Native(where).c_str(), "tmpfs", readOnly ? MS_RDONLY : 0, options.c_str()) == 0;
}

SmallTmpfs::~SmallTmpfs()
{
    if (mounted_)
        ::umount2(Native(path_).c_str(), MNT_DETACH);
}

} // namespace korvane::test
