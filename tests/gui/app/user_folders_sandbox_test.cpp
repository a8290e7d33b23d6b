// Every desktop suite runs with the user's folders in a sandbox, so that no test can read or
// overwrite the settings and documents of the person running it.
#include <QSettings>
#include <QStandardPaths>
#include <QTest>
#include <filesystem>

#include "base/user_folders.h"
#include "gui/support/gui_test_main.h"

namespace korvel::test {

namespace {

bool Inside(const std::filesystem::path& path, const std::filesystem::path& folder) {
  const std::filesystem::path relative = path.lexically_normal().lexically_relative(folder.lexically_normal());
  return !relative.empty() && *relative.begin() != "..";
}

bool Inside(const QString& path, const std::filesystem::path& folder) { return Inside(path.toStdString(), folder); }

}  // namespace

class UserFoldersSandboxTest : public QObject {
  Q_OBJECT

private slots:
  void QtFoldersLieInTheSandbox() {
    const std::filesystem::path home = TestUserFolders().Home();
    QVERIFY(std::filesystem::is_directory(home));
    QCOMPARE(QStandardPaths::writableLocation(QStandardPaths::HomeLocation).toStdString(), home.string());
    QVERIFY(Inside(QSettings("Quendar", "Korvel").fileName(), home));
    for (const auto location : {QStandardPaths::ConfigLocation, QStandardPaths::GenericDataLocation,
                                QStandardPaths::CacheLocation, QStandardPaths::RuntimeLocation}) {
      const QString path = QStandardPaths::writableLocation(location);
      QVERIFY2(Inside(path, TestUserFolders().Root()), qPrintable(path));
    }
  }

  void CoreFoldersLieInTheSandbox() {
    const std::filesystem::path home = TestUserFolders().Home();
    QCOMPARE(UserHomeFolder(), home);
    QVERIFY(Inside(UserDataFolder(), home));
    QVERIFY(Inside(UserDocumentsFolder(), home) || UserDocumentsFolder() == home);
  }
};

}  // namespace korvel::test

KORVEL_GUI_TEST_MAIN(korvel::test::UserFoldersSandboxTest)
#include "user_folders_sandbox_test.moc"
