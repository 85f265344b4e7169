#pragma once

#include <QHash>
#include <QObject>

class QTableView;

namespace corvane {

// Keeps the rows and columns of the query grid in proportion to its font. The window scales
// the font with its size; cells that kept their size would cut the larger text and let it run
// over the grid lines. Each column's width is kept in characters of the font, so a column the
// user widened stays wider after the next resize, and repeated resizes do not drift.
class GridFontFollower : public QObject
{
    Q_OBJECT

public:
    // Attach once the grid has its model; the grid owns the follower.
    explicit GridFontFollower(QTableView* grid);

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void noteWidth(int column, int width);
    void followFont();
    void fitHeadersAndRows();
    double textUnit() const;

    QTableView* m_grid;
    double m_textUnit; // the width of an average character
    QHash<int, double> m_widthsInUnits;
    bool m_following = false;
};

} // namespace corvane
