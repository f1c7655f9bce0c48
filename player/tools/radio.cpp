#include "player/tools/radio.h"

#include "platform/media/mediaplayer.h"
#include "platform/media/mpvengine.h"
#include "player/form1.h"
#include "player/she.h"

#include <QGridLayout>
#include <QHeaderView>
#include <QIcon>
#include <QLabel>
#include <QPushButton>
#include <QTimer>
#include <QTreeWidget>

namespace {

constexpr int KeyRole = Qt::UserRole;

struct RegionEntry {
    const char* key;
    const char* name;
    const char* const* stations;  // names, ending with nullptr
};

const char* const kTw[] = {"全國廣播", "ICRT", "HiFM 91.7", "大眾電台KISS", "台北愛樂", "台中大千", "高雄港都",
                           "高雄kiss", "東森ETFM聯播網", "真心之音電台", "亞洲調頻廣播網",
                           "教育廣播電台101.7MHz調頻廣播", "教育廣播電台1494KHz調幅廣播", "好事聯播網best98.9",
                           "銀河-流行音樂台Pop Channel", "警廣-全國台", "台中台", "長青網", nullptr};
const char* const kJp[] = {"NHK國際廣播電台", "ECHO", nullptr};
const char* const kKo[] = {"KBS1FM", "KBS1R", "KBS2R", "KBS3R", "KBS2SCR", "韓國中央台", "韓國中央台 2", nullptr};
const char* const kHk[] = {"亞洲電視網上廣播", nullptr};
const char* const kUw[] = {"澳門電台", nullptr};
const char* const kMya[] = {"麗的呼聲", nullptr};
const char* const kSin[] = {"Class 95FM", "Perfect 10", "NewsRadio 93.8", "Gold 90.5FM", "Symphony 92.4FM",
                            "The International Channel", "Ria 89.7FM", "Warna 94.2FM", "Oli 96.8FM", nullptr};
const char* const kGa[] = {"溫哥華AM1470", "溫哥華FM961", "多倫多AM1470", "多倫多FM889", nullptr};
const char* const kFi[] = {"法國國際中文電台1", "法國國際中文電台2", nullptr};

const RegionEntry kRegions[] = {
    {"tw", "台灣地區", kTw},     {"jp", "日本地區", kJp},   {"ko", "韓國地區", kKo},
    {"hk", "香港地區", kHk},     {"uw", "澳門地區", kUw},   {"mya", "馬來西亞地區", kMya},
    {"sin", "新加坡地區", kSin}, {"ga", "加拿大地區", kGa}, {"fi", "法國地區", kFi},
};

// No stream address of these stations is known here to be current, so none is given as if it were:
// every station gets an address in the reserved ".invalid" domain, which never resolves. Playing one
// fails in the media player like any dead stream, and the status then names no station. A station
// whose real address becomes known gets it here.
QString stationAddress(const char* region, int number)
{
    return QStringLiteral("http://radio.example.invalid/%1/%2").arg(QLatin1String(region)).arg(number, 2, 10, QLatin1Char('0'));
}

QIcon nodeIcon(int image)
{
    return QIcon(image == 1 ? QStringLiteral(":/skin/region.png") : QStringLiteral(":/skin/station.png"));
}

}  // namespace

Radio::Radio()
{
    setObjectName(QStringLiteral("Radio"));
    setWindowTitle(QStringLiteral("PellumPlayer -Radio "));
    setWindowFlags(Qt::Window);
    RT = new QTreeWidget(this);
    RT->setObjectName(QStringLiteral("RT"));
    RT->setHeaderHidden(true);
    RT->setColumnCount(1);
    RT->setRootIsDecorated(true);
    Label1 = new QLabel(this);
    Label1->setObjectName(QStringLiteral("Label1"));
    Label1->setTextInteractionFlags(Qt::TextSelectableByMouse);
    Label3 = new QLabel(this);
    Label3->setObjectName(QStringLiteral("Label3"));
    Label2 = new QLabel(this);
    Label2->setObjectName(QStringLiteral("Label2"));
    Label2->setMinimumHeight(2 * Label2->fontMetrics().lineSpacing());
    Command1 = new QPushButton(this);
    Command1->setObjectName(QStringLiteral("Command1"));
    Command2 = new QPushButton(this);
    Command2->setObjectName(QStringLiteral("Command2"));
    Timer1 = new QTimer(this);
    Timer1->setInterval(100);

    auto* layout = new QGridLayout(this);
    layout->addWidget(RT, 0, 0, 1, 2);
    layout->addWidget(Label3, 1, 0, 1, 2);
    layout->addWidget(Label1, 2, 0, 1, 2);
    layout->addWidget(Label2, 3, 0, 1, 2);
    layout->addWidget(Command1, 4, 0);
    layout->addWidget(Command2, 4, 1);

    // A node is chosen by the user: a click, or the keys that select a node. The tree's own current node,
    // which it sets to the first region when the window is activated, chooses nothing.
    connect(RT, &QTreeWidget::itemSelectionChanged, this, [this] {
        const QList<QTreeWidgetItem*> chosen = RT->selectedItems();
        if (!chosen.isEmpty())
            RT_NodeClick(chosen.first());
    });
    connect(RT, &QTreeWidget::itemClicked, this, &Radio::RT_NodeClick);
    connect(Command1, &QPushButton::clicked, this, &Radio::Command1_Click);
    connect(Command2, &QPushButton::clicked, this, &Radio::Command2_Click);
    connect(Timer1, &QTimer::timeout, this, &Radio::Timer1_Timer);
    resize(360, 460);
}

