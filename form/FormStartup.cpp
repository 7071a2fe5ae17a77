// Start-up of the form (on the first document and on every later one, on the same form),
// the choice of the output file, and the instructions command.

#include <QComboBox>
#include <QDate>
#include <QDir>
#include <QFileDialog>
#include <QGuiApplication>
#include <QLayout>
#include <QProgressBar>
#include <QPushButton>
#include <QRadioButton>
#include <QScreen>
#include <QSettings>

#include "ColorButton.h"
#include "FormTables.h"
#include "Presenter.h"
#include "QuenmarView.h"
#include "SpinButton.h"

using namespace quenmar;
using namespace quenmar::form;

namespace {

constexpr const char* kSettingsOrganisation = "Local AppWizard-Generated Applications";
constexpr const char* kSettingsApplication = "Quenmar";
constexpr const char* kContactRatioKey = "Features/ContactRatio";

}  // namespace

const QString& CQuenmarView::CaptionSuffix() {
  static const QString suffix =
      QString(17, u' ') + QStringLiteral("External Spur Quenmar V1.01");
  return suffix;
}

bool CQuenmarView::ContactRatioFeatureEnabled() {
  const QSettings settings(QString::fromUtf8(kSettingsOrganisation),
                           QString::fromUtf8(kSettingsApplication));
  return settings.value(QString::fromUtf8(kContactRatioKey), false).toBool();
}

QString CQuenmarView::DefaultOutputPath() {
  const QString home = QDir::toNativeSeparators(QDir::home().filePath(QStringLiteral("Quenmar.txt")));
  // The field takes at most kOutputPathLimit characters; a longer default would make every
  // read of the form fail.
  return home.size() <= kOutputPathLimit ? home : QStringLiteral("Quenmar.txt");
}

void CQuenmarView::FitFrameAroundForm() {
  QWidget* frame = window();
  if (frame->layout()) frame->layout()->activate();
  if (frame != this) frame->resize(frame->sizeHint());
  else resize(m_built.clientSize);
  // Centred once its size is known.
  if (const QScreen* screen = frame->screen() ? frame->screen() : QGuiApplication::primaryScreen()) {
    QRect place = frame->frameGeometry();
    place.moveCenter(screen->availableGeometry().center());
    frame->move(place.topLeft());
  }
}

void CQuenmarView::OnInitialUpdate() {
  // From here on a spin button's change recomputes the reduction.
  m_bFormReady = true;
  UpdateData(false);

  window()->setWindowTitle(m_strDocumentTitle + CaptionSuffix());
  FitFrameAroundForm();

  const bool contactRatio = ContactRatioFeatureEnabled();
  m_btnContactRatio->setVisible(contactRatio);
  m_btnContactRatio->setEnabled(contactRatio);
  UpdateData(false);

  // The layout holds five entries; the sixth is appended once, so a later start-up finds
  // it there and the selector keeps exactly six.
  const QString tripleEqual =
      QString::fromUtf8(Configuration(kStartupConfiguration).selectorEntry.data(),
                        static_cast<qsizetype>(Configuration(kStartupConfiguration).selectorEntry.size()));
  if (m_wndConfiguration->findText(tripleEqual, Qt::MatchExactly) < 0)
    m_wndConfiguration->addItem(tripleEqual);
  UpdateData(false);

  for (int g = 0; g < kGearCount; ++g) m_wndSpin[g]->setRange(m_nMinTeeth[g], m_nMaxTeeth[g]);
  m_wndProgress->setRange(0, 100);
  m_wndProgress->setValue(m_nProgress);

  m_wndConfiguration->setCurrentIndex(kStartupConfiguration);
  OnSelChangeConfiguration();

  m_btnOutputToFile->setChecked(false);
  m_btnOutputToList->setChecked(true);

  m_btnSolve->SetColors(QColor(kSolveText.r, kSolveText.g, kSolveText.b),
                        QColor(kSolveFace.r, kSolveFace.g, kSolveFace.b),
                        QColor(kSolveFaceDisabled.r, kSolveFaceDisabled.g, kSolveFaceDisabled.b));

  if (!m_bToolTipsInstalled) {
    for (const ControlText& tip : kToolTips)
      if (QWidget* control = GetDlgItem(tip.id)) control->setToolTip(QString::fromUtf8(tip.text));
    m_bToolTipsInstalled = true;
  }

  // The date of the results file header; only start-up renews it.
  const QDate today = QDate::currentDate();
  m_nDay = today.day();
  m_nMonth = today.month();
  m_nYear = today.year();
  UpdateData(false);
}

void CQuenmarView::OnBrowse() {
  QFileDialog dialog(this, QStringLiteral("Quenmar File Open Dialog"));
  // The output file need not exist yet.
  dialog.setFileMode(QFileDialog::AnyFile);
  dialog.setAcceptMode(QFileDialog::AcceptOpen);
  dialog.setNameFilter(QStringLiteral("All Files (*)"));
  dialog.setOption(QFileDialog::DontUseNativeDialog);
  if (Presenter::current().execDialog(dialog) != QDialog::Accepted) return;

  const QString path = QDir::toNativeSeparators(dialog.selectedFiles().value(0));
  if (path.isEmpty()) return;
  if (path.size() > kOutputPathLimit) {
    // Taking it would make every later read of the form fail on the path field.
    MessageBox(QStringLiteral("The file name is too long: at most %1 characters are allowed. "
                              "The output file stays %2")
                   .arg(kOutputPathLimit)
                   .arg(m_strOutputPath),
               MessageIcon::Exclamation, MessageButtons::Ok, this);
    return;
  }
  m_strOutputPath = path;
  MessageBox(QStringLiteral("Your file name is :") + path, MessageIcon::Exclamation,
             MessageButtons::Ok, this);
  UpdateData(false);
}

void CQuenmarView::OnInstructions() {
  if (m_instructionsCommand) m_instructionsCommand();
  UpdateData(false);
}
