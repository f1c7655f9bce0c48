#include "player/compact/form6.h"

#include "platform/dialogs.h"
#include "platform/media/mediaplayer.h"
#include "player/compact/form5.h"
#include "player/compact/glyphs.h"
#include "player/compact/pellum.h"
#include "player/form1.h"
#include "player/form2.h"
#include "player/playlistfile.h"
#include "player/she.h"
#include "ui/design.h"
#include "ui/twips.h"
#include "ui/windowdrag.h"

#include <QMouseEvent>
#include <QSignalBlocker>
#include <QWindow>

Form6::Form6()
{
    setObjectName(QStringLiteral("Form6"));
    setWindowTitle(QStringLiteral("Play list"));
    setWindowFlags(Qt::Window | Qt::FramelessWindowHint);
    QPalette pal = palette();
    pal.setColor(QPalette::Window, QColor(192, 0, 0));  // &HC0
    pal.setColor(QPalette::WindowText, Qt::white);
    setPalette(pal);
    setAutoFillBackground(true);
    resize(Twips::toPx(5370), Twips::toPx(5700));
    WindowDrag::attach(this);

    Label1 = new QLabel(QStringLiteral("Play list"), this);
    Label1->setObjectName(QStringLiteral("Label1"));
    Twips::place(Label1, QRect(90, 30, 3000, 255));
    // Presses on the caption drag the window as presses on the window do.
    Label1->setAttribute(Qt::WA_TransparentForMouseEvents);

    List1 = new ListBox(this);
    List1->setObjectName(QStringLiteral("List1"));
    QPalette lp = List1->palette();
    lp.setColor(QPalette::Base, QColor(128, 255, 255));  // &HFFFF80
    lp.setColor(QPalette::Text, Qt::black);
    List1->setPalette(lp);
    Twips::place(List1, QRect(60, 1080, 5250, 4560));
    connect(List1, &ListBox::Click, this, &Form6::List1_Click);
    QAbstractItemModel* rows = List1->model();
    connect(rows, &QAbstractItemModel::rowsInserted, this, &Form6::listChanged);
    connect(rows, &QAbstractItemModel::rowsRemoved, this, &Form6::listChanged);
    connect(rows, &QAbstractItemModel::modelReset, this, &Form6::listChanged);
    connect(rows, &QAbstractItemModel::dataChanged, this, &Form6::listChanged);

    Command4 = new QPushButton(this);
    Command4->setObjectName(QStringLiteral("Command4"));
    Command4->setFocusPolicy(Qt::NoFocus);
    Command4->setIcon(QIcon(Glyphs::draw(Glyphs::Close, Qt::black, QSize(14, 14))));
    Twips::place(Command4, QRect(5010, 30, 300, 240));
    connect(Command4, &QPushButton::clicked, this, &Form6::Command4_Click);

    const Design::Loaded design = Design::Load(QStringLiteral(":/designs/form6.json"), this);
    designProblems = design.messages;
    for (const QString& m : designProblems)
        qWarning("PellumPlayer: %s", qPrintable(m));
    QWidget** buttons[4] = {&Command1, &Command2, &Command3, &Command5};
    const char* names[4] = {"Command1", "Command2", "Command3", "Command5"};
    const char* handlers[4] = {SLOT(Command1_Click()), SLOT(Command2_Click()), SLOT(Command3_Click()),
                               SLOT(Command5_Click())};
    for (int i = 0; i < 4; ++i) {
        QWidget* b = design.controls.value(QString::fromLatin1(names[i]));
        *buttons[i] = b;
        if (b && !Design::IsPlaceholder(b))
            connect(b, SIGNAL(Click()), this, handlers[i]);
    }
}

void Form6::Form_Load()
{
    language();
    CurrentIndex = Form1::instance().CurrentIndex;
}

