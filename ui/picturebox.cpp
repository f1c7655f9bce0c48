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

void PictureBox::render(const QSize& size)
{
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
    picture_ = picture.isNull() || picture.format() == QImage::Format_RGB32
                   ? picture
                   : picture.convertToFormat(QImage::Format_RGB32);
    const QSize size = AutoSize ? picture_.size() : image_.size();
    render(size);
    resize(size);
    update();
}

void PictureBox::setSize(int width, int height)
{
    const QSize size(qMax(0, width), qMax(0, height));
    if (size == image_.size())
        return;
    const QImage before = image_;
    render(size);
    if (!before.isNull() && !image_.isNull()) {
        QPainter p(&image_);
        p.setCompositionMode(QPainter::CompositionMode_Source);
        p.drawImage(0, 0, before);
    }
    resize(size);
    update();
}

void PictureBox::Cls()
{
    render(image_.size());
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
    const QImage read = reader.read();
    if (read.isNull())
        return read;
    if (!read.hasAlphaChannel())
        return read.convertToFormat(QImage::Format_RGB32);
    QImage out(read.size(), QImage::Format_RGB32);
    out.fill(Qt::black);
    QPainter p(&out);
    p.drawImage(0, 0, read);
    p.end();
    return out;
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
