#include "core/netware/samba/AuditRecord.h"

namespace corvane {

namespace {

// Text up to the next "|", and the rest after it; false when there is no "|".
bool takeField(QByteArrayView& rest, QByteArrayView& field)
{
    const qsizetype bar = rest.indexOf('|');
    if (bar < 0)
        return false;
    field = rest.first(bar);
    rest = rest.sliced(bar + 1);
    return true;
}

bool startsWithRoot(QByteArrayView path, const QByteArray& root)
{
    return path.startsWith(root) && (path.size() == root.size() || path[root.size()] == '/');
}

// create_file arguments: "0xACCESS|file|DISPOSITION|PATH" (or "dir").
AuditMessageParser::Outcome readCreateFile(QByteArrayView arguments, AuditRecord& record)
{
    QByteArrayView access;
    QByteArrayView kind;
    QByteArrayView disposition;
    if (!takeField(arguments, access) || !takeField(arguments, kind) || !takeField(arguments, disposition) ||
        !access.startsWith("0x"))
        return AuditMessageParser::Outcome::Garbled;
    record.path = arguments.toByteArray();
    if (kind == "dir") {
        record.action = disposition == "create" ? AuditAction::MakeFolder : AuditAction::FolderSeen;
        return AuditMessageParser::Outcome::Record;
    }
    if (kind != "file")
        return AuditMessageParser::Outcome::Garbled;
    const bool mayCreate = disposition == "create" || disposition == "open_if" || disposition == "overwrite_if" ||
                           disposition == "supersede";
    record.action = AuditAction::Create;
    return mayCreate ? AuditMessageParser::Outcome::Record : AuditMessageParser::Outcome::Ignored;
}

// openat arguments: "r|PATH" or "w|PATH".
AuditMessageParser::Outcome readOpen(QByteArrayView arguments, AuditRecord& record)
{
    QByteArrayView mode;
    if (!takeField(arguments, mode) || (mode != "r" && mode != "w"))
        return AuditMessageParser::Outcome::Garbled;
    record.path = arguments.toByteArray();
    record.action = mode == "w" ? AuditAction::Create : AuditAction::Read;
    return AuditMessageParser::Outcome::Record;
}

struct PathOperation
{
    QByteArrayView name;
    AuditAction action;
};

// Operations whose only argument is a path.
constexpr PathOperation PathOperations[] = {
    {"pread", AuditAction::Read},       {"pread_send", AuditAction::Read},
    {"pwrite", AuditAction::Write},     {"pwrite_send", AuditAction::Write},
    {"ftruncate", AuditAction::Write},  {"unlinkat", AuditAction::Delete},
    {"mkdirat", AuditAction::MakeFolder}, {"fset_dos_attributes", AuditAction::AttributesChange},
};

} // namespace

AuditMessageParser::AuditMessageParser(const QByteArray& prefix, QByteArrayList shareRoots)
    : m_shareRoots(std::move(shareRoots))
{
    const QByteArrayList fields = prefix.split('|');
    m_fieldCount = static_cast<int>(fields.size());
    for (int i = 0; i < m_fieldCount; ++i) {
        const QByteArray& field = fields[i];
        const qsizetype macro = field.indexOf('%');
        if (macro < 0 || macro + 1 >= field.size()) {
            m_fields.append(PrefixField{field, {}});
            continue;
        }
        const char letter = field[macro + 1];
        // %U is the name the client typed, %u the account smbd works as: %u wins.
        if (letter == 'u' && (m_userField < 0 || m_userTyped)) {
            m_userField = i;
            m_userTyped = false;
        } else if (letter == 'U' && m_userField < 0) {
            m_userField = i;
            m_userTyped = true;
        }
        if (letter == 'S' && m_shareField < 0)
            m_shareField = i;
        m_fields.append(PrefixField{field.left(macro), field.mid(macro + 2)});
    }
}

QByteArrayView AuditMessageParser::fieldValue(QByteArrayView field, int index) const
{
    const PrefixField& literal = m_fields[index];
    if (field.startsWith(literal.before))
        field = field.sliced(literal.before.size());
    if (field.endsWith(literal.after))
        field.chop(literal.after.size());
    return field;
}

bool AuditMessageParser::readPrefix(QByteArrayView& rest, AuditRecord& record) const
{
    record.user.clear();
    record.share.clear();
    for (int i = 0; i < m_fieldCount; ++i) {
        QByteArrayView field;
        if (!takeField(rest, field))
            return false;
        if (i == m_userField)
            record.user = fieldValue(field, i).toByteArray();
        else if (i == m_shareField)
            record.share = fieldValue(field, i).toByteArray();
    }
    return m_userField < 0 || !record.user.isEmpty();
}

// The "|"s that may stand before the second path: those where a share folder starts again on
// both sides, else the only "|/".
QList<qsizetype> AuditMessageParser::renameSplits(QByteArrayView paths) const
{
    QList<qsizetype> splits;
    QList<qsizetype> slashes;
    for (qsizetype bar = paths.indexOf("|/"); bar >= 0; bar = paths.indexOf("|/", bar + 1)) {
        slashes.append(bar);
        const QByteArrayView second = paths.sliced(bar + 1);
        for (const QByteArray& root : m_shareRoots) {
            if (startsWithRoot(second, root) && startsWithRoot(paths, root)) {
                splits.append(bar);
                break;
            }
        }
    }
    if (splits.isEmpty() && slashes.size() == 1)
        splits = slashes;
    return splits;
}

AuditMessageParser::Outcome AuditMessageParser::parse(QByteArrayView message, AuditRecord& record) const
{
    QByteArrayView rest = message;
    QByteArrayView operation;
    QByteArrayView status;
    if (!readPrefix(rest, record) || !takeField(rest, operation) || !takeField(rest, status))
        return Outcome::Garbled;
    if (status != "ok")
        return status == "fail" ? Outcome::Ignored : Outcome::Garbled;
    if (rest.isEmpty())
        return Outcome::Garbled;
    record.target.clear();
    record.otherRenameReadings.clear();
    Outcome outcome = Outcome::Ignored;
    if (operation == "openat") {
        outcome = readOpen(rest, record);
    } else if (operation == "create_file") {
        outcome = readCreateFile(rest, record);
    } else if (operation == "renameat") {
        const QList<qsizetype> splits = renameSplits(rest);
        if (splits.isEmpty())
            return Outcome::Garbled;
        record.path = rest.first(splits.first()).toByteArray();
        record.target = rest.sliced(splits.first() + 1).toByteArray();
        for (qsizetype i = 1; i < splits.size(); ++i)
            record.otherRenameReadings.append({rest.first(splits[i]).toByteArray(), rest.sliced(splits[i] + 1).toByteArray()});
        record.action = AuditAction::Rename;
        outcome = Outcome::Record;
    } else {
        for (const PathOperation& known : PathOperations) {
            if (operation == known.name) {
                record.path = rest.toByteArray();
                record.action = known.action;
                outcome = Outcome::Record;
            }
        }
    }
    if (outcome == Outcome::Record && !record.path.startsWith('/'))
        return Outcome::Garbled;
    return outcome;
}

} // namespace corvane
