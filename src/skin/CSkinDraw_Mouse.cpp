// SPDX-License-Identifier: GPL-3.0-or-later
// Copyright (c) 2026 The Plumo developers
//
// Mouse routing, state pushed in by the main window, and the cover search.
// Threads: everything runs on the UI thread except the cover search, which runs on
// m_coverWorker with copies of the file, the sizes and the picture reader, and returns its
// answer to m_context. An answer overtaken by another request (another cover asked for, the
// cover cleared or the skin replaced) is dropped by the worker (CCoverWorker::Drop); the UI
// thread never waits for a search.
#include "CSkinDraw.h"

#include "CCoverLoader.h"
#include "CoverPicture.h"

#include <QDir>

#include <algorithm>

namespace {

constexpr int kVolumeBar = static_cast<int>(SkinKind::VolumeBar);
constexpr int kTrackBar = static_cast<int>(SkinKind::TrackBar);
constexpr int kRating = static_cast<int>(SkinKind::Rating);
constexpr int kEqualizer = static_cast<int>(SkinKind::Equalizer);

} // namespace

CSkinElement* CSkinDraw::OnMouseMove(QPoint point)
{
    if (!m_panels)
        return nullptr;
    for (const auto& panel : *m_panels) {
        if (panel->IsHidden())
            continue;
        for (const CSkinPanelElement& e : panel->GetElements()) {
            CSkinElement* c = e.GetControl()->OnMouseMove(point);
            if (!c)
                continue;
            if (!m_captured || c == m_captured)
                RepaintControl(c);
            if (c->GetType() == kVolumeBar && c == m_captured)
                return c;
        }
    }
    return nullptr;
}

CSkinElement* CSkinDraw::OnButtonDown(QPoint point, bool* captured)
{
    CSkinElement* acted = nullptr;
    if (m_panels) {
        for (const auto& panel : *m_panels) {
            if (panel->IsHidden() || acted)
                continue;
            for (const CSkinPanelElement& e : panel->GetElements()) {
                CSkinElement* c = e.GetControl()->OnButtonDown(point);
                if (!c)
                    continue;
                RepaintControl(c);
                if (c->IsPressed())
                    m_captured = c;
                if (c->GetType() == kVolumeBar || c->GetType() == kRating) {
                    acted = c;
                    break;
                }
            }
        }
    }
    if (captured)
        *captured = m_captured != nullptr;
    return acted;
}

CSkinElement* CSkinDraw::OnButtonUp(QPoint point)
{
    CSkinElement* result = nullptr;
    if (m_panels) {
        for (const auto& panel : *m_panels) {
            if (panel->IsHidden())
                continue;
            for (const CSkinPanelElement& e : panel->GetElements()) {
                CSkinElement* c = e.GetControl()->OnButtonUp(point);
                if (!c)
                    continue;
                m_captured = nullptr;
                const int type = c->GetType();
                if (type != kEqualizer)
                    RepaintControl(c);
                if (type == kVolumeBar || type == kTrackBar || (c->IsHovered() && type != kRating))
                    result = c;
                break;
            }
            if (result)
                break;
        }
    }
    m_captured = nullptr;
    return result;
}

void CSkinDraw::OnMouseLeave()
{
    // Controls of folded panels lose their hover too, so they come back unlit; only the shown
    // ones need their pixels redrawn.
    ForEachControl([this](const CSkinPanel&, CSkinElement* c) {
        if (c->OnMouseLeave() && !c->IsHidden())
            RepaintControl(c);
    });
}

void CSkinDraw::SetStateOfKind(int kind, int state)
{
    ForEachControl([&](const CSkinPanel&, CSkinElement* c) {
        if (c->GetType() != kind)
            return;
        c->SetState(state);
        if (!c->IsHidden())
            RepaintControl(c);
    });
}

void CSkinDraw::SetSliders(int kind, int value)
{
    ForEachControl([&](const CSkinPanel&, CSkinElement* c) {
        // A slider under the user's hand keeps the value the hand gives it.
        if (c->GetType() != kind || c->IsPressed())
            return;
        c->SetState(value);
        if (!c->IsHidden())
            RepaintControl(c);
    });
}

void CSkinDraw::SetVolume(int value)
{
    SetSliders(kVolumeBar, value);
}

void CSkinDraw::SetPosition(int value)
{
    SetSliders(kTrackBar, value);
}

