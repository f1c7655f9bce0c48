// Recent files and bookmarks: sixteen slots each in the settings store, newest first, shown as menu
// elements that are rebuilt from the store after every change.
#include "player/form1.h"

#include "player/form2.h"

#include "platform/dialogs.h"
#include "platform/media/mediaplayer.h"
#include "platform/media/realaudio.h"
#include "platform/settings.h"
#include "player/compact/listedit.h"
#include "player/rmf.h"
#include "player/she.h"

namespace {

constexpr int kSlots = 16;

QString slotKey(const char* prefix, int i) { return QString::fromLatin1(prefix) + QString::number(i); }
QString read(const char* prefix, int i) { return SettingsStore::GetSetting(slotKey(prefix, i)); }
void write(const char* prefix, int i, const QString& value) { SettingsStore::SaveSetting(slotKey(prefix, i), value); }

QString number(int n) { return QString::number(n).rightJustified(2, QLatin1Char('0')) + QStringLiteral(". "); }

// Creates element i of a slot array in `menu`, in slot order among the elements that exist.
MenuItem* createElement(Form1* owner, QMenu* menu, MenuItem* (&array)[kSlots], int i, const char* prefix,
                        void (Form1::*handler)(int))
{
    auto* item = new MenuItem(slotKey(prefix, i), QString(), owner);
    QAction* before = nullptr;
    for (int j = i + 1; j < kSlots && !before; ++j)
        before = array[j];
    menu->insertAction(before, item);
    QObject::connect(item, &MenuItem::Click, owner, [owner, handler, i] { (owner->*handler)(i); });
    array[i] = item;
    return item;
}

// Takes element i out of its menu. It may be the element whose click is being handled, so it is
// deleted only once control is back in the event loop.
void destroyElement(QMenu* menu, MenuItem* (&array)[kSlots], int i)
{
    MenuItem* item = array[i];
    array[i] = nullptr;
    menu->removeAction(item);
    item->deleteLater();
}

// The rule the recent-files and bookmark menus share: every slot gets an element captioned with its
// text after the last separator (an address, which is no path, with its whole text); empty elements
// other than the first go; the visible ones are numbered from 01 in slot order.
void rebuild(Form1* owner, QMenu* menu, MenuItem* (&array)[kSlots], const char* prefix, const char* notes,
             void (Form1::*handler)(int))
{
    for (int i = 0; i < kSlots; ++i) {
        const QString value = read(prefix, i);
        if (!Form1::ElementExists(array[i]))
            createElement(owner, menu, array, i, prefix, handler);
        const QString caption = SHE::IsAddress(value) ? value : SHE::FileNameOf(value);
        array[i]->setCaption(caption);
        if (i != 0 && caption.isEmpty() && Form1::ElementExists(array[i]))
            destroyElement(menu, array, i);
    }
    const bool first = !read(prefix, 0).isEmpty();
    array[0]->setVisible(first);
    int n = first ? 1 : 0;
    for (int i = 0; i < kSlots; ++i) {
        if (!Form1::ElementExists(array[i]))
            continue;
        const QString note = notes ? read(notes, i) : QString();
        array[i]->setCaption(number(n) + (note.isEmpty() ? array[i]->Caption() : note));
        ++n;
    }
}

bool isDiscTrack(const QString& path)
{
    const QString head = SHE::FileNameOf(path).left(5).toLower();
    return head == QLatin1String("avseq") || head == QLatin1String("music") || head == QLatin1String("vts_0");
}

}  // namespace

// --- recent files ---

void Form1::RecordRecent(const QString& file)
{
    // Disc tracks have the same names on every disc, so they are not worth remembering.
    if (isDiscTrack(List1->List(List2->ListIndex())))
        return;
    QStringList old;
    for (int i = 0; i < kSlots - 1; ++i)
        old << read("f", i);
    write("f", 0, file);
    for (int i = 1; i < kSlots; ++i)
        write("f", i, old.at(i - 1));
    RefreshRecentMenu();
}

void Form1::RefreshRecentMenu() { rebuild(this, rff, f, "f", nullptr, &Form1::f_Click); }

void Form1::lllll_Click()
{
    RecordRecent(mp->FileName());
    RefreshRecentMenu();
}

