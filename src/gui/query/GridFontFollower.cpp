#include "gui/query/GridFontFollower.h"

#include <QEvent>
#include <QFontMetricsF>
#include <QHeaderView>
#include <QTableView>

#include <cmath>

namespace corvane {

namespace {

// Room above and below the text of a row.
constexpr int rowPadding = 4;

} // namespace

GridFontFollower::GridFontFollower(QTableView* grid) : QObject(grid), m_grid(grid), m_textUnit(textUnit())
{
    fitHeadersAndRows();
    m_grid->verticalHeader()->setSectionResizeMode(QHeaderView::Fixed);
    m_grid->installEventFilter(this);
    connect(m_grid->horizontalHeader(), &QHeaderView::sectionResized, this,
            [this](int column, int, int width) { noteWidth(column, width); });
    // Another statement brings other columns.
    connect(m_grid->model(), &QAbstractItemModel::modelReset, this, [this] { m_widthsInUnits.clear(); });
}

// Text widths grow with the font a little unevenly (hinting); a line of all letters and digits
// measures what a column needs.
double GridFontFollower::textUnit() const
{
    static const QString sample =
        QStringLiteral("0123456789ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz");
    return QFontMetricsF(m_grid->font()).horizontalAdvance(sample) / sample.size();
}

void GridFontFollower::fitHeadersAndRows()
{
    // A desktop theme gives headers a font of their own, which the grid's font does not reach.
    for (QHeaderView* header : {m_grid->horizontalHeader(), m_grid->verticalHeader()})
        header->setFont(m_grid->font());
    m_grid->verticalHeader()->setDefaultSectionSize(m_grid->fontMetrics().height() + rowPadding);
}

void GridFontFollower::noteWidth(int column, int width)
{
    if (!m_following)
        m_widthsInUnits.insert(column, width / m_textUnit);
}

bool GridFontFollower::eventFilter(QObject* watched, QEvent* event)
{
    if (watched == m_grid && event->type() == QEvent::FontChange)
        followFont();
    return QObject::eventFilter(watched, event);
}

void GridFontFollower::followFont()
{
    const double previous = m_textUnit;
    m_textUnit = textUnit();
    m_following = true;
    for (int column = 0; column < m_grid->model()->columnCount(); ++column) {
        const double units = m_widthsInUnits.value(column, m_grid->columnWidth(column) / previous);
        m_grid->setColumnWidth(column, static_cast<int>(std::lround(units * m_textUnit)));
    }
    m_following = false;
    fitHeadersAndRows();
}

} // namespace corvane
