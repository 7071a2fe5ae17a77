#pragma once
// The chart in the results view: a group row per target (its name, the target, whether
// the gears reach it within its tolerance, in words), under it a row per train (rank,
// reached, the pitch cut and its error for a thread, the difference, the reduction, the
// teeth). Unreached targets say so in text and are drawn in red as well.

#include <QStandardItemModel>
#include <optional>

#include "ThreadChart.h"

namespace quenmar::design {

class ChartModel : public QStandardItemModel {
  Q_OBJECT
 public:
  enum Column { Target, Reached, PitchCut, PitchError, Difference, Reduction, Teeth, ColumnCount };
  static constexpr int TeethRole = Qt::UserRole + 1;  // a train row's teeth (QVariantList)

  explicit ChartModel(QObject* parent = nullptr);
  void Show(const Chart& chart);
  void Clear();
  // The teeth of the train at `index` (any column); empty for a group row.
  std::vector<int> TeethAt(const QModelIndex& index) const;
};

// The words the chart uses for a target, a train's teeth and a reached mark (also printed).
QString TargetLabel(const ChartTarget& target);
QString TeethText(const std::vector<int>& teeth);
QString PitchText(const ChartTarget& target, const PitchCut& cut);

}  // namespace quenmar::design
