// The application shell driven in-process: start-up paths through the disclaimer, New, Open,
// Save and the recent files, the frame's shortcut table, status bar, size limits, help and
// printing. Dialogs are answered through the presenter seam; settings and the classes root live
// in a temporary folder.

#include <QAbstractButton>
#include <QApplication>
#include <QClipboard>
#include <QComboBox>
#include <QFileDialog>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QMenuBar>
#include <QPrintDialog>
#include <QPrinter>
#include <QSettings>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QTest>
#include <QTextBrowser>
#include <QWhatsThis>

#include <memory>

#include "ContactRatioLayout.h"
#include "DisclaimerDlg.h"
#include "FormLayout.h"
#include "MainFrame.h"
#include "MainFrameMenu.h"
#include "Presenter.h"
#include "QuenmarApp.h"
#include "QuenmarDoc.h"
#include "QuenmarView.h"
#include "ResourceIds.h"
#include "SingleDocTemplate.h"
#include "SolveCommand.h"
#include "help/HelpWindow.h"
#include "server/SocketsLayer.h"

using namespace quenmar;
using Scripted = ScriptedPresenter;

namespace {

QTemporaryDir* g_home = nullptr;

const QString kCaptionSuffix = QString(17, u' ') + QStringLiteral("External Spur Quenmar V1.01");

// How the user answers the disclaimer.
enum class Answer { Agree, Disagree, Escape, CloseBox };

Scripted::DialogAction Answering(Answer answer) {
  return [answer](QDialog& dialog) {
    switch (answer) {
      case Answer::Agree: dialog.findChild<QAbstractButton*>(QString::number(IDOK))->click(); break;
      case Answer::Disagree: dialog.findChild<QAbstractButton*>(QString::number(IDCANCEL))->click(); break;
      case Answer::Escape: QTest::keyClick(&dialog, Qt::Key_Escape); break;
      case Answer::CloseBox: dialog.close(); break;
    }
  };
}

QString WriteFile(const QString& name, const QByteArray& content) {
  const QString path = g_home->filePath(name);
  QFile file(path);
  file.open(QIODevice::WriteOnly | QIODevice::Truncate);
  file.write(content);
  return path;
}

QByteArray ReadFile(const QString& path) {
  QFile file(path);
  return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray("<unreadable>");
}

QList<QWidget*> VisibleWindows() {
  QList<QWidget*> shown;
  for (QWidget* w : QApplication::topLevelWidgets())
    if (w->isVisible()) shown.append(w);
  return shown;
}

QLineEdit* FormField(CMainFrame& frame, int id) {
  return frame.GetActiveView()->findChild<QLineEdit*>(QString::number(id));
}

// A file dialog answered with a file.
Scripted::DialogAction Choosing(const QString& path) {
  return [path](QDialog& dialog) {
    auto& files = dynamic_cast<QFileDialog&>(dialog);
    files.selectFile(path);
    static_cast<QDialog&>(files).done(QDialog::Accepted);
  };
}

}  // namespace

class ShellTest : public QObject {
  Q_OBJECT

  // A started application whose frame stands (the disclaimer agreed).
  std::unique_ptr<CQuenmarApp> StartAgreed(Scripted& presenter) {
    auto app = std::make_unique<CQuenmarApp>();
    presenter.answerDialog(Answering(Answer::Agree));
    if (!app->InitInstance({QStringLiteral("quenmar")}) || !app->GetMainWnd()) return nullptr;
    presenter.clear();
    return app;
  }

 private slots:
  void cleanup() {
    for (QWidget* w : QApplication::topLevelWidgets())
      if (w->isVisible()) w->hide();
    QSettings().remove(QString());
  }

