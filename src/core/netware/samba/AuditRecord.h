#pragma once

#include <QByteArray>
#include <QByteArrayList>
#include <QByteArrayView>

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
};

// Reads the text of full_audit records, "PREFIX|operation|ok|arguments", for one prefix
// (full_audit:prefix, whose fields are separated by "|"). Arguments hold paths, which may
// themselves contain "|": a rename's two paths are told apart by the share folders they start
// with, not by counting separators.
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

private:
    struct PrefixField
    {
        QByteArray before; // literal text around the macro's value
        QByteArray after;
    };

    bool readPrefix(QByteArrayView& rest, AuditRecord& record) const;
    QByteArrayView fieldValue(QByteArrayView field, int index) const;
    qsizetype renameSplit(QByteArrayView paths) const;

    int m_fieldCount = 0;
    int m_userField = -1;
    int m_shareField = -1;
    QList<PrefixField> m_fields;
    QByteArrayList m_shareRoots;
};

} // namespace corvane
