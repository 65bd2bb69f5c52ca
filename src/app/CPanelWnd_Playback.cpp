// SPDX-License-Identifier: GPL-3.0-or-later
// Copyright (c) 2026 The Plumo developers
// The player's own logic: which row plays, what play, pause, stop, next, previous and the end
// of a track do, the counters, and how titles, rating, cover, window title and tray tip
// follow the playing track. The list owns the rows; the engine owns the audio.
#include "CPanelWnd.h"

#include "CSkinText.h"

#include <QMessageBox>

#include <algorithm>
#include <array>
#include <ctime>
#include <random>
#include <span>

namespace {

constexpr int kPlaying = 1;
constexpr int kNotPlaying = 0;
constexpr int kStationRating = 100;

int Kind(SkinKind kind)
{
    return static_cast<int>(kind);
}

} // namespace

QString CPanelWnd::NowPlayingText(const QString& artist, const QString& title)
{
    return artist.isEmpty() ? title : artist + QStringLiteral(" - ") + title;
}

namespace {

// The list groups a playlist's songs under a head per album; a song played in order within a
// group of several is heard as part of its album, which Auto loudness plays at album gain.
bool InAlbumOrder(const CSkinListNode* row, bool shuffle)
{
    if (shuffle || row == nullptr || row->m_parent == nullptr || !row->m_parent->IsHead())
        return false;
    const auto& group = row->m_parent->m_children;
    return std::count_if(group.begin(), group.end(), [](const CSkinListNode* n) {
        return n->IsSong();
    }) > 1;
}

} // namespace

int CPanelWnd::ShuffleIndex(unsigned seed, int count)
{
    // The whole list can be drawn, however long it is; seeding with the time in seconds keeps
    // two ends within one second on the same position.
    if (count <= 0)
        return -1;
    std::mt19937 generator(seed);
    std::uniform_int_distribution<int> pick(0, count - 1);
    return pick(generator);
}

CSkinListNode* CPanelWnd::FirstSong() const
{
    const auto& songs = m_list.Rows().Songs();
    return songs.empty() ? nullptr : songs.front();
}

CSkinListNode* CPanelWnd::SongAfter(CSkinListNode* row, bool wrap) const
{
    const auto& songs = m_list.Rows().Songs();
    const auto it = std::find(songs.begin(), songs.end(), row);
    if (it != songs.end() && it + 1 != songs.end())
        return *(it + 1);
    return wrap ? FirstSong() : nullptr;
}

CSkinListNode* CPanelWnd::SongBefore(CSkinListNode* row, bool wrap) const
{
    const auto& songs = m_list.Rows().Songs();
    const auto it = std::find(songs.begin(), songs.end(), row);
    if (it != songs.end() && it != songs.begin())
        return *(it - 1);
    return wrap && !songs.empty() ? songs.back() : nullptr;
}

void CPanelWnd::PlayRow()
{
    CSkinListNode* row = m_list.Rows().Focus();
    if (!row || !row->IsSong())
        row = FirstSong();
    if (row)
        PlayNode(row);
}

void CPanelWnd::Play()
{
    if (m_player.playing && m_player.paused)
        PauseToggle();
    else
        PlayRow();
}

void CPanelWnd::PlayPause()
{
    if (m_player.playing)
        PauseToggle();
    else
        PlayRow();
}

void CPanelWnd::PlayNode(CSkinListNode* row)
{
    EndListen(false);
    m_list.SetPlayNode(row);
    m_list.update();
    m_player.stream = CPlayBass::IsStreamAddress(row->m_file);
    m_player.opening = !m_player.stream;
    if (m_player.stream) {
        m_engine.OpenURL(row->m_file);
        PlayStarted(row);
        return;
    }
    // The rest waits for the engine's answer (FileOpened): a file on a share that is slow or
    // gone, or a pipe behind an audio name, never holds the window. The row is remembered in
    // case the list is refilled meanwhile.
    m_opening.file = row->m_file;
    m_opening.libraryId = row->m_libraryId;
    m_opening.playlistId = row->m_playlistId;
    m_opening.texts = row->m_texts;
    m_opening.rating = row->m_rating;
    m_engine.SetAlbumOrder(InAlbumOrder(row, m_settings.GetShuffle() != 0));
    m_engine.OpenFile(row->m_file);
}