  void startUpWithoutFile_data() {
    QTest::addColumn<int>("answer");
    QTest::addColumn<bool>("started");
    QTest::newRow("I AGREE") << int(Answer::Agree) << true;
    QTest::newRow("I DISAGREE") << int(Answer::Disagree) << false;
    QTest::newRow("Esc") << int(Answer::Escape) << false;
    QTest::newRow("close box") << int(Answer::CloseBox) << false;
  }
  void startUpWithoutFile() {
    QFETCH(int, answer);
    QFETCH(bool, started);
    Scripted presenter;
    bool windowShownBeforeAnswer = true;
    presenter.answerDialog([&](QDialog& dialog) {
      windowShownBeforeAnswer = VisibleWindows() != QList<QWidget*>{&dialog};
      Answering(Answer(answer))(dialog);
    });
    CQuenmarApp app;
    QCOMPARE(app.InitInstance({QStringLiteral("quenmar")}), started);

    QCOMPARE(presenter.dialogs().size(), 1);
    QCOMPARE(presenter.dialogs()[0].dialogClass, QStringLiteral("CDisclaimerDlg"));
    QVERIFY(!windowShownBeforeAnswer);
    QVERIFY(presenter.messages().isEmpty());
    if (started) {
      CMainFrame* frame = app.GetMainWnd();
      QVERIFY(frame && frame->isVisible());
      QCOMPARE(frame->windowTitle(), QStringLiteral("Brassmoor") + kCaptionSuffix);
      auto* selector = frame->GetActiveView()->findChild<QComboBox*>(QString::number(form::kConfigurationSelector));
      QCOMPARE(selector->currentText(), QStringLiteral("Triple With Equal Compounds"));
    } else {
      QVERIFY(!app.GetMainWnd());
      QVERIFY(!app.GetDocTemplate()->GetFrame());
      QVERIFY(VisibleWindows().isEmpty());
      QVERIFY(!g_bDisclaimerAccepted);
    }
    QCOMPARE(app.ExitInstance(), 0);
  }

  void startUpWithFile() {
    const QString existing = WriteFile(QStringLiteral("gears.qmr"), "kept as it is");
    const QString missing = g_home->filePath(QStringLiteral("absent.qmr"));
    {
      Scripted presenter;
      CQuenmarApp app;
      QVERIFY(app.InitInstance({QStringLiteral("quenmar"), existing}));
      QVERIFY(presenter.shown().isEmpty());  // no disclaimer
      QCOMPARE(app.GetMainWnd()->windowTitle(), QStringLiteral("gears.qmr") + kCaptionSuffix);
      QCOMPARE(ReadFile(existing), QByteArray("kept as it is"));
      QCOMPARE(app.GetRecentFileList()->Files(), QStringList{existing});
      QCOMPARE(app.ExitInstance(), 0);
    }
    {
      Scripted presenter;
      CQuenmarApp app;
      QVERIFY(!app.InitInstance({QStringLiteral("quenmar"), missing}));
      QVERIFY(presenter.dialogs().isEmpty());
      QCOMPARE(presenter.messages().size(), 1);
      QVERIFY(presenter.messages()[0].text.contains(missing));
      QCOMPARE(presenter.messages()[0].caption, QStringLiteral("Quenmar"));
      QVERIFY(!app.GetDocTemplate()->GetFrame());
      QVERIFY(VisibleWindows().isEmpty());
      QCOMPARE(app.ExitInstance(), 1);
    }
  }

  // A registration switch with anything after it is no registration run, and no file name
  // either: start-up goes on to a new document behind the disclaimer.
  void switchesNotLastStartANewDocument_data() {
    QTest::addColumn<QStringList>("arguments");
    QTest::newRow("trailing blank") << QStringList{"/RegServer "};
    QTest::newRow("two blanks, small letters") << QStringList{"/unregserver  "};
    QTest::newRow("both, then a blank") << QStringList{"/RegServer", "/UnregServer "};
  }
  void switchesNotLastStartANewDocument() {
    QFETCH(QStringList, arguments);
    Scripted presenter;
    presenter.answerDialog(Answering(Answer::Disagree));
    CQuenmarApp app;
    QVERIFY(!app.InitInstance(QStringList{QStringLiteral("quenmar")} + arguments));
    QCOMPARE(presenter.shown().size(), 1);
    QCOMPARE(presenter.dialogs().value(0).dialogClass, QStringLiteral("CDisclaimerDlg"));
    QCOMPARE(app.ExitInstance(), 0);
  }

  void startedByTheObjectSystem_data() {
    QTest::addColumn<QString>("option");
    QTest::newRow("-Embedding") << QStringLiteral("-Embedding");
    QTest::newRow("/automation") << QStringLiteral("/automation");
  }
  void startedByTheObjectSystem() {
    QFETCH(QString, option);
    Scripted presenter;
    CQuenmarApp app;
    QVERIFY(app.InitInstance({QStringLiteral("quenmar"), option}));
    QVERIFY(presenter.shown().isEmpty());
    QVERIFY(!app.GetMainWnd());
    QVERIFY(VisibleWindows().isEmpty());
    QCOMPARE(app.ExitInstance(), 0);
  }

