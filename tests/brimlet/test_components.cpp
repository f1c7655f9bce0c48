// The component registry as the player uses it: the Brimlet library registers itself in this test's
// own config folder, the registry loads it at run time and creates controls by name, the stored-design
// loader builds a window from a design file, and a host that cannot create the class gets a message.
#include "Riviviv/brimlet.h"
#include "Riviviv/registryfile.h"
#include "platform/components/componentregistry.h"
#include "tests/support/smalldisk.h"
#include "tests/support/testenv.h"
#include "ui/design.h"

#include <QBuffer>
#include <QFileInfo>
#include <QImage>
#include <QLabel>
#include <QLibrary>
#include <QLibraryInfo>
#include <QMouseEvent>
#include <QProcess>
#include <QSignalSpy>
#include <QTest>
#include <QWidget>

namespace {

const QString LibraryPath = QFileInfo(QStringLiteral(BRIMLET_PATH)).canonicalFilePath();

QByteArray pngOf(int w, int h, QColor c)
{
    QImage img(w, h, QImage::Format_RGB32);
    img.fill(c);
    QByteArray bytes;
    QBuffer buf(&bytes);
    buf.open(QIODevice::WriteOnly);
    img.save(&buf, "PNG");
    return bytes;
}

QString notRegisteredMessage()
{
    return QStringLiteral("Brimlet.FlatButton is not registered: run brimlet-register %1")
        .arg(QFileInfo(QStringLiteral(BRIMLET_PATH)).absoluteFilePath());
}

}  // namespace

class TestComponents : public QObject {
    Q_OBJECT
    QLibrary lib_{QStringLiteral(BRIMLET_PATH)};
    Brimlet::RegisterServerFn registerServer_ = nullptr;
    Brimlet::UnregisterServerFn unregisterServer_ = nullptr;
    Brimlet::GetClassObjectFn getClassObject_ = nullptr;
    Brimlet::CanUnloadNowFn canUnloadNow_ = nullptr;

private slots:
    void initTestCase()
    {
        QVERIFY2(lib_.load(), qPrintable(lib_.errorString()));
        registerServer_ = reinterpret_cast<Brimlet::RegisterServerFn>(lib_.resolve(Brimlet::RegisterServerName));
        unregisterServer_ = reinterpret_cast<Brimlet::UnregisterServerFn>(lib_.resolve(Brimlet::UnregisterServerName));
        getClassObject_ = reinterpret_cast<Brimlet::GetClassObjectFn>(lib_.resolve(Brimlet::GetClassObjectName));
        canUnloadNow_ = reinterpret_cast<Brimlet::CanUnloadNowFn>(lib_.resolve(Brimlet::CanUnloadNowName));
        QVERIFY(registerServer_ && unregisterServer_ && getClassObject_ && canUnloadNow_);
    }

    void registerCreateUnregister()
    {
        TestEnv env;
        QCOMPARE(registerServer_(), Brimlet::S_Ok);
        const QString file = env.config() + QStringLiteral("/PellumPlayer/components.ini");
        QCOMPARE(ComponentRegistryFile::filePath(), file);
        const QString text = QString::fromUtf8(env.readFile(file));
        QVERIFY(text.contains(QStringLiteral("[{30EBC964-2B77-4172-AF93-C65799EED6A3}]")));
        QVERIFY(text.contains(QStringLiteral("ProgID=Brimlet.FlatButton")));
        QVERIFY(text.contains(QStringLiteral("TypeLib={FD26EE54-5F64-4727-870C-10DD3C46E573}")));
        QVERIFY(text.contains(QStringLiteral("InprocServer=") + LibraryPath));
        // Registering twice keeps one entry; other classes' entries are kept.
        ComponentRegistryFile::ClassEntry other;
        other.classId = QStringLiteral("{11111111-2222-3333-4444-555555555555}");
        other.progId = QStringLiteral("Other.Thing");
        other.path = QStringLiteral("/nowhere/libother.so");
        QVERIFY(ComponentRegistryFile::put(other));
        QCOMPARE(registerServer_(), Brimlet::S_Ok);
        QCOMPARE(QString::fromUtf8(env.readFile(file)).count(QStringLiteral("ProgID=Brimlet.FlatButton")), 1);

        // Created by programmatic name and by class identifier (braces and case ignored).
        QWidget host;
        for (const QString& name : {QStringLiteral("Brimlet.FlatButton"), QStringLiteral("brimlet.flatbutton"),
                                    QStringLiteral("30ebc964-2b77-4172-af93-c65799eed6a3")}) {
            QString error = QStringLiteral("stale");
            QWidget* w = ComponentRegistry::CreateControl(name, &host, &error);
            QVERIFY2(w, qPrintable(error));
            QVERIFY(error.isEmpty());
            QCOMPARE(w->parentWidget(), &host);
            QCOMPARE(QString::fromLatin1(w->metaObject()->className()), QStringLiteral("FlatButton"));
            // The host talks to it by name only.
            QVERIFY(w->setProperty("Caption", QStringLiteral("OK")));
            QCOMPARE(w->property("Caption").toString(), QStringLiteral("OK"));
            QSignalSpy clicks(w, SIGNAL(Click()));
            QVERIFY(clicks.isValid());
        }

        QCOMPARE(unregisterServer_(), Brimlet::S_Ok);
        QVERIFY(!ComponentRegistry::Find(QStringLiteral("Brimlet.FlatButton")));
        QVERIFY(ComponentRegistry::Find(QStringLiteral("Other.Thing")));  // untouched
        QString error;
        QVERIFY(!ComponentRegistry::CreateControl(QStringLiteral("Brimlet.FlatButton"), &host, &error));
        QCOMPARE(error, notRegisteredMessage());
        QCOMPARE(unregisterServer_(), Brimlet::S_Ok);  // removing what is not there succeeds
    }

