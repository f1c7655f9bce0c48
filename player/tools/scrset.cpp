#include "player/tools/scrset.h"

#include "platform/dialogs.h"
#include "platform/drives/drives.h"
#include "platform/settings.h"
#include "player/she.h"
#include "player/tools/scr1.h"
#include "ui/dirlistbox.h"
#include "ui/drivelistbox.h"
#include "ui/filelistbox.h"

#include <QCheckBox>
#include <QComboBox>
#include <QDir>
#include <QFileInfo>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QPointer>
#include <QPushButton>
#include <cmath>

namespace {

QString text(const char* key, const char* defaultValue)
{
    return SHE::LangText(QString::fromLatin1(key), QString::fromLatin1(defaultValue));
}

// The stored picture folder as a folder of this system. One that no longer exists gives the nearest
// folder above it that does (the C: drive's root folder for a drive that is gone).
QString storedFolder()
{
    QString folder = Drives::nativeFolder(SettingsStore::GetSetting(QStringLiteral("scrd"), QStringLiteral("c:\\")));
    if (!QDir::isAbsolutePath(folder)) {
        const std::optional<Drives::Drive> c = Drives::find(QStringLiteral("C:"));
        folder = c && !c->root.isEmpty() ? c->root : QDir::homePath();
    }
    while (!Drives::FolderExists(folder)) {
        const QString up = QFileInfo(QDir::cleanPath(folder)).path();
        if (up == folder)
            break;
        folder = up;
    }
    return folder;
}

template <class T, class... Args>
T* make(QWidget* parent, const char* name, Args&&... args)
{
    T* w = new T(std::forward<Args>(args)..., parent);
    w->setObjectName(QString::fromLatin1(name));
    return w;
}

}  // namespace

SCRSET::SCRSET()
{
    setObjectName(QStringLiteral("SCRSET"));
    setWindowTitle(QStringLiteral("PellumPlayer Screen Saver Setup"));
    setWindowFlags(Qt::Dialog | Qt::WindowCloseButtonHint);
    QPalette pal = palette();
    pal.setColor(QPalette::Window, Qt::white);
    setPalette(pal);
    setAutoFillBackground(true);

    Label7 = make<QLabel>(this, "Label7", QStringLiteral("Screen Saver"));
    Label7->setFont(QFont(QStringLiteral("Times New Roman"), 18, QFont::Bold));
    Label1 = make<QLabel>(this, "Label1");
    Drive1 = make<DriveListBox>(this, "Drive1");
    Dir1 = make<DirListBox>(this, "Dir1");
    Label2 = make<QLabel>(this, "Label2");
    Label2->setWordWrap(true);
    Label3 = make<QLabel>(this, "Label3");
    Combo1 = make<QComboBox>(this, "Combo1");
    // The boxes' text is what the user types: no completion from the list.
    Combo1->setEditable(true);
    Combo1->setInsertPolicy(QComboBox::NoInsert);
    Combo1->setCompleter(nullptr);
    for (int s = 2; s <= 10; ++s)
        Combo1->addItem(QString::number(s));
    Label5 = make<QLabel>(this, "Label5", QStringLiteral("second"));
    Label4 = make<QLabel>(this, "Label4");
    Combo2 = make<QComboBox>(this, "Combo2");
    Combo2->setEditable(true);
    Combo2->setInsertPolicy(QComboBox::NoInsert);
    Combo2->setCompleter(nullptr);
    Combo2->addItems(EffectNames());
    option1 = make<QCheckBox>(this, "option1");
    Check1 = make<QCheckBox>(this, "Check1");
    Command4 = make<QPushButton>(this, "Command4");
    Command2 = make<QPushButton>(this, "Command2");
    Command1 = make<QPushButton>(this, "Command1");
    Command3 = make<QPushButton>(this, "Command3");

    auto* grid = new QGridLayout(this);
    grid->addWidget(Label7, 0, 0, 1, 4);
    grid->addWidget(Label1, 1, 0, 1, 2);
    grid->addWidget(Drive1, 2, 0, 1, 2);
    grid->addWidget(Dir1, 3, 0, 4, 2);
    grid->addWidget(Label2, 7, 0, 1, 4);
    grid->addWidget(Label3, 1, 2, 1, 2);
    grid->addWidget(Combo1, 2, 2);
    grid->addWidget(Label5, 2, 3);
    grid->addWidget(Label4, 3, 2, 1, 2);
    grid->addWidget(Combo2, 4, 2, 1, 2);
    grid->addWidget(option1, 5, 2, 1, 2);
    auto* password = new QHBoxLayout;
    password->addWidget(Check1);
    password->addWidget(Command4);
    grid->addLayout(password, 6, 2, 1, 2);
    auto* buttons = new QHBoxLayout;
    buttons->addStretch(1);
    buttons->addWidget(Command2);
    buttons->addWidget(Command1);
    buttons->addWidget(Command3);
    grid->addLayout(buttons, 8, 0, 1, 4);

    connect(Drive1, &DriveListBox::Change, this, &SCRSET::Drive1_Change);
    connect(Dir1, &DirListBox::Change, this, &SCRSET::Dir1_Change);
    connect(option1, &QCheckBox::toggled, this, &SCRSET::option1_Click);
    connect(Command4, &QPushButton::clicked, this, &SCRSET::Command4_Click);
    connect(Command2, &QPushButton::clicked, this, &SCRSET::Command2_Click);
    connect(Command1, &QPushButton::clicked, this, &SCRSET::Command1_Click);
    connect(Command3, &QPushButton::clicked, this, &SCRSET::Command3_Click);
    resize(520, 380);
}