  void socketsFailureEndsStartUpWithItsMessage() {
    Scripted presenter;
    SocketsLayer::SetFailInitialize(true);
    CQuenmarApp app;
    const bool started = app.InitInstance({QStringLiteral("quenmar")});
    SocketsLayer::SetFailInitialize(false);
    QVERIFY(!started);
    QCOMPARE(presenter.shown().size(), 1);
    QCOMPARE(presenter.messages()[0].text, QStringLiteral("Windows sockets initialization failed."));
    QCOMPARE(presenter.messages()[0].icon, MessageIcon::Exclamation);
    QVERIFY(!app.m_bServerInited);
    QCOMPARE(app.ExitInstance(), 1);
  }

  void newDocumentThroughTheDisclaimer() {
    Scripted presenter;
    auto app = StartAgreed(presenter);
    QVERIFY(app);
    CMainFrame& frame = *app->GetMainWnd();
    QLineEdit* target = FormField(frame, form::kTargetReduction);
    auto* selector = frame.GetActiveView()->findChild<QComboBox*>(QString::number(form::kConfigurationSelector));
    target->setFocus();
    target->selectAll();
    QTest::keyClicks(target, QStringLiteral("2.5"));
    selector->setFocus();
    QApplication::processEvents();
    QTest::keyClick(selector, Qt::Key_Home);
    QTest::keyClick(selector, Qt::Key_Down);
    QCOMPARE(selector->currentText(), QStringLiteral("Double Reduction Only"));

    // Refused: the form keeps everything it showed.
    presenter.answerDialog(Answering(Answer::Disagree));
    QTest::keyClick(target, Qt::Key_N, Qt::ControlModifier);
    QCOMPARE(presenter.dialogs().size(), 1);
    QCOMPARE(target->text(), QStringLiteral("2.5"));
    QCOMPARE(selector->currentIndex(), 1);
    QVERIFY(frame.isVisible());

    // Asked again, agreed: the form starts up again on the values typed before.
    presenter.answerDialog(Answering(Answer::Agree));
    QTest::keyClick(target, Qt::Key_N, Qt::ControlModifier);
    QCOMPARE(presenter.dialogs().size(), 2);
    QCOMPARE(presenter.dialogs()[1].dialogClass, QStringLiteral("CDisclaimerDlg"));
    QCOMPARE(selector->currentIndex(), 5);
    QCOMPARE(selector->count(), 6);
    QCOMPARE(target->text(), QStringLiteral("2.5"));
    QCOMPARE(frame.windowTitle(), QStringLiteral("Brassmoor") + kCaptionSuffix);
    app->ExitInstance();
  }

  // New and Open wait while a search runs: starting the form up again under it would reset
  // the values its end reports into.
  void newAndOpenWaitForARunningSearch() {
    Scripted presenter;
    auto app = StartAgreed(presenter);
    QVERIFY(app);
    CMainFrame& frame = *app->GetMainWnd();
    CQuenmarView& view = *frame.GetActiveView();
    QLineEdit* target = FormField(frame, form::kTargetReduction);
    view.SolveCommand().SetStepDelay(std::chrono::milliseconds(30));
    QSignalSpy finished(&view.SolveCommand(), &CSolveCommand::finished);
    view.OnSolve();
    QVERIFY(view.IsSolving());

    QTest::keyClick(&frame, Qt::Key_N, Qt::ControlModifier);
    QTest::keyClick(&frame, Qt::Key_O, Qt::ControlModifier);
    QVERIFY(presenter.dialogs().isEmpty());  // neither the disclaimer nor the file dialog
    QVERIFY(view.IsSolving());

    QTest::keyClick(&frame, Qt::Key_F10);
    QVERIFY(finished.wait(15000) || finished.count() == 1);
    QCOMPARE(presenter.dialogs().value(0).dialogClass, QStringLiteral("CCalcStoppedDlg"));

    // Once it has ended, New asks again as it always does.
    presenter.clear();
    presenter.answerDialog(Answering(Answer::Agree));
    target->setFocus();
    QTest::keyClick(target, Qt::Key_N, Qt::ControlModifier);
    QCOMPARE(presenter.dialogs().size(), 1);
    QCOMPARE(presenter.dialogs()[0].dialogClass, QStringLiteral("CDisclaimerDlg"));
    app->ExitInstance();
  }

