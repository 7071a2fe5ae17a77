// One binary for the shell parts; each test object runs in turn.
#include <QApplication>

int RunServerRegistrationTest(int argc, char** argv);
int RunHelpWindowTest(int argc, char** argv);
int RunLockKeyStateTest(int argc, char** argv);
int RunPrintWidgetTest(int argc, char** argv);

int main(int argc, char** argv) {
  QApplication app(argc, argv);
  int failures = 0;
  for (auto run : {RunServerRegistrationTest, RunHelpWindowTest, RunLockKeyStateTest, RunPrintWidgetTest})
    failures += run(argc, argv);
  return failures == 0 ? 0 : 1;
}