void Form6::language()
{
    auto caption = [](QWidget* button, const char* key, const char* text) {
        if (button)
            button->setProperty("Caption", SHE::LangText(QString::fromLatin1(key), QString::fromLatin1(text)));
    };
    caption(Command1, "importlist", "ImportList");
    caption(Command2, "exportlist", "ExportList");
    caption(Command3, "clearitems", "Clear List");
    caption(Command5, "additems", "Add Items");
}

void Form6::closeEvent(QCloseEvent* e)
{
    // Closed by the window manager, the window only hides, as its own close button does.
    e->ignore();
    hide();
}

void Form6::List1_Click()
{
    // A selection of a row that is not there plays nothing.
    if (List1->ListIndex() < 0)
        return;
    CurrentIndex = List1->ListIndex();
    // A row that names a list file gives way to the file's rows, appended at the end, read by the
    // last-list rule once a run (PlayListFile::readListRow: a list read before adds nothing); the row
    // that then stands in its place plays. A list that cannot be read (its drive unplugged) keeps its
    // row and is passed over. A list row met on the way takes the same road in this loop.
    bool passed = false;
    while (CurrentIndex < List1->ListCount() && PlayListFile::isListFile(List1->List(CurrentIndex), false)) {
        QStringList lines;
        if (PlayListFile::readListRow(List1->List(CurrentIndex), PlayListFile::Rule::LastList, &lines) ==
            PlayListFile::RowRead::Unreadable) {
            ++CurrentIndex;
            passed = true;
            continue;
        }
        List1->RemoveItem(CurrentIndex);
        List1->AddItems(lines);
    }
    if (passed) {
        // The row that plays is the one selected, not the list row kept above it.
        const QSignalBlocker quiet(List1);
        List1->setListIndex(CurrentIndex);
    }
    MediaPlayer& mk = *Form5::instance().mk;
    mk.setFileName(List1->List(CurrentIndex));
    Form5::instance().Label1->setText(QStringLiteral("PellumPlayer >> ") + mk.FileName());
    pellum& compact = pellum::instance();
    compact.soh();
    const QString title = SHE::FileNameOf(mk.FileName());
    compact.Label7->setText(title);
    compact.setWindowTitle(title + QStringLiteral(" - PellumPlayer"));
    compact.marquee();
}

void Form6::Command1_Click()
{
    const QString name =
        Dialogs::ShowOpen(QStringLiteral("PellumPlayer List(*.pellum;*.m3u;*.pls)|*.pellum;*.m3u;*.pls"), 0, this);
    const bool clear = Form1::instance().ccc->Checked();
    if (!name.isEmpty()) {
        if (clear)
            List1->Clear();
        QStringList lines;
        if (!PlayListFile::read(name, PlayListFile::Rule::Import, &lines))
            return;
        List1->AddItems(lines);
    }
    CurrentIndex = clear ? -1 : 0;
    if (CurrentIndex == 0)
        CurrentIndex = List1->ListIndex();
    if (Form5::instance().mk->PlayState() != 2) {
        CurrentIndex = 0;
        if (List1->ListCount() == 0)
            return;
        List1->setListIndex(0);
        pellum::instance().soh();
    }
}

void Form6::Command2_Click() { saveListAs(); }

bool Form6::saveListAs()
{
    const QString name = Dialogs::ShowSave(QStringLiteral("PellumPlayer List(*.pellum)|*.pellum"),
                                           Dialogs::OverwritePrompt, this);
    if (List1->ListCount() == 0 || name.isEmpty())
        return false;
    QStringList leftOut;
    if (!PlayListFile::write(name, List1->items(), &leftOut)) {
        qWarning("PellumPlayer: could not write the play list to %s", qPrintable(name));
        return false;
    }
    PlayListFile::tellLeftOut(name, leftOut, this);
    return true;
}

void Form6::Command3_Click()
{
    List1->Clear();
    CurrentIndex = -1;
}

void Form6::Command4_Click() { hide(); }

void Form6::Command5_Click() { Form2::ShowFor(0); }