    // The library registering itself on a full disk fails and leaves the registry as it was: the other
    // classes' entries are not lost.
    void registerOnAFullDiskKeepsTheRegistry()
    {
        TestEnv env;
        const QString folder = env.config() + QStringLiteral("/PellumPlayer");
        SmallDisk disk(folder, 64);
        if (!disk.mounted())
            QSKIP(qPrintable(disk.whyNot()));
        ComponentRegistryFile::ClassEntry other;
        other.classId = QStringLiteral("{11111111-2222-3333-4444-555555555555}");
        other.progId = QStringLiteral("Other.Thing");
        other.path = QStringLiteral("/nowhere/libother.so");
        QVERIFY(ComponentRegistryFile::put(other));
        const QString file = ComponentRegistryFile::filePath();
        const QByteArray before = env.readFile(file);
        QVERIFY(before.contains("ProgID=Other.Thing"));
        QVERIFY(disk.fill(0));
        QCOMPARE(registerServer_(), Brimlet::E_RegisterClass);
        QCOMPARE(env.readFile(file), before);
        QString error;
        other.path = QStringLiteral("/elsewhere/libother.so");
        QVERIFY(!ComponentRegistryFile::put(other, &error));
        QCOMPARE(error, QStringLiteral("cannot write %1: No space left on device").arg(file));
        QCOMPARE(env.readFile(file), before);
    }

    void registerTool_data()
    {
        QTest::addColumn<QStringList>("args");
        QTest::addColumn<int>("exitCode");
        QTest::addColumn<bool>("registeredAfter");
        QTest::newRow("register") << QStringList{LibraryPath} << 0 << true;
        QTest::newRow("beside the tool") << QStringList{} << 0 << true;
        QTest::newRow("unregister") << QStringList{QStringLiteral("--unregister"), LibraryPath} << 0 << false;
        QTest::newRow("not a library") << QStringList{QStringLiteral("@junk")} << 1 << false;
        QTest::newRow("bad option") << QStringList{QStringLiteral("-x")} << 2 << false;
    }
    void registerTool()
    {
        QFETCH(QStringList, args);
        QFETCH(int, exitCode);
        QFETCH(bool, registeredAfter);
        TestEnv env;
        const QString junk = env.writeFile(QStringLiteral("libjunk.so"), "not an ELF file");
        for (QString& a : args)
            if (a == QLatin1String("@junk"))
                a = junk;
        if (args.contains(QStringLiteral("--unregister")))
            QCOMPARE(registerServer_(), Brimlet::S_Ok);
        QProcess tool;
        tool.start(QStringLiteral(BRIMLET_REGISTER_PATH), args);  // inherits this test's XDG_CONFIG_HOME
        QVERIFY(tool.waitForFinished(20000));
        QCOMPARE(tool.exitStatus(), QProcess::NormalExit);
        QCOMPARE(tool.exitCode(), exitCode);
        if (exitCode != 0)
            QVERIFY(!tool.readAllStandardError().isEmpty());
        ComponentRegistry::ClassInfo info;
        QCOMPARE(ComponentRegistry::Find(QStringLiteral("Brimlet.FlatButton"), &info), registeredAfter);
        if (registeredAfter) {
            QCOMPARE(info.libraryPath, LibraryPath);
            QVERIFY(info.control);
        }
    }

