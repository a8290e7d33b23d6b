// The settings file of the desktop program: names, defaults and the values that are corrected
// when they are read back. Runs in the sandbox of user folders.
#include "app/settings.h"

#include <QSettings>
#include <QTest>
#include <filesystem>

#include "app/qt_settings_store.h"
#include "base/user_folders.h"
#include "gui/support/gui_test_main.h"
#include "lang/language.h"

namespace korvel::test {

namespace {
namespace fs = std::filesystem;

QString Name(std::string_view name) { return QString::fromUtf8(name.data(), static_cast<qsizetype>(name.size())); }
}  // namespace

class SettingsTest : public QObject {
  Q_OBJECT

  fs::path LanguageFolder() const { return TestUserFolders().Root() / "program" / "Language"; }

private slots:
  void init() { QSettings("Quendar", "Korvel").clear(); }

  void StoringWithoutASettingsFileWritesTheEightDefaults() {
    QVERIFY(!fs::exists(QSettings("Quendar", "Korvel").fileName().toStdString()));
    TLanguage language(LanguageFolder());
    StoreSettings(LoadSettings(language), language);

    const fs::path projects = UserDocumentsFolder() / "Korvel" / "";
    QVERIFY(fs::is_directory(projects));
    QSettings stored("Quendar", "Korvel");
    QVERIFY(fs::exists(stored.fileName().toStdString()));
    const std::pair<std::string_view, QString> expected[] = {
        {setting_name::kNameColumnWidth, "150"},
        {setting_name::kSizeColumnWidth, "80"},
        {setting_name::kDateColumnWidth, "80"},
        {setting_name::kLanguagePath, ""},
        {setting_name::kBrowserPanelWidth, "350"},
        {setting_name::kBrowserColorIndex, "0"},
        {setting_name::kLastProjectFolder, QString::fromStdString(projects.string())},
        {setting_name::kCurrentDirectory, ""},
    };
    QCOMPARE(stored.allKeys().size(), qsizetype(std::size(expected)));
    for (const auto& [name, value] : expected) {
      QVERIFY2(stored.contains(Name(name)), name.data());
      QCOMPARE(stored.value(Name(name)).toString(), value);
    }
  }

  void SeededValuesComeBackCorrected() {
    {
      QSettings seed("Quendar", "Korvel");
      seed.setValue(Name(setting_name::kNameColumnWidth), 20);
      seed.setValue(Name(setting_name::kSizeColumnWidth), "not a number");
      seed.setValue(Name(setting_name::kDateColumnWidth), 120);
      seed.setValue(Name(setting_name::kLanguagePath), "/elsewhere/Language/g0409_eng.ini");
      seed.setValue(Name(setting_name::kBrowserPanelWidth), 100);
      seed.setValue(Name(setting_name::kBrowserColorIndex), 9);
      seed.setValue(Name(setting_name::kLastProjectFolder), "/no/such/projects");
      seed.setValue(Name(setting_name::kCurrentDirectory), "/no/such/videos");
    }
    TLanguage language(LanguageFolder());
    const ProgramSettings settings = LoadSettings(language);
    QCOMPARE(settings.NameColumnWidth, 50);
    QCOMPARE(settings.SizeColumnWidth, 80);
    QCOMPARE(settings.DateColumnWidth, 120);
    QCOMPARE(settings.LanguagePath, fs::path());
    QCOMPARE(language.CurrentPath(), fs::path());
    QCOMPARE(settings.BrowserPanelWidth, 150);
    QCOMPARE(settings.BrowserColorIndex, 0);
    QCOMPARE(settings.LastProjectFolder, UserDocumentsFolder() / "Korvel" / "");
    QVERIFY(!fs::exists("/no/such/projects"));
    QCOMPARE(settings.CurrentDirectory, fs::path());
  }

  void KeptValuesSurviveARoundTrip() {
    const fs::path videos = TestUserFolders().Home() / "videos";
    const fs::path projects = TestUserFolders().Home() / "my projects";
    fs::create_directories(videos);
    fs::create_directories(projects);
    TLanguage language(LanguageFolder());
    language.SetCurrentPath(LanguageFolder() / "g0407_deu.ini");
    ProgramSettings settings;
    settings.NameColumnWidth = 210;
    settings.BrowserColorIndex = 4;
    settings.LastProjectFolder = projects;
    settings.CurrentDirectory = videos;
    StoreSettings(settings, language);

    TLanguage restored(LanguageFolder());
    const ProgramSettings read = LoadSettings(restored);
    QCOMPARE(read.NameColumnWidth, 210);
    QCOMPARE(read.BrowserColorIndex, 4);
    QCOMPARE(read.LastProjectFolder, projects);
    QCOMPARE(read.CurrentDirectory, videos);
    QCOMPARE(restored.CurrentPath(), LanguageFolder() / "g0407_deu.ini");
    QCOMPARE(read.LanguagePath, LanguageFolder() / "g0407_deu.ini");
  }

  void APathThatIsNotUtf8IsKeptByteForByte() {
    const std::string name = "/videos/caf\xe9 \xff.avi";
    const std::string blank = "/videos/ends in a blank ";
    {
      TQtSettingsStore store;
      store.WriteString(setting_name::kCurrentDirectory, name);
      store.WriteString(setting_name::kLastProjectFolder, blank);
    }
    TQtSettingsStore store;
    QCOMPARE(store.ReadString(setting_name::kCurrentDirectory), std::optional<std::string>(name));
    QCOMPARE(store.ReadString(setting_name::kLastProjectFolder), std::optional<std::string>(blank));
    QCOMPARE(store.ReadInteger(setting_name::kCurrentDirectory), std::optional<int32_t>());
  }
};

}  // namespace korvel::test

KORVEL_GUI_TEST_MAIN(korvel::test::SettingsTest)
#include "settings_test.moc"
