#pragma once
// A main window of its own for each test, in a temporary program folder with its own settings.
#include "platform/dialogs.h"
#include "platform/media/mediaplayer.h"
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
#include "player/module1.h"
#include "player/rmf.h"
#include "player/tools/dabs.h"
#include "player/tools/form3.h"
#include "player/tools/form4.h"
#include "player/tools/radio.h"
#include "player/tools/scr1.h"
#include "player/tools/scrset.h"
#include "player/tools/shower.h"
#include "tests/support/testenv.h"

#include "Riviviv/brimlet.h"

#include <QApplication>
#include <QCoreApplication>
#include <QLibrary>
#include <QElapsedTimer>
#include <QTimer>
#include <QtTest>
#include <functional>
#include <memory>

#include <sys/stat.h>

inline void releaseWindows()
{
    SingleWindow<Shower>::release();
    SingleWindow<Radio>::release();
    SingleWindow<Form3>::release();
    SingleWindow<Dabs>::release();
    SingleWindow<SCR1>::release();
    SingleWindow<SCRSET>::release();
    SingleWindow<Cs>::release();
    SingleWindow<find>::release();
    SingleWindow<ListEdit>::release();
    SingleWindow<Skins>::release();
    SingleWindow<pellum>::release();
    SingleWindow<Form6>::release();
    SingleWindow<Form5>::release();
    SingleWindow<Form4>::release();
    SingleWindow<RmF>::release();
    SingleWindow<Form2>::release();
    SingleWindow<Form1>::release();
    SingleWindow<Form7>::release();
    SingleWindow<frmAbout>::release();
    SingleWindow<loadk>::release();
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
}

// Registers the built flat-button library in the test's own component registry, as an install does.
inline void registerFlatButtons()
{
#ifdef BRIMLET_PATH
    static QLibrary lib(QStringLiteral(BRIMLET_PATH));
    if (!lib.isLoaded() && !lib.load())
        qFatal("cannot load %s: %s", BRIMLET_PATH, qPrintable(lib.errorString()));
    auto reg = reinterpret_cast<Brimlet::RegisterServerFn>(lib.resolve(Brimlet::RegisterServerName));
    if (!reg || reg() != Brimlet::S_Ok)
        qFatal("cannot register %s", BRIMLET_PATH);
#endif
}

// Answers the notice window's OK as soon as it is shown, and keeps the texts it showed.
struct NoticeWatcher {
    QStringList texts;
    QTimer timer;
    NoticeWatcher()
    {
        timer.setInterval(10);
        QObject::connect(&timer, &QTimer::timeout, [this] {
            if (loadk::isLoaded() && loadk::instance().isVisible() && loadk::instance().Command1->isVisible()) {
                texts << loadk::instance().Label4->text();
                loadk::instance().Command1->click();
            }
        });
        timer.start();
    }
};

// Runs `open`, which shows a window modally, and `during` once a modal window is up (to close it).
inline void whileModal(const std::function<void()>& open, const std::function<void()>& during)
{
    QTimer poll;
    poll.setInterval(10);
    QObject::connect(&poll, &QTimer::timeout, [&] {
        if (!QApplication::activeModalWidget())
            return;
        poll.stop();
        during();
    });
    poll.start();
    open();
}

struct PlayerFixture {
    std::unique_ptr<TestEnv> env;

    // New surroundings and no window yet.
    void freshEnv()
    {
        releaseWindows();
        env.reset();
        env = std::make_unique<TestEnv>();
        registerFlatButtons();
        Module1::LanguagePath().clear();
        Dialogs::clearScript();
    }
    Form1& fresh()
    {
        freshEnv();
        return Form1::instance();
    }
    ~PlayerFixture() { releaseWindows(); }

    // "@x" stands for the path of the test's file x.
    QString at(const QString& line) const
    {
        return line.startsWith(QLatin1Char('@')) ? env->root() + QLatin1Char('/') + line.mid(1) : line;
    }
    QStringList at(QStringList lines) const
    {
        for (QString& l : lines)
            l = at(l);
        return lines;
    }
    // The files that list cases name: a.pellum and b.pellum with their lines (CR LF), link.pellum a link
    // to a.pellum, pipe.pellum a pipe, and the clips s.wav and x.wav. Returns a.pellum's path.
    QString listFiles(const QStringList& aLines, const QStringList& bLines, double seconds)
    {
        auto write = [&](const QString& name, const QStringList& lines) {
            QByteArray bytes;
            for (const QString& l : at(lines))
                bytes += l.toUtf8() + "\r\n";
            return env->writeFile(name, bytes);
        };
        writeWav(env->path(QStringLiteral("s.wav")), seconds);
        writeWav(env->path(QStringLiteral("x.wav")), seconds);
        const QString a = write(QStringLiteral("a.pellum"), aLines);
        write(QStringLiteral("b.pellum"), bLines);
        if (!QFile::link(a, env->path(QStringLiteral("link.pellum"))))
            qFatal("cannot make a link");
        if (::mkfifo(QFile::encodeName(env->path(QStringLiteral("pipe.pellum"))).constData(), 0644) != 0)
            qFatal("cannot make a pipe");
        return a;
    }

    // Paths appended to List1 and rows built, as the open command does.
    static void add(Form1& f, const QStringList& paths)
    {
        for (const QString& p : paths)
            f.List1->AddItem(p);
        f.REL();
    }
};
