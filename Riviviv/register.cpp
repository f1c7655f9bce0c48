// brimlet-register [--unregister] [library]
// Registers the Brimlet library (by default the libBrimlet.so beside this program) in the per-user
// component registry, or removes its registration, by calling the library's own export.
#include "brimlet.h"
#include "registryfile.h"

#include <QCoreApplication>
#include <QFileInfo>
#include <QLibrary>
#include <cstdio>

int main(int argc, char** argv)
{
    QCoreApplication app(argc, argv);
    QStringList args = app.arguments().mid(1);
    bool unregister = false;
    if (!args.isEmpty() && (args.first() == QLatin1String("--unregister") || args.first() == QLatin1String("-u"))) {
        unregister = true;
        args.removeFirst();
    }
    if (args.size() > 1 || (!args.isEmpty() && args.first().startsWith(QLatin1Char('-')))) {
        std::fprintf(stderr, "usage: %s [--unregister] [path/to/%s]\n", Brimlet::RegisterToolName,
                     Brimlet::LibraryFileName);
        return 2;
    }
    const QString path = QFileInfo(args.isEmpty() ? app.applicationDirPath() + QLatin1Char('/')
                                                        + QString::fromLatin1(Brimlet::LibraryFileName)
                                                  : args.first())
                             .absoluteFilePath();
    QLibrary lib(path);
    if (!lib.load()) {
        std::fprintf(stderr, "%s: cannot load %s: %s\n", Brimlet::RegisterToolName, qPrintable(path),
                     qPrintable(lib.errorString()));
        return 1;
    }
    const char* name = unregister ? Brimlet::UnregisterServerName : Brimlet::RegisterServerName;
    auto fn = reinterpret_cast<Brimlet::RegisterServerFn>(lib.resolve(name));
    if (!fn) {
        std::fprintf(stderr, "%s: %s has no export %s\n", Brimlet::RegisterToolName, qPrintable(path), name);
        return 1;
    }
    const int32_t rc = fn();
    if (rc != Brimlet::S_Ok) {
        std::fprintf(stderr, "%s: %s failed (0x%08X) on %s\n", Brimlet::RegisterToolName, name, unsigned(rc),
                     qPrintable(ComponentRegistryFile::filePath()));
        return 1;
    }
    std::printf("%s %s %s in %s\n", unregister ? "unregistered" : "registered", Brimlet::FlatButtonProgId,
                qPrintable(path), qPrintable(ComponentRegistryFile::filePath()));
    return 0;
}
