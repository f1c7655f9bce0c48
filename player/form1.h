#pragma once
// The main player window: the video area, the play list (List1 paths, List2 rows), the seek bar, the
// status labels, the full menu and the label strip that serves as its menu bar.
#include "ui/listbox.h"
#include "ui/menuitem.h"
#include "ui/singleton.h"
#include "ui/skinlabel.h"

#include <QLabel>
#include <QElapsedTimer>
#include <QList>
#include <QHash>
#include <QMenu>
#include <functional>
#include <optional>
#include <QPixmap>
#include <QSlider>
#include <QStringList>
#include <QTimer>

class MediaPlayer;
class ShockwaveFlash;
class QFrame;

class Form1 : public VbForm, public SingleWindow<Form1> {
    Q_OBJECT
    PELLUM_SINGLE_WINDOW(Form1)
public:
    Form1();
    ~Form1() override;

    // --- play list model ---
    ListBox* List1 = nullptr;  // full paths, hidden
    ListBox* List2 = nullptr;  // display rows
    int CurrentIndex = 0;
    bool PlayerInactive = true;
    // Where the window's inside stood when it handed over to the compact mode; it comes back there.
    std::optional<QPoint> HandOverPlace;
    int markedIndex = 0;
    QStringList ShufflePool;

    void REL();
    void importj(const QString& FN, int ck);
    // Replaces the list by the compact list window's paths.
    void imf2();
    // Show Pellum!: hands the list, the file, its position and the play state over to the compact mode.
    void sj_Click();
    // The file's length in bytes, or 0 when it cannot be read (callers take a non-zero result to mean
    // that the file exists).
    static qint64 CF(const QString& FN);
    void ol_Click();
    // Asks for a list file and writes List1 to it (ol's road); true when the list was written.
    bool saveListAs();

    // --- playing ---
    MediaPlayer* mp = nullptr;
    ShockwaveFlash* SF = nullptr;
    void List1_Click();  // the play step for List2's selected row
    // Where the play step sends a path, by its last letters: a list file, the RealMedia window, the Flash
    // control or the media player.
    enum class Route { List, RealMedia, Flash, Player };
    static Route RouteOf(const QString& path);
    // Gives `path` to the media player, the other players emptied, and refreshes the display for it.
    void playInMp(const QString& path);
    void marquee();
    void Tfs();
    void et_Click();
    void ps_Click();
    void play_Click();
    void pa_Click();
    void st_Click();
    void ma_Click();
    void py_Click();
    void rate_Click(MenuItem* item);
    void PBX_Change();

    // --- status ---
    int IdleTicks = 0;
    QString WelcomeText;
    int CirclePhase = 0;
    void Timer1_Timer();
    void Timer3_Timer();
    void mp_EndOfStream(long result = 0);
    // Drops the selected row after its clip failed and plays the row that moved into its place; false
    // when the status tick ends there. A failure of `mp` counts only while `mp` is the player in use;
    // the RealMedia window reports its own (fromMp false).
    bool dropFailedClip(bool fromMp = true);
    // What the clip tells once it is open: the seek bar's range, and the backdrop for a clip of sound only.
    void mp_StateChanged();
    static void wait(double delay);

    // --- texts and layout ---
    QString GL(const QString& key, const QString& defaultValue) const;
    void language();
    void labelsp();
    void labelst();
    void Form_Resize();
    // Commands that open windows and programs.
    void lan_Click();
    void abbo_Click();
    void vol_Click();
    void rm_Click();
    void web_Click();
    void h_Click();
    void scrs_Click();     // the screen saver with the stored settings
    void scrsets_Click();  // the screen saver's settings
    void ms_Click();  // the media search, modeless
    void selecta_Click();  // the internet radio, modeless
    void PPs_Click();      // the picture and list browser, modal
    void cp_Click();       // the audio-CD player, shown unless it is visible already
    void dab_Click();      // the per-disc title-list editor, modal

