#include "FolderEntry.h"

namespace bd {

namespace {

int compareNames(const FolderEntry &a, const FolderEntry &b)
{
    if (a.sortKey && b.sortKey) {
        if (const int c = a.sortKey->compare(*b.sortKey))
            return c;
    }
    return QString::compare(a.name, b.name, Qt::CaseSensitive);
}

QStringView suffixOf(const QString &name)
{
    const qsizetype dot = name.lastIndexOf(u'.');
    return dot > 0 ? QStringView(name).mid(dot + 1) : QStringView();
}

template<typename T>
int threeWay(T a, T b)
{
    return a < b ? -1 : (b < a ? 1 : 0);
}

} // namespace

bool EntryOrder::operator()(const FolderEntry &a, const FolderEntry &b) const
{
    if (a.isDir != b.isDir)
        return a.isDir;
    int c = 0;
    switch (column) {
    case 1:
        c = threeWay(a.size, b.size);
        break;
    case 2:
        if (!a.isDir)
            c = suffixOf(a.name).compare(suffixOf(b.name), Qt::CaseInsensitive);
        break;
    case 3:
        c = threeWay(a.modified, b.modified);
        break;
    default:
        break;
    }
    if (c == 0)
        c = compareNames(a, b);
    return order == Qt::AscendingOrder ? c < 0 : c > 0;
}

} // namespace bd
