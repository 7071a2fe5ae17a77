#include "TargetsPanel.h"

#include <QCheckBox>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QSpinBox>
#include <QTableWidget>
#include <QVBoxLayout>

#include "DesignInputs.h"
#include "InputMessage.h"

namespace quenmar::design {

namespace {

enum Column { NameColumn, TargetColumn, ToleranceColumn };
const char* const kHelpTopic = "helpTopic";
constexpr int kShownRows = 7;

template <typename W>
W* Described(W* widget, const char* name, const QString& tip) {
  widget->setAccessibleName(QString::fromLatin1(name));
  widget->setToolTip(tip);
  widget->setProperty(kHelpTopic, QStringLiteral("targets"));
  return widget;
}

// A line's own tolerance stands out from the one given for all by this (no typed tolerance
// has an empty text).
const Tolerance kNoneOfItsOwn{Tolerance::Unit::Absolute, Rational(1), ""};

}  // namespace

TargetsPanel::TargetsPanel(QWidget* parent) : QWidget(parent) {
  m_mode = Described(new QCheckBox(tr("Many tar&gets")), "Targets mode",
                     tr("A chart of many targets (threads against a lead screw, or ratios) in place of the one "
                        "target: the best trains of each from one search, and which the gears do not reach."));
  m_lead = Described(new QLineEdit, "Lead screw",
                     tr("The lead screw's pitch: threads per inch (8tpi) or millimetres (2mm, 3.175mm). Empty: "
                        "plain ratios only. The spindle drives N1 and the lead screw carries the last gear."));
  m_table = Described(new QTableWidget(0, 3), "Targets",
                      tr("One target a row: an optional name, the target (a ratio such as 127/90, or 1.5mm, 20tpi, "
                         "module1.25, dp24) and an optional tolerance (empty: the window's). Insert adds a row, "
                         "Delete removes it, typing edits a cell, Tab leaves the table."));
  m_table->setHorizontalHeaderLabels({tr("Name"), tr("Target"), tr("Tolerance")});
  m_table->horizontalHeader()->setSectionResizeMode(QHeaderView::Stretch);
  m_table->verticalHeader()->setDefaultSectionSize(m_table->fontMetrics().height() + 6);
  m_table->setTabKeyNavigation(false);
  m_table->setSelectionMode(QAbstractItemView::SingleSelection);
  m_table->setEditTriggers(QAbstractItemView::DoubleClicked | QAbstractItemView::EditKeyPressed |
                           QAbstractItemView::AnyKeyPressed | QAbstractItemView::SelectedClicked);
  m_table->setFixedHeight(m_table->horizontalHeader()->sizeHint().height() +
                          kShownRows * m_table->verticalHeader()->defaultSectionSize() + 2 * m_table->frameWidth());
  m_table->installEventFilter(this);
  m_add = Described(new QPushButton(tr("Add ro&w")), "Add target", tr("Adds an empty row (Insert in the table)"));
  m_remove = Described(new QPushButton(tr("Remo&ve")), "Remove target",
                       tr("Removes the chosen row (Delete in the table)"));
  m_load = Described(new QPushButton(tr("Load...")), "Load targets",
                     tr("Reads a file of targets, as quenmar-solve --targets does (Targets menu)"));
  m_save = Described(new QPushButton(tr("Save...")), "Save targets",
                     tr("Writes the targets as a CSV file that quenmar-solve --targets reads (Targets menu)"));
  m_buyCount = Described(new QSpinBox, "Gears to buy", tr("How many gears to buy, 1 to 3"));
  m_buyCount->setRange(1, 3);
  m_candidates = Described(new QLineEdit(QStringLiteral("20..127")), "Candidates",
                           tr("The teeth counts one could buy: counts and ranges A..B, commas between "
                              "(20..127, or 30,35,40..50)"));
  m_buy = Described(new QPushButton(tr("Gear to b&uy")), "Gear to buy",
                    tr("Finds the gears that, added to the owned ones, reach the most targets (every choice "
                       "judged), and shows the chart with them"));
  m_copies = Described(new QSpinBox, "Max copies", tr("The most gears of one count in the set, 1 to 4"));
  m_copies->setRange(1, kMostCopies);
  m_required = Described(new QLineEdit, "Required gears", tr("Gears the set must hold (commas or blanks between)"));
  m_timeLimit = Described(new QSpinBox, "Time limit",
                          tr("Seconds the solver may take before it gives its best set and the lower bound"));
  m_timeLimit->setRange(0, 86400);
  m_timeLimit->setSpecialValueText(tr("none"));
  m_timeLimit->setSuffix(tr(" s"));
  m_cover = Described(new QPushButton(tr("Fewest gear&s")), "Fewest gears",
                      tr("Finds the smallest set of the candidates that reaches every target (proved by the "
                         "solver, or its lower bound after the time limit)"));
  m_leadMessage = new InputMessage(m_lead, 1);
  m_rowsMessage = new InputMessage(m_table, 3);
  m_questionMessage = new InputMessage(m_candidates, 2);

  auto* layout = new QGridLayout(this);
  layout->setContentsMargins(0, 0, 0, 0);
  layout->setVerticalSpacing(4);
  int row = 0;
  auto label = [](const QString& text, QWidget* buddy) {
    auto* l = new QLabel(text);
    l->setBuddy(buddy);
    return l;
  };
  auto line = [](std::initializer_list<QWidget*> widgets, bool stretch = false) {
    auto* box = new QHBoxLayout;
    for (QWidget* w : widgets) box->addWidget(w);
    if (stretch) box->addStretch(1);
    return box;
  };
  layout->addWidget(label(tr("Lea&d screw:"), m_lead), row, 0);
  layout->addWidget(m_lead, row++, 1);
  layout->addWidget(m_leadMessage, row++, 1);
  layout->addWidget(m_table, row++, 0, 1, 2);
  layout->addLayout(line({m_add, m_remove, m_load, m_save}, true), row++, 0, 1, 2);
  layout->addWidget(m_rowsMessage, row++, 0, 1, 2);
  layout->addWidget(label(tr("Candidates:"), m_candidates), row, 0);
  layout->addWidget(m_candidates, row++, 1);
  layout->addWidget(m_questionMessage, row++, 1);
  layout->addLayout(line({label(tr("Buy:"), m_buyCount), m_buyCount, m_buy}, true), row++, 0, 1, 2);
  layout->addLayout(line({label(tr("Copies:"), m_copies), m_copies, label(tr("Time:"), m_timeLimit), m_timeLimit}, true),
                    row++, 0, 1, 2);
  layout->addWidget(label(tr("Required:"), m_required), row, 0);
  layout->addLayout(line({m_required, m_cover}), row++, 1);
  layout->setColumnStretch(1, 1);

  const auto edited = [this] {
    if (!m_writing) emit this->edited();
  };
  connect(m_mode, &QCheckBox::toggled, this, [this, edited](bool on) {
    SetMode(on);
    edited();
  });
  connect(m_lead, &QLineEdit::textChanged, this, edited);
  connect(m_table, &QTableWidget::itemChanged, this, edited);
  connect(m_add, &QPushButton::clicked, this, &TargetsPanel::AddRow);
  connect(m_remove, &QPushButton::clicked, this, &TargetsPanel::RemoveRow);
  connect(m_load, &QPushButton::clicked, this, &TargetsPanel::loadRequested);
  connect(m_save, &QPushButton::clicked, this, &TargetsPanel::saveRequested);
  connect(m_buy, &QPushButton::clicked, this, &TargetsPanel::buyRequested);
  connect(m_cover, &QPushButton::clicked, this, &TargetsPanel::coverRequested);
  for (QLineEdit* edit : {m_candidates, m_required})
    connect(edit, &QLineEdit::textChanged, this, [this] { ShowQuestionProblem({}); });
  ShowQuestionProblem({});
  setVisible(false);
}

void TargetsPanel::Attach(DesignInputs& inputs) {
  auto* grid = qobject_cast<QGridLayout*>(inputs.layout());
  for (auto* edit : inputs.findChildren<QLineEdit*>())
    if (edit->accessibleName() == QLatin1String("Target")) m_target = edit;
  int row = 0, column = 0, rows = 0, columns = 0;
  grid->getItemPosition(grid->indexOf(m_target), &row, &column, &rows, &columns);
  m_targetLabel = qobject_cast<QLabel*>(grid->itemAtPosition(row, 0)->widget());
  m_targetMessage = grid->itemAtPosition(row + 1, 1)->widget();
  grid->removeWidget(m_target);
  auto* beside = new QHBoxLayout;
  beside->addWidget(m_target, 1);
  beside->addWidget(m_mode);
  grid->addLayout(beside, row, 1);
  grid->addWidget(this, row + 1, 0, 1, 2);  // in the message's row, which it hides
  QWidget* after = m_target->nextInFocusChain();
  while (after && after->focusPolicy() == Qt::NoFocus) after = after->nextInFocusChain();
  const std::vector<QWidget*> chain = {m_target, m_mode, m_lead, m_table, m_add, m_remove, m_load, m_save,
                                       m_candidates, m_buyCount, m_buy, m_copies, m_timeLimit, m_required, m_cover};
  for (std::size_t i = 1; i < chain.size(); ++i) setTabOrder(chain[i - 1], chain[i]);
  if (after) setTabOrder(m_cover, after);
  SetMode(m_mode->isChecked());
}

void TargetsPanel::SetMode(bool on) {
  setVisible(on);
  if (!m_target) return;
  m_target->setVisible(!on);
  m_targetMessage->setVisible(!on);
  m_targetLabel->setText(on ? tr("T&argets:") : tr("T&arget:"));
  m_targetLabel->setBuddy(on ? static_cast<QWidget*>(m_table) : m_target);
}

bool TargetsPanel::TargetsMode() const { return m_mode->isChecked(); }

void TargetsPanel::Show(const DesignSetup& setup) {
  m_writing = true;
  m_mode->setChecked(setup.targetsMode);
  SetMode(setup.targetsMode);
  m_lead->setText(QString::fromStdString(setup.leadScrew));
  SetRows(setup.targets);
  m_writing = false;
}

void TargetsPanel::Take(DesignSetup& setup) const {
  setup.targetsMode = m_mode->isChecked();
  setup.leadScrew = m_lead->text().trimmed().toStdString();
  setup.targets = Rows();
}

void TargetsPanel::SetRows(const std::vector<TargetRow>& rows) {
  const bool wasWriting = m_writing;
  m_writing = true;
  m_table->setRowCount(static_cast<int>(rows.size()));
  for (int r = 0; r < static_cast<int>(rows.size()); ++r) {
    const std::string* texts[] = {&rows[r].name, &rows[r].target, &rows[r].tolerance};
    for (int c = 0; c < 3; ++c) m_table->setItem(r, c, new QTableWidgetItem(QString::fromStdString(*texts[c])));
  }
  m_writing = wasWriting;
}

std::vector<TargetRow> TargetsPanel::Rows() const {
  std::vector<TargetRow> rows;
  for (int r = 0; r < m_table->rowCount(); ++r) {
    TargetRow row;
    std::string* texts[] = {&row.name, &row.target, &row.tolerance};
    for (int c = 0; c < 3; ++c)
      if (QTableWidgetItem* item = m_table->item(r, c)) *texts[c] = item->text().trimmed().toStdString();
    rows.push_back(row);
  }
  return rows;
}

void TargetsPanel::AddRow() {
  const int at = m_table->currentRow() < 0 ? m_table->rowCount() : m_table->currentRow() + 1;
  m_writing = true;
  m_table->insertRow(at);
  for (int c = 0; c < 3; ++c) m_table->setItem(at, c, new QTableWidgetItem);
  m_writing = false;
  m_table->setFocus(Qt::OtherFocusReason);
  m_table->setCurrentCell(at, TargetColumn);
  emit edited();
}

void TargetsPanel::RemoveRow() {
  const int row = m_table->currentRow();
  if (row < 0) return;
  m_table->removeRow(row);
  if (m_table->rowCount() > 0) m_table->setCurrentCell(std::min(row, m_table->rowCount() - 1), TargetColumn);
  emit edited();
}

bool TargetsPanel::eventFilter(QObject* watched, QEvent* event) {
  // (While a cell is edited its editor has the keys, so these reach the table only between edits.)
  if (watched == m_table && event->type() == QEvent::KeyPress) {
    const int key = static_cast<QKeyEvent*>(event)->key();
    if (key == Qt::Key_Insert) AddRow();
    else if (key == Qt::Key_Delete) RemoveRow();
    else return QWidget::eventFilter(watched, event);
    return true;
  }
  return QWidget::eventFilter(watched, event);
}

const TargetsPanel::Reading& TargetsPanel::Check(const std::optional<Tolerance>& fallback) {
  const std::vector<TargetRow> rows = Rows();
  const TargetRowsReading read = ReadTargetRows(m_lead->text().trimmed().toStdString(), rows, fallback);
  m_reading = Reading();
  m_reading.lead = read.lead;
  m_reading.targets = read.targets;
  if (read.leadProblem.empty()) m_leadMessage->Show(tr("8tpi, 2mm, 3.175mm; empty: plain ratios only."), false);
  else m_leadMessage->Show(QString::fromStdString(read.leadProblem), true);
  QStringList problems;
  const bool wasWriting = m_writing;
  m_writing = true;
  for (int r = 0; r < static_cast<int>(rows.size()); ++r) {
    const std::string& problem = read.rowProblems[r];
    const bool badTolerance = !problem.empty() && !rows[r].tolerance.empty() &&
                              std::holds_alternative<std::string>(ParseTolerance(rows[r].tolerance));
    for (int c = 0; c < 3; ++c) {
      QTableWidgetItem* item = m_table->item(r, c);
      if (!item) continue;
      const bool wrong = !problem.empty() && c == (badTolerance ? ToleranceColumn : TargetColumn);
      item->setBackground(wrong ? QColor(255, 220, 220) : QBrush());
      item->setToolTip(wrong ? QString::fromStdString(problem) : QString());
    }
    if (!problem.empty()) problems << tr("Row %1: %2").arg(r + 1).arg(QString::fromStdString(problem));
  }
  m_writing = wasWriting;
  if (problems.isEmpty() && m_reading.targets.empty()) problems << tr("Add a target: Insert or Add row.");
  if (problems.isEmpty())
    m_rowsMessage->Show((m_reading.targets.size() == 1 ? tr("1 target.") : tr("%1 targets.").arg(m_reading.targets.size())) +
                            tr(" A ratio, or 1.5mm, 20tpi, module1.25, dp24; tolerance: 0.1%, 5ppm, 0.001."),
                        false);
  else m_rowsMessage->Show(problems.join(QLatin1Char(' ')), true);
  m_reading.ok = read.Ok();
  return m_reading;
}

int TargetsPanel::BuyCount() const { return m_buyCount->value(); }

std::optional<std::vector<int>> TargetsPanel::Candidates() {
  auto parsed = ParseCandidates(m_candidates->text().trimmed().toStdString());
  if (const auto* message = std::get_if<std::string>(&parsed)) {
    ShowQuestionProblem(tr("Candidates: %1").arg(QString::fromStdString(*message)));
    return std::nullopt;
  }
  return std::get<std::vector<int>>(parsed);
}

std::optional<CoverOptions> TargetsPanel::Cover() {
  CoverOptions options;
  auto candidates = Candidates();
  if (!candidates) return std::nullopt;
  options.candidates = *candidates;
  const std::string required = m_required->text().trimmed().toStdString();
  if (!required.empty()) {
    auto parsed = ParseGearField(required);
    if (const auto* message = std::get_if<std::string>(&parsed)) {
      ShowQuestionProblem(tr("Required: %1").arg(QString::fromStdString(*message)));
      m_required->setAccessibleDescription(QString::fromStdString(*message));
      return std::nullopt;
    }
    options.required = std::get<std::vector<int>>(parsed);
  }
  options.maxCopies = m_copies->value();
  options.timeLimit = m_timeLimit->value();
  return options;
}

void TargetsPanel::ShowQuestionProblem(const QString& message) {
  if (message.isEmpty()) {
    m_questionMessage->Show(tr("Counts and ranges such as 20..127, for Gear to buy and Fewest gears."), false);
    m_required->setAccessibleDescription({});
  } else {
    m_questionMessage->Show(message, true);
  }
}

std::optional<std::string> TargetsPanel::LoadTargets(const std::string& text) {
  // Any lead screw reads the threads in: the rows keep their texts, checked against the one typed.
  const auto anyLead = std::get<LeadScrew>(ParseLeadScrew("1mm"));
  auto read = ParseTargetFile(text, anyLead, kNoneOfItsOwn);
  if (const auto* message = std::get_if<std::string>(&read)) return *message;
  std::vector<TargetRow> rows;
  for (const ChartTarget& t : std::get<std::vector<ChartTarget>>(read))
    rows.push_back({t.name, t.target.text, t.tolerance ? t.tolerance->text : std::string()});
  SetRows(rows);
  emit edited();
  return std::nullopt;
}

std::string TargetsPanel::TargetsCsv() const {
  std::vector<TargetRow> rows;
  for (const TargetRow& row : Rows())
    if (!BlankRow(row)) rows.push_back(row);
  return TargetRowsCsv(rows);
}

}  // namespace quenmar::design
