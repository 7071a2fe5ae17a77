#pragma once
// The trains of a design search as a table: difference, ppm, reduction, fraction,
// variants and the teeth N1..Nk. Sorting compares the exact values (the difference as
// |R - T| in fractions, the reduction as a fraction), never the text shown, and keeps
// equal rows in the order they came.

#include <QAbstractTableModel>
#include <vector>

#include "DesignSearch.h"

namespace quenmar::design {

class TrainTableModel : public QAbstractTableModel {
  Q_OBJECT
 public:
  enum Column { Difference, Ppm, Reduction, FractionText, Variants, FirstGear };

  explicit TrainTableModel(QObject* parent = nullptr);

  // Starts afresh for a search of `gearCount` gears towards `target`.
  void Reset(int gearCount, const Rational& target);
  // Trains found while the search runs; they take their place in the current sort.
  void Append(std::vector<DesignTrain> batch);
  // The search's final list (in its own order), shown in the current sort.
  void Replace(std::vector<DesignTrain> trains);

  const DesignTrain& Train(int row) const { return m_rows[row].train; }
  // The trains in the order the search gave them, whatever the sort shown.
  std::vector<DesignTrain> TrainsInSearchOrder() const;
  int GearCount() const { return m_gearCount; }
  // The given rows as shown, one line each, cells separated by tabs.
  QString TabSeparated(const std::vector<int>& rows) const;

  int rowCount(const QModelIndex& parent = {}) const override;
  int columnCount(const QModelIndex& parent = {}) const override;
  QVariant data(const QModelIndex& index, int role) const override;
  QVariant headerData(int section, Qt::Orientation orientation, int role) const override;
  void sort(int column, Qt::SortOrder order) override;

 private:
  struct Row {
    DesignTrain train;
    qint64 arrival = 0;  // the order the search gave, so that sorting is stable across batches
  };
  bool Less(const Row& a, const Row& b) const;
  QString Text(const DesignTrain& train, int column) const;
  void Arrange(std::vector<Row> rows);

  std::vector<Row> m_rows;
  int m_gearCount = 6;
  Rational m_target;
  int m_sortColumn = -1;
  Qt::SortOrder m_sortOrder = Qt::AscendingOrder;
  qint64 m_arrivals = 0;
};

}  // namespace quenmar::design
