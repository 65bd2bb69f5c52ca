// SPDX-License-Identifier: GPL-3.0-or-later
// Copyright (c) 2026 The Plumo developers
#include "CSettings.h"

#include "QtPrinters.h"
#include "TestProfile.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>

#include <csignal>
#include <sys/resource.h>
#include <unistd.h>

#include <gtest/gtest.h>

static void PrintTo(const CSettings::WinRect& r, std::ostream* os)
{
    *os << '{' << r.left << ", " << r.top << ", " << r.right << ", " << r.bottom << '}';
}

static void PrintTo(const CSettings::LibraryNode& n, std::ostream* os)
{
    *os << '{' << n.node1Type << '/' << n.node1This << ", \"" << n.node2String.toStdString()
        << "\"/" << n.node2This << ", \"" << n.node3Artist.toStdString() << "\", \""
        << n.node3Album.toStdString() << "\"/" << n.node3This << '}';
}

namespace {

using WinRect = CSettings::WinRect;
using LibraryNode = CSettings::LibraryNode;

// A settings document holding only the given children of "Settings".
QByteArray Doc(const QByteArray& children)
{
    return "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n<Settings>" + children + "</Settings>\n";
}

CSettings LoadFrom(const TestProfile& profile, const QByteArray& bytes)
{
    profile.Write("Settings.xml", bytes);
    CSettings settings;
    settings.Load(profile.Path());
    return settings;
}

void ExpectDefaults(const CSettings& s)
{
    EXPECT_EQ(s.GetVolume(), 100000);
    EXPECT_EQ(s.GetMute(), 0);
    EXPECT_EQ(s.GetRepeat(), 0);
    EXPECT_EQ(s.GetShuffle(), 0);
    EXPECT_EQ(s.GetHideInTray(), 0);
    EXPECT_EQ(s.GetLastFm(), 0);
    EXPECT_EQ(s.GetReplayGain(), 3);
    EXPECT_EQ(s.GetReplayGainPreamp(), 0);
    EXPECT_EQ(s.GetReplayGainUntagged(), 0);
    EXPECT_EQ(s.GetPreventClipping(), 1);
    EXPECT_EQ(s.GetRadioDirectory(), 0);
    EXPECT_EQ(s.GetRadioDeveloperId(), "");
    EXPECT_EQ(s.GetWatchFolders(), 1);
    EXPECT_EQ(s.GetWindowRect(), (WinRect { 200, 120, 800, 620 }));
    EXPECT_EQ(s.GetLanguage(), "English");
    EXPECT_EQ(s.GetSkin(), "Default");
    EXPECT_EQ(s.GetDefaultLanguage(), "English");
    EXPECT_EQ(s.GetDefaultSkin(), "Default");
    EXPECT_EQ(s.GetLibraryNode(), LibraryNode {});
}

// Every field away from its default, with text that needs escaping or is outside ASCII.
CSettings Customised()
{
    CSettings s;
    s.SetVolume(42424);
    s.SetMute(1);
    s.SetRepeat(1);
    s.SetShuffle(1);
    s.SetHideInTray(1);
    s.SetLastFm(1);
    s.SetTimeRemaining(1);
    s.SetReplayGain(1);
    s.SetReplayGainPreamp(-250);
    s.SetReplayGainUntagged(600);
    s.SetPreventClipping(0);
    s.SetListenBrainz(1);
    s.SetListenBrainzServer("https://listens.example.org/");
    s.SetRadioDirectory(1);
    s.SetRadioDeveloperId(QStringLiteral("ab<&>\"12"));
    s.SetWatchFolders(0);
    s.SetWindowRect({ -300, 40, 1500, 1040 });
    s.SetLanguage(QStringLiteral("Deutsch \"neu\""));
    s.SetSkin(QStringLiteral("Nacht & <Tag>"));
    LibraryNode node;
    node.node1Type = 3;
    node.node1This = 0;
    node.node2String = QStringLiteral("Sigur Rós 'Ágætis byrjun' \U0001F3B5");
    node.node2This = 0;
    node.node3Artist = QStringLiteral("AC/DC\tlive");
    node.node3Album = QStringLiteral("Line one\nline two");
    node.node3This = 1;
    s.SetLibraryNode(node);
    return s;
}

void ExpectSameFields(const CSettings& a, const CSettings& b)
{
    EXPECT_EQ(a.GetVolume(), b.GetVolume());
    EXPECT_EQ(a.GetMute(), b.GetMute());
    EXPECT_EQ(a.GetRepeat(), b.GetRepeat());
    EXPECT_EQ(a.GetShuffle(), b.GetShuffle());
    EXPECT_EQ(a.GetHideInTray(), b.GetHideInTray());
    EXPECT_EQ(a.GetLastFm(), b.GetLastFm());
    EXPECT_EQ(a.GetTimeRemaining(), b.GetTimeRemaining());
    EXPECT_EQ(a.GetReplayGain(), b.GetReplayGain());
    EXPECT_EQ(a.GetReplayGainPreamp(), b.GetReplayGainPreamp());
    EXPECT_EQ(a.GetReplayGainUntagged(), b.GetReplayGainUntagged());
    EXPECT_EQ(a.GetPreventClipping(), b.GetPreventClipping());
    EXPECT_EQ(a.GetListenBrainz(), b.GetListenBrainz());
    EXPECT_EQ(a.GetListenBrainzServer(), b.GetListenBrainzServer());
    EXPECT_EQ(a.GetRadioDirectory(), b.GetRadioDirectory());
    EXPECT_EQ(a.GetRadioDeveloperId(), b.GetRadioDeveloperId());
    EXPECT_EQ(a.GetWatchFolders(), b.GetWatchFolders());
    EXPECT_EQ(a.GetWindowRect(), b.GetWindowRect());
    EXPECT_EQ(a.GetLanguage(), b.GetLanguage());
    EXPECT_EQ(a.GetSkin(), b.GetSkin());
    EXPECT_EQ(a.GetLibraryNode(), b.GetLibraryNode());
}

// Every entry of folder, temporary files included, in code-point order.
QStringList FolderEntries(const QString& folder)
{
    QStringList entries = QDir(folder).entryList(
        QDir::AllEntries | QDir::Hidden | QDir::System | QDir::NoDotAndDotDot, QDir::Unsorted);
    entries.sort();
    return entries;
}

TEST(Settings, MissingFileIsFirstRunWithDefaults)
{
    TestProfile profile;
    CSettings settings;
    EXPECT_FALSE(settings.Load(profile.Path()));
    EXPECT_TRUE(settings.IsFirstRun());
    ExpectDefaults(settings);
    EXPECT_EQ(settings.GetProfileFolder(), profile.Path());
}

TEST(Settings, DefaultDocumentIsWrittenExactlyInItsLayout)
{
    const QByteArray expected = R"(<?xml version="1.0" encoding="UTF-8"?>
<Settings>
    <Version ID="1.2"/>
    <DBVersion ID="1.0"/>
    <Language ID="English"/>
    <Skin ID="Default"/>
    <WinPosition Left="200" Top="120" Width="600" Height="500"/>
    <SoundVolume ID="100000"/>
    <SoundMute ID="0"/>
    <Repeat ID="0"/>
    <Shuffle ID="0"/>
    <HideInTray ID="0"/>
    <LastFM ID="0"/>
    <TimeRemaining ID="0"/>
    <ReplayGain ID="3"/>
    <ReplayGainPreamp ID="0"/>
    <ReplayGainUntagged ID="0"/>
    <PreventClipping ID="1"/>
    <ListenBrainz ID="0"/>
    <RadioDirectory ID="0"/>
    <RadioDeveloperID ID=""/>
    <WatchFolders ID="1"/>
    <Library>
        <Node1 This="0" Type="0"/>
        <Node2 This="0" String=""/>
        <Node3 This="0" Artist="" Album=""/>
    </Library>
</Settings>
)";
    EXPECT_EQ(CSettings().ToXml(), expected);
}