    void classFactoryAndUnloadTest()
    {
        QCOMPARE(canUnloadNow_(), Brimlet::S_Ok);
        void* object = reinterpret_cast<void*>(1);
        QCOMPARE(getClassObject_("{00000000-0000-0000-0000-000000000000}", &object), Brimlet::E_ClassNotAvailable);
        QVERIFY(object == nullptr);
        QCOMPARE(getClassObject_(nullptr, &object), Brimlet::E_ClassNotAvailable);
        QCOMPARE(getClassObject_(Brimlet::FlatButtonClassId, nullptr), Brimlet::E_Pointer);

        QCOMPARE(getClassObject_(Brimlet::FlatButtonClassId, &object), Brimlet::S_Ok);
        auto factory = static_cast<Brimlet::ClassFactory*>(object);
        QCOMPARE(canUnloadNow_(), Brimlet::S_False);  // a factory is alive
        QWidget* button = nullptr;
        QCOMPARE(factory->CreateInstance(nullptr, &button), Brimlet::S_Ok);
        QVERIFY(button);
        factory->Release();
        QCOMPARE(canUnloadNow_(), Brimlet::S_False);  // an instance is alive
        delete button;
        QCOMPARE(canUnloadNow_(), Brimlet::S_Ok);

        // Through the registry and a host window: alive until the window ends.
        TestEnv env;
        QCOMPARE(registerServer_(), Brimlet::S_Ok);
        auto host = new QWidget;
        QVERIFY(ComponentRegistry::CreateControl(QStringLiteral("Brimlet.FlatButton"), host));
        QVERIFY(ComponentRegistry::CreateControl(QStringLiteral("Brimlet.FlatButton"), host));
        QCOMPARE(canUnloadNow_(), Brimlet::S_False);
        delete host;
        QCOMPARE(canUnloadNow_(), Brimlet::S_Ok);
    }

    void hostCannotCreate_data()
    {
        QTest::addColumn<QString>("registeredPath");  // empty: no entry at all
        QTest::addColumn<QString>("expected");
        QTest::newRow("not registered") << QString() << notRegisteredMessage();
        QTest::newRow("library gone") << QStringLiteral("@gone") << QStringLiteral("which does not exist");
        QTest::newRow("not a library") << QStringLiteral("@junk") << QStringLiteral("cannot be loaded");
        QTest::newRow("not a control library")
            << QLibraryInfo::path(QLibraryInfo::LibrariesPath) + QStringLiteral("/libQt6Core.so.6")
            << QStringLiteral("is not a control library");
    }
    void hostCannotCreate()
    {
        QFETCH(QString, registeredPath);
        QFETCH(QString, expected);
        TestEnv env;
        if (registeredPath == QLatin1String("@gone"))
            registeredPath = env.path(QStringLiteral("gone/libBrimlet.so"));
        else if (registeredPath == QLatin1String("@junk"))
            registeredPath = env.writeFile(QStringLiteral("lib/libBrimlet.so"), QByteArray(4096, '\x7f'));
        if (!registeredPath.isEmpty()) {
            ComponentRegistryFile::ClassEntry e;
            e.classId = QString::fromLatin1(Brimlet::FlatButtonClassId);
            e.progId = QString::fromLatin1(Brimlet::FlatButtonProgId);
            e.control = true;
            e.path = registeredPath;
            QVERIFY(ComponentRegistryFile::put(e));
        }
        QWidget host;
        QString message;
        QWidget* w = Design::CreateControl(QStringLiteral("Brimlet.FlatButton"), &host, &message);
        QVERIFY(w);
        QVERIFY(Design::IsPlaceholder(w));
        auto label = qobject_cast<QLabel*>(w);
        QVERIFY(label);
        QCOMPARE(label->text(), message);
        QVERIFY2(message.contains(expected), qPrintable(message));
        QVERIFY(message.startsWith(QStringLiteral("Brimlet.FlatButton ")));
        QVERIFY(message.contains(QStringLiteral("brimlet-register")));
    }

