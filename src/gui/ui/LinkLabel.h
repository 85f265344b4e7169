#pragma once

#include <QLabel>

namespace corvane {

// A label that acts as a link: blue, red while the mouse is over it, and clicked
// by pressing and releasing the left button on it.
class LinkLabel : public QLabel
{
    Q_OBJECT

public:
    static const QColor normalColour;
    static const QColor hoverColour;

    explicit LinkLabel(const QString& text, QWidget* parent = nullptr);

    void setColour(const QColor& colour);
    QColor colour() const;

Q_SIGNALS:
    void clicked();

protected:
    void enterEvent(QEnterEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;
};

} // namespace corvane