void CPanelWnd::OpenFinished(int code, LParam request)
{
    // A result posted just before the user asked for something else answers nothing.
    if (!m_engine.IsCurrentRequest(request))
        return;
    if (m_player.opening)
        FileOpened(code);
    else
        StreamConnected(code);
}

void CPanelWnd::FileOpened(int code)
{
    if (code != 0) {
        // The engine let the track before go when this one was asked for: whatever played,
        // the player is now stopped, and says so everywhere (controls, timers, desktop). A
        // row picked by the user that cannot be played stops rather than skips, so a list
        // of files gone (a drive taken away) does not run through silently. One row that
        // cannot be played is told in the title strip, not in a box per file.
        Stop();
        ShowStatus(
            m_language.Line(LangSection::Messages, 3) + QStringLiteral(" ") + m_opening.file);
        return;
    }
    m_player.opening = false;
    if (CSkinListNode* row = m_list.Rows().Playing()) {
        PlayStarted(row);
        return;
    }
    // The list was refilled while the file opened: it plays as the row it was started from.
    CSkinListNode gone;
    gone.m_file = m_opening.file;
    gone.m_libraryId = m_opening.libraryId;
    gone.m_playlistId = m_opening.playlistId;
    gone.m_texts = m_opening.texts;
    gone.m_rating = m_opening.rating;
    PlayStarted(&gone);
}

void CPanelWnd::PlayStarted(CSkinListNode* row)
{
    m_statusText.clear();
    m_db.ClosePlayingPlaylist();
    m_player.libraryId = row->m_libraryId;
    m_player.playlistId = row->m_playlistId;
    m_player.paused = false;
    m_player.prepared = nullptr;
    if (m_player.stream) {
        m_player.playing = false;
        ShowStream(row);
    } else {
        m_player.playing = true;
        StartPlayingTimers();
        m_skinDraw.SetStateOfKind(Kind(SkinKind::PlayPause), kPlaying);
        ShowFile(row);
    }
}

void CPanelWnd::ShowStream(CSkinListNode* row)
{
    m_player.station = row->m_texts[static_cast<int>(ListSlot::Title)];
    m_player.lengthMs = 0;
    m_player.coverFile.clear();
    if (m_player.station.isEmpty())
        m_player.station = row->m_file;
    m_skinDraw.SetRating(row->m_rating + (m_list.Rows().RadioMode() ? kStationRating : 0));
    ShowTexts(m_player.station, QString(), QString(), true);
    m_positionTimer.stop();
    StartFallOff();
    m_skinDraw.SetPosition(0);
    m_skinDraw.SetStateOfKind(Kind(SkinKind::PlayPause), kNotPlaying);
    m_skinDraw.ClearCover();
    m_heard.Clear();
    SetNowPlaying(QString(), m_player.station);
    if (m_settings.GetLastFm())
        m_lastFm.SendStop();
    StationPlaying(row);
}

void CPanelWnd::ShowFile(CSkinListNode* row)
{
    QStringList info;
    if (!m_db.GetShortInfo(row->m_libraryId, row->m_playlistId, &info) || info.size() < 4)
        info = QStringList{row->m_texts[static_cast<int>(ListSlot::Title)], {}, {}, {}};
    ShowTexts(info[0], info[1], info[2], false);
    m_player.lengthMs = info[3].toLongLong() * 1000;
    m_player.coverFile.clear(); // the cover worker reports the new one
    m_skinDraw.SetRating(row->m_rating);
    m_skinDraw.ShowCover(row->m_file, info[2]);
    SetNowPlaying(info[1], info[0]);
    if (m_settings.GetLastFm())
        m_lastFm.SendStart(info[1], info[0], info[2], info[3]);
    UpdateTimeText();
    StartListen(row, info);
}

void CPanelWnd::ShowTexts(const QString& title, const QString& artist, const QString& album,
                          bool stream)
{
    m_player.title = title;
    m_player.artist = artist;
    m_player.album = album;
    const QString unknown = m_language.Line(LangSection::Playlist, 0);
    const QString noArtist = stream ? m_language.Line(LangSection::Playlist, 1) : unknown;
    m_skinDraw.SetTexts(title, artist.isEmpty() ? noArtist : artist,
        album.isEmpty() ? unknown : album);
}

void CPanelWnd::SetNowPlaying(const QString& artist, const QString& title)
{
    setWindowTitle(NowPlayingText(artist, title));
    m_tray.SetTip(title, artist);
    UpdateMpris();
}