void Form1::adr_Click()
{
    if (ccc->Checked())
        List1->Clear();
    for (int i = 0; i < kSlots; ++i) {
        const QString value = read("f", i);
        if (!value.isEmpty())
            List1->AddItem(value);
    }
    REL();
    Form2::instance().ha();
}

void Form1::cr_Click()
{
    for (int i = 0; i < kSlots; ++i)
        write("f", i, QString());
    RefreshRecentMenu();
}

void Form1::f_Click(int Index)
{
    const QString value = read("f", Index);
    // An address (a stream) has no length to measure: it goes to the player as it is.
    if (!SHE::IsAddress(value) && CF(value) == 0) {
        Dialogs::MsgBox(value + QStringLiteral("\r\n") +
                            GL(QStringLiteral("notify1"),
                               QStringLiteral("can't to play,please assure either the path or name of file is correct.")),
                        Dialogs::OKOnly, GL(QStringLiteral("error"), QStringLiteral("Error")), this);
        write("f", Index, QString());
        RefreshRecentMenu();
        return;
    }
    mp->setFileName(value);
    Tfs();
    marquee();
}

// --- bookmarks ---

void Form1::AddB_Click()
{
    QStringList values, notes;
    for (int i = 0; i < kSlots - 1; ++i) {
        values << read("b", i);
        notes << read("note", i);
    }
    QString value;
    RmF& rmf = RmF::instance();
    if (!mp->FileName().isEmpty() && mp->PlayState() != 0) {
        value = mp->FileName() + QLatin1Char(',') + QString::number(mp->CurrentPosition(), 'g', 15);
    } else if (!rmf.RA->Source().isEmpty()) {
        // A RealMedia bookmark holds the source as a seven-character address prefix and the path; the
        // play step gives the control a plain path, which gets the file prefix here.
        QString source = rmf.RA->Source();
        if (!source.contains(QStringLiteral("://")))
            source.prepend(QStringLiteral("file://"));
        value = source + QLatin1Char(',') + QString::number(rmf.RA->GetPosition());
    } else {
        return;
    }
    write("b", 0, value);
    write("note", 0, QString());
    for (int i = 1; i < kSlots; ++i) {
        write("b", i, values.at(i - 1));
        write("note", i, notes.at(i - 1));
    }
    SmS();
}

void Form1::SmS() { rebuild(this, bk, b, "b", "note", &Form1::b_Click); }

void Form1::b_Click(int Index)
{
    if (PlayBookmark(read("b", Index), this) == BookmarkPlayed::RealMedia)
        setWindowTitle(QStringLiteral("PellumPlayer >> ") + RmF::instance().RA->Source());
}

Form1::BookmarkPlayed Form1::PlayBookmark(const QString& value, QWidget* parent)
{
    const QString notify = GL(QStringLiteral("notify1"),
                              QStringLiteral("can't to play,please assure either the path or name of file is correct."));
    const qsizetype comma = value.lastIndexOf(QLatin1Char(','));
    QString path = comma < 0 ? value : value.left(comma);
    const QString position = comma < 0 ? QString() : value.mid(comma + 1);
    const bool realMedia = path.endsWith(QStringLiteral("rm"), Qt::CaseSensitive);
    if (realMedia)
        path = path.mid(7);
    // A value without a comma names no position: it is reported like a file that cannot be played.
    if (comma < 0 || (!SHE::IsAddress(path) && CF(path) == 0)) {
        Dialogs::MsgBox(path + QStringLiteral("\r\n") + notify, Dialogs::OKOnly,
                        GL(QStringLiteral("error"), QStringLiteral("Error")), parent);
        SmS();
        return BookmarkPlayed::Nothing;
    }
    List1->AddItem(path);
    REL();
    List2->setListIndex(List2->ListCount() - 1);
    bool ok = false;
    const double at = position.trimmed().toDouble(&ok);
    if (realMedia) {
        if (ok)
            RmF::instance().RA->SetPosition(long(qRound64(at)));
        return BookmarkPlayed::RealMedia;
    }
    if (ok)
        mp->setCurrentPosition(at);
    return BookmarkPlayed::MediaPlayer;
}

void Form1::EBm_Click() { ListEdit::instance().show(); }