void CSkinDraw::SetTexts(const QString& title, const QString& artist, const QString& album)
{
    ForEachControl([&](const CSkinPanel&, CSkinElement* c) {
        switch (static_cast<SkinKind>(c->GetType())) {
        case SkinKind::Title:
            c->SetString(title);
            break;
        case SkinKind::Artist:
            c->SetString(artist);
            break;
        case SkinKind::Album:
            c->SetString(album);
            break;
        default:
            return;
        }
        if (!c->IsHidden())
            RepaintControl(c);
    });
}

void CSkinDraw::SetTime(const QString& text)
{
    ForEachControl([&](const CSkinPanel&, CSkinElement* c) {
        if (c->GetKind() != SkinKind::Time || c->GetText() == text)
            return;
        c->SetString(text);
        if (!c->IsHidden())
            RepaintControl(c);
    });
}

void CSkinDraw::SetRating(int value)
{
    ForEachControl([&](const CSkinPanel&, CSkinElement* c) {
        // Repainted too: a rating set from elsewhere (another track starting) must show.
        if (c->GetType() != kRating)
            return;
        c->SetState(value);
        if (!c->IsHidden())
            RepaintControl(c);
    });
}

bool CSkinDraw::IsCoverBusy() const
{
    return m_coverWorker.IsBusy();
}

void CSkinDraw::ShowCover(const QString& file, const QString& album)
{
    // The folder stands for the album with the title: a title alone ("Greatest Hits") names
    // many albums, and each folder has its own picture.
    const QString path = QDir::fromNativeSeparators(file);
    const QString key = path.left(path.lastIndexOf(u'/') + 1) + u'\n' + album;
    if (key == m_coverKey)
        return;
    m_coverFile = file;
    m_coverAlbum = album;
    m_coverKey = key;
    m_coverWorker.Drop();
    StartCoverSearch();
}

void CSkinDraw::ClearCover()
{
    m_coverKey.clear();
    m_coverFile.clear();
    m_coverAlbum.clear();
    m_coverWorker.Drop();
    DeliverCover(QString(), {});
}

void CSkinDraw::StartCoverSearch()
{
    // Copies only: the search may outlive this object when its read never returns.
    struct Wanted {
        QSize size;
        qreal dpr;
    };
    std::vector<Wanted> wanted;
    ForEachControl([&](const CSkinPanel&, CSkinElement* c) {
        if (c->GetType() == static_cast<int>(SkinKind::Cover))
            wanted.push_back({ c->GetCoverSize(), c->GetDevicePixelRatio() });
    });
    m_coverWorker.Queue([this, file = m_coverFile, wanted = std::move(wanted),
                            reader = m_pictureReader]() -> CCoverWorker::Delivery {
        CCoverLoader finder;
        QString image = finder.FindCover(file) ? finder.GetCoverPath() : QString();
        std::vector<CExImage> covers;
        for (const Wanted& w : wanted)
            covers.push_back(PrepareCoverPicture(image, QImage(), w.size, w.dpr));
        const bool shown = std::any_of(
            covers.begin(), covers.end(), [](const CExImage& c) { return c.IsLoaded(); });
        if (!image.isEmpty() && (shown || wanted.empty()))
            return [this, image, covers] { DeliverCover(image, covers); };
        // No picture beside the track, or one that does not load: the one in its tags.
        image.clear();
        CExImage tagged;
        if (reader)
            tagged.LoadBytes(reader(file));
        covers.clear();
        for (const Wanted& w : wanted)
            covers.push_back(PrepareCoverPicture(QString(), tagged.GetImage(), w.size, w.dpr));
        return [this, covers] { DeliverCover(QString(), covers); };
    });
}

void CSkinDraw::DeliverCover(const QString& image, const std::vector<CExImage>& covers)
{
    if (m_coverListener)
        m_coverListener(image);
    std::size_t index = 0;
    ForEachControl([&](const CSkinPanel&, CSkinElement* c) {
        if (c->GetType() != static_cast<int>(SkinKind::Cover))
            return;
        c->SetCover(index < covers.size() ? covers[index] : CExImage());
        ++index;
        if (!c->IsHidden())
            RepaintControl(c);
    });
}

void CSkinDraw::SetCoverListener(std::function<void(const QString&)> listener)
{
    m_coverListener = std::move(listener);
}

void CSkinDraw::SetPictureReader(std::function<QByteArray(const QString&)> reader)
{
    m_pictureReader = std::move(reader);
}
