#include "player/compact/skins.h"

#include "platform/dialogs.h"
#include "platform/programfolder.h"
#include "platform/settings.h"
#include "platform/textfile.h"
#include "platform/wholefile.h"
#include "player/compact/pellum.h"
#include "player/form1.h"
#include "player/loadk.h"
#include "player/she.h"
#include "ui/picturebox.h"
#include "ui/twips.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QGuiApplication>
#include <QImageReader>

Skins::Skins()
{
    setObjectName(QStringLiteral("Skins"));
    setWindowTitle(QStringLiteral("Skins"));
    resize(Twips::toPx(7200), Twips::toPx(4200));
    Label1 = new QLabel(this);
    Label1->setObjectName(QStringLiteral("Label1"));
    Twips::place(Label1, QRect(120, 90, 6900, 285));
    File1 = new FileListBox(this);
    File1->setObjectName(QStringLiteral("File1"));
    Twips::place(File1, QRect(120, 450, 2400, 3600));
    Image1 = new QLabel(this);
    Image1->setObjectName(QStringLiteral("Image1"));
    Image1->setFrameStyle(QFrame::Box | QFrame::Plain);
    Image1->setAlignment(Qt::AlignCenter);
    Twips::place(Image1, QRect(2640, 450, 3000, 2250));
    QPushButton** buttons[5] = {&Command1, &Command2, &Command3, &Command4, &Command5};
    void (Skins::*handlers[5])() = {&Skins::Command1_Click, &Skins::Command2_Click, &Skins::Command3_Click,
                                    &Skins::Command4_Click, &Skins::Command5_Click};
    for (int i = 0; i < 5; ++i) {
        auto* b = new QPushButton(this);
        b->setObjectName(QStringLiteral("Command%1").arg(i + 1));
        Twips::place(b, QRect(5760, 450 + i * 480, 1320, 405));
        connect(b, &QPushButton::clicked, this, handlers[i]);
        *buttons[i] = b;
    }
    connect(File1, &ListBox::Click, this, &Skins::File1_Click);
}

void Skins::Form_Load()
{
    Form1& main = Form1::instance();
    setWindowIcon(main.windowIcon());
    Command1->setText(main.GL(QStringLiteral("apply"), QStringLiteral("Apply")));
    Command2->setText(main.GL(QStringLiteral("exit"), QStringLiteral("Exit")));
    Command3->setText(main.GL(QStringLiteral("loadpicture"), QStringLiteral("Load picture")));
    Command4->setText(main.GL(QStringLiteral("default"), QStringLiteral("Default")));
    Command5->setText(main.GL(QStringLiteral("delete"), QStringLiteral("Delete")));
    SkinFolder = ProgramFolder::file(QStringLiteral("SKIN"));
    QDir().mkpath(SkinFolder);
    File1->setPath(SkinFolder);
    Label1->setText(SHE::LangText(QStringLiteral("currentskin"), QStringLiteral("Current Skin")));
    Label1->setText(Label1->text() + QStringLiteral(" : ") +
                    SHE::FileNameOf(SettingsStore::GetSetting(QStringLiteral("skin"))));
}

void Skins::File1_Click()
{
    if (File1->FileName().isEmpty())
        return;
    SelectedSkin = File1->Path() + QLatin1Char('/') + File1->FileName();
    const QPixmap preview = QPixmap::fromImage(PictureBox::read(SelectedSkin));
    Image1->setPixmap(preview.isNull() ? QPixmap()
                                       : preview.scaled(Image1->size(), Qt::KeepAspectRatio, Qt::SmoothTransformation));
}

void Skins::Command1_Click()
{
    if (SelectedSkin.isEmpty())
        return;
    QFile file;
    QImageReader reader;
    PictureBox::openReader(reader, file, SelectedSkin);
    const QImage picture = reader.read();
    if (picture.isNull()) {
        // The compact window and the setting stay as they were.
        Dialogs::MsgBox(SHE::LangText(QStringLiteral("badskin"), QStringLiteral("This skin cannot be loaded as a picture:")) +
                            QStringLiteral("\n") + SelectedSkin + QStringLiteral("\n") + reader.errorString(),
                        Dialogs::OKOnly, QStringLiteral("Skins"), this);
        return;
    }
    pellum& compact = pellum::instance();
    if (!compact.HoldsControls(picture.size())) {
        // The face would leave buttons outside the window; the compact window and the setting stay.
        const QSize need = compact.SmallestSkin();
        Dialogs::MsgBox(SHE::LangText(QStringLiteral("smallskin"),
                                      QStringLiteral("This picture is too small for the buttons of the compact player:")) +
                            QStringLiteral("\n") + SelectedSkin + QStringLiteral("\n") +
                            SHE::LangText(QStringLiteral("skinneeds"),
                                          QStringLiteral("A skin needs at least %1 x %2 pixels; this one has %3 x %4."))
                                .arg(need.width())
                                .arg(need.height())
                                .arg(picture.width())
                                .arg(picture.height()),
                        Dialogs::OKOnly, QStringLiteral("Skins"), this);
        return;
    }
    loadk::instance().show();
    QGuiApplication::setOverrideCursor(Qt::WaitCursor);
    compact.ApplySkin(picture);
    QGuiApplication::restoreOverrideCursor();
    if (loadk::isLoaded())
        loadk::instance().hide();
    SettingsStore::SaveSetting(QStringLiteral("skin"), SelectedSkin);
}

void Skins::Command2_Click() { Unload(); }

void Skins::Command3_Click()
{
    const QString name = Dialogs::ShowOpen(QStringLiteral("Images|*.jpg;*.bmp;*.gif"), 0, this);
    if (!name.isEmpty()) {
        const QString title = QFileInfo(name).fileName();
        const QString target = SkinFolder + QLatin1Char('/') + title;
        // A picture picked from the skin folder itself is already there.
        const bool same = QFileInfo(name).canonicalFilePath() == QFileInfo(target).canonicalFilePath();
        // Written whole beside the old one and renamed over it, so that a failed copy leaves the old
        // skin; a failed copy goes on to Apply like a cancelled dialog.
        const bool copied = same || WholeFile::copy(name, target);
        if (copied) {
            SelectedSkin = target;
            File1->Refresh();
        }
    }
    Command1_Click();
}

void Skins::Command4_Click()
{
    SettingsStore::SaveSetting(QStringLiteral("skin"), QString());
    pellum::instance().Unload();
    pellum::instance().show();
}

void Skins::Command5_Click()
{
    if (SelectedSkin.isEmpty())
        return;
    TextFile::remove(SelectedSkin);
    File1->Refresh();
}
