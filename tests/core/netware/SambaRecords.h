#pragma once

#include <QByteArray>
#include <QFile>

#include <gtest/gtest.h>

namespace corvane::test {

// A file of samba-records/: full_audit records and configurations captured from a real smbd,
// with the capture's folder written as @ROOT@.
inline QByteArray sambaRecordsFile(const char* name)
{
    QFile file(QStringLiteral(CV_SAMBA_RECORDS "/") + QLatin1String(name));
    EXPECT_TRUE(file.open(QIODevice::ReadOnly)) << name;
    return file.readAll();
}

} // namespace corvane::test
