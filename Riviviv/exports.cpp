// The library's four exports: self-registration into the per-user component registry, removal of that
// registration, the class factory and the unload test.
#include "brimlet.h"
#include "flatbutton.h"
#include "lifetime.h"
#include "registryfile.h"

#include <QFileInfo>
#include <dlfcn.h>

#define BRIMLET_EXPORT extern "C" __attribute__((visibility("default")))

namespace {

// OLE control status flags of the class, by name: activate when visible, inside-out, client site
// first, recompose on resize.
constexpr const char* MiscStatus = "ActivateWhenVisible,InsideOut,SetClientSiteFirst,RecomposeOnResize";

// The library's own file, found from an address inside it.
QString ownPath()
{
    Dl_info info{};
    if (!dladdr(reinterpret_cast<void*>(&ownPath), &info) || !info.dli_fname)
        return {};
    return QFileInfo(QString::fromLocal8Bit(info.dli_fname)).canonicalFilePath();
}

bool sameClass(const char* a, const char* b)
{
    return a && QString::fromLatin1(a).compare(QString::fromLatin1(b), Qt::CaseInsensitive) == 0;
}

class FlatButtonFactory final : public Brimlet::ClassFactory {
public:
    int32_t CreateInstance(QWidget* parent, QWidget** out) override
    {
        if (!out)
            return Brimlet::E_Pointer;
        *out = new FlatButton(parent);
        return Brimlet::S_Ok;
    }
    uint32_t AddRef() override { return uint32_t(++Brimlet::factoryReferences); }
    uint32_t Release() override { return uint32_t(--Brimlet::factoryReferences); }
};

FlatButtonFactory factory;

}  // namespace

BRIMLET_EXPORT int32_t DllRegisterServer()
{
    ComponentRegistryFile::ClassEntry e;
    e.classId = QString::fromLatin1(Brimlet::FlatButtonClassId);
    e.progId = QString::fromLatin1(Brimlet::FlatButtonProgId);
    e.typeLib = QString::fromLatin1(Brimlet::LibraryId);
    e.control = true;
    e.miscStatus = QString::fromLatin1(MiscStatus);
    e.path = ownPath();
    if (e.path.isEmpty())
        return Brimlet::E_Fail;
    return ComponentRegistryFile::put(e) ? Brimlet::S_Ok : Brimlet::E_RegisterClass;
}

BRIMLET_EXPORT int32_t DllUnregisterServer()
{
    return ComponentRegistryFile::remove(QString::fromLatin1(Brimlet::FlatButtonClassId)) ? Brimlet::S_Ok
                                                                                          : Brimlet::E_RegisterClass;
}

BRIMLET_EXPORT int32_t DllGetClassObject(const char* classId, void** out)
{
    if (!out)
        return Brimlet::E_Pointer;
    *out = nullptr;
    if (!sameClass(classId, Brimlet::FlatButtonClassId))
        return Brimlet::E_ClassNotAvailable;
    factory.AddRef();
    *out = static_cast<Brimlet::ClassFactory*>(&factory);
    return Brimlet::S_Ok;
}

BRIMLET_EXPORT int32_t DllCanUnloadNow()
{
    return Brimlet::liveControls == 0 && Brimlet::factoryReferences == 0 ? Brimlet::S_Ok : Brimlet::S_False;
}
