#pragma once

// The download list: a report view with the program's watermark in its
// bottom-right corner, under the entries.

#include <QPixmap>
#include <QTreeWidget>

namespace bramix::ui {

class DownloadListView : public QTreeWidget {
    Q_OBJECT

public:
    explicit DownloadListView(QWidget* parent = nullptr);
    void SetWatermark(const QPixmap& picture) { watermark_ = picture; }

protected:
    void paintEvent(QPaintEvent* event) override;

private:
    QPixmap watermark_;
};

}  // namespace bramix::ui
