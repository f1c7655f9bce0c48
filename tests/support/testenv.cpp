#include "tests/support/testenv.h"

#include "platform/programfolder.h"
#include "platform/settings.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QCoreApplication>
#include <QElapsedTimer>
#include <QProcess>
#include <QStandardPaths>
#include <QTest>
#include <QtEndian>

TestEnv::TestEnv()
{
    QDir(root()).mkpath(QStringLiteral("home"));
    QDir(root()).mkpath(QStringLiteral("config"));
    QDir(root()).mkpath(QStringLiteral("data"));
    qputenv("PELLUM_HOME", home().toUtf8());
    qputenv("XDG_CONFIG_HOME", config().toUtf8());
    qputenv("XDG_DATA_HOME", (root() + QStringLiteral("/data")).toUtf8());
    SettingsStore::reset();
    ProgramFolder::reset();
}

TestEnv::~TestEnv()
{
    SettingsStore::reset();
    ProgramFolder::reset();
}

QString TestEnv::home() const { return root() + QStringLiteral("/home"); }
QString TestEnv::config() const { return root() + QStringLiteral("/config"); }
QString TestEnv::settingsFile() const { return config() + QStringLiteral("/zozid.ini"); }

QString TestEnv::runtime() const
{
    const QString folder = root() + QStringLiteral("/runtime");
    QDir().mkpath(folder);
    QFile::setPermissions(folder, QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
    return folder;
}

QString TestEnv::writeFile(const QString& name, const QByteArray& bytes) const
{
    const QString full = QFileInfo(name).isAbsolute() ? name : path(name);
    QDir().mkpath(QFileInfo(full).absolutePath());
    QFile f(full);
    if (!f.open(QIODevice::WriteOnly | QIODevice::Truncate))
        qFatal("cannot write %s", qPrintable(full));
    f.write(bytes);
    return full;
}

QByteArray TestEnv::readFile(const QString& fullPath) const
{
    QFile f(fullPath);
    if (!f.open(QIODevice::ReadOnly))
        return QByteArray();
    return f.readAll();
}

QByteArray wavBytes(double seconds, int rate)
{
    const quint32 dataSize = quint32(seconds * rate) * 2;
    QByteArray b;
    auto u32 = [&b](quint32 v) { char c[4]; qToLittleEndian(v, c); b.append(c, 4); };
    auto u16 = [&b](quint16 v) { char c[2]; qToLittleEndian(v, c); b.append(c, 2); };
    b.append("RIFF");
    u32(36 + dataSize);
    b.append("WAVEfmt ");
    u32(16);
    u16(1);              // PCM
    u16(1);              // mono
    u32(quint32(rate));
    u32(quint32(rate) * 2);
    u16(2);
    u16(16);
    b.append("data");
    u32(dataSize);
    b.append(QByteArray(int(dataSize), '\0'));
    return b;
}

QString writeWav(const QString& path, double seconds, int rate)
{
    QDir().mkpath(QFileInfo(path).absolutePath());
    QFile f(path);
    if (!f.open(QIODevice::WriteOnly | QIODevice::Truncate))
        qFatal("cannot write %s", qPrintable(path));
    f.write(wavBytes(seconds, rate));
    return path;
}

bool writeMedia(const QString& path, const QStringList& ffmpegArgs)
{
    const QString ffmpeg = QStandardPaths::findExecutable(QStringLiteral("ffmpeg"));
    if (ffmpeg.isEmpty())
        return false;
    QDir().mkpath(QFileInfo(path).absolutePath());
    QProcess p;
    p.start(ffmpeg, QStringList{QStringLiteral("-v"), QStringLiteral("error"), QStringLiteral("-y")} + ffmpegArgs +
                        QStringList{path});
    return p.waitForFinished(60000) && p.exitStatus() == QProcess::NormalExit && p.exitCode() == 0;
}

bool writeRealMediaClip(const QString& path)
{
    return writeMedia(path, {QStringLiteral("-f"), QStringLiteral("lavfi"), QStringLiteral("-i"),
                             QStringLiteral("sine=frequency=440:duration=8"), QStringLiteral("-c:a"),
                             QStringLiteral("ac3")});
}

bool writeTestVideo(const QString& path, double seconds, const QString& size)
{
    return writeMedia(path, {QStringLiteral("-f"), QStringLiteral("lavfi"), QStringLiteral("-i"),
                             QStringLiteral("testsrc=size=%1:rate=25").arg(size), QStringLiteral("-t"),
                             QString::number(seconds), QStringLiteral("-pix_fmt"), QStringLiteral("yuv420p")});
}

int timeScale()
{
    static const int scale = qMax(1, qEnvironmentVariableIntValue("PELLUM_TEST_TIME_SCALE"));
    return scale;
}

bool waitFor(const std::function<bool()>& cond, int ms)
{
    QElapsedTimer t;
    t.start();
    ms = scaledMs(ms);
    while (!cond() && t.elapsed() < ms)
        QTest::qWait(10);
    return cond();
}

int rerunOnPrivateBus(int argc, char** argv)
{
    const QString runner = QStandardPaths::findExecutable(QStringLiteral("dbus-run-session"));
    if (runner.isEmpty())
        return -1;
    qputenv("PELLUM_TEST_PRIVATE_BUS", "1");
    QStringList args{QStringLiteral("--"), QCoreApplication::applicationFilePath()};
    for (int i = 1; i < argc; ++i)
        args << QString::fromLocal8Bit(argv[i]);
    return QProcess::execute(runner, args);
}

std::optional<int> onPrivateBus(int argc, char** argv)
{
    if (qEnvironmentVariableIsSet("PELLUM_TEST_PRIVATE_BUS"))
        return std::nullopt;
    {
        QCoreApplication probe(argc, argv);
        const int code = rerunOnPrivateBus(argc, argv);
        if (code != -1)
            return code;
    }
    qunsetenv("DBUS_SESSION_BUS_ADDRESS");
    return std::nullopt;
}
