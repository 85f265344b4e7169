#pragma once

#include <QByteArray>
#include <QHash>

namespace corvane {

// What the server keeps per folder, for the last few hundred folders, so that a scan's memory does
// not grow with the tree. A scan asks about the same folder file after file: the folder last found
// is answered without hashing its path again.
template <typename T>
class FolderCache
{
public:
    explicit FolderCache(qsizetype foldersRemembered) : m_foldersRemembered(foldersRemembered) {}

    T* find(const QByteArray& folder)
    {
        if (m_last != nullptr && m_lastFolder == folder)
            return m_last;
        const auto known = m_values.find(folder);
        if (known == m_values.end())
            return nullptr;
        m_lastFolder = folder;
        m_last = &*known;
        return m_last;
    }

    // A full cache is emptied first: the folders of a scan seldom come back.
    T& insert(const QByteArray& folder, T value)
    {
        if (m_values.size() >= m_foldersRemembered)
            m_values.clear();
        m_lastFolder = folder;
        m_last = &*m_values.insert(folder, std::move(value));
        return *m_last;
    }

    void erase(const QByteArray& folder)
    {
        m_last = nullptr;
        m_values.remove(folder);
    }

    void clear()
    {
        m_last = nullptr;
        m_values.clear();
    }

private:
    const qsizetype m_foldersRemembered;
    QHash<QByteArray, T> m_values;
    QByteArray m_lastFolder;
    T* m_last = nullptr; // into m_values, which moves its values when it grows or shrinks
};

} // namespace corvane
