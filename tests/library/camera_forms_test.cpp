// The other cameras' name and folder forms, and how their recordings pair into moments.
#include "library/camera_forms.h"
#include "library/camera_moments.h"
#include "library/catalogue.h"
#include "library/recording_scan.h"

#include <gtest/gtest.h>

#include <QDir>
#include <QFile>
#include <QTemporaryDir>

using namespace korvane;

namespace {

struct FormCase {
    const char* path;       // relative to the folder opened
    int form;               // 0: refused
    const char* start;      // "YYYY/MM/DD hh:mm:ss"
    CameraMode mode;
    char channel;
};

constexpr CameraMode N = CameraMode::Normal, P = CameraMode::Parking, R = CameraMode::Recent,
                     E = CameraMode::Event, L = CameraMode::Locked, M = CameraMode::Manual,
                     S = CameraMode::Saved, Y = CameraMode::Sentry;

const FormCase kForms[] = {
    // 1: dated sequence, Novatek style
    {"DCIM/Movie/2023_0101_120000_0001F.MP4", 1, "2023/01/01 12:00:00", N, 'F'},
    {"DCIM/Movie/2023_0101_120001_0001R.MP4", 1, "2023/01/01 12:00:01", N, 'R'},
    {"DCIM/Movie/2023_0101_120000_0002PF.MP4", 1, "2023/01/01 12:00:00", P, 'F'},
    {"DCIM/Movie/2023_0101_120000_0003ET.mov", 1, "2023/01/01 12:00:00", E, 'T'},
    {"DCIM/Movie/2023_1231_235959_0004I.ts", 1, "2023/12/31 23:59:59", N, 'I'},
    {"DCIM/Movie/RO/2023_0101_120000_0005F.MP4", 1, "2023/01/01 12:00:00", L, 'F'},
    {"DCIM/Movie/20240229120000_000123.MP4", 1, "2024/02/29 12:00:00", N, 'F'},
    {"DCIM/Movie/20240229120000_000123R.MP4", 1, "2024/02/29 12:00:00", N, 'R'},
    {"DCIM/Movie/2023_0101_120000_0001X.MP4", 0, "", N, 0},    // unknown channel
    {"DCIM/Movie/2023_0101_120000_001F.MP4", 0, "", N, 0},     // three-digit number
    {"DCIM/Movie/2023_0230_120000_0001F.MP4", 0, "", N, 0},    // 30 February
    {"DCIM/Movie/2023_0101_126000_0001F.MP4", 0, "", N, 0},    // minute 60
    {"DCIM/Movie/2023_0101_120000_0001F.AVI", 0, "", N, 0},
    {"DCIM/Movie/2023_0101_120000_0001f.MP4", 0, "", N, 0},    // letters are capitals
    {"DCIM/Movie/20230229120000_000123.MP4", 0, "", N, 0},     // 2023 is no leap year
    // 2: mode and channel letters, side-cars beside
    {"20230101_120000_NF.mp4", 2, "2023/01/01 12:00:00", N, 'F'},
    {"20230101_120001_NR.MP4", 2, "2023/01/01 12:00:01", N, 'R'},
    {"20230101_120000_EF.mp4", 2, "2023/01/01 12:00:00", E, 'F'},
    {"20230101_120000_PI.mp4", 2, "2023/01/01 12:00:00", P, 'I'},
    {"20230101_120000_MIF.mp4", 2, "2023/01/01 12:00:00", M, 'F'},
    {"20230101_120000_XF.mp4", 0, "", N, 0},
    {"20230101_120000_NF.mov", 0, "", N, 0},
    {"20230101_120000_NFF.mp4", 0, "", N, 0},
    // 3: underscored date, folder tells the mode
    {"front_norm/2023_01_01_120000_00_F.MP4", 3, "2023/01/01 12:00:00", N, 'F'},
    {"rear_emer/2023_01_01_120001_02_R.MP4", 3, "2023/01/01 12:00:01", E, 'R'},
    {"front_park/2023_01_01_120000_00_F.MP4", 3, "2023/01/01 12:00:00", P, 'F'},
    {"2023_01_01_120000_02_F.MP4", 3, "2023/01/01 12:00:00", E, 'F'},
    {"front_norm/2023_01_01_120000_01_F.MP4", 0, "", N, 0},     // only 00 or 02
    {"front_norm/2023_01_01_1200_00_F.MP4", 0, "", N, 0},
    // 4: prefixed stamp
    {"cont_rec/REC_2023_01_01_12_00_00_F.MP4", 4, "2023/01/01 12:00:00", N, 'F'},
    {"evt_rec/EVT_2023_01_01_12_00_00_R.MP4", 4, "2023/01/01 12:00:00", E, 'R'},
    {"manual_rec/MAN_2023_01_01_12_00_00_F.mp4", 4, "2023/01/01 12:00:00", M, 'F'},
    {"parking_rec/PARK_2023_01_01_12_00_00_F.MP4", 4, "2023/01/01 12:00:00", P, 'F'},
    {"cont_rec/LOG_2023_01_01_12_00_00_F.MP4", 0, "", N, 0},
    {"cont_rec/rec_2023_01_01_12_00_00_F.MP4", 0, "", N, 0},
    // 5: dashed stamp
    {"Normal/Front/NO20230101-120000-000001F.MP4", 5, "2023/01/01 12:00:00", N, 'F'},
    {"Normal/Back/NO20230101-120001-000001B.MP4", 5, "2023/01/01 12:00:01", N, 'R'},
    {"EV20230101-120000-000002R.MP4", 5, "2023/01/01 12:00:00", E, 'R'},
    {"PA20230101-120000-000003F.MP4", 5, "2023/01/01 12:00:00", P, 'F'},
    {"XX20230101-120000-000001F.MP4", 0, "", N, 0},
    {"NO20230101_120000_000001F.MP4", 0, "", N, 0},
    // 6: lettered channel
    {"20230101_120000_0001_N_A.MP4", 6, "2023/01/01 12:00:00", N, 'A'},
    {"20230101_120000_0001_E_B.MP4", 6, "2023/01/01 12:00:00", E, 'B'},
    {"20230101_120000_0001_M_C.MP4", 6, "2023/01/01 12:00:00", M, 'C'},
    {"20230101_120000_0001_N_D.MP4", 0, "", N, 0},
    {"20230101_120000_001_N_A.MP4", 0, "", N, 0},
    // 7: short year
    {"230101_120000_001_FH.MP4", 7, "2023/01/01 12:00:00", N, 'F'},
    {"230101_120001_001_RL.MP4", 7, "2023/01/01 12:00:01", N, 'R'},
    {"EVENT/230101_120000_002_BH.MP4", 7, "2023/01/01 12:00:00", E, 'B'},
    {"230101_120000_001_FX.MP4", 0, "", N, 0},
    {"230101_120000_01_FH.MP4", 0, "", N, 0},
    // 8: clip folders
    {"RecentClips/2023-01-01_12-00-00-front.mp4", 8, "2023/01/01 12:00:00", R, 'F'},
    {"RecentClips/2023-01-01_12-00-01-back.mp4", 8, "2023/01/01 12:00:01", R, 'B'},
    {"SavedClips/2023-01-01_12-10-00/2023-01-01_12-09-00-left_repeater.mp4", 8, "2023/01/01 12:09:00", S, 'L'},
    {"SentryClips/2023-01-01_13-00-00/2023-01-01_12-59-00-right_pillar.mp4", 8, "2023/01/01 12:59:00", Y, 'Q'},
    {"2023-01-01_12-00-00-front.mp4", 0, "", N, 0},                           // not in a clip folder
    {"SavedClips/2023-01-01_12-00-00-front.mp4", 0, "", N, 0},                // saved clips are in an event folder
    {"RecentClips/2023-01-01_12-00-00-middle.mp4", 0, "", N, 0},
    {"RecentClips/2023-01-01_12-00-00-Front.mp4", 0, "", N, 0},
    // 9: a moment this viewer exported
    {"20230101-120000_20s/clip.MP4", 9, "2023/01/01 12:00:00", S, 'F'},
    {"exports/20230101-120005_125s-2/clip.mp4", 9, "2023/01/01 12:00:05", S, 'F'},
    {"20230101-120000_20s/clip_overlay.MP4", 0, "", N, 0},
    {"20230101-120000_20s/clip.MOV", 0, "", N, 0},
    {"20230101-120000/clip.MP4", 0, "", N, 0},
    {"20231301-120000_20s/clip.MP4", 0, "", N, 0},
    {"clip.MP4", 0, "", N, 0},
    // the camera's own names are none of these forms
    {"20230101120000.MP4", 0, "", N, 0},
    {"G20230101120000.MP4", 0, "", N, 0},
    {"PH20230101120000.MP4", 0, "", N, 0},
};

} // namespace