    // --- skin buttons, label strip, hover highlight ---
    SkinLabel* Image1 = nullptr;       // the window's background picture
    SkinLabel* Image5[5] = {};         // add, radio, CD, previous, next
    SkinLabel *Image2 = nullptr, *Image3 = nullptr, *Image4 = nullptr, *Image8 = nullptr, *Image9 = nullptr,
              *Image10 = nullptr, *Image11 = nullptr, *Image12 = nullptr;
    QLabel* Label2 = nullptr;          // the frame's shadow
    QLabel* Label7 = nullptr;
    QWidget* FB1 = nullptr;            // flat buttons: Add Items, Clear Items
    QWidget* FB2 = nullptr;
    QHash<QString, QPixmap> IM;        // the button pictures by key
    bool HoverFlag = false;
    QTimer* Timer2 = nullptr;
    void ResetHighlight();
    // The pointer over the background (or gone from every lit element): the reset pass may restore them.
    void Image1_MouseMove();
    void SetButtonImage(int index, const QString& prefix, int state);
    // The screen size in pixels the layout's screen tests use; empty for the window's own screen (tests
    // set it).
    QSize screenPixels;
    // What the window's stored design could not create (empty when every control was made).
    QStringList designProblems;

public slots:
    void FB1_Click();
    void FB2_Click();

public:
    // Commands that windows built later complete; until then their buttons do nothing.
    std::function<void()> ai_Command, pv_Command, pdvd_Command;

    // --- shutdown ---
    void exitc_Click();
    void ett_Click();

    // Hooks that windows built elsewhere complete.
    void RecordRecent(const QString& file);

    // --- elements ---
    QFrame* Frame1 = nullptr;
    QWidget* Frame2 = nullptr;
    QLabel* Picture2 = nullptr;  // backdrop for audio-only files
    QLabel* Picture1 = nullptr;
    QLabel* Label3 = nullptr;    // play state
    QLabel* Label4 = nullptr;    // now-playing title
    QLabel* Label5 = nullptr;    // welcome or time text
    QLabel* Label6 = nullptr;    // row number of the playing item
    QLabel* Image6 = nullptr;    // activity picture
    QList<SkinLabel*> Label1;    // the label strip
    // Tooltips of the skin buttons, in the order Image5(0..4), Image8..Image12, Image2, Image3.
    QString skinTips[12];
    QSlider* PBX = nullptr;
    QTimer* Timer1 = nullptr;
    QTimer* Timer3 = nullptr;
    int Timer3Tag = 1000;

    // Menus (the top menus are popped up by the label strip).
    QMenu* fl = nullptr;    // File
    QMenu* ac = nullptr;    // Actions
    QMenu* rndg = nullptr;  // Options
    QMenu* ab = nullptr;    // About
    QMenu* tt = nullptr;    // the list's right-click menu
    QMenu *rff = nullptr, *bk = nullptr, *li = nullptr, *po = nullptr, *pb = nullptr, *sfp = nullptr,
          *cdr = nullptr, *ssaver = nullptr, *co = nullptr;
    MenuItem *openfile = nullptr, *OpU = nullptr, *ai = nullptr, *ci = nullptr, *sj = nullptr, *il = nullptr,
             *ol = nullptr, *lllll = nullptr, *adr = nullptr, *cr = nullptr, *AddB = nullptr, *EBm = nullptr,
             *pv = nullptr, *pdvd = nullptr, *ett = nullptr;
    MenuItem *play = nullptr, *pa = nullptr, *st = nullptr, *ma = nullptr, *ps = nullptr, *et = nullptr,
             *fo = nullptr, *ej = nullptr, *cll = nullptr, *cp = nullptr, *dab = nullptr, *ms = nullptr,
             *PPs = nullptr, *selecta = nullptr, *scrs = nullptr, *scrsets = nullptr;
    MenuItem *s18x = nullptr, *s14x = nullptr, *s12x = nullptr, *nor = nullptr, *s15x = nullptr, *s2x = nullptr;
    // The ten options.
    MenuItem *sl = nullptr, *fs = nullptr, *en = nullptr, *ccc = nullptr, *dd = nullptr, *ontop = nullptr,
             *ck = nullptr, *cts = nullptr, *vitrif = nullptr, *shu = nullptr;
    MenuItem *lan = nullptr, *ca = nullptr, *vol = nullptr, *h = nullptr, *exitc = nullptr, *rm = nullptr,
             *web = nullptr, *abbo = nullptr;
    MenuItem *fss = nullptr, *py = nullptr, *cl = nullptr, *in = nullptr, *loc = nullptr;