    void designLoad()
    {
        TestEnv env;
        QCOMPARE(registerServer_(), Brimlet::S_Ok);
        env.writeFile(QStringLiteral("designs/pics/ok.png"), pngOf(100, 32, Qt::red));
        const QString inlinePic = QString::fromLatin1(pngOf(20, 19, Qt::blue).toBase64());
        const QString path = env.writeFile(QStringLiteral("designs/frmTest.json"), QStringLiteral(R"({
          "window": "frmTest",
          "controls": [
            { "name": "cmdOK", "class": "Brimlet.FlatButton", "left": 150, "top": 300, "width": 1500, "height": 480,
              "ToolTipText": "Close",
              "properties": {
                "Picture": { "file": "pics/ok.png" },
                "DownPicture": { "base64": "%1" },
                "MoveInPic": { "file": "pics/missing.png" },
                "Caption": "OK",
                "BackColor": { "colour": "&H00FF00&" },
                "DarkLine": 255,
                "Font": { "family": "Serif", "size": 13, "bold": true } } },
            { "name": "Other", "class": "Nobody.Thing", "left": 0, "top": 900, "width": 600, "height": 300 }
          ] })").arg(inlinePic).toUtf8());

        QWidget window;
        const Design::Loaded loaded = Design::Load(path, &window);
        QVERIFY(loaded.ok);
        QWidget* ok = loaded.controls.value(QStringLiteral("cmdOK"));
        QVERIFY(ok && !Design::IsPlaceholder(ok));
        QCOMPARE(ok->objectName(), QStringLiteral("cmdOK"));
        QCOMPARE(ok->geometry(), QRect(10, 20, 100, 32));
        QCOMPARE(ok->property("ToolTipText").toString(), QStringLiteral("Close"));
        QCOMPARE(ok->property("Caption").toString(), QStringLiteral("OK"));
        QCOMPARE(ok->property("Picture").value<QImage>().size(), QSize(100, 32));
        QCOMPARE(ok->property("DownPicture").value<QImage>().size(), QSize(20, 19));
        QVERIFY(ok->property("MoveInPic").value<QImage>().isNull());
        QCOMPARE(ok->property("BackColor").toUInt(), 0x00FF00u);
        QCOMPARE(ok->property("DarkLine").toUInt(), 255u);
        QCOMPARE(ok->property("LightLine").toUInt(), 0x80000009u);  // default
        QCOMPARE(ok->property("Font").value<QFont>().pointSize(), 13);
        QVERIFY(ok->property("Font").value<QFont>().bold());

        QWidget* other = loaded.controls.value(QStringLiteral("Other"));
        QVERIFY(Design::IsPlaceholder(other));
        QCOMPARE(other->geometry(), QRect(0, 60, 40, 20));
        QCOMPARE(loaded.messages.size(), 2);
        QVERIFY(loaded.messages.at(0).contains(QStringLiteral("missing.png")));
        QVERIFY(loaded.messages.at(1).startsWith(QStringLiteral("Nobody.Thing is not registered")));

        // The host receives Click by name.
        window.show();
        QSignalSpy clicks(ok, SIGNAL(Click()));
        QVERIFY(clicks.isValid());
        QTest::mouseClick(ok, Qt::LeftButton, {}, QPoint(50, 16));
        QCOMPARE(clicks.count(), 1);
    }

    void badDesigns_data()
    {
        QTest::addColumn<QByteArray>("bytes");  // empty: no file
        QTest::addColumn<QString>("expected");
        QTest::newRow("missing") << QByteArray() << QStringLiteral("does not exist");
        QTest::newRow("garbage") << QByteArray("\x01\x02{{not json") << QStringLiteral("cannot be read");
        QTest::newRow("no controls") << QByteArray(R"({"window": "x"})") << QStringLiteral("no list of controls");
    }
    void badDesigns()
    {
        QFETCH(QByteArray, bytes);
        QFETCH(QString, expected);
        TestEnv env;
        const QString path = bytes.isEmpty() ? env.path(QStringLiteral("none.json"))
                                             : env.writeFile(QStringLiteral("bad.json"), bytes);
        QWidget window;
        const Design::Loaded loaded = Design::Load(path, &window);
        QVERIFY(!loaded.ok);
        QVERIFY(loaded.controls.isEmpty());
        QCOMPARE(loaded.messages.size(), 1);
        QVERIFY2(loaded.messages.first().contains(expected), qPrintable(loaded.messages.first()));
    }

    void propertyBagRoundTrip()
    {
        // A new instance with every property at its default stores only the three pictures.
        TestEnv env;
        QCOMPARE(registerServer_(), Brimlet::S_Ok);
        QWidget window;
        QWidget* w = Design::CreateControl(QStringLiteral("Brimlet.FlatButton"), &window);
        QVERIFY(QMetaObject::invokeMethod(w, "InitProperties"));
        Design::PropertyBag bag;
        bool ok = false;
        QVERIFY(QMetaObject::invokeMethod(w, "WriteProperties", Q_RETURN_ARG(bool, ok), Q_ARG(QObject*, &bag)));
        QVERIFY(ok);
        QStringList keys;
        for (const auto& kv : bag.written)
            keys << kv.first;
        QCOMPARE(keys, (QStringList{"Picture", "DownPicture", "MoveInPic"}));
    }
};

QTEST_MAIN(TestComponents)
#include "test_components.moc"
