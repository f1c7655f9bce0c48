#include "player/compact/listedit.h"

#include "platform/dialogs.h"
#include "platform/settings.h"
#include "player/form1.h"
#include "player/form2.h"
#include "player/she.h"
#include "ui/design.h"
#include "ui/twips.h"

namespace {

constexpr int kSlots = 16;

QString text(const char* key, const char* defaultValue)
{
    return SHE::LangText(QString::fromLatin1(key), QString::fromLatin1(defaultValue));
}

}  // namespace

ListEdit::ListEdit()
{
    setObjectName(QStringLiteral("ListEdit"));
    setWindowFlags(Qt::Dialog);
    setFixedSize(Twips::toPx(9870), Twips::toPx(3840));
    List1 = new ListBox(this);
    List1->setObjectName(QStringLiteral("List1"));
    List2 = new ListBox(this);
    List2->setObjectName(QStringLiteral("List2"));
    Twips::place(List1, QRect(120, 120, 7020, 3060));
    Twips::place(List2, QRect(7200, 120, 2550, 3060));
    connect(List1, &ListBox::Click, this, &ListEdit::List1_Click);
    connect(List2, &ListBox::Click, this, &ListEdit::List2_Click);

    const Design::Loaded design = Design::Load(QStringLiteral(":/designs/listedit.json"), this);
    designProblems = design.messages;
    for (const QString& m : designProblems)
        qWarning("PellumPlayer: %s", qPrintable(m));
    FlatButton1 = Design::Bind(design, QStringLiteral("FlatButton1"), this, SLOT(FlatButton1_Click()));
    FlatButton2 = Design::Bind(design, QStringLiteral("FlatButton2"), this, SLOT(FlatButton2_Click()));
    FlatButton3 = Design::Bind(design, QStringLiteral("FlatButton3"), this, SLOT(FlatButton3_Click()));
    FlatButton4 = Design::Bind(design, QStringLiteral("FlatButton4"), this, SLOT(FlatButton4_Click()));
    FlatButton5 = Design::Bind(design, QStringLiteral("FlatButton5"), this, SLOT(FlatButton5_Click()));
    FlatButton6 = Design::Bind(design, QStringLiteral("FlatButton6"), this, SLOT(FlatButton6_Click()));
}

void ListEdit::Form_Load()
{
    setWindowIcon(Form1::instance().windowIcon());
    setWindowTitle(text("listedit", "BookmarkEdit"));
    auto caption = [](QWidget* button, const QString& t) {
        if (button)
            button->setProperty("Caption", t);
    };
    caption(FlatButton1, text("deletelist", "Deltet"));
    caption(FlatButton2, text("clear", "Clear"));
    caption(FlatButton4, text("ok", "OK"));
    caption(FlatButton3, text("cancel", "Cancel"));
    caption(FlatButton5, text("play", "Play"));
    caption(FlatButton6, text("note", "Note"));

    QStringList values, notes;
    for (int i = 0; i < kSlots; ++i) {
        values << SettingsStore::GetSetting(QStringLiteral("b%1").arg(i));
        notes << SettingsStore::GetSetting(QStringLiteral("note%1").arg(i));
    }
    List1->AddItems(values);
    List2->AddItems(notes);
    List1->setListIndex(0);
    // Both lists scroll as far as the widest value.
    Form2::SetExtent(List1, List1->fontMetrics(), 30);
    List2->setHorizontalExtent(Form2::Extent(List1));
}

// A click on a row of either list selects the same row of the other; a row that the other list does
// not have (a note after Clear) leaves it without a selection.
void ListEdit::List1_Click()
{
    if (syncing_)
        return;
    syncing_ = true;
    List2->setListIndex(List1->ListIndex());
    syncing_ = false;
}

void ListEdit::List2_Click()
{
    if (syncing_)
        return;
    syncing_ = true;
    List1->setListIndex(List2->ListIndex() < List1->ListCount() ? List2->ListIndex() : -1);
    syncing_ = false;
}

void ListEdit::noRow()
{
    Dialogs::MsgBox(text("choosebookmark", "Please choose a row that holds a bookmark first."), Dialogs::OKOnly,
                    windowTitle(), this);
}

void ListEdit::FlatButton1_Click()
{
    // The selected slot goes from both lists, and the slots below move up by one.
    const int row = List1->ListIndex() >= 0 ? List1->ListIndex() : List2->ListIndex();
    if (row < 0) {
        noRow();
        return;
    }
    List1->RemoveItem(row);
    List2->RemoveItem(row);
    // The row that moved up takes the selection, so that Delete can be pressed again.
    if (row < List1->ListCount())
        List1->setListIndex(row);
    else if (row < List2->ListCount())
        List2->setListIndex(row);
}

void ListEdit::FlatButton2_Click() { List1->Clear(); }

void ListEdit::FlatButton3_Click() { Unload(); }

void ListEdit::FlatButton4_Click()
{
    for (int i = 0; i < kSlots; ++i) {
        SettingsStore::SaveSetting(QStringLiteral("b%1").arg(i), List1->List(i));
        SettingsStore::SaveSetting(QStringLiteral("note%1").arg(i), List2->List(i));
    }
    Form1::instance().SmS();
    Unload();
}

void ListEdit::FlatButton5_Click()
{
    const int row = List1->ListIndex();
    if (row < 0 || List1->List(row).isEmpty()) {
        noRow();
        return;
    }
    Form1::instance().PlayBookmark(List1->List(row), this);
}

void ListEdit::FlatButton6_Click()
{
    const int row = List1->ListIndex();
    if (row < 0 || List1->List(row).isEmpty())
        return;
    const QString note =
        Dialogs::InputBox(text("specifynote", "Specify a note."), text("note", "Note"), List2->List(row), this);
    if (!note.isEmpty())
        List2->setList(row, note);
}
