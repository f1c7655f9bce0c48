#include "player/she.h"

#include "platform/desktop/shell.h"
#include "platform/dialogs.h"
#include "platform/profile.h"
#include "platform/settings.h"
#include "platform/textfile.h"
#include "player/module1.h"

#include <QRegularExpression>
#include <vector>

namespace SHE {

QString LangText(const QString& key, const QString& defaultValue)
{
    QString buffer;
    const int count = Profile::GetPrivateProfileString(QStringLiteral("language"), key, defaultValue, 100,
                                                       Module1::LanguagePath(), &buffer);
    return count == 0 ? defaultValue : buffer;
}

QString FileNameOf(const QString& path)
{
    const qsizetype cut = std::max(path.lastIndexOf(QLatin1Char('\\')), path.lastIndexOf(QLatin1Char('/')));
    return cut < 0 ? path : path.mid(cut + 1);
}

bool IsAddress(const QString& text)
{
    static const QRegularExpression scheme(QStringLiteral("^[A-Za-z][A-Za-z0-9+.-]+://"));
    return scheme.match(text).hasMatch();
}

bool IsMissingFile(const QString& path)
{
    if (path.isEmpty() || IsAddress(path))
        return false;
    // By the name's own bytes (a row from a list in the old code page names its file in those); no file
    // is named with a NUL.
    return !TextFile::exists(path);
}

QRegion MakeSkinRegion(const QImage& picture)
{
    if (!SettingsStore::GetFlag(QStringLiteral("vitrif")) || picture.isNull())
        return QRegion();
    const QImage img = picture.convertToFormat(QImage::Format_RGB32);
    const int w = img.width();
    const int h = img.height();
    const QRgb key = img.pixel(0, 0) & 0xFFFFFF;
    // Rows are scanned top to bottom and left to right, so the runs come out in the banded order that
    // QRegion::setRects takes without sorting.
    std::vector<QRect> runs;
    runs.reserve(size_t(qMin(h * 2, MostSkinRects + 1)));
    for (int y = 0; y < h && runs.size() <= size_t(MostSkinRects); ++y) {
        const auto* line = reinterpret_cast<const QRgb*>(img.constScanLine(y));
        int x0 = -1;
        for (int x = 0; x < w; ++x) {
            const bool shape = (line[x] & 0xFFFFFF) != key;
            if (shape && x0 < 0) {
                x0 = x;
            } else if (!shape && x0 >= 0) {
                runs.emplace_back(x0, y, x - x0, 1);
                x0 = -1;
            }
        }
        if (x0 >= 0)
            runs.emplace_back(x0, y, w - x0, 1);
    }
    QRegion region;
    if (!runs.empty() && runs.size() <= size_t(MostSkinRects))
        region.setRects(runs.data(), int(runs.size()));
    return region;
}

void StartMixer(QWidget* parent)
{
    QString why;
    if (!Shell::startMixer(&why))
        Dialogs::MsgBox(why, Dialogs::OKOnly, QStringLiteral("PellumPlayer"), parent);
}

}  // namespace SHE
