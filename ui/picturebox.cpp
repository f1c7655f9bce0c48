#include "ui/picturebox.h"

#include "platform/textfile.h"

#include <QFile>
#include <QFileInfo>
#include <QImageReader>
#include <QMouseEvent>
#include <QPainter>

PictureBox::PictureBox(QWidget* parent) : QWidget(parent)
{
    setAttribute(Qt::WA_OpaquePaintEvent);
    setFocusPolicy(Qt::NoFocus);
    image_ = QImage(0, 0, QImage::Format_RGB32);
    resize(0, 0);
}

QSize PictureBox::kept(const QSize& size) const { return keep_.isEmpty() ? size : size.boundedTo(keep_); }

// The picture alone. A picture that covers the box exactly is shared, not copied, until something is
// drawn: a hidden box that only serves as a source holds its picture once.
void PictureBox::render()
{
    const QSize size = kept(size_);
    if (picture_.size() == size) {
        image_ = picture_;
        return;
    }
    QImage next(size, QImage::Format_RGB32);
    next.fill(Qt::black);
    if (!picture_.isNull() && !next.isNull()) {
        QPainter p(&next);
        p.setCompositionMode(QPainter::CompositionMode_Source);
        p.drawImage(0, 0, picture_);
    }
    image_ = next;
}

void PictureBox::setPicture(const QImage& picture)
{
    const QImage incoming = picture;  // shared, not copied; the argument may be this box's own picture
    // Drop the old pixels first, so that a large picture is never held twice here.
    image_ = QImage();
    picture_ = QImage();
    if (AutoSize)
        size_ = incoming.size();
    const QSize keep = kept(incoming.size());
    QImage part = keep == incoming.size() ? incoming : incoming.copy(QRect(QPoint(0, 0), keep));
    if (!part.isNull() && part.format() != QImage::Format_RGB32)
        part.convertTo(QImage::Format_RGB32);
    picture_ = part;
    render();
    resize(size_);
    update();
}

void PictureBox::keepWithin(const QSize& area)
{
    if (area == keep_)
        return;
    keep_ = area;
    const QSize pictureKept = kept(picture_.size());
    if (pictureKept != picture_.size())
        picture_ = picture_.copy(QRect(QPoint(0, 0), pictureKept));
    const QSize imageKept = kept(size_);
    if (imageKept == image_.size())
        return;
    const QImage before = image_;
    render();
    if (!before.isNull() && !image_.isNull()) {
        QPainter p(&image_);
        p.setCompositionMode(QPainter::CompositionMode_Source);
        p.drawImage(0, 0, before);
    }
    update();
}

void PictureBox::setSize(int width, int height)
{
    const QSize size(qMax(0, width), qMax(0, height));
    if (size == size_)
        return;
    size_ = size;
    if (kept(size) != image_.size()) {
        const QImage before = image_;
        image_ = QImage();
        render();
        if (!before.isNull() && !image_.isNull()) {
            QPainter p(&image_);
            p.setCompositionMode(QPainter::CompositionMode_Source);
            p.drawImage(0, 0, before);
        }
    }
    resize(size);
    update();
}

void PictureBox::Cls()
{
    render();
    update();
}

void PictureBox::openReader(QImageReader& reader, QFile& file, const QString& path)
{
    TextFile::openForReading(file, path);
    reader.setDevice(&file);
    // A file opened by other bytes has no name to take the extension from.
    if (file.fileName().isEmpty())
        reader.setFormat(QFileInfo(path).suffix().toLower().toLatin1());
}

QImage PictureBox::read(const QString& path)
{
    QFile file;
    QImageReader reader;
    openReader(reader, file, path);
    return reader.read();
}

QImage PictureBox::load(const QString& path)
{
    QFile file;
    QImageReader reader;
    openReader(reader, file, path);
    reader.setAutoTransform(true);
    QImage read = reader.read();
    if (read.isNull() || read.format() == QImage::Format_RGB32)
        return read;
    if (!read.hasAlphaChannel()) {
        read.convertTo(QImage::Format_RGB32);
        return read;
    }
    // Over black, in place: a premultiplied pixel is its colour over black once its alpha is made opaque.
    read.convertTo(QImage::Format_ARGB32_Premultiplied);
    for (int y = 0; y < read.height(); ++y) {
        auto* line = reinterpret_cast<QRgb*>(read.scanLine(y));
        for (int x = 0; x < read.width(); ++x)
            line[x] |= 0xff000000u;
    }
    read.reinterpretAsFormat(QImage::Format_RGB32);
    return read;
}

void PictureBox::paintEvent(QPaintEvent* e)
{
    QPainter p(this);
    const QRect r = e->rect();
    if (!image_.rect().contains(r))
        p.fillRect(r, Qt::black);
    p.drawImage(r.topLeft(), image_, r);
}

void PictureBox::mousePressEvent(QMouseEvent* e) { e->accept(); }
