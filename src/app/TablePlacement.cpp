#include "app/TablePlacement.h"

#include "platform/Twips.h"

#include <QDockWidget>
#include <QEvent>
#include <QMainWindow>
#include <QMenuBar>
#include <QStatusBar>
#include <QToolBar>

#include <algorithm>

namespace vexmoor {

namespace {

// What the shown docks take of the window beside and across the client area, which shrinks by as much:
// measured from the client area itself, and nothing while no dock is docked and shown. A dock being
// shown is not yet visible when the window lays the client area out for it: it counts once not hidden.
QSize dockedShare(const QMainWindow& window, int barsHeight)
{
    bool besideShown = false;
    bool acrossShown = false;
    for (QDockWidget* dock : window.findChildren<QDockWidget*>()) {
        if (dock->isHidden() || dock->isFloating())
            continue;
        const Qt::DockWidgetArea area = window.dockWidgetArea(dock);
        (area == Qt::LeftDockWidgetArea || area == Qt::RightDockWidgetArea ? besideShown : acrossShown) = true;
    }
    const QWidget* client = window.centralWidget();
    const int width = besideShown ? window.width() - client->width() : 0;
    const int height = acrossShown ? window.height() - barsHeight - client->height() : 0;
    return { std::max(0, width), std::max(0, height) };
}

} // namespace

TablePlacement::TablePlacement(QMainWindow& window, QWidget& table)
    : QObject(&window)
    , m_window(window)
    , m_table(table)
    , m_client(window.centralWidget())
{
    // A tool bar that comes or goes moves the client area without resizing the window.
    m_client->installEventFilter(this);
}

void TablePlacement::place()
{
    // The table follows the window's outer size (frame, title and menu bar included) less what the
    // bars below the menu take: the status bar, the shown tool bars and shown docks. Each of the
    // four assignments stands on its own: a size that would come out negative keeps its last value.
    const double dpi = Twips::logicalDpiOf(m_window);
    const QStatusBar* statusBar = m_window.statusBar();
    const int statusBarHeight = statusBar->isHidden() ? 0 : statusBar->height();
    const int toolBarHeight = topToolBarsHeight();
    const QSize outer = m_window.frameGeometry().size() - QSize(0, statusBarHeight + toolBarHeight)
        - dockedShare(m_window, m_window.menuBar()->height() + statusBarHeight + toolBarHeight);
    const int outerWidthTwips = static_cast<int>(outer.width() * 1440.0 / dpi);
    const int outerHeightTwips = static_cast<int>(outer.height() * 1440.0 / dpi);
    m_geometry.moveLeft(Twips::toPixels(10, dpi));
    m_geometry.moveTop(Twips::toPixels(480, dpi));
    if (outerWidthTwips - 220 >= 0)
        m_geometry.setWidth(Twips::toPixels(outerWidthTwips - 220, dpi));
    if (outerHeightTwips - 1590 >= 0)
        m_geometry.setHeight(Twips::toPixels(outerHeightTwips - 1590, dpi));
    m_table.setGeometry(m_geometry);
}

int TablePlacement::topToolBarsHeight() const
{
    // The tool bars keep to one row at the top: the tallest shown one gives its height.
    int height = 0;
    for (const QToolBar* bar : m_window.findChildren<QToolBar*>(Qt::FindDirectChildrenOnly)) {
        if (!bar->isHidden() && !bar->isFloating() && m_window.toolBarArea(bar) == Qt::TopToolBarArea)
            height = std::max(height, bar->height());
    }
    return height;
}

bool TablePlacement::eventFilter(QObject* watched, QEvent* event)
{
    if (event->type() == QEvent::Resize && watched == m_client)
        place();
    return QObject::eventFilter(watched, event);
}

} // namespace vexmoor
