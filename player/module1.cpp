#include "player/module1.h"

#include "platform/settings.h"
#include "player/form1.h"
#include "player/form2.h"
#include "player/form7.h"
#include "player/frmabout.h"
#include "player/loadk.h"
#include "player/rmf.h"
#include "player/tools/form4.h"
#include "player/she.h"

#include <QApplication>
#include <QIcon>
#include <QStringList>
#include <QTimer>
#include <clocale>

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

// Windows that later parts of the program open from the command line.
void openCompactPlayer(const QString& file)
{
    // The compact mode is not built yet: the main window stands in for it.
    Form1& f = Form1::instance();
    f.show();
    if (!file.isEmpty()) {
        f.List1->AddItem(file);
        f.REL();
        f.List2->setListIndex(f.List2->ListCount() - 1);
    }
}

void openCdPlayer() { Form1::instance().show(); }

}  // namespace

void Main(const QString& commandLine)
{
    loadk::instance().show();
    LanguagePath() = SettingsStore::GetSetting(QStringLiteral("inifn"));
    const QString upper = commandLine.toUpper();
    if (upper == QLatin1String("/J")) {
        openCompactPlayer(QString());
        return;
    }
    if (upper == QLatin1String("/C")) {
        openCdPlayer();
        return;
    }
    loadk::ShowStatus(SHE::LangText(QStringLiteral("loaddata"), QStringLiteral("Loading program data")), 0);
    if (SettingsStore::GetSetting(QStringLiteral("start")) == QLatin1String("pellum")) {
        openCompactPlayer(commandLine);
        return;
    }
    if (!Form1::isLoaded() && !commandLine.isEmpty() && Form1::RouteOf(commandLine) == Form1::Route::Player)
        StartupFile() = commandLine;
    Form1& f = Form1::instance();
    f.show();
    if (!commandLine.isEmpty()) {
        f.List1->AddItem(commandLine);
        f.REL();
        f.List2->setListIndex(f.List2->ListCount() - 1);
    }
}

void EndProgram()
{
    SingleWindow<Form7>::release();
    SingleWindow<frmAbout>::release();
    SingleWindow<loadk>::release();
    SingleWindow<RmF>::release();
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
    Main(args.join(QLatin1Char(' ')));
    // For start-up measurements: leave as soon as the first window has been shown and painted.
    if (qEnvironmentVariableIsSet("PELLUM_QUIT_WHEN_SHOWN"))
        QTimer::singleShot(0, &app, [] { QCoreApplication::exit(0); });
    return app.exec();
}

}  // namespace Module1
