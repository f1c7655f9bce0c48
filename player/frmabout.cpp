#include "player/frmabout.h"

#include "platform/desktop/shell.h"
#include "platform/programfolder.h"
#include "platform/settings.h"
#include "ui/design.h"
#include "ui/twips.h"

frmAbout::frmAbout()
{
    setObjectName(QStringLiteral("frmAbout"));
    setWindowFlags(Qt::Dialog);
    setFixedSize(Twips::toPx(6300), Twips::toPx(4080));
    Picture1 = new QLabel(this);
    Picture1->setStyleSheet(QStringLiteral("background: qradialgradient(cx:0.5, cy:0.5, radius:0.5, fx:0.4, "
                                           "fy:0.4, stop:0 #ff7a59, stop:1 #d10000); border-radius: 24px;"));
    Twips::place(Picture1, QRect(240, 240, 900, 900));
    lv = new QLabel(this);
    Twips::place(lv, QRect(1350, 300, 4700, 300));
    Text1 = new QPlainTextEdit(this);
    Text1->setReadOnly(true);
    Text1->setPlainText(QStringLiteral(
        "PellumPlayer plays audio and video files, streams, VCD and DVD files, RealMedia clips and audio "
        "CDs from one play list. It is free software; it comes with no warranty."));
    Twips::place(Text1, QRect(1350, 720, 4700, 1500));
    Label11 = new QLabel(QStringLiteral("Questions or ideas? Write, or visit the home page:"), this);
    Label11->setWordWrap(true);
    Twips::place(Label11, QRect(240, 2400, 3600, 500));
    Command1 = new QPushButton(QStringLiteral("ReadMe"), this);
    Command2 = new QPushButton(QStringLiteral("Mail"), this);
    Command3 = new QPushButton(QStringLiteral("Web"), this);
    Twips::place(Command1, QRect(240, 3360, 1200, 420));
    Twips::place(Command2, QRect(1560, 3360, 1200, 420));
    Twips::place(Command3, QRect(2880, 3360, 1200, 420));
    connect(Command1, &QPushButton::clicked, this, &frmAbout::Command1_Click);
    connect(Command2, &QPushButton::clicked, this, &frmAbout::Command2_Click);
    connect(Command3, &QPushButton::clicked, this, &frmAbout::Command3_Click);
    const Design::Loaded design = Design::Load(QStringLiteral(":/designs/frmabout.json"), this);
    cmdOK = design.controls.value(QStringLiteral("cmdOK"));
    if (cmdOK && !Design::IsPlaceholder(cmdOK))
        connect(cmdOK, SIGNAL(Click()), this, SLOT(cmdOK_Click()));
}

void frmAbout::Form_Load()
{
    VersionText = QStringLiteral("Version: Linux edition 1.0");
    const QString uc = SettingsStore::GetSetting(QStringLiteral("uc"), QStringLiteral("0"));
    lv->setText(VersionText + QStringLiteral(" (") + uc.trimmed() + QStringLiteral(")"));
    setWindowTitle(QStringLiteral("PellumPlayer ") + lv->text());
}

void frmAbout::cmdOK_Click() { Unload(); }

void frmAbout::Command1_Click() { Shell::startTextEditor(ProgramFolder::file(QStringLiteral("readme.txt")), true); }

void frmAbout::Command2_Click() { Shell::openDocument(QString::fromLatin1(MailAddress)); }

void frmAbout::Command3_Click() { Shell::openDocument(QString::fromLatin1(WebAddress)); }
