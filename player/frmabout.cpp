#include "player/frmabout.h"

#include "platform/settings.h"
#include "ui/twips.h"

frmAbout::frmAbout()
{
    setObjectName(QStringLiteral("frmAbout"));
    setWindowFlags(Qt::Dialog);
    lv = new QLabel(this);
    lv->setGeometry(Twips::rect(240, 240, 4500, 300));
}

void frmAbout::Form_Load()
{
    VersionText = QStringLiteral("Version: Linux edition 1.0");
    const QString uc = SettingsStore::GetSetting(QStringLiteral("uc"), QStringLiteral("0"));
    lv->setText(VersionText + QStringLiteral(" (") + uc.trimmed() + QStringLiteral(")"));
    setWindowTitle(QStringLiteral("PellumPlayer ") + lv->text());
}
