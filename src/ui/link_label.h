#pragma once

// A static text that is a link: link colour, red and underlined while the
// mouse is over it, a hand cursor, its address as tooltip, and a click opens
// the address with the desktop's handler. The hover ends at the first tick of
// a 100 ms timer that finds the mouse outside.

#include <QLabel>
#include <QTimer>
#include <QUrl>

namespace bramix::ui {

class LinkLabel : public QLabel {
    Q_OBJECT

public:
    explicit LinkLabel(const QString& text, QWidget* parent = nullptr);

    void SetUrl(const QUrl& url);
    const QUrl& url() const { return url_; }

    // -1: underlined only while hovered; 1: always; anything else: never.
    void SetUnderline(int mode);
    bool hovered() const { return hovered_; }

protected:
    void mouseMoveEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;

private:
    void CheckHover();
    void ApplyLook();

    QUrl url_;
    int underline_ = -1;
    bool hovered_ = false;
    QTimer hoverTimer_;
};

}  // namespace bramix::ui
