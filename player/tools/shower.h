#pragma once
// The picture and list browser: one folder at a time, in one of two modes. Pictures are previewed,
// fitted into a frame and centred on it, and can be made the desktop wallpaper; play-list files are shown
// as text and can be imported into the main window's list. The mode is remembered between runs.
#include "ui/singleton.h"

#include <QImage>
#include <QSize>
#include <QString>

class DirListBox;
class DriveListBox;
class FileListBox;
class QLabel;
class QPlainTextEdit;
class QPushButton;

class Shower : public VbForm, public SingleWindow<Shower> {
    Q_OBJECT
    PELLUM_SINGLE_WINDOW(Shower)
public:
    Shower();

    DriveListBox* Drive1 = nullptr;
    DirListBox* Dir1 = nullptr;
    FileListBox* File1 = nullptr;      // the folder's files that match the mode's pattern
    QLabel* imgBackGround = nullptr;   // the frame the preview is fitted into and centred on
    QLabel* imgPreView = nullptr;      // the picture, drawn at the preview's size
    QPlainTextEdit* Text1 = nullptr;   // a list file's lines
    QLabel* Label2 = nullptr;          // status line
    QPushButton* Command1 = nullptr;   // Pictures
    QPushButton* Command2 = nullptr;   // PlayList
    QPushButton* Command3 = nullptr;   // DeskWallpaper
    QPushButton* Command4 = nullptr;   // Exit
    QPushButton* Command5 = nullptr;   // Importlist
    QPushButton* Command6 = nullptr;   // next file
    QPushButton* Command7 = nullptr;   // previous file

    qint16 ShowMode = 0;  // 0 pictures, 1 play lists
    QString PicturePath;
    QString ShownPicturePath;
    QString PictureFolder, ListFolder;

    static const QString PicturePattern;
    static const QString ListPattern;

    // Previews PicturePath, unless it is the picture shown already (case ignored).
    void PicShow();

    void Command1_Click();  // pictures
    void Command2_Click();  // play lists
    void Command3_Click();  // wallpaper
    void Command4_Click();  // exit
    void Command5_Click();  // import
    void Command6_Click();  // next
    void Command7_Click();  // previous
    void Drive1_Change();
    void Dir1_Change();
    void File1_Click();

    // The size a picture of `picture` twips is shown at in a frame of `frame` twips: its own when it fits
    // within the frame less 2 twips each way, else the first of 99%, 98%, ... of it that fits, and for a
    // picture too large for every 1% step, the largest size of its proportions that fits.
    static QSize FitSize(const QSize& picture, const QSize& frame);

protected:
    void Form_Load() override;
    void showEvent(QShowEvent* e) override;

private:
    // The folder's file `name` as a path.
    QString pathOf(const QString& name) const;
    void switchMode(qint16 mode);
    void hidePreview();
    QImage picture_;  // the previewed picture at its own size, for the wallpaper
};
