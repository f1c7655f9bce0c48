#include "player/playlistfile.h"

#include "platform/textfile.h"

namespace PlayListFile {

QStringList apply(const QStringList& allLines, Rule rule)
{
    QStringList out;
    out.reserve(allLines.size());
    for (const QString& line : allLines) {
        const bool stopsAtEmpty = rule == Rule::Import || rule == Rule::LastList;
        if (line.isEmpty() && stopsAtEmpty)
            break;
        const bool hidesHash = rule == Rule::Import || rule == Rule::Preview;
        if (hidesHash && line.startsWith(QLatin1Char('#')))
            continue;
        out.append(line);
    }
    return out;
}

bool read(const QString& path, Rule rule, QStringList* lines)
{
    lines->clear();
    QString text;
    if (!TextFile::read(path, &text))
        return false;
    *lines = apply(TextFile::splitLines(text), rule);
    return true;
}

bool write(const QString& path, const QStringList& lines) { return TextFile::writeLines(path, lines); }

bool isListFile(const QString& path, bool withM3uPls)
{
    if (path.endsWith(QStringLiteral("pellum"), Qt::CaseInsensitive))
        return true;
    return withM3uPls && (path.endsWith(QStringLiteral("m3u"), Qt::CaseInsensitive) ||
                          path.endsWith(QStringLiteral("pls"), Qt::CaseInsensitive));
}

}  // namespace PlayListFile
