#include "player/module1.h"

#include "platform/dialogs.h"
#include "platform/instance/singleinstance.h"
#include "platform/media/mediaplayer.h"
#include "platform/media/mpvengine.h"
#include "platform/programfolder.h"
#include "platform/sessionend.h"
#include "platform/settings.h"
#include "platform/textfile.h"
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
#include <QDir>
#include <QFileInfo>
#include <QIcon>
#include <QPointer>
#include <QSet>
#include <QStringList>
#include <QTimer>
#include <climits>
#include <clocale>
#include <unistd.h>
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
    enum class Kind { None, Main, Compact };
    QPointer<ListBox> list;
    std::function<void()> exit;
    Kind kind = Kind::None;       // which of the two modes the list belongs to
    QStringList handedOver;       // command lines handed over while the start-up ran
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

// A compact start takes up the previous run's list, which the main window's load (on the video
// window's first use) has read from afore.pellum: the compact list is the list the user left, so that
// neither exit nor the background save of the list puts an empty list in its place.
void openCompactPlayer()
{
    pellum::instance().show();
    Form6::instance().List1->AddItems(Form1::instance().List1->items());
    UseCompactPlayer();
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

// A command line's file joins the list and is selected, which plays it: in the compact list window, or
// in the main window's list and rows.
void playInCompactList(const QString& commandLine)
{
    ListBox* list = Form6::instance().List1;
    list->AddItem(commandLine);
    list->setListIndex(list->ListCount() - 1);
}

void playInMainList(Form1& f, const QString& commandLine)
{
    f.List1->AddItem(commandLine);
    f.REL();
    f.List2->setListIndex(f.List2->ListCount() - 1);
}

// Over the window that the user was at, and taking the keys; a minimised window comes back first.
void bringToFront(QWidget* w)
{
    if (w->isMinimized())
        w->setWindowState(w->windowState() & ~Qt::WindowMinimized);
    w->show();
    w->raise();
    w->activateWindow();
}

// The window of the mode in use, or none.
QWidget* windowOfModeInUse()
{
    const ModeInUse& m = mode();
    if (!m.list)
        return nullptr;
    if (m.kind == ModeInUse::Kind::Compact && pellum::isLoaded())
        return &pellum::instance();
    if (m.kind == ModeInUse::Kind::Main && Form1::isLoaded())
        return &Form1::instance();
    return nullptr;
}

// The compact window comes with its video and list windows where they show.
void bringCompactToFront()
{
    if (Form5::isLoaded() && Form5::instance().isVisible())
        Form5::instance().raise();
    if (Form6::isLoaded() && Form6::instance().isVisible())
        Form6::instance().raise();
    bringToFront(&pellum::instance());
}

// What a later start handed over, taken as this player's own command line would be, in the mode in use.
void takeHandedOver(const QString& commandLine)
{
    ModeInUse& m = mode();
    if (m.inMain) {
        m.handedOver << commandLine;
        return;
    }
    const QString upper = commandLine.toUpper();
    QWidget* front = windowOfModeInUse();
    if (upper == QLatin1String("/C")) {
        if (!front && !Form3::isLoaded())
            openCdPlayer();
        bringToFront(&Form3::instance());
        return;
    }
    if (!front) {
        // No mode in use: the CD player runs alone. A file or "/J" starts a mode as a start does.
        if (commandLine.isEmpty() && Form3::isLoaded())
            bringToFront(&Form3::instance());
        else
            Main(commandLine);
        return;
    }
    if (upper == QLatin1String("/J")) {
        if (m.kind == ModeInUse::Kind::Main)
            Form1::instance().sj_Click();
        bringCompactToFront();
        return;
    }
    // To the front first: what the file opens (the RealMedia window, say) comes over it.
    if (m.kind == ModeInUse::Kind::Compact)
        bringCompactToFront();
    else
        bringToFront(front);
    if (!commandLine.isEmpty()) {
        if (m.kind == ModeInUse::Kind::Compact)
            playInCompactList(commandLine);
        else
            playInMainList(Form1::instance(), commandLine);
    }
}

// A file named relative to this start's working folder, named from the root for the player that runs
// in another; in bytes, so a name that is not UTF-8 keeps them. Switches and addresses stay as they are.
QByteArray fromTheRoot(const QByteArray& commandLine)
{
    if (commandLine.isEmpty() || commandLine.startsWith('/') || SHE::IsAddress(QString::fromLatin1(commandLine)))
        return commandLine;
    char here[PATH_MAX];
    if (!::getcwd(here, sizeof here))
        return commandLine;
    // Latin-1 keeps every byte: "." and ".." are cut away without touching the rest of the name.
    return QDir::cleanPath(QString::fromLatin1(QByteArray(here) + '/' + commandLine)).toLatin1();
}

// What sets one player apart: its program folder and its settings file, each by its real place.
QString instanceKey()
{
    const auto real = [](const QString& folder) {
        const QString c = QFileInfo(folder).canonicalFilePath();
        return c.isEmpty() ? QDir::cleanPath(QDir(folder).absolutePath()) : c;
    };
    const QFileInfo settings(SettingsStore::filePath());
    return real(ProgramFolder::path()) + QLatin1Char('\n') + real(settings.absolutePath()) + QLatin1Char('/') +
           settings.fileName();
}

}  // namespace

