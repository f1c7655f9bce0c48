#pragma once
// The component registry: control classes registered per user by class identifier and programmatic
// name (the registry file $XDG_CONFIG_HOME/PellumPlayer/components.ini, written by the control
// libraries' own register exports). A control is created by loading the registered library at run time
// and asking its class factory; the program never links against a control library.
#include <QString>

class QWidget;

namespace ComponentRegistry {

struct ClassInfo {
    QString classId;
    QString progId;
    QString typeLib;
    QString libraryPath;
    bool control = false;
};

// The registration of a class identifier (braces and case ignored) or programmatic name; false when
// the class is not registered.
bool Find(const QString& progIdOrClassId, ClassInfo* info = nullptr);

// Creates the control class `progIdOrClassId` as a child of `parent`. Returns null when it cannot be
// made and sets *error to a message naming what is missing and how to register it, e.g.
// "Brimlet.FlatButton is not registered: run brimlet-register /opt/pellum/libBrimlet.so".
QWidget* CreateControl(const QString& progIdOrClassId, QWidget* parent, QString* error = nullptr);

// The command that registers the library serving `progIdOrClassId`, for messages; empty when the
// registry does not know which library that would be.
QString RegisterHint(const QString& progIdOrClassId);

}  // namespace ComponentRegistry