void Radio::Form_Load()
{
    Command1->setText(SHE::LangText(QStringLiteral("play"), QStringLiteral("Play")));
    Command2->setText(SHE::LangText(QStringLiteral("exit"), QStringLiteral("Exit")));
    if (Form1::isLoaded())
        setWindowIcon(Form1::instance().windowIcon());
    BuildStationTree();
    Timer1->start();
}

QString Radio::NodeKey(const QTreeWidgetItem* node) { return node ? node->data(0, KeyRole).toString() : QString(); }

QTreeWidgetItem* Radio::Region(const QString& key) const
{
    for (int i = 0; i < RT->topLevelItemCount(); ++i)
        if (NodeKey(RT->topLevelItem(i)) == key)
            return RT->topLevelItem(i);
    return nullptr;
}

void Radio::BuildStationTree()
{
    for (const RegionEntry& r : kRegions) {
        auto* node = new QTreeWidgetItem(RT, {QString::fromUtf8(r.name)});
        node->setData(0, KeyRole, QString::fromLatin1(r.key));
        node->setIcon(0, nodeIcon(1));
        for (int i = 0; r.stations[i]; ++i)
            AddStation(QString::fromUtf8(r.stations[i]), stationAddress(r.key, i + 1), QString::fromLatin1(r.key));
    }
}

void Radio::AddStation(const QString& name, const QString& address, const QString& regionKey)
{
    QTreeWidgetItem* region = Region(regionKey);
    if (!region)
        return;
    auto* node = new QTreeWidgetItem(region, {name});
    node->setData(0, KeyRole, address);
    node->setIcon(0, nodeIcon(2));
    node->setToolTip(0, address);
}

void Radio::RT_NodeClick(QTreeWidgetItem* node)
{
    Label1->setText(NodeKey(node));
    Label3->setText(node ? node->text(0) : QString());
}

void Radio::Command1_Click()
{
    // With nothing chosen there is nothing to open: an empty address would close what the player plays.
    const QString address = Label1->text();
    if (address.isEmpty() || !Form1::isLoaded())
        return;
    opened_ = address;
    openedName_ = Label3->text();
    Form1::instance().mp->Open(address);
}

void Radio::Command2_Click() { hide(); }

bool Radio::playingOurs() const
{
    const MediaPlayer* mp = Form1::instance().mp;
    return !opened_.isEmpty() && mp->FileName() == opened_ && mp->PlayState() != 0 && mp->engine().loaded();
}

QString Radio::BandwidthText(long bitsPerSecond) { return QString::number(bitsPerSecond / 1024) + QStringLiteral("KB"); }

void Radio::Timer1_Timer()
{
    if (!Form1::isLoaded())
        return;
    Form1& main = Form1::instance();
    const int p = main.mp->BufferingProgress();
    QString status;
    if (p != 100) {
        status = SHE::LangText(QStringLiteral("readprogress"), QStringLiteral("Read progress")) + QStringLiteral(": ") +
                 QString::number(p);
    } else {
        // The station is named only while the player plays what this window opened; the title is the
        // main window's, which says what plays.
        const bool ours = playingOurs();
        status = SHE::LangText(QStringLiteral("nowplaying"), QStringLiteral("Now playing")) + QStringLiteral(": ") +
                 (ours ? openedName_ : QString());
        if (ours)
            main.setWindowTitle(QStringLiteral("PellumPlayer >> ") + openedName_);
    }
    status += QStringLiteral("\r\n") + SHE::LangText(QStringLiteral("bandwidth"), QStringLiteral("Now bandwidth")) +
              QStringLiteral(": ") + BandwidthText(main.mp->Bandwidth());
    Label2->setText(status);
}
