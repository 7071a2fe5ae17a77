#include "TrainTableModel.h"

#include <QColor>
#include <algorithm>
#include <map>

#include "PlanetaryFormat.h"

namespace quenmar::design {

namespace {

int Sign(std::int64_t a, std::int64_t b) { return (a > b) - (a < b); }

QString Signed(double value, int digits) {
  const QString text = QString::number(value, 'g', digits);
  return value > 0 ? QLatin1Char('+') + text : text;
}

}  // namespace

TrainTableModel::TrainTableModel(QObject* parent) : QAbstractTableModel(parent) {}

void TrainTableModel::Reset(int gearCount, const Rational& target) {
  beginResetModel();
  m_rows.clear();
  m_gearCount = gearCount;
  m_target = target;
  m_targetValue = target.ToDouble();
  m_arrivals = 0;
  m_stale = false;
  endResetModel();
}

bool TrainTableModel::Less(const Row& a, const Row& b) const {
  int order = 0;
  switch (m_sortColumn) {
    case -1:
      break;
    case Difference:  // by size, whatever the sign and the unit shown
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
      if (m_planetary) {
        // Teeth and planets by number (an empty cell first), the names and spacing as text.
        const std::string x = PlanetaryFields(*m_planetary, a.train)[m_sortColumn - FirstGear + 1];
        const std::string y = PlanetaryFields(*m_planetary, b.train)[m_sortColumn - FirstGear + 1];
        const bool numbers = x.find_first_not_of("0123456789") == std::string::npos &&
                             y.find_first_not_of("0123456789") == std::string::npos;
        order = numbers ? Sign(static_cast<std::int64_t>(x.size()), static_cast<std::int64_t>(y.size())) : 0;
        if (order == 0) order = Sign(x.compare(y), 0);
        break;
      }
      const std::size_t gear = static_cast<std::size_t>(m_sortColumn - FirstGear);
      order = gear < a.train.teeth.size() ? Sign(a.train.teeth[gear], b.train.teeth[gear]) : 0;
    }
  }
  if (m_sortOrder == Qt::DescendingOrder) order = -order;
  if (order != 0) return order < 0;
  return a.arrival < b.arrival;
}

void TrainTableModel::SortRows(std::vector<Row>& rows) const {
  std::stable_sort(rows.begin(), rows.end(), [this](const Row& a, const Row& b) { return Less(a, b); });
}

void TrainTableModel::Arrange(std::vector<Row> rows, const std::vector<qint64>& arrivalAfter) {
  // Selections and the current row follow their trains through the new order.
  emit layoutAboutToBeChanged();
  const QModelIndexList persistent = persistentIndexList();
  if (!persistent.isEmpty()) {
    std::map<qint64, int> rowOfArrival;
    for (const QModelIndex& index : persistent)
      if (const qint64 a = arrivalAfter[static_cast<std::size_t>(index.row())]; a >= 0) rowOfArrival[a] = -1;
    for (std::size_t r = 0; r < rows.size(); ++r)
      if (auto it = rowOfArrival.find(rows[r].arrival); it != rowOfArrival.end() && it->second < 0)
        it->second = static_cast<int>(r);
    QModelIndexList moved;
    for (const QModelIndex& index : persistent) {
      const qint64 a = arrivalAfter[static_cast<std::size_t>(index.row())];
      const int row = a < 0 ? -1 : rowOfArrival[a];
      moved.append(row < 0 ? QModelIndex() : this->index(row, index.column()));
    }
    changePersistentIndexList(persistent, moved);
  }
  m_rows = std::move(rows);
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
  SortRows(added);
  std::vector<Row> merged;
  merged.reserve(m_rows.size() + added.size());
  std::merge(std::make_move_iterator(m_rows.begin()), std::make_move_iterator(m_rows.end()),
             std::make_move_iterator(added.begin()), std::make_move_iterator(added.end()),
             std::back_inserter(merged), [this](const Row& a, const Row& b) { return Less(a, b); });
  std::vector<qint64> arrivalAfter;  // the rows before the merge keep their arrival
  arrivalAfter.reserve(merged.size());
  for (const Row& row : m_rows) arrivalAfter.push_back(row.arrival);
  arrivalAfter.resize(merged.size(), -1);
  // Inserting first makes room; arranging then places every row (and the selection).
  beginInsertRows({}, static_cast<int>(m_rows.size()), static_cast<int>(merged.size()) - 1);
  m_rows.resize(merged.size());
  endInsertRows();
  Arrange(std::move(merged), arrivalAfter);
}

