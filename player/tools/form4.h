#pragma once
// The capture viewer: shows the picture of the whole screen that the main window's capture took, and
// saves it as a bitmap file or makes it the desktop wallpaper.
#include "ui/singleton.h"

#include <QLabel>
#include <QPixmap>
#include <QPushButton>

class QScrollArea;

class Form4 : public VbForm, public SingleWindow<Form4> {
    Q_OBJECT
    PELLUM_SINGLE_WINDOW(Form4)
public:
    Form4();

    QLabel* pc = nullptr;      // the captured screen
    QLabel* Label1 = nullptr;  // heading
    QLabel* Label2 = nullptr;  // hint
    QPushButton* Command1 = nullptr;  // Exit
    QPushButton* Command2 = nullptr;  // Save
    QPushButton* Command3 = nullptr;  // Wallpaper

    // Puts a captured picture into `pc`, sized to it.
    void setPicture(const QPixmap& picture);

    void Command1_Click();  // Exit
    void Command2_Click();  // Save
    void Command3_Click();  // Wallpaper

    // The wallpaper file: "Wallpaper.bmp" in the folder the desktop wallpaper is kept in.
    static QString wallpaperPath();
    // Writes `picture` as a bitmap file at `path`, whole or not at all (an older file is replaced); false,
    // with the reason in `error`, when it could not.
    static bool saveBitmap(const QPixmap& picture, const QString& path, QString* error = nullptr);
    // Writes `picture` to the wallpaper file and makes it the desktop wallpaper. The completion message
    // is shown only when the desktop took it; otherwise the user is told what failed and where the
    // bitmap is. Returns whether the wallpaper was set.
    static bool SetWallpaper(const QPixmap& picture, QWidget* parent = nullptr);

protected:
    void Form_Load() override;

private:
    QScrollArea* scroll_ = nullptr;
};