TEST(Settings, LoudnessValuesOutOfRangeAreClamped)
{
    TestProfile profile;
    const CSettings s = LoadFrom(profile,
        Doc(R"(<ReplayGain ID="9"/><ReplayGainPreamp ID="-99999"/>)"
            R"(<ReplayGainUntagged ID="2000"/><PreventClipping ID="7"/>)"));
    EXPECT_EQ(s.GetReplayGain(), 3);
    EXPECT_EQ(s.GetReplayGainPreamp(), -1500);
    EXPECT_EQ(s.GetReplayGainUntagged(), 1500);
    EXPECT_EQ(s.GetPreventClipping(), 1);
    const CSettings off = LoadFrom(profile, Doc(R"(<ReplayGain ID="-1"/><PreventClipping ID="0"/>)"));
    EXPECT_EQ(off.GetReplayGain(), 0);
    EXPECT_EQ(off.GetPreventClipping(), 0);
}

TEST(Settings, WatchFoldersReadsAnythingButZeroAsOn)
{
    TestProfile profile;
    EXPECT_EQ(LoadFrom(profile, Doc(R"(<WatchFolders ID="0"/>)")).GetWatchFolders(), 0);
    EXPECT_EQ(LoadFrom(profile, Doc(R"(<WatchFolders ID="5"/>)")).GetWatchFolders(), 1);
    EXPECT_EQ(LoadFrom(profile, Doc(R"(<WatchFolders ID="off"/>)")).GetWatchFolders(), 1);
}