TEST(CameraForms, NamesGiveStartModeAndChannel)
{
    for (const FormCase& c : kForms) {
        SCOPED_TRACE(c.path);
        const std::optional<FormName> f = ParseFormName(QString::fromLatin1(c.path));
        if (c.form == 0) {
            EXPECT_FALSE(f.has_value());
            continue;
        }
        ASSERT_TRUE(f.has_value());
        EXPECT_EQ(int(f->form), c.form);
        EXPECT_EQ(StartText(f->start).toStdString(), c.start);
        EXPECT_EQ(ModeWord(f->mode), std::string(ModeWord(c.mode)));
        EXPECT_EQ(f->channel, QChar(QLatin1Char(c.channel)));
    }
}

TEST(CameraForms, ModesGoToTheirGroups)
{
    for (CameraMode m : {N, P, R})
        EXPECT_EQ(GroupOfMode(m), kGroupNormal) << ModeWord(m);
    for (CameraMode m : {E, L, M, S, Y})
        EXPECT_EQ(GroupOfMode(m), kGroupEvent) << ModeWord(m);
}

namespace {
FormFile File(const char* path)
{
    const std::optional<FormName> f = ParseFormName(QString::fromLatin1(path));
    EXPECT_TRUE(f.has_value()) << path;
    return FormFile{QString::fromLatin1(path), f.value_or(FormName{}), 100};
}

QStringList Channels(const CameraMoment& m)
{
    QStringList out;
    for (auto it = m.channels.cbegin(); it != m.channels.cend(); ++it)
        out << QString(it.key()) + QLatin1Char('=') + it.value().section(QLatin1Char('/'), -1);
    return out;
}
} // namespace

