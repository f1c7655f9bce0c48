#pragma once
// A drive chooser: one row per drive of the drive table, "c: [folder]" ("d: [no disc]" for a drive with
// nothing mounted). Choosing a row, by the user or by setDrive, raises Change.
#include <QComboBox>

class DirListBox;

class DriveListBox : public QComboBox {
    Q_OBJECT
public:
    explicit DriveListBox(QWidget* parent = nullptr);

    // The chosen drive as "c:", or the empty text.
    QString Drive() const;
    // Chooses the drive of a letter ("D", "d:", "D:\"); an unknown letter changes nothing.
    void setDrive(const QString& letter);
    // Reads the drive table again, keeping the chosen drive when it is still there.
    void Refresh();
    // Opens the chosen drive's root folder in `folder`. A drive with no disc, or one not ready, leaves
    // the folder list where it was, and this list shows that folder's drive again.
    void openIn(DirListBox* folder);

signals:
    void Change();

private:
    bool quiet_ = false;
};
