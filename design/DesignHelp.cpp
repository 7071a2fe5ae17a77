#include "DesignHelp.h"

#include <QDialogButtonBox>
#include <QPushButton>
#include <QTextBrowser>
#include <QTextDocument>
#include <QVBoxLayout>

// The resources of a static library are registered by name, outside any namespace.
static void InitDesignResources() { Q_INIT_RESOURCE(design); }

namespace quenmar::design {

namespace {
const QUrl kPage(QStringLiteral("qrc:/quenmar-design/help.html"));
}

DesignHelp::DesignHelp(QWidget* parent) : QDialog(parent) {
  InitDesignResources();
  setWindowTitle(tr("Quenmar Design Help"));
  m_page = new QTextBrowser;
  m_page->setAccessibleName(tr("Help page"));
  m_page->setOpenExternalLinks(true);
  m_page->setSource(kPage);
  auto* buttons = new QDialogButtonBox(QDialogButtonBox::Close);
  connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::close);
  auto* layout = new QVBoxLayout(this);
  layout->addWidget(m_page);
  layout->addWidget(buttons);
  resize(640, 620);
}

void DesignHelp::ShowTopic(const QString& topic) {
  QUrl url = kPage;
  if (!topic.isEmpty()) url.setFragment(topic);
  m_page->setSource(url);
  if (topic.isEmpty()) m_page->scrollToAnchor(QStringLiteral("top"));
  show();
  raise();
  activateWindow();
  m_page->setFocus(Qt::OtherFocusReason);
}

QString DesignHelp::Topic() const { return m_page->source().fragment(); }

bool DesignHelp::HasTopic(const QString& topic) const {
  return m_page->document()->toHtml().contains(QStringLiteral("name=\"%1\"").arg(topic));
}

}  // namespace quenmar::design
