#pragma once
// The about window; it also holds the version text that the main window shows.
#include "ui/singleton.h"

#include <QLabel>
#include <QPlainTextEdit>
#include <QPushButton>

class frmAbout : public VbForm, public SingleWindow<frmAbout> {
    Q_OBJECT
    PELLUM_SINGLE_WINDOW(frmAbout)
public:
    frmAbout();

    QString VersionText;
    QLabel* lv = nullptr;  // version text and start count
    QPlainTextEdit* Text1 = nullptr;
    QLabel* Label11 = nullptr;
    QLabel* Picture1 = nullptr;
    QWidget* cmdOK = nullptr;
    QPushButton *Command1 = nullptr, *Command2 = nullptr, *Command3 = nullptr;

    // The project's own addresses, handed to the desktop unchanged.
    static constexpr const char* MailAddress = "mailto:pellumplayer@example.org";
    static constexpr const char* WebAddress = "https://pellumplayer.example.org/";

public slots:
    void cmdOK_Click();
    void Command1_Click();
    void Command2_Click();
    void Command3_Click();

protected:
    void Form_Load() override;
};
