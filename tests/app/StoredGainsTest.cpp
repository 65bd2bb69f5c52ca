// SPDX-License-Identifier: GPL-3.0-or-later
// Copyright (c) 2026 The Plumo developers
// A file whose tags hold no gain plays by the gains its library row stores: asked of the
// library file as the file opens, so rows measured after start-up count as well.
#include "CPanelWnd.h"
#include "PlayerHome.h"
#include "SessionSupport.h"
#include "TestProfile.h"

#include <gtest/gtest.h>

namespace {

const TrackGains kMeasured{-6.5, -7.25, 0.5, 0.75};
const TrackGains kLater{-3.0, std::nullopt, 0.25, std::nullopt};

void ExpectGains(const TrackGains& got, const TrackGains& want)
{
    EXPECT_EQ(got.trackGain, want.trackGain);
    EXPECT_EQ(got.albumGain, want.albumGain);
    EXPECT_EQ(got.trackPeak, want.trackPeak);
    EXPECT_EQ(got.albumPeak, want.albumPeak);
}

class StoredGains : public ::testing::Test {
protected:
    void SetUp() override
    {
        CDBase db;
        db.SetFolder(UseProfile(m_home, "<Settings><ReplayGain ID=\"1\"/></Settings>"));
        db.OpenLibrary();
        ASSERT_TRUE(db.IsOpen(DbConn::Library));
        // Paths that are no files: their tags cannot hold a gain.
        for (const char* file : {"/m/measured.mp3", "/m/later.mp3"}) {
            TrackRecord r;
            r.title = file;
            r.type = 1;
            if (std::string(file) == "/m/measured.mp3")
                r.gains = kMeasured;
            ASSERT_TRUE(db.InsertLibraryRow(file, CDBase::NowText(), r));
        }
        m_wnd = std::make_unique<CPanelWnd>();
        ASSERT_TRUE(session::CreateAndRestore(*m_wnd));
    }

    TestProfile m_home;
    std::unique_ptr<CPanelWnd> m_wnd;
};

TEST_F(StoredGains, AnUntaggedFilePlaysByItsRowAndAnUnknownOneByNone)
{
    const CPlayBass& engine = m_wnd->GetEngine();
    ExpectGains(engine.GainsOf("/m/measured.mp3"), kMeasured);
    ExpectGains(engine.GainsOf("/m/later.mp3"), {});
    ExpectGains(engine.GainsOf("/m/not-in-the-library.mp3"), {});
}

TEST_F(StoredGains, GainsStoredAfterStartUpCountFromTheNextOpen)
{
    CDBase& db = m_wnd->GetDatabase();
    ASSERT_TRUE(db.SetGains(2, kLater));
    ExpectGains(m_wnd->GetEngine().GainsOf("/m/later.mp3"), kLater);
    // What the engine was told for this session stands before the library's row.
    m_wnd->GetEngine().SetStoredGains("/m/measured.mp3", kLater);
    ExpectGains(m_wnd->GetEngine().GainsOf("/m/measured.mp3"), kLater);
}

} // namespace
