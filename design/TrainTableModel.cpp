#include "TrainTableModel.h"

#include <algorithm>

namespace quenmar::design {

namespace {

int Sign(std::int64_t a, std::int64_t b) { return (a > b) - (a < b); }

}  // namespace

TrainTableModel::TrainTableModel(QObject* parent) : QAbstractTableModel(parent) {}

void TrainTableModel::Reset(int gearCount, const Rational& target) {
  beginResetModel();
  m_rows.clear();
  m_gearCount = gearCount;
  m_target = target;
  m_arrivals = 0;
  endResetModel();
}

bool TrainTableModel::Less(const Row& a, const Row& b) const {
  int order = 0;
  switch (m_sortColumn) {
    case Difference:
    case Ppm:  // the same target for every row: ppm orders as the difference does
      order = CompareDifference(a.train, b.train, m_target);
      break;
    case Reduction:
    case FractionText:
      order = Compare(a.train.reduction, b.train.reduction);
      break;
    case Variants:
      order = Sign(a.train.variants, b.train.variants);
      break;
    default: {
      const std::size_t gear = static_cast<std::size_t>(m_sortColumn - FirstGear);
      order = gear < a.train.teeth.size() ? Sign(a.train.teeth[gear], b.train.teeth[gear]) : 0;
    }
  }
  if (m_sortOrder == Qt::DescendingOrder) order = -order;
  if (order != 0) return order < 0;
  return a.arrival < b.arrival;
}

void TrainTableModel::Arrange(std::vector<Row> rows) {
  // Selections and the current row follow their trains through the new order.
  emit layoutAboutToBeChanged();
  const QModelIndexList persistent = persistentIndexList();
  std::vector<qint64> arrivalOf;
  arrivalOf.reserve(persistent.size());
  for (const QModelIndex& index : persistent) arrivalOf.push_back(m_rows[index.row()].arrival);

  m_rows = std::move(rows);
  if (!persistent.isEmpty()) {
    std::vector<int> rowOfArrival(static_cast<std::size_t>(m_arrivals), -1);
    for (std::size_t r = 0; r < m_rows.size(); ++r)
      if (m_rows[r].arrival < m_arrivals) rowOfArrival[m_rows[r].arrival] = static_cast<int>(r);
    QModelIndexList moved;
    for (int i = 0; i < persistent.size(); ++i) {
      const int row = rowOfArrival[arrivalOf[i]];
      moved.append(row < 0 ? QModelIndex() : index(row, persistent[i].column()));
    }
    changePersistentIndexList(persistent, moved);
  }
  emit layoutChanged();
}

void TrainTableModel::Append(std::vector<DesignTrain> batch) {
  if (batch.empty()) return;
  std::vector<Row> added;
  added.reserve(batch.size());
  for (DesignTrain& train : batch) added.push_back({std::move(train), m_arrivals++});

  if (m_sortColumn < 0) {
    const int first = static_cast<int>(m_rows.size());
    beginInsertRows({}, first, first + static_cast<int>(added.size()) - 1);
    std::move(added.begin(), added.end(), std::back_inserter(m_rows));
    endInsertRows();
    return;
  }
  auto less = [this](const Row& a, const Row& b) { return Less(a, b); };
  std::stable_sort(added.begin(), added.end(), less);
  std::vector<Row> merged;
  merged.reserve(m_rows.size() + added.size());
  std::merge(std::make_move_iterator(m_rows.begin()), std::make_move_iterator(m_rows.end()),
             std::make_move_iterator(added.begin()), std::make_move_iterator(added.end()),
             std::back_inserter(merged), less);
  // Inserting first makes room; arranging then places every row (and the selection).
  beginInsertRows({}, static_cast<int>(m_rows.size()),
                  static_cast<int>(m_rows.size() + added.size()) - 1);
  m_rows.resize(m_rows.size() + added.size());
  endInsertRows();
  Arrange(std::move(merged));
}

void TrainTableModel::Replace(std::vector<DesignTrain> trains) {
  beginResetModel();
  m_rows.clear();
  m_rows.reserve(trains.size());
  m_arrivals = 0;
  for (DesignTrain& train : trains) m_rows.push_back({std::move(train), m_arrivals++});
  if (m_sortColumn >= 0)
    std::stable_sort(m_rows.begin(), m_rows.end(),
                     [this](const Row& a, const Row& b) { return Less(a, b); });
  endResetModel();
}

void TrainTableModel::sort(int column, Qt::SortOrder order) {
  if (column < 0 || column >= columnCount()) return;
  m_sortColumn = column;
  m_sortOrder = order;
  std::vector<Row> rows = m_rows;
  std::stable_sort(rows.begin(), rows.end(),
                   [this](const Row& a, const Row& b) { return Less(a, b); });
  Arrange(std::move(rows));
}

int TrainTableModel::rowCount(const QModelIndex& parent) const {
  return parent.isValid() ? 0 : static_cast<int>(m_rows.size());
}

int TrainTableModel::columnCount(const QModelIndex& parent) const {
  return parent.isValid() ? 0 : FirstGear + m_gearCount;
}

QString TrainTableModel::Text(const DesignTrain& train, int column) const {
  switch (column) {
    case Difference: return QString::number(train.dDifference, 'g', 10);
    case Ppm: return QString::number(train.relativePpm, 'g', 6);
    case Reduction: return QString::number(train.dReduction, 'f', 9);
    case FractionText:
      return QStringLiteral("%1/%2").arg(train.reduction.num).arg(train.reduction.den);
    case Variants: return QString::number(train.variants);
    default: {
      const std::size_t gear = static_cast<std::size_t>(column - FirstGear);
      return gear < train.teeth.size() ? QString::number(train.teeth[gear]) : QString();
    }
  }
}

QVariant TrainTableModel::data(const QModelIndex& index, int role) const {
  if (!index.isValid() || index.row() >= rowCount()) return {};
  if (role == Qt::DisplayRole) return Text(m_rows[index.row()].train, index.column());
  if (role == Qt::TextAlignmentRole)
    return QVariant::fromValue(Qt::AlignRight | Qt::AlignVCenter);
  return {};
}

QVariant TrainTableModel::headerData(int section, Qt::Orientation orientation, int role) const {
  if (role != Qt::DisplayRole) return {};
  if (orientation == Qt::Vertical) return section + 1;
  switch (section) {
    case Difference: return tr("Difference");
    case Ppm: return tr("ppm");
    case Reduction: return tr("Reduction");
    case FractionText: return tr("Fraction");
    case Variants: return tr("Variants");
    default: return QStringLiteral("N%1").arg(section - FirstGear + 1);
  }
}

std::vector<DesignTrain> TrainTableModel::TrainsInSearchOrder() const {
  std::vector<const Row*> rows;
  rows.reserve(m_rows.size());
  for (const Row& row : m_rows) rows.push_back(&row);
  std::sort(rows.begin(), rows.end(), [](const Row* a, const Row* b) { return a->arrival < b->arrival; });
  std::vector<DesignTrain> trains;
  trains.reserve(rows.size());
  for (const Row* row : rows) trains.push_back(row->train);
  return trains;
}

QString TrainTableModel::TabSeparated(const std::vector<int>& rows) const {
  QStringList lines;
  for (int row : rows) {
    QStringList cells;
    for (int c = 0; c < columnCount(); ++c) cells << Text(m_rows[row].train, c);
    lines << cells.join(QLatin1Char('\t'));
  }
  return lines.isEmpty() ? QString() : lines.join(QLatin1Char('\n')) + QLatin1Char('\n');
}

}  // namespace quenmar::design
