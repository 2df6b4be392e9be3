#pragma once

// The download list: a report view with the program's watermark in its
// bottom-right corner, under the entries, and a progress bar in the state
// cell of a running download of known size.

#include <QPixmap>

#include "ui/report_view.h"

namespace bramix::ui {

// The item data role of the state cell that holds a running download's
// percent (0 to 100); absent for every other state.
inline constexpr int kPercentRole = Qt::UserRole + 1;

class DownloadListView : public ReportView {
    Q_OBJECT

public:
    // `stateColumn` is the column whose cells draw a bar when they hold a percent.
    DownloadListView(int stateColumn, QWidget* parent = nullptr);
    void SetWatermark(const QPixmap& picture) { watermark_ = picture; }

protected:
    void paintEvent(QPaintEvent* event) override;

private:
    QPixmap watermark_;
};

}  // namespace bramix::ui