// A rear file starting a second after its front belongs to the front's moment; the next
// minute's files are the next moment; the front is the cell and the rear its small letter.
TEST(CameraMoments, ChannelsOneSecondApartPair)
{
    CameraCard card;
    BuildMoments({File("DCIM/Movie/2023_0101_120101_0002R.MP4"), File("DCIM/Movie/2023_0101_120000_0001F.MP4"),
                  File("DCIM/Movie/2023_0101_120001_0001R.MP4"), File("DCIM/Movie/2023_0101_120100_0002F.MP4"),
                  File("DCIM/Movie/2023_0101_120200_0003R.MP4")},
                 card);
    ASSERT_EQ(card.normal.size(), 3);
    EXPECT_TRUE(card.event.isEmpty());
    EXPECT_EQ(Channels(card.normal[0]), QStringList({"F=2023_0101_120000_0001F.MP4", "R=2023_0101_120001_0001R.MP4"}));
    EXPECT_EQ(card.normal[0].CellName(), "DCIM/Movie/2023_0101_120000_0001F.MP4");
    EXPECT_EQ(card.normal[0].OtherLetters(), "r");
    EXPECT_EQ(card.normal[0].bytes, 200u);
    EXPECT_EQ(Channels(card.normal[1]), QStringList({"F=2023_0101_120100_0002F.MP4", "R=2023_0101_120101_0002R.MP4"}));
    // A moment whose front is missing shows its first channel.
    EXPECT_EQ(card.normal[2].CellName(), "DCIM/Movie/2023_0101_120200_0003R.MP4");
    EXPECT_EQ(card.normal[2].OtherLetters(), "");
}

