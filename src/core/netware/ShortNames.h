#pragma once

#include <QByteArray>
#include <QByteArrayList>
#include <QHash>

#include <functional>
#include <optional>

namespace corvane {

// Every name of the local directory but "." and ".."; nullopt when it cannot be listed.
std::optional<QByteArrayList> listDirectoryNames(const QByteArray& directoryPath);

// Whether a name already has the DOS 8.3 form (in any case): 1 to 8 characters, optionally a dot
// and 1 to 3 more, from the characters DOS allows.
bool isDosName(const QByteArray& name);

// The DOS (8.3) names of the entries of one directory. A name keeps its short name for as long as
// it exists, so a short name handed out finds the same entry again; names that already have the
// 8.3 form map to themselves in upper case, others get a numbered tail such as QUARTE~1.DOC.
class DirectoryNames
{
public:
    using NameFilter = std::function<bool(const QByteArray&)>;

    // Takes the directory's names as a listing made now gives them, leaving out the names the
    // filter refuses.
    void refresh(const QByteArrayList& listed, const NameFilter& isListed);

    std::optional<QByteArray> shortNameOf(const QByteArray& longName) const;
    // Without regard to case, as DOS names are.
    std::optional<QByteArray> longNameOf(const QByteArray& shortName) const;
    // A number that stays with the entry, for iteration handles and records.
    quint32 entryNumberOf(const QByteArray& longName) const;

private:
    struct Entry
    {
        QByteArray shortName;
        quint32 number;
    };

    void forgetNamesGone(const QByteArrayList& listed, const NameFilter& isListed);
    void assign(const QByteArray& longName, const QByteArray& shortName);
    QByteArray numberedShortName(const QByteArray& longName);

    QHash<QByteArray, Entry> m_entries;
    QHash<QByteArray, QByteArray> m_longByShort;
    QHash<QByteArray, int> m_nextTail; // by stem, so that many similar names need no long search
    quint32 m_nextNumber = 1;
};

} // namespace corvane
