#include "chart/readout_panel.h"

#include <QLabel>
#include <QVBoxLayout>
#include <cmath>

#include "chart/compare_readout.h"
#include "chart/readout_text.h"
#include "ui/qt_text.h"

namespace kq {
namespace {
constexpr int kPositionLines = 3;

QLabel* makeReadout(const char* name) {
  auto* label = new QLabel;
  label->setObjectName(QString::fromLatin1(name));
  label->setTextFormat(Qt::RichText);
  label->setSizePolicy(QSizePolicy::Ignored, QSizePolicy::Preferred);
  label->setWordWrap(true);
  return label;
}
}  // namespace

ReadoutPanel::ReadoutPanel(ChartSession& session, QWidget* parent) : QWidget(parent), session_(session) {
  position_ = makeReadout("positionReadout");
  // Room for the values of ten series, so the chart does not jump as the mouse moves.
  position_->setMinimumHeight(kPositionLines * position_->fontMetrics().lineSpacing());
  position_->setAlignment(Qt::AlignLeft | Qt::AlignTop);
  markers_ = makeReadout("markerReadout");
  markers_->hide();
  auto* layout = new QVBoxLayout(this);
  layout->setContentsMargins(0, 0, 0, 0);
  layout->addWidget(position_);
  layout->addWidget(markers_);
  subscription_ = session.observe([this](ChartChanges changes) { update(changes); });
}

std::array<QString, kSeriesCount> ReadoutPanel::titles() const {
  std::array<QString, kSeriesCount> titles;
  for (int i = 0; i < kSeriesCount; ++i) titles[i] = toQString(session_.plotted(i).title);
  return titles;
}

void ReadoutPanel::showPosition(double x) {
  const int at = int(std::lround(x));
  if (session_.driveCount() > 1) {
    position_->setText(comparePositionText(session_.comparison(), at));
    return;
  }
  const auto sources = session_.seriesSources();
  position_->setText(positionReadoutText(session_.model(), sources, titles(), at, session_.kept(0)));
}

void ReadoutPanel::update(ChartChanges changes) {
  // The hover line named values a new dump or filter may no longer have.
  if (changes.hasAny(ChartChange::model | ChartChange::filter)) position_->clear();
  if (changes.hasAny(ChartChange::model | ChartChange::drives | ChartChange::filter | ChartChange::offsets |
                     ChartChange::series | ChartChange::markers))
    showMarkers();
}

void ReadoutPanel::showMarkers() {
  const std::optional<double> marker1 = session_.marker(0), marker2 = session_.marker(1);
  if (!marker1 && !marker2) {
    markers_->hide();
    return;
  }
  if (session_.driveCount() > 1) {
    std::vector<ComparedSeries> series;
    for (int i = 0; i < kSeriesCount; ++i) {
      const SeriesSource source = session_.seriesSource(i);
      if (!source.visible || source.column < kFrameColumns || source.points == 0) continue;
      ComparedSeries compared{toQString(session_.model().title(source.column)), {}};
      for (int d = 0; d < session_.driveCount(); ++d)
        compared.columns.push_back(d == 0 ? std::optional(source.column) : session_.seriesColumn(i, d));
      series.push_back(std::move(compared));
    }
    markers_->setText(compareReadoutText(
        session_.comparison(), series, [this](int d) { return session_.kept(d); }, marker1, marker2));
  } else {
    const auto position = [](const std::optional<double>& x) {
      return x ? std::optional(int(*x)) : std::nullopt;
    };
    const auto sources = session_.seriesSources();
    const MarkerReadout readout =
        readMarkers(session_.model(), sources, position(marker1), position(marker2), session_.kept(0));
    markers_->setText(
        markerReadoutText(session_.model(), readout, titles(), position(marker1), position(marker2)));
  }
  markers_->show();
}

}  // namespace kq
