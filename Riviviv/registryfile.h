#pragma once
// The per-user component registry: $XDG_CONFIG_HOME/PellumPlayer/components.ini (default
// ~/.config/PellumPlayer/components.ini). One section per control class, named by its class
// identifier:
//
//   [{30EBC964-2B77-4172-AF93-C65799EED6A3}]
//   ProgID=Brimlet.FlatButton
//   TypeLib={FD26EE54-5F64-4727-870C-10DD3C46E573}
//   Control=True
//   MiscStatus=...
//   InprocServer=/usr/lib/x86_64-linux-gnu/libBrimlet.so
//
// Header only: the library writes its own entry, the host's component registry reads it, and both use
// this one reader and writer. The file is written whole by WholeFile::write (built into the library and
// the register tool too), so neither a crash nor a full disk leaves half of it. Lines that are neither a
// section, a key=value pair, a comment nor blank are dropped when read.
#include "platform/wholefile.h"

#include <QByteArray>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QList>
#include <QPair>
#include <QString>
#include <QStringList>
#include <optional>

namespace ComponentRegistryFile {

struct Section {
    QString name;
    QList<QPair<QString, QString>> entries;

    QString value(const QString& key) const
    {
        for (const auto& e : entries)
            if (e.first.compare(key, Qt::CaseInsensitive) == 0)
                return e.second;
        return {};
    }
};

struct ClassEntry {
    QString classId;
    QString progId;
    QString typeLib;
    QString miscStatus;
    bool control = false;
    QString path;  // InprocServer: the library that serves the class
};

inline QString filePath()
{
    QString base = qEnvironmentVariable("XDG_CONFIG_HOME");
    if (base.isEmpty() || QDir::isRelativePath(base))
        base = QDir::homePath() + QStringLiteral("/.config");
    return base + QStringLiteral("/PellumPlayer/components.ini");
}

// A missing file reads as empty; *error is set only when an existing file cannot be read.
inline QList<Section> read(const QString& file, QString* error = nullptr)
{
    QList<Section> sections;
    QFile f(file);
    if (!f.exists())
        return sections;
    if (!f.open(QIODevice::ReadOnly)) {
        if (error)
            *error = QStringLiteral("cannot read %1: %2").arg(file, f.errorString());
        return sections;
    }
    const QStringList lines = QString::fromUtf8(f.readAll()).split(QLatin1Char('\n'));
    for (QString line : lines) {
        line = line.trimmed();
        if (line.isEmpty() || line.startsWith(QLatin1Char(';')) || line.startsWith(QLatin1Char('#')))
            continue;
        if (line.startsWith(QLatin1Char('[')) && line.endsWith(QLatin1Char(']'))) {
            sections.append(Section{line.mid(1, line.size() - 2).trimmed(), {}});
            continue;
        }
        const qsizetype eq = line.indexOf(QLatin1Char('='));
        if (eq <= 0 || sections.isEmpty())
            continue;
        sections.last().entries.append({line.left(eq).trimmed(), line.mid(eq + 1).trimmed()});
    }
    return sections;
}

inline bool write(const QString& file, const QList<Section>& sections, QString* error = nullptr)
{
    QByteArray text;
    for (const Section& s : sections) {
        if (!text.isEmpty())
            text += '\n';
        text += '[' + s.name.toUtf8() + "]\n";
        for (const auto& e : s.entries) {
            if (e.second.contains(QLatin1Char('\n')) || e.second.contains(QLatin1Char('\r'))) {
                if (error)
                    *error = QStringLiteral("the value of %1 holds a line break").arg(e.first);
                return false;
            }
            text += e.first.toUtf8() + '=' + e.second.toUtf8() + '\n';
        }
    }
    QDir().mkpath(QFileInfo(file).absolutePath());
    QString why;
    if (!WholeFile::write(file, text, &why)) {
        if (error)
            *error = QStringLiteral("cannot write %1: %2").arg(file, why);
        return false;
    }
    return true;
}

inline ClassEntry entryOf(const Section& s)
{
    ClassEntry e;
    e.classId = s.name;
    e.progId = s.value(QStringLiteral("ProgID"));
    e.typeLib = s.value(QStringLiteral("TypeLib"));
    e.miscStatus = s.value(QStringLiteral("MiscStatus"));
    e.control = s.value(QStringLiteral("Control")).compare(QStringLiteral("True"), Qt::CaseInsensitive) == 0;
    e.path = s.value(QStringLiteral("InprocServer"));
    return e;
}

// The class registered under a class identifier (braces and case ignored) or a programmatic name.
inline std::optional<ClassEntry> find(const QString& nameOrClassId, const QString& file = filePath())
{
    const auto bare = [](QString s) { return s.remove(QLatin1Char('{')).remove(QLatin1Char('}')).trimmed(); };
    const QString wanted = bare(nameOrClassId);
    for (const Section& s : read(file)) {
        if (bare(s.name).compare(wanted, Qt::CaseInsensitive) == 0
            || s.value(QStringLiteral("ProgID")).compare(nameOrClassId.trimmed(), Qt::CaseInsensitive) == 0)
            return entryOf(s);
    }
    return std::nullopt;
}

// Adds or replaces the class's section; every other section is kept as it was.
inline bool put(const ClassEntry& e, QString* error = nullptr, const QString& file = filePath())
{
    QList<Section> sections = read(file, error);
    if (error && !error->isEmpty())
        return false;
    Section s{e.classId,
              {{QStringLiteral("ProgID"), e.progId},
               {QStringLiteral("TypeLib"), e.typeLib},
               {QStringLiteral("Control"), e.control ? QStringLiteral("True") : QStringLiteral("False")},
               {QStringLiteral("MiscStatus"), e.miscStatus},
               {QStringLiteral("InprocServer"), e.path}}};
    bool replaced = false;
    for (Section& old : sections) {
        if (old.name.compare(e.classId, Qt::CaseInsensitive) == 0) {
            old = s;
            replaced = true;
        }
    }
    if (!replaced)
        sections.append(s);
    return write(file, sections, error);
}

// Removes the class's section; a class that is not there is no error.
inline bool remove(const QString& classId, QString* error = nullptr, const QString& file = filePath())
{
    QList<Section> sections = read(file, error);
    if (error && !error->isEmpty())
        return false;
    const qsizetype before = sections.size();
    sections.removeIf([&](const Section& s) { return s.name.compare(classId, Qt::CaseInsensitive) == 0; });
    if (sections.size() == before)
        return true;
    return write(file, sections, error);
}

}  // namespace ComponentRegistryFile
