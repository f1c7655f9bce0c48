#include "platform/dialogs.h"

#include <QFileDialog>
#include <QFileInfo>
#include <QGuiApplication>
#include <QInputDialog>
#include <QMessageBox>
#include <QRegularExpression>

#include <algorithm>

namespace Dialogs {
namespace {

QList<QVariant>& queue()
{
    static QList<QVariant> q;
    return q;
}

QList<Shown>& log()
{
    static QList<Shown> l;
    return l;
}

// Takes the scripted answer of the dialog just asked for, if there is one.
bool scripted(const Shown& what, QVariant* value)
{
    log().append(what);
    if (!queue().isEmpty()) {
        *value = queue().takeFirst();
        return true;
    }
    const QString platform = QGuiApplication::platformName();
    if (platform == QLatin1String("offscreen") || platform == QLatin1String("minimal")) {
        qWarning("Dialogs: no answer scripted for %s \"%s\"; taken as cancelled", qPrintable(what.kind),
                 qPrintable(what.text.left(60)));
        *value = QVariant();
        return true;
    }
    return false;
}

QString fileDialog(bool save, const QString& filter, int flags, QWidget* parent, const QString& folder)
{
    QVariant v;
    if (scripted({save ? QStringLiteral("save") : QStringLiteral("open"), filter, QString(), flags, QString()}, &v))
        return v.toString();
    const QString qf = qtFilter(filter);
    if (save) {
        QFileDialog::Options opts;
        if (!(flags & OverwritePrompt))
            opts |= QFileDialog::DontConfirmOverwrite;
        return QFileDialog::getSaveFileName(parent, QString(), folder, qf, nullptr, opts);
    }
    if (flags & AllowMultiSelect) {
        const QStringList files = QFileDialog::getOpenFileNames(parent, QString(), folder, qf);
        if (files.size() <= 1)
            return files.value(0);
        QStringList parts{QFileInfo(files.first()).absolutePath()};
        for (const QString& f : files)
            parts << QFileInfo(f).fileName();
        return parts.join(QChar(0));
    }
    return QFileDialog::getOpenFileName(parent, QString(), folder, qf);
}

QString textBox(const QString& kind, QLineEdit::EchoMode echo, const QString& prompt, const QString& title,
                const QString& defaultText, QWidget* parent)
{
    QVariant v;
    if (scripted({kind, prompt, title, 0, defaultText}, &v))
        return v.toString();
    bool ok = false;
    const QString caption = title.isEmpty() ? QStringLiteral("PellumPlayer") : title;
    const QString text = QInputDialog::getText(parent, caption, prompt, echo, defaultText, &ok);
    return ok ? text : QString();
}

// The prompt as a table: a row a line, a column for each part between tabs, so that the parts line up.
QString columns(const QString& prompt)
{
    QStringList lines = prompt.split(QRegularExpression(QStringLiteral("\\r\\n|\\r|\\n")));
    qsizetype widest = 1;
    for (const QString& line : lines)
        widest = std::max(widest, line.count(QLatin1Char('\t')) + 1);
    QString html = QStringLiteral("<table cellspacing=\"0\" cellpadding=\"0\">");
    for (const QString& line : lines) {
        const QStringList parts = line.split(QLatin1Char('\t'));
        html += QStringLiteral("<tr>");
        for (qsizetype i = 0; i < parts.size(); ++i) {
            const qsizetype span = i + 1 == parts.size() ? widest - i : 1;
            html += QStringLiteral("<td style=\"white-space: pre; padding-right: 8px\"%1>%2</td>")
                        .arg(span > 1 ? QStringLiteral(" colspan=\"%1\"").arg(span) : QString(), parts[i].toHtmlEscaped());
        }
        html += QStringLiteral("</tr>");
    }
    return html + QStringLiteral("</table>");
}

}  // namespace

QString qtFilter(const QString& filter)
{
    const QStringList parts = filter.split(QLatin1Char('|'));
    QStringList out;
    for (qsizetype i = 0; i + 1 < parts.size(); i += 2) {
        QString patterns = parts[i + 1];
        patterns.replace(QLatin1Char(';'), QLatin1Char(' '));
        patterns.replace(QStringLiteral("*.*"), QStringLiteral("*"));
        // Qt shows its own pattern list after the description; drop one the description already carries.
        QString desc = parts[i];
        desc.remove(QRegularExpression(QStringLiteral("\\s*\\([^)]*\\)\\s*$")));
        out << QStringLiteral("%1 (%2)").arg(desc, patterns);
    }
    return out.join(QStringLiteral(";;"));
}

int MsgBox(const QString& prompt, int style, const QString& title, QWidget* parent)
{
    const int buttons = style & 0x07;
    QVariant v;
    if (scripted({QStringLiteral("msgbox"), prompt, title, style, QString()}, &v)) {
        if (v.isValid())
            return v.toInt();
        return buttons == YesNo ? No : (buttons == OKOnly ? OK : Cancel);
    }
    QMessageBox::StandardButtons set = QMessageBox::Ok;
    if (buttons == OKCancel)
        set = QMessageBox::Ok | QMessageBox::Cancel;
    else if (buttons == YesNoCancel)
        set = QMessageBox::Yes | QMessageBox::No | QMessageBox::Cancel;
    else if (buttons == YesNo)
        set = QMessageBox::Yes | QMessageBox::No;
    QMessageBox::Icon icon = QMessageBox::NoIcon;
    switch (style & 0x70) {
    case Critical: icon = QMessageBox::Critical; break;
    case Question: icon = QMessageBox::Question; break;
    case Exclamation: icon = QMessageBox::Warning; break;
    case Information: icon = QMessageBox::Information; break;
    default: break;
    }
    const QString caption = title.isEmpty() ? QStringLiteral("PellumPlayer") : title;
    QMessageBox box(icon, caption, QString(), set, parent);
    if (prompt.contains(QLatin1Char('\t'))) {
        box.setTextFormat(Qt::RichText);
        box.setText(columns(prompt));
    } else {
        box.setTextFormat(Qt::PlainText);
        box.setText(prompt);
    }
    switch (box.exec()) {
    case QMessageBox::Ok: return OK;
    case QMessageBox::Yes: return Yes;
    case QMessageBox::No: return No;
    default: return Cancel;
    }
}

QString InputBox(const QString& prompt, const QString& title, const QString& defaultText, QWidget* parent)
{
    return textBox(QStringLiteral("input"), QLineEdit::Normal, prompt, title, defaultText, parent);
}

QString PasswordBox(const QString& prompt, const QString& title, QWidget* parent)
{
    return textBox(QStringLiteral("password"), QLineEdit::Password, prompt, title, QString(), parent);
}

QString ShowOpen(const QString& filter, int flags, QWidget* parent, const QString& folder)
{
    return fileDialog(false, filter, flags, parent, folder);
}

QString ShowSave(const QString& filter, int flags, QWidget* parent, const QString& folder)
{
    return fileDialog(true, filter, flags, parent, folder);
}

void answer(const QVariant& value) { queue().append(value); }
const QList<Shown>& shown() { return log(); }
void clearScript()
{
    queue().clear();
    log().clear();
}

}  // namespace Dialogs