    void sl_Click();
    void fs_Click();
    void en_Click();
    void ccc_Click();
    void dd_Click();
    void ontop_Click();
    void ck_Click();
    void cts_Click();
    void vitrif_Click();
    void shu_Click();

    // --- file commands, recent files, bookmarks, list editing, drop, capture ---
    // (declared here, defined in form1_commands.cpp, form1_recent.cpp, form1_capture.cpp)
    MenuItem* f[16] = {};  // recent files: element i stands for slot "f" i; only f[0] always exists
    MenuItem* b[16] = {};  // bookmarks: element i stands for slot "b" i; only b[0] always exists
    bool Fading = false;   // a fade-out is running
    void connectCommands();
    void openfile_Click();
    void List2_MouseDown(int button, int shift, double x, double y);
    void List2_MouseMove(int button, int shift, double x, double y);
    // A byte count as megabytes in the "#,###.00" form: ".50", "1,536.00".
    static QString megabytes(qint64 bytes);
    void ci_Click();
    void cl_Click();
    void in_Click();
    void loc_Click();
    void il_Click();
    void OpU_Click();
    void fss_Click();
    // Whether a point of this window lies over the video area or the list.
    bool overDropTarget(const QPoint& pos) const;
    void RefreshRecentMenu();
    static bool ElementExists(const MenuItem* element) { return element != nullptr; }
    void lllll_Click();
    void adr_Click();
    void cr_Click();
    void f_Click(int Index);
    void AddB_Click();
    void SmS();
    void b_Click(int Index);
    // Plays a bookmark value as its menu element does: the path before the last comma (a RealMedia
    // path without its seven-character prefix) is appended to the list and played from the position
    // after it. A value that names no playable file is reported over `parent` and the menu is rebuilt.
    enum class BookmarkPlayed { Nothing, MediaPlayer, RealMedia };
    BookmarkPlayed PlayBookmark(const QString& value, QWidget* parent);
    void EBm_Click();  // the bookmark editor, modeless
    void ca_Click();

    // --- add-files dialog, discs and tray ---
    // (declared here, defined in form1_disc.cpp)
    void connectDiscCommands();
    void ai_Click();      // Add Items...: the add-files dialog, committing to this list
    void pv_Click();      // Play VCD
    void Image2_Click();  // Play DVD
    void pdvd_Click();
    void ej_Click();      // Eject
    void cll_Click();     // Shut

protected:
    void dragEnterEvent(QDragEnterEvent* e) override;
    void dragMoveEvent(QDragMoveEvent* e) override;
    void dropEvent(QDropEvent* e) override;

public:

protected:
    void Form_Load() override;
    void Form_Unload(int& cancel) override;

private:
    void buildElements();
    void buildMenus();
    void CheckRateItem(MenuItem* item);
    void SeekBarRange();
    void ShuffleNext();
    void toggleOption(MenuItem* item, const QString& key);
    void playListRow(int row);
    bool passedOver(int row);  // the advance skips the row: it has played, or its file is missing (told)
    bool passOverMissing(int row);
    // Whether the row's file is missing; a missing one is named in the status text as passed over.
    bool missingPassedOver(int row);
    // The files passed over of late, and since when the status text names them.
    QStringList passedOverFiles_;
    QElapsedTimer passedOverClock_;
    QString passedOverText() const;
    void buildSkin();
    void resizeEvent(QResizeEvent* e) override;
    bool eventFilter(QObject* watched, QEvent* event) override;
    QRect screenTwips() const;
    QPixmap circle_, circle1_;
    bool unloading_ = false;
};
