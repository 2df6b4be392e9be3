#pragma once

// A report-view list: a tooltip with the whole text of a cell that is cut
// off, or the row's own tooltip when it has one, and one centred line in
// place of an empty list when there is something to say about it.

#include <QString>
#include <QTreeWidget>

namespace bramix::ui {

class ReportView : public QTreeWidget {
    Q_OBJECT

public:
    explicit ReportView(QWidget* parent = nullptr);

    // Shown centred while the list has no rows; empty: nothing is shown.
    void SetEmptyText(const QString& text);
    const QString& emptyText() const { return emptyText_; }

    // The text a tooltip at `position` (in the viewport) shows; empty for none.
    QString TipAt(const QPoint& position) const;

protected:
    bool viewportEvent(QEvent* event) override;
    void paintEvent(QPaintEvent* event) override;

private:
    QString emptyText_;
};

}  // namespace bramix::ui
