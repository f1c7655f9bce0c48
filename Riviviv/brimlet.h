#pragma once
// The binary boundary of the Brimlet library, as a host sees it: the identifiers it registers, the
// status codes of its four exports and the class factory it hands out. Header only; a host includes
// this and loads the library at run time, it never links against it.
#include <cstdint>

class QWidget;

namespace Brimlet {

inline constexpr const char* LibraryId = "{FD26EE54-5F64-4727-870C-10DD3C46E573}";
inline constexpr const char* FlatButtonClassId = "{30EBC964-2B77-4172-AF93-C65799EED6A3}";
inline constexpr const char* FlatButtonProgId = "Brimlet.FlatButton";
inline constexpr const char* FlatButtonInterfaceId = "{C170499C-743E-4A2B-B6CE-912BA0E3F9B1}";
inline constexpr const char* FlatButtonEventsId = "{F6EAF89F-DDCF-4EFA-8405-A068ACA6098A}";
inline constexpr const char* ButtonStyleId = "{97817870-0A88-4A46-BAFF-77EA7FD65AF6}";
inline constexpr const char* LibraryFileName = "libBrimlet.so";
inline constexpr const char* RegisterToolName = "brimlet-register";

// Status codes, with the values the component model uses for them.
inline constexpr int32_t S_Ok = 0;
inline constexpr int32_t S_False = 1;
inline constexpr int32_t E_Pointer = int32_t(0x80004003u);
inline constexpr int32_t E_Fail = int32_t(0x80004005u);
inline constexpr int32_t E_ClassNotAvailable = int32_t(0x80040111u);
inline constexpr int32_t E_RegisterClass = int32_t(0x80040201u);  // the registry file could not be written

// Error numbers a control reports through its LastError property.
inline constexpr int ErrOverflow = 6;
inline constexpr int ErrSetAtRunTime = 393;

// The class factory. Obtained from DllGetClassObject with one reference held; Release() it when done.
class ClassFactory {
public:
    // Creates a control inside `parent` (owned by it); *out receives the widget.
    virtual int32_t CreateInstance(QWidget* parent, QWidget** out) = 0;
    virtual uint32_t AddRef() = 0;
    virtual uint32_t Release() = 0;

protected:
    ~ClassFactory() = default;
};

// The four exports, by name, for QLibrary::resolve.
using RegisterServerFn = int32_t (*)();
using UnregisterServerFn = int32_t (*)();
// Writes a ClassFactory* (with one reference) to *factory for a known class identifier, else returns
// E_ClassNotAvailable and writes null.
using GetClassObjectFn = int32_t (*)(const char* classId, void** factory);
// S_Ok when no control and no factory reference is alive (the library may be unloaded), else S_False.
using CanUnloadNowFn = int32_t (*)();

inline constexpr const char* RegisterServerName = "DllRegisterServer";
inline constexpr const char* UnregisterServerName = "DllUnregisterServer";
inline constexpr const char* GetClassObjectName = "DllGetClassObject";
inline constexpr const char* CanUnloadNowName = "DllCanUnloadNow";

}  // namespace Brimlet
