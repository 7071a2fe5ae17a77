#include "HelpWindow.h"

#include "HelpContext.h"

#include <QHBoxLayout>
#include <QTextBrowser>
#include <QToolButton>
#include <QVBoxLayout>

namespace quenmar {

CHelpWindow::CHelpWindow(QWidget* parent)
    : QWidget(parent, Qt::Window),
      m_browser(new QTextBrowser(this)),
      m_btnContents(new QToolButton(this)),
      m_btnBack(new QToolButton(this)),
      m_btnForward(new QToolButton(this)) {
  EnsureHelpPages();
  setWindowTitle(tr("Quenmar Help"));
  setObjectName(QStringLiteral("helpWindow"));
  resize(680, 560);

  m_btnContents->setObjectName(QStringLiteral("helpContents"));
  m_btnBack->setObjectName(QStringLiteral("helpBack"));
  m_btnForward->setObjectName(QStringLiteral("helpForward"));
  m_btnContents->setText(tr("&Contents"));
  m_btnBack->setText(tr("&Back"));
  m_btnForward->setText(tr("&Forward"));
  m_btnBack->setEnabled(false);
  m_btnForward->setEnabled(false);
  m_browser->setOpenExternalLinks(true);
  m_browser->setAccessibleName(tr("Help page"));

  auto* buttons = new QHBoxLayout;
  buttons->addWidget(m_btnContents);
  buttons->addWidget(m_btnBack);
  buttons->addWidget(m_btnForward);
  buttons->addStretch();
  auto* layout = new QVBoxLayout(this);
  layout->addLayout(buttons);
  layout->addWidget(m_browser);

  connect(m_btnContents, &QToolButton::clicked, this, [this] { ShowContents(); });
  connect(m_btnBack, &QToolButton::clicked, m_browser, &QTextBrowser::backward);
  connect(m_btnForward, &QToolButton::clicked, m_browser, &QTextBrowser::forward);
  connect(m_browser, &QTextBrowser::backwardAvailable, m_btnBack, &QToolButton::setEnabled);
  connect(m_browser, &QTextBrowser::forwardAvailable, m_btnForward, &QToolButton::setEnabled);
  connect(m_browser, &QTextBrowser::sourceChanged, this, [this] {
    const QString title = m_browser->documentTitle();
    setWindowTitle(title.isEmpty() ? tr("Quenmar Help") : tr("Quenmar Help - %1").arg(title));
  });

  m_browser->setSource(HelpPageUrl(QString::fromLatin1(kHelpContentsPage)));
}

void CHelpWindow::ShowContents() { ShowPage(QString::fromLatin1(kHelpContentsPage)); }

bool CHelpWindow::ShowContext(int contextId) {
  const QString page = HelpPageForContext(contextId);
  ShowPage(page.isEmpty() ? QString::fromLatin1(kHelpContentsPage) : page);
  return !page.isEmpty();
}

void CHelpWindow::ShowPage(const QString& page) {
  m_browser->setSource(HelpPageUrl(page));
  Present();
}

QUrl CHelpWindow::CurrentPage() const { return m_browser->source(); }

void CHelpWindow::Present() {
  if (isMinimized()) showNormal();
  show();
  raise();
  activateWindow();
}

}  // namespace quenmar
