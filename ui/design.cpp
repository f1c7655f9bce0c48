#include "ui/design.h"

#include "platform/components/componentregistry.h"
#include "ui/twips.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QFont>
#include <QImage>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QLabel>
#include <QMetaMethod>
#include <QWidget>

namespace Design {

PropertyBag::PropertyBag(QVariantMap v, QObject* parent) : QObject(parent), values(std::move(v)) {}

QVariant PropertyBag::ReadProperty(const QString& key, const QVariant& defaultValue) const
{
    const auto it = values.constFind(key);
    return it == values.constEnd() ? defaultValue : it.value();
}

void PropertyBag::WriteProperty(const QString& key, const QVariant& value) { written.append({key, value}); }

namespace {

constexpr qint64 MaxDesignBytes = 16 * 1024 * 1024;

// "&H8000000F", "&H8000000F&", "0x8000000F" or decimal text.
bool parseColour(const QString& text, qlonglong* out)
{
    QString t = text.trimmed();
    bool ok = false;
    qulonglong v = 0;
    if (t.startsWith(QLatin1String("&H"), Qt::CaseInsensitive)) {
        t = t.mid(2);
        if (t.endsWith(QLatin1Char('&')))
            t.chop(1);
        v = t.toULongLong(&ok, 16);
    } else if (t.startsWith(QLatin1String("0x"), Qt::CaseInsensitive)) {
        v = t.mid(2).toULongLong(&ok, 16);
    } else {
        v = t.toULongLong(&ok, 10);
    }
    if (!ok || v > 0xFFFFFFFFull)
        return false;
    *out = qlonglong(v);
    return true;
}

QVariant decodeValue(const QString& where, const QJsonValue& v, const QDir& base, QStringList* problems)
{
    const auto note = [&](const QString& what) {
        if (problems)
            problems->append(QStringLiteral("%1: %2").arg(where, what));
    };
    switch (v.type()) {
    case QJsonValue::Null:
        return QVariant::fromValue(QImage());  // a stored "no picture"
    case QJsonValue::Bool:
        return v.toBool();
    case QJsonValue::Double: {
        const double d = v.toDouble();
        if (d == double(qlonglong(d)))
            return qlonglong(d);
        return d;
    }
    case QJsonValue::String:
        return v.toString();
    case QJsonValue::Object: {
        const QJsonObject o = v.toObject();
        if (o.contains(QLatin1String("file"))) {
            const QString rel = o.value(QLatin1String("file")).toString();
            const QString path = QDir::isAbsolutePath(rel) ? rel : base.filePath(rel);
            QImage img;
            if (rel.isEmpty() || !img.load(path)) {
                note(QStringLiteral("the picture %1 cannot be read").arg(path));
                return QVariant();
            }
            return QVariant::fromValue(img);
        }
        if (o.contains(QLatin1String("base64"))) {
            const QByteArray bytes = QByteArray::fromBase64(o.value(QLatin1String("base64")).toString().toLatin1());
            QImage img = QImage::fromData(bytes);
            if (img.isNull()) {
                note(QStringLiteral("the inline picture cannot be read"));
                return QVariant();
            }
            return QVariant::fromValue(img);
        }
        if (o.contains(QLatin1String("colour"))) {
            const QJsonValue c = o.value(QLatin1String("colour"));
            qlonglong colour = 0;
            if (c.isDouble() && c.toDouble() >= 0 && c.toDouble() <= 4294967295.0)
                return qlonglong(c.toDouble());
            if (c.isString() && parseColour(c.toString(), &colour))
                return colour;
            note(QStringLiteral("the colour %1 is not a colour").arg(c.toVariant().toString()));
            return QVariant();
        }
        if (o.contains(QLatin1String("family"))) {
            QFont f(o.value(QLatin1String("family")).toString());
            const double size = o.value(QLatin1String("size")).toDouble(0);
            if (size > 0 && size < 1000)
                f.setPointSizeF(size);
            f.setBold(o.value(QLatin1String("bold")).toBool());
            f.setItalic(o.value(QLatin1String("italic")).toBool());
            f.setUnderline(o.value(QLatin1String("underline")).toBool());
            f.setStrikeOut(o.value(QLatin1String("strikeout")).toBool());
            return QVariant::fromValue(f);
        }
        note(QStringLiteral("a value of unknown kind is ignored"));
        return QVariant();
    }
    default:
        note(QStringLiteral("a value of unknown kind is ignored"));
        return QVariant();
    }
}

int twipsOf(const QJsonObject& o, const char* key)
{
    const double d = o.value(QLatin1String(key)).toDouble(0);
    return d > -1e7 && d < 1e7 ? int(d) : 0;
}

}  // namespace

bool Read(const QString& path, StoredForm* form, QString* error, QStringList* problems)
{
    const auto fail = [&](const QString& why) {
        if (error)
            *error = QStringLiteral("The design %1 cannot be read: %2").arg(path, why);
        return false;
    };
    QFile f(path);
    if (!f.exists())
        return fail(QStringLiteral("the file does not exist"));
    if (!f.open(QIODevice::ReadOnly))
        return fail(f.errorString());
    if (f.size() > MaxDesignBytes)
        return fail(QStringLiteral("the file is too large"));
    QJsonParseError pe;
    const QJsonDocument doc = QJsonDocument::fromJson(f.readAll(), &pe);
    if (pe.error != QJsonParseError::NoError)
        return fail(pe.errorString());
    if (!doc.isObject() || !doc.object().value(QLatin1String("controls")).isArray())
        return fail(QStringLiteral("it holds no list of controls"));

    const QDir base = QFileInfo(path).absoluteDir();
    StoredForm result;
    result.window = doc.object().value(QLatin1String("window")).toString();
    int index = 0;
    for (const QJsonValue& cv : doc.object().value(QLatin1String("controls")).toArray()) {
        ++index;
        const QJsonObject c = cv.toObject();
        StoredControl sc;
        sc.name = c.value(QLatin1String("name")).toString();
        sc.progId = c.value(QLatin1String("class")).toString();
        const QString where = QStringLiteral("%1.%2").arg(result.window,
                                                          sc.name.isEmpty() ? QString::number(index) : sc.name);
        if (sc.progId.isEmpty()) {
            if (problems)
                problems->append(QStringLiteral("%1: no control class is named").arg(where));
            continue;
        }
        sc.twips = QRect(twipsOf(c, "left"), twipsOf(c, "top"), qMax(0, twipsOf(c, "width")),
                         qMax(0, twipsOf(c, "height")));
        if (c.contains(QLatin1String("ToolTipText")))
            sc.toolTipText = c.value(QLatin1String("ToolTipText")).toString();
        const QJsonObject props = c.value(QLatin1String("properties")).toObject();
        for (auto it = props.begin(); it != props.end(); ++it) {
            const QVariant value = decodeValue(where + QLatin1Char('.') + it.key(), it.value(), base, problems);
            if (value.isValid())
                sc.properties.insert(it.key(), value);
        }
        result.controls.append(sc);
    }
    if (form)
        *form = result;
    return true;
}

QWidget* CreateControl(const QString& progId, QWidget* parent, QString* message)
{
    QString error;
    QWidget* control = ComponentRegistry::CreateControl(progId, parent, &error);
    if (message)
        *message = control ? QString() : error;
    if (control)
        return control;
    auto label = new QLabel(error, parent);
    label->setWordWrap(true);
    label->setProperty("PlaceholderFor", progId);
    label->setToolTip(error);
    return label;
}

bool IsPlaceholder(const QWidget* widget) { return widget && widget->property("PlaceholderFor").isValid(); }

void SetToolTipText(QWidget* control, const QString& text)
{
    if (control)
        control->setProperty("ToolTipText", text);
}

Loaded Load(const QString& path, QWidget* window)
{
    Loaded loaded;
    StoredForm form;
    QString error;
    if (!Read(path, &form, &error, &loaded.messages)) {
        loaded.messages.append(error);
        return loaded;
    }
    loaded.ok = true;
    for (const StoredControl& sc : form.controls) {
        QString message;
        QWidget* w = CreateControl(sc.progId, window, &message);
        w->setObjectName(sc.name);
        w->setGeometry(Twips::rect(sc.twips.x(), sc.twips.y(), sc.twips.width(), sc.twips.height()));
        if (!message.isEmpty()) {
            loaded.messages.append(message);
        } else {
            if (sc.toolTipText.isValid())
                SetToolTipText(w, sc.toolTipText.toString());
            const QMetaObject* mo = w->metaObject();
            if (mo->indexOfMethod("ReadProperties(QObject*)") >= 0) {
                PropertyBag bag(sc.properties);
                QMetaObject::invokeMethod(w, "ReadProperties", Qt::DirectConnection, Q_ARG(QObject*, &bag));
            } else {
                for (auto it = sc.properties.begin(); it != sc.properties.end(); ++it)
                    if (!w->setProperty(it.key().toUtf8().constData(), it.value()))
                        loaded.messages.append(QStringLiteral("%1.%2: %3 has no property %4")
                                                   .arg(form.window, sc.name, sc.progId, it.key()));
            }
        }
        if (!sc.name.isEmpty())
            loaded.controls.insert(sc.name, w);
    }
    return loaded;
}

QWidget* Bind(const Loaded& loaded, const QString& name, QObject* receiver, const char* slot)
{
    QWidget* w = loaded.controls.value(name);
    if (w && !IsPlaceholder(w))
        QObject::connect(w, SIGNAL(Click()), receiver, slot);
    return w;
}

}  // namespace Design
