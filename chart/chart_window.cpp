#include "chart/chart_window.h"

#include <qcustomplot.h>

#include <QMenu>
#include <QScreen>
#include <QSplitter>
#include <QTabWidget>
#include <QVBoxLayout>
#include <algorithm>

#include "chart/cell_table_view.h"
#include "chart/channel_menu.h"
#include "chart/drives_bar.h"
#include "chart/filter_bar.h"
#include "chart/image_actions.h"
#include "chart/readout_panel.h"
#include "chart/scatter_view.h"
#include "chart/series_panel.h"
#include "chart/series_plot.h"
#include "chart/session_grid.h"
#include "chart/session_plot.h"
#include "chart/workspace_actions.h"

namespace kq {
namespace {
constexpr QSize kClientSize(1601, 858);
constexpr QPoint kPosition(244, 152);
// Room for the window frame and title bar, which the client size leaves out.
constexpr QSize kFrameAllowance(8, 34);
constexpr int kGridHeight = 177;
constexpr int kChartHeight = 681;
constexpr int kFilterRowHeight = 28;
}  // namespace

ChartWindow::ChartWindow(QWidget* parent)
    : QWidget(parent, Qt::Window), session_(std::make_unique<ChartSession>()) {
  setObjectName(QStringLiteral("chartWindow"));
  setWindowTitle(tr("График"));

  auto* tabs = new QTabWidget;
  tabs->setObjectName(QStringLiteral("chartTabs"));
  tabs->setDocumentMode(true);
  tabs->addTab(buildChartTab(), tr("График"));
  tabs->addTab(new ScatterView(*session_), tr("Зависимость"));
  tabs->addTab(new CellTableView(*session_), tr("Таблица"));

  auto* grid = new SessionGrid(*session_);
  connect(grid, &SessionGrid::recordChosen, sessionPlot_, &SessionPlot::showCursor);
  auto* below = new QWidget;
  auto* belowLayout = new QVBoxLayout(below);
  belowLayout->setContentsMargins(0, 0, 0, 0);
  belowLayout->setSpacing(2);
  belowLayout->addWidget(new FilterBar(*session_));
  belowLayout->addWidget(grid, 1);

  auto* top = new QWidget;
  auto* topLayout = new QHBoxLayout(top);
  topLayout->setContentsMargins(0, 0, 0, 0);
  topLayout->addWidget(new SeriesPanel(*session_));
  topLayout->addWidget(tabs, 1);

  auto* splitter = new QSplitter(Qt::Vertical);
  splitter->addWidget(top);
  splitter->addWidget(below);
  splitter->setStretchFactor(0, 1);
  splitter->setStretchFactor(1, 0);
  splitter->setChildrenCollapsible(false);
  splitter->setSizes({kChartHeight - kFilterRowHeight, kGridHeight + kFilterRowHeight});

  auto* layout = new QVBoxLayout(this);
  layout->setContentsMargins(4, 4, 4, 4);
  layout->addWidget(splitter);
  buildMenu();
  placeOnScreen();
}

// The panels hold the session: they go first.
ChartWindow::~ChartWindow() { qDeleteAll(findChildren<QWidget*>(Qt::FindDirectChildrenOnly)); }

QWidget* ChartWindow::buildChartTab() {
  plot_ = new SeriesPlot;
  plot_->setObjectName(QStringLiteral("plot"));
  plot_->setMinimumHeight(200);
  sessionPlot_ = new SessionPlot(*session_, *plot_);
  auto* readout = new ReadoutPanel(*session_);
  connect(sessionPlot_, &SessionPlot::hovered, readout, &ReadoutPanel::showPosition);

  auto* tab = new QWidget;
  auto* column = new QVBoxLayout(tab);
  column->setContentsMargins(0, 0, 0, 0);
  column->addWidget(plot_, 1);
  column->addWidget(drives_ = new DrivesBar(*session_));
  column->addWidget(readout);
  return tab;
}

void ChartWindow::buildMenu() {
  menu_ = new QMenu(this);
  menu_->setObjectName(QStringLiteral("plotMenu"));
  for (int m = 0; m < 2; ++m)
    connect(menu_->addAction(tr("Точка %1").arg(m + 1)), &QAction::triggered, this,
            [this, m] { session_->setMarker(m, menuPosition_); });
  menu_->addSeparator();
  new ChannelMenu(*session_, *menu_, *this);
  menu_->addSeparator();
  drives_->addActions(*menu_);
  addWorkspaceActions(*menu_, *session_, *this);
  menu_->addSeparator();
  addImageActions(*menu_, *plot_, *this);
  plot_->setContextMenuPolicy(Qt::CustomContextMenu);
  connect(plot_, &QWidget::customContextMenuRequested, this, [this](const QPoint& pos) {
    menuPosition_ = plot_->xAxis->pixelToCoord(pos.x());
    menu_->popup(plot_->mapToGlobal(pos));
  });
}

void ChartWindow::placeOnScreen() {
  const QRect available = screen()->availableGeometry();
  const QSize client = kClientSize.boundedTo(available.size() - kFrameAllowance);
  resize(client);
  const int x =
      std::clamp(kPosition.x(), 0, std::max(0, available.width() - client.width() - kFrameAllowance.width()));
  const int y = std::clamp(kPosition.y(), 0,
                           std::max(0, available.height() - client.height() - kFrameAllowance.height()));
  move(available.topLeft() + QPoint(x, y));
}

void ChartWindow::prepare(const Dump& dump, char decimalSeparator, const std::string& path) {
  if (dump.empty()) return;
  session_->prepare(dump, decimalSeparator, path);
  show();
  raise();
  activateWindow();
}

}  // namespace kq
