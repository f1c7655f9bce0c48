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

    // The pixels on show, one 32-bit RGB value each: the picture at the top-left, the box's black
    // background where the picture does not reach, and whatever was drawn over them.
    QImage& Image() { return image_; }
    const QImage& Image() const { return image_; }
    int ScaleWidth() const { return image_.width(); }
    int ScaleHeight() const { return image_.height(); }

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
    void render(const QSize& size);
    QImage picture_;
    QImage image_;
};
