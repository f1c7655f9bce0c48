// Message boxes on a real display: each shows the icon of the style it is given (none, critical,
// question, exclamation, information) and the buttons of that style, answered by a real key; the
// Folder Info totals stand in one column under each other.
#include "player/compact/find.h"
#include "tests/player_fixture.h"
#include "tests/xlane/xsession.h"

#include <QApplication>
#include <QDir>
#include <QLabel>
#include <QMessageBox>
#include <QPainter>
#include <QPushButton>
#include <QScreen>
#include <QStyle>

namespace {

QMessageBox* shownBox()
{
    return qobject_cast<QMessageBox*>(QApplication::activeModalWidget());
}

// What the X server shows of a widget.
QImage onScreen(QWidget* w)
{
    const QPoint at = w->mapToGlobal(QPoint(0, 0));
    return QGuiApplication::primaryScreen()->grabWindow(0, at.x(), at.y(), w->width(), w->height()).toImage().convertToFormat(QImage::Format_RGB32);
}

// Where each line of text in a picture of a label starts its last column: the first inked pixel
// after a gap wider than the spaces between words.
QList<int> lastColumnStarts(const QImage& img)
{
    const QRgb paper = img.pixel(0, 0);
    auto inked = [&](int x, int y) { return qGray(img.pixel(x, y)) < qGray(paper) - 60; };
    QList<int> starts;
    int y = 0;
    while (y < img.height()) {
        auto rowInked = [&](int row) {
            for (int x = 0; x < img.width(); ++x)
                if (inked(x, row))
                    return true;
            return false;
        };
        if (!rowInked(y)) {
            ++y;
            continue;
        }
        const int top = y;
        while (y < img.height() && rowInked(y))
            ++y;
        int start = -1, gap = 0;
        for (int x = 0; x < img.width(); ++x) {
            bool ink = false;
            for (int r = top; r < y && !ink; ++r)
                ink = inked(x, r);
            if (ink) {
                if (start < 0 || gap > 8)
                    start = x;
                gap = 0;
            } else {
                ++gap;
            }
        }
        starts << start;
    }
    return starts;
}

}  // namespace

class TestXMessageBox : public QObject {
    Q_OBJECT
    PlayerFixture fx;

private slots:
    void cleanup() { releaseWindows(); }

