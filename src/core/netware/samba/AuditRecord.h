#pragma once

#include <QByteArray>
#include <QByteArrayList>
#include <QByteArrayView>
#include <QList>

#include <utility>

namespace corvane {

// What one full_audit record tells the server.
enum class AuditAction
{
    Create,           // a file opened for writing or with a disposition that may create it
    Write,            // written or truncated
    Read,             // data read
    Delete,           // a file or folder removed
    Rename,           // path moved to target
    AttributesChange, // DOS attributes set (a backup clearing the archive attribute among them)
    MakeFolder,
    FolderSeen,       // opened as a folder: a later removal of the path is a folder's
};

struct AuditRecord
{
    qint64 time = 0; // seconds since the epoch
    QByteArray user;
    QByteArray share; // empty when the prefix names no share
    AuditAction action = AuditAction::Read;
    QByteArray path;   // as logged: absolute
    QByteArray target; // the new path of a rename
    // A rename whose paths can be split at more than one "|" that starts a share folder again:
    // every other (path, target) they may mean. Empty for every other record.
    QList<std::pair<QByteArray, QByteArray>> otherRenameReadings;
};

// Reads the text of full_audit records, "PREFIX|operation|ok|arguments", for one prefix
// (full_audit:prefix, whose fields are separated by "|"). Arguments hold paths, which may
// themselves contain "|": a rename's two paths are told apart by the share folders they start
// with, not by counting separators; where that leaves more than one reading, the record carries
// them all. The user is the prefix's %u (the authenticated Unix user) where it has one, else %U.
class AuditMessageParser
{
public:
    enum class Outcome
    {
        Record,  // record filled
        Ignored, // a failure, or an operation that tells the server nothing
        Garbled, // not a full_audit record of this prefix
    };

    AuditMessageParser(const QByteArray& prefix, QByteArrayList shareRoots);

    Outcome parse(QByteArrayView message, AuditRecord& record) const;
    // Whether the user of a record is only the name the client typed (%U, no %u).
    bool userIsTyped() const { return m_userTyped; }

private:
    struct PrefixField
    {
        QByteArray before; // literal text around the macro's value
        QByteArray after;
    };

    bool readPrefix(QByteArrayView& rest, AuditRecord& record) const;
    QByteArrayView fieldValue(QByteArrayView field, int index) const;
    QList<qsizetype> renameSplits(QByteArrayView paths) const;

    int m_fieldCount = 0;
    int m_userField = -1;
    int m_shareField = -1;
    bool m_userTyped = false;
    QList<PrefixField> m_fields;
    QByteArrayList m_shareRoots;
};

} // namespace corvane
