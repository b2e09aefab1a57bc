// FileSaver on each kind of target a save can meet: the bytes that reach
// it, what the target is afterwards (its inode, type, mode and owner), the
// folder's listing (no temporary file left), and the problem's place and
// error.

#include "files/filesaver.h"
#include "filesizelimit.h"
#include "mount.h"
#include "specialfiles.h"

#include <QDir>
#include <QFileInfo>
#include <QTemporaryDir>
#include <QtTest>

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <fcntl.h>
#include <functional>
#include <memory>
#include <optional>
#include <sys/stat.h>
#include <unistd.h>
#include <vector>

using Problem = FileSaver::Problem;
using Place = Problem::Place;

namespace {

const QByteArray kOld = "200,201,202,203,2222,2333,44,2444,388,204,205,0,1,0\n"
                        "a longer file than the new line\n";
const QByteArray kNew = "12,34,56,78,900,2000,25,1600,300,45,67,1,0,1";
constexpr int kSaved = -1; // the place column of a row that saves

QByteArray readAll(const QString &path)
{
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

bool writeAll(const QString &path, const QByteArray &bytes)
{
    QFile file(path);
    return file.open(QIODevice::WriteOnly) && file.write(bytes) == bytes.size();
}

// What is waiting on a descriptor that does not block.
QByteArray readAvailable(int fd)
{
    QByteArray got(4096, '\0');
    const ssize_t n = ::read(fd, got.data(), size_t(got.size()));
    got.resize(n > 0 ? int(n) : 0);
    return got;
}

QStringList listing(const QString &folder)
{
    return QDir(folder).entryList(QDir::AllEntries | QDir::Hidden | QDir::NoDotAndDotDot |
                                  QDir::System);
}

// Closes a descriptor when the last holder lets go.
std::shared_ptr<void> closing(int fd)
{
    return std::shared_ptr<void>(nullptr, [fd](void *) { ::close(fd); });
}

// Root is stopped by no folder's mode: while it lasts, root acts as nobody.
class AsNobody
{
public:
    AsNobody()
    {
        m_root = SpecialFiles::isRoot();
        if (m_root) {
            m_group = ::getegid();
            m_root = ::setegid(SpecialFiles::kNobody) == 0 && ::seteuid(SpecialFiles::kNobody) == 0;
        }
    }
    ~AsNobody()
    {
        // Root first: only root may take its group back.
        if (m_root && (::seteuid(0) != 0 || ::setegid(m_group) != 0))
            qFatal("cannot act as root again");
    }

private:
    bool m_root = false;
    gid_t m_group = 0;
};

// A row's target, made in the folder of its own: where to save, whose
// inode, mode and owner are judged, how to read back what reached it, how
// to save, and what must last until the save is judged.
struct Target
{
    QString folder; // whose listing is judged
    QString path;   // what is saved to
    QString judged; // the file judged; by default `path`
    std::function<QByteArray()> readBack;
    std::function<std::optional<Problem>()> save;
    std::vector<std::shared_ptr<void>> held;
    QString skip; // why the row cannot run here, found while making it
};

using Make = std::function<void(Target &)>;

} // namespace

Q_DECLARE_METATYPE(Make)

class FileSaverTest : public QObject
{
    Q_OBJECT

private slots:
    void saveKeepsWhatTheTargetIs_data();
    void saveKeepsWhatTheTargetIs();
};

void FileSaverTest::saveKeepsWhatTheTargetIs_data()
{
    QTest::addColumn<Make>("make");
    QTest::addColumn<QString>("needs"); // empty: anyone can run it
    QTest::addColumn<int>("place");     // kSaved, or the problem's Place
    QTest::addColumn<int>("error");
    QTest::addColumn<QByteArray>("holds"); // what reads back afterwards
    QTest::addColumn<bool>("replaced");    // by a new inode

    const QString root = QStringLiteral("root to make a device node");
    const auto old = [](Target &t) {
        QVERIFY(writeAll(t.path, kOld));
    };

    QTest::newRow("missing: made with the mode the umask leaves")
        << Make([](Target &) {}) << QString() << kSaved << 0 << kNew << false;
    QTest::newRow("regular file: replaced whole, its mode 640 kept") << Make([old](Target &t) {
        old(t);
        QVERIFY(
            QFile::setPermissions(t.path, QFile::ReadOwner | QFile::WriteOwner | QFile::ReadGroup));
    }) << QString() << kSaved << 0 << kNew << true;
    QTest::newRow("another user's file: its owner and mode kept") << Make([old](Target &t) {
        old(t);
        QVERIFY(SpecialFiles::giveAway(t.path));
    }) << QStringLiteral("root to give a file to another user") << kSaved
                                                                  << 0 << kNew << true;
    QTest::newRow("symbolic link: the file it names is replaced, the link stays")
        << Make([](Target &t) {
               const QString named = t.folder + QStringLiteral("/named");
               QVERIFY(writeAll(named, kOld));
               QVERIFY(QFile::setPermissions(named, QFile::ReadOwner | QFile::WriteOwner));
               QVERIFY(QFile::link(QStringLiteral("named"), t.path));
           })
        << QString() << kSaved << 0 << kNew << true;
    QTest::newRow("symbolic link to nothing yet: the file it names is made, the link stays")
        << Make([](Target &t) {
               QVERIFY(QFile::link(QStringLiteral("named"), t.path));
               t.judged = t.folder + QStringLiteral("/named");
           })
        << QString() << kSaved << 0 << kNew << false;
    QTest::newRow("FIFO: written through") << Make([](Target &t) {
        const int reader = SpecialFiles::makeFifo(t.path);
        QVERIFY(reader >= 0);
        t.held.push_back(closing(reader));
        t.readBack = [reader] {
            return readAvailable(reader);
        };
    }) << QString() << kSaved << 0 << kNew << false;
    // Written to the descriptor where it stands; the file it is open on is
    // not replaced.
    QTest::newRow("/dev/stdout open on a file: written through") << Make([](Target &t) {
        t.judged = t.folder + QStringLiteral("/output");
        const int output =
            ::open(QFile::encodeName(t.judged).constData(), O_WRONLY | O_CREAT | O_CLOEXEC, 0644);
        QVERIFY(output >= 0);
        t.held.push_back(closing(output));
        t.path = QStringLiteral("/dev/stdout");
        t.save = [output, path = t.path] {
            std::fflush(stdout);
            const int saved = ::dup(1);
            ::dup2(output, 1);
            const std::optional<Problem> problem = FileSaver::save(path, kNew);
            ::dup2(saved, 1);
            ::close(saved);
            return problem;
        };
    }) << QString() << kSaved << 0 << kNew << false;
    QTest::newRow("character device: written through") << Make([](Target &t) {
        QVERIFY(SpecialFiles::makeDevice(t.path, 1, 3));
        t.readBack = [] {
            return QByteArray();
        };
    }) << root << kSaved << 0 << QByteArray() << false;
    QTest::newRow("full character device: no space, not replaced") << Make([](Target &t) {
        QVERIFY(SpecialFiles::makeDevice(t.path, 1, 7));
        t.readBack = [] {
            return QByteArray();
        };
    }) << root << int(Place::File) << ENOSPC << QByteArray() << false;
    QTest::newRow("folder: refused")
        << Make([](Target &t) { QVERIFY(QDir().mkdir(t.path)); }) << QString()
        << int(Place::NotAFile) << 0 << QByteArray() << false;
    QTest::newRow("folder missing: the folder's problem")
        << Make([](Target &t) { t.path = t.folder + QStringLiteral("/missing/target"); })
        << QString() << int(Place::Folder) << ENOENT << QByteArray() << false;
    QTest::newRow("a regular file in the path: the file's problem") << Make([](Target &t) {
        QVERIFY(writeAll(t.folder + QStringLiteral("/plain"), "x"));
        t.path = t.folder + QStringLiteral("/plain/target");
    }) << QString() << int(Place::File) << ENOTDIR << QByteArray() << false;
    QTest::newRow("read-only folder: the folder's problem, the old bytes kept")
        << Make([](Target &t) {
               // nobody must reach the folder to be stopped by it.
               QVERIFY(::chmod(QFile::encodeName(t.folder).constData(), 0755) == 0);
               t.folder += QStringLiteral("/read-only");
               QVERIFY(QDir().mkdir(t.folder));
               t.path = t.folder + QStringLiteral("/target");
               QVERIFY(writeAll(t.path, kOld));
               const QByteArray folder = QFile::encodeName(t.folder);
               QVERIFY(::chmod(folder.constData(), 0555) == 0);
               t.held.push_back(std::shared_ptr<void>(
                   nullptr, [folder](void *) { ::chmod(folder.constData(), 0755); }));
               t.save = [path = t.path] {
                   const AsNobody nobody;
                   return FileSaver::save(path, kNew);
               };
           })
        << QString() << int(Place::Folder) << EACCES << kOld << false;
    QTest::newRow("file size limit: the old bytes kept") << Make([old](Target &t) {
        old(t);
        t.save = [path = t.path] {
            // Room for a few bytes of the new line, not for all of it.
            const FileSizeLimit limit(8);
            return FileSaver::save(path, kNew);
        };
    }) << QString() << int(Place::File) << EFBIG << kOld << false;
    QTest::newRow("full disk: the old bytes kept") << Make([](Target &t) {
        t.folder += QStringLiteral("/disk");
        QVERIFY(QDir().mkdir(t.folder));
        std::shared_ptr<Mount> disk = Mount::smallDisk(t.folder);
        if (!disk->isMounted()) {
            t.skip = QStringLiteral("cannot mount a small disk here");
            return;
        }
        t.held.push_back(disk);
        t.path = t.folder + QStringLiteral("/target");
        QVERIFY(writeAll(t.path, kOld));
        SpecialFiles::fill(t.folder);
    }) << QStringLiteral("root to mount a small disk")
                                                   << int(Place::File) << ENOSPC << kOld << false;
    // The new bytes are written whole; then the old file cannot be replaced.
    QTest::newRow("the file cannot be replaced at the last step") << Make([old](Target &t) {
        old(t);
        const QString bound = t.folder + QStringLiteral("/bound");
        QVERIFY(writeAll(bound, kOld));
        std::shared_ptr<Mount> busy = Mount::boundFile(bound, t.path);
        if (!busy->isMounted())
            t.skip = QStringLiteral("cannot bind a file over another here");
        t.held.push_back(busy);
    }) << QStringLiteral("root to bind a file over another") << int(Place::File)
                                                                  << EBUSY << kOld << false;
}

void FileSaverTest::saveKeepsWhatTheTargetIs()
{
    QFETCH(Make, make);
    QFETCH(QString, needs);
    QFETCH(int, place);
    QFETCH(int, error);
    QFETCH(QByteArray, holds);
    QFETCH(bool, replaced);
    if (!needs.isEmpty() && !SpecialFiles::isRoot())
        QSKIP(qPrintable(QStringLiteral("needs ") + needs));

    QTemporaryDir dir;
    QVERIFY(dir.isValid());
    Target t;
    t.folder = dir.path();
    t.path = dir.filePath(QStringLiteral("target"));
    make(t);
    if (QTest::currentTestFailed())
        return;
    if (!t.skip.isEmpty())
        QSKIP(qPrintable(t.skip));
    if (t.judged.isEmpty())
        t.judged = t.path;
    if (!t.readBack)
        t.readBack = [&t] {
            return readAll(t.judged);
        };
    if (!t.save)
        t.save = [&t] {
            return FileSaver::save(t.path, kNew);
        };
    const QByteArray judged = QFile::encodeName(t.judged);
    struct stat before = {};
    struct stat linkBefore = {};
    const bool existed = ::stat(judged.constData(), &before) == 0;
    ::lstat(judged.constData(), &linkBefore);
    QStringList listed = listing(t.folder);

    const std::optional<Problem> problem = t.save();

    QCOMPARE(problem ? int(problem->place) : kSaved, place);
    QCOMPARE(problem ? problem->error : 0, error);
    QCOMPARE(problem ? problem->reason : QString(),
             error ? QString::fromLocal8Bit(std::strerror(error)) : QString());
    QCOMPARE(problem ? problem->folder : QString(),
             place == int(Place::Folder) ? QFileInfo(t.path).absolutePath() : QString());
    QCOMPARE(t.readBack(), holds);

    struct stat after = {};
    struct stat linkAfter = {};
    const bool exists = ::stat(judged.constData(), &after) == 0;
    ::lstat(judged.constData(), &linkAfter);
    QCOMPARE(exists, existed || !problem);
    if (existed) {
        QCOMPARE(after.st_ino != before.st_ino, replaced);
        QCOMPARE(after.st_mode, before.st_mode);
        QCOMPARE(after.st_uid, before.st_uid);
        QCOMPARE(after.st_gid, before.st_gid);
        // A link stays a link, a FIFO a FIFO.
        QCOMPARE(linkAfter.st_mode & S_IFMT, linkBefore.st_mode & S_IFMT);
    } else if (exists) {
        const mode_t mask = ::umask(0);
        ::umask(mask);
        QCOMPARE(after.st_mode, mode_t(S_IFREG | (0666 & ~mask)));
        QCOMPARE(after.st_uid, ::geteuid());
        listed.append(QFileInfo(t.judged).fileName());
        listed.sort();
    }
    QCOMPARE(listing(t.folder), listed);
}

QTEST_GUILESS_MAIN(FileSaverTest)
#include "tst_filesaver.moc"