TEST(Settings, EveryFieldSurvivesSaveAndLoad)
{
    TestProfile profile;
    const CSettings saved = Customised();
    ASSERT_TRUE(saved.Save(profile.Path()));

    CSettings loaded;
    EXPECT_TRUE(loaded.Load(profile.Path()));
    EXPECT_FALSE(loaded.IsFirstRun());
    ExpectSameFields(loaded, saved);
    // Saving what was loaded gives the same bytes: nothing drifts from run to run.
    EXPECT_EQ(loaded.ToXml(), saved.ToXml());
}

TEST(Settings, FirstRunSaveMakesTheNextStartNormal)
{
    TestProfile profile;
    CSettings first;
    first.Load(profile.Path());
    ASSERT_TRUE(first.IsFirstRun());
    ASSERT_TRUE(first.Save());

    CSettings second;
    EXPECT_TRUE(second.Load(profile.Path()));
    EXPECT_FALSE(second.IsFirstRun());
}

// Damaged files of every kind give the defaults without a first run (which would add a
// playlist and ask for library folders again).
struct Damage {
    const char* name;
    QByteArray bytes;
};

class DamagedSettings : public testing::TestWithParam<Damage> { };

TEST_P(DamagedSettings, GivesDefaultsSilently)
{
    TestProfile profile;
    profile.Write("Settings.xml", GetParam().bytes);
    CSettings settings;
    EXPECT_FALSE(settings.Load(profile.Path()));
    EXPECT_FALSE(settings.IsFirstRun());
    ExpectDefaults(settings);
}

INSTANTIATE_TEST_SUITE_P(Settings, DamagedSettings,
    testing::Values(Damage { "Empty", QByteArray() }, Damage { "Blank", "   \n" },
        Damage { "NotXml", "not xml at all" }, Damage { "Zeros", QByteArray(64, '\0') },
        Damage { "CutInHalf", Customised().ToXml().left(Customised().ToXml().size() / 2) },
        Damage { "Unclosed", Doc("<Language ID=\"German\"/><Skin ID=\"Night\"").chopped(12) },
        Damage { "TwoRoots", "<Settings><Language ID=\"German\"/></Settings><Settings>" },
        Damage { "Utf16", QByteArray("\xff\xfe<\0S\0e\0t\0", 10) }),
    [](const testing::TestParamInfo<Damage>& p) { return std::string(p.param.name); });

TEST(Settings, RootWithoutChildrenGivesDefaults)
{
    TestProfile profile;
    CSettings settings;
    profile.Write("Settings.xml", Doc(""));
    EXPECT_TRUE(settings.Load(profile.Path()));
    EXPECT_FALSE(settings.IsFirstRun());
    ExpectDefaults(settings);
}

TEST(Settings, UnreadableOrOversizedFileIsNotAFirstRun)
{
    TestProfile profile;
    QDir(profile.Path()).mkdir("Settings.xml"); // a folder in the file's place
    CSettings settings;
    EXPECT_FALSE(settings.Load(profile.Path()));
    EXPECT_FALSE(settings.IsFirstRun());
    EXPECT_FALSE(settings.Save(profile.Path()));
    EXPECT_TRUE(QFileInfo(profile.File("Settings.xml")).isDir());

    TestProfile large;
    const QString path = large.Write("Settings.xml", Doc("<Skin ID=\"Big\"/>"));
    QFile file(path);
    ASSERT_TRUE(file.resize(CSettings::kMaxFileSize + 1)); // sparse: costs no disk
    CSettings big;
    EXPECT_FALSE(big.Load(large.Path()));
    EXPECT_FALSE(big.IsFirstRun());
    EXPECT_EQ(big.GetSkin(), "Default");
}

