#include "ui/link_label.h"

#include <QCursor>
#include <QDesktopServices>
#include <QMouseEvent>

namespace bramix::ui {

namespace {

const QColor kLinkColour(0, 0, 238);
const QColor kHoverColour(255, 0, 0);

}  // namespace

LinkLabel::LinkLabel(const QString& text, QWidget* parent) : QLabel(text, parent) {
    setMouseTracking(true);
    setCursor(Qt::PointingHandCursor);
    // The text stays at the top, so that room below it is the underline's.
    setAlignment(Qt::AlignLeft | Qt::AlignTop);
    hoverTimer_.setInterval(100);
    connect(&hoverTimer_, &QTimer::timeout, this, &LinkLabel::CheckHover);
    ApplyLook();
}

void LinkLabel::SetUrl(const QUrl& url) {
    url_ = url;
    setToolTip(url.toString());
}

void LinkLabel::SetUnderline(int mode) {
    if (mode != underline_) {
        underline_ = mode;
        ApplyLook();
    }
}

void LinkLabel::ApplyLook() {
    QPalette palette = this->palette();
    palette.setColor(QPalette::WindowText, hovered_ ? kHoverColour : kLinkColour);
    setPalette(palette);
    QFont font = this->font();
    font.setUnderline(underline_ == 1 || (underline_ == -1 && hovered_));
    setFont(font);
}

void LinkLabel::mouseMoveEvent(QMouseEvent* event) {
    if (!hovered_) {
        hovered_ = true;
        ApplyLook();
        hoverTimer_.start();
    }
    QLabel::mouseMoveEvent(event);
}

void LinkLabel::CheckHover() {
    if (!rect().contains(mapFromGlobal(QCursor::pos()))) {
        hovered_ = false;
        hoverTimer_.stop();
        ApplyLook();
    }
}

void LinkLabel::mouseReleaseEvent(QMouseEvent* event) {
    if (event->button() == Qt::LeftButton && rect().contains(event->position().toPoint())) {
        // A label whose address was never set opens its own text.
        const QUrl target = url_.isEmpty() ? QUrl(text()) : url_;
        QDesktopServices::openUrl(target);
    }
    QLabel::mouseReleaseEvent(event);
}

}  // namespace bramix::ui