void CPanelWnd::ClearNowPlaying()
{
    m_skinDraw.SetRating(-1);
    m_skinDraw.SetTexts(QString(), QString(), QString());
    m_tray.ClearTip();
    setWindowTitle(QStringLiteral("Plumo"));
    m_player.title.clear();
    m_player.artist.clear();
    m_player.album.clear();
    m_player.lengthMs = 0;
    m_player.coverFile.clear();
    UpdateTimeText();
    UpdateMpris();
}

qint64 CPanelWnd::PlayingLengthSeconds() const
{
    if (!m_player.playing || m_player.stream)
        return 0;
    // The library's length is the one the list shows; a file it does not know has the
    // engine's.
    return m_player.lengthMs > 0 ? m_player.lengthMs / 1000 : m_engine.GetLengthSeconds();
}

void CPanelWnd::UpdateTimeText(std::optional<qint64> atSeconds)
{
    const qint64 position = atSeconds ? *atSeconds : m_engine.GetElapsedSeconds();
    m_skinDraw.SetTime(CSkinText::TimeText(m_player.playing, position, PlayingLengthSeconds(),
        m_settings.GetTimeRemaining() != 0));
}

void CPanelWnd::ToggleTimeRemaining()
{
    m_settings.SetTimeRemaining(m_settings.GetTimeRemaining() != 0 ? 0 : 1);
    UpdateTimeText();
}

void CPanelWnd::UpdateMpris()
{
    CMprisLink::State state;
    state.playing = m_player.playing;
    state.paused = m_player.paused;
    if (const CSkinListNode* row = m_list.Rows().Playing())
        state.file = row->m_file;
    state.title = m_player.title;
    state.artist = m_player.artist;
    state.album = m_player.album;
    state.lengthMs = m_player.lengthMs;
    state.coverFile = m_player.coverFile;
    state.volume = m_engine.GetVolumeLevel();
    state.shuffle = m_settings.GetShuffle() != 0;
    state.repeat = m_settings.GetRepeat() != 0;
    m_mpris.Update(state);
}

void CPanelWnd::ShowStatus(const QString& text)
{
    m_statusText = text;
    m_skinDraw.SetTexts(text, QString(), QString());
    setWindowTitle(QStringLiteral("Plumo"));
    Q_EMIT StatusShown(text);
}

void CPanelWnd::Warn(int messageLine, int captionLine, int icon)
{
    // Window-modal but not waiting: the player keeps running while the note is up.
    const QString text = m_language.Line(LangSection::Messages, messageLine);
    auto* box = new QMessageBox(static_cast<QMessageBox::Icon>(icon),
        m_language.Line(LangSection::Messages, captionLine), text, QMessageBox::Ok, this);
    box->setAttribute(Qt::WA_DeleteOnClose);
    box->open();
    m_statusText = text;
    Q_EMIT StatusShown(text);
}

void CPanelWnd::StartPlayingTimers()
{
    m_positionTimer.start();
    m_player.fallOff = 0;
    m_spectrumTimer.start();
}

void CPanelWnd::StartFallOff()
{
    m_player.fallOff = kFallOffTicks;
    m_spectrumTimer.start();
}

void CPanelWnd::ForgetPlayingRow()
{
    if (CSkinListNode* row = m_list.Rows().Playing())
        row->m_playState = PlayState::Stop;
    m_list.SetPlayNode(nullptr);
    m_list.update();
}

void CPanelWnd::PauseToggle()
{
    if (!m_player.playing)
        return;
    if (m_player.stream) {
        Stop();
        return;
    }
    CSkinListNode* row = m_list.Rows().Playing();
    if (!m_player.paused) {
        m_player.paused = true;
        m_engine.Pause();
        if (row)
            row->m_playState = PlayState::Pause;
        m_positionTimer.stop();
        StartFallOff();
        m_skinDraw.SetStateOfKind(Kind(SkinKind::PlayPause), kNotPlaying);
        if (m_settings.GetLastFm())
            m_lastFm.SendPause();
    } else {
        m_player.paused = false;
        m_engine.Resume();
        if (row)
            row->m_playState = PlayState::Play;
        StartPlayingTimers();
        m_skinDraw.SetStateOfKind(Kind(SkinKind::PlayPause), kPlaying);
        if (m_settings.GetLastFm())
            m_lastFm.SendResume();
    }
    m_list.update();
    UpdateMpris();
}

