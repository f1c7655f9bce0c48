#include "ui/dirlistbox.h"

#include "platform/drives/drives.h"
#include "platform/folderentries.h"

#include <QDir>
#include <QKeyEvent>

DirListBox::DirListBox(QWidget* parent) : ListBox(parent)
{
    connect(this, &ListBox::DblClick, this, [this] {
        const QString f = folderAt(ListIndex());
        if (!f.isEmpty())
            setPath(f);
    });
}

QString DirListBox::normal(const QString& folder)
{
    QString p = QDir::cleanPath(QDir(folder).absolutePath());
    if (p == QLatin1String("/"))
        return p;
    const std::optional<Drives::Drive> d = Drives::find(p);
    if (d && d->root == p + QLatin1Char('/'))
        return d->root;
    return p;
}

void DirListBox::setPath(const QString& folder)
{
    const QString p = normal(folder);
    const bool changed = p != path_;
    path_ = p;
    Refresh();
    if (changed)
        emit Change();
}

void DirListBox::Refresh()
{
    folders_.clear();
    QStringList rows;
    if (!path_.isEmpty()) {
        // The chain of folders from the top down to the current one.
        QStringList chain;
        QString p = QDir::cleanPath(path_);
        while (true) {
            chain.prepend(p);
            if (p == QLatin1String("/") || p.isEmpty())
                break;
            const QString up = QFileInfo(p).path();
            if (up == p)
                break;
            p = up;
        }
        int depth = 0;
        for (const QString& f : chain) {
            folders_.append(normal(f));
            rows.append(QString(depth * 2, QLatin1Char(' ')) + (f == QLatin1String("/") ? f : QFileInfo(f).fileName()));
            ++depth;
        }
        const QString prefix = path_.endsWith(QLatin1Char('/')) ? path_ : path_ + QLatin1Char('/');
        for (const QString& s : FolderEntries::folders(path_)) {
            folders_.append(normal(prefix + s));
            rows.append(QString(depth * 2, QLatin1Char(' ')) + s);
        }
    }
    Clear();
    AddItems(rows);
}

void DirListBox::keyPressEvent(QKeyEvent* e)
{
    if (e->key() == Qt::Key_Return || e->key() == Qt::Key_Enter) {
        const QString f = folderAt(ListIndex());
        if (!f.isEmpty())
            setPath(f);
        return;
    }
    ListBox::keyPressEvent(e);
}
