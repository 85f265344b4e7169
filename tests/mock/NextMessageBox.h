#pragma once

#include <QApplication>
#include <QMessageBox>
#include <QRect>
#include <QTimer>

namespace corvane::test {

// What a real message box looked like when it ran.
struct SeenBox
{
    QString title;
    QString text;
    QRect geometry;
    QRect ownerGeometry; // of the window it is centred on, if any
};

// Watches for the next message box that runs modally, notes it and presses its default or
// escape button. The event loop is polled until the box runs, so it does not matter what else
// happens before it.
inline void closeNextMessageBox(SeenBox& seen)
{
    auto* watch = new QTimer;
    watch->setInterval(0);
    QObject::connect(watch, &QTimer::timeout, watch, [watch, &seen] {
        auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget());
        if (box == nullptr || !box->isVisible())
            return;
        const QWidget* owner = box->parentWidget() != nullptr ? box->parentWidget()->window() : nullptr;
        seen = {box->windowTitle(), box->text(), box->frameGeometry(),
                owner != nullptr ? owner->frameGeometry() : QRect()};
        box->done(QMessageBox::Ok);
        watch->deleteLater();
    });
    watch->start();
}

} // namespace corvane::test
