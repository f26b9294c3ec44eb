#pragma once

#include <QObject>

#include "analysis/chart_session.h"

class QMenu;
class QWidget;

namespace kq {

// The chart menu's derived channels: "Новый канал…", and "Изменить канал"
// and "Удалить канал" with an item per channel; the first two open the
// channel dialog, whose OK asks the session.
// Object names: newChannel, changeChannelMenu, removeChannelMenu.
class ChannelMenu : public QObject {
  Q_OBJECT
 public:
  // Adds the items to `menu`; dialogs and errors appear over `parent`.
  ChannelMenu(ChartSession& session, QMenu& menu, QWidget& parent);

  // The channel dialog for channel `index`, or for a new channel at -1.
  void openDialog(int index);

 private:
  ChartSession& session_;
  QWidget& parent_;
  QMenu* change_;
  QMenu* remove_;
};

}  // namespace kq
