#include "DesignInputs.h"

#include <QCheckBox>
#include <QComboBox>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QSpinBox>
#include <QStyledItemDelegate>
#include <QTableWidget>

namespace quenmar::design {

namespace {

constexpr int kFreeTrainEntry = kConfigurationCount;

struct Hint {
  const char* accepts;  // shown while the input is valid
};
const Hint kHints[] = {
    {QT_TRANSLATE_NOOP("DesignInputs", "Whole numbers of teeth, 1 to 500, minimum not above maximum.")},
    {QT_TRANSLATE_NOOP("DesignInputs", "A decimal, or a fraction such as 127/90.")},
    {QT_TRANSLATE_NOOP("DesignInputs", "A decimal in the unit beside it; may be empty when Best is above 0.")},
    {QT_TRANSLATE_NOOP("DesignInputs", "Teeth counts separated by commas; empty: any count.")},
    {QT_TRANSLATE_NOOP("DesignInputs", "Millimetres, for the drawing.")},
    {""},
};

// Hands each keystroke in a teeth cell on at once, so the cell is checked as it is typed.
class LiveCellDelegate : public QStyledItemDelegate {
 public:
  using QStyledItemDelegate::QStyledItemDelegate;
  QWidget* createEditor(QWidget* parent, const QStyleOptionViewItem& option,
                        const QModelIndex& index) const override {
    QWidget* editor = QStyledItemDelegate::createEditor(parent, option, index);
    if (auto* line = qobject_cast<QLineEdit*>(editor)) {
      auto* self = const_cast<LiveCellDelegate*>(this);
      connect(line, &QLineEdit::textEdited, self, [self, line] { emit self->commitData(line); });
    }
    return editor;
  }
};

QLabel* BuddyLabel(const QString& text, QWidget* buddy) {
  auto* label = new QLabel(text);
  label->setBuddy(buddy);
  return label;
}

}  // namespace

DesignInputs::DesignInputs(QWidget* parent) : QWidget(parent) {
  Build();
  ShowSetup();
  Check();
}

void DesignInputs::Build() {
  auto* grid = new QGridLayout(this);
  grid->setColumnStretch(1, 1);
  int row = 0;
  auto addRow = [&](const QString& label, QWidget* input, QLayout* layout = nullptr) {
    grid->addWidget(BuddyLabel(label, input), row, 0);
    if (layout) grid->addLayout(layout, row, 1);
    else grid->addWidget(input, row, 1);
    ++row;
  };
  auto addMessage = [&](Message which, const QString& name) {
    auto* label = new QLabel;
    label->setWordWrap(true);
    label->setAccessibleName(name);
    QFont font = label->font();
    font.setPointSizeF(font.pointSizeF() * 0.9);
    label->setFont(font);
    m_messages[which] = label;
    grid->addWidget(label, row++, 1);
  };
  auto named = [](QWidget* w, const char* name) {
    w->setAccessibleName(QString::fromLatin1(name));
    return w;
  };
  // An input with a companion control on its right (a unit, a button).
  auto addBeside = [&](const QString& label, QWidget* input, QWidget* companion) {
    auto* pair = new QHBoxLayout;
    pair->addWidget(input, 1);
    pair->addWidget(companion);
    addRow(label, input, pair);
  };

  m_configuration = new QComboBox;
  for (int i = 0; i < kConfigurationCount; ++i) {
    const TrainConfiguration& c = Configuration(i);
    const std::string_view name = c.selectorEntry.empty() ? c.methodName : c.selectorEntry;
    m_configuration->addItem(QString::fromUtf8(name.data(), static_cast<int>(name.size())));
  }
  m_configuration->addItem(tr("Free train of K stages"));
  addRow(tr("&Configuration:"), named(m_configuration, "Configuration"));

  m_stages = new QSpinBox;
  m_stages->setRange(1, kMaxStages);
  addRow(tr("Sta&ges (K):"), named(m_stages, "Stages"));

  m_teeth = new QTableWidget(0, 2);
  m_teeth->setHorizontalHeaderLabels({tr("Minimum"), tr("Maximum")});
  m_teeth->horizontalHeader()->setSectionResizeMode(QHeaderView::Stretch);
  m_teeth->verticalHeader()->setSectionResizeMode(QHeaderView::ResizeToContents);
  m_teeth->setItemDelegate(new LiveCellDelegate(m_teeth));
  m_teeth->setTabKeyNavigation(false);  // Tab leaves the table; arrows move in it
  // Typing in a cell edits it; arriving by Tab only selects it, so Tab keeps moving on.
  m_teeth->setEditTriggers(QAbstractItemView::DoubleClicked | QAbstractItemView::EditKeyPressed |
                           QAbstractItemView::AnyKeyPressed | QAbstractItemView::SelectedClicked);
  m_teeth->setSelectionMode(QAbstractItemView::SingleSelection);
  m_teeth->setMinimumHeight(m_teeth->verticalHeader()->defaultSectionSize() * 7);
  addRow(tr("&Teeth ranges:"), named(m_teeth, "Teeth ranges"));
  addMessage(TeethMessage, tr("Teeth ranges message"));

  m_target = new QLineEdit;
  addRow(tr("T&arget:"), named(m_target, "Target"));
  addMessage(TargetMessage, tr("Target message"));

  m_tolerance = new QLineEdit;
  m_toleranceUnit = new QComboBox;
  m_toleranceUnit->addItems({tr("absolute"), tr("ppm"), tr("%")});
  named(m_toleranceUnit, "Tolerance unit");
  addBeside(tr("T&olerance:"), named(m_tolerance, "Tolerance"), m_toleranceUnit);
  addMessage(ToleranceMessage, tr("Tolerance message"));

  m_best = new QSpinBox;
  m_best->setRange(0, static_cast<int>(kMaxBest));
  m_best->setSpecialValueText(tr("all within tolerance"));
  addRow(tr("&Best:"), named(m_best, "Best"));

  m_maxTrains = new QSpinBox;
  m_maxTrains->setRange(1, static_cast<int>(kMaxTrains));
  m_maxTrains->setGroupSeparatorShown(true);
  addRow(tr("&Max trains:"), named(m_maxTrains, "Max trains"));

  m_distinct = new QComboBox;
  // The entries follow the order of Distinct.
  m_distinct->addItems({tr("every train"), tr("one per set of meshes"), tr("one per gear set")});
  addRow(tr("&Distinct:"), named(m_distinct, "Distinct"));

  m_hunting = new QCheckBox(tr("&Hunting tooth: no common factor in any mesh"));
  named(m_hunting, "Hunting tooth");
  grid->addWidget(m_hunting, row++, 1);
  m_coaxial = new QCheckBox(tr("Coa&xial: every stage with the same tooth sum"));
  named(m_coaxial, "Coaxial");
  grid->addWidget(m_coaxial, row++, 1);

  m_owned = new QLineEdit;
  m_readGears = new QPushButton(tr("&Read file..."));
  named(m_readGears, "Read gears file");
  addBeside(tr("O&wned gears:"), named(m_owned, "Owned gears"), m_readGears);
  addMessage(OwnedMessage, tr("Owned gears message"));

  m_module = new QLineEdit;
  addRow(tr("Mod&ule (mm):"), named(m_module, "Module"));
  addMessage(ModuleMessage, tr("Module message"));

  addMessage(SetupMessage, tr("Setup message"));
  grid->setRowStretch(row, 1);

  QWidget* chain[] = {m_configuration, m_stages, m_teeth, m_target, m_tolerance,
                      m_toleranceUnit, m_best, m_maxTrains, m_distinct, m_hunting,
                      m_coaxial, m_owned, m_readGears, m_module};
  for (std::size_t i = 1; i < std::size(chain); ++i) setTabOrder(chain[i - 1], chain[i]);

  auto take = [this] {
    if (!m_writing) TakeControls();
  };
  connect(m_configuration, &QComboBox::currentIndexChanged, this, take);
  connect(m_stages, &QSpinBox::valueChanged, this, take);
  connect(m_teeth, &QTableWidget::itemChanged, this, take);
  for (QLineEdit* edit : {m_target, m_tolerance, m_owned, m_module})
    connect(edit, &QLineEdit::textChanged, this, take);
  connect(m_toleranceUnit, &QComboBox::currentIndexChanged, this, take);
  connect(m_best, &QSpinBox::valueChanged, this, take);
  connect(m_maxTrains, &QSpinBox::valueChanged, this, take);
  connect(m_distinct, &QComboBox::currentIndexChanged, this, take);
  connect(m_hunting, &QCheckBox::toggled, this, take);
  connect(m_coaxial, &QCheckBox::toggled, this, take);
  connect(m_readGears, &QPushButton::clicked, this, &DesignInputs::readGearsFileRequested);
  // Enter in a cell being edited commits it and then searches with the committed value.
  connect(m_teeth->itemDelegate(), &QAbstractItemDelegate::closeEditor, this,
          [this](QWidget*, QAbstractItemDelegate::EndEditHint hint) {
            if (hint == QAbstractItemDelegate::SubmitModelCache) emit searchRequested();
          });
}

QWidget* DesignInputs::FirstInput() const { return m_configuration; }
QWidget* DesignInputs::LastInput() const { return m_module; }

void DesignInputs::keyPressEvent(QKeyEvent* event) {
  if (event->key() == Qt::Key_Return || event->key() == Qt::Key_Enter) {
    emit searchRequested();
    return;
  }
  QWidget::keyPressEvent(event);
}

void DesignInputs::SetSetup(const DesignSetup& setup) {
  const double oldModule = m_reading.module;
  m_setup = setup;
  ShowSetup();
  Check();
  if (m_reading.problems.module.empty() && m_reading.module != oldModule)
    emit moduleChanged(m_reading.module);
}

void DesignInputs::SetOwnedGears(const QString& text) { m_owned->setText(text); }

void DesignInputs::ShowSetup() {
  m_writing = true;
  m_configuration->setCurrentIndex(m_setup.freeTrain ? kFreeTrainEntry : m_setup.configuration);
  m_stages->setValue(m_setup.stages);
  m_stages->setEnabled(m_setup.freeTrain);
  ShowTeethRows();
  m_target->setText(QString::fromStdString(m_setup.target));
  m_tolerance->setText(QString::fromStdString(m_setup.tolerance));
  m_toleranceUnit->setCurrentIndex(static_cast<int>(m_setup.toleranceUnit));
  m_best->setValue(static_cast<int>(m_setup.best));
  m_maxTrains->setValue(static_cast<int>(m_setup.maxTrains));
  m_distinct->setCurrentIndex(static_cast<int>(m_setup.distinct));
  m_hunting->setChecked(m_setup.huntingTooth);
  m_coaxial->setChecked(m_setup.coaxial);
  m_owned->setText(QString::fromStdString(m_setup.ownedGears));
  m_module->setText(QString::fromStdString(m_setup.module));
  m_writing = false;
}

void DesignInputs::ShowTeethRows() {
  const int gears = GearsInUse(m_setup);
  const bool wasWriting = m_writing;
  m_writing = true;
  m_teeth->setRowCount(gears);
  QStringList names;
  for (int gear = 0; gear < gears; ++gear) {
    names << QStringLiteral("N%1").arg(gear + 1);
    const std::string* texts[] = {&m_setup.minTeeth[gear], &m_setup.maxTeeth[gear]};
    for (int column = 0; column < 2; ++column) {
      auto* item = new QTableWidgetItem(QString::fromStdString(*texts[column]));
      item->setTextAlignment(Qt::AlignRight | Qt::AlignVCenter);
      m_teeth->setItem(gear, column, item);
    }
  }
  m_teeth->setVerticalHeaderLabels(names);
  m_writing = wasWriting;
}

void DesignInputs::TakeControls() {
  const int entry = m_configuration->currentIndex();
  const int gearsBefore = GearsInUse(m_setup);
  m_setup.freeTrain = entry == kFreeTrainEntry;
  if (!m_setup.freeTrain) m_setup.configuration = entry;
  m_setup.stages = m_stages->value();
  m_stages->setEnabled(m_setup.freeTrain);
  for (int gear = 0; gear < m_teeth->rowCount(); ++gear) {
    if (QTableWidgetItem* item = m_teeth->item(gear, 0))
      m_setup.minTeeth[gear] = item->text().trimmed().toStdString();
    if (QTableWidgetItem* item = m_teeth->item(gear, 1))
      m_setup.maxTeeth[gear] = item->text().trimmed().toStdString();
  }
  if (GearsInUse(m_setup) != gearsBefore) ShowTeethRows();
  m_setup.target = m_target->text().trimmed().toStdString();
  m_setup.tolerance = m_tolerance->text().trimmed().toStdString();
  m_setup.toleranceUnit = static_cast<Tolerance::Unit>(m_toleranceUnit->currentIndex());
  m_setup.best = m_best->value();
  m_setup.maxTrains = m_maxTrains->value();
  m_setup.distinct = static_cast<Distinct>(m_distinct->currentIndex());
  m_setup.huntingTooth = m_hunting->isChecked();
  m_setup.coaxial = m_coaxial->isChecked();
  m_setup.ownedGears = m_owned->text().trimmed().toStdString();
  m_setup.module = m_module->text().trimmed().toStdString();
  const double oldModule = m_reading.module;
  const bool moduleWasValid = m_reading.problems.module.empty();
  Check();
  if (m_reading.problems.module.empty() && (!moduleWasValid || m_reading.module != oldModule))
    emit moduleChanged(m_reading.module);
}

void DesignInputs::Check() {
  m_reading = ReadSetup(m_setup);
  const SetupProblems& p = m_reading.problems;
  const std::string* problems[] = {&p.teeth, &p.target, &p.tolerance, &p.ownedGears, &p.module,
                                   &p.query};
  for (int i = 0; i < MessageCount; ++i) {
    QLabel* label = m_messages[i];
    const bool wrong = !problems[i]->empty();
    label->setText(wrong ? QString::fromStdString(*problems[i]) : tr(kHints[i].accepts));
    label->setStyleSheet(wrong ? QStringLiteral("color: #b00020") : QStringLiteral("color: #606060"));
    label->setVisible(wrong || *kHints[i].accepts);
  }
  // A cell that is not a count, or a crossed pair, is marked where it stands.
  for (int gear = 0; gear < m_teeth->rowCount(); ++gear) {
    for (int column = 0; column < 2; ++column) {
      QTableWidgetItem* item = m_teeth->item(gear, column);
      if (!item) continue;
      bool ok = false;
      const int value = item->text().trimmed().toInt(&ok);
      const bool wrong = !ok || value < 1 || value > kMaxTeeth;
      const bool wasWriting = m_writing;
      m_writing = true;
      item->setBackground(wrong ? QColor(255, 220, 220) : QBrush());
      m_writing = wasWriting;
    }
  }
  emit changed();
}

}  // namespace quenmar::design
