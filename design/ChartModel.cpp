#include "ChartModel.h"

#include <QFont>

namespace quenmar::design {

QString TargetLabel(const ChartTarget& target) {
  const QString text = QString::fromStdString(target.target.text);
  return target.name.empty() ? text : QStringLiteral("%1 (%2)").arg(QString::fromStdString(target.name), text);
}

QString TeethText(const std::vector<int>& teeth) {
  QStringList counts;
  for (int t : teeth) counts << QString::number(t);
  return counts.join(QLatin1Char(' '));
}

QString PitchText(const ChartTarget& target, const PitchCut& cut) {
  if (target.target.unit == PitchUnit::Ratio) return {};
  const QString value = QString::number(cut.value, 'f', 5);
  const PitchUnit unit = target.target.unit;
  if (unit == PitchUnit::Module) return QStringLiteral("module%1").arg(value);
  if (unit == PitchUnit::Dp) return QStringLiteral("dp%1").arg(value);
  return value + QString::fromLatin1(UnitName(unit));
}

ChartModel::ChartModel(QObject* parent) : QStandardItemModel(parent) { Clear(); }

void ChartModel::Clear() {
  clear();
  setHorizontalHeaderLabels({tr("Target / rank"), tr("Reached"), tr("Pitch cut"), tr("Error %"), tr("Difference"),
                             tr("Reduction"), tr("Teeth N1\u2026Nk")});
}

void ChartModel::Show(const Chart& chart) {
  Clear();
  const QColor missed(0xb0, 0x00, 0x20);
  for (std::size_t t = 0; t < chart.targets.size(); ++t) {
    const ChartTarget& target = chart.targets[t];
    const bool reached = chart.Reached(t);
    QList<QStandardItem*> group;
    for (int c = 0; c < ColumnCount; ++c) group << new QStandardItem;
    group[Target]->setText(TargetLabel(target));
    group[Reached]->setText(reached ? tr("reached") : tr("NOT REACHED"));
    group[Difference]->setText(target.tolerance ? tr("within %1").arg(QString::fromStdString(target.tolerance->text))
                                                : tr("exactly"));
    const Rational& r = target.target.reduction;
    group[Reduction]->setText(target.target.exact && r.Numerator().size() + r.Denominator().size() < 16
                                  ? QString::fromStdString(r.Numerator() + "/" + r.Denominator())
                                  : QString::number(r.ToDouble(), 'g', 10));
    QFont bold;
    bold.setBold(true);
    for (QStandardItem* item : group) {
      item->setEditable(false);
      item->setFont(bold);
      if (!reached) item->setForeground(missed);
    }
    for (const ChartRow& row : chart.rows) {
      if (row.target != t) continue;
      QList<QStandardItem*> cells;
      for (int c = 0; c < ColumnCount; ++c) cells << new QStandardItem;
      if (!row.train) {
        cells[Target]->setText(tr("no train"));
      } else {
        const DesignTrain& train = *row.train;
        cells[Target]->setText(QString::number(row.rank));
        cells[Reached]->setText(row.reached ? tr("yes") : tr("no, closest"));
        cells[PitchCut]->setText(PitchText(target, row.cut));
        if (target.target.unit != PitchUnit::Ratio)
          cells[PitchError]->setText(QString::asprintf("%+.4f", row.cut.errorPercent));
        cells[Difference]->setText(train.side == 0 ? QStringLiteral("0")
                                                   : QString::asprintf("%+.3g", train.side * train.dDifference));
        cells[Reduction]->setText(QStringLiteral("%1/%2").arg(train.reduction.num).arg(train.reduction.den));
        cells[Teeth]->setText(TeethText(train.teeth));
        QVariantList teeth;
        for (int n : train.teeth) teeth << n;
        cells[Target]->setData(teeth, TeethRole);
      }
      for (QStandardItem* item : cells) {
        item->setEditable(false);
        if (!row.reached) item->setForeground(missed);
      }
      group[Target]->appendRow(cells);
    }
    appendRow(group);
  }
}

std::vector<int> ChartModel::TeethAt(const QModelIndex& index) const {
  if (!index.isValid() || !index.parent().isValid()) return {};
  std::vector<int> teeth;
  for (const QVariant& n : index.siblingAtColumn(Target).data(TeethRole).toList()) teeth.push_back(n.toInt());
  return teeth;
}

}  // namespace quenmar::design
