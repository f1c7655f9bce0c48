// The exit road when afore.pellum cannot be written.
#include "platform/programfolder.h"
#include "player/playlistfile.h"
#include "tests/player_fixture.h"

#include <QDir>
#include <QFileInfo>

#include <csignal>
#include <sys/resource.h>

namespace {

QList<Dialogs::Shown> shownOf(const QString& kind)
{
    QList<Dialogs::Shown> out;
    for (const Dialogs::Shown& s : Dialogs::shown())
        if (s.kind == kind)
            out << s;
    return out;
}

// Writes beyond `bytes` fail, as on a full disk, while it lives.
struct FileSizeLimit {
    rlimit before{};
    explicit FileSizeLimit(rlim_t bytes)
    {
        ::signal(SIGXFSZ, SIG_IGN);
        ::getrlimit(RLIMIT_FSIZE, &before);
        rlimit small = before;
        small.rlim_cur = bytes;
        ::setrlimit(RLIMIT_FSIZE, &small);
    }
    ~FileSizeLimit()
    {
        ::setrlimit(RLIMIT_FSIZE, &before);
        ::signal(SIGXFSZ, SIG_DFL);
    }
};

}  // namespace

class ShutdownTest : public QObject {
    Q_OBJECT
    PlayerFixture fx;

    QString afore() const { return ProgramFolder::file(QStringLiteral("afore.pellum")); }

    QStringList rows(int n) const
    {
        QStringList out;
        for (int i = 0; i < n; ++i)
            out << QStringLiteral("/home/user/Music/Album/track number %1.wav").arg(i);
        return out;
    }

private slots:
    // afore.pellum cannot be written at exit: the user is told, the file there before stays whole, and the
    // exit goes on.
    void exitWriteFailureIsTold_data()
    {
        QTest::addColumn<bool>("folderInPlace");
        QTest::addColumn<int>("count");
        QTest::newRow("a folder in its place") << true << 3;
        QTest::newRow("disk full") << false << 3000;
        QTest::newRow("a folder in its place, empty list") << true << 0;
    }
    void exitWriteFailureIsTold()
    {
        QFETCH(bool, folderInPlace);
        QFETCH(int, count);
        Form1& f = fx.fresh();
        const QByteArray before = "/m/previous.wav\r\n";
        if (folderInPlace)
            QVERIFY(QDir().mkpath(afore()));
        else
            fx.env->writeFile(afore(), before);
        PlayerFixture::add(f, rows(count));
        {
            std::optional<FileSizeLimit> full;
            if (!folderInPlace)
                full.emplace(64 * 1024);
            f.exitc_Click();  // the question is not answered: No
        }
        const QList<Dialogs::Shown> told = shownOf("msgbox");
        QCOMPARE(told.size(), 1);
        QVERIFY2(told[0].text.startsWith("The play list could not be saved as " + afore() + " ("), qPrintable(told[0].text));
        QVERIFY(told[0].text.contains(folderInPlace ? "(Filename refers to a directory)" : "(File too large)"));
        QVERIFY(told[0].text.contains("The list saved there before is kept unchanged."));
        QCOMPARE(told[0].flags, count ? int(Dialogs::YesNo) : int(Dialogs::OKOnly));
        QVERIFY(shownOf("save").isEmpty());
        if (folderInPlace)
            QVERIFY(QFileInfo(afore()).isDir());
        else
            QCOMPARE(fx.env->readFile(afore()), before);
        QCOMPARE(QDir(fx.env->home()).entryList({"afore.pellum.*"}, QDir::Files | QDir::Hidden), QStringList());
        QCOMPARE(SettingsStore::GetSetting("start"), QStringLiteral("form1"));
        QVERIFY(!Form1::isLoaded());
    }

    // The user takes the offer: the save dialog of the list's export; a place that cannot be written is
    // told and the offer made again.
    void exitWriteFailureOffersSavingElsewhere()
    {
        Form1& f = fx.fresh();
        QVERIFY(QDir().mkpath(afore()));
        PlayerFixture::add(f, {"/m/a.wav", "/m/b.wav"});
        const QString elsewhere = fx.env->path("elsewhere.pellum");
        for (const QVariant& a : QVariantList{int(Dialogs::Yes), fx.env->home(), int(Dialogs::OK), int(Dialogs::Yes), elsewhere})
            Dialogs::answer(a);
        f.exitc_Click();
        QStringList kinds;
        for (const Dialogs::Shown& s : Dialogs::shown())
            kinds << s.kind;
        QCOMPARE(kinds, (QStringList{"msgbox", "save", "msgbox", "msgbox", "save"}));
        QCOMPARE(Dialogs::shown()[1].text, QStringLiteral("PellumPlayer List(*.pellum)|*.pellum"));
        QCOMPARE(Dialogs::shown()[2].text, "Could not write the list to " + fx.env->home());
        QCOMPARE(fx.env->readFile(elsewhere), QByteArray("/m/a.wav\r\n/m/b.wav\r\n"));
    }

};

QTEST_MAIN(ShutdownTest)
#include "test_shutdown.moc"
