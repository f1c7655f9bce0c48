#include "player/module1.h"

#include <QApplication>
#include <clocale>

namespace Module1 {

QString& LanguagePath()
{
    static QString path;
    return path;
}

int run(int argc, char** argv)
{
    QApplication app(argc, argv);
    // mpv refuses to start under a locale whose decimal point is not ".".
    std::setlocale(LC_NUMERIC, "C");
    return 0;
}

}  // namespace Module1
