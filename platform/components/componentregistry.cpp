#include "platform/components/componentregistry.h"

#include "Riviviv/brimlet.h"
#include "Riviviv/registryfile.h"

#include <QCoreApplication>
#include <QDir>
#include <QFileInfo>
#include <QHash>
#include <QLibrary>
#include <QWidget>

namespace ComponentRegistry {

namespace {

// Libraries stay loaded once a control came from them: their controls' code lives there.
QHash<QString, QLibrary*>& loadedLibraries()
{
    // Never destroyed, like the libraries it holds.
    static auto& libs = *new QHash<QString, QLibrary*>;
    return libs;
}

QString hexCode(int32_t rc) { return QStringLiteral("0x%1").arg(quint32(rc), 8, 16, QLatin1Char('0')).toUpper(); }

bool isBrimletClass(const QString& progIdOrClassId)
{
    const auto bare = [](QString s) { return s.remove(QLatin1Char('{')).remove(QLatin1Char('}')).trimmed(); };
    return progIdOrClassId.trimmed().compare(QLatin1String(Brimlet::FlatButtonProgId), Qt::CaseInsensitive) == 0
        || bare(progIdOrClassId).compare(bare(QLatin1String(Brimlet::FlatButtonClassId)), Qt::CaseInsensitive) == 0;
}

QString displayName(const QString& progIdOrClassId)
{
    return isBrimletClass(progIdOrClassId) ? QString::fromLatin1(Brimlet::FlatButtonProgId)
                                           : progIdOrClassId.trimmed();
}

}  // namespace

bool Find(const QString& progIdOrClassId, ClassInfo* info)
{
    const auto e = ComponentRegistryFile::find(progIdOrClassId);
    if (!e)
        return false;
    if (info) {
        info->classId = e->classId;
        info->progId = e->progId;
        info->typeLib = e->typeLib;
        info->libraryPath = e->path;
        info->control = e->control;
    }
    return true;
}

QString RegisterHint(const QString& progIdOrClassId)
{
    if (!isBrimletClass(progIdOrClassId))
        return QString();
    // The library as the build and the install lay it out: beside the program, or in ../lib.
    const QString appDir = QCoreApplication::instance() ? QCoreApplication::applicationDirPath()
                                                         : QDir::currentPath();
    const QString name = QString::fromLatin1(Brimlet::LibraryFileName);
    QString library = appDir + QLatin1Char('/') + name;
    for (const QString& candidate : {library, appDir + QStringLiteral("/../lib/") + name}) {
        if (QFileInfo::exists(candidate)) {
            library = QFileInfo(candidate).absoluteFilePath();
            break;
        }
    }
    return QStringLiteral("%1 %2").arg(QString::fromLatin1(Brimlet::RegisterToolName), library);
}

QWidget* CreateControl(const QString& progIdOrClassId, QWidget* parent, QString* error)
{
    const QString name = displayName(progIdOrClassId);
    const auto fail = [&](const QString& message) -> QWidget* {
        if (error)
            *error = message;
        return nullptr;
    };
    const auto howTo = [&]() {
        const QString hint = RegisterHint(progIdOrClassId);
        return hint.isEmpty() ? QStringLiteral("register the library that provides it")
                              : QStringLiteral("run %1").arg(hint);
    };

    ClassInfo info;
    if (progIdOrClassId.trimmed().isEmpty())
        return fail(QStringLiteral("No control class was named"));
    if (!Find(progIdOrClassId, &info))
        return fail(QStringLiteral("%1 is not registered: %2").arg(name, howTo()));
    if (info.libraryPath.isEmpty())
        return fail(QStringLiteral("%1 is registered without a library: %2").arg(name, howTo()));
    if (!QFileInfo::exists(info.libraryPath))
        return fail(QStringLiteral("%1 is registered to %2, which does not exist: %3")
                        .arg(name, info.libraryPath, howTo()));

    const QString key = QFileInfo(info.libraryPath).canonicalFilePath();
    QLibrary* lib = loadedLibraries().value(key);
    if (!lib) {
        auto fresh = new QLibrary(key);
        if (!fresh->load()) {
            const QString why = fresh->errorString();
            delete fresh;
            return fail(QStringLiteral("%1 cannot be created: its library %2 cannot be loaded (%3): %4")
                            .arg(name, info.libraryPath, why, howTo()));
        }
        lib = fresh;
        loadedLibraries().insert(key, lib);
    }
    auto getClassObject = reinterpret_cast<Brimlet::GetClassObjectFn>(lib->resolve(Brimlet::GetClassObjectName));
    if (!getClassObject)
        return fail(QStringLiteral("%1 cannot be created: %2 is not a control library (no %3): %4")
                        .arg(name, info.libraryPath, QLatin1String(Brimlet::GetClassObjectName), howTo()));

    void* object = nullptr;
    const QByteArray classId = info.classId.toLatin1();
    const int32_t rc = getClassObject(classId.constData(), &object);
    if (rc != Brimlet::S_Ok || !object)
        return fail(QStringLiteral("%1 cannot be created: %2 does not serve class %3 (%4): %5")
                        .arg(name, info.libraryPath, info.classId, hexCode(rc), howTo()));
    auto factory = static_cast<Brimlet::ClassFactory*>(object);
    QWidget* control = nullptr;
    const int32_t made = factory->CreateInstance(parent, &control);
    factory->Release();
    if (made != Brimlet::S_Ok || !control)
        return fail(QStringLiteral("%1 cannot be created: its class factory failed (%2)").arg(name, hexCode(made)));
    if (error)
        error->clear();
    return control;
}

}  // namespace ComponentRegistry