// The other channels of a moment seen from any of its recordings, in the form's order, with
// how far each one's name starts after that recording's; nothing for a recording of one channel
// or one the moment does not hold.
TEST(CameraMoments, OtherChannelsOfARecording)
{
    CameraCard card;
    BuildMoments({File("20230101_120000_NF.mp4"), File("20230101_120001_NR.mp4"), File("20230101_120000_NI.mp4"),
                  File("20230101_120100_NF.mp4")},
                 card);
    ASSERT_EQ(card.normal.size(), 2);
    const auto text = [](const QList<OtherChannel>& others) {
        QStringList out;
        for (const OtherChannel& o : others)
            out << QString(o.letter) + QLatin1Char('=') + o.path + QLatin1Char('@') + QString::number(o.startAfterSeconds);
        return out;
    };
    struct Case { int moment; const char* recording; QStringList others; };
    const Case cases[] = {
        {0, "20230101_120000_NF.mp4", {"R=20230101_120001_NR.mp4@1", "I=20230101_120000_NI.mp4@0"}},
        {0, "20230101_120001_NR.mp4", {"F=20230101_120000_NF.mp4@-1", "I=20230101_120000_NI.mp4@-1"}},
        {0, "20230101_120100_NF.mp4", {}},   // not this moment's
        {1, "20230101_120100_NF.mp4", {}},   // a moment of one channel
    };
    for (const Case& c : cases)
        EXPECT_EQ(text(OtherChannelsOf(card.normal[c.moment], QString::fromLatin1(c.recording))), c.others) << c.recording;
}

TEST(CameraMoments, PairingStopsAtTwoSecondsGroupsAndEventFolders)
{
    CameraCard card;
    BuildMoments({File("20230101_120000_NF.mp4"), File("20230101_120003_NR.mp4"),   // 3 s from the first front
                  File("20230101_120000_EF.mp4"), File("20230101_120002_ER.mp4"),   // 2 s: one moment
                  File("20230101_120001_NF.mp4"),                                   // a second front: its own
                  File("SentryClips/2023-01-01_13-00-00/2023-01-01_12-59-00-front.mp4"),
                  File("SavedClips/2023-01-01_13-00-00/2023-01-01_12-59-00-back.mp4")},
                 card);
    ASSERT_EQ(card.normal.size(), 2);
    EXPECT_EQ(Channels(card.normal[0]), QStringList({"F=20230101_120000_NF.mp4"}));
    EXPECT_EQ(Channels(card.normal[1]), QStringList({"F=20230101_120001_NF.mp4", "R=20230101_120003_NR.mp4"}));
    ASSERT_EQ(card.event.size(), 3);
    EXPECT_EQ(Channels(card.event[0]), QStringList({"F=20230101_120000_EF.mp4", "R=20230101_120002_ER.mp4"}));
    // Clips of the same second in two event folders are two moments (same time: by name).
    EXPECT_EQ(Channels(card.event[1]), QStringList({"B=2023-01-01_12-59-00-back.mp4"}));
    EXPECT_EQ(card.event[1].mode, CameraMode::Saved);
    EXPECT_EQ(Channels(card.event[2]), QStringList({"F=2023-01-01_12-59-00-front.mp4"}));
    EXPECT_EQ(card.event[2].mode, CameraMode::Sentry);
}

namespace {
void Touch(const QString& root, const QString& path, const QByteArray& bytes = "x")
{
    const QString full = root + QLatin1Char('/') + path;
    ASSERT_TRUE(QDir().mkpath(full.section(QLatin1Char('/'), 0, -2)));
    QFile f(full);
    ASSERT_TRUE(f.open(QIODevice::WriteOnly)) << full.toStdString();
    f.write(bytes);
}
} // namespace

