// The help window and its pages: where it opens, where each context leads, and that no link
// of any page points nowhere.
#include "help/HelpContext.h"
#include "help/HelpWindow.h"

#include <QDir>
#include <QFile>
#include <QRegularExpression>
#include <QTextBrowser>
#include <QToolButton>
#include <QtTest>

using namespace quenmar;

namespace {

QString PageText(const QString& page) {
  QFile file(QStringLiteral(":/help/") + page);
  if (!file.open(QIODevice::ReadOnly)) return {};
  return QString::fromUtf8(file.readAll());
}

bool HasAnchor(const QString& html, const QString& anchor) {
  return html.contains(QStringLiteral("name=\"%1\"").arg(anchor)) ||
         html.contains(QStringLiteral("id=\"%1\"").arg(anchor));
}

// Empty when the link (page, page#anchor or #anchor, relative to `from`) leads somewhere.
QString BrokenLink(const QString& from, const QString& link) {
  const qsizetype hash = link.indexOf(QLatin1Char('#'));
  const QString page = hash < 0 ? link : link.left(hash);
  const QString anchor = hash < 0 ? QString() : link.mid(hash + 1);
  const QString text = PageText(page.isEmpty() ? from : page);
  if (text.isEmpty()) return QStringLiteral("%1: no page %2").arg(from, link);
  if (!anchor.isEmpty() && !HasAnchor(text, anchor)) return QStringLiteral("%1: no anchor %2").arg(from, link);
  return {};
}

}  // namespace

class HelpWindowTest : public QObject {
  Q_OBJECT

 private slots:
  void initTestCase() { EnsureHelpPages(); }

  void opensAtContents() {
    CHelpWindow window;
    QCOMPARE(window.CurrentPage(), HelpPageUrl(QStringLiteral("index.html")));
    QCOMPARE(window.Browser()->documentTitle(), QStringLiteral("Quenmar Help"));
    QVERIFY(window.Browser()->toPlainText().contains(QStringLiteral("Push To SOLVE")));
    QVERIFY(!window.isVisible());

    window.ShowPage(QStringLiteral("shortcuts.html"));
    QVERIFY(window.isVisible());
    window.ShowContents();
    QCOMPARE(window.CurrentPage(), HelpPageUrl(QStringLiteral("index.html")));
  }

  void contextOpensItsPage_data() {
    QTest::addColumn<int>("contextId");
    QTest::addColumn<QString>("page");
    QTest::newRow("target") << 1060 << "form.html#target";
    QTest::newRow("range") << 1064 << "form.html#range";
    QTest::newRow("max solutions") << 1154 << "form.html#max-solutions";
    QTest::newRow("min N1") << 1106 << "form.html#teeth";
    QTest::newRow("max N6") << 1098 << "form.html#teeth";
    QTest::newRow("profile N4") << 1052 << "solving.html#profile";
    QTest::newRow("list") << 1156 << "solving.html#list";
    QTest::newRow("solve") << 1049 << "solving.html#solve";
    QTest::newRow("output to file") << 1240 << "results-file.html#choosing";
    QTest::newRow("browse") << 1143 << "results-file.html#choosing";
    QTest::newRow("selector") << 1231 << "configurations.html#choosing";
    QTest::newRow("contact button") << 1146 << "contact-ratio.html";
    QTest::newRow("help contents command") << ID_HELP_FINDER << "index.html";
    QTest::newRow("print command") << 57607 << "shortcuts.html#print";
  }
  void contextOpensItsPage() {
    QFETCH(int, contextId);
    QFETCH(QString, page);
    CHelpWindow window;
    QVERIFY(window.ShowContext(contextId));
    QCOMPARE(window.CurrentPage(), HelpPageUrl(page));
    QVERIFY(window.isVisible());
    QVERIFY(!window.Browser()->toPlainText().isEmpty());
  }

  void unknownContextFallsBackToContents() {
    CHelpWindow window;
    window.ShowPage(QStringLiteral("solving.html"));
    QVERIFY(!window.ShowContext(4242));
    QCOMPARE(window.CurrentPage(), HelpPageUrl(QStringLiteral("index.html")));
  }

  // Every control of the form that takes input has a page.
  void everyFormControlHasAPage() {
    const int ids[] = {1060, 1064, 1154, 1106, 1108, 1109, 1110, 1112, 1113, 1099, 1102, 1103, 1104,
                       1105, 1098, 1042, 1043, 1044, 1052, 1046, 1045, 1156, 1049, 1242, 1240, 1143,
                       1243, 1231, 1146};
    for (int id : ids) QVERIFY2(!HelpPageForContext(id).isEmpty(), qPrintable(QString::number(id)));
  }

  void everyContextLeadsSomewhere() {
    for (const HelpContextEntry& entry : HelpContextMap()) {
      const QString broken = BrokenLink(QStringLiteral("context %1").arg(entry.id), QString::fromLatin1(entry.page));
      QVERIFY2(broken.isEmpty(), qPrintable(broken));
    }
  }

  void everyLinkResolves() {
    const QStringList pages = QDir(QStringLiteral(":/help")).entryList({QStringLiteral("*.html")});
    QCOMPARE(pages.size(), 8);
    static const QRegularExpression href(QStringLiteral("href=\"([^\"]*)\""));
    int links = 0;
    for (const QString& page : pages) {
      const QString text = PageText(page);
      QVERIFY2(text.contains(QStringLiteral("<title>")), qPrintable(page));
      if (page != QLatin1String("index.html"))
        QVERIFY2(text.contains(QStringLiteral("href=\"index.html\"")), qPrintable(page + ": no way back"));
      for (auto it = href.globalMatch(text); it.hasNext(); ++links) {
        const QString broken = BrokenLink(page, it.next().captured(1));
        QVERIFY2(broken.isEmpty(), qPrintable(broken));
      }
    }
    QVERIFY(links > pages.size());
  }

  void backAndForward() {
    CHelpWindow window;
    auto* back = window.findChild<QToolButton*>(QStringLiteral("helpBack"));
    auto* forward = window.findChild<QToolButton*>(QStringLiteral("helpForward"));
    QVERIFY(back && forward);
    QVERIFY(!back->isEnabled());
    window.ShowPage(QStringLiteral("solving.html"));
    QVERIFY(back->isEnabled());
    QTest::mouseClick(back, Qt::LeftButton);
    QCOMPARE(window.CurrentPage(), HelpPageUrl(QStringLiteral("index.html")));
    QVERIFY(forward->isEnabled());
    QTest::mouseClick(forward, Qt::LeftButton);
    QCOMPARE(window.CurrentPage(), HelpPageUrl(QStringLiteral("solving.html")));
    QVERIFY(window.windowTitle().contains(window.Browser()->documentTitle()));
  }
};

int RunHelpWindowTest(int argc, char** argv) {
  HelpWindowTest test;
  return QTest::qExec(&test, argc, argv);
}

#include "HelpWindowTest.moc"
