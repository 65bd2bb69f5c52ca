// SPDX-License-Identifier: GPL-3.0-or-later
// Copyright (c) 2026 The Plumo developers
// The direct link to the listen-history service: which account it sends as, "playing now" at
// a file's start, and a listen once the heard time makes one. Streams send nothing: what a
// station plays is not the user's choice of track, and its length is unknown.
#include "CPanelWnd.h"

#include "CDlgListenBrainz.h"

#include <QDateTime>
#include <QDir>

namespace {

constexpr int kTokenRefusedLine = 15;

} // namespace

void CPanelWnd::SetUpListens()
{
    m_listenToken.SetProfileFolder(m_profileFolder);
    connect(&m_listenToken, &CListenToken::TokenRead, this, [this] { ApplyListenAccount(); });
    connect(&m_listenToken, &CListenToken::TokenWritten, this, [this] { ApplyListenAccount(); });
    connect(&m_listens, &CListenBrainz::TokenRefused, this, [this] {
        ShowNote(m_language.Line(LangSection::ListenBrainzDialog, kTokenRefusedLine));
    });
    if (m_settings.GetListenBrainz()) {
        ApplyListenAccount();
        m_listenToken.Read();
    }
}

void CPanelWnd::ApplyListenAccount()
{
    if (!m_settings.GetListenBrainz()) {
        m_listens.SetAccount(QString(), QString());
        return;
    }
    // Set in the environment, they win over what the dialog stored (scripted use).
    QString server = qEnvironmentVariable("PLUMO_LISTENBRAINZ_URL");
    if (server.isEmpty())
        server = m_settings.GetListenBrainzServer();
    QString token = qEnvironmentVariable("PLUMO_LISTENBRAINZ_TOKEN");
    if (token.isEmpty())
        token = m_listenToken.Token();
    m_listens.Start(QDir(m_profileFolder).filePath(QString::fromLatin1(CListenBrainz::kQueueFile)));
    m_listens.SetAccount(server, token);
}

void CPanelWnd::StartListen(const CSkinListNode* row, const QStringList& info)
{
    m_heard.Clear();
    // The service takes no listen without an artist and a title.
    if (!m_settings.GetListenBrainz() || info[0].isEmpty() || info[1].isEmpty())
        return;
    QStringList full;
    m_listenTrack = ListenTrack();
    if (m_db.GetFullInfo(row->m_libraryId, row->m_playlistId, &full) && full.size() > 1)
        m_listenTrack.number = full[1].toInt();
    m_listenTrack.title = info[0];
    m_listenTrack.artist = info[1];
    m_listenTrack.album = info[2];
    m_listenTrack.durationMs = m_player.lengthMs;
    m_listenStart = QDateTime::currentSecsSinceEpoch();
    m_heard.Start(m_player.lengthMs);
    m_listens.PlayingNow(m_listenTrack);
}

void CPanelWnd::NoteHeard()
{
    const qint64 position = m_player.lengthMs * m_engine.GetPosition() / CPlayBass::kMaxLevel;
    m_heard.Observe(static_cast<quintptr>(m_engine.GetChannel()), position);
    SendDueListen();
}

void CPanelWnd::SendDueListen()
{
    if (m_heard.TakeDue())
        m_listens.Listen(m_listenTrack, m_listenStart);
}

void CPanelWnd::EndListen(bool heardToEnd)
{
    if (heardToEnd)
        m_heard.Ended();
    else
        NoteHeard();
    SendDueListen();
    m_heard.Clear();
}

void CPanelWnd::SeekListen(int position)
{
    NoteHeard();
    m_heard.Seeking(m_player.lengthMs * position / CPlayBass::kMaxLevel);
}

void CPanelWnd::OnListenBrainz()
{
    ModalBracket bracket(*this);
    CDlgListenBrainz dlg(m_listens, m_listenToken, this);
    dlg.SetLines(m_language.Section(LangSection::ListenBrainzDialog));
    dlg.SetValues(m_settings.GetListenBrainz() != 0, m_listenToken.Token(),
        m_settings.GetListenBrainzServer());
    if (m_listenToken.Place() == TokenPlace::None)
        m_listenToken.Read();
    if (dlg.exec() != QDialog::Accepted)
        return;
    m_settings.SetListenBrainz(dlg.Enabled() ? 1 : 0);
    m_settings.SetListenBrainzServer(dlg.Server());
    ApplyListenAccount();
}