// The walk of a card: groups, time order, side-cars shared by the channels, the catalogue's
// lists and captions, and the camera's own scan finding nothing there.
TEST(CameraMoments, CardWalkFillsTheCatalogue)
{
    QTemporaryDir dir;
    ASSERT_TRUE(dir.isValid());
    const QString r = dir.path();
    Touch(r, "20230101_120100_NF.mp4", "12345");
    Touch(r, "20230101_120101_NR.mp4", "123");
    Touch(r, "20230101_120100_N.gps");
    Touch(r, "20230101_120100_N.3gf");
    Touch(r, "20230101_120000_NF.mp4");
    Touch(r, "Event/20230101_115900_EF.mp4");
    Touch(r, "notes.txt");
    Touch(r, ".hidden/20230101_110000_NF.mp4");   // hidden folders are not walked
    Touch(r, "a/b/c/d/20230101_100000_NF.mp4");    // deeper than the walk goes
    ASSERT_TRUE(QFile::link(r + "/Event", r + "/loop"));  // links are not followed

    QStringList normal;
    std::uint64_t bytes = 0;
    EXPECT_EQ(ScanRecordings(r, kGroupNormal, normal, bytes), 0);

    const CameraCard card = ScanCameraCard(r);
    EXPECT_TRUE(card.listed);
    EXPECT_FALSE(card.truncated);
    EXPECT_EQ(card.filesSeen, 4);
    RecordingCatalogue c;
    TakeCameraCard(card, c);
    EXPECT_EQ(c.normalFiles, QStringList({"20230101_120000_NF.mp4", "20230101_120100_NF.mp4"}));
    EXPECT_EQ(c.eventFiles, QStringList({"Event/20230101_115900_EF.mp4"}));
    EXPECT_EQ(c.normalTotalBytes, 9u);
    const CameraMoment& m = c.moments.value("20230101_120100_NF.mp4");
    EXPECT_EQ(m.gpsSidecar, "20230101_120100_N.gps");
    EXPECT_EQ(m.gSidecar, "20230101_120100_N.3gf");
    EXPECT_EQ(MomentCaption(c, "20230101_120100_NF.mp4"), "2023.01.01\r\n12:01:00 r");
    EXPECT_EQ(MomentCaption(c, "20230101_120000_NF.mp4"), "2023.01.01\r\n12:00:00");
    EXPECT_EQ(MomentCaption(c, "20230101120000.MP4"), "");
    // Files the viewer makes of a recording below a folder stay in the working folder.
    EXPECT_EQ(ThumbnailPath("/w", "Event/20230101_115900_EF.mp4"), "/w/Event%2F20230101_115900_EF.bmp");
    EXPECT_EQ(ThumbnailPath("/w", "20230101120000.MP4"), "/w/20230101120000.bmp");
}

// An export folder opened by itself, and a folder of exports: each clip is a saved moment at its
// In; the overlay clip and the evidence files beside it are not recordings.
TEST(CameraMoments, ExportFoldersShowTheirClips)
{
    QTemporaryDir dir;
    ASSERT_TRUE(dir.isValid());
    const QString r = dir.path();
    for (const char* folder : {"20230101-120005_20s", "20230101-130000_75s-2"}) {
        Touch(r, QString::fromLatin1(folder) + "/clip.MP4", "12345");
        Touch(r, QString::fromLatin1(folder) + "/clip_overlay.MP4", "12345");
        Touch(r, QString::fromLatin1(folder) + "/manifest.json");
    }
    struct Case {
        QString folder;
        QStringList events;
    };
    for (const Case& c : {Case{r, {"20230101-120005_20s/clip.MP4", "20230101-130000_75s-2/clip.MP4"}},
                          Case{r + "/20230101-120005_20s", {"clip.MP4"}},
                          Case{r + "/20230101-130000_75s-2/", {"clip.MP4"}}}) {
        SCOPED_TRACE(c.folder.toStdString());
        RecordingCatalogue catalogue;
        TakeCameraCard(ScanCameraCard(c.folder), catalogue);
        EXPECT_TRUE(catalogue.normalFiles.isEmpty());
        EXPECT_EQ(catalogue.eventFiles, c.events);
    }
    RecordingCatalogue catalogue;
    TakeCameraCard(ScanCameraCard(r + "/20230101-120005_20s"), catalogue);
    EXPECT_EQ(MomentCaption(catalogue, "clip.MP4"), "2023.01.01\r\n12:00:05");
}
