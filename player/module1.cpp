#include "player/module1.h"

#include "platform/dialogs.h"
#include "platform/programfolder.h"
#include "platform/sessionend.h"
#include "platform/settings.h"
#include "player/compact/cs.h"
#include "player/compact/find.h"
#include "player/compact/listedit.h"
#include "player/compact/form5.h"
#include "player/compact/form6.h"
#include "player/compact/pellum.h"
#include "player/compact/skins.h"
#include "player/form1.h"
#include "player/form2.h"
#include "player/form7.h"
#include "player/frmabout.h"
#include "player/loadk.h"
#include "player/playlistfile.h"
#include "player/rmf.h"
#include "player/tools/dabs.h"
#include "player/tools/form3.h"
#include "player/tools/form4.h"
#include "player/tools/radio.h"
#include "player/tools/scr1.h"
#include "player/tools/scrset.h"
#include "player/tools/shower.h"
#include "player/she.h"

#include <QApplication>
#include <QIcon>
#include <QPointer>
#include <QSet>
#include <QStringList>
#include <QTimer>
#include <clocale>
#include <utility>

namespace Module1 {

QString& LanguagePath()
{
    static QString path;
    return path;
}

QString& StartupFile()
{
    static QString path;
    return path;
}

namespace {

struct ModeInUse {
    QPointer<ListBox> list;
    std::function<void()> exit;
    QList<QMetaObject::Connection> watching;
    QTimer* writeTimer = nullptr;
    QSet<QString> toldLeftOut;     // left-out paths the user has heard of from a write of the list
    bool toldNotSaved = false;     // the user has heard that the list could not be saved, and no save has worked since
    std::function<bool()> mayAsk;  // set while the session ends
    bool inMain = false;           // Main is running: an end asked for now waits until it is through
    bool endWaiting = false;
};

ModeInUse& mode()
{
    static ModeInUse m;
    return m;
}

// The list of the mode in use, written as the exit writes it but on a worker thread. A path left out is
// told once in the session. A list that cannot be saved is told once, until a save works again: every
// change would only fail the same way, and the exit tells again and offers to save the list elsewhere.
void writeModeList()
{
    ModeInUse& m = mode();
    if (!m.list)
        return;
    const QString afore = ProgramFolder::file(QStringLiteral("afore.pellum"));
    QStringList leftOut;
    PlayListFile::writeLater(afore, m.list->items(), &leftOut, [afore](bool written, const QString& error) {
        ModeInUse& now = mode();
        if (written) {
            now.toldNotSaved = false;
            return;
        }
        if (now.toldNotSaved || !now.list || !MayAskUser())
            return;
        now.toldNotSaved = true;
        Dialogs::MsgBox(PlayListFile::notSavedText(afore, error), Dialogs::OKOnly, QStringLiteral("PellumPlayer"),
                        now.list->window());
    });
    QStringList news;
    for (const QString& p : leftOut)
        if (!m.toldLeftOut.contains(p))
            news << p;
    m.toldLeftOut.unite(QSet<QString>(news.begin(), news.end()));
    if (MayAskUser())
        PlayListFile::tellLeftOut(afore, news, m.list->window());
}

// A settings file that cannot be written is told once: the player goes on with the values in memory.
void tellSettingsNotSaved(const QString& file, const QString& reason)
{
    // While the session ends nobody may be there to answer: the log tells instead.
    if (!MayAskUser()) {
        qWarning("PellumPlayer: the settings could not be saved to %s: %s", qPrintable(file), qPrintable(reason));
        return;
    }
    Dialogs::MsgBox(QStringLiteral("Your settings could not be saved to %1: %2.\r\nPellumPlayer goes on, but "
                                   "what you change now is forgotten when it ends.").arg(file, reason),
                    Dialogs::OKOnly, QStringLiteral("PellumPlayer"));
}

// Started alone, the program ends with the CD player unless the main window was opened meanwhile.
void openCdPlayer()
{
    Form3& f = Form3::instance();
    QObject::connect(&f, &Form3::unloaded, [] {
        if (!Form1::isLoaded())
            EndProgram();
    });
    f.show();
}

}  // namespace

void Main(const QString& commandLine)
{
    // The start-up yields to events (the loading window's status): a session that ends meanwhile ends
    // once the start is through, when the mode in use and the event loop are there to end.
    struct Starting {
        Starting() { mode().inMain = true; }
        ~Starting()
        {
            mode().inMain = false;
            if (std::exchange(mode().endWaiting, false))
                QTimer::singleShot(0, qApp, [] { EndSession([] { return false; }); });
        }
    } starting;
    SettingsStore::setFailureHandler(tellSettingsNotSaved);
    loadk::instance().show();
    LanguagePath() = SettingsStore::GetSetting(QStringLiteral("inifn"));
    const QString upper = commandLine.toUpper();
    if (upper == QLatin1String("/J")) {
        pellum::instance().show();
        UseCompactPlayer();
        return;
    }
    if (upper == QLatin1String("/C")) {
        openCdPlayer();
        return;
    }
    loadk::ShowStatus(SHE::LangText(QStringLiteral("loaddata"), QStringLiteral("Loading program data")), 0);
    if (SettingsStore::GetSetting(QStringLiteral("start")) == QLatin1String("pellum")) {
        pellum::instance().show();
        UseCompactPlayer();
        if (!commandLine.isEmpty()) {
            ListBox* list = Form6::instance().List1;
            list->AddItem(commandLine);
            list->setListIndex(list->ListCount() - 1);
        }
        return;
    }
    if (!Form1::isLoaded() && !commandLine.isEmpty() && Form1::RouteOf(commandLine) == Form1::Route::Player)
        StartupFile() = commandLine;
    Form1& f = Form1::instance();
    f.show();
    UseMainWindow();
    if (!commandLine.isEmpty()) {
        f.List1->AddItem(commandLine);
        f.REL();
        f.List2->setListIndex(f.List2->ListCount() - 1);
    }
}

void SetModeInUse(ListBox* list, std::function<void()> exit)
{
    ModeInUse& m = mode();
    for (const QMetaObject::Connection& c : m.watching)
        QObject::disconnect(c);
    m.watching.clear();
    m.list = list;
    m.exit = std::move(exit);
    if (!m.writeTimer) {
        m.writeTimer = new QTimer(qApp);
        m.writeTimer->setSingleShot(true);
        m.writeTimer->setInterval(ListWriteDelay);
        QObject::connect(m.writeTimer, &QTimer::timeout, qApp, writeModeList);
    }
    m.writeTimer->stop();
    if (!list)
        return;
    // Every change restarts the wait, so a run of changes is written once.
    QAbstractItemModel* model = list->model();
    QTimer* t = m.writeTimer;
    auto changed = [t] { t->start(); };
    m.watching = {
        QObject::connect(model, &QAbstractItemModel::rowsInserted, t, changed),
        QObject::connect(model, &QAbstractItemModel::rowsRemoved, t, changed),
        QObject::connect(model, &QAbstractItemModel::rowsMoved, t, changed),
        QObject::connect(model, &QAbstractItemModel::modelReset, t, changed),
        QObject::connect(model, &QAbstractItemModel::dataChanged, t, changed),
        QObject::connect(model, &QAbstractItemModel::layoutChanged, t, changed),
    };
}

void UseMainWindow()
{
    QPointer<Form1> main(&Form1::instance());
    SetModeInUse(main->List1, [main] {
        if (main)
            main->exitc_Click();
        else
            QCoreApplication::exit(0);
    });
}

void UseCompactPlayer()
{
    SetModeInUse(Form6::instance().List1, [] {
        if (pellum::isLoaded())
            pellum::instance().Label8_Click();
        else
            QCoreApplication::exit(0);
    });
}

void ExitModeInUse()
{
    // Copied: the exit road may put another mode in place while it runs.
    const std::function<void()> exit = mode().exit;
    if (exit)
        exit();
    else
        QCoreApplication::exit(0);
}

void EndSession(const std::function<bool()>& mayAsk)
{
    if (mode().inMain) {
        mode().endWaiting = true;
        return;
    }
    mode().mayAsk = mayAsk;
    ExitModeInUse();
    mode().mayAsk = nullptr;
}

bool MayAskUser() { return !mode().mayAsk || mode().mayAsk(); }

void EndProgram()
{
    SingleWindow<Shower>::release();
    SingleWindow<Radio>::release();
    SetModeInUse(nullptr, nullptr);
    SingleWindow<Dabs>::release();
    SingleWindow<SCR1>::release();
    SingleWindow<SCRSET>::release();
    SingleWindow<Form7>::release();
    SingleWindow<Cs>::release();
    SingleWindow<find>::release();
    SingleWindow<frmAbout>::release();
    SingleWindow<ListEdit>::release();
    SingleWindow<loadk>::release();
    SingleWindow<RmF>::release();
    SingleWindow<Skins>::release();
    SingleWindow<pellum>::release();
    SingleWindow<Form6>::release();
    SingleWindow<Form5>::release();
    SingleWindow<Form4>::release();
    SingleWindow<Form2>::release();
    SingleWindow<Form1>::release();
    QCoreApplication::exit(0);
}

int run(int argc, char** argv)
{
    QApplication app(argc, argv);
    QApplication::setApplicationName(QStringLiteral("PellumPlayer"));
    QApplication::setQuitOnLastWindowClosed(false);
    // mpv refuses to start under a locale whose decimal point is not ".".
    std::setlocale(LC_NUMERIC, "C");
    // The command line is taken whole: a path with blanks arrives as one argument, or as several that
    // are joined again.
    QStringList args = QCoreApplication::arguments();
    args.removeFirst();
    SessionEnd::watch([](const std::function<bool()>& mayAsk) { EndSession(mayAsk); });
    Main(args.join(QLatin1Char(' ')));
    // For start-up measurements: leave as soon as the first window has been shown and painted.
    if (qEnvironmentVariableIsSet("PELLUM_QUIT_WHEN_SHOWN"))
        QTimer::singleShot(0, &app, [] { QCoreApplication::exit(0); });
    return app.exec();
}

}  // namespace Module1
