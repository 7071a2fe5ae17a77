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
#include <QTableWidget>

#include "InputMessage.h"
#include "PlanetaryInputs.h"
#include "TeethCellDelegate.h"
#include "WindowChecks.h"

namespace quenmar::design {

namespace {

constexpr int kFreeTrainEntry = kConfigurationCount;
// The planetary kinds follow the free train in the configuration list.
const char* const kPlanetaryKinds[] = {"simple", "stepped", "wolfrom"};
const char* const kHelpTopic = "helpTopic";

struct Hint {
  const char* accepts;  // shown while the input is valid
  int lines;            // the room kept for it
};
const Hint kHints[] = {
    {QT_TRANSLATE_NOOP("DesignInputs", "Whole numbers of teeth, 1 to 500, minimum not above maximum."), 2},
    {QT_TRANSLATE_NOOP("DesignInputs", "A decimal, or a fraction such as 127/90."), 2},
    {QT_TRANSLATE_NOOP("DesignInputs", "A decimal in the unit beside it; may be empty when Best is above 0."), 2},
    {QT_TRANSLATE_NOOP("DesignInputs", "Teeth counts separated by commas or blanks; empty: any count."), 2},
    {QT_TRANSLATE_NOOP("DesignInputs", "Millimetres: one module, or one per stage (commas between)."), 2},
    {QT_TRANSLATE_NOOP("DesignInputs", "Degrees, 10 to 30: one, or one per stage."), 2},
    {QT_TRANSLATE_NOOP("DesignInputs", "Empty: the standard ones; equal; or a stage's in mm: 1=50, 2=40.5\u00b10.1."), 2},
    {QT_TRANSLATE_NOOP("DesignInputs", "The most shift per gear, 0 to 2; empty: no shift."), 2},
    {QT_TRANSLATE_NOOP("DesignInputs", "Diameters in mm: one, or one per shaft, the input's first."), 2},
    {QT_TRANSLATE_NOOP("DesignInputs", "The least gap, mm, from a tip circle to another shaft."), 2},
    {QT_TRANSLATE_NOOP("DesignInputs", "The largest tip diameter, mm; empty: any."), 2},
    {"", 2},
};

QLabel* BuddyLabel(const QString& text, QWidget* buddy) {
  auto* label = new QLabel(text);
  label->setBuddy(buddy);
  return label;
}

// Names an input for screen readers and tests, explains it, and ties it to its help topic.
template <typename W>
W* Described(W* widget, const char* name, const QString& tip, const char* topic) {
  widget->setAccessibleName(QString::fromLatin1(name));
  widget->setToolTip(tip);
  widget->setProperty(kHelpTopic, QString::fromLatin1(topic));
  return widget;
}

}  // namespace

DesignInputs::DesignInputs(QWidget* parent) : QWidget(parent) {
  Build();
  ShowSetup();
  Check();
}

QString DesignInputs::HelpTopic(const QWidget* widget) {
  for (; widget; widget = widget->parentWidget())
    if (const QVariant topic = widget->property(kHelpTopic); topic.isValid()) return topic.toString();
  return {};
}

void DesignInputs::Build() {
  auto* grid = new QGridLayout(this);
  grid->setColumnStretch(1, 1);
  grid->setVerticalSpacing(4);
  int row = 0;
  auto addRow = [&](const QString& label, QWidget* input, QLayout* layout = nullptr) {
    grid->addWidget(BuddyLabel(label, input), row, 0);
    if (layout) grid->addLayout(layout, row, 1);
    else grid->addWidget(input, row, 1);
    ++row;
  };
  auto addMessage = [&](Message which, QWidget* input) {
    m_messages[which] = new InputMessage(input, kHints[which].lines);
    grid->addWidget(m_messages[which], row++, 1);
  };
  auto beside = [](std::initializer_list<QWidget*> widgets) {
    auto* pair = new QHBoxLayout;
    for (QWidget* w : widgets) pair->addWidget(w, w == *widgets.begin() ? 1 : 0);
    return pair;
  };

  m_configuration = new QComboBox;
  for (int i = 0; i < kConfigurationCount; ++i) {
    const TrainConfiguration& c = Configuration(i);
    const std::string_view name = c.selectorEntry.empty() ? c.methodName : c.selectorEntry;
    m_configuration->addItem(QString::fromUtf8(name.data(), static_cast<int>(name.size())));
  }
  m_configuration->addItem(tr("Free train of K stages"));
  m_configuration->addItems({tr("Planetary: simple"), tr("Planetary: stepped planets"),
                             tr("Planetary: split ring (Wolfrom)")});
  Described(m_configuration, "Configuration",
            tr("Which gears the train has and which must be equal: a single, double or triple "
               "reduction, a free train of K stages with no gear tied to another, or a planetary set: "
               "simple, with stepped planets, or a split ring (Wolfrom)."),
            "configuration");
  m_stages = new QSpinBox;
  m_stages->setRange(1, kMaxStages);
  Described(m_stages, "Stages",
            tr("The meshes of a free train, 1 to 6: its reduction is N2\u00b7N4\u00b7\u2026\u00b7N2K over "
               "N1\u00b7N3\u00b7\u2026\u00b7N2K\u22121."),
            "stages");
  // K stands beside the configuration, and only while a free train is chosen.
  m_stagesLabel = BuddyLabel(tr("Sta&ges:"), m_stages);
  addRow(tr("&Configuration:"), m_configuration, beside({m_configuration, m_stagesLabel, m_stages}));

  m_teeth = new QTableWidget(0, 2);
  m_teeth->setHorizontalHeaderLabels({tr("Minimum"), tr("Maximum")});
  m_teeth->horizontalHeader()->setSectionResizeMode(QHeaderView::Stretch);
  m_teeth->verticalHeader()->setSectionResizeMode(QHeaderView::Fixed);
  m_teeth->verticalHeader()->setDefaultSectionSize(m_teeth->fontMetrics().height() + 6);
  auto* cells = new TeethCellDelegate(m_teeth);
  m_teeth->setItemDelegate(cells);
  m_teeth->setTabKeyNavigation(false);  // Tab leaves the table; arrows move in it
  m_teeth->installEventFilter(this);
  // Typing in a cell edits it; arriving by Tab only selects it, so Tab keeps moving on.
  m_teeth->setEditTriggers(QAbstractItemView::DoubleClicked | QAbstractItemView::EditKeyPressed |
                           QAbstractItemView::AnyKeyPressed | QAbstractItemView::SelectedClicked);
  m_teeth->setSelectionMode(QAbstractItemView::SingleSelection);
  m_teeth->setFixedHeight(m_teeth->horizontalHeader()->sizeHint().height() +
                          6 * m_teeth->verticalHeader()->defaultSectionSize() + 2 * m_teeth->frameWidth());
  Described(m_teeth, "Teeth ranges",
            tr("The fewest and the most teeth each gear may have. Type a number into a cell; the "
               "arrow keys take it and move, Escape takes back an edit, Tab leaves the table."),
            "teeth");
  addRow(tr("&Teeth ranges:"), m_teeth);
  addMessage(TeethMessage, m_teeth);
  for (int r = row - 2; r < row; ++r)
    for (int c = 0; c < 2; ++c)
      if (QLayoutItem* item = grid->itemAtPosition(r, c); item && item->widget()) m_compoundRows.push_back(item->widget());
  m_planetary = new PlanetaryInputs;
  grid->addWidget(m_planetary, row++, 0, 1, 2);

  m_target = Described(new QLineEdit, "Target",
                       tr("The wanted reduction R, turns of the input per turn of the output: a "
                          "decimal, taken exactly as written, or a fraction such as 127/90 or 1.5/3.175."),
                       "target");
  addRow(tr("T&arget:"), m_target);
  addMessage(TargetMessage, m_target);

  m_tolerance = Described(new QLineEdit, "Tolerance",
                          tr("How far a train's reduction may lie from the target, in the unit "
                             "beside it. It may stay empty when Best is above 0."),
                          "tolerance");
  m_toleranceUnit = new QComboBox;
  m_toleranceUnit->addItems({tr("absolute"), tr("ppm"), tr("%")});
  Described(m_toleranceUnit, "Tolerance unit",
            tr("absolute: a difference of reductions; ppm: parts per million of the target; "
               "%: per cent of the target."),
            "tolerance");
  QHBoxLayout* withUnit = beside({m_tolerance, BuddyLabel(tr("u&nit:"), m_toleranceUnit), m_toleranceUnit});
  withUnit->insertSpacing(1, 6);
  addRow(tr("T&olerance:"), m_tolerance, withUnit);
  addMessage(ToleranceMessage, m_tolerance);

  m_best = Described(new QSpinBox, "Best",
                     tr("The K trains closest to the target among all the ranges allow, by exact "
                        "difference; 0 lists every train within the tolerance."),
                     "best");
  m_best->setRange(0, static_cast<int>(kMaxBest));
  m_best->setSpecialValueText(tr("all within tolerance"));
  addRow(tr("&Best:"), m_best);

  m_maxTrains = Described(new QSpinBox, "Max trains",
                          tr("The most trains listed; the status bar says so when more exist. "
                             "At least 1."),
                          "max-trains");
  m_maxTrains->setRange(0, static_cast<int>(kMaxTrains));  // 0 is refused with a message, not changed
  m_maxTrains->setGroupSeparatorShown(true);
  addRow(tr("&Max trains:"), m_maxTrains);

  m_distinct = Described(new QComboBox, "Distinct",
                         tr("every train; one per set of meshes (the same meshing pairs in another "
                            "stage order count once); one per gear set (the same driving and driven "
                            "gears anywhere count once). Variants counts the trains a row stands for."),
                         "distinct");
  // The entries follow the order of Distinct.
  m_distinct->addItems({tr("every train"), tr("one per set of meshes"), tr("one per gear set")});
  addRow(tr("&Distinct:"), m_distinct);

  m_hunting = Described(new QCheckBox(tr("&Hunting tooth")), "Hunting tooth",
                        tr("No common factor in any mesh, so every tooth meets every tooth of the "
                           "other gear and wear spreads evenly."),
                        "hunting");
  m_coaxial = Described(new QCheckBox(tr("Coa&xial")), "Coaxial",
                        tr("Every stage with the same tooth sum, so that with one module the output "
                           "shaft lines up with the input."),
                        "coaxial");
  auto* filters = beside({m_hunting, m_coaxial});
  filters->setStretch(0, 0);
  filters->addStretch(1);
  grid->addLayout(filters, row++, 1);

  m_owned = Described(new QLineEdit, "Owned gears",
                      tr("Only trains built from the gears you own: teeth counts separated by commas "
                         "or blanks, a count listed twice being two gears. Empty: any count."),
                      "owned");
  m_readGears = Described(new QPushButton(tr("&Read file...")), "Read gears file",
                          tr("Reads the owned gears from a text file: counts separated by commas, "
                             "blanks or line breaks; # starts a comment."),
                          "owned");
  addRow(tr("O&wned gears:"), m_owned, beside({m_owned, m_readGears}));
  addMessage(OwnedMessage, m_owned);

  m_module = Described(new QLineEdit, "Module",
                       tr("The module in millimetres (pitch diameter = module \u00d7 teeth): one for "
                          "every stage, or one per stage separated by commas. It sets the drawing, and "
                          "the search too while Geometry is ticked."),
                       "module");
  addRow(tr("Mod&ule (mm):"), m_module);
  addMessage(ModuleMessage, m_module);

  m_geometry = Described(new QCheckBox(tr("Geometr&y and fit")), "Geometry",
                         tr("Ask the search for the gears' geometry: the modules, centre distances, "
                            "profile shift and clearances below; exports then add each stage's module, "
                            "centre distance, shifts and contact ratio, and the worst clearance."),
                         "geometry");
  grid->addWidget(m_geometry, row++, 1);
  // Each row of the geometry: its label, its input and its message, shown with Geometry.
  auto geometryRow = [&](const QString& label, QLineEdit* input, Message message) {
    const int first = row;
    addRow(label, input);
    addMessage(message, input);
    for (int r = first; r < row; ++r)
      for (int c = 0; c < 2; ++c)
        if (QLayoutItem* item = grid->itemAtPosition(r, c); item && item->widget()) m_geometryRows.push_back(item->widget());
  };
  m_pressureAngle = Described(new QLineEdit, "Pressure angle",
                              tr("The pressure angle of the teeth in degrees, 10 to 30 (20 is usual): one "
                                 "for every stage, or one per stage."),
                              "pressure-angle");
  geometryRow(tr("&Pressure angle (\u00b0):"), m_pressureAngle, AngleMessage);
  m_centreDistance = Described(new QLineEdit, "Centre distances",
                               tr("Where the shafts must stand: empty, each stage at its standard distance "
                                  "module \u00d7 (teeth + teeth) / 2; equal, every stage the same (the output "
                                  "in line with the input), compared exactly; or a stage's distance in mm, "
                                  "exact or within a tolerance: 1=50, 2=40.5\u00b10.1 (or +-)."),
                               "centre-distance");
  geometryRow(tr("Centre &distances:"), m_centreDistance, CentreMessage);
  m_profileShift = Described(new QLineEdit, "Profile shift",
                             tr("Lets a stage reach a centre distance its teeth miss by shifting their "
                                "profiles, up to this much per gear (0 to 2 modules); empty: no shift."),
                             "profile-shift");
  geometryRow(tr("Profile s&hift up to:"), m_profileShift, ShiftMessage);
  m_shaft = Described(new QLineEdit, "Shafts",
                      tr("Shaft diameters in mm: one for every shaft, or one per shaft (stages + 1), "
                         "the input's first. Each gear's root circle must hold its shaft."),
                      "shafts");
  geometryRow(tr("Sha&fts (mm):"), m_shaft, ShaftMessage);
  m_clearance = Described(new QLineEdit, "Clearance",
                          tr("The least gap in mm between a gear's tip circle and a shaft it does not sit "
                             "on; the drawing shows in red where it fails."),
                          "clearance");
  const std::size_t clearanceFirst = m_geometryRows.size();
  geometryRow(tr("C&learance (mm):"), m_clearance, ClearanceMessage);
  m_clearanceRow.assign(m_geometryRows.begin() + static_cast<std::ptrdiff_t>(clearanceFirst), m_geometryRows.end());
  m_maxDiameter = Described(new QLineEdit, "Max diameter",
                            tr("The largest tip diameter of any gear in mm; empty: any size."),
                            "max-diameter");
  geometryRow(tr("Ma&x diameter (mm):"), m_maxDiameter, DiameterMessage);
  m_fits = Described(new QCheckBox(tr("Only trains that f&it")), "Fits",
                     tr("List only trains whose gears keep the clearance from every shaft they do not "
                        "sit on, hold their shafts and mesh with a contact ratio of at least 1."),
                     "fits");
  grid->addWidget(m_fits, row++, 1);
  m_geometryRows.push_back(m_fits);
  m_compoundRows.insert(m_compoundRows.end(), {m_coaxial, m_geometry});

  addMessage(SetupMessage, nullptr);
  grid->setRowStretch(row, 1);

  std::vector<QWidget*> chain = {m_configuration, m_stages, m_teeth};
  for (QWidget* input : m_planetary->TabChain()) chain.push_back(input);
  for (QWidget* input : std::initializer_list<QWidget*>{m_target, m_tolerance,
                      m_toleranceUnit, m_best, m_maxTrains, m_distinct, m_hunting,
                      m_coaxial, m_owned, m_readGears, m_module, m_geometry, m_pressureAngle,
                      m_centreDistance, m_profileShift, m_shaft, m_clearance, m_maxDiameter, m_fits})
    chain.push_back(input);
  for (std::size_t i = 1; i < chain.size(); ++i) setTabOrder(chain[i - 1], chain[i]);

  auto take = [this] {
    if (!m_writing) TakeControls();
  };
  connect(m_configuration, &QComboBox::currentIndexChanged, this, take);
  connect(m_stages, &QSpinBox::valueChanged, this, take);
  connect(m_teeth, &QTableWidget::itemChanged, this, take);
  for (QLineEdit* edit : {m_target, m_tolerance, m_owned, m_module, m_pressureAngle, m_centreDistance,
                          m_profileShift, m_shaft, m_clearance, m_maxDiameter})
    connect(edit, &QLineEdit::textChanged, this, take);
  for (QCheckBox* box : {m_geometry, m_fits}) connect(box, &QCheckBox::toggled, this, take);
  connect(m_toleranceUnit, &QComboBox::currentIndexChanged, this, take);
  connect(m_best, &QSpinBox::valueChanged, this, take);
  connect(m_maxTrains, &QSpinBox::valueChanged, this, take);
  connect(m_distinct, &QComboBox::currentIndexChanged, this, take);
  connect(m_hunting, &QCheckBox::toggled, this, take);
  connect(m_coaxial, &QCheckBox::toggled, this, take);
  connect(m_planetary, &PlanetaryInputs::edited, this, take);
  connect(m_readGears, &QPushButton::clicked, this, &DesignInputs::readGearsFileRequested);
  connect(cells, &TeethCellDelegate::moveRequested, this, [this](const QModelIndex& from, int rows, int columns) {
    const int r = std::clamp(from.row() + rows, 0, m_teeth->rowCount() - 1);
    const int c = std::clamp(from.column() + columns, 0, 1);
    m_teeth->setCurrentCell(r, c);
  });
}

QWidget* DesignInputs::FirstInput() const { return m_configuration; }
QWidget* DesignInputs::LastInput() const { return m_fits; }

void DesignInputs::keyPressEvent(QKeyEvent* event) {
  if (event->key() != Qt::Key_Return && event->key() != Qt::Key_Enter) return QWidget::keyPressEvent(event);
  emit searchRequested();
  event->accept();
}

bool DesignInputs::eventFilter(QObject* watched, QEvent* event) {
  // In the teeth table Enter only takes the number typed (its editor has done so by now).
  if (watched == m_teeth && event->type() == QEvent::KeyPress) {
    const int key = static_cast<QKeyEvent*>(event)->key();
    if (key == Qt::Key_Return || key == Qt::Key_Enter) return true;
  }
  return QWidget::eventFilter(watched, event);
}

void DesignInputs::SetSetup(const DesignSetup& setup) {
  m_setup = setup;
  ShowSetup();
  Check();
}

void DesignInputs::ShowGeometryRows() {
  const bool planetary = !m_setup.planetary.empty();
  for (QWidget* widget : m_geometryRows) widget->setVisible(m_setup.geometry && !planetary);
  for (QWidget* widget : m_clearanceRow) widget->setVisible(m_setup.geometry || planetary);
  for (QWidget* widget : m_compoundRows) widget->setVisible(!planetary);
  m_planetary->setVisible(planetary);
  m_clearance->setToolTip(planetary ? tr("The least gap in mm between the tip circles of adjacent planets.")
                                    : tr("The least gap in mm between a gear's tip circle and a shaft it does not sit "
                                         "on; the drawing shows in red where it fails."));
  m_module->setToolTip(planetary ? tr("The module of the first mesh (the sun's) in millimetres, in whole thousandths; "
                                      "the second mesh of a stepped or split-ring set takes its own unless One module is ticked.")
                                 : tr("The module in millimetres (pitch diameter = module \u00d7 teeth): one for "
                                      "every stage, or one per stage separated by commas. It sets the drawing, and "
                                      "the search too while Geometry is ticked."));
}

void DesignInputs::SetOwnedGears(const QString& text) { m_owned->setText(text); }

void DesignInputs::ShowSetup() {
  m_writing = true;
  int entry = m_setup.freeTrain ? kFreeTrainEntry : m_setup.configuration;
  for (int k = 0; k < 3; ++k)
    if (m_setup.planetary == kPlanetaryKinds[k]) entry = kFreeTrainEntry + 1 + k;
  m_configuration->setCurrentIndex(entry);
  m_planetary->Show(m_setup);
  m_stages->setValue(m_setup.stages);
  m_stages->setVisible(m_setup.freeTrain);
  m_stagesLabel->setVisible(m_setup.freeTrain);
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
  m_geometry->setChecked(m_setup.geometry);
  const std::pair<QLineEdit*, const std::string*> texts[] = {
      {m_pressureAngle, &m_setup.pressureAngle}, {m_centreDistance, &m_setup.centreDistance},
      {m_profileShift, &m_setup.profileShift},   {m_shaft, &m_setup.shaft},
      {m_clearance, &m_setup.clearance},         {m_maxDiameter, &m_setup.maxDiameter}};
  for (const auto& [edit, text] : texts) edit->setText(QString::fromStdString(*text));
  m_fits->setChecked(m_setup.fits);
  ShowGeometryRows();
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
  m_setup.planetary = entry > kFreeTrainEntry ? kPlanetaryKinds[entry - kFreeTrainEntry - 1] : "";
  if (entry < kFreeTrainEntry) m_setup.configuration = entry;
  m_planetary->Take(m_setup);
  m_setup.stages = m_stages->value();
  m_stages->setVisible(m_setup.freeTrain);
  m_stagesLabel->setVisible(m_setup.freeTrain);
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
  m_setup.geometry = m_geometry->isChecked();
  const std::pair<QLineEdit*, std::string*> texts[] = {
      {m_pressureAngle, &m_setup.pressureAngle}, {m_centreDistance, &m_setup.centreDistance},
      {m_profileShift, &m_setup.profileShift},   {m_shaft, &m_setup.shaft},
      {m_clearance, &m_setup.clearance},         {m_maxDiameter, &m_setup.maxDiameter}};
  for (const auto& [edit, text] : texts) *text = edit->text().trimmed().toStdString();
  m_setup.fits = m_fits->isChecked();
  ShowGeometryRows();
  Check();
}

void DesignInputs::Check() {
  m_reading = ReadSetup(m_setup);
  CheckForWindow(m_setup, m_reading);
  const SetupProblems& p = m_reading.problems;
  const std::string* problems[] = {&p.teeth, &p.target, &p.tolerance, &p.ownedGears, &p.module,
                                   &p.pressureAngle, &p.centreDistance, &p.profileShift, &p.shaft,
                                   &p.clearance, &p.maxDiameter, &p.query};
  for (int i = 0; i < MessageCount; ++i) {
    const bool wrong = !problems[i]->empty();
    m_messages[i]->Show(wrong ? QString::fromStdString(*problems[i]) : tr(kHints[i].accepts), wrong);
  }
  m_maxTrains->setAccessibleDescription(m_setup.maxTrains < 1 ? QString::fromStdString(p.query) : QString());
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
  m_planetary->ShowProblem(p.planetary);
  emit changed();
  if (p.module.empty()) emit drawingChanged();
}

}  // namespace quenmar::design
