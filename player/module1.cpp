#include "player/module1.h"

#include "platform/dialogs.h"
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
#include "player/rmf.h"
#include "player/tools/form4.h"
#include "player/tools/radio.h"
#include "player/tools/scr1.h"
#include "player/tools/scrset.h"
#include "player/tools/shower.h"
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

namespace {

void openCdPlayer() { Form1::instance().show(); }

// A settings file that cannot be written is told once: the player goes on with the values in memory.
void tellSettingsNotSaved(const QString& file, const QString& reason)
{
    Dialogs::MsgBox(QStringLiteral("Your settings could not be saved to %1: %2.\r\nPellumPlayer goes on, but "
                                   "what you change now is forgotten when it ends.").arg(file, reason),
                    Dialogs::OKOnly, QStringLiteral("PellumPlayer"));
}

}  // namespace

void Main(const QString& commandLine)
{
    SettingsStore::setFailureHandler(tellSettingsNotSaved);
    loadk::instance().show();
    LanguagePath() = SettingsStore::GetSetting(QStringLiteral("inifn"));
    const QString upper = commandLine.toUpper();
    if (upper == QLatin1String("/J")) {
        pellum::instance().show();
        return;
    }
    if (upper == QLatin1String("/C")) {
        openCdPlayer();
        return;
    }
    loadk::ShowStatus(SHE::LangText(QStringLiteral("loaddata"), QStringLiteral("Loading program data")), 0);
    if (SettingsStore::GetSetting(QStringLiteral("start")) == QLatin1String("pellum")) {
        pellum::instance().show();
        if (!commandLine.isEmpty()) {
            ListBox* list = Form6::instance().List1;
            list->AddItem(commandLine);
            list->setListIndex(list->ListCount() - 1);
        }
        return;
    }
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
    SingleWindow<Shower>::release();
    SingleWindow<Radio>::release();
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
    Main(args.join(QLatin1Char(' ')));
    // For start-up measurements: leave as soon as the first window has been shown and painted.
    if (qEnvironmentVariableIsSet("PELLUM_QUIT_WHEN_SHOWN"))
        QTimer::singleShot(0, &app, [] { QCoreApplication::exit(0); });
    return app.exec();
}

}  // namespace Module1
