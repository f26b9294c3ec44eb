#pragma once

#include <QPointer>
#include <QString>
#include <QWidget>
#include <exception>
#include <functional>
#include <memory>
#include <optional>
#include <vector>

#include "dump/dump.h"
#include "library/car_history.h"
#include "library/library_store.h"

class QLabel;
class QLineEdit;
class QPushButton;
class QSpinBox;
class QTabWidget;
class QTreeWidget;

namespace kq {

class BackgroundWork;
class ChartWindow;
class EventsView;
class Prompts;
class ReportDialog;
class TrendView;
class TripsView;

// The library window "Библиотека": the cars of a library of downloads (added,
// renamed, removed after a question, each with a note) and the imports of
// the car chosen with their counts; of its history the trips and the events
// an expression finds (tabs), and beneath them a trend per trip. The history
// is read and built once for the car and the trip gap, on a thread of its own
// so that the window keeps answering, and every view draws from it; the trips
// show first, from the records' moments alone. Trips and events open in the
// chart window. A read-only library shows everything and changes nothing; a
// library that cannot be opened is said, and another can be chosen. Every
// failure is said and leaves the library as it was. Closing it only hides it.
//
// Object names: libraryWindow, libraryLocation, openLibraryButton,
// openServerButton, refreshButton (F5: what other computers changed), cars,
// addCarButton, renameCarButton, removeCarButton, carNote, carSummary,
// imports, removeImportButton, tripGap, reportButton ("Отчёт…", once the
// history is built), historyNote, historyTabs,
// libraryStatus, and the views' own (TripsView, EventsView, TrendView).
class LibraryWindow : public QWidget {
  Q_OBJECT
 public:
  // Without prompts the window asks through the toolkit's own dialogs. Created hidden.
  explicit LibraryWindow(ChartWindow& chart, Prompts* prompts = nullptr, QWidget* parent = nullptr);
  ~LibraryWindow() override;

  // The library used from now on, a file or postgresql://USER@HOST[:PORT]/DATABASE;
  // opened when first needed.
  void setLocation(const QString& location);
  const QString& location() const { return location_; }
  // Shows the window and opens the library unless it is open.
  void showWindow();

  // Adds a dump to a car chosen through `prompts`: the cars of the dump's
  // controller type, the one imported to last offered first, or a new name,
  // which makes a car. Nothing when cancelled or failed; failures are shown
  // through `prompts` and leave the library as it was.
  std::optional<ImportOutcome> addDump(const Dump& dump, const ImportSource& source, Prompts& prompts);

  const LibraryStore* store() const { return store_.get(); }
  // The car shown, and its history once built (nothing while it loads).
  std::optional<RowId> car() const;
  const CarHistory* history() const { return history_.get(); }
  bool loading() const;
  // The report dialog of the car shown, while it is open.
  ReportDialog* reportDialog() const;

 protected:
  void showEvent(QShowEvent* event) override;

 private:
  void placeWidgets();
  void placeOnScreen();
  // Opens location_ unless a library is open; false, having said why, when it cannot be.
  bool open(Prompts& prompts);
  // Says what went wrong; true when the library was busy and the user wants
  // to try again.
  bool tellFailure(Prompts& prompts, std::exception_ptr failure);
  // Runs an action on the library: a busy library is offered again, every
  // other failure said. True when it ran through.
  bool attempt(Prompts& prompts, const std::function<void()>& action);
  void showLocation();
  // The cars again, the one given chosen (else the one chosen before, else the first).
  void showCars(std::optional<RowId> choose = std::nullopt);
  void showCar();
  const CarSummary* carShown() const;
  // What a history is built for.
  struct HistoryKey {
    RowId car = 0;
    Moment gap = 0;
    bool operator==(const HistoryKey&) const = default;
  };
  // Builds the history of the car shown for the trip gap, unless it is built or being built.
  void loadHistory();
  // Drops the history and any being built, after a change of the car's records.
  void forgetHistory();
  void useHistory(std::shared_ptr<const CarHistory> history, std::optional<HistoryKey> key);
  void historyFailed(std::exception_ptr failure);
  // Trips by number in the chart, the first as drive A; with an event, the
  // markers at its first and last record and the parameters its expression
  // names on the first series.
  void openInChart(const std::vector<int>& trips, const HistoryEvent* event = nullptr);

  void onOpenLibrary();
  void onOpenServer();
  void openChosen(const QString& location);
  void onRefresh();
  void onAddCar();
  void onRenameCar();
  void onRemoveCar();
  void onNoteEdited();
  void onRemoveImport();
  void onReport();

  ChartWindow& chart_;
  std::unique_ptr<Prompts> ownPrompts_;
  Prompts& prompts_;
  QString location_;
  std::unique_ptr<LibraryStore> store_;
  std::vector<CarSummary> cars_;
  std::vector<ImportInfo> imports_;
  std::optional<RowId> noteCar_;  // whose note the field holds
  std::shared_ptr<const CarHistory> history_;
  std::optional<HistoryKey> built_;    // history_'s
  std::optional<HistoryKey> loading_;  // the one under way

  QLabel* locationLabel_;
  QPushButton* openLibrary_;
  QPushButton* openServer_;
  QPushButton* refresh_;
  QTreeWidget* carList_;
  QPushButton* addCar_;
  QPushButton* renameCar_;
  QPushButton* removeCar_;
  QLineEdit* note_;
  QLabel* summary_;
  QTreeWidget* importList_;
  QPushButton* removeImport_;
  QSpinBox* tripGap_;
  QPushButton* report_;
  QPointer<ReportDialog> reportDialog_;
  QTabWidget* tabs_;
  TripsView* trips_;
  EventsView* events_;
  TrendView* trend_;
  QLabel* historyNote_;
  QLabel* status_;
  BackgroundWork* loader_;
};

}  // namespace kq
