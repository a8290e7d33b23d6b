// The key-frame listing in the background: what it delivers, and that a listing for a file that
// is no longer open never arrives.
#include "app/key_frame_loader.h"

#include <QSignalSpy>
#include <QTest>

#include "gui/support/gui_test_main.h"
#include "mediainfo/analyze_media_file.h"
#include "produce/key_frame_listing.h"
#include "support/temp_dir.h"

namespace korvel::test {

namespace {

QdMediaInfo Analyzed(const std::filesystem::path& file) {
  QdMediaInfo info;
  AnalyzeMediaFile(file, info);
  return info;
}

std::vector<int64_t> Times(const TKeyFrameList& list) {
  std::vector<int64_t> times;
  for (const TKeyFrame& key : list.KeyFrames) times.push_back(key.TimeUs);
  return times;
}

}  // namespace

class KeyFrameLoaderTest : public QObject {
  Q_OBJECT

private slots:
  void DeliversTheEnginesListOnTheGuiThread() {
    const auto file = Fixture("ts_h264_aac.ts");
    TKeyFrameLoader loader;
    QSignalSpy changed(&loader, &TKeyFrameLoader::KeyFramesChanged);
    loader.Load(file);
    QVERIFY(!loader.KeyFrames());
    QVERIFY(changed.wait(10000));
    QVERIFY(loader.KeyFrames());
    const QdMediaInfo info = Analyzed(file);
    const auto direct = ListKeyFrames(file, info.Kind, info.SubKind);
    QVERIFY(direct);
    QVERIFY(Times(*loader.KeyFrames()) == Times(*direct));
    QCOMPARE(loader.File(), file);
  }

  void AListingForAFileNoLongerOpenIsDropped() {
    TKeyFrameLoader loader;
    QSignalSpy changed(&loader, &TKeyFrameLoader::KeyFramesChanged);
    loader.Load(Fixture("ps_mpeg2_long.mpg"));
    loader.Load(Fixture("avi_xvid_mp3.avi"));
    QVERIFY(changed.wait(10000));
    QTest::qWait(200);
    QCOMPARE(changed.size(), 1);
    QCOMPARE(loader.File(), Fixture("avi_xvid_mp3.avi"));
    const auto avi = ListKeyFrames(Fixture("avi_xvid_mp3.avi"), Analyzed(Fixture("avi_xvid_mp3.avi")).Kind, 0);
    QVERIFY(Times(*loader.KeyFrames()) == Times(*avi));

    loader.Load(Fixture("ps_mpeg2_long.mpg"));
    loader.Clear();
    QCOMPARE(changed.size(), 2);  // the list of the closed file went
    QTest::qWait(300);
    QCOMPARE(changed.size(), 2);
    QVERIFY(!loader.KeyFrames());
  }

  void AFileWithoutVideoOrOfNoKnownKindHasNoKeyFrames() {
    TKeyFrameLoader loader;
    QSignalSpy changed(&loader, &TKeyFrameLoader::KeyFramesChanged);
    const TempDir dir;
    WriteFileBytes(dir / "text.avi", std::vector<uint8_t>{'n', 'o', 't', ' ', 'a', 'v', 'i'});
    for (const auto& file : {Fixture("mp4_aac_only.mp4"), dir / "text.avi"}) {
      loader.Load(file);
      QVERIFY(changed.wait(10000));
      QVERIFY(!loader.KeyFrames());
      changed.clear();
    }
  }

  void ALoaderGoneWhileListingEndsCleanly() {
    auto loader = std::make_unique<TKeyFrameLoader>();
    loader->Load(Fixture("ps_mpeg2_long.mpg"));
    loader.reset();
    QTest::qWait(100);
  }
};

}  // namespace korvel::test

KORVEL_GUI_TEST_MAIN(korvel::test::KeyFrameLoaderTest)
#include "key_frame_loader_test.moc"
