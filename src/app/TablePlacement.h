#pragma once

#include <QObject>
#include <QRect>

class QMainWindow;
class QWidget;

namespace vexmoor {

// Where the table stands in the client area: its designed place below the auto-filter line, sized
// from the window's outer size less the bars and shown docks, as the window lays it out whenever it
// or its client area changes size.
class TablePlacement final : public QObject {
    Q_OBJECT

public:
    TablePlacement(QMainWindow& window, QWidget& table);
    Q_DISABLE_COPY_MOVE(TablePlacement)

    void place();

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    int topToolBarsHeight() const;

    QMainWindow& m_window;
    QWidget& m_table;
    QWidget* m_client;
    QRect m_geometry;
};

} // namespace vexmoor
