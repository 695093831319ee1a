#pragma once

#include "capture/changes/PlotSignal.h"
#include "capture/ranking/Mark.h"

#include <QDockWidget>
#include <QList>
#include <QPoint>
#include <QPointF>

#include <cstdint>
#include <functional>
#include <optional>
#include <vector>

class QChart;
class QComboBox;
class QLabel;
class QLineEdit;
class QLineSeries;
class QMainWindow;
class QMenu;
class QPushButton;
class QSpinBox;
class QValueAxis;

namespace vexmoor {

class FramesClock;

class BitRanking;
class FrameHistory;
class PlotChartView;
class SignalRecorder;

// Shows the plotted values against time, as steps: live, the last seconds of the frames' clock
// ("Follow"); or a range the user zooms and pans, or the whole recording ("Fit"). The values
// themselves are the recorder's; the panel only draws them, from the thinned samples, about ten
// times a second while it is visible. Time reads in seconds since the first value recorded, so that
// a replayed log starts at 0 whatever day it was taken. The marks the user took stand across it as
// dashed lines with their numbers, and a right click offers to take one at the moment under it.
class PlotPanel final : public QDockWidget {
    Q_OBJECT

public:
    static constexpr int kRefreshIntervalMs = 100;
    static constexpr int kDefaultWindowSeconds = 30;
    static constexpr int kMaxWindowSeconds = 600;

    PlotPanel(SignalRecorder& recorder, const FramesClock& clock, QWidget* parent = nullptr);
    Q_DISABLE_COPY_MOVE(PlotPanel)

    // A hidden panel at the bottom of the window, with its entry at the end of the view menu.
    static PlotPanel* addTo(QMainWindow& window, QMenu& viewMenu, SignalRecorder& recorder, const FramesClock& clock);

    // "Now" for Follow, in microseconds on the frames' clock.
    void setClock(const FramesClock& clock) { m_clock = &clock; }
    // Draws what changed since the last time; the panel's timer calls it while the panel is visible.
    void refresh();
    QChart& chart() { return *m_chart; }
    // Draws the ranking's marks from now on, as they are at each refresh; it must outlive the panel.
    void showMarksOf(const BitRanking& ranking) { m_marksSource = &ranking; }
    // Says where the history that values are filled from begins, once it no longer reaches back to the
    // first frame; it must outlive the panel.
    void showHistoryOf(const FrameHistory& history) { m_history = &history; }
    // Puts a value typed in the form on its bus while rows are kept per bus; none: bus 0.
    void setTypedValuePlacement(std::function<PlotSignal(const PlotSignal&)> place) { m_placeTyped = std::move(place); }
    // The moment under a point of the chart view, in microseconds on the frames' clock; nothing
    // before the first value gave the plot its zero.
    std::optional<std::int64_t> timeAt(QPoint viewPosition) const;
    // The chart's menu as a right click at viewPosition opens it (menuPlotChart).
    QMenu* openMenuAt(QPoint viewPosition);

signals:
    // "Mark Here": a mark at timeUs on the frames' clock.
    void markRequested(std::int64_t timeUs);

public slots:
    // Plots the value and shows the panel; a value that cannot be plotted is refused in the panel's
    // message line.
    void addSignal(const vexmoor::PlotSignal& signal);

private:
    QWidget* buildSignalForm();
    QWidget* buildViewControls();
    void addFromForm();
    void removeSelected();
    void removeAll();
    void setFollowing(bool following);
    void fitAll();
    void takeUserRange();
    void showMessage(const QString& message);
    void matchSeriesToSignals();
    // The shown time range, in seconds since the origin.
    QPointF shownRange() const;
    void draw(QPointF range);
    void drawAlone(const std::vector<QList<QPointF>>& values);
    void drawInBands(std::vector<QList<QPointF>>& values);
    void showDropped();
    void drawMarks(QPointF range);
    void removeMarkLines();
    const std::vector<Mark>& currentMarks() const;

    SignalRecorder& m_recorder;
    const FramesClock* m_clock;
    QChart* m_chart;
    PlotChartView* m_view;
    QValueAxis* m_timeAxis;
    QValueAxis* m_valueAxis;
    std::vector<PlotSignal> m_shownSignals;
    QList<QLineSeries*> m_lines;
    const BitRanking* m_marksSource = nullptr;
    const FrameHistory* m_history = nullptr;
    QList<QLineSeries*> m_markLines;
    std::vector<Mark> m_drawnMarks;

    QLineEdit* m_identifier = nullptr;
    QSpinBox* m_firstByte = nullptr;
    QSpinBox* m_byteCount = nullptr;
    QComboBox* m_order = nullptr;
    QComboBox* m_bit = nullptr;
    QComboBox* m_plotted = nullptr;
    QPushButton* m_follow = nullptr;
    QSpinBox* m_windowSeconds = nullptr;
    QLabel* m_message = nullptr;
    QLabel* m_dropped = nullptr;

    QPointF m_userRange; // while not following
    QPointF m_drawnRange;
    std::uint64_t m_drawnRevision = 0;
    bool m_drawn = false;
    std::function<PlotSignal(const PlotSignal&)> m_placeTyped;
};

} // namespace vexmoor