  void openReadsNothingAndSaveDestroysNothing() {
    Scripted presenter;
    auto app = StartAgreed(presenter);
    QVERIFY(app);
    CMainFrame& frame = *app->GetMainWnd();
    QLineEdit* field = FormField(frame, form::kMaxSolutions);
    const QString opened = WriteFile(QStringLiteral("drawing.dat"), "line one\nline two\n");
    const QDateTime modified = QFileInfo(opened).lastModified();

    presenter.answerDialog(Choosing(opened));
    QTest::keyClick(field, Qt::Key_O, Qt::ControlModifier);
    QCOMPARE(presenter.dialogs().size(), 1);  // the file dialog, no disclaimer
    QCOMPARE(frame.windowTitle(), QStringLiteral("drawing.dat") + kCaptionSuffix);
    QCOMPARE(ReadFile(opened), QByteArray("line one\nline two\n"));
    QCOMPARE(QFileInfo(opened).lastModified(), modified);

    // Saving an opened document leaves its file as it was.
    QTest::keyClick(field, Qt::Key_S, Qt::ControlModifier);
    QCOMPARE(presenter.dialogs().size(), 1);
    QCOMPARE(ReadFile(opened), QByteArray("line one\nline two\n"));

    // A refused New leaves the document as it was: Save still goes to the opened file, without
    // asking for a name.
    presenter.answerDialog(Answering(Answer::Disagree));
    QTest::keyClick(field, Qt::Key_N, Qt::ControlModifier);
    QTest::keyClick(field, Qt::Key_S, Qt::ControlModifier);
    QCOMPARE(presenter.dialogs().size(), 2);
    QCOMPARE(presenter.dialogs()[1].dialogClass, QStringLiteral("CDisclaimerDlg"));
    QCOMPARE(app->GetDocTemplate()->GetDocument()->GetTitle(), QStringLiteral("drawing.dat"));
    QCOMPARE(app->GetDocTemplate()->GetDocument()->GetPathName(), opened);

    // A new document has no name: Save asks for one; an existing file keeps its content, a
    // new one is created empty.
    presenter.answerDialog(Answering(Answer::Agree));
    QTest::keyClick(field, Qt::Key_N, Qt::ControlModifier);
    presenter.answerDialog(Choosing(opened));
    QTest::keyClick(field, Qt::Key_S, Qt::ControlModifier);
    QCOMPARE(ReadFile(opened), QByteArray("line one\nline two\n"));

    presenter.answerDialog(Answering(Answer::Agree));
    QTest::keyClick(field, Qt::Key_N, Qt::ControlModifier);
    const QString created = g_home->filePath(QStringLiteral("new.dat"));
    presenter.answerDialog(Choosing(created));
    QTest::keyClick(field, Qt::Key_S, Qt::ControlModifier);
    QVERIFY(QFileInfo::exists(created));
    QCOMPARE(QFileInfo(created).size(), 0);
    QCOMPARE(app->GetDocTemplate()->GetDocument()->GetTitle(), QStringLiteral("new.dat"));
    // Saving does not touch the caption; only the form's start-up sets it.
    QCOMPARE(frame.windowTitle(), QStringLiteral("Brassmoor") + kCaptionSuffix);

    // A folder cannot be saved to: the user is told and the document keeps no path.
    presenter.answerDialog(Answering(Answer::Agree));
    QTest::keyClick(field, Qt::Key_N, Qt::ControlModifier);
    QVERIFY(QDir(g_home->path()).mkpath(QStringLiteral("folder")));
    presenter.clear();
    app->GetDocTemplate()->GetDocument()->OnSaveDocument(g_home->filePath(QStringLiteral("folder")));
    QCOMPARE(presenter.messages().size(), 1);

    QCOMPARE(app->GetRecentFileList()->Files(), (QStringList{created, opened}));
    app->ExitInstance();
  }

