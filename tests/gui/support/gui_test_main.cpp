#include "gui/support/gui_test_main.h"

namespace korvel::test {

namespace {
const UserFoldersSandbox* runningSandbox = nullptr;
}  // namespace

const UserFoldersSandbox& TestUserFolders() { return *runningSandbox; }

GuiTestApplication::GuiTestApplication(int& argc, char** argv) : app_(argc, argv) {
  runningSandbox = &sandbox_;
}

GuiTestApplication::~GuiTestApplication() { runningSandbox = nullptr; }

int RunGuiSuite(const std::function<std::unique_ptr<QObject>()>& makeSuite, int argc, char** argv) {
  GuiTestApplication application(argc, argv);
  std::unique_ptr<QObject> suite = makeSuite();
  return QTest::qExec(suite.get(), argc, argv);
}

}  // namespace korvel::test
