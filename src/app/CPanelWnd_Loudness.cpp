// SPDX-License-Identifier: GPL-3.0-or-later
// Copyright (c) 2026 The Plumo developers
// Loudness: the levelling settings and their menu, and measuring files that carry no gains.
// The measuring runs on the progress dialog's worker; its results are stored in the library
// (never in the files) and handed to the engine on this thread once the dialog has closed.
#include "CPanelWnd.h"

#include "CDlgLoudness.h"
#include "CDlgProgress.h"
#include "CLoudnessMeter.h"

#include <QSet>

#include <vector>

void CPanelWnd::OnLoudnessOff()
{
    SetLoudnessMode(static_cast<int>(ReplayGainMode::Off));
}

void CPanelWnd::OnLoudnessTrack()
{
    SetLoudnessMode(static_cast<int>(ReplayGainMode::Track));
}

void CPanelWnd::OnLoudnessAlbum()
{
    SetLoudnessMode(static_cast<int>(ReplayGainMode::Album));
}

void CPanelWnd::OnLoudnessAuto()
{
    SetLoudnessMode(static_cast<int>(ReplayGainMode::Auto));
}

void CPanelWnd::OnPreventClipping()
{
    m_settings.SetPreventClipping(m_settings.GetPreventClipping() == 0 ? 1 : 0);
    ApplyLoudness();
}

void CPanelWnd::OnLoudnessLevels()
{
    ModalBracket bracket(*this);
    CDlgLoudness dlg(this);
    // The buttons read as in the other dialogs that confirm a choice.
    const QStringList buttons = m_language.Section(LangSection::LanguageDialog);
    dlg.SetLines({m_language.Line(LangSection::MainMenu, kLoudnessLevelsCaptionLine),
        buttons.value(1), buttons.value(2), m_language.Line(LangSection::MainMenu, kPreampLevelLine),
        m_language.Line(LangSection::MainMenu, kUntaggedLevelLine)});
    dlg.SetValues(m_settings.GetReplayGainPreamp(), m_settings.GetReplayGainUntagged());
    if (dlg.exec() != QDialog::Accepted)
        return;
    m_settings.SetReplayGainPreamp(dlg.Preamp());
    m_settings.SetReplayGainUntagged(dlg.Untagged());
    ApplyLoudness();
}

void CPanelWnd::SetLoudnessMode(int mode)
{
    m_settings.SetReplayGain(mode);
    ApplyLoudness();
}

void CPanelWnd::ApplyLoudness()
{
    constexpr double kHundredths = 100.0;
    LoudnessSettings loudness;
    loudness.mode = static_cast<ReplayGainMode>(m_settings.GetReplayGain());
    loudness.preampDb = m_settings.GetReplayGainPreamp() / kHundredths;
    loudness.untaggedDb = m_settings.GetReplayGainUntagged() / kHundredths;
    loudness.preventClipping = m_settings.GetPreventClipping() != 0;
    m_engine.SetLoudness(loudness);
    const int modes[] = {CContextMenu::ID_LOUDNESS_OFF, CContextMenu::ID_LOUDNESS_TRACK,
        CContextMenu::ID_LOUDNESS_ALBUM, CContextMenu::ID_LOUDNESS_AUTO};
    for (int mode = 0; mode < 4; ++mode)
        m_menus.Check(modes[mode], mode == m_settings.GetReplayGain());
    m_menus.Check(CContextMenu::ID_PREVENT_CLIPPING, loudness.preventClipping);
}

void CPanelWnd::LookUpStoredGains()
{
    if (!m_db.IsOpen(DbConn::Library))
        return;
    m_engine.SetGainsLookup([path = m_db.LibraryPath()](const QString& file) {
        return CDBase::StoredGains(path, file);
    });
}

void CPanelWnd::OnAnalyseLoudness()
{
    QSet<QString> files;
    for (const CSkinListNode* row : m_list.Rows().Selection()) {
        if (row->IsSong() && !CPlayBass::IsStreamAddress(row->m_file))
            files.insert(row->m_file);
    }
    if (!files.isEmpty())
        AnalyseLoudness(&files);
}

void CPanelWnd::OnAnalyseLibrary()
{
    AnalyseLoudness(nullptr);
}

void CPanelWnd::AnalyseLoudness(const QSet<QString>* files)
{
    if (!m_db.IsOpen(DbConn::Library))
        return;
    // An album gain is only right over the whole album: a selected track brings the rest of
    // its album along.
    std::vector<LoudnessRow> rows = m_db.LoudnessRows();
    if (files != nullptr) {
        QSet<QString> albums;
        for (const LoudnessRow& row : rows) {
            if (files->contains(row.file) && !row.album.isEmpty())
                albums.insert(row.album);
        }
        std::erase_if(rows, [&](const LoudnessRow& row) {
            return !files->contains(row.file) && !albums.contains(row.album);
        });
    }
    if (rows.empty())
        return;
    std::vector<CLoudnessMeter::Track> tracks;
    tracks.reserve(rows.size());
    for (const LoudnessRow& row : rows)
        tracks.push_back({row.file, row.album});
    std::vector<CLoudnessMeter::Result> results;
    {
        CDlgProgress dlg(this);
        QStringList lines = m_language.Section(LangSection::ProcessDialog);
        if (!lines.isEmpty())
            lines[0] = m_language.Line(LangSection::MainMenu, kAnalyseLibraryLine);
        dlg.SetLines(lines);
        dlg.SetWork([&tracks, &results](IUpdateProgress& progress, const std::atomic<bool>& cancel) {
            progress.SetRange(static_cast<int>(tracks.size()));
            results = CLoudnessMeter::Measure(tracks, [&](int) {
                progress.Step();
                return !cancel.load();
            });
        });
        dlg.Run();
    }
    m_db.Begin(DbConn::Library);
    for (std::size_t i = 0; i < results.size(); ++i) {
        if (!results[i].measured)
            continue;
        m_db.SetGains(rows[i].libraryId, results[i].gains);
        m_engine.SetStoredGains(rows[i].file, results[i].gains);
    }
    m_db.Commit(DbConn::Library);
}