const QStringList& SCRSET::EffectNames()
{
    static const QStringList names{
        QStringLiteral("Rain1"),     QStringLiteral("Rain2"),     QStringLiteral("Rain3"),
        QStringLiteral("Rain4"),     QStringLiteral("Rain5"),     QStringLiteral("Rain6"),
        QStringLiteral("CloseDoor1"), QStringLiteral("CloseDoor2"), QStringLiteral("Random1"),
        QStringLiteral("Random2"),   QStringLiteral("Bevel1"),    QStringLiteral("Bevel2"),
        QStringLiteral("Show-out1"), QStringLiteral("Show-out2"), QStringLiteral("Show-out3"),
        QStringLiteral("Show-out4"), QStringLiteral("Show-out5"), QStringLiteral("Scrool1"),
        QStringLiteral("Scrool2"),   QStringLiteral("Scrool3"),   QStringLiteral("Scrool4"),
        QStringLiteral("Scrool5"),   QStringLiteral("Scrool6"),   QStringLiteral("Scrool7"),
        QStringLiteral("Scrool8"),   QStringLiteral("Wave1"),     QStringLiteral("Wave2"),
        QStringLiteral("Wave3"),     QStringLiteral("Wave4")};
    return names;
}

void SCRSET::Form_Load()
{
    Label1->setText(text("photod", "Photo directory"));
    Label3->setText(text("changei", "Change interval"));
    Label4->setText(text("effect", "Effect"));
    option1->setText(text("random", "Random"));
    Check1->setText(text("passwordprotect", "Password protect"));
    Command4->setText(text("change", "Change") + QStringLiteral("..."));
    Command2->setText(text("view", "View"));
    Command1->setText(text("ok", "Apply"));
    Command3->setText(text("cancel", "Cancel"));

    option1->setChecked(SettingsStore::GetNumber(QStringLiteral("scrr"), 0) == 1);
    option1_Click();
    if (SettingsStore::GetNumber(QStringLiteral("psp"), 0) == 1)
        Check1->setChecked(true);
    Combo1->setCurrentIndex(0);
    Combo2->setCurrentIndex(0);
    Dir1->setPath(storedFolder());
    Combo1->setEditText(SettingsStore::GetSetting(QStringLiteral("scri"), QStringLiteral("2")));
    const long long effect = SettingsStore::GetNumber(QStringLiteral("effect"), 0);
    Combo2->setCurrentIndex(effect >= 0 && effect < Combo2->count() ? int(effect) : -1);
}

int SCRSET::Combo2ListIndex() const
{
    return Combo2->findText(Combo2->currentText(), Qt::MatchExactly | Qt::MatchCaseSensitive);
}

void SCRSET::Drive1_Change() { Drive1->openIn(Dir1); }

void SCRSET::Dir1_Change() { Label2->setText(QDir::toNativeSeparators(Dir1->Path())); }

void SCRSET::option1_Click() { Combo2->setVisible(!option1->isChecked()); }

void SCRSET::Command4_Click()
{
    const QString answer =
        Dialogs::PasswordBox(text("newps", "Please enter a new password."), QStringLiteral("PellumPlayer"), this);
    if (!answer.isEmpty())
        SettingsStore::SaveSetting(QStringLiteral("psw"), answer);
}

void SCRSET::Command2_Click()
{
    const std::optional<int> ms = CheckInterval(Combo1->currentText(), this);
    if (!ms)
        return;
    // The saver's load handles pending events: it may be gone by the time it would be shown.
    const QPointer<SCR1> saver = &SCR1::instance();
    if (!saver || !SCR1::isLoaded())
        return;
    saver->File1->setPath(Dir1->Path());
    saver->setInterval(*ms);
    saver->EffectIndex = qint16(Combo2ListIndex());
    saver->showModal();
}

void SCRSET::Command1_Click()
{
    if (!CheckInterval(Combo1->currentText(), this))
        return;
    SettingsStore::SaveSetting(QStringLiteral("scrd"), Dir1->Path());
    SettingsStore::SaveSetting(QStringLiteral("scri"), Combo1->currentText());
    SettingsStore::SaveSetting(QStringLiteral("effect"), QString::number(Combo2ListIndex()));
    SettingsStore::SaveSetting(QStringLiteral("scrr"), option1->isChecked() ? QStringLiteral("1") : QStringLiteral("0"));
    SettingsStore::SaveSetting(QStringLiteral("psp"), Check1->isChecked() ? QStringLiteral("1") : QStringLiteral("0"));
    Unload();
}

void SCRSET::Command3_Click() { Unload(); }

std::optional<int> SCRSET::IntervalMs(const QString& seconds)
{
    bool ok = false;
    const double s = seconds.trimmed().toDouble(&ok);
    if (!ok || !(s >= 1.0 && s <= 3600.0))
        return std::nullopt;
    return int(std::nearbyint(s * 1000.0));
}

std::optional<int> SCRSET::CheckInterval(const QString& seconds, QWidget* parent)
{
    const std::optional<int> ms = IntervalMs(seconds);
    if (!ms)
        Dialogs::MsgBox(text("badinterval", "The interval must be a number of seconds from 1 to 3600."),
                        Dialogs::OKOnly, QStringLiteral("PellumPlayer"), parent);
    return ms;
}
