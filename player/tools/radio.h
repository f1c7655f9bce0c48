#pragma once
// The internet radio: a built-in tree of regions and their stations. The chosen station's address is
// played by the main window's media player; a 100 ms tick shows its buffering progress or the station
// now playing, and the bandwidth, and names the station in the main window's title.
#include "ui/singleton.h"

#include <QString>

class QLabel;
class QPushButton;
class QTimer;
class QTreeWidget;
class QTreeWidgetItem;

class Radio : public VbForm, public SingleWindow<Radio> {
    Q_OBJECT
    PELLUM_SINGLE_WINDOW(Radio)
public:
    Radio();

    QTreeWidget* RT = nullptr;        // regions (icon 1) and their stations (icon 2)
    QLabel* Label1 = nullptr;         // the chosen node's key: a station's address, or a region's code
    QLabel* Label3 = nullptr;         // the chosen node's text
    QLabel* Label2 = nullptr;         // the status lines
    QPushButton* Command1 = nullptr;  // Play
    QPushButton* Command2 = nullptr;  // Exit
    QTimer* Timer1 = nullptr;         // the status tick, 100 ms

    // The node's key (station address or region code); the empty text for none.
    static QString NodeKey(const QTreeWidgetItem* node);
    // The root node of a region by its code, nullptr when there is none.
    QTreeWidgetItem* Region(const QString& key) const;

    void BuildStationTree();
    // Adds a station under the region with key `regionKey` (nothing when there is no such region).
    void AddStation(const QString& name, const QString& address, const QString& regionKey);

    void RT_NodeClick(QTreeWidgetItem* node);
    void Command1_Click();  // Play
    void Command2_Click();  // Exit: hides the window
    void Timer1_Timer();

    // The bandwidth line's number: whole kilo-units of the bits a second, "20KB" for 20480.
    static QString BandwidthText(long bitsPerSecond);

protected:
    void Form_Load() override;

private:
    // Whether the main player is playing the address this window opened (open, not failed, not replaced).
    bool playingOurs() const;
    QString opened_;      // the address Play gave the main player
    QString openedName_;  // and its station's name
};
