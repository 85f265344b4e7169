#pragma once

#include "core/scan/Purges.h"

class QLabel;
class QPushButton;

namespace corvane {

// The last-scan line Label4: "&Purge Today" is offered exactly while it shows a scan.
class LastScanLabel final : public LastScanLine
{
public:
    LastScanLabel(QLabel* label, QPushButton* purgeToday);

    QString text() const override;
    void setText(const QString& text);
    void clear() override { setText(QString()); }

private:
    QLabel* m_label;
    QPushButton* m_purgeToday;
};

} // namespace corvane
