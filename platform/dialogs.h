#pragma once
// Message box, input box and the open/save file dialogs: one place for every window.
// Tests answer them by script: a queued answer is taken by the next dialog, which then shows nothing.
// With no queued answer and no display (offscreen), a dialog answers as if cancelled, so nothing ever
// waits for a person.
#include <QString>
#include <QStringList>
#include <QVariant>

class QWidget;

namespace Dialogs {

// Button sets and results, by the values the windows use.
enum Buttons { OKOnly = 0, OKCancel = 1, YesNoCancel = 3, YesNo = 4 };
enum Result { OK = 1, Cancel = 2, Yes = 6, No = 7 };

// File dialog flags the windows pass.
enum Flags { OverwritePrompt = 2, AllowMultiSelect = 512, Explorer = 524288 };

// Icons a message box style adds to its buttons: OKCancel | Exclamation is style 49.
constexpr int NoIcon = 0, Critical = 16, Question = 32, Exclamation = 48, Information = 64;

// `style` is a button set plus an icon (none when no icon is added). A line of the prompt split by tabs
// shows its parts in columns, lined up with the other lines' parts.
int MsgBox(const QString& prompt, int style = OKOnly, const QString& title = QString(), QWidget* parent = nullptr);
// The text typed, or the empty text when cancelled.
QString InputBox(const QString& prompt, const QString& title = QString(), const QString& defaultText = QString(),
                 QWidget* parent = nullptr);
// An input box for a password: what is typed is never shown (a dot stands for each character).
QString PasswordBox(const QString& prompt, const QString& title = QString(), QWidget* parent = nullptr);
// `filter` in the "Description|*.a;*.b|Other|*.*" form. Returns the empty text when cancelled, the full
// path for one file, and for several files (AllowMultiSelect) the folder, then each file name, joined
// by NUL characters.
QString ShowOpen(const QString& filter, int flags = 0, QWidget* parent = nullptr, const QString& folder = QString());
QString ShowSave(const QString& filter, int flags = 0, QWidget* parent = nullptr, const QString& folder = QString());

// The "A|*.a;*.b|B|*.*" filter as Qt writes it: "A (*.a *.b);;B (*)".
QString qtFilter(const QString& filter);

// --- scripting, for tests ---
struct Shown {
    QString kind;  // "msgbox", "input", "password", "open", "save"
    QString text;  // prompt, or the filter of a file dialog
    QString title;
    int flags = 0;
    QString defaultText;  // the text an input box offered
};
// Queue the answer of the next dialog: a Result for a message box, a text for the others.
void answer(const QVariant& value);
// Every dialog asked for since the last clearScript(), answered or not.
const QList<Shown>& shown();
void clearScript();

}  // namespace Dialogs
