// The dialogs service: scripted answers, the offscreen fallback, and the filter translation.
#include "platform/dialogs.h"

#include <QApplication>
#include <QtTest>

class DialogsTest : public QObject {
    Q_OBJECT
private slots:
    void init() { Dialogs::clearScript(); }

    void scriptedAnswersAreTakenInOrder()
    {
        Dialogs::answer(Dialogs::Yes);
        Dialogs::answer(QStringLiteral("http://example.org/a.rm"));
        Dialogs::answer(QStringLiteral("/m/x.mp3"));
        Dialogs::answer(QStringLiteral("Secret"));
        QCOMPARE(Dialogs::MsgBox("Sure?", Dialogs::YesNo), int(Dialogs::Yes));
        QCOMPARE(Dialogs::InputBox("Please enter a URL for play", "PellumPlayer"),
                 QStringLiteral("http://example.org/a.rm"));
        QCOMPARE(Dialogs::ShowOpen("Media Files|*.wav", Dialogs::Explorer | Dialogs::AllowMultiSelect),
                 QStringLiteral("/m/x.mp3"));
        QCOMPARE(Dialogs::PasswordBox("Please enter the password", "PellumPlayer"), QStringLiteral("Secret"));
        QCOMPARE(Dialogs::shown().size(), 4);
        QCOMPARE(Dialogs::shown().at(1).kind, QStringLiteral("input"));
        QCOMPARE(Dialogs::shown().at(2).flags, 524800);
        QCOMPARE(Dialogs::shown().at(3).kind, QStringLiteral("password"));
        QCOMPARE(Dialogs::shown().at(3).title, QStringLiteral("PellumPlayer"));
    }

    void unansweredDialogsCancelOffscreen()
    {
        QCOMPARE(Dialogs::InputBox("Name?"), QString());
        QCOMPARE(Dialogs::PasswordBox("Password?"), QString());
        QCOMPARE(Dialogs::ShowSave("PellumPlayer List(*.pellum)|*.pellum", Dialogs::OverwritePrompt), QString());
        QCOMPARE(Dialogs::MsgBox("Delete?", Dialogs::YesNo), int(Dialogs::No));
        QCOMPARE(Dialogs::MsgBox("Note", Dialogs::OKOnly), int(Dialogs::OK));
    }

    void filterTranslation_data()
    {
        QTest::addColumn<QString>("vb");
        QTest::addColumn<QString>("qt");
        QTest::newRow("two groups") << "Media Files|*.wav;*.mp3|All Files|*.*"
                                    << "Media Files (*.wav *.mp3);;All Files (*)";
        QTest::newRow("description with patterns") << "PellumPlayer List(*.pellum;*.m3u;*.pls)|*.pellum;*.m3u;*.pls"
                                                    << "PellumPlayer List (*.pellum *.m3u *.pls)";
    }
    void filterTranslation()
    {
        QFETCH(QString, vb);
        QFETCH(QString, qt);
        QCOMPARE(Dialogs::qtFilter(vb), qt);
    }
};

QTEST_MAIN(DialogsTest)
#include "test_dialogs.moc"
