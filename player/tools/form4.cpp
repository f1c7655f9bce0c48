#include "player/tools/form4.h"

#include "platform/desktop/screen.h"
#include "platform/dialogs.h"
#include "platform/media/mediaplayer.h"
#include "platform/wholefile.h"
#include "player/form1.h"
#include "player/she.h"

#include <QApplication>
#include <QBuffer>
#include <QHBoxLayout>
#include <QScrollArea>
#include <QVBoxLayout>

Form4::Form4()
{
    setObjectName(QStringLiteral("Form4"));
    setWindowTitle(QStringLiteral("Capture!!"));
    setWindowFlags(Qt::Window);
    Label1 = new QLabel(this);
    Label2 = new QLabel(this);
    pc = new QLabel;
    pc->setObjectName(QStringLiteral("pc"));
    scroll_ = new QScrollArea(this);
    scroll_->setWidget(pc);
    Command2 = new QPushButton(this);
    Command3 = new QPushButton(this);
    Command1 = new QPushButton(this);

    auto* buttons = new QHBoxLayout;
    buttons->addWidget(Label2, 1);
    buttons->addWidget(Command2);
    buttons->addWidget(Command3);
    buttons->addWidget(Command1);
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(Label1);
    layout->addWidget(scroll_, 1);
    layout->addLayout(buttons);

    connect(Command1, &QPushButton::clicked, this, &Form4::Command1_Click);
    connect(Command2, &QPushButton::clicked, this, &Form4::Command2_Click);
    connect(Command3, &QPushButton::clicked, this, &Form4::Command3_Click);
    resize(800, 600);
}

void Form4::Form_Load()
{
    Label1->setText(SHE::LangText(QStringLiteral("capturemode"), QStringLiteral("Capture Mode")));
    Label2->setText(SHE::LangText(QStringLiteral("form4label2"), QStringLiteral("Click \"Save\" to save a picture.")));
    Command2->setText(SHE::LangText(QStringLiteral("save"), QStringLiteral("Save")));
    Command1->setText(SHE::LangText(QStringLiteral("exit"), QStringLiteral("Exit")));
    Command3->setText(SHE::LangText(QStringLiteral("wallpaper"), QStringLiteral("Wallpaper")));
}

void Form4::setPicture(const QPixmap& picture)
{
    pc->setPixmap(picture);
    pc->resize(picture.isNull() ? QSize(0, 0) : picture.size());
}

QString Form4::wallpaperPath() { return Screen::windowsFolder() + QStringLiteral("/Wallpaper.bmp"); }

bool Form4::saveBitmap(const QPixmap& picture, const QString& path, QString* error)
{
    if (picture.isNull() || path.isEmpty()) {
        if (error)
            *error = QStringLiteral("there is no picture");
        return false;
    }
    QByteArray bytes;
    QBuffer buffer(&bytes);
    buffer.open(QIODevice::WriteOnly);
    if (!picture.save(&buffer, "BMP")) {
        if (error)
            *error = QStringLiteral("the picture cannot be made into a bitmap");
        return false;
    }
    return WholeFile::write(path, bytes, error);
}

bool Form4::SetWallpaper(const QPixmap& picture, QWidget* parent)
{
    const QString path = wallpaperPath();
    QString error;
    if (!saveBitmap(picture, path, &error)) {
        Dialogs::MsgBox(SHE::LangText(QStringLiteral("wallnotsaved"),
                                      QStringLiteral("The picture could not be saved to %1 (%2), so the desktop wallpaper was not changed."))
                            .arg(path, error),
                        Dialogs::OKOnly, QStringLiteral("PellumPlayer"), parent);
        return false;
    }
    QApplication::setOverrideCursor(Qt::WaitCursor);
    Screen::WallpaperReport how;
    const bool set = Screen::setDesktopWallpaper(path, &how);
    QApplication::restoreOverrideCursor();
    if (set) {
        Dialogs::MsgBox(SHE::LangText(QStringLiteral("setcompleted"), QStringLiteral("Desk wallpaper set completed")) +
                            QStringLiteral("!"),
                        Dialogs::OKOnly, QStringLiteral("PellumPlayer"), parent);
    } else {
        Dialogs::MsgBox(SHE::LangText(QStringLiteral("wallnotset"), QStringLiteral("The desktop wallpaper could not be set: %1."))
                                .arg(how.text(SHE::LangText)) +
                            QStringLiteral("\r\n") +
                            SHE::LangText(QStringLiteral("wallsavedto"), QStringLiteral("The picture was saved to %1.")).arg(path),
                        Dialogs::OKOnly, QStringLiteral("PellumPlayer"), parent);
    }
    return set;
}

void Form4::Command1_Click()
{
    Unload();
    if (!Form1::isLoaded())
        return;
    Form1& main = Form1::instance();
    if (main.ck->Checked() && !main.mp->FileName().isEmpty())
        main.mp->Play();
}

void Form4::Command2_Click()
{
    const QString name = Dialogs::ShowSave(QStringLiteral("BMP archive|*.bmp"), 0, this);
    if (name.isEmpty())
        return;
    // A file that cannot be written ends the command without a message; a file there before stays whole.
    saveBitmap(pc->pixmap(), name);
}

void Form4::Command3_Click() { SetWallpaper(pc->pixmap(), this); }
