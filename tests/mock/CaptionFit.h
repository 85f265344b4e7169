#pragma once

#include <QCheckBox>
#include <QFontMetrics>
#include <QGroupBox>
#include <QLabel>
#include <QLayout>
#include <QPushButton>
#include <QRadioButton>
#include <QStringList>
#include <QStyle>
#include <QWidget>

#include <string>

namespace corvane::test {

// The caption as drawn: a "&" marks the mnemonic and takes no room, "&&" is one "&".
inline QString drawnCaption(QString text)
{
    return text.replace(QStringLiteral("&&"), QStringLiteral("\x01")).remove(u'&').replace(u'\x01', u'&');
}

// How wide the control must be to show its caption whole; 0 when it has none to show.
inline int captionWidth(const QWidget& control)
{
    const QFontMetrics metrics(control.font());
    if (const auto* box = qobject_cast<const QCheckBox*>(&control))
        return metrics.horizontalAdvance(drawnCaption(box->text())) +
               control.style()->pixelMetric(QStyle::PM_IndicatorWidth, nullptr, &control) +
               control.style()->pixelMetric(QStyle::PM_CheckBoxLabelSpacing, nullptr, &control);
    if (const auto* radio = qobject_cast<const QRadioButton*>(&control))
        return metrics.horizontalAdvance(drawnCaption(radio->text())) +
               control.style()->pixelMetric(QStyle::PM_ExclusiveIndicatorWidth, nullptr, &control) +
               control.style()->pixelMetric(QStyle::PM_RadioButtonLabelSpacing, nullptr, &control);
    if (const auto* button = qobject_cast<const QPushButton*>(&control))
        return metrics.horizontalAdvance(drawnCaption(button->text())) +
               2 * control.style()->pixelMetric(QStyle::PM_ButtonMargin, nullptr, &control);
    if (const auto* frame = qobject_cast<const QGroupBox*>(&control))
        return frame->title().isEmpty() ? 0 : metrics.horizontalAdvance(drawnCaption(frame->title())) + 8;
    if (const auto* label = qobject_cast<const QLabel*>(&control)) {
        if (label->text().isEmpty() || label->wordWrap() || label->textFormat() == Qt::RichText)
            return 0;
        return metrics.horizontalAdvance(drawnCaption(label->text())) + 2 * label->margin() +
               2 * label->frameWidth();
    }
    return 0;
}

// A hidden control that a layout places has no size of its own until it is shown.
inline bool placedOnlyWhenShown(const QWidget& control)
{
    const QWidget* parent = control.parentWidget();
    return control.isHidden() && parent != nullptr && parent->layout() != nullptr &&
           parent->layout()->indexOf(&control) >= 0;
}

// The controls of the window, as it is laid out now, whose captions would be cut, with what
// each needs and has, one per line; empty when every caption fits. Hidden controls count:
// they are shown at their place later.
inline std::string clippedCaptions(const QWidget& window)
{
    QStringList clipped;
    for (const QWidget* control : window.findChildren<QWidget*>()) {
        if (placedOnlyWhenShown(*control))
            continue;
        const int needed = captionWidth(*control);
        if (needed > control->width())
            clipped.append(control->objectName() + QStringLiteral(" needs %1 pixels, has %2").arg(needed).arg(control->width()));
        if (const auto* label = qobject_cast<const QLabel*>(control); label && label->wordWrap() &&
            !label->text().isEmpty() && label->heightForWidth(label->width()) > label->height())
            clipped.append(control->objectName() + QStringLiteral(" needs %1 lines' height, has %2")
                                                       .arg(label->heightForWidth(label->width()))
                                                       .arg(label->height()));
    }
    return clipped.join(u'\n').toStdString();
}

} // namespace corvane::test