  void recentFilesStoredAtExit() {
    QStringList files;
    for (int i = 1; i <= 5; ++i) files << WriteFile(QStringLiteral("f%1.txt").arg(i), "x");
    {
      Scripted presenter;
      CQuenmarApp app;
      QVERIFY(app.InitInstance({QStringLiteral("quenmar"), files[0]}));
      for (int i = 1; i < 5; ++i) QVERIFY(app.GetDocTemplate()->OpenDocumentFile(files[i]));
      QVERIFY(app.GetDocTemplate()->OpenDocumentFile(files[2]));  // moves up, not twice
      QCOMPARE(QSettings().value(QStringLiteral("Recent File List/File1")), QVariant());
      app.ExitInstance();
    }
    QSettings settings;
    QCOMPARE(settings.value(QStringLiteral("Recent File List/File1")).toString(), files[2]);
    QCOMPARE(settings.value(QStringLiteral("Recent File List/File2")).toString(), files[4]);
    QCOMPARE(settings.value(QStringLiteral("Recent File List/File3")).toString(), files[3]);
    QCOMPARE(settings.value(QStringLiteral("Recent File List/File4")).toString(), files[1]);
    QVERIFY(!settings.contains(QStringLiteral("Recent File List/File5")));
    QVERIFY(settings.fileName().startsWith(g_home->path()));

    // The next start reads them back.
    Scripted presenter;
    auto app = StartAgreed(presenter);
    QVERIFY(app);
    QCOMPARE(app->GetRecentFileList()->Files().value(0), files[2]);
    app->ExitInstance();
  }

  void clientAreaStaysWithinItsLimits() {
    Scripted presenter;
    auto app = StartAgreed(presenter);
    QVERIFY(app);
    CMainFrame& frame = *app->GetMainWnd();
    // The form fits inside the largest client area.
    QVERIFY(frame.ClientRect().width() <= 750 && frame.ClientRect().height() <= 600);
    frame.resize(5, 5);
    QApplication::processEvents();
    QCOMPARE(frame.ClientRect().size(), QSize(50, 50));
    frame.resize(3000, 3000);
    QApplication::processEvents();
    QCOMPARE(frame.ClientRect().size(), QSize(750, 600));
    app->ExitInstance();
  }

  void noOpKeysDoNothingInAField_data() {
    QTest::addColumn<QKeySequence>("key");
    for (const char* key : {"Ctrl+Z", "Alt+Backspace", "Ctrl+X", "Shift+Del", "Ctrl+C", "Ctrl+Ins", "Ctrl+V",
                            "Shift+Ins", "F6", "Shift+F6"})
      QTest::newRow(key) << QKeySequence(QString::fromLatin1(key));
  }
  void noOpKeysDoNothingInAField() {
    QFETCH(QKeySequence, key);
    Scripted presenter;
    auto app = StartAgreed(presenter);
    QVERIFY(app);
    CMainFrame& frame = *app->GetMainWnd();
    QVERIFY(QTest::qWaitForWindowActive(&frame));
    QLineEdit* field = FormField(frame, form::kTargetReduction);
    field->setFocus();
    field->setText(QStringLiteral("1"));
    field->selectAll();
    QTest::keyClicks(field, QStringLiteral("3.624"));  // gives Undo something to undo
    field->selectAll();
    QApplication::clipboard()->setText(QStringLiteral("12.5"));
    QTest::keySequence(field, key);
    QApplication::processEvents();
    QCOMPARE(field->text(), QStringLiteral("3.624"));
    QCOMPARE(QApplication::clipboard()->text(), QStringLiteral("12.5"));
    QVERIFY(field->hasFocus());
    QVERIFY(presenter.shown().isEmpty());
    app->ExitInstance();
  }

  void menuPromptsInTheMessagePane() {
    Scripted presenter;
    auto app = StartAgreed(presenter);
    QVERIFY(app);
    CMainFrame& frame = *app->GetMainWnd();
    QVERIFY(QTest::qWaitForWindowExposed(&frame));
    QCOMPARE(frame.MessagePaneText(), QString());

    // Each menu opened from the menu bar with the mouse, its items walked with the arrow key.
    QStringList seen;
    QMenuBar* bar = frame.menuBar();
    for (QAction* menuAction : bar->actions()) {
      QTest::mouseClick(bar, Qt::LeftButton, {}, bar->actionGeometry(menuAction).center());
      QMenu* menu = menuAction->menu();
      QVERIFY(QTest::qWaitForWindowExposed(menu));
      for (QAction* item : menu->actions()) {
        QTest::keyClick(menu, Qt::Key_Down);
        QCOMPARE(menu->activeAction(), item);
        QTRY_COMPARE(frame.MessagePaneText(), QString::fromUtf8(CommandPrompt(CommandIdOf(item))));
        seen << item->text() + QLatin1Char('=') + frame.MessagePaneText();
      }
      QTest::keyClick(menu, Qt::Key_Escape);
      QTRY_VERIFY(!menu->isVisible());
      QTRY_COMPARE(frame.MessagePaneText(), QString());
    }
    QCOMPARE(seen, (QStringList{
                       QStringLiteral("E&xit=Quit the application; prompts to save documents"),
                       QStringLiteral("Quenmar Help=List Help topics"),
                       QStringLiteral("Quenmar Instructions=Quenmar Instructions"),
                       QStringLiteral("About Quenmar...=Display program information, version number and copyright"),
                   }));
    app->ExitInstance();
  }