void CPanelWnd::Seek(int position)
{
    if (m_player.playing && !m_player.stream) {
        SeekListen(position);
        m_engine.Seek(position);
        UpdateTimeText(PlayingLengthSeconds() * position / CPlayBass::kMaxLevel);
        if (m_player.paused)
            PauseToggle();
    } else {
        m_skinDraw.SetPosition(0);
    }
}

void CPanelWnd::Stop()
{
    // A stream still connecting or a file still opening has no playing flag while it waits,
    // but must be abandoned all the same.
    const bool connecting = m_player.stream && m_list.Rows().Playing() != nullptr;
    if (!m_player.playing && !connecting && !m_player.opening)
        return;
    EndListen(false);
    m_player.opening = false;
    m_player.playing = false;
    m_player.paused = false;
    m_player.stream = false;
    m_player.prepared = nullptr;
    m_engine.Stop();
    m_positionTimer.stop();
    StartFallOff();
    ForgetPlayingRow();
    m_skinDraw.SetPosition(0);
    m_skinDraw.SetStateOfKind(Kind(SkinKind::PlayPause), kNotPlaying);
    ClearNowPlaying();
    m_skinDraw.ClearCover();
    m_db.ClosePlayingPlaylist();
    m_player.libraryId = 0;
    m_player.playlistId = 0;
    if (m_settings.GetLastFm())
        m_lastFm.SendStop();
}

void CPanelWnd::CountPlay()
{
    if (!m_db.CountPlay(m_player.libraryId, m_player.playlistId))
        ReportFailure(tr("The play could not be counted: the library or playlist file is "
                         "locked or read-only."));
}

void CPanelWnd::CountSkip()
{
    if (!m_db.CountSkip(m_player.libraryId, m_player.playlistId))
        ReportFailure(tr("The skip could not be counted: the library or playlist file is "
                         "locked or read-only."));
}

void CPanelWnd::Next()
{
    const bool repeat = m_settings.GetRepeat() != 0;
    CSkinListNode* playing = m_list.Rows().Playing();
    if (m_player.playing && !m_player.stream)
        CountSkip();
    CSkinListNode* candidate = nullptr;
    if (playing) {
        candidate = SongAfter(playing, repeat);
        if (!candidate) {
            Stop();
            return;
        }
    } else if (CSkinListNode* focus = m_list.Rows().Focus(); focus && focus->IsSong()) {
        candidate = SongAfter(focus, repeat);
    } else {
        candidate = FirstSong();
    }
    if (candidate)
        PlayNode(candidate);
}

void CPanelWnd::Previous()
{
    const bool repeat = m_settings.GetRepeat() != 0;
    CSkinListNode* from = m_list.Rows().Playing();
    if (!from) {
        CSkinListNode* focus = m_list.Rows().Focus();
        from = focus && focus->IsSong() ? focus : nullptr;
    }
    CSkinListNode* candidate = from ? SongBefore(from, repeat) : FirstSong();
    if (candidate)
        PlayNode(candidate);
}

QString CPanelWnd::PrepareNext()
{
    m_player.prepared = nullptr;
    const auto& songs = m_list.Rows().Songs();
    if (songs.empty())
        return QString();
    CSkinListNode* playing = m_list.Rows().Playing();
    CSkinListNode* focus = m_list.Rows().Focus();
    CSkinListNode* chosen = nullptr;
    if (m_settings.GetShuffle()) {
        const int index = ShuffleIndex(static_cast<unsigned>(std::time(nullptr)),
            static_cast<int>(songs.size()));
        chosen = songs[static_cast<std::size_t>(index)];
    } else if (focus && focus->IsSong()) {
        chosen = focus == playing ? SongAfter(focus, m_settings.GetRepeat() != 0) : focus;
    } else {
        chosen = songs.front();
    }
    m_player.prepared = chosen;
    m_engine.SetAlbumOrder(InAlbumOrder(chosen, m_settings.GetShuffle() != 0));
    return chosen ? chosen->m_file : QString();
}

