#pragma once
// A picture box measured in pixels: a picture that serves as its background, and the pixels drawn over
// it, kept in an off-screen image that the box shows. Drawing lands in the image; the box shows it at
// its next repaint (update()).
#include <QImage>
#include <QWidget>

class QFile;
class QImageReader;

class PictureBox : public QWidget {
    Q_OBJECT
public:
    explicit PictureBox(QWidget* parent = nullptr);

    // The background picture. Setting it shows it alone (what was drawn is gone); with AutoSize the box
    // takes the picture's size first.
    const QImage& Picture() const { return picture_; }
    void setPicture(const QImage& picture);
    bool AutoSize = false;

    // Keeps pixels only within the top-left `area` of the box, for a box that can be larger than what
    // is ever seen of it (a photo larger than the screen): the box keeps its size, but its background
    // and what is drawn beyond the area are dropped, and show black. An empty area keeps every pixel
    // (the default).
    void keepWithin(const QSize& area);

    // The pixels on show, one 32-bit RGB value each: the picture at the top-left, the box's black
    // background where the picture does not reach, and whatever was drawn over them; of a box that keeps
    // only an area, that area's part. The box's size is ScaleWidth x ScaleHeight.
    QImage& Image() { return image_; }
    const QImage& Image() const { return image_; }
    int ScaleWidth() const { return size_.width(); }
    int ScaleHeight() const { return size_.height(); }

    // New size: what was drawn stays where it still fits; new area shows the picture (or black).
    void setSize(int width, int height);
    // Clears what was drawn: the picture alone shows again.
    void Cls();

    // Loads a picture file into an image of the box's pixel format, transparent parts over black. A
    // file that is no picture, or cannot be read, gives a null image.
    static QImage load(const QString& path);
    // Reads a picture file as it is stored, by the bytes of its name. A null image when it cannot.
    static QImage read(const QString& path);
    // Points `reader` at the picture file `path`, opened in `file` by the bytes of its name
    // (TextFile::openForReading). The format is found as for a reader given the name: by the name's
    // extension, else by the content.
    static void openReader(QImageReader& reader, QFile& file, const QString& path);

protected:
    void paintEvent(QPaintEvent* e) override;
    // A press on the box is the box's own: it does not reach the window behind it.
    void mousePressEvent(QMouseEvent* e) override;

private:
    // The part of a box of `size` whose pixels are kept.
    QSize kept(const QSize& size) const;
    void render();
    QSize size_{0, 0};
    QSize keep_;  // empty: all
    QImage picture_;
    QImage image_;
};
