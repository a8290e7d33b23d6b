#pragma once
// The main function of a desktop test suite: the user's folders go into a sandbox, then the
// application object is made and the suite runs. Use KORVEL_GUI_TEST_MAIN(SuiteClass) in place
// of QTEST_MAIN.
#include <QApplication>
#include <QTest>
#include <functional>
#include <memory>

#include "gui/support/user_folders_sandbox.h"

namespace korvel::test {

// The sandbox of the running suite or gallery; valid while it runs.
const UserFoldersSandbox& TestUserFolders();

// Makes the sandbox, then the application, then the suite (so that its constructor may make
// widgets), and runs it.
int RunGuiSuite(const std::function<std::unique_ptr<QObject>()>& makeSuite, int argc, char** argv);

// What RunGuiSuite does before the suite: the sandbox and the application. For programs that
// show windows rather than run a suite.
class GuiTestApplication {
public:
  GuiTestApplication(int& argc, char** argv);
  ~GuiTestApplication();
  GuiTestApplication(const GuiTestApplication&) = delete;
  GuiTestApplication& operator=(const GuiTestApplication&) = delete;
  QApplication& App() { return app_; }

private:
  UserFoldersSandbox sandbox_;
  QApplication app_;
};

}  // namespace korvel::test

#define KORVEL_GUI_TEST_MAIN(SuiteClass)                                                            \
  int main(int argc, char** argv) {                                                                \
    return korvel::test::RunGuiSuite([] { return std::make_unique<SuiteClass>(); }, argc, argv);  \
  }