void TrainTableModel::Replace(std::vector<DesignTrain> trains) {
  std::vector<Row> rows;
  rows.reserve(trains.size());
  // A train keeps its arrival where it was shown before, so the selection follows it; the
  // others come after, in the order given.
  std::map<std::vector<int>, qint64> shown;
  const QModelIndexList persistent = persistentIndexList();
  for (const QModelIndex& index : persistent) shown.emplace(m_rows[index.row()].train.teeth, -1);
  m_arrivals = 0;
  for (DesignTrain& train : trains) {
    const qint64 arrival = m_arrivals++;
    if (auto it = shown.find(train.teeth); it != shown.end()) it->second = arrival;
    rows.push_back({std::move(train), arrival});
  }
  SortRows(rows);
  if (persistent.isEmpty()) {
    beginResetModel();
    m_rows = std::move(rows);
    endResetModel();
    return;
  }
  const std::size_t before = m_rows.size(), after = rows.size();
  std::vector<qint64> arrivalAfter(std::max(before, after), -1);
  for (std::size_t r = 0; r < before; ++r)
    if (auto it = shown.find(m_rows[r].train.teeth); it != shown.end()) arrivalAfter[r] = it->second;
  if (after > before) {
    beginInsertRows({}, static_cast<int>(before), static_cast<int>(after) - 1);
    m_rows.resize(after);
    endInsertRows();
  }
  rows.resize(std::max(before, after));  // rows about to go stand empty at the end
  Arrange(std::move(rows), arrivalAfter);
  if (after < before) {
    beginRemoveRows({}, static_cast<int>(after), static_cast<int>(before) - 1);
    m_rows.resize(after);
    endRemoveRows();
  }
}

void TrainTableModel::sort(int column, Qt::SortOrder order) {
  if (column < 0 || column >= columnCount()) return;
  m_sortColumn = column;
  m_sortOrder = order;
  std::vector<Row> rows = m_rows;
  SortRows(rows);
  std::vector<qint64> arrivalAfter;
  arrivalAfter.reserve(m_rows.size());
  for (const Row& row : m_rows) arrivalAfter.push_back(row.arrival);
  Arrange(std::move(rows), arrivalAfter);
}

void TrainTableModel::SetUnit(Unit unit) {
  if (unit == m_unit) return;
  m_unit = unit;
  emit headerDataChanged(Qt::Horizontal, Difference, Difference);
  if (!m_rows.empty()) emit dataChanged(index(0, Difference), index(rowCount() - 1, Difference));
}

void TrainTableModel::SetStale(bool stale) {
  if (stale == m_stale) return;
  m_stale = stale;
  if (!m_rows.empty()) emit dataChanged(index(0, 0), index(rowCount() - 1, columnCount() - 1));
}

int TrainTableModel::rowCount(const QModelIndex& parent) const {
  return parent.isValid() ? 0 : static_cast<int>(m_rows.size());
}

int TrainTableModel::columnCount(const QModelIndex& parent) const {
  if (parent.isValid()) return 0;
  return FirstGear + (m_planetary ? static_cast<int>(PlanetaryFieldNames(*m_planetary).size()) - 1 : m_gearCount);
}

QString TrainTableModel::Text(const DesignTrain& train, int column) const {
  switch (column) {
    case Difference:
      switch (m_unit) {
        case Unit::Absolute: return Signed(train.side * train.dDifference, 10);
        case Unit::Ppm: return Signed(train.side * train.relativePpm, 6);
        case Unit::SecondsPerDay:  // what the output gains a day: 86400 (T/R - 1)
          return Signed(train.dReduction > 0 ? -86400.0 * train.side * train.dDifference / train.dReduction : 0.0, 6);
      }
      return {};
    case Reduction: return QString::number(train.dReduction, 'f', 9);
    case FractionText:
      return QStringLiteral("%1/%2").arg(train.reduction.num).arg(train.reduction.den);
    case Variants: return QString::number(train.variants);
    default: {
      if (m_planetary) return QString::fromStdString(PlanetaryFields(*m_planetary, train)[column - FirstGear + 1]);
      const std::size_t gear = static_cast<std::size_t>(column - FirstGear);
      return gear < train.teeth.size() ? QString::number(train.teeth[gear]) : QString();
    }
  }
}

