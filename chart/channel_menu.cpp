#include "chart/channel_menu.h"

#include <QMenu>

#include "chart/channel_dialog.h"
#include "ui/error_box.h"
#include "ui/qt_text.h"

namespace kq {

ChannelMenu::ChannelMenu(ChartSession& session, QMenu& menu, QWidget& parent)
    : QObject(&menu), session_(session), parent_(parent) {
  auto* add = menu.addAction(tr("Новый канал…"));
  add->setObjectName(QStringLiteral("newChannel"));
  connect(add, &QAction::triggered, this, [this] { openDialog(-1); });
  change_ = menu.addMenu(tr("Изменить канал"));
  change_->setObjectName(QStringLiteral("changeChannelMenu"));
  remove_ = menu.addMenu(tr("Удалить канал"));
  remove_->setObjectName(QStringLiteral("removeChannelMenu"));
  connect(&menu, &QMenu::aboutToShow, this, [this] {
    change_->clear();
    remove_->clear();
    const auto& channels = session_.channels();
    for (int i = 0; i < int(channels.size()); ++i) {
      const QString name = toQString(channels[i].name);
      connect(change_->addAction(name + QStringLiteral("…")), &QAction::triggered, this,
              [this, i] { openDialog(i); });
      connect(remove_->addAction(name), &QAction::triggered, this, [this, i] {
        if (const std::string problem = session_.removeChannel(i); !problem.empty())
          showErrorBox(&parent_, toQString(problem));
      });
    }
    change_->setEnabled(!channels.empty());
    remove_->setEnabled(!channels.empty());
  });
}

void ChannelMenu::openDialog(int index) {
  QStringList titles;
  for (const std::string& title : session_.model().titles()) titles << toQString(title);
  const bool isNew = index < 0;
  ChannelDialog dialog(&parent_, isNew ? tr("Новый канал") : tr("Изменить канал"), titles,
                       [this, index, isNew](const QString& name, const QString& formula) {
                         const std::string problem =
                             isNew ? session_.addChannel(name.toStdString(), formula.toStdString())
                                   : session_.changeChannel(index, name.toStdString(), formula.toStdString());
                         return toQString(problem);
                       });
  if (!isNew) {
    const ChannelDefinition& channel = session_.channels()[std::size_t(index)];
    dialog.setChannel(toQString(channel.name), toQString(channel.formula));
  }
  dialog.exec();
}

}  // namespace kq