    void iconOfTheStyle_data()
    {
        QTest::addColumn<int>("style");
        QTest::addColumn<int>("icon");  // a QStyle::StandardPixmap, or -1 for none
        QTest::addColumn<int>("buttons");
        QTest::addColumn<QString>("keyName");
        QTest::addColumn<int>("answer");
        QTest::newRow("OK only, no icon") << 0 << -1 << int(QMessageBox::Ok) << "Return" << int(Dialogs::OK);
        QTest::newRow("critical") << 16 << int(QStyle::SP_MessageBoxCritical) << int(QMessageBox::Ok) << "Return" << int(Dialogs::OK);
        QTest::newRow("question, yes and no") << 36 << int(QStyle::SP_MessageBoxQuestion)
                                              << int(QMessageBox::Yes | QMessageBox::No) << "n" << int(Dialogs::No);
        QTest::newRow("exclamation, OK and Cancel") << 49 << int(QStyle::SP_MessageBoxWarning)
                                                    << int(QMessageBox::Ok | QMessageBox::Cancel) << "Escape" << int(Dialogs::Cancel);
        QTest::newRow("information") << 64 << int(QStyle::SP_MessageBoxInformation) << int(QMessageBox::Ok) << "Return"
                                     << int(Dialogs::OK);
    }
    void iconOfTheStyle()
    {
        QFETCH(int, style);
        QFETCH(int, icon);
        QFETCH(int, buttons);
        QFETCH(QString, keyName);
        QFETCH(int, answer);
        fx.freshEnv();
        int result = -1;
        QImage iconShown, expected;
        QImage inkOnScreen;
        bool iconVisible = false;
        int shownButtons = 0;
        whileModal([&] { result = Dialogs::MsgBox("Something to tell", style, "Title"); },
                   [&] {
                       QMessageBox* box = shownBox();
                       if (!box || !QTest::qWaitForWindowExposed(box))
                           return;
                       XInput::settle(300);
                       shownButtons = int(box->standardButtons());
                       auto* label = box->findChild<QLabel*>(QStringLiteral("qt_msgboxex_icon_label"));
                       iconVisible = label && label->isVisible() && !label->pixmap().isNull();
                       if (iconVisible && icon >= 0) {
                           const int size = box->style()->pixelMetric(QStyle::PM_MessageBoxIconSize, nullptr, box);
                           expected = box->style()
                                          ->standardIcon(QStyle::StandardPixmap(icon), nullptr, box)
                                          .pixmap(QSize(size, size), box->devicePixelRatio())
                                          .toImage();
                           iconShown = label->pixmap().toImage();
                           inkOnScreen = onScreen(label);
                       }
                       XInput::key(keyName);
                   });
        QTRY_VERIFY(!QApplication::activeModalWidget());
        QCOMPARE(shownButtons, buttons);
        QCOMPARE(result, answer);
        QCOMPARE(iconVisible, icon >= 0);
        if (icon >= 0) {
            // The style's own picture for that icon, and the server shows it where the icon stands:
            // the picture laid on the box's background, within the rounding of the display's colours.
            QCOMPARE(iconShown.convertToFormat(QImage::Format_ARGB32), expected.convertToFormat(QImage::Format_ARGB32));
            QCOMPARE(inkOnScreen.size(), expected.size());
            QImage laid(expected.size(), QImage::Format_RGB32);
            laid.fill(inkOnScreen.pixel(0, 0));
            QPainter(&laid).drawImage(0, 0, expected);
            int off = 0, inked = 0;
            for (int y = 0; y < laid.height(); ++y)
                for (int x = 0; x < laid.width(); ++x) {
                    const QRgb a = laid.pixel(x, y), b = inkOnScreen.pixel(x, y);
                    if (qAbs(qRed(a) - qRed(b)) > 12 || qAbs(qGreen(a) - qGreen(b)) > 12 || qAbs(qBlue(a) - qBlue(b)) > 12)
                        ++off;
                    if (b != inkOnScreen.pixel(0, 0))
                        ++inked;
                }
            QVERIFY2(off == 0, qPrintable(QString("%1 pixels differ from the icon").arg(off)));
            QVERIFY(inked > laid.width() * laid.height() / 4);
        }
    }

    // Folder Info: the counts start in one column, whatever the labels' widths.
    void folderInfoTotalsLineUp()
    {
        Form1& f = fx.fresh();
        (void)f;
        const QString root = fx.env->path("tree");
        for (const char* d : {"a", "b", "a/c", "a/c/d"})
            QVERIFY(QDir().mkpath(root + "/" + QString::fromLatin1(d)));
        for (int i = 0; i < 12; ++i)
            fx.env->writeFile(QString("tree/a/f%1.txt").arg(i), "x");
        find& w = find::instance();
        w.show();
        QVERIFY(QTest::qWaitForWindowExposed(&w));
        Dialogs::answer(root);
        QList<int> starts;
        QString text;
        whileModal([&] { w.mnuFolderInfo->trigger(); },
                   [&] {
                       QMessageBox* box = shownBox();
                       if (!box || !QTest::qWaitForWindowExposed(box))
                           return;
                       XInput::settle(300);
                       auto* label = box->findChild<QLabel*>(QStringLiteral("qt_msgbox_label"));
                       if (label) {
                           starts = lastColumnStarts(onScreen(label));
                           text = label->text();
                       }
                       XInput::key("Return");
                   });
        QTRY_VERIFY(!QApplication::activeModalWidget());
        QVERIFY2(text.contains("Total folders: ") && text.contains("Total files: "), qPrintable(text));
        QCOMPARE(Dialogs::shown().last().text, QStringLiteral("Total folders: \t4\r\nTotal files: \t12"));
        QCOMPARE(starts.size(), 2);
        QVERIFY2(starts[0] > 0 && qAbs(starts[0] - starts[1]) <= 1,
                 qPrintable(QString("the counts start at %1 and %2").arg(starts[0]).arg(starts[1])));
    }
};

PELLUM_XLANE_MAIN(TestXMessageBox)

#include "test_xmessagebox.moc"