TEST(Settings, VolumeIsClampedToItsRange)
{
    TestProfile profile;
    const auto volume = [&](const QByteArray& value) {
        return LoadFrom(profile, Doc("<SoundVolume ID=\"" + value + "\"/>")).GetVolume();
    };
    EXPECT_EQ(volume("250000"), 100000);
    EXPECT_EQ(volume("-5"), 0);
    EXPECT_EQ(volume("99999999999"), 100000);
    EXPECT_EQ(volume("55555"), 55555);
    EXPECT_EQ(volume("loud"), 100000); // not a number: the field keeps its value

    CSettings settings;
    settings.SetVolume(-1);
    EXPECT_EQ(settings.GetVolume(), 0);
    settings.SetVolume(100001);
    EXPECT_EQ(settings.GetVolume(), 100000);
}

TEST(Settings, WindowPositionIsTakenOnlyWhenItCanBeAWindow)
{
    TestProfile profile;
    const auto rect = [&](const QByteArray& attributes) {
        return LoadFrom(profile, Doc("<WinPosition " + attributes + "/>")).GetWindowRect();
    };
    const WinRect defaults;
    EXPECT_EQ(
        rect(R"(Left="10" Top="20" Width="300" Height="400")"), (WinRect { 10, 20, 310, 420 }));
    // A minimised window's parking place is not restored.
    EXPECT_EQ(rect(R"(Left="-32000" Top="-32000" Width="160" Height="24")"), defaults);
    EXPECT_EQ(rect(R"(Left="50" Top="-10001" Width="300" Height="400")"), defaults);
    EXPECT_EQ(rect(R"(Left="-10000" Top="-10000" Width="300" Height="400")"),
        (WinRect { -10000, -10000, -9700, -9600 }));
    // Missing attributes keep the current left, top, width and height.
    EXPECT_EQ(rect(R"(Left="300")"), (WinRect { 300, 120, 900, 620 }));
    EXPECT_EQ(rect(R"(Height="200")"), (WinRect { 200, 120, 800, 320 }));
    // Sizes that no window can have, and edges beyond 32 bits.
    EXPECT_EQ(rect(R"(Left="10" Top="20" Width="0" Height="400")"), defaults);
    EXPECT_EQ(rect(R"(Left="10" Top="20" Width="300" Height="-5")"), defaults);
    EXPECT_EQ(rect(R"(Left="2147483000" Top="20" Width="1000" Height="400")"), defaults);
    EXPECT_EQ(rect(R"(Left="10" Top="20" Width="99999999999" Height="400")"), defaults);
    // Found by fuzzing: numbers past 64 bits are read as the largest 64-bit value, and adding
    // the size to that overflowed.
    EXPECT_EQ(rect(R"(Left="9223372036854775807" Top="20" Width="300" Height="400")"), defaults);
    EXPECT_EQ(rect(R"(Left="10" Top=")" + QByteArray(80, '6') + R"(" Width="300" Height="500")"),
        defaults);
    EXPECT_EQ(rect(R"(Left="10" Top="20" Width="2147483637" Height="400")"),
        (WinRect { 10, 20, 2147483647, 420 }));
}

TEST(Settings, MissingElementsAndAttributesKeepTheirFields)
{
    TestProfile profile;
    CSettings settings = Customised();
    profile.Write("Settings.xml",
        Doc(R"(<Repeat ID="0"/><SoundMute/><Skin/><Language ID=""/>)"
            R"(<Library><Node1 Type="5"/><Node2 This="1"/></Library>)"));
    EXPECT_TRUE(settings.Load(profile.Path()));
    EXPECT_EQ(settings.GetRepeat(), 0);
    EXPECT_EQ(settings.GetMute(), 1);
    EXPECT_EQ(settings.GetSkin(), "Nacht & <Tag>");
    EXPECT_EQ(settings.GetLanguage(), ""); // present but empty is taken as it is
    const LibraryNode& node = settings.GetLibraryNode();
    EXPECT_EQ(node.node1Type, 5);
    EXPECT_EQ(node.node1This, 0);
    EXPECT_EQ(node.node2This, 1);
    EXPECT_EQ(node.node2String, ""); // a missing string attribute gives an empty string
    EXPECT_EQ(node.node3Artist, "AC/DC\tlive"); // no "Node3": kept
    EXPECT_EQ(node.node3This, 1);
}

