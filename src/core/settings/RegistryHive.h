#pragma once

#include "core/settings/RegistryTypes.h"

#include <QByteArray>
#include <QHash>
#include <QList>
#include <QString>
#include <QStringList>

#include <map>
#include <optional>

namespace corvane {

// One line of a hive file that could not be read, and why.
struct HiveDamage
{
    int line = 0;
    QString reason;
};

struct ParsedHive;

// The keys and values below one root key, held in memory. Key paths are relative to
// the root ("Software\\Microsoft"; empty for the root itself), compared without regard
// to letter case, and keep the spelling they were created with. Every key above an
// existing key exists too. Values keep the order they were first written in.
//
// In a file the hive is a regedit export (version 5): see parse() and serialise().
class RegistryHive
{
public:
    // The first line of every hive file written.
    static constexpr char fileHeader[] = "Windows Registry Editor Version 5.00";

    explicit RegistryHive(QString rootName);

    const QString& rootName() const { return m_rootName; }

    // The components of a key path, or nothing when the path cannot name a key
    // (an empty component, or a character that no hive file could hold).
    static std::optional<QStringList> splitKeyPath(const QString& path);
    // A text a line of a hive file can hold as it is (a value name, say): no line
    // break, no NUL, no broken UTF-16.
    static bool isWritableText(const QString& text);

    bool hasKey(const QStringList& path) const;
    // Creates the key and every missing key above it.
    void createKey(const QStringList& path);
    // Null when the key or the value does not exist.
    const RegistryValue* value(const QStringList& path, const QString& name) const;
    // The key must exist; false otherwise.
    bool setValue(const QStringList& path, const RegistryValue& value);
    bool deleteValue(const QStringList& path, const QString& name);
    QStringList valueNames(const QStringList& path) const;
    QStringList subKeyNames(const QStringList& path) const;

    // Reads a hive file: UTF-8 (BOM optional) or UTF-16LE with BOM, CRLF or LF line
    // ends. Keeps everything readable and reports every line it had to skip.
    static ParsedHive parse(const QString& rootName, const QByteArray& file);
    // The hive as UTF-8 text with CRLF line ends, every key in sorted order.
    QByteArray serialise() const;

private:
    struct Key
    {
        QString path; // as spelled when created
        QList<RegistryValue> values;
        QHash<QString, qsizetype> valueIndex; // case-folded name -> position in values
    };
    using KeyMap = std::map<QStringList, Key>; // by case-folded components

    static QStringList folded(const QStringList& path);
    const Key* findKey(const QStringList& path) const;
    Key* findKey(const QStringList& path);
    void writeKey(QByteArray& out, const Key& key) const;

    QString m_rootName;
    KeyMap m_keys;
};

struct ParsedHive
{
    RegistryHive hive;
    QList<HiveDamage> damage;
};

} // namespace corvane
