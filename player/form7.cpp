#include "player/form7.h"

#include "platform/desktop/shell.h"
#include "platform/programfolder.h"
#include "platform/settings.h"
#include "player/compact/form6.h"
#include "player/form1.h"
#include "player/form2.h"
#include "player/module1.h"
#include "player/she.h"
#include "ui/fittedtext.h"
#include "ui/twips.h"

Form7::Form7()
{
    setObjectName(QStringLiteral("Form7"));
    setWindowTitle(QStringLiteral("Languages"));
    setWindowFlags(Qt::Dialog);
    setFixedSize(Twips::toPx(4800), Twips::toPx(4770));
    Label1 = new FittedLabel(this);
    File1 = new FileListBox(this);
    Command1 = new FittedButton(this);
    Command2 = new FittedButton(this);
    Command3 = new FittedButton(QStringLiteral("English"), this);
    Command4 = new FittedButton(this);
    Label1->setObjectName(QStringLiteral("Label1"));
    File1->setObjectName(QStringLiteral("File1"));
    Command1->setObjectName(QStringLiteral("Command1"));
    Command2->setObjectName(QStringLiteral("Command2"));
    Command3->setObjectName(QStringLiteral("Command3"));
    Command4->setObjectName(QStringLiteral("Command4"));
    Twips::place(Label1, QRect(90, 75, 4530, 240));
    Twips::place(File1, QRect(75, 315, 3525, 4350));
    Twips::place(Command4, QRect(3750, 1920, 930, 345));
    Twips::place(Command3, QRect(3765, 2415, 930, 345));
    Twips::place(Command1, QRect(3765, 3870, 930, 345));
    Twips::place(Command2, QRect(3765, 4335, 930, 345));
    connect(Command1, &QPushButton::clicked, this, &Form7::Command1_Click);
    connect(Command2, &QPushButton::clicked, this, &Form7::Command2_Click);
    connect(Command3, &QPushButton::clicked, this, &Form7::Command3_Click);
    connect(Command4, &QPushButton::clicked, this, &Form7::Command4_Click);
}

void Form7::Form_Load()
{
    File1->setPattern(QStringLiteral("*.ini"));
    File1->setPath(ProgramFolder::path());
    if (Form1::isLoaded())
        setWindowIcon(Form1::instance().windowIcon());
    Label1->setText(SHE::LangText(QStringLiteral("language"), QStringLiteral("Languages")));
    Label1->setText(Label1->text() + QStringLiteral(" - ") +
                    SHE::FileNameOf(SettingsStore::GetSetting(QStringLiteral("inifn"))));
    Command1->setText(SHE::LangText(QStringLiteral("ok"), QStringLiteral("OK")));
    Command2->setText(SHE::LangText(QStringLiteral("cancel"), QStringLiteral("Cancel")));
    Command4->setText(SHE::LangText(QStringLiteral("edit"), QStringLiteral("Edit")));
}

void Form7::apply(const QString& path)
{
    if (!path.isNull()) {
        SettingsStore::SaveSetting(QStringLiteral("inifn"), path);
        Module1::LanguagePath() = path;
    }
    Form1& f = Form1::instance();
    f.language();
    // The add-files dialog and the compact list window take the new texts now, loaded hidden if they
    // were not.
    Form2::instance().language();
    Form6::instance().language();
    f.labelsp();
    f.labelst();
    Unload();
}

void Form7::Command1_Click()
{
    const QString name = File1->FileName();
    apply(name.isEmpty() ? QString() : File1->Path() + QLatin1Char('/') + name);
}

void Form7::Command3_Click()
{
    // With nothing selected the path names the folder itself, so every text is the built-in English.
    apply(File1->Path() + QLatin1Char('/') + File1->FileName());
}

void Form7::Command2_Click() { Unload(); }

void Form7::Command4_Click()
{
    const QString name = File1->FileName();
    if (!name.isEmpty())
        Shell::startTextEditor(File1->Path() + QLatin1Char('/') + name);
}
