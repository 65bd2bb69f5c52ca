// SPDX-License-Identifier: GPL-3.0-or-later
// Copyright (c) 2026 The Plumo developers
//
// Mouse routing, state pushed in by the main window, and the cover worker.
// Threads: everything runs on the UI thread except the cover worker, which gets copies of the
// file to look up and a generation number, and posts its answer back through m_context. An
// answer whose generation is no longer current (another cover asked for, the cover cleared or
// the skin replaced) is dropped; destroying m_context drops answers still queued.
#include "CSkinDraw.h"

#include "CCoverLoader.h"

#include <QMetaObject>

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
    return m_coverBusy->load();
}

void CSkinDraw::JoinCoverWorker()
{
    if (m_coverThread.joinable())
        m_coverThread.join();
}

void CSkinDraw::ShowCover(const QString& file, const QString& key)
{
    if (key == m_coverKey)
        return;
    JoinCoverWorker();
    m_coverFile = file;
    m_coverKey = key;
    StartCoverWorker();
}

void CSkinDraw::ClearCover()
{
    m_coverKey.clear();
    m_coverFile.clear();
    JoinCoverWorker();
    ++m_coverGeneration;
    DeliverCover(m_coverGeneration, QString());
}

void CSkinDraw::StartCoverWorker()
{
    const unsigned generation = ++m_coverGeneration;
    const QString file = m_coverFile;
    QObject* context = m_context.get();
    std::shared_ptr<std::atomic<bool>> busy = m_coverBusy;
    busy->store(true);
    m_coverThread = std::thread([this, generation, file, context, busy] {
        CCoverLoader finder;
        const QString image = finder.FindCover(file) ? finder.GetCoverPath() : QString();
        // Only the queued call touches this object, on the UI thread.
        QMetaObject::invokeMethod(
            context, [this, generation, image] { DeliverCover(generation, image); },
            Qt::QueuedConnection);
        busy->store(false);
    });
}

void CSkinDraw::DeliverCover(unsigned generation, const QString& image)
{
    if (generation != m_coverGeneration)
        return;
    if (m_coverListener)
        m_coverListener(image);
    ForEachControl([&](const CSkinPanel&, CSkinElement* c) {
        if (c->GetType() != static_cast<int>(SkinKind::Cover))
            return;
        c->SetString(image);
        if (!c->IsHidden())
            RepaintControl(c);
    });
}

void CSkinDraw::SetCoverListener(std::function<void(const QString&)> listener)
{
    m_coverListener = std::move(listener);
}