  void menuCommands() {
    Scripted presenter;
    auto app = StartAgreed(presenter);
    QVERIFY(app);
    CMainFrame& frame = *app->GetMainWnd();
    auto trigger = [&](int commandId) {
      for (QAction* menuAction : frame.menuBar()->actions())
        for (QAction* item : menuAction->menu()->actions())
          if (CommandIdOf(item) == commandId) item->trigger();
    };
    trigger(ID_APP_ABOUT);
    trigger(ID_INSTRUCTIONS);
    QCOMPARE(presenter.dialogs().size(), 2);
    QCOMPARE(presenter.dialogs()[0].dialogClass, QStringLiteral("CAboutDlg"));
    QCOMPARE(presenter.dialogs()[1].dialogClass, QStringLiteral("CInstructionsDlg"));
    trigger(ID_HELP_FINDER);
    QVERIFY(frame.HelpWindow()->isVisible());
    QVERIFY(frame.HelpWindow()->CurrentPage().toString().endsWith(QStringLiteral("index.html")));
    trigger(ID_APP_EXIT);
    QVERIFY(!frame.isVisible());
    QVERIFY(!frame.HelpWindow()->isVisible());
    app->ExitInstance();
  }

  // The calculator's button follows the setting; when shown it opens the real calculator,
  // a new one with its defaults at each click, and the form keeps what it showed.
  void contactRatioButtonFollowsTheSetting() {
    for (const bool enabled : {false, true}) {
      QSettings().setValue(QStringLiteral("Features/ContactRatio"), enabled);
      Scripted presenter;
      auto app = StartAgreed(presenter);
      QVERIFY(app);
      CMainFrame& frame = *app->GetMainWnd();
      auto* button = frame.GetActiveView()->findChild<QAbstractButton*>(QString::number(form::kContactRatio));
      QCOMPARE(button->isVisible(), enabled);
      QCOMPARE(button->isEnabled(), enabled);
      if (enabled) {
        QLineEdit* target = FormField(frame, form::kTargetReduction);
        const QString before = target->text();
        QString teeth[2];
        for (QString& shown : teeth) {
          presenter.answerDialog([&shown](QDialog& dialog) {
            auto* field = dialog.findChild<QLineEdit*>(QString::number(contact::kTeeth1));
            shown = field->text();
            field->setText(QStringLiteral("31"));
            dialog.findChild<QAbstractButton*>(QString::number(IDOK))->click();
          });
          QTest::mouseClick(button, Qt::LeftButton);
        }
        QCOMPARE(presenter.dialogs().size(), 2);
        QCOMPARE(presenter.dialogs()[0].dialogClass, QStringLiteral("CContactRatioDlg"));
        QCOMPARE(presenter.dialogs()[0].caption, QStringLiteral("Quenmar"));
        QCOMPARE(presenter.dialogs()[1].result, int(IDOK));
        QCOMPARE(teeth[0] + teeth[1], QStringLiteral("2020"));
        QCOMPARE(target->text(), before);
      }
      app->ExitInstance();
    }
  }

  void lockKeyIndicators() {
    Scripted presenter;
    auto app = StartAgreed(presenter);
    QVERIFY(app);
    CMainFrame& frame = *app->GetMainWnd();
    LockKeys keys;
    frame.SetLockKeyReader([&keys] { return keys; });
    auto shown = [&] {
      return QStringList{frame.Indicator(ID_INDICATOR_CAPS)->text(), frame.Indicator(ID_INDICATOR_NUM)->text(),
                         frame.Indicator(ID_INDICATOR_SCRL)->text()};
    };
    QCOMPARE(shown(), (QStringList{"", "", ""}));
    keys.capsLock = true;
    QTRY_COMPARE(shown(), (QStringList{"CAP", "", ""}));
    keys = LockKeys{false, true, true};
    QTRY_COMPARE(shown(), (QStringList{"", "NUM", "SCRL"}));
    // The panes keep their width whether their text shows or not.
    QVERIFY(frame.Indicator(ID_INDICATOR_CAPS)->width() > 0);
    app->ExitInstance();
  }

