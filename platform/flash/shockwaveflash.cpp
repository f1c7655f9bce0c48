#include "platform/flash/shockwaveflash.h"

#include "platform/textfile.h"

#include <QFile>
#include <QFileInfo>
#include <QPainter>

namespace {
// The start of the file is all the header needs; compressed movies need only the first few hundred bytes
// of their stream, but a generous read keeps odd encoders working.
constexpr qint64 kReadLimit = 64 * 1024;
}

ShockwaveFlash::ShockwaveFlash(QWidget* parent) : QWidget(parent)
{
    setAutoFillBackground(false);
}

void ShockwaveFlash::setMovie(const QString& path)
{
    movie_ = path;
    header_ = SwfHeader();
    problem_.clear();
    playing_ = false;
    if (path.isEmpty()) {
        update();
        return;
    }
    // By the name's own bytes: a movie named in other bytes than UTF-8 is read as it was listed.
    QFile f;
    const qint64 size = TextFile::fileSize(path);
    if (!TextFile::exists(path))
        problem_ = tr("The file cannot be found.");
    else if (size < 0)
        problem_ = tr("This is not a file.");
    else if (!TextFile::openForReading(f, path))
        problem_ = tr("The file cannot be read: %1").arg(f.errorString());
    else {
        header_ = readSwfHeader(f.read(kReadLimit));
        if (header_.ok && header_.compression == 'F' && quint64(size) < header_.fileLength)
            problem_ = tr("The file is shorter (%1 bytes) than its header states (%2 bytes).")
                           .arg(size)
                           .arg(header_.fileLength);
    }
    update();
}

void ShockwaveFlash::Play()
{
    playing_ = !movie_.isEmpty();
    update();
}

QStringList ShockwaveFlash::lines() const
{
    QStringList out;
    if (movie_.isEmpty())
        return out;
    out << QFileInfo(movie_).fileName();
    if (!problem_.isEmpty() && !header_.ok) {
        out << problem_;
    } else if (!header_.ok) {
        out << header_.error;
    } else {
        out << tr("Flash version %1, compression: %2").arg(header_.version).arg(header_.compressionName());
        out << tr("Length: %1 bytes").arg(header_.fileLength);
        out << tr("Frame size: %1 × %2 pixels")
                   .arg(header_.widthPixels(), 0, 'g', 6)
                   .arg(header_.heightPixels(), 0, 'g', 6);
        out << tr("Frame rate: %1 frames a second, %2 frames")
                   .arg(header_.frameRate, 0, 'g', 6)
                   .arg(header_.frameCount);
        if (!problem_.isEmpty())
            out << problem_;
    }
    out << tr("Flash movies are not played here.");
    return out;
}

void ShockwaveFlash::paintEvent(QPaintEvent*)
{
    QPainter p(this);
    p.fillRect(rect(), QColor(24, 24, 32));
    const QStringList ls = lines();
    if (ls.isEmpty())
        return;
    p.setPen(QColor(220, 220, 230));
    QFont f = font();
    const QFontMetrics fm(f);
    int y = 12 + fm.ascent();
    for (int i = 0; i < ls.size(); ++i) {
        QFont lf = f;
        lf.setBold(i == 0);
        p.setFont(lf);
        p.drawText(QRect(12, y - fm.ascent(), width() - 24, fm.height() * 3), Qt::TextWordWrap, ls[i]);
        y += QFontMetrics(lf).boundingRect(QRect(0, 0, qMax(1, width() - 24), 10000), Qt::TextWordWrap, ls[i]).height() + 4;
    }
}