TEST(Settings, RadioDirectoryIsTheOpenOneUnlessTheOlderIsChosen)
{
    TestProfile profile;
    const struct {
        QByteArray element;
        int source;
    } cases[] = {{R"(<RadioDirectory ID="1"/>)", 1}, {R"(<RadioDirectory ID="0"/>)", 0},
        {R"(<RadioDirectory ID="2"/>)", 0}, {R"(<RadioDirectory ID="-1"/>)", 0},
        {R"(<RadioDirectory ID="x"/>)", 0}, {"", 0}};
    for (const auto& c : cases)
        EXPECT_EQ(LoadFrom(profile, Doc(c.element)).GetRadioDirectory(), c.source) << c.element.data();
}

TEST(Settings, NamesAreCutTo1024Characters)
{
    TestProfile profile;
    const QByteArray longName(3000, 'n');
    const CSettings s = LoadFrom(profile, Doc("<Language ID=\"" + longName + "\"/>"));
    EXPECT_EQ(s.GetLanguage(), QString(1024, QLatin1Char('n')));
}

TEST(Settings, SavingAlwaysWritesTheCurrentVersions)
{
    TestProfile profile;
    profile.Write(
        "Settings.xml", Doc(R"(<Version ID="0.9"/><DBVersion ID="7.7"/><Shuffle ID="1"/>)"));
    CSettings settings;
    ASSERT_TRUE(settings.Load(profile.Path()));
    ASSERT_TRUE(settings.Save());
    const QByteArray written = profile.Read("Settings.xml");
    EXPECT_TRUE(written.contains("<Version ID=\"1.2\"/>"));
    EXPECT_TRUE(written.contains("<DBVersion ID=\"1.0\"/>"));
    EXPECT_TRUE(written.contains("<Shuffle ID=\"1\"/>"));
}

TEST(Settings, UnwritableFolderReportsFailureAndCreatesNothing)
{
    TestProfile profile;
    const QString notAFolder = profile.Write("plain-file", "x");
    CSettings settings;
    EXPECT_FALSE(settings.Save(notAFolder));
    EXPECT_FALSE(settings.Save(profile.File("missing/folder")));
    EXPECT_FALSE(settings.Save(QString()));
    EXPECT_EQ(FolderEntries(profile.Path()), QStringList { "plain-file" });
}

TEST(Settings, SaveReplacesTheFileInOneStep)
{
    TestProfile profile;
    const CSettings old;
    ASSERT_TRUE(old.Save(profile.Path()));
    // A second name for the old file: rewriting in place would change what it shows too.
    ASSERT_EQ(::link(QFile::encodeName(profile.File("Settings.xml")).constData(),
                  QFile::encodeName(profile.File("old-copy")).constData()),
        0);

    ASSERT_TRUE(Customised().Save(profile.Path()));
    EXPECT_EQ(profile.Read("old-copy"), old.ToXml());
    EXPECT_EQ(profile.Read("Settings.xml"), Customised().ToXml());
    EXPECT_EQ(FolderEntries(profile.Path()), (QStringList { "Settings.xml", "old-copy" }));
}

// A full disk in the middle of a save, made with the file-size limit (which binds root too).
TEST(Settings, FailedWriteLeavesTheOldFileWhole)
{
    TestProfile profile;
    const CSettings old = Customised();
    ASSERT_TRUE(old.Save(profile.Path()));

    CSettings bigger = Customised();
    LibraryNode node = bigger.GetLibraryNode();
    node.node2String = QString(100000, QLatin1Char('x'));
    bigger.SetLibraryNode(node);

    rlimit saved {};
    ASSERT_EQ(getrlimit(RLIMIT_FSIZE, &saved), 0);
    const auto previousHandler = std::signal(SIGXFSZ, SIG_IGN);
    rlimit small = saved;
    small.rlim_cur = 4096;
    ASSERT_EQ(setrlimit(RLIMIT_FSIZE, &small), 0);
    const bool written = bigger.Save(profile.Path());
    setrlimit(RLIMIT_FSIZE, &saved);
    std::signal(SIGXFSZ, previousHandler);

    EXPECT_FALSE(written);
    EXPECT_EQ(profile.Read("Settings.xml"), old.ToXml());
    EXPECT_EQ(FolderEntries(profile.Path()), QStringList { "Settings.xml" });
    CSettings reloaded;
    EXPECT_TRUE(reloaded.Load(profile.Path()));
    ExpectSameFields(reloaded, old);
}

} // namespace
