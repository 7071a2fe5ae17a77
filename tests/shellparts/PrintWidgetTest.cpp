// Printing a widget on one page: where it lands, and that a PDF of it is really written.
#include "print/PrintWidget.h"

#include <QFile>
#include <QLabel>
#include <QLineEdit>
#include <QPrinter>
#include <QTemporaryDir>
#include <QVBoxLayout>
#include <QtTest>

using namespace quenmar;

namespace {

QByteArray PrintToPdf(QWidget& widget, const QString& path, bool* printed = nullptr) {
  QPrinter printer(QPrinter::HighResolution);
  printer.setOutputFormat(QPrinter::PdfFormat);
  printer.setOutputFileName(path);
  const bool ok = PrintWidget(widget, printer);
  if (printed) *printed = ok;
  QFile file(path);
  return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

}  // namespace

class PrintWidgetTest : public QObject {
  Q_OBJECT

 private slots:
  void fitCentred_data() {
    QTest::addColumn<QSizeF>("content");
    QTest::addColumn<QRectF>("page");
    QTest::addColumn<QRectF>("expected");
    QTest::newRow("wide content fills the width") << QSizeF(200, 100) << QRectF(0, 0, 100, 100)
                                                  << QRectF(0, 25, 100, 50);
    QTest::newRow("tall content fills the height") << QSizeF(100, 400) << QRectF(0, 0, 100, 100)
                                                   << QRectF(37.5, 0, 25, 100);
    QTest::newRow("small content is enlarged") << QSizeF(10, 10) << QRectF(0, 0, 200, 100)
                                               << QRectF(50, 0, 100, 100);
    QTest::newRow("page with an offset") << QSizeF(50, 50) << QRectF(10, 20, 100, 200)
                                         << QRectF(10, 70, 100, 100);
    QTest::newRow("empty content") << QSizeF(0, 10) << QRectF(0, 0, 100, 100) << QRectF();
    QTest::newRow("empty page") << QSizeF(10, 10) << QRectF(0, 0, 0, 100) << QRectF();
  }
  void fitCentred() {
    QFETCH(QSizeF, content);
    QFETCH(QRectF, page);
    QFETCH(QRectF, expected);
    QCOMPARE(FitCentred(content, page), expected);
  }

  void writesOnePagePdf() {
    QTemporaryDir dir;
    QWidget blank;
    blank.resize(400, 300);
    QWidget form;
    auto* layout = new QVBoxLayout(&form);
    layout->addWidget(new QLabel(QStringLiteral("Target Reduction"), &form));
    layout->addWidget(new QLineEdit(QStringLiteral("3.624"), &form));
    layout->addWidget(new QLabel(QStringLiteral("Convergence Range"), &form));
    form.resize(400, 300);

    bool printed = false;
    const QByteArray blankPdf = PrintToPdf(blank, dir.filePath(QStringLiteral("blank.pdf")));
    const QByteArray formPdf = PrintToPdf(form, dir.filePath(QStringLiteral("form.pdf")), &printed);
    QVERIFY(printed);
    QVERIFY(formPdf.startsWith("%PDF-"));
    QCOMPARE(formPdf.count("/Type /Page\n") + formPdf.count("/Type /Page\r") + formPdf.count("/Type /Page "), 1);
    QVERIFY2(formPdf.size() > blankPdf.size() + 1000, "the form's controls and texts are drawn");
  }

  void nothingToPrint_data() {
    QTest::addColumn<QSize>("size");
    QTest::addColumn<QString>("file");
    QTest::newRow("widget without a size") << QSize(0, 0) << "empty.pdf";
    QTest::newRow("file that cannot be written") << QSize(100, 100) << "missing-folder/form.pdf";
  }
  void nothingToPrint() {
    QFETCH(QSize, size);
    QFETCH(QString, file);
    QTemporaryDir dir;
    QWidget widget;
    widget.resize(size);
    bool printed = true;
    PrintToPdf(widget, dir.filePath(file), &printed);
    QVERIFY(!printed);
    QVERIFY(!QFile::exists(dir.filePath(file)));
  }
};

int RunPrintWidgetTest(int argc, char** argv) {
  PrintWidgetTest test;
  return QTest::qExec(&test, argc, argv);
}

#include "PrintWidgetTest.moc"
