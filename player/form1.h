#pragma once
// The main player window: the video area, the play list (List1 paths, List2 rows), the seek bar, the
// status labels, the full menu and the label strip that serves as its menu bar.
#include "ui/listbox.h"
#include "ui/menuitem.h"
#include "ui/singleton.h"

#include <QLabel>
#include <QList>
#include <QMenu>
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
    int markedIndex = 0;
    QStringList ShufflePool;

    void REL();
    void importj(const QString& FN, int ck);
    // The file's length in bytes, or 0 when it cannot be read (callers take a non-zero result to mean
    // that the file exists).
    static qint64 CF(const QString& FN);
    void ol_Click();

    // --- playing ---
    MediaPlayer* mp = nullptr;
    ShockwaveFlash* SF = nullptr;
    void List1_Click();  // the play step for List2's selected row
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
    static void wait(double delay);

    // --- texts and layout ---
    QString GL(const QString& key, const QString& defaultValue) const;
    void language();
    void labelsp();
    void labelst();

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
    QList<QLabel*> Label1;       // the label strip
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
    void ca_Click();

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
    void ShuffleNext();
    void toggleOption(MenuItem* item, const QString& key);
    bool dropFailedClip();
    QPixmap circle_, circle1_;
    bool unloading_ = false;
};