QVariant TrainTableModel::data(const QModelIndex& index, int role) const {
  if (!index.isValid() || index.row() >= rowCount()) return {};
  switch (role) {
    case Qt::DisplayRole: return Text(m_rows[index.row()].train, index.column());
    case Qt::TextAlignmentRole: return QVariant::fromValue(Qt::AlignRight | Qt::AlignVCenter);
    case Qt::ForegroundRole: return m_stale ? QVariant(QColor(150, 150, 150)) : QVariant();
    default: return {};
  }
}

QString TrainTableModel::HeaderText(int section) const {
  switch (section) {
    case Difference:
      switch (m_unit) {
        case Unit::Absolute: return tr("R \u2212 T");
        case Unit::Ppm: return tr("R \u2212 T (ppm)");
        case Unit::SecondsPerDay: return tr("Rate (s/day)");
      }
      return {};
    case Reduction: return tr("Reduction");
    case FractionText: return tr("Fraction");
    case Variants: return tr("Variants");
    default:
      if (m_planetary) {
        static const char* const kNames[] = {
            QT_TR_NOOP("Sun"),   QT_TR_NOOP("Planet"), QT_TR_NOOP("Planet 2"), QT_TR_NOOP("Ring"),
            QT_TR_NOOP("Ring 2"), QT_TR_NOOP("Planets"), QT_TR_NOOP("Held"),   QT_TR_NOOP("Input"),
            QT_TR_NOOP("Output"), QT_TR_NOOP("Spacing"), QT_TR_NOOP("Phase"), QT_TR_NOOP("x sun"),
            QT_TR_NOOP("x planet"), QT_TR_NOOP("x ring"), QT_TR_NOOP("Centre (mm)")};
        const int field = section - FirstGear;
        return field < static_cast<int>(std::size(kNames)) ? tr(kNames[field]) : QString();
      }
      return QStringLiteral("N%1").arg(section - FirstGear + 1);
  }
}

QVariant TrainTableModel::headerData(int section, Qt::Orientation orientation, int role) const {
  if (orientation == Qt::Vertical) return role == Qt::DisplayRole ? QVariant(section + 1) : QVariant();
  if (role == Qt::DisplayRole) return HeaderText(section);
  if (role != Qt::ToolTipRole) return {};
  switch (section) {
    case Difference:
      switch (m_unit) {
        case Unit::Absolute:
          return tr("The reduction minus the target, R \u2212 T: + when the reduction is above the "
                    "target (the output turns slower), \u2212 below. Sorted by its size. "
                    "View > Difference in: absolute, ppm or s/day.");
        case Unit::Ppm:
          return tr("R \u2212 T in parts per million of the target: 1,000,000 \u00d7 (R \u2212 T) / T. "
                    "Sorted by its size.");
        case Unit::SecondsPerDay:
          return tr("For a clock train: the seconds a day its output gains (+) or loses (\u2212) "
                    "when its input turns at the exact rate, 86400 \u00d7 (T / R \u2212 1). Sorted by "
                    "the size of R \u2212 T.");
      }
      return {};
    case Reduction:
      return tr("R: the product of the driven gears' teeth over the product of the driving "
                "gears' teeth (N2\u00b7N4\u00b7\u2026 / N1\u00b7N3\u00b7\u2026), rounded to 9 places.");
    case FractionText: return tr("The reduction exactly, as a fraction in lowest terms.");
    case Variants:
      return tr("How many trains of the search this row stands for when Distinct lists one per "
                "set of meshes or one per gear set: the same gears in other places. "
                "1 when every train is listed.");
    default: {
      if (m_planetary)
        return tr("Teeth of each member, the planets, which member is held, drives and turns the output, the "
                  "planets' spacing (even, or their angles in degrees) and their meshing phase.");
      const int gear = section - FirstGear;
      return gear % 2 == 0 ? tr("Teeth of N%1, the driving gear of stage %2.").arg(gear + 1).arg(gear / 2 + 1)
                           : tr("Teeth of N%1, the driven gear of stage %2.").arg(gear + 1).arg(gear / 2 + 1);
    }
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
  if (rows.empty()) return {};
  QStringList cells;
  for (int c = 0; c < columnCount(); ++c) cells << HeaderText(c);
  QStringList lines{cells.join(QLatin1Char('\t'))};
  for (int row : rows) {
    cells.clear();
    for (int c = 0; c < columnCount(); ++c) cells << Text(m_rows[row].train, c);
    lines << cells.join(QLatin1Char('\t'));
  }
  return lines.join(QLatin1Char('\n')) + QLatin1Char('\n');
}

}  // namespace quenmar::design
