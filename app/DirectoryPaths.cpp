#include "DirectoryPaths.h"

#include <QDir>

namespace tessel {

namespace {

#ifdef _WIN32
constexpr Qt::CaseSensitivity PathCase = Qt::CaseInsensitive;
#else
constexpr Qt::CaseSensitivity PathCase = Qt::CaseSensitive;
#endif

const QString Dots = QStringLiteral("...");

bool LiesUnder(const QString& path, const QString& root)
{
    if (path.compare(root, PathCase) == 0)
        return true;
    if (root.endsWith(QLatin1Char('/')))
        return path.startsWith(root, PathCase);
    return path.startsWith(root + QLatin1Char('/'), PathCase);
}

}  // namespace

QString VolumeCaption(const QString& rootPath, const QString& label)
{
#ifdef _WIN32
    // Drives show as their letter and colon: "c:".
    QString caption = rootPath.left(2).toLower();
#else
    QString caption = rootPath;
#endif
    if (!label.isEmpty())
        caption += QStringLiteral(" [") + label.toLower() + QLatin1Char(']');
    return caption;
}

QString VolumeRootOf(const QString& path, const QStringList& roots)
{
    QString best;
    for (const QString& root : roots)
        if (root.length() > best.length() && LiesUnder(path, root))
            best = root;
    return best;
}

QStringList DirectoryLevels(const QString& path, const QString& root)
{
    QStringList levels{root};
    QString level = root;
    const QStringList names = path.mid(root.length()).split(QLatin1Char('/'), Qt::SkipEmptyParts);
    for (const QString& name : names) {
        if (!level.endsWith(QLatin1Char('/')))
            level += QLatin1Char('/');
        level += name;
        levels.append(level);
    }
    return levels;
}

QString ElideLeadingDirectories(const QString& path, int maxWidth, const std::function<int(const QString&)>& widthOf)
{
    if (widthOf(path) <= maxWidth)
        return path;
    const QChar separator = QDir::separator();
    const qsizetype rootLength = path.indexOf(separator) + 1;
    const QString root = path.left(rootLength);
    const QStringList names = path.mid(rootLength).split(separator, Qt::SkipEmptyParts);
    for (qsizetype first = 1; first < names.size(); ++first) {
        const QString candidate = root + Dots + separator + names.mid(first).join(separator);
        if (widthOf(candidate) <= maxWidth)
            return candidate;
    }
    const QString last = names.isEmpty() ? path : names.constLast();
    const QString withoutRoot = Dots + separator + last;
    if (widthOf(withoutRoot) <= maxWidth)
        return withoutRoot;
    // Not even the last name fits: cut it at its end.
    QString cut = last;
    while (!cut.isEmpty() && widthOf(cut + Dots) > maxWidth)
        cut.chop(1);
    return cut + Dots;
}

}  // namespace tessel
