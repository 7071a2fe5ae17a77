#pragma once
// The trains of a design search as a table: the signed difference R - T (absolute, in
// ppm of the target, or in seconds a day for a clock train), the reduction, its fraction,
// the variants and the teeth N1..Nk. Sorting compares the exact values (the difference
// by |R - T| in fractions, the reduction as a fraction), never the text shown, and keeps
// equal rows in the order they came. Rows of a search whose inputs have since changed
// are shown greyed.

#include <QAbstractTableModel>
#include <optional>
#include <vector>

#include "DesignSearch.h"

namespace quenmar::design {

class TrainTableModel : public QAbstractTableModel {
  Q_OBJECT
 public:
  enum Column { Difference, Reduction, FractionText, Variants, FirstGear };
  // How the Difference column shows R - T.
  enum class Unit { Absolute, Ppm, SecondsPerDay };

  explicit TrainTableModel(QObject* parent = nullptr);

  // The planetary query of the trains to come (their columns: members, arrangement,
  // spacing, phase), or none for compound trains; Reset shows it.
  void SetPlanetary(std::optional<PlanetaryQuery> query) { m_planetary = std::move(query); }
  // Starts afresh for a search of `gearCount` gears towards `target`.
  void Reset(int gearCount, const Rational& target);
  // Trains found while the search runs; they take their place in the current sort.
  void Append(std::vector<DesignTrain> batch);
  // The search's list as it now stands (in its own order), shown in the current sort. The
  // selected and current rows follow their trains where those are still listed.
  void Replace(std::vector<DesignTrain> trains);

  const DesignTrain& Train(int row) const { return m_rows[row].train; }
  // The trains in the order the search gave them, whatever the sort shown.
  std::vector<DesignTrain> TrainsInSearchOrder() const;
  int GearCount() const { return m_gearCount; }
  // The header and the given rows as shown, one line each, cells separated by tabs.
  QString TabSeparated(const std::vector<int>& rows) const;

  void SetUnit(Unit unit);
  Unit DifferenceUnit() const { return m_unit; }
  void SetStale(bool stale);
  bool Stale() const { return m_stale; }

  int rowCount(const QModelIndex& parent = {}) const override;
  int columnCount(const QModelIndex& parent = {}) const override;
  QVariant data(const QModelIndex& index, int role) const override;
  QVariant headerData(int section, Qt::Orientation orientation, int role = Qt::DisplayRole) const override;
  void sort(int column, Qt::SortOrder order) override;

 private:
  struct Row {
    DesignTrain train;
    qint64 arrival = 0;  // the order the search gave, so that sorting is stable across batches
  };
  bool Less(const Row& a, const Row& b) const;
  QString Text(const DesignTrain& train, int column) const;
  QString HeaderText(int section) const;
  // Puts `rows` in place of the present ones (as many), moving the persistent indexes to
  // the rows whose arrival `moved` maps them to (-1: gone).
  void Arrange(std::vector<Row> rows, const std::vector<qint64>& arrivalAfter);
  void SortRows(std::vector<Row>& rows) const;

  std::vector<Row> m_rows;
  int m_gearCount = 6;
  Rational m_target;
  double m_targetValue = 0.0;
  int m_sortColumn = -1;
  Qt::SortOrder m_sortOrder = Qt::AscendingOrder;
  qint64 m_arrivals = 0;
  Unit m_unit = Unit::Absolute;
  bool m_stale = false;
  std::optional<PlanetaryQuery> m_planetary;
};

}  // namespace quenmar::design
