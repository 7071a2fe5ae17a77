#include "PlanetaryInputs.h"

#include <QCheckBox>
#include <QComboBox>
#include <QGridLayout>
#include <QLabel>
#include <QLineEdit>

#include "InputMessage.h"
#include "PlanetaryOptions.h"

namespace quenmar::design {

namespace {

struct FieldText {
  const char* label;
  const char* name;     // accessible name
  const char* topic;    // help topic
  const char* tip;
  const char* accepts;  // the hint while what is typed is sound
};
const FieldText kFields[] = {
    {QT_TRANSLATE_NOOP("PlanetaryInputs", "S&un teeth:"), "Sun teeth", "planetary-teeth",
     QT_TRANSLATE_NOOP("PlanetaryInputs", "The sun's teeth: a range such as 8..40, or one count."),
     QT_TRANSLATE_NOOP("PlanetaryInputs", "A teeth range such as 8..40, 1 to 500.")},
    {QT_TRANSLATE_NOOP("PlanetaryInputs", "&Planet teeth:"), "Planet teeth", "planetary-teeth",
     QT_TRANSLATE_NOOP("PlanetaryInputs", "The planet gear's teeth (of a stepped or split-ring planet, the "
                                          "step meshing the sun and the first ring): a range such as 10..60."),
     QT_TRANSLATE_NOOP("PlanetaryInputs", "A teeth range such as 10..60, 1 to 500.")},
    {QT_TRANSLATE_NOOP("PlanetaryInputs", "Planet &2 teeth:"), "Planet 2 teeth", "planetary-teeth",
     QT_TRANSLATE_NOOP("PlanetaryInputs", "The planet's second step, on the same shaft: of a stepped planet "
                                          "the gear meshing the ring, of a split-ring planet the one meshing "
                                          "the second ring. Empty for a split ring: one planet gear meshes both."),
     QT_TRANSLATE_NOOP("PlanetaryInputs", "A teeth range; for a split ring empty: one planet gear.")},
    {QT_TRANSLATE_NOOP("PlanetaryInputs", "&Ring teeth:"), "Ring teeth", "planetary-teeth",
     QT_TRANSLATE_NOOP("PlanetaryInputs", "The ring's internal teeth (of a split ring, the held first ring)."),
     QT_TRANSLATE_NOOP("PlanetaryInputs", "A teeth range such as 30..150, 1 to 500.")},
    {QT_TRANSLATE_NOOP("PlanetaryInputs", "Ring 2 t&eeth:"), "Ring 2 teeth", "planetary-teeth",
     QT_TRANSLATE_NOOP("PlanetaryInputs", "The second ring of a split-ring (Wolfrom) train, the output."),
     QT_TRANSLATE_NOOP("PlanetaryInputs", "A teeth range such as 30..150, 1 to 500.")},
    {QT_TRANSLATE_NOOP("PlanetaryInputs", "Pla&nets:"), "Planets", "planets",
     QT_TRANSLATE_NOOP("PlanetaryInputs", "How many planets the carrier holds: 2 to 12, one number or a range such as 3..5."),
     QT_TRANSLATE_NOOP("PlanetaryInputs", "2 to 12: a number or a range such as 3..5.")},
    {QT_TRANSLATE_NOOP("PlanetaryInputs", "He&ld:"), "Held member", "held-input",
     QT_TRANSLATE_NOOP("PlanetaryInputs", "The member that stands still; any searches each. A split ring's "
                                          "first ring is always held."),
     QT_TRANSLATE_NOOP("PlanetaryInputs", "The third member, neither held nor driving, is the output.")},
    {QT_TRANSLATE_NOOP("PlanetaryInputs", "&Input:"), "Input member", "held-input",
     QT_TRANSLATE_NOOP("PlanetaryInputs", "The member that drives; any searches each. A split-ring train is "
                                          "driven by the sun or the carrier, and its second ring is the output."),
     QT_TRANSLATE_NOOP("PlanetaryInputs", "Not the held member.")},
    {QT_TRANSLATE_NOOP("PlanetaryInputs", "Spa&cing:"), "Spacing", "spacing",
     QT_TRANSLATE_NOOP("PlanetaryInputs", "even: planets evenly spaced round the carrier; any: wherever every "
                                          "mesh engages, nearest to even (the angles are reported)."),
     QT_TRANSLATE_NOOP("PlanetaryInputs", "Even, or any positions where every mesh engages.")},
};

}  // namespace

PlanetaryInputs::PlanetaryInputs(QWidget* parent) : QWidget(parent) {
  auto* grid = new QGridLayout(this);
  grid->setContentsMargins(0, 0, 0, 0);
  grid->setColumnStretch(1, 1);
  grid->setVerticalSpacing(4);
  int row = 0;
  for (int f = 0; f < FieldCount; ++f) {
    QWidget* input = nullptr;
    if (f == Held || f == Input) {
      auto* members = new QComboBox;
      members->addItems({QStringLiteral("sun"), QStringLiteral("ring"), QStringLiteral("carrier"), QStringLiteral("any")});
      connect(members, &QComboBox::currentIndexChanged, this, &PlanetaryInputs::edited);
      input = members;
    } else if (f == Spacing) {
      auto* spacing = new QComboBox;
      spacing->addItems({tr("even"), tr("any")});
      connect(spacing, &QComboBox::currentIndexChanged, this, &PlanetaryInputs::edited);
      input = spacing;
    } else {
      auto* edit = new QLineEdit;
      connect(edit, &QLineEdit::textChanged, this, &PlanetaryInputs::edited);
      input = edit;
    }
    input->setAccessibleName(QString::fromLatin1(kFields[f].name));
    input->setToolTip(tr(kFields[f].tip));
    input->setProperty("helpTopic", QString::fromLatin1(kFields[f].topic));
    auto* label = new QLabel(tr(kFields[f].label));
    label->setBuddy(input);
    m_inputs[f] = input;
    m_labels[f] = label;
    m_messages[f] = new InputMessage(input, 2);
    grid->addWidget(label, row, 0);
    grid->addWidget(input, row++, 1);
    grid->addWidget(m_messages[f], row++, 1);
  }
  m_oneModule = new QCheckBox(tr("One m&odule"));
  m_oneModule->setAccessibleName(QStringLiteral("One module"));
  m_oneModule->setToolTip(tr("Stepped and split-ring planets: every mesh at the first mesh's module (else "
                             "the second mesh takes the module that gives it the carrier's centre distance)."));
  m_oneModule->setProperty("helpTopic", QStringLiteral("one-module"));
  connect(m_oneModule, &QCheckBox::toggled, this, &PlanetaryInputs::edited);
  grid->addWidget(m_oneModule, row++, 1);

  m_profileShift = new QCheckBox(tr("Pro&file shift, up to:"));
  m_profileShift->setAccessibleName(QStringLiteral("Planetary profile shift"));
  m_profileShift->setToolTip(tr("Simple sets: a ring other than sun + 2 planet teeth, bridged by shifting the sun "
                                "and planet to the ring mesh's centre distance (the shifts are listed)."));
  m_profileShift->setProperty("helpTopic", QStringLiteral("planetary-shift"));
  m_maxShift = new QLineEdit;
  m_maxShift->setAccessibleName(QStringLiteral("Largest shift"));
  m_maxShift->setToolTip(tr("The largest profile shift of a gear, in modules: 0 to 2."));
  m_maxShift->setProperty("helpTopic", QStringLiteral("planetary-shift"));
  m_shiftMessage = new InputMessage(m_maxShift, 2);
  connect(m_profileShift, &QCheckBox::toggled, this, [this](bool on) {
    m_maxShift->setEnabled(on);
    emit edited();
  });
  connect(m_maxShift, &QLineEdit::textChanged, this, &PlanetaryInputs::edited);
  grid->addWidget(m_profileShift, row, 0);
  grid->addWidget(m_maxShift, row++, 1);
  grid->addWidget(m_shiftMessage, row++, 1);
}

std::vector<QWidget*> PlanetaryInputs::TabChain() const {
  std::vector<QWidget*> chain(m_inputs.begin(), m_inputs.end());
  chain.push_back(m_oneModule);
  chain.push_back(m_profileShift);
  chain.push_back(m_maxShift);
  return chain;
}

void PlanetaryInputs::Show(const DesignSetup& setup) {
  const QSignalBlocker block(this);
  const std::pair<Field, const std::string*> texts[] = {{Sun, &setup.sun},   {Planet, &setup.planet}, {Planet2, &setup.planet2},
                                                        {Ring, &setup.ring}, {Ring2, &setup.ring2},   {Planets, &setup.planets}};
  for (const auto& [field, text] : texts) {
    auto* edit = static_cast<QLineEdit*>(m_inputs[field]);
    if (edit->text().toStdString() != *text) edit->setText(QString::fromStdString(*text));
  }
  for (const auto& [field, text] : {std::pair{Held, &setup.held}, {Input, &setup.input}}) {
    auto* members = static_cast<QComboBox*>(m_inputs[field]);
    // A list saved by hand (sun,carrier) is offered as it stands.
    const QString member = QString::fromStdString(*text);
    if (members->findText(member) < 0) members->addItem(member);
    members->setCurrentText(member);
  }
  static_cast<QComboBox*>(m_inputs[Spacing])->setCurrentIndex(setup.anySpacing ? 1 : 0);
  m_oneModule->setChecked(setup.oneModule);
  m_profileShift->setChecked(setup.planetaryShift);
  if (m_maxShift->text().toStdString() != setup.planetaryMaxShift) m_maxShift->setText(QString::fromStdString(setup.planetaryMaxShift));
  m_maxShift->setEnabled(setup.planetaryShift);
  ShowRows(setup);
}

void PlanetaryInputs::Take(DesignSetup& setup) {
  const std::pair<Field, std::string*> texts[] = {{Sun, &setup.sun},   {Planet, &setup.planet}, {Planet2, &setup.planet2},
                                                  {Ring, &setup.ring}, {Ring2, &setup.ring2},   {Planets, &setup.planets}};
  for (const auto& [field, text] : texts) *text = static_cast<QLineEdit*>(m_inputs[field])->text().trimmed().toStdString();
  setup.held = static_cast<QComboBox*>(m_inputs[Held])->currentText().toStdString();
  setup.input = static_cast<QComboBox*>(m_inputs[Input])->currentText().toStdString();
  setup.anySpacing = static_cast<QComboBox*>(m_inputs[Spacing])->currentIndex() == 1;
  setup.oneModule = m_oneModule->isChecked();
  setup.planetaryShift = m_profileShift->isChecked();
  setup.planetaryMaxShift = m_maxShift->text().trimmed().toStdString();
  ShowRows(setup);
}

// The inputs the kind has: a second planet for stepped and split-ring sets, a second ring
// for split-ring ones, and no sun when the carrier alone drives a split ring.
void PlanetaryInputs::ShowRows(const DesignSetup& setup) {
  const bool wolfrom = setup.planetary == "wolfrom";
  const bool stepped = setup.planetary == "stepped";
  const bool sun = !wolfrom || setup.input.find("sun") != std::string::npos || setup.input == "any";
  const bool shown[] = {sun, true, wolfrom || stepped, true, wolfrom, true, !wolfrom, true, true};
  for (int f = 0; f < FieldCount; ++f)
    for (QWidget* w : {m_inputs[f], m_labels[f], static_cast<QWidget*>(m_messages[f])}) w->setVisible(shown[f]);
  m_oneModule->setVisible(wolfrom || stepped);
  for (QWidget* w : {static_cast<QWidget*>(m_profileShift), static_cast<QWidget*>(m_maxShift), static_cast<QWidget*>(m_shiftMessage)})
    w->setVisible(!wolfrom && !stepped);
}

void PlanetaryInputs::ShowProblem(const std::string& message) {
  static const char* const kOptions[] = {"--sun", "--planet", "", "--ring", "", "--planets", "--held", "--input", "--spacing"};
  const PlanetaryProblem problem = message.empty() ? PlanetaryProblem{} : SplitPlanetaryProblem(message);
  Field at = FieldCount;
  for (int f = 0; f < FieldCount && !message.empty(); ++f)
    if (problem.option == kOptions[f]) at = static_cast<Field>(f);
  // A second range's problem ("two teeth ranges") stands beside the second input when one is shown.
  if (at == Planet && m_inputs[Planet2]->isVisibleTo(this) && problem.text.find("two") != std::string::npos) at = Planet2;
  if (at == Ring && m_inputs[Ring2]->isVisibleTo(this) &&
      (problem.text.find("two") != std::string::npos || problem.text.find("second ring") != std::string::npos))
    at = Ring2;
  const bool shift = !message.empty() && problem.option == "--profile-shift";
  m_shiftMessage->Show(shift ? QString::fromStdString(problem.text) : tr("The largest shift of a gear, 0 to 2."), shift);
  if (shift) at = FieldCount;
  else if (at == FieldCount && !message.empty()) at = Planets;  // a whole that no one input owns
  for (int f = 0; f < FieldCount; ++f)
    m_messages[f]->Show(f == at ? QString::fromStdString(at == Planets && problem.option != "--planets" ? message : problem.text)
                                : tr(kFields[f].accepts),
                        f == at);
}

}  // namespace quenmar::design