  void helpKeys() {
    Scripted presenter;
    auto app = StartAgreed(presenter);
    QVERIFY(app);
    CMainFrame& frame = *app->GetMainWnd();
    QVERIFY(QTest::qWaitForWindowActive(&frame));
    QLineEdit* target = FormField(frame, form::kTargetReduction);
    target->setFocus();

    QTest::keyClick(target, Qt::Key_F1);
    QVERIFY(frame.HelpWindow()->isVisible());
    QCOMPARE(frame.HelpWindow()->CurrentPage().fragment(), QStringLiteral("target"));
    QVERIFY(!frame.HelpWindow()->Browser()->toPlainText().isEmpty());
    frame.HelpWindow()->hide();
    frame.activateWindow();
    QVERIFY(QTest::qWaitForWindowActive(&frame));

    // Shift+F1, then a click on the convergence range field.
    QTest::keyClick(target, Qt::Key_F1, Qt::ShiftModifier);
    QVERIFY(QWhatsThis::inWhatsThisMode());
    QCOMPARE(frame.MessagePaneText(), QStringLiteral("Select an object on which to get Help"));
    QLineEdit* range = FormField(frame, form::kConvergenceRange);
    QTest::mouseClick(range, Qt::LeftButton);
    QTRY_VERIFY(!QWhatsThis::inWhatsThisMode());
    QVERIFY(frame.HelpWindow()->isVisible());
    QCOMPARE(frame.HelpWindow()->CurrentPage().fragment(), QStringLiteral("range"));
    QCOMPARE(frame.MessagePaneText(), QString());
    app->ExitInstance();
  }

  void printTheFormToPdf() {
    Scripted presenter;
    auto app = StartAgreed(presenter);
    QVERIFY(app);
    CMainFrame& frame = *app->GetMainWnd();
    QLineEdit* field = FormField(frame, form::kTargetReduction);
    const QString pdf = g_home->filePath(QStringLiteral("form.pdf"));

    presenter.answerDialog(QDialog::Rejected);
    QTest::keyClick(field, Qt::Key_P, Qt::ControlModifier);
    QCOMPARE(presenter.dialogs().size(), 1);
    QCOMPARE(presenter.dialogs()[0].dialogClass, QStringLiteral("QPrintDialog"));
    QVERIFY(!QFileInfo::exists(pdf));

    presenter.answerDialog(
        [pdf](QDialog& dialog) {
          QPrinter* printer = dynamic_cast<QPrintDialog&>(dialog).printer();
          printer->setOutputFormat(QPrinter::PdfFormat);
          printer->setOutputFileName(pdf);
        },
        QDialog::Accepted);
    QTest::keyClick(field, Qt::Key_P, Qt::ControlModifier);
    QVERIFY(presenter.messages().isEmpty());
    const QByteArray printed = ReadFile(pdf);
    QVERIFY(printed.startsWith("%PDF"));
    QCOMPARE(printed.count("/Type /Page\n") + printed.count("/Type /Page\r") + printed.count("/Type /Page "), 1);
    app->ExitInstance();
  }
};

int main(int argc, char** argv) {
  // Settings and the classes root go to a temporary folder, never the user's own.
  QTemporaryDir home;
  g_home = &home;
  qputenv("XDG_CONFIG_HOME", home.filePath(QStringLiteral("config")).toLocal8Bit());
  qputenv("QUENMAR_CLASSES_ROOT", home.filePath(QStringLiteral("classes-root.ini")).toLocal8Bit());
  QApplication app(argc, argv);
  QApplication::setOrganizationName(QString::fromLatin1(CQuenmarApp::kRegistryKey));
  QApplication::setApplicationName(QString::fromLatin1(CQuenmarApp::kAppName));
  ShellTest test;
  return QTest::qExec(&test, argc, argv);
}

#include "ShellTest.moc"
