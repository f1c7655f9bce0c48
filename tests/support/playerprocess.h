#pragma once
// The real player program in a child process, started with arguments in their own bytes (a name that is
// not UTF-8 stays as it is) in a working folder of the test's choosing, with this process's environment.
// Waiting for it processes this process's events, so that a player running in the test itself answers it.
#include <QByteArray>
#include <QList>
#include <QString>

#include <sys/types.h>

class PlayerProcess {
public:
    PlayerProcess() = default;
    ~PlayerProcess();  // a child still running is killed
    PlayerProcess(const PlayerProcess&) = delete;
    PlayerProcess& operator=(const PlayerProcess&) = delete;

    bool start(const QString& program, const QList<QByteArray>& args, const QString& workingFolder = QString());
    bool running();
    // Processes events until the child has ended or `ms` milliseconds have passed; whether it ended.
    bool waitEnded(int ms = 8000);
    // The exit code of a child that ended normally, else -1.
    int exitCode() const { return code_; }
    void signal(int sig);
    pid_t pid() const { return pid_; }

private:
    pid_t pid_ = 0;
    bool ended_ = false;
    int code_ = -1;
};
