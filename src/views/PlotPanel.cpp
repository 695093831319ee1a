#include "views/PlotPanel.h"

#include "capture/record/FramesClock.h"

#include "capture/changes/FrameHistory.h"
#include "capture/changes/SignalRecorder.h"
#include "capture/ranking/BitRanking.h"
#include "capture/record/CanFrame.h"
#include "capture/record/HexText.h"
#include "views/PlotChartView.h"

#include <QChart>
#include <QComboBox>
#include <QGraphicsLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QLegendMarker>
#include <QLineEdit>
#include <QLineSeries>
#include <QMainWindow>
#include <QMenu>
#include <QPen>
#include <QPushButton>
#include <QSpinBox>
#include <QTimer>
#include <QVBoxLayout>
#include <QValueAxis>

#include <algorithm>
#include <cmath>
#include <optional>
#include <tuple>

namespace vexmoor {

namespace {

constexpr double kMicrosecondsPerSecond = 1e6;
// Columns for thinning when the chart has no size yet, and the bounds of a real one: a few thousand
// points per series at most, whatever the screen.
constexpr int kMinColumns = 100;
constexpr int kMaxColumns = 2000;
// Share of a band a series fills, so that neighbouring bands never touch.
constexpr double kBandFill = 0.8;
constexpr int kMinChartHeight = 200;
constexpr int kExtendedIdDigits = 8;
const QColor kMarkColor(0x60, 0x60, 0x60);

// An identifier as the table shows it: hexadecimal, extended when past 7FF or written with all eight
// digits (the table pads a small extended identifier so).
std::optional<std::pair<std::uint32_t, bool>> readIdentifier(const QString& text, QString& error)
{
    const std::string digits = text.trimmed().toStdString();
    std::uint32_t id = 0;
    if (digits.empty()) {
        error = QStringLiteral("Type the identifier in hexadecimal, as the table shows it (e.g. 3E9).");
        return std::nullopt;
    }
    if (!hex::readNumber(digits, id)) {
        error = QStringLiteral("\"%1\" is no hexadecimal identifier of at most 8 digits.").arg(text.trimmed());
        return std::nullopt;
    }
    if (id > CanFrame::kMaxExtendedId) {
        error = QStringLiteral("%1 is past the largest extended identifier, 1FFFFFFF.").arg(text.trimmed());
        return std::nullopt;
    }
    return std::pair { id, digits.size() >= kExtendedIdDigits || id > CanFrame::kMaxStandardId };
}

// A tick every 1, 2 or 5 times a power of ten, about five over the span; never between integers
// where the values are integers (bits and bytes), as a database's physical values may be.
double tickInterval(double span, bool integers)
{
    const double rough = span / 5;
    if (integers && rough <= 1)
        return 1;
    if (rough <= 0)
        return 1;
    const double magnitude = std::pow(10.0, std::floor(std::log10(rough)));
    for (const double step : { 1.0, 2.0, 5.0 }) {
        if (rough <= step * magnitude)
            return step * magnitude;
    }
    return 10 * magnitude;
}

// Whether every physical value of the signal is a whole number: an integer scaled by whole numbers.
bool takesIntegersOnly(const SignalDefinition& signal)
{
    const bool integer = signal.valueType == SignalValueType::Unsigned || signal.valueType == SignalValueType::Signed;
    return integer && signal.factor == std::trunc(signal.factor) && signal.offset == std::trunc(signal.offset);
}

// A step plot: each change is a vertical edge at its time, from the value before to the new one.
QList<QPointF> asSteps(const QList<QPointF>& values)
{
    QList<QPointF> steps;
    steps.reserve(values.size() * 2);
    for (qsizetype index = 0; index < values.size(); ++index) {
        if (index > 0 && values[index].y() != values[index - 1].y())
            steps.append(QPointF(values[index].x(), values[index - 1].y()));
        steps.append(values[index]);
    }
    return steps;
}

std::pair<double, double> valueBounds(const QList<QPointF>& values)
{
    const auto [lowest, highest] = std::minmax_element(
        values.begin(), values.end(), [](const QPointF& a, const QPointF& b) { return a.y() < b.y(); });
    return { lowest->y(), highest->y() };
}

} // namespace

PlotPanel::PlotPanel(SignalRecorder& recorder, const FramesClock& clock, QWidget* parent)
    : QDockWidget(QStringLiteral("Plot"), parent)
    , m_recorder(recorder)
    , m_clock(&clock)
    , m_chart(new QChart)
    , m_view(new PlotChartView(m_chart))
    , m_timeAxis(new QValueAxis(m_chart))
    , m_valueAxis(new QValueAxis(m_chart))
{
    setObjectName(QStringLiteral("dockPlot"));
    // The unit rides on the labels rather than in a title: a docked plot has little height to spare.
    m_timeAxis->setLabelFormat(QStringLiteral("%.1f s"));
    m_valueAxis->setLabelFormat(QStringLiteral("%.0f"));
    m_valueAxis->setTickType(QValueAxis::TicksDynamic);
    m_valueAxis->setTickAnchor(0);
    m_chart->addAxis(m_timeAxis, Qt::AlignBottom);
    m_chart->addAxis(m_valueAxis, Qt::AlignLeft);
    QFont titleFont = m_valueAxis->titleFont();
    titleFont.setPointSizeF(titleFont.pointSizeF() * 0.8);
    titleFont.setBold(false);
    m_valueAxis->setTitleFont(titleFont);
    m_chart->legend()->setAlignment(Qt::AlignTop);
    m_chart->setMargins(QMargins(4, 0, 8, 0));
    m_chart->layout()->setContentsMargins(0, 0, 0, 0);
    m_chart->setBackgroundRoundness(0);
    m_view->setMinimumHeight(kMinChartHeight);
    connect(m_view, &PlotChartView::userMovedView, this, &PlotPanel::takeUserRange);
    connect(m_view, &PlotChartView::menuRequested, this, &PlotPanel::openMenuAt);

    auto* content = new QWidget(this);
    auto* layout = new QVBoxLayout(content);
    layout->setContentsMargins(4, 2, 4, 2);
    layout->addWidget(buildSignalForm());
    layout->addWidget(buildViewControls());
    layout->addWidget(m_view, 1);
    setWidget(content);

    auto* timer = new QTimer(this);
    connect(timer, &QTimer::timeout, this, [this] {
        if (isVisible())
            refresh();
    });
    timer->start(kRefreshIntervalMs);
    refresh();
}

PlotPanel* PlotPanel::addTo(QMainWindow& window, QMenu& viewMenu, SignalRecorder& recorder, const FramesClock& clock)
{
    auto* panel = new PlotPanel(recorder, clock, &window);
    window.addDockWidget(Qt::BottomDockWidgetArea, panel);
    panel->hide();
    QAction* toggle = panel->toggleViewAction();
    toggle->setObjectName(QStringLiteral("mnuViewPlot"));
    toggle->setText(QStringLiteral("Plot"));
    viewMenu.addAction(toggle);
    return panel;
}

QWidget* PlotPanel::buildSignalForm()
{
    auto* form = new QWidget(this);
    auto* row = new QHBoxLayout(form);
    row->setContentsMargins(0, 0, 0, 0);
    m_identifier = new QLineEdit(form);
    m_identifier->setObjectName(QStringLiteral("txtPlotId"));
    m_identifier->setPlaceholderText(QStringLiteral("3E9"));
    m_identifier->setMaxLength(kExtendedIdDigits);
    m_identifier->setFixedWidth(m_identifier->fontMetrics().horizontalAdvance(QLatin1Char('D')) * 11);
    m_firstByte = new QSpinBox(form);
    m_firstByte->setObjectName(QStringLiteral("spnPlotByte"));
    m_firstByte->setRange(0, CanFrame::kMaxFdLength - 1);
    m_byteCount = new QSpinBox(form);
    m_byteCount->setObjectName(QStringLiteral("spnPlotCount"));
    m_byteCount->setRange(1, CanFrame::kMaxClassicLength);
    m_order = new QComboBox(form);
    m_order->setObjectName(QStringLiteral("cmbPlotOrder"));
    m_order->addItems({ QStringLiteral("Big-endian"), QStringLiteral("Little-endian") });
    m_bit = new QComboBox(form);
    m_bit->setObjectName(QStringLiteral("cmbPlotBit"));
    m_bit->addItem(QStringLiteral("Bytes"));
    for (int bit = 0; bit < 8; ++bit)
        m_bit->addItem(QStringLiteral("Bit %1").arg(bit));
    auto* add = new QPushButton(QStringLiteral("Add"), form);
    add->setObjectName(QStringLiteral("btnPlotAdd"));
    connect(add, &QPushButton::clicked, this, &PlotPanel::addFromForm);
    connect(m_identifier, &QLineEdit::returnPressed, this, &PlotPanel::addFromForm);

    row->addWidget(new QLabel(QStringLiteral("ID"), form));
    row->addWidget(m_identifier);
    row->addWidget(new QLabel(QStringLiteral("Byte"), form));
    row->addWidget(m_firstByte);
    row->addWidget(new QLabel(QStringLiteral("Count"), form));
    row->addWidget(m_byteCount);
    row->addWidget(m_order);
    row->addWidget(m_bit);
    row->addWidget(add);
    m_message = new QLabel(form);
    m_message->setObjectName(QStringLiteral("lblPlotMessage"));
    m_message->setStyleSheet(QStringLiteral("color: #b00020"));
    row->addWidget(m_message, 1);
    return form;
}

QWidget* PlotPanel::buildViewControls()
{
    auto* controls = new QWidget(this);
    auto* row = new QHBoxLayout(controls);
    row->setContentsMargins(0, 0, 0, 0);
    m_plotted = new QComboBox(controls);
    m_plotted->setObjectName(QStringLiteral("cmbPlotSeries"));
    m_plotted->setSizeAdjustPolicy(QComboBox::AdjustToContents);
    auto* remove = new QPushButton(QStringLiteral("Remove"), controls);
    remove->setObjectName(QStringLiteral("btnPlotRemove"));
    connect(remove, &QPushButton::clicked, this, &PlotPanel::removeSelected);
    auto* clear = new QPushButton(QStringLiteral("Clear"), controls);
    clear->setObjectName(QStringLiteral("btnPlotClear"));
    connect(clear, &QPushButton::clicked, this, &PlotPanel::removeAll);

    m_follow = new QPushButton(QStringLiteral("Follow"), controls);
    m_follow->setObjectName(QStringLiteral("btnPlotFollow"));
    m_follow->setCheckable(true);
    m_follow->setChecked(true);
    connect(m_follow, &QPushButton::toggled, this, &PlotPanel::setFollowing);
    m_windowSeconds = new QSpinBox(controls);
    m_windowSeconds->setObjectName(QStringLiteral("spnPlotWindow"));
    m_windowSeconds->setRange(1, kMaxWindowSeconds);
    m_windowSeconds->setValue(kDefaultWindowSeconds);
    m_windowSeconds->setSuffix(QStringLiteral(" s"));
    m_windowSeconds->setToolTip(QStringLiteral("The seconds Follow shows"));
    auto* fit = new QPushButton(QStringLiteral("Fit"), controls);
    fit->setObjectName(QStringLiteral("btnPlotFit"));
    fit->setToolTip(QStringLiteral("Show everything recorded"));
    connect(fit, &QPushButton::clicked, this, &PlotPanel::fitAll);
    m_dropped = new QLabel(controls);
    m_dropped->setObjectName(QStringLiteral("lblPlotDropped"));

    row->addWidget(m_plotted);
    row->addWidget(remove);
    row->addWidget(clear);
    row->addSpacing(16);
    row->addWidget(m_follow);
    row->addWidget(m_windowSeconds);
    row->addWidget(fit);
    row->addWidget(m_dropped, 1);
    return controls;
}

void PlotPanel::addSignal(const PlotSignal& signal)
{
    const SignalRecorder::AddOutcome outcome = m_recorder.add(signal);
    if (outcome != SignalRecorder::AddOutcome::Added) {
        showMessage(QString::fromStdString(std::string(SignalRecorder::describe(outcome))));
        return;
    }
    showMessage({});
    show();
    raise();
    refresh();
}

void PlotPanel::addFromForm()
{
    QString error;
    const auto identifier = readIdentifier(m_identifier->text(), error);
    if (!identifier) {
        showMessage(error);
        return;
    }
    const auto [id, extended] = *identifier;
    const int firstByte = m_firstByte->value();
    const int byteCount = m_byteCount->value();
    const auto placed = [this](const PlotSignal& signal) { return m_placeTyped ? m_placeTyped(signal) : signal; };
    if (m_bit->currentIndex() > 0)
        return addSignal(placed(PlotSignal::ofBit(id, extended, firstByte, m_bit->currentIndex() - 1)));
    if (firstByte + byteCount > CanFrame::kMaxFdLength) {
        showMessage(QStringLiteral("Bytes %1-%2 run past the last byte of a CAN FD frame, 63.")
                        .arg(firstByte)
                        .arg(firstByte + byteCount - 1));
        return;
    }
    addSignal(placed(PlotSignal::ofBytes(id, extended, firstByte, byteCount,
                                         m_order->currentIndex() == 0 ? PlotSignal::Order::BigEndian
                                                                      : PlotSignal::Order::LittleEndian)));
}

void PlotPanel::removeSelected()
{
    if (m_plotted->currentIndex() < 0)
        return;
    m_recorder.remove(static_cast<std::size_t>(m_plotted->currentIndex()));
    refresh();
}

void PlotPanel::removeAll()
{
    while (m_recorder.count() > 0)
        m_recorder.remove(m_recorder.count() - 1);
    showMessage({});
    refresh();
}

void PlotPanel::showMessage(const QString& message)
{
    m_message->setText(message);
}

void PlotPanel::setFollowing(bool following)
{
    // Follow let go keeps what it showed last.
    if (!following)
        m_userRange = QPointF(m_timeAxis->min(), m_timeAxis->max());
    refresh();
}

void PlotPanel::takeUserRange()
{
    // The user's zoom or pan wins over the live end until they ask to follow again.
    m_follow->setChecked(false);
    m_userRange = QPointF(m_timeAxis->min(), m_timeAxis->max());
    refresh();
}

void PlotPanel::fitAll()
{
    const std::optional<std::int64_t> origin = m_recorder.originUs();
    std::optional<std::int64_t> earliest;
    std::optional<std::int64_t> latest;
    for (std::size_t index = 0; index < m_recorder.count(); ++index) {
        const PlotSeries& series = m_recorder.series(index);
        if (series.empty())
            continue;
        earliest = std::min(earliest.value_or(*series.earliestUs()), *series.earliestUs());
        latest = std::max(latest.value_or(*series.latestUs()), *series.latestUs());
    }
    if (!origin || !earliest)
        return;
    const double from = static_cast<double>(*earliest - *origin) / kMicrosecondsPerSecond;
    const double to = static_cast<double>(*latest - *origin) / kMicrosecondsPerSecond;
    m_follow->setChecked(false);
    // A single instant still needs a width to be seen.
    m_userRange = to > from ? QPointF(from, to) : QPointF(from - 0.5, from + 0.5);
    refresh();
}

QPointF PlotPanel::shownRange() const
{
    if (!m_follow->isChecked())
        return m_userRange;
    const double window = m_windowSeconds->value();
    const std::int64_t nowUs = m_clock->nowUs();
    const double now = static_cast<double>(nowUs - m_recorder.originUs().value_or(nowUs)) / kMicrosecondsPerSecond;
    // Until a whole window has passed it fills from the left; then it scrolls.
    const double end = std::max(now, window);
    return { end - window, end };
}

void PlotPanel::refresh()
{
    matchSeriesToSignals();
    // The history lets frames go whether or not anything plotted moved.
    showDropped();
    const QPointF range = shownRange();
    if (m_drawn && range == m_drawnRange && m_recorder.revision() == m_drawnRevision && currentMarks() == m_drawnMarks)
        return;
    draw(range);
    m_drawn = true;
    m_drawnRange = range;
    m_drawnRevision = m_recorder.revision();
}

void PlotPanel::matchSeriesToSignals()
{
    std::vector<PlotSignal> current;
    for (std::size_t index = 0; index < m_recorder.count(); ++index)
        current.push_back(m_recorder.plotSignal(index));
    if (current == m_shownSignals)
        return;
    // Rebuilt whole, in the recorder's order, so that each keeps its place's colour: the marks' lines
    // go too, lest they hold the first colours.
    removeMarkLines();
    for (QLineSeries* line : std::as_const(m_lines)) {
        m_chart->removeSeries(line);
        delete line;
    }
    m_lines.clear();
    m_plotted->clear();
    for (const PlotSignal& signal : current) {
        auto* line = new QLineSeries(m_chart);
        line->setName(QString::fromStdString(signal.label()));
        m_chart->addSeries(line);
        line->attachAxis(m_timeAxis);
        line->attachAxis(m_valueAxis);
        m_lines.append(line);
        m_plotted->addItem(line->name());
    }
    m_shownSignals = std::move(current);
    m_drawn = false;
}

void PlotPanel::draw(QPointF range)
{
    m_timeAxis->setRange(range.x(), range.y());
    const std::int64_t originUs = m_recorder.originUs().value_or(0);
    const auto toUs = [originUs](double seconds) {
        return originUs + static_cast<std::int64_t>(std::llround(seconds * kMicrosecondsPerSecond));
    };
    const int columns = std::clamp(static_cast<int>(m_chart->plotArea().width()), kMinColumns, kMaxColumns);
    std::vector<QList<QPointF>> values;
    for (std::size_t index = 0; index < m_recorder.count(); ++index) {
        QList<QPointF>& points = values.emplace_back();
        for (const PlotSeries::Sample& sample :
             m_recorder.series(index).thinned(toUs(range.x()), toUs(range.y()), columns))
            points.append(QPointF(static_cast<double>(sample.timeUs - originUs) / kMicrosecondsPerSecond,
                                  static_cast<double>(sample.value)));
    }
    if (values.size() > 1)
        drawInBands(values);
    else
        drawAlone(values);
    for (std::size_t index = 0; index < values.size(); ++index)
        m_lines[static_cast<qsizetype>(index)]->replace(asSteps(values[index]));
    drawMarks(range);
}

const std::vector<Mark>& PlotPanel::currentMarks() const
{
    static const std::vector<Mark> none;
    return m_marksSource != nullptr ? m_marksSource->marks() : none;
}

void PlotPanel::removeMarkLines()
{
    for (QLineSeries* line : std::as_const(m_markLines)) {
        m_chart->removeSeries(line);
        delete line;
    }
    m_markLines.clear();
    m_drawnMarks.clear();
}

void PlotPanel::drawMarks(QPointF range)
{
    const std::vector<Mark>& marks = currentMarks();
    const std::optional<std::int64_t> origin = m_recorder.originUs();
    while (m_markLines.size() > static_cast<qsizetype>(marks.size())) {
        QLineSeries* line = m_markLines.takeLast();
        m_chart->removeSeries(line);
        delete line;
    }
    while (m_markLines.size() < static_cast<qsizetype>(marks.size())) {
        auto* line = new QLineSeries(m_chart);
        line->setPen(QPen(kMarkColor, 1, Qt::DashLine));
        line->setPointLabelsColor(kMarkColor);
        // The label of the line's top end falls outside the plot and is clipped: the number reads once,
        // at the foot of the line.
        line->setPointLabelsClipping(true);
        line->setPointLabelsVisible(true);
        m_chart->addSeries(line);
        line->attachAxis(m_timeAxis);
        line->attachAxis(m_valueAxis);
        for (QLegendMarker* marker : m_chart->legend()->markers(line))
            marker->setVisible(false);
        m_markLines.append(line);
    }
    for (std::size_t index = 0; index < marks.size(); ++index) {
        QLineSeries* line = m_markLines[static_cast<qsizetype>(index)];
        line->setName(QStringLiteral("Mark %1").arg(index + 1));
        line->setPointLabelsFormat(QString::number(index + 1));
        const double at = origin ? static_cast<double>(marks[index].timeUs - *origin) / kMicrosecondsPerSecond : 0;
        if (!origin || at < range.x() || at > range.y()) {
            line->clear();
            continue;
        }
        line->replace(QList<QPointF> { { at, m_valueAxis->min() }, { at, m_valueAxis->max() } });
    }
    m_drawnMarks = marks;
}

std::optional<std::int64_t> PlotPanel::timeAt(QPoint viewPosition) const
{
    const std::optional<std::int64_t> origin = m_recorder.originUs();
    const QRectF area = m_chart->plotArea();
    if (!origin || area.width() <= 0)
        return std::nullopt;
    const double x = m_chart->mapFromScene(m_view->mapToScene(viewPosition)).x();
    const double seconds
        = m_timeAxis->min() + (x - area.left()) / area.width() * (m_timeAxis->max() - m_timeAxis->min());
    return *origin + std::llround(seconds * kMicrosecondsPerSecond);
}

QMenu* PlotPanel::openMenuAt(QPoint viewPosition)
{
    auto* menu = new QMenu(m_view);
    menu->setObjectName(QStringLiteral("menuPlotChart"));
    menu->setAttribute(Qt::WA_DeleteOnClose);
    QAction* markHere = menu->addAction(QStringLiteral("Mark Here"));
    markHere->setObjectName(QStringLiteral("mnuPlotMarkHere"));
    const std::optional<std::int64_t> timeUs = timeAt(viewPosition);
    // Before the first value the plot's time has no zero to count from.
    markHere->setEnabled(timeUs.has_value());
    if (timeUs)
        connect(markHere, &QAction::triggered, this, [this, at = *timeUs] { emit markRequested(at); });
    QAction* zoomOut = menu->addAction(QStringLiteral("Zoom Out"));
    zoomOut->setObjectName(QStringLiteral("mnuPlotZoomOut"));
    connect(zoomOut, &QAction::triggered, m_view, &PlotChartView::zoomOut);
    menu->popup(m_view->mapToGlobal(viewPosition));
    return menu;
}

void PlotPanel::drawAlone(const std::vector<QList<QPointF>>& values)
{
    // One value reads on the axis itself.
    m_valueAxis->setLabelsVisible(true);
    double lowest = 0;
    double highest = 1;
    if (!values.empty() && !values.front().isEmpty())
        std::tie(lowest, highest) = valueBounds(values.front());
    const double margin = highest > lowest ? (highest - lowest) * 0.05 : 1;
    m_valueAxis->setRange(lowest - margin, highest + margin);
    // A database's signal names itself and its unit on the axis, and its values need not be integers.
    const PlotSignal* decoded
        = !m_shownSignals.empty() && m_shownSignals.front().decoded ? &m_shownSignals.front() : nullptr;
    m_valueAxis->setTitleText(decoded != nullptr ? QString::fromStdString(decoded->decoded->title()) : QString());
    const bool integers = decoded == nullptr || takesIntegersOnly(decoded->decoded->definition());
    m_valueAxis->setLabelFormat(integers ? QStringLiteral("%.0f") : QStringLiteral("%g"));
    m_valueAxis->setTickInterval(tickInterval(highest - lowest, integers));
}

void PlotPanel::drawInBands(std::vector<QList<QPointF>>& values)
{
    // Several values on one axis would flatten a bit beside a 16-bit counter, so each gets a band of
    // its own, top to bottom in the legend's order, scaled to what it shows; the legend gives the
    // scale of each band where it is not a bit's 0 to 1.
    const auto bands = static_cast<double>(values.size());
    m_valueAxis->setLabelsVisible(false);
    m_valueAxis->setTitleText({});
    m_valueAxis->setRange(0, bands);
    m_valueAxis->setTickInterval(1);
    for (std::size_t index = 0; index < values.size(); ++index) {
        QList<QPointF>& points = values[index];
        const PlotSignal& signal = m_shownSignals[index];
        auto [lowest, highest] = points.isEmpty() ? std::pair { 0.0, 1.0 } : valueBounds(points);
        if (signal.bit) {
            lowest = 0;
            highest = 1;
        }
        const double base = bands - 1 - static_cast<double>(index) + (1 - kBandFill) / 2;
        const double scale = highest > lowest ? kBandFill / (highest - lowest) : 0;
        for (QPointF& point : points)
            point.setY(base + (scale > 0 ? (point.y() - lowest) * scale : kBandFill / 2));
        QString name = QString::fromStdString(signal.label());
        if (!signal.bit && !points.isEmpty())
            name += signal.decoded ? QStringLiteral(" [%1 to %2]").arg(lowest, 0, 'g', 6).arg(highest, 0, 'g', 6)
                                   : QStringLiteral(" [%1-%2]").arg(lowest, 0, 'f', 0).arg(highest, 0, 'f', 0);
        if (m_lines[static_cast<qsizetype>(index)]->name() != name)
            m_lines[static_cast<qsizetype>(index)]->setName(name);
    }
}

void PlotPanel::showDropped()
{
    std::uint64_t dropped = 0;
    for (std::size_t index = 0; index < m_recorder.count(); ++index)
        dropped += m_recorder.series(index).droppedSamples();
    QStringList notes;
    if (dropped > 0)
        notes.append(QStringLiteral("%L1 oldest changes dropped: each value keeps its latest %L2.")
                         .arg(dropped)
                         .arg(static_cast<qulonglong>(m_recorder.series(0).capacity())));
    const std::optional<std::int64_t> origin = m_recorder.originUs();
    if (m_history != nullptr && m_history->framesDropped() > 0 && origin && m_history->earliestUs())
        notes.append(
            QStringLiteral("The frame history begins at %1 s: older frames made room for newer ones "
                           "(View > Frame History Limit...).")
                .arg(static_cast<double>(*m_history->earliestUs() - *origin) / kMicrosecondsPerSecond, 0, 'f', 1));
    m_dropped->setVisible(!notes.isEmpty());
    m_dropped->setText(notes.join(QLatin1Char(' ')));
}

} // namespace vexmoor