SingleInstance::Outcome ClaimPlayer(const QByteArray& commandLine)
{
    QString error;
    const SingleInstance::Outcome o = SingleInstance::claim(
        instanceKey(), fromTheRoot(commandLine),
        [](const QByteArray& handed) { takeHandedOver(TextFile::pathText(handed)); }, &error);
    if (o == SingleInstance::Outcome::NoAnswer)
        qWarning("PellumPlayer: a player runs already but did not take the command line: %s", qPrintable(error));
    else if (o == SingleInstance::Outcome::Unguarded)
        qWarning("PellumPlayer: starts after this one cannot reach it (%s); they run as players of their own",
                 qPrintable(error));
    return o;
}

void Main(const QString& commandLine)
{
    // The start-up yields to events (the loading window's status): a session that ends meanwhile ends
    // once the start is through, when the mode in use and the event loop are there to end.
    struct Starting {
        Starting() { mode().inMain = true; }
        ~Starting()
        {
            mode().inMain = false;
            // What was handed over meanwhile is taken first, so that an end that waits stores it.
            for (const QString& line : std::exchange(mode().handedOver, {}))
                QTimer::singleShot(0, qApp, [line] { takeHandedOver(line); });
            if (std::exchange(mode().endWaiting, false))
                QTimer::singleShot(0, qApp, [] { EndSession([] { return false; }); });
        }
    } starting;
    SettingsStore::setFailureHandler(tellSettingsNotSaved);
    const QString upper = commandLine.toUpper();
    const bool compactStart = SettingsStore::GetSetting(QStringLiteral("start")) == QLatin1String("pellum");
    // A file for the main window's player: the engine opens it while the loading window shows and the
    // main window is built.
    const bool mainWindow = upper != QLatin1String("/J") && upper != QLatin1String("/C") && !compactStart;
    if (mainWindow && !Form1::isLoaded() && !commandLine.isEmpty() &&
        Form1::RouteOf(commandLine) == Form1::Route::Player) {
        StartupFile() = commandLine;
        MediaPlayer::PrepareAhead(commandLine);
    }
    loadk::instance().show();
    LanguagePath() = SettingsStore::GetSetting(QStringLiteral("inifn"));
    if (upper == QLatin1String("/J")) {
        openCompactPlayer();
        return;
    }
    if (upper == QLatin1String("/C")) {
        openCdPlayer();
        return;
    }
    loadk::ShowStatus(SHE::LangText(QStringLiteral("loaddata"), QStringLiteral("Loading program data")), 0);
    if (compactStart) {
        openCompactPlayer();
        if (!commandLine.isEmpty())
            playInCompactList(commandLine);
        return;
    }
    Form1& f = Form1::instance();
    f.show();
    UseMainWindow();
    if (!commandLine.isEmpty())
        playInMainList(f, commandLine);
}

void SetModeInUse(ListBox* list, std::function<void()> exit)
{
    ModeInUse& m = mode();
    for (const QMetaObject::Connection& c : m.watching)
        QObject::disconnect(c);
    m.watching.clear();
    m.list = list;
    m.exit = std::move(exit);
    m.kind = ModeInUse::Kind::None;
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
    mode().kind = ModeInUse::Kind::Main;
}

void UseCompactPlayer()
{
    SetModeInUse(Form6::instance().List1, [] {
        if (pellum::isLoaded())
            pellum::instance().Label8_Click();
        else
            QCoreApplication::exit(0);
    });
    mode().kind = ModeInUse::Kind::Compact;
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
    // The list is written: a start from now on is the player itself.
    SingleInstance::release();
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
    // mpv starts on a worker thread at once, while the display is opened and the windows are built; the
    // first engine made takes it. It also settles the locale, with numbers in the "C" form mpv needs.
    MpvEngine::startEarly();
    QApplication app(argc, argv);
    MpvEngine::applicationMade();
    QApplication::setApplicationName(QStringLiteral("PellumPlayer"));
    QApplication::setQuitOnLastWindowClosed(false);
    // The command line is taken whole: a path with blanks arrives as one argument, or as several that
    // are joined again. In its bytes (the application has taken its own options out), so that a name
    // that is not UTF-8 still names its file.
    QByteArray commandLine;
    for (int i = 1; i < argc; ++i) {
        if (i > 1)
            commandLine += ' ';
        commandLine += argv[i];
    }
    switch (ClaimPlayer(commandLine)) {
    case SingleInstance::Outcome::HandedOver:
        return 0;
    case SingleInstance::Outcome::NoAnswer:
        return 1;
    case SingleInstance::Outcome::Alone:
    case SingleInstance::Outcome::Unguarded:
        break;
    }
    SessionEnd::watch([](const std::function<bool()>& mayAsk) { EndSession(mayAsk); });
    Main(TextFile::pathText(commandLine));
    // For start-up measurements: leave as soon as the first window has been shown and painted.
    if (qEnvironmentVariableIsSet("PELLUM_QUIT_WHEN_SHOWN"))
        QTimer::singleShot(0, &app, [] { QCoreApplication::exit(0); });
    return app.exec();
}

}  // namespace Module1
