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
        if ((letter == 'u' || letter == 'U') && m_userField < 0)
            m_userField = i;
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

// The "|" before the second path: where a share folder starts again, else the only "|/".
qsizetype AuditMessageParser::renameSplit(QByteArrayView paths) const
{
    qsizetype onlyCandidate = -1;
    int candidates = 0;
    for (qsizetype bar = paths.indexOf("|/"); bar >= 0; bar = paths.indexOf("|/", bar + 1)) {
        const QByteArrayView second = paths.sliced(bar + 1);
        for (const QByteArray& root : m_shareRoots) {
            if (startsWithRoot(second, root) && startsWithRoot(paths, root))
                return bar;
        }
        onlyCandidate = bar;
        ++candidates;
    }
    return candidates == 1 ? onlyCandidate : -1;
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
    Outcome outcome = Outcome::Ignored;
    if (operation == "openat") {
        outcome = readOpen(rest, record);
    } else if (operation == "create_file") {
        outcome = readCreateFile(rest, record);
    } else if (operation == "renameat") {
        const qsizetype split = renameSplit(rest);
        if (split < 0)
            return Outcome::Garbled;
        record.path = rest.first(split).toByteArray();
        record.target = rest.sliced(split + 1).toByteArray();
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
