#include "service/chart.h"

#include <QFont>
#include <QPainter>
#include <QPainterPath>

#include <algorithm>
#include <cmath>
#include <tuple>
#include <vector>

#include "service/price_walk.h"

namespace service {
namespace {

constexpr int kSessionMinutes = kSessionSeconds / 60;
constexpr int kKnotsPerMinute = 60 / kKnotSeconds;

// Plot area inside the picture; the title sits above, the times below.
constexpr QRectF kPlot(40, 18, 236, 117);

const QColor kRise(0xE0, 0x3C, 0x31);
const QColor kFall(0x1E, 0x9E, 0x46);
const QColor kRiseFill(0xFB, 0xE3, 0xE1);
const QColor kFallFill(0xE0, 0xF3, 0xE5);
const QColor kGrid(0xE8, 0xE8, 0xE8);
const QColor kCloseLine(0x9A, 0x9A, 0x9A);
const QColor kText(0x55, 0x55, 0x55);

QString Price(int64_t ticks) {
  return QString::asprintf("%.2f", ticks / 100.0);
}

QColor ToneOf(int64_t ticks, int64_t close) {
  return ticks > close ? kRise : ticks < close ? kFall : kText;
}

struct Scale {
  int64_t close;
  double span;  // ticks from the close to the plot's top edge
  double X(double minute) const { return kPlot.left() + kPlot.width() * minute / kSessionMinutes; }
  double Y(double ticks) const {
    return kPlot.center().y() - (ticks - close) / span * (kPlot.height() / 2);
  }
};

// (minute, price in ticks) from the open to the moment.
std::vector<QPointF> PricePoints(const TradingDay& day, const MarketMoment& moment) {
  int last_knot = moment.session_second / kKnotSeconds;
  std::vector<double> walk(last_knot + 1);
  WalkKnots(day, last_knot, walk);
  std::vector<QPointF> points;
  for (int knot = 0; knot <= last_knot; knot += kKnotsPerMinute) {
    points.emplace_back(knot / kKnotsPerMinute, TicksOfWalk(day, walk[knot]));
  }
  double now = moment.session_second / 60.0;
  if (points.back().x() < now) points.emplace_back(now, PriceAt(day, moment.session_second));
  return points;
}

void PaintGrid(QPainter& painter, const Scale& scale) {
  painter.setPen(QPen(kGrid, 1));
  for (int i = 0; i <= 4; ++i) {
    double y = std::round(kPlot.top() + kPlot.height() * i / 4) + 0.5;
    painter.drawLine(QPointF(kPlot.left(), y), QPointF(kPlot.right(), y));
  }
  for (int minute = 0; minute <= kSessionMinutes; minute += 60) {
    double x = std::round(scale.X(minute)) + 0.5;
    painter.drawLine(QPointF(x, kPlot.top()), QPointF(x, kPlot.bottom()));
  }
}

void PaintLabels(QPainter& painter, const Scale& scale) {
  QFont font = painter.font();
  font.setPixelSize(9);
  painter.setFont(font);
  for (int i = 0; i <= 4; ++i) {
    double ticks = scale.close + scale.span * (2 - i) / 2;
    int64_t rounded = std::llround(ticks);
    double y = kPlot.top() + kPlot.height() * i / 4;
    painter.setPen(ToneOf(rounded, scale.close));
    // The outer labels stay inside the plot's height, clear of title and times.
    double top = std::clamp(y - 6, kPlot.top(), kPlot.bottom() - 12);
    painter.drawText(QRectF(0, top, kPlot.left() - 3, 12), Qt::AlignRight | Qt::AlignVCenter,
                     Price(rounded));
  }
  painter.setPen(kText);
  QRectF band(0, kPlot.bottom() + 2, 0, 13);
  struct TimeLabel {
    int minute;
    const char* text;
    Qt::Alignment align;
  };
  const TimeLabel times[] = {{0, "09:30", Qt::AlignLeft},
                             {60, "10:30", Qt::AlignHCenter},
                             {120, "11:30/13:00", Qt::AlignHCenter},
                             {180, "14:00", Qt::AlignHCenter},
                             {240, "15:00", Qt::AlignRight}};
  for (const TimeLabel& label : times) {
    double x = scale.X(label.minute);
    QRectF box = band;
    if (label.align == Qt::AlignLeft) box.setRect(x, band.top(), 60, band.height());
    if (label.align == Qt::AlignRight) box.setRect(x - 60, band.top(), 60, band.height());
    if (label.align == Qt::AlignHCenter) box.setRect(x - 35, band.top(), 70, band.height());
    painter.drawText(box, label.align | Qt::AlignVCenter, label.text);
  }
}

void PaintTitle(QPainter& painter, const Stock& stock, int64_t price, int64_t close) {
  QFont font = painter.font();
  font.setPixelSize(11);
  painter.setFont(font);
  painter.setPen(QColor(0x33, 0x33, 0x33));
  QRectF band(4, 1, kChartWidth - 8, 15);
  painter.drawText(band, Qt::AlignLeft | Qt::AlignVCenter,
                   QString::fromUtf8(stock.name_utf8) + " " + QString::fromStdString(stock.code));
  double percent = 100.0 * (price - close) / close;
  painter.setPen(ToneOf(price, close));
  painter.drawText(band, Qt::AlignRight | Qt::AlignVCenter,
                   Price(price) + QString::asprintf("  %+.2f%%", percent));
}

// The line and its area, drawn twice: clipped above the close in red, below it
// in green, so each crossing changes colour exactly at the close line.
void PaintPriceLine(QPainter& painter, const Scale& scale, const std::vector<QPointF>& points) {
  QPainterPath line;
  for (const QPointF& p : points) {
    QPointF at(scale.X(p.x()), scale.Y(p.y()));
    if (line.elementCount() == 0) {
      line.moveTo(at);
    } else {
      line.lineTo(at);
    }
  }
  double close_y = scale.Y(scale.close);
  QPainterPath area = line;
  area.lineTo(line.currentPosition().x(), close_y);
  area.lineTo(line.elementAt(0).x, close_y);
  area.closeSubpath();

  QRectF above(0, 0, kChartWidth, close_y);
  QRectF below(0, close_y, kChartWidth, kChartHeight - close_y);
  for (auto [clip, fill, pen] : {std::tuple{above, kRiseFill, kRise}, {below, kFallFill, kFall}}) {
    painter.save();
    painter.setClipRect(clip);
    painter.fillPath(area, fill);
    painter.setPen(QPen(pen, 1.3));
    painter.setBrush(Qt::NoBrush);
    painter.drawPath(line);
    painter.restore();
  }
  painter.setPen(QPen(kCloseLine, 1, Qt::DashLine));
  painter.drawLine(QPointF(kPlot.left(), close_y), QPointF(kPlot.right(), close_y));
}

}  // namespace

QImage PaintChart(const Stock& stock, const MarketMoment& moment) {
  TradingDay day = MakeTradingDay(stock, moment.trading_day);
  std::vector<QPointF> points = PricePoints(day, moment);
  double reach = 2;  // at least two ticks either side
  for (const QPointF& p : points) reach = std::max(reach, std::abs(p.y() - day.previous_close));
  reach = std::max(reach, day.previous_close * 0.01);
  Scale scale{day.previous_close, reach * 1.08};

  QImage image(kChartWidth, kChartHeight, QImage::Format_RGB32);
  image.fill(Qt::white);
  QPainter painter(&image);
  painter.setFont(QFont("WenQuanYi Micro Hei"));
  PaintGrid(painter, scale);
  painter.setRenderHint(QPainter::Antialiasing);
  PaintPriceLine(painter, scale, points);
  PaintLabels(painter, scale);
  PaintTitle(painter, stock, static_cast<int64_t>(points.back().y()), day.previous_close);
  if (moment.trading) {
    painter.setPen(Qt::NoPen);
    painter.setBrush(ToneOf(static_cast<int64_t>(points.back().y()), day.previous_close));
    painter.drawEllipse(QPointF(scale.X(points.back().x()), scale.Y(points.back().y())), 2, 2);
  }
  return image;
}

}  // namespace service
