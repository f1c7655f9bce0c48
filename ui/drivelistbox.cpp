#include "ui/drivelistbox.h"

#include "platform/drives/drives.h"
#include "ui/dirlistbox.h"

#include <QDir>
#include <QSignalBlocker>

DriveListBox::DriveListBox(QWidget* parent) : QComboBox(parent)
{
    Refresh();
    connect(this, &QComboBox::currentIndexChanged, this, [this] {
        if (!quiet_)
            emit Change();
    });
}

QString DriveListBox::Drive() const
{
    const QString letter = currentData().toString();
    return letter.isEmpty() ? QString() : letter.toLower() + QLatin1Char(':');
}

void DriveListBox::setDrive(const QString& letter)
{
    const QString l = letter.left(1).toUpper();
    const int i = findData(l);
    if (l.isEmpty() || i < 0)
        return;
    setCurrentIndex(i);
}

void DriveListBox::Refresh()
{
    const QString chosen = currentData().toString();
    quiet_ = true;
    clear();
    for (const Drives::Drive& d : Drives::table()) {
        const QString where = d.root.isEmpty() ? QStringLiteral("no disc") : QDir::toNativeSeparators(d.root);
        addItem(QString(d.letter.toLower()) + QStringLiteral(": [") + where + QLatin1Char(']'), QString(d.letter));
    }
    const int i = findData(chosen);
    setCurrentIndex(i >= 0 ? i : 0);
    quiet_ = false;
}

void DriveListBox::openIn(DirListBox* folder)
{
    const std::optional<Drives::Drive> d = Drives::find(Drive());
    if (!d || !Drives::FolderExists(d->root)) {
        if (const std::optional<Drives::Drive> here = Drives::containing(folder->Path())) {
            const QSignalBlocker block(this);
            setDrive(QString(here->letter));
        }
        return;
    }
    folder->setPath(d->root);
}