void CPanelWnd::TrackEnded(bool failed, bool stream)
{
    // The track before is over, heard to its end, whatever follows.
    EndListen(true);
    CSkinListNode* next = m_player.prepared;
    m_player.prepared = nullptr;
    if (!next) {
        if (!m_player.stream)
            CountPlay();
        Stop();
        return;
    }
    m_list.SetPlayNode(next);
    m_list.update();
    if (failed) {
        Stop();
        ShowStatus(m_language.Line(LangSection::Messages, 3) + QStringLiteral(" ") + next->m_file);
        return;
    }
    // The ended track is counted while its playlist is still held, so the count reaches it.
    const bool endedFile = !m_player.stream;
    if (stream || CPlayBass::IsStreamAddress(next->m_file)) {
        m_db.ClosePlayingPlaylist();
        m_player.stream = true;
        m_player.playing = false;
        m_player.paused = false;
        ShowStream(next);
    } else {
        if (endedFile)
            CountPlay();
        m_db.ClosePlayingPlaylist();
        m_player.stream = false;
        ShowFile(next);
    }
    m_player.libraryId = next->m_libraryId;
    m_player.playlistId = next->m_playlistId;
}

void CPanelWnd::StreamConnected(int code)
{
    if (!m_player.stream)
        return;
    if (code != 0) {
        m_player.stream = false;
        ForgetPlayingRow();
        ClearNowPlaying();
        Warn(code == 2 ? 8 : 3, 0);
        return;
    }
    m_player.playing = true;
    m_player.paused = false;
    StartPlayingTimers();
    m_skinDraw.SetStateOfKind(Kind(SkinKind::PlayPause), kPlaying);
    StreamTitleChanged();
    UpdateMpris();
}

void CPanelWnd::StreamTitleChanged()
{
    if (!m_player.stream)
        return;
    QString title = m_player.station;
    QString artist;
    QString album;
    m_engine.ReadStreamTitle(title, artist, album);
    ShowTexts(title, artist, album, true);
    SetNowPlaying(artist, title);
}

void CPanelWnd::SetVolume(int level)
{
    m_engine.SetVolume(level);
    UpdateMpris();
}

void CPanelWnd::VolumeUp()
{
    m_skinDraw.SetVolume(m_engine.VolumeUp());
    UpdateMpris();
}

void CPanelWnd::VolumeDown()
{
    m_skinDraw.SetVolume(m_engine.VolumeDown());
    UpdateMpris();
}

void CPanelWnd::SetMute(bool on)
{
    m_settings.SetMute(on ? 1 : 0);
    m_engine.SetMute(on);
    m_skinDraw.SetStateOfKind(Kind(SkinKind::Mute), on ? 1 : 0);
}

void CPanelWnd::SetRepeat(bool on)
{
    m_settings.SetRepeat(on ? 1 : 0);
    m_skinDraw.SetStateOfKind(Kind(SkinKind::Repeat), on ? 1 : 0);
    m_menus.Check(ID_REPEAT, on);
    UpdateMpris();
}

void CPanelWnd::SetShuffle(bool on)
{
    m_settings.SetShuffle(on ? 1 : 0);
    m_skinDraw.SetStateOfKind(Kind(SkinKind::Shuffle), on ? 1 : 0);
    m_menus.Check(ID_SHUFFLE, on);
    UpdateMpris();
}

void CPanelWnd::RateTrack(int value, bool fromControl)
{
    CSkinListNode* row = m_list.Rows().Playing();
    if (!row)
        return;
    if (!m_db.SetRating(row->m_libraryId, row->m_playlistId, value)) {
        ShowStoredRating(row);
        return;
    }
    row->m_rating = value;
    m_list.update();
    if (!fromControl)
        m_skinDraw.SetRating(value);
}

void CPanelWnd::OnPositionTick()
{
    const int position = m_engine.GetPosition();
    m_skinDraw.SetPosition(position);
    NoteHeard();
    m_mpris.SetPosition(m_player.lengthMs * position / CPlayBass::kMaxLevel);
    UpdateTimeText();
}

void CPanelWnd::OnSpectrumTick()
{
    if (isMinimized())
        return;
    if (m_player.fallOff > 0) {
        for (const auto& vis : m_vis)
            vis->Update({}, m_player.playing);
        if (--m_player.fallOff == 0)
            m_spectrumTimer.stop();
        return;
    }
    std::array<float, kFftBins> fft{};
    const bool have = m_engine.GetFftData(fft);
    for (const auto& vis : m_vis)
        vis->Update(have ? std::span<const float>(fft) : std::span<const float>(), m_player.playing);
}
