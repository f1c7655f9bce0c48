#pragma once
// FlatButton: a button drawn flat, raised while the pointer is over it and sunken while it is pressed,
// with a picture for each of these three looks, an optional caption, an optional toggled-down state
// and a hover tooltip.
//
// Hosts do not include this header: they create the control through the library's class factory
// (brimlet.h) and talk to it as to any QWidget, by name: Qt properties (Picture, DownPicture,
// MoveInPic, Caption, BackColor, Font, Style, IsDown, LightLine, DarkLine; read-only SavedBackColor,
// LastError, LastErrorText), the signal Click() and the signal PropertyChanged(QString).
//
// ShowButton(IsVisible, UpDown) takes the platform's truth values: IsVisible 0 (false) draws the flat
// look; -1 (true) with UpDown 1 the raised look, with UpDown 0 the sunken look; any other pair leaves
// the face cleared. It returns an empty QVariant.
//
// The container's ambient properties come from the widget tree: user mode is the first dynamic
// property "UserMode" found on an ancestor (none: the host is running, so Style cannot be set); the
// ambient font is the parent widget's font. The host keeps the tooltip text as the control's dynamic
// property "ToolTipText", read when the hover timer fires.
//
// A caption wider than the button is printed smaller, down to a readable size, and only then cut
// short; the hover tip of a caption cut short shows the whole caption.
//
// Errors: an assignment the control refuses leaves the value unchanged and sets LastError to the error
// number (393: Style set while the host runs; 6: Style outside 16 bits) and LastErrorText to its
// description; an assignment that succeeds sets LastError to 0.
#include "brimlet.h"

#include <QFont>
#include <QImage>
#include <QString>
#include <QVariant>
#include <QWidget>

#if defined(BRIMLET_BUILDING)
#define BRIMLET_CLASS Q_DECL_EXPORT
#else
#define BRIMLET_CLASS Q_DECL_IMPORT
#endif

class QTimer;

class BRIMLET_CLASS FlatButton : public QWidget {
    Q_OBJECT
    Q_PROPERTY(QImage Picture READ picture WRITE setPicture)
    Q_PROPERTY(QImage DownPicture READ downPicture WRITE setDownPicture)
    Q_PROPERTY(QImage MoveInPic READ moveInPic WRITE setMoveInPic)
    Q_PROPERTY(QString Caption READ caption WRITE setCaption)
    Q_PROPERTY(uint BackColor READ backColor WRITE setBackColor)
    Q_PROPERTY(QFont Font READ fontProperty WRITE setFontProperty)
    Q_PROPERTY(int Style READ style WRITE setStyle)
    Q_PROPERTY(bool IsDown READ isDown WRITE setIsDown)
    Q_PROPERTY(uint LightLine READ lightLine WRITE setLightLine)
    Q_PROPERTY(uint DarkLine READ darkLine WRITE setDarkLine)
    Q_PROPERTY(uint SavedBackColor READ savedBackColor)
    Q_PROPERTY(int LastError READ lastError)
    Q_PROPERTY(QString LastErrorText READ lastErrorText)

public:
    enum ButtonStyle { Normal = 0, Toggle = 1 };
    Q_ENUM(ButtonStyle)

    static constexpr uint DefaultBackColor = 0x8000000Fu;  // system colour 15, the button face
    static constexpr uint DefaultLightLine = 0x80000009u;  // system colour 9
    static constexpr uint DefaultDarkLine = 0x808080u;     // mid grey
    static constexpr uint ToggledFace = 0xE0E0E0u;         // light grey of a toggled-down button

    explicit FlatButton(QWidget* parent = nullptr);
    ~FlatButton() override;

    // The interface, in slot order.
    Q_INVOKABLE QVariant ShowButton(int IsVisible, int UpDown);
    QImage picture() const { return picture_; }
    void setPicture(const QImage& p);
    QImage downPicture() const { return downPicture_; }
    void setDownPicture(const QImage& p);
    QImage moveInPic() const { return moveInPic_; }
    void setMoveInPic(const QImage& p);
    QString caption() const { return caption_; }
    void setCaption(const QString& c);
    uint backColor() const { return backColor_; }
    void setBackColor(uint c);
    QFont fontProperty() const { return font(); }
    void setFontProperty(const QFont& f);
    int style() const { return style_; }
    void setStyle(int s);
    bool isDown() const { return isDown_; }
    void setIsDown(bool d);
    uint lightLine() const { return lightLine_; }
    void setLightLine(uint c);
    uint darkLine() const { return darkLine_; }
    void setDarkLine(uint c);

    uint savedBackColor() const { return savedBackColor_; }
    int lastError() const { return lastError_; }
    QString lastErrorText() const { return lastErrorText_; }

    // The container's calls. A bag is an object with the invokable methods
    // QVariant ReadProperty(QString key, QVariant defaultValue) and void WriteProperty(QString, QVariant).
    Q_INVOKABLE void InitProperties();
    Q_INVOKABLE bool ReadProperties(QObject* bag);
    Q_INVOKABLE bool WriteProperties(QObject* bag);

signals:
    void Click();
    void PropertyChanged(const QString& name);

protected:
    void paintEvent(QPaintEvent*) override;
    void resizeEvent(QResizeEvent*) override;
    void showEvent(QShowEvent*) override;
    void mouseMoveEvent(QMouseEvent* e) override;
    void mousePressEvent(QMouseEvent* e) override;
    void mouseReleaseEvent(QMouseEvent* e) override;
    void leaveEvent(QEvent* e) override;
    void hideEvent(QHideEvent* e) override;
    void changeEvent(QEvent* e) override;
    bool eventFilter(QObject* watched, QEvent* e) override;

private:
    // Gives up the pointer and the tooltip before Click runs (it may open a modal window), and the
    // hover look too (`flatten`) whenever the button's window is hidden, blocked by a modal window or
    // deactivated.
    void letGo(bool flatten);
    void changed(const char* name);
    // A property set by the host: clears the last error, stores the value, reports and redraws.
    template <class T>
    void assign(T& field, const T& value, const char* name)
    {
        lastError_ = 0;
        field = value;
        changed(name);
        refresh();
    }
    void fail(int number, const QString& text);
    bool userMode() const;
    QFont ambientFont() const;
    long twipsWidth() const;
    long twipsHeight() const;
    void clearSurface();
    void refresh();
    void paintPicture(const QImage& pic, long x, long y);
    void printCaption(long x, long y);
    void drawLine(int x1, int y1, int x2, int y2, uint colour);
    void paintFace();
    void drawStatePicture(const QImage& pic);
    bool inside(const QPointF& pos) const;
    void onTimer();

    QImage picture_;
    QString caption_;
    qint16 style_ = 0;
    bool isDown_ = false;
    uint lightLine_ = DefaultLightLine;
    uint darkLine_ = DefaultDarkLine;
    QImage downPicture_;
    QImage moveInPic_;
    uint savedBackColor_ = DefaultBackColor;
    uint backColor_ = DefaultBackColor;
    QTimer* tmrTimer = nullptr;
    QImage surface_;
    bool leftPressInside_ = false;
    bool captionElided_ = false;  // the caption last printed was cut short to fit
    int lastError_ = 0;
    QString lastErrorText_;
};
