#include "tests/support/playerprocess.h"

#include "tests/support/testenv.h"

#include <QFile>

#include <csignal>
#include <spawn.h>
#include <sys/wait.h>
#include <vector>

extern char** environ;

PlayerProcess::~PlayerProcess()
{
    if (pid_ > 0 && running()) {
        ::kill(pid_, SIGKILL);
        ::waitpid(pid_, nullptr, 0);
    }
}

bool PlayerProcess::start(const QString& program, const QList<QByteArray>& args, const QString& workingFolder)
{
    QList<QByteArray> all{QFile::encodeName(program)};
    all += args;
    std::vector<char*> argv;
    for (QByteArray& a : all)
        argv.push_back(a.data());
    argv.push_back(nullptr);
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    const QByteArray folder = QFile::encodeName(workingFolder);
    if (!folder.isEmpty())
        posix_spawn_file_actions_addchdir_np(&actions, folder.constData());
    const int rc = posix_spawn(&pid_, argv[0], &actions, nullptr, argv.data(), environ);
    posix_spawn_file_actions_destroy(&actions);
    if (rc != 0)
        pid_ = 0;
    return rc == 0;
}

bool PlayerProcess::running()
{
    if (pid_ <= 0 || ended_)
        return false;
    int status = 0;
    if (::waitpid(pid_, &status, WNOHANG) != pid_)
        return true;
    ended_ = true;
    code_ = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
    return false;
}

bool PlayerProcess::waitEnded(int ms)
{
    return waitFor([this] { return !running(); }, ms);
}

void PlayerProcess::signal(int sig)
{
    if (running())
        ::kill(pid_, sig);
}
