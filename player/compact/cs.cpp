#include "player/compact/cs.h"

#include "player/compact/find.h"
#include "player/loadk.h"
#include "player/she.h"
#include "ui/twips.h"

Cs::Cs()
{
    setObjectName(QStringLiteral("Cs"));
    setWindowFlags(Qt::Dialog);
    setFixedSize(Twips::toPx(4680), Twips::toPx(1800));
    Label1 = new QLabel(this);
    Label1->setObjectName(QStringLiteral("Label1"));
    Label1->setWordWrap(true);
    Combo1 = new QComboBox(this);
    Combo1->setObjectName(QStringLiteral("Combo1"));
    Command1 = new QPushButton(this);
    Command1->setObjectName(QStringLiteral("Command1"));
    Command1->setDefault(true);
    Command2 = new QPushButton(this);
    Command2->setObjectName(QStringLiteral("Command2"));
    Twips::place(Label1, QRect(120, 120, 4440, 480));
    Twips::place(Combo1, QRect(120, 720, 4440, 315));
    Twips::place(Command1, QRect(1920, 1200, 1215, 420));
    Twips::place(Command2, QRect(3345, 1200, 1215, 420));
    connect(Command1, &QPushButton::clicked, this, &Cs::Command1_Click);
    connect(Command2, &QPushButton::clicked, this, &Cs::Command2_Click);
}

void Cs::Form_Load()
{
    setWindowTitle(SHE::LangText(QStringLiteral("searchyourfavorites"), QStringLiteral("Search your favorites")));
    Label1->setText(SHE::LangText(QStringLiteral("theseforsearch"),
                                  QStringLiteral("These files will be searched for PellumPlayer")));
    Combo1->addItem(SHE::LangText(QStringLiteral("availableplaying"), QStringLiteral("Available playing")));
    Combo1->addItem(SHE::LangText(QStringLiteral("movies"), QStringLiteral("Movies")));
    Combo1->addItem(SHE::LangText(QStringLiteral("musics"), QStringLiteral("Musics")));
    Combo1->setCurrentIndex(0);
    Command1->setText(SHE::LangText(QStringLiteral("ok"), QStringLiteral("OK")));
    Command2->setText(SHE::LangText(QStringLiteral("cancel"), QStringLiteral("Cancel")));
}

QStringList Cs::Patterns(int row)
{
    switch (row) {
    case 1:
        return {"*.mpeg", "*.mpg", "*.asf", "*.wmv", "*.dat", "*.rm", "*.vob"};
    case 2:
        return {"*.mp3", "*.wav", "*.midi", "*.rm", "*.ra", "*.wma"};
    default:
        return {"*.avi", "*.mpeg", "*.mpg", "*.asf", "*.wmv", "*.dat", "*.rm",
                "*.mp3", "*.wav", "*.midi", "*.ra",  "*.wma", "*.vob"};
    }
}

void Cs::Command1_Click()
{
    if (running_)
        return;
    running_ = true;
    for (const QString& p : Patterns(Combo1->currentIndex())) {
        find::instance().MySearch(p);
        if (abandoned_)
            break;
    }
    running_ = false;
    Unload();
    SingleWindow<loadk>::release();
}

// Closed while the set runs: the running search stops, no further pattern is searched, and the window
// goes once OK has finished.
void Cs::Form_Unload(int& cancel)
{
    if (!running_)
        return;
    abandoned_ = true;
    if (find::isLoaded())
        find::instance().StopSearch();
    hide();
    cancel = 1;
}

void Cs::Command2_Click() { Unload(); }
