// The two wizards for scripts/screenshot, each at its Status page after a real run over a
// fixture, writing into a temporary folder.
#include <QObject>
#include <QTimer>
#include <filesystem>
#include <memory>

#include "app/wizards/pdce_wizard.h"
#include "app/wizards/tool_comm_wizard.h"
#include "gui/gallery/gallery.h"
#include "gui/wizards/wizard_driver.h"
#include "support/temp_dir.h"

namespace korvel::test {
namespace {

// What a shown wizard works on, gone with the window.
class RunMaterial final : public QObject {
public:
  explicit RunMaterial(QObject* window) : QObject(window) {}
  TempDir Folder;
  std::unique_ptr<TClipList> Clips;
};

// Produce, then ready once the run has ended.
void RunAndAnnounce(TWizardFrame& wizard, std::function<void()> ready) {
  ProduceFromDest(wizard);
  auto* poll = new QTimer(&wizard);
  QObject::connect(poll, &QTimer::timeout, &wizard, [&wizard, poll, ready] {
    if (wizard.Busy()) return;
    poll->stop();
    ready();
  });
  poll->start(50);
}

DestinationRules WritingInto(const std::filesystem::path& folder) {
  DestinationRules rules = DestinationRules::ForThisSystem(folder / "");
  rules.isOnReadOnlyStorage = [](const std::filesystem::path&) { return true; };
  return rules;
}

KORVEL_GALLERY_WINDOW({"produce", "the produce wizard after joining two clips of an AVI file", 20, [](auto ready) {
                         static EnglishWords words;
                         auto wizard = std::make_unique<TPdceWizardW>();
                         auto* material = new RunMaterial(wizard.get());
                         material->Clips = MakeClips({{Fixture("avi_xvid_mp3.avi"), 200, 1200},
                                                      {Fixture("avi_xvid_mp3.avi"), 900, 1900}});
                         wizard->SetDestinationRules(WritingInto(material->Folder.path()));
                         wizard->SetClipList(material->Clips.get());
                         RunAndAnnounce(*wizard, ready);
                         return std::unique_ptr<QWidget>(std::move(wizard));
                       }});

KORVEL_GALLERY_WINDOW({"reconstruct", "the repair wizard after indexing an AVI file without an index", 19,
                       [](auto ready) {
                         static EnglishWords words;
                         auto wizard = std::make_unique<TToolCommW>();
                         auto* material = new RunMaterial(wizard.get());
                         wizard->SetDestinationRules(WritingInto(material->Folder.path()));
                         wizard->SetSource(TToolCommW::kModeMediaFile, Fixture("avi_xvid_mp3_noidx1.avi"));
                         RunAndAnnounce(*wizard, ready);
                         return std::unique_ptr<QWidget>(std::move(wizard));
                       }});

}  // namespace
}  // namespace korvel::test
