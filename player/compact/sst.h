#pragma once
// Minutes and seconds of a number of seconds, as the compact window and the main window show them:
// "01:15" for 75, "60:00" for 3600 (there is no hour field).
#include <QString>

QString sst(double n);
QString sst(const QString& n);
