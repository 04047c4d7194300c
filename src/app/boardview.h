#pragma once

#include <QTableView>

namespace velmora {

// The grid of the board: fixed headings, one row per job, and columns that keep their
// proportions as the window is resized (the prefix column stays hidden).
class BoardView final : public QTableView
{
    Q_OBJECT

public:
    explicit BoardView(QWidget* parent = nullptr);

    // Applies the column proportions to the current width.
    void fitColumns();

protected:
    void resizeEvent(QResizeEvent* event) override;
};

} // namespace velmora
