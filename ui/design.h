#pragma once
// Stored window designs and the controls they hold.
//
// A window's design is a JSON file (the repository's data/designs/<window>.json):
//
//   {
//     "window": "frmAbout",
//     "controls": [
//       { "name": "cmdOK", "class": "Brimlet.FlatButton",
//         "left": 3120, "top": 2760, "width": 1500, "height": 480,        (twips, 15 to a pixel)
//         "ToolTipText": "",                                              (optional, kept by the host)
//         "properties": {                                                 (the control's property bag)
//           "Picture":     { "file": "frmabout/ok.png" },                 (relative to the design file)
//           "DownPicture": { "base64": "iVBORw0KGgo..." },                (or the image bytes inline)
//           "MoveInPic":   null,                                          (no picture)
//           "Caption": "OK",
//           "BackColor": { "colour": "&H8000000F" },                      (or a plain number)
//           "Font": { "family": "Sans Serif", "size": 9, "bold": false, "italic": false },
//           "Style": 0, "IsDown": false } } ] }
//
// Controls are created by programmatic name through the platform's component registry. A class that
// cannot be created gets a placeholder label saying what is missing and how to register it, so the
// window still opens.
#include <QHash>
#include <QList>
#include <QObject>
#include <QPair>
#include <QRect>
#include <QString>
#include <QStringList>
#include <QVariant>

class QWidget;

namespace Design {

// The property bag a control reads its stored properties from and writes them to.
class PropertyBag : public QObject {
    Q_OBJECT
public:
    explicit PropertyBag(QVariantMap values = {}, QObject* parent = nullptr);

    // The stored value of `key`, or `defaultValue` when the bag has none.
    Q_INVOKABLE QVariant ReadProperty(const QString& key, const QVariant& defaultValue) const;
    // Records a value to store; the order of the calls is kept.
    Q_INVOKABLE void WriteProperty(const QString& key, const QVariant& value);

    QVariantMap values;                       // what ReadProperty hands out
    QList<QPair<QString, QVariant>> written;  // what WriteProperty received, in order
};

// One control of a stored design.
struct StoredControl {
    QString name;
    QString progId;
    QRect twips;  // left, top, width, height
    QVariant toolTipText;  // invalid when the design sets none
    QVariantMap properties;  // decoded: pictures as QImage, fonts as QFont, colours as numbers
};

struct StoredForm {
    QString window;
    QList<StoredControl> controls;
};

// Reads a design file. Returns false with *error set for a missing, unreadable or malformed file;
// a picture that cannot be read is left out (the property keeps its default) and noted in *problems.
bool Read(const QString& path, StoredForm* form, QString* error, QStringList* problems = nullptr);

// Creates the control registered under `progId` inside `parent`. When the class cannot be made, returns
// a placeholder QLabel showing the reason instead, and *message receives that text (empty on success).
QWidget* CreateControl(const QString& progId, QWidget* parent, QString* message = nullptr);
// True for the placeholder CreateControl returns in place of a control it could not create.
bool IsPlaceholder(const QWidget* widget);

// Sets the tooltip text the host keeps for a control (read by the control at run time).
void SetToolTipText(QWidget* control, const QString& text);

struct Loaded {
    QHash<QString, QWidget*> controls;  // by name; placeholders included
    QStringList messages;               // what could not be read or created, one line each
    bool ok = false;                    // false when the design file itself could not be read
};

// Creates every control of the design file `path` inside `window`, places it and feeds its property bag.
Loaded Load(const QString& path, QWidget* window);

// The control `name` of a loaded design (null when the design has none), with its Click signal connected
// to `slot` of `receiver` unless it is a placeholder.
QWidget* Bind(const Loaded& loaded, const QString& name, QObject* receiver, const char* slot);

}  // namespace Design
