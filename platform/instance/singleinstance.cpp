#include "platform/instance/singleinstance.h"

#include <QCoreApplication>
#include <QCryptographicHash>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QLocalServer>
#include <QLocalSocket>
#include <QPointer>
#include <QThread>
#include <QTimer>
#include <QtEndian>

#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

namespace SingleInstance {
namespace {

// A message is its length (four bytes, most significant first) and its bytes; the player that takes it
// answers with this one byte.
constexpr char kTaken = '1';
constexpr quint32 kLongestMessage = 1 << 20;
// How long a start waits for the player that runs to take its message, and how long that player waits
// for a message that has begun to come.
constexpr int kAnswerWait = 10000;
constexpr int kMessageWait = 5000;
// A player that is ending may still accept a connection it never answers: the start tries again, and
// once that player is gone it becomes the player itself.
constexpr int kAttempts = 5;
constexpr int kPauseBetweenAttempts = 200;

QPointer<QLocalServer>& server()
{
    static QPointer<QLocalServer> s;
    return s;
}

QString errnoText() { return QString::fromLocal8Bit(std::strerror(errno)); }

// A folder that only this user may enter: $XDG_RUNTIME_DIR when it is one, else one made for the user
// in the temporary folder. Empty, with the reason in `error`, when neither can be had.
QString runtimeFolder(QString* error)
{
    const uid_t me = ::getuid();
    struct stat st {};
    const QByteArray xdg = qgetenv("XDG_RUNTIME_DIR");
    if (xdg.startsWith('/') && ::stat(xdg.constData(), &st) == 0 && S_ISDIR(st.st_mode) && st.st_uid == me)
        return QFile::decodeName(xdg);
    const QByteArray own = QFile::encodeName(QDir::tempPath()) + "/pellumplayer-" + QByteArray::number(me);
    if (::mkdir(own.constData(), 0700) != 0 && errno != EEXIST) {
        *error = QStringLiteral("%1 cannot be made: %2").arg(QFile::decodeName(own), errnoText());
        return QString();
    }
    // Made by someone else, or a link to elsewhere: not a place to listen in.
    if (::lstat(own.constData(), &st) != 0 || !S_ISDIR(st.st_mode) || st.st_uid != me) {
        *error = QStringLiteral("%1 is not a folder of this user's own").arg(QFile::decodeName(own));
        return QString();
    }
    if ((st.st_mode & 077) != 0 && ::chmod(own.constData(), 0700) != 0) {
        *error = QStringLiteral("%1 cannot be closed to others: %2").arg(QFile::decodeName(own), errnoText());
        return QString();
    }
    return QFile::decodeName(own);
}

// The lock that puts starts in turn while one of them looks for a player and, finding none, listens.
class TurnLock {
public:
    explicit TurnLock(const QString& path)
    {
        fd_ = ::open(QFile::encodeName(path).constData(), O_RDWR | O_CREAT | O_CLOEXEC, 0600);
        if (fd_ < 0) {
            error_ = errnoText();
            return;
        }
        int rc;
        do
            rc = ::flock(fd_, LOCK_EX);
        while (rc != 0 && errno == EINTR);
        if (rc != 0) {
            error_ = errnoText();
            ::close(fd_);
            fd_ = -1;
        }
    }
    ~TurnLock() { unlock(); }
    TurnLock(const TurnLock&) = delete;
    TurnLock& operator=(const TurnLock&) = delete;
    bool held() const { return fd_ >= 0; }
    QString error() const { return error_; }
    // Closing the file lets the next start in; so does the end of the process, however it ends.
    void unlock()
    {
        if (fd_ >= 0)
            ::close(fd_);
        fd_ = -1;
    }

private:
    int fd_ = -1;
    QString error_;
};

// Takes one message from a start that connected, answers it and passes it on.
void serve(QLocalSocket* peer, const std::function<void(const QByteArray&)>& received)
{
    QObject::connect(peer, &QLocalSocket::disconnected, peer, &QObject::deleteLater);
    // A start that connects and sends nothing (or too little) is not waited for.
    QTimer::singleShot(kMessageWait, peer, [peer] {
        peer->abort();
        peer->deleteLater();
    });
    auto buffer = std::make_shared<QByteArray>();
    auto done = std::make_shared<bool>(false);
    QObject::connect(peer, &QLocalSocket::readyRead, peer, [peer, received, buffer, done] {
        if (*done) {
            peer->readAll();
            return;
        }
        buffer->append(peer->readAll());
        if (buffer->size() < 4)
            return;
        const quint32 length = qFromBigEndian<quint32>(buffer->constData());
        if (length > kLongestMessage) {
            peer->abort();
            peer->deleteLater();
            return;
        }
        if (quint32(buffer->size()) - 4 < length)
            return;
        *done = true;
        const QByteArray message = buffer->mid(4, qsizetype(length));
        buffer->clear();
        // Answered first: what the message sets going may take a while (or show a message box), and
        // the start must not wait on it.
        peer->write(&kTaken, 1);
        peer->flush();
        // Passed on from the event loop, not from inside this socket's signal: what the message sets
        // going may yield to events, and the start, answered, ends the connection meanwhile, which
        // deletes this socket under its own signal.
        if (received)
            QMetaObject::invokeMethod(
                QCoreApplication::instance(), [received, message] { received(message); }, Qt::QueuedConnection);
    });
}

bool listen(const QString& path, std::function<void(const QByteArray&)> received, QString* error)
{
    // Under the lock, with no player answering: whatever lies at the path is left from a player that
    // is gone.
    QLocalServer::removeServer(path);
    auto* s = new QLocalServer(QCoreApplication::instance());
    if (!s->listen(path)) {
        *error = QStringLiteral("%1 cannot be listened on: %2").arg(path, s->errorString());
        delete s;
        return false;
    }
    QObject::connect(s, &QLocalServer::newConnection, s, [s, received] {
        while (QLocalSocket* peer = s->nextPendingConnection())
            serve(peer, received);
    });
    server() = s;
    return true;
}

enum class Handing { Taken, Gone, Silent };

// Sends the message over a connected socket and waits for the answer. Gone: the player ended the
// connection without taking it (it was ending).
Handing hand(QLocalSocket& s, const QByteArray& message)
{
    QByteArray frame(4, Qt::Uninitialized);
    qToBigEndian<quint32>(quint32(message.size()), frame.data());
    frame += message;
    s.write(frame);
    QElapsedTimer clock;
    clock.start();
    while (s.bytesToWrite() > 0 && s.state() == QLocalSocket::ConnectedState && clock.elapsed() < kAnswerWait)
        s.waitForBytesWritten(int(kAnswerWait - clock.elapsed()));
    while (s.bytesAvailable() < 1 && s.state() == QLocalSocket::ConnectedState && clock.elapsed() < kAnswerWait)
        s.waitForReadyRead(int(kAnswerWait - clock.elapsed()));
    char answer = 0;
    if (s.bytesAvailable() >= 1 && s.getChar(&answer) && answer == kTaken)
        return Handing::Taken;
    return s.state() == QLocalSocket::ConnectedState ? Handing::Silent : Handing::Gone;
}

}  // namespace

QString socketPath(const QString& key, QString* error)
{
    QString why;
    const QString folder = runtimeFolder(&why);
    if (folder.isEmpty()) {
        if (error)
            *error = why;
        return QString();
    }
    const QByteArray digest = QCryptographicHash::hash(key.toUtf8(), QCryptographicHash::Sha256).toHex().left(24);
    return folder + QStringLiteral("/pellumplayer-") + QString::fromLatin1(digest) + QStringLiteral(".socket");
}

Outcome claim(const QString& key, const QByteArray& message, std::function<void(const QByteArray&)> received,
              QString* error)
{
    QString why;
    auto fail = [&](Outcome o, const QString& text) {
        if (error)
            *error = text;
        return o;
    };
    if (message.size() > qsizetype(kLongestMessage))
        return fail(Outcome::Unguarded, QStringLiteral("the command line is too long to hand over"));
    const QString path = socketPath(key, &why);
    if (path.isEmpty())
        return fail(Outcome::Unguarded, why);
    for (int attempt = 0; attempt < kAttempts; ++attempt) {
        if (attempt > 0)
            QThread::msleep(kPauseBetweenAttempts);
        TurnLock lock(path + QStringLiteral(".lock"));
        if (!lock.held())
            return fail(Outcome::Unguarded, QStringLiteral("%1.lock cannot be locked: %2").arg(path, lock.error()));
        QLocalSocket s;
        s.connectToServer(path);
        if (!s.waitForConnected(1000)) {
            const QLocalSocket::LocalSocketError e = s.error();
            if (e != QLocalSocket::ServerNotFoundError && e != QLocalSocket::ConnectionRefusedError)
                return fail(Outcome::NoAnswer, QStringLiteral("%1: %2").arg(path, s.errorString()));
            // Nobody listens there: this start is the player.
            if (!listen(path, std::move(received), &why))
                return fail(Outcome::Unguarded, why);
            return Outcome::Alone;
        }
        lock.unlock();
        switch (hand(s, message)) {
        case Handing::Taken:
            s.disconnectFromServer();
            return Outcome::HandedOver;
        case Handing::Silent:
            return fail(Outcome::NoAnswer, QStringLiteral("the player that runs did not answer in %1 seconds")
                                               .arg(kAnswerWait / 1000));
        case Handing::Gone:
            break;
        }
    }
    return fail(Outcome::NoAnswer, QStringLiteral("the player that runs kept ending the connection"));
}

void release() { delete server().data(); }

}  // namespace SingleInstance
